// One point in time of a supply's state: a sample of the chart history, or a step of a device
// program. Limits and measured values are raw device units.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace rir {

// When a sample was written. Kept as a time point: a week of minutes is 10,080 entries, and
// the text is only wanted when a sample is shown or saved.
using StampTime = std::chrono::system_clock::time_point;
// Where the page takes "now" from; tests hand in a fixed one.
using StampClock = std::function<StampTime()>;
StampTime SystemStampTime();

struct ChartSample {
    int time = 0;                   // seconds from the start; in the minutes list, the minute number
    std::optional<StampTime> stamp; // when the entry was written; none for plan and filler entries
    int voltLimit = 0;
    int currLimit = 0;
    int output = 0; // 1 on, 0 off
    int voltMeas = 0;
    int currMeas = 0;
    bool voltRegulation = true;

    ChartSample() = default;
    // Measured values 0 and voltage regulation. The stamp is the moment the caller wants written
    // (its clock's present time), or none.
    ChartSample(int time, int currLimit, int voltLimit, int output, std::optional<StampTime> stamp)
        : time(time), stamp(stamp), voltLimit(voltLimit), currLimit(currLimit), output(output) {}
};

// The seconds ring holds the last three minutes, one sample per second.
inline constexpr int SECONDS_RING_SIZE = 180;
inline constexpr int SECONDS_PER_MINUTE = 60;

// Any index to its place in the ring: one ring length is added to a negative index, then the
// rest of the division is taken. An index further below 0 than that still lands in the ring.
constexpr int RingIndex(int k) {
    if (k < 0)
        k += SECONDS_RING_SIZE;
    k %= SECONDS_RING_SIZE;
    return k < 0 ? k + SECONDS_RING_SIZE : k;
}

// The ring entry k, or nullptr when the ring does not hold it (a short program, an emptied
// chart).
inline const ChartSample* RingEntry(const std::vector<ChartSample>& ring, int k) {
    return k >= 0 && static_cast<std::size_t>(k) < ring.size() ? &ring[static_cast<std::size_t>(k)] : nullptr;
}
inline ChartSample* RingEntry(std::vector<ChartSample>& ring, int k) {
    return k >= 0 && static_cast<std::size_t>(k) < ring.size() ? &ring[static_cast<std::size_t>(k)] : nullptr;
}

// The local date and time of a stamp as the platform's "%c" writes it; "" for no stamp.
std::string StampText(const std::optional<StampTime>& stamp);

} // namespace rir
