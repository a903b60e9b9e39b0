// When a page's one-second tick falls due, counted against a monotonic clock rather than by
// timer events: when the user-interface thread was held up (a modal box, a slow paint, a loaded
// machine) the ticks that fell due meanwhile are all handed out, in order, so a program of N
// seconds takes N seconds of wall time and no second of the chart or the journal is skipped or
// stretched. Each tick also knows the wall-clock time it fell due at, so that a second is dated
// when it was due and not when the window got round to it.
#pragma once

#include "chart/ChartSample.h"

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
    // later, and `wallNow` (the wall clock at `now`) ties the schedule to the wall clock. While
    // the tick does not run the schedule is forgotten.
    int TakeDue(MonoTime now, bool running, int limit, StampTime wallNow = {});
    // The wall-clock time at which the i-th tick handed out by the last TakeDue fell due.
    StampTime dueStamp(int i) const;
    // The i-th tick handed out by the last TakeDue came too late to be the present second: the
    // window was held up past it (a modal box, a stalled machine), so its moment has gone.
    bool late(int i, MonoTime now) const { return now - (firstDue_ + i * period_) >= TICK_LATE; }

    // Ticks are handed out by a timer of a tenth of a second; one handed out more than half a
    // second after it fell due was missed, not merely served by a busy window.
    static constexpr std::chrono::milliseconds TICK_LATE{500};

private:
    std::chrono::milliseconds period_;
    std::optional<MonoTime> next_;
    // The wall clock that the schedule's start maps to. A wall clock set by the operator or by
    // time synchronisation moves the anchor: the stamps follow the clock the operator reads.
    MonoTime monoAnchor_{};
    StampTime wallAnchor_{};
    MonoTime firstDue_{};
};

} // namespace rir
