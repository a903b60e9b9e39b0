#include "SimReverse.h"

#include "ModuleAction.h"
#include "device/Payloads.h"

namespace rir::sim {

bool SimReverse::ApplyBlock(std::span<const std::uint8_t> block) {
    if (block.size() < 8)
        return false;
    fwdCurrent_ = static_cast<int>(GetBigEndian(block, 0, 2));
    backCurrent_ = static_cast<int>(GetBigEndian(block, 2, 2));
    fwdTime_ = static_cast<int>(GetBigEndian(block, 4, 2));
    backTime_ = static_cast<int>(GetBigEndian(block, 6, 2));
    forward_ = true;
    msIntoPhase_ = 0;
    return true;
}

void SimReverse::Step(int milliseconds) {
    // With both times zero there is nothing to alternate: the output stays forward.
    if (fwdTime_ == 0 && backTime_ == 0)
        return;
    msIntoPhase_ += milliseconds;
    for (;;) {
        const int phaseMs = (forward_ ? fwdTime_ : backTime_) * 100;
        if (msIntoPhase_ < phaseMs)
            return;
        msIntoPhase_ -= phaseMs;
        forward_ = !forward_;
    }
}

void SimReverse::OnSwitchOff() {
    forward_ = true;
    msIntoPhase_ = 0;
}

void SimReverse::AppendRecord(std::vector<std::uint8_t>& out) const {
    out.push_back(RecordHeader(RECORD_REVERSE, 9));
    out.push_back(forward_ ? 0x04 : 0x00);
    PutBigEndian(out, static_cast<std::uint32_t>(fwdCurrent_), 2);
    PutBigEndian(out, static_cast<std::uint32_t>(backCurrent_), 2);
    PutBigEndian(out, static_cast<std::uint32_t>(fwdTime_), 2);
    PutBigEndian(out, static_cast<std::uint32_t>(backTime_), 2);
}

} // namespace rir::sim
