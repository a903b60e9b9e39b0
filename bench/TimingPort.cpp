#include "TimingPort.h"

namespace rir {

TimingPort::~TimingPort() {
    Finish();
}

std::optional<std::uint8_t> TimingPort::ReadByte() {
    const auto b = port_.ReadByte();
    const auto now = PortCycle::Clock::now();
    if (phase_ == Phase::Writing)
        phase_ = Phase::Reading;
    if (b) {
        if (current_.bytes == 0)
            current_.firstByte = now;
        current_.lastByte = now;
        ++current_.bytes;
    } else {
        current_.readEnd = now;
    }
    return b;
}

void TimingPort::WriteBytes(std::uint32_t value, int count) {
    if (phase_ != Phase::Writing) {
        Finish();
        current_ = PortCycle{};
        current_.writeStart = PortCycle::Clock::now();
        phase_ = Phase::Writing;
    }
    port_.WriteBytes(value, count);
    current_.requestBytes += count;
    current_.writeEnd = PortCycle::Clock::now();
}

void TimingPort::Close() {
    Finish();
    port_.Close();
}

void TimingPort::Finish() {
    if (phase_ == Phase::Reading)
        cycles_.push_back(current_);
    phase_ = Phase::Idle;
}

} // namespace rir
