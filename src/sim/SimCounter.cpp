#include "SimCounter.h"

#include "device/Payloads.h"
#include "device/Ratings.h"

#include <cmath>

namespace rir::sim {

namespace {

constexpr double WHOLE_TOLERANCE = 1e-9;

} // namespace

double CounterRawUnit(int model, int units) {
    if (units == UNITS_AMPERE_MINUTES)
        return 1.0;
    const bool thousandths = model == MODEL_TIMER_AMPERE || model == MODEL_TFT;
    return thousandths ? 3.6 : 36.0;
}

bool SimCounter::ApplyBlock(std::span<const std::uint8_t> block) {
    if (block.size() < 5)
        return false;
    const int flags = block[0];
    if ((flags & 0x20) != 0 && (flags & 0x03) == 0) {
        StartOver();
        return true;
    }
    const int units = (flags & 0x20) != 0   ? UNITS_WATT_HOURS
                      : (flags & 0x80) != 0 ? UNITS_AMPERE_MINUTES
                                            : UNITS_AMPERE_HOURS;
    if (units != units_ || (flags & 0x40) != 0) {
        total_ = 0;
        totalFraction_ = 0.0;
    }
    units_ = units;
    select_ = flags & 0x03;
    mode_ = block[1];
    dose_ = GetBigEndian(block, 2, 3);
    daily_ = dose_;
    dailyFraction_ = 0.0;
    doseComplete_ = false;
    reduced_ = false;
    return true;
}

void SimCounter::StartOver() {
    // From zero as a counter, from the full dose as a doser.
    daily_ = Dosing() ? dose_ : 0;
    dailyFraction_ = 0.0;
    doseComplete_ = false;
    reduced_ = false;
}

ModuleAction SimCounter::Step(int milliseconds, double volts, double amps) {
    const double quantity = (units_ == UNITS_WATT_HOURS ? volts * amps : amps) * milliseconds / 1000.0;
    const double counts = quantity / CounterRawUnit(model_, units_);
    if (!(counts > 0.0))
        return ModuleAction::None;

    totalFraction_ += counts;
    // Counts that are whole up to rounding are whole: 360 steps of 1/36 make 10, not 9.999.
    const double wholeTotal = std::floor(totalFraction_ + WHOLE_TOLERANCE);
    totalFraction_ -= wholeTotal;
    total_ += static_cast<std::uint32_t>(std::fmod(wholeTotal, 4294967296.0)); // wraps like the register

    dailyFraction_ += counts;
    const double wholeDaily = std::floor(dailyFraction_ + WHOLE_TOLERANCE);
    dailyFraction_ -= wholeDaily;
    if (!Dosing()) {
        daily_ = (daily_ + static_cast<std::uint32_t>(std::fmod(wholeDaily, 16777216.0))) & DAILY_LIMIT;
        return ModuleAction::None;
    }
    if (doseComplete_)
        return ModuleAction::None;
    if (wholeDaily < daily_) {
        daily_ -= static_cast<std::uint32_t>(wholeDaily);
        if (daily_ > 0)
            return ModuleAction::None;
    }
    daily_ = 0;
    doseComplete_ = true;
    switch (mode_ & 0x03) {
    case DOSE_SWITCH_OFF:
        return ModuleAction::SwitchOff;
    case DOSE_TENTH_CURRENT:
        reduced_ = true;
        return ModuleAction::ReduceCurrent;
    default:
        return ModuleAction::None;
    }
}

void SimCounter::OnSwitchOn() {
    // A completed dose starts over with the next run, so that a switch-off doser does not
    // switch the output straight off again.
    if (doseComplete_)
        StartOver();
}

void SimCounter::OnSwitchOff() {
    reduced_ = false;
    // A completed dose stays on show (and can be restarted) until the output comes back on.
    if ((mode_ & COUNTER_KEEP_ON_SWITCH_OFF) == 0 && !doseComplete_)
        StartOver();
}

void SimCounter::AppendRecord(std::vector<std::uint8_t>& out) const {
    int flags = select_ | (doseComplete_ ? 0x40 : 0);
    if (units_ == UNITS_WATT_HOURS)
        flags |= 0x20;
    else if (units_ == UNITS_AMPERE_MINUTES)
        flags |= 0x80;
    out.push_back(RecordHeader(RECORD_COUNTER, 9));
    out.push_back(static_cast<std::uint8_t>(flags));
    out.push_back(static_cast<std::uint8_t>(mode_));
    PutBigEndian(out, total_, 4);
    PutBigEndian(out, daily_, 3);
}

} // namespace rir::sim
