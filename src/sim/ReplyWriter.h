// Writes the replies to the pseudo-terminal, either at once or, with wire time, each byte after
// the time it would take on the line. The master side is non-blocking: what the line does not
// take now waits for POLLOUT.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>

namespace rir::sim {

class ReplyWriter {
public:
    using Clock = std::chrono::steady_clock;

    ReplyWriter(int fd, bool wireTime) : fd_(fd), wireTime_(wireTime) {}

    // `characterMicros`: the time of one character on the line (used with wire time only).
    void Queue(std::span<const std::uint8_t> bytes, Clock::time_point now, std::int64_t characterMicros);
    // Writes every byte that is due.
    void Flush(Clock::time_point now);
    // Microseconds until the next byte is due; nothing when none waits for its time.
    std::optional<std::int64_t> MicrosUntilDue(Clock::time_point now) const;
    // The line did not take everything that is due: wait for POLLOUT.
    bool blocked() const { return blocked_; }
    bool wireTime() const { return wireTime_; }
    // Replies go to another descriptor from now on (a new connection); what waited for the old
    // one is dropped, as it would be on a line that was unplugged.
    void setFd(int fd) {
        fd_ = fd;
        pending_.clear();
        blocked_ = false;
    }

private:
    struct Pending {
        std::uint8_t byte;
        Clock::time_point due;
    };

    int fd_;
    bool wireTime_;
    bool blocked_ = false;
    std::deque<Pending> pending_;
};

} // namespace rir::sim
