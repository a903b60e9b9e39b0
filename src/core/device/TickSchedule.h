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
    // The last tick handed out by the last TakeDue is the present second: no other fell due
    // behind it.
    bool caughtUp() const { return caughtUp_; }

private:
    std::chrono::milliseconds period_;
    std::optional<MonoTime> next_;
    // The wall clock that the schedule's start maps to. A wall clock set by the operator or by
    // time synchronisation moves the anchor: the stamps follow the clock the operator reads.
    MonoTime monoAnchor_{};
    StampTime wallAnchor_{};
    MonoTime firstDue_{};
    bool caughtUp_ = true;
};

} // namespace rir
