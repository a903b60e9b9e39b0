#include "SimTimer.h"

#include "device/Payloads.h"

#include <cstdlib>

namespace rir::sim {

bool SimTimer::ApplyBlock(std::span<const std::uint8_t> block) {
    if (block.size() < 4)
        return false;
    mode_ = block[0] & 0x03;
    keepOnSwitchOff_ = (block[0] & 0x40) != 0;
    preset_ = GetBigEndian(block, 1, 3);
    value_ = preset_;
    expired_ = false;
    reduced_ = false;
    msIntoSecond_ = 0;
    return true;
}

ModuleAction SimTimer::Step(int milliseconds) {
    ModuleAction action = ModuleAction::None;
    msIntoSecond_ += milliseconds;
    while (msIntoSecond_ >= 1000) {
        msIntoSecond_ -= 1000;
        Tick(action);
    }
    return action;
}

void SimTimer::Tick(ModuleAction& action) {
    if (mode_ == TIMER_STOPWATCH) {
        if (value_ < TIMER_VALUE_LIMIT)
            ++value_;
        return;
    }
    if (!expired_) {
        if (value_ > 0)
            --value_;
        if (value_ > 0)
            return;
        expired_ = true;
        if (mode_ == TIMER_SWITCH_OFF) {
            action = ModuleAction::SwitchOff;
        } else if (mode_ == TIMER_TENTH_CURRENT) {
            reduced_ = true;
            action = ModuleAction::ReduceCurrent;
        }
        return;
    }
    // Past zero the modes that keep the output on count the overtime.
    if (mode_ != TIMER_SWITCH_OFF && value_ > -TIMER_VALUE_LIMIT)
        --value_;
}

void SimTimer::OnSwitchOn() {
    // A timer that ran out starts again from its preset when the output comes back on, so that
    // a switch-off timer does not switch the output straight off again.
    if (mode_ != TIMER_STOPWATCH && expired_) {
        value_ = preset_;
        expired_ = false;
    }
    reduced_ = false;
    msIntoSecond_ = 0;
}

void SimTimer::OnSwitchOff() {
    reduced_ = false;
    msIntoSecond_ = 0;
    // A timer that ran out keeps showing where it ended until the output comes back on.
    if (keepOnSwitchOff_ || expired_)
        return;
    value_ = mode_ == TIMER_STOPWATCH ? 0 : preset_;
}

void SimTimer::AppendRecord(std::vector<std::uint8_t>& out) const {
    const int flags = mode_ | (keepOnSwitchOff_ ? 0x40 : 0) | (value_ < 0 ? 0x80 : 0);
    out.push_back(RecordHeader(RECORD_TIMER, 4));
    out.push_back(static_cast<std::uint8_t>(flags));
    PutBigEndian(out, static_cast<std::uint32_t>(std::llabs(value_)), 3);
}

} // namespace rir::sim
