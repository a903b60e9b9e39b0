// One point in time of a supply's state: a sample of the chart history, or a step of a device
// program. Limits and measured values are raw device units.
#pragma once

#include <string>

namespace rir {

struct ChartSample {
    int time = 0;      // seconds from the start; in the minutes list, the minute number
    std::string stamp; // local date and time when written ("%c"); empty when not set
    int voltLimit = 0;
    int currLimit = 0;
    int output = 0; // 1 on, 0 off
    int voltMeas = 0;
    int currMeas = 0;
    bool voltRegulation = true;

    ChartSample() = default;
    // Measured values 0 and voltage regulation; with stampWanted the present local time.
    ChartSample(int time, int currLimit, int voltLimit, int output, bool stampWanted);
};

// The seconds ring holds the last three minutes, one sample per second.
inline constexpr int SECONDS_RING_SIZE = 180;

// Any index (at most one ring length below 0) to its place in the ring.
constexpr int RingIndex(int k) {
    if (k < 0)
        k += SECONDS_RING_SIZE;
    k %= SECONDS_RING_SIZE;
    return k < 0 ? k + SECONDS_RING_SIZE : k;
}

// The local time as the platform's "%c" writes it.
std::string LocalTimeStamp();

} // namespace rir
