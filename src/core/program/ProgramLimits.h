// What a program is checked against: the supply's own limits and scales, and the longest
// program the station runs.
#pragma once

#include "device/DeviceState.h"

namespace rir {

// The supply's limits in raw units and its scales (raw units per volt and per ampere), as the
// identification reply gave them.
struct ProgramLimits {
    int voltMax = 0;
    int currMax = 0;
    int voltMin = 0;
    int currMin = 0;
    int voltScale = 1;
    int currScale = 1;
};

inline ProgramLimits ProgramLimitsOf(const DeviceState& state) {
    return {state.voltMax, state.currMax, state.voltMin, state.currMin, state.voltScale, state.currScale};
}

// A program of a month at most. Its preview keeps one entry per minute (44,640 for a month) and
// walks every second once, so a step far in the future (a typing slip of a few zeros) must not
// make the station build a list of years.
inline constexpr int MAX_PROGRAM_SECONDS = 31 * 24 * 60 * 60;

} // namespace rir
