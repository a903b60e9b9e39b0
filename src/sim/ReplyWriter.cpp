#include "ReplyWriter.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>
#include <vector>

namespace rir::sim {

namespace {

// Replies nobody reads (no station on the port) must not pile up without end.
constexpr std::size_t MAX_PENDING = 64 * 1024;

} // namespace

void ReplyWriter::Queue(std::span<const std::uint8_t> bytes, Clock::time_point now,
                        std::int64_t characterMicros) {
    Clock::time_point due = now;
    if (wireTime_ && !pending_.empty())
        due = std::max(now, pending_.back().due);
    for (std::uint8_t b : bytes) {
        if (wireTime_)
            due += std::chrono::microseconds(characterMicros);
        pending_.push_back({b, due});
    }
    while (pending_.size() > MAX_PENDING)
        pending_.pop_front();
}

void ReplyWriter::Flush(Clock::time_point now) {
    std::vector<std::uint8_t> chunk;
    for (const Pending& p : pending_) {
        if (p.due > now)
            break;
        chunk.push_back(p.byte);
    }
    blocked_ = false;
    if (chunk.empty())
        return;
    if (fd_ < 0) { // nobody connected: the replies have no reader
        pending_.clear();
        return;
    }
    const ssize_t written = write(fd_, chunk.data(), chunk.size());
    if (written < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
            blocked_ = true;
            return;
        }
        pending_.clear(); // the line is gone; these replies have no reader
        return;
    }
    pending_.erase(pending_.begin(), pending_.begin() + written);
    blocked_ = static_cast<std::size_t>(written) < chunk.size();
}

std::optional<std::int64_t> ReplyWriter::MicrosUntilDue(Clock::time_point now) const {
    if (pending_.empty() || blocked_)
        return std::nullopt;
    const auto wait = std::chrono::duration_cast<std::chrono::microseconds>(pending_.front().due - now);
    return std::max<std::int64_t>(0, wait.count());
}

} // namespace rir::sim
