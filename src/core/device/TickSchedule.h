// When a page's one-second tick falls due, counted against a monotonic clock rather than by
// timer events: when the user-interface thread was held up (a modal box, a slow paint, a loaded
// machine) the ticks that fell due meanwhile are all handed out, in order, so a program of N
// seconds takes N seconds of wall time and no planned second is skipped or stretched.
#pragma once

#include <chrono>
#include <optional>

namespace rir {

using MonoTime = std::chrono::steady_clock::time_point;

class TickSchedule {
public:
    explicit TickSchedule(std::chrono::milliseconds period) : period_(period) {}

    // How many ticks are due at `now` while the tick runs (at most `limit`, so that a machine
    // that slept for hours catches up over several calls instead of freezing the window). The
    // first call after the tick starts only sets the clock going: its first tick is one period
    // later. While the tick does not run the schedule is forgotten.
    int TakeDue(MonoTime now, bool running, int limit);

private:
    std::chrono::milliseconds period_;
    std::optional<MonoTime> next_;
};

} // namespace rir
