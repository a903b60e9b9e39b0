#include "SimThermometer.h"

#include "device/Payloads.h"

#include <algorithm>
#include <cmath>

namespace rir::sim {

namespace {

constexpr double FULL_POWER_RISE = 40.0;
constexpr double HEATER_RISE = 30.0;
constexpr double COOLER_DROP = 15.0;
constexpr double TIME_CONSTANT_MS = 60000.0;

} // namespace

bool SimThermometer::ApplyBlock(std::span<const std::uint8_t> block) {
    if (block.size() < 4)
        return false;
    mode_ = block[0] & 0x07;
    targetRaw_ = static_cast<int>(GetBigEndian(block, 1, 2));
    deltaRaw_ = block[3];
    relay_ = false;
    hold_ = false;
    return true;
}

int SimThermometer::TempRaw() const {
    const long raw = std::lround(celsius_ * 10.0) + 2000;
    return static_cast<int>(std::clamp(raw, 0L, 0xFFFFL));
}

ModuleAction SimThermometer::Step(int milliseconds, double powerShare, bool outputOn) {
    double settle = ROOM_CELSIUS + FULL_POWER_RISE * std::clamp(powerShare, 0.0, 1.0);
    if (relay_ && mode_ == THERMO_HEAT_RELAY)
        settle += HEATER_RISE;
    if (relay_ && mode_ == THERMO_COOL_RELAY)
        settle -= COOLER_DROP;
    if (held_)
        celsius_ = *held_;
    else
        celsius_ += (settle - celsius_) * (1.0 - std::exp(-milliseconds / TIME_CONSTANT_MS));

    const int t = TempRaw();
    const int low = targetRaw_ - deltaRaw_;
    const int high = targetRaw_ + deltaRaw_;
    switch (mode_) {
    case THERMO_HEAT_RELAY:
        relay_ = t <= low ? true : t >= high ? false : relay_;
        break;
    case THERMO_COOL_RELAY:
        relay_ = t >= high ? true : t <= low ? false : relay_;
        break;
    case THERMO_CUT_OFF:
        if (outputOn && t >= targetRaw_)
            return ModuleAction::SwitchOff;
        break;
    case THERMO_HEAT_SUPPLY:
        hold_ = t >= high ? true : t <= low ? false : hold_;
        break;
    default:
        break;
    }
    return ModuleAction::None;
}

void SimThermometer::AppendRecord(std::vector<std::uint8_t>& out) const {
    out.push_back(RecordHeader(RECORD_THERMO, 6));
    PutBigEndian(out, static_cast<std::uint32_t>(TempRaw()), 2);
    out.push_back(static_cast<std::uint8_t>(mode_ | (relay_ ? 0x80 : 0)));
    PutBigEndian(out, static_cast<std::uint32_t>(targetRaw_), 2);
    out.push_back(static_cast<std::uint8_t>(deltaRaw_));
}

} // namespace rir::sim
