// The bus settings and counters shared by the UI thread and the bus thread, and the speed table.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string_view>

#include "bus/Framing.h"

namespace rir {

struct SpeedEntry {
    int baud;
    int readTimeoutMs; // how long one byte read may wait; also the gap that ends a reply
    int menuId;
    std::string_view menuText;
};

// The read time-outs are not monotonic in the speed: they are what the supplies were tuned with.
inline constexpr std::array<SpeedEntry, 11> SpeedTable{{
    {110, 400, 32777, "110 бод [1]"},
    {300, 250, 32778, "300 бод [2]"},
    {600, 60, 32779, "600 бод [3]"},
    {1200, 40, 32780, "1200 бод [4]"},
    {2400, 55, 32781, "2400 бод [5]"},
    {4800, 85, 32782, "4800 бод [6]"},
    {9600, 50, 32783, "9600 бод [7]"},
    {14400, 35, 32784, "14400 бод [8]"},
    {19200, 30, 32785, "19200 бод [9]"},
    {38400, 25, 32786, "38400 бод [10]"},
    {56000, 30, 32787, "56000 бод [11]"},
}};

inline constexpr int DEFAULT_SPEED_INDEX = 6; // 9600 baud
// With fast polling a supply's module data (timer, counters, temperature: slow to change) is
// asked at most this often ("ModuleInterval" in the settings file, in seconds); every other
// poll of it asks its measurements.
inline constexpr int DEFAULT_MODULE_INTERVAL_S = 5;
inline constexpr int MIN_MODULE_INTERVAL_S = 1;
inline constexpr int MAX_MODULE_INTERVAL_S = 3600;

// Gap between bytes that ends a read, in ms (the port's inter-character time-out).
inline constexpr int READ_INTERVAL_TIMEOUT_MS = 10;

// The speed row to use for an index that may be unset (-1) or stale.
constexpr const SpeedEntry& SpeedRow(int speedIndex) {
    if (speedIndex < 0 || speedIndex >= static_cast<int>(SpeedTable.size()))
        return SpeedTable[DEFAULT_SPEED_INDEX];
    return SpeedTable[static_cast<std::size_t>(speedIndex)];
}

// Single values read and written whole. The UI writes portIndex, speedIndex and the pending
// framing before it sets reopenRequested; the bus thread reads them when a connection starts.
struct BusState {
    std::atomic<std::uint8_t> portIndex{0};
    std::atomic<int> speedIndex{-1};
    // The framing the line runs with: the bus thread sets it from the pending one when it opens
    // the port, the UI sets it from the settings before the thread starts.
    std::atomic<Framing> framing{Framing::Ascii};
    std::atomic<bool> reopenRequested{false};
    std::atomic<int> requestsSent{0};
    std::atomic<int> timerTicks{0};
    // "Быстрый опрос": a reply ends as soon as it is whole, not at the read time-out. The bus
    // thread looks at it when a cycle begins, so a change takes effect with the next cycle.
    std::atomic<bool> fastPolling{false};
    // With fast polling, the least time between two module polls of one supply, in seconds
    // (MIN_MODULE_INTERVAL_S..MAX_MODULE_INTERVAL_S).
    std::atomic<int> moduleIntervalS{DEFAULT_MODULE_INTERVAL_S};

    // The operator's choice from the protocol menu, applied when the port opens next.
    void SetPendingFraming(Framing framing);
    // Returns the pending framing and empties it.
    std::optional<Framing> TakePendingFraming();
    std::optional<Framing> pendingFraming() const;

private:
    mutable std::mutex pendingLock_;
    std::optional<Framing> pendingFraming_;
};

} // namespace rir
