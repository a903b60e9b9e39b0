#include "TimingPort.h"

namespace rir {

TimingPort::~TimingPort() {
    Finish();
}

ReadResult TimingPort::ReadByte() {
    const ReadResult b = port_.ReadByte();
    const auto now = PortCycle::Clock::now();
    if (phase_ == Phase::Writing)
        phase_ = Phase::Reading;
    if (b.status == ReadStatus::Byte) {
        if (current_.bytes == 0)
            current_.firstByte = now;
        current_.lastByte = now;
        ++current_.bytes;
    } else {
        current_.readEnd = now;
    }
    return b;
}

bool TimingPort::WriteBytes(std::uint32_t value, int count) {
    if (phase_ != Phase::Writing) {
        Finish();
        current_ = PortCycle{};
        current_.writeStart = PortCycle::Clock::now();
        phase_ = Phase::Writing;
    }
    const bool written = port_.WriteBytes(value, count);
    // The bus thread writes the address and the function code one byte a call.
    if (count == 1 && current_.requestBytes == 0)
        current_.address = static_cast<int>(value & 0xFF);
    else if (count == 1 && current_.requestBytes == 1)
        current_.function = static_cast<int>(value & 0xFF);
    current_.requestBytes += count;
    current_.writeEnd = PortCycle::Clock::now();
    return written;
}

bool TimingPort::WriteFrame(std::span<const std::uint8_t> frame, std::size_t checksumBytes) {
    Finish();
    current_ = PortCycle{};
    current_.writeStart = PortCycle::Clock::now();
    phase_ = Phase::Writing;
    const bool written = port_.WriteFrame(frame, checksumBytes);
    current_.requestBytes = static_cast<int>(frame.size());
    if (frame.size() >= 2) {
        current_.address = frame[0];
        current_.function = frame[1];
    }
    current_.writeEnd = PortCycle::Clock::now();
    return written;
}

void TimingPort::Close() {
    Finish();
    port_.Close();
}

void TimingPort::Finish() {
    if (phase_ == Phase::Reading) {
        // A reply that ended as soon as it was whole was never followed by a silent read.
        if (current_.readEnd == PortCycle::Clock::time_point{} && current_.bytes > 0)
            current_.readEnd = current_.lastByte;
        cycles_.push_back(current_);
    }
    phase_ = Phase::Idle;
}

} // namespace rir
