#include "Regulation.h"

#include <algorithm>
#include <cmath>

namespace rir::sim {

namespace {

int ToRaw(double value, int scale, int max) {
    const double raw = std::round(value * scale);
    if (!(raw > 0.0))
        return 0;
    return raw >= max ? max : static_cast<int>(raw);
}

} // namespace

RegulationOutput Regulate(const RegulationInput& in) {
    RegulationOutput out;
    if (!in.on || in.voltScale <= 0 || in.currScale <= 0 || !(in.loadOhms > 0.0))
        return out;
    const double volts = static_cast<double>(in.voltLimit) / in.voltScale;
    const double ampLimit = static_cast<double>(in.currLimit) / in.currScale;
    // Compared in raw units cross-multiplied, so that a load that draws exactly the current limit
    // is decided without rounding: at the limit the supply is already regulating current.
    const bool voltageHolds = static_cast<double>(in.voltLimit) * in.currScale <
                              static_cast<double>(in.currLimit) * in.voltScale * in.loadOhms;
    double amps = 0.0;
    double outVolts = 0.0;
    if (voltageHolds) {
        outVolts = volts;
        amps = volts / in.loadOhms;
    } else {
        amps = ampLimit;
        outVolts = std::min(volts, amps * in.loadOhms);
        out.currentRegulation = true;
    }
    out.voltMeas = ToRaw(outVolts, in.voltScale, in.voltMax);
    out.currMeas = ToRaw(amps, in.currScale, in.currMax);
    return out;
}

} // namespace rir::sim
