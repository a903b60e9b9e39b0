#include "device/TickSchedule.h"

namespace rir {

namespace {

// The wall clock may be read a little before or after the monotonic one; a difference beyond
// this means that the wall clock was set.
constexpr std::chrono::seconds WALL_CLOCK_SET{2};

} // namespace

int TickSchedule::TakeDue(MonoTime now, bool running, int limit, StampTime wallNow) {
    if (!running) {
        next_.reset();
        return 0;
    }
    if (!next_) {
        next_ = now + period_;
        monoAnchor_ = now;
        wallAnchor_ = wallNow;
        return 0;
    }
    const auto mapped = wallAnchor_ + std::chrono::duration_cast<StampTime::duration>(now - monoAnchor_);
    const auto drift = wallNow - mapped;
    if (drift > WALL_CLOCK_SET || drift < -WALL_CLOCK_SET) {
        monoAnchor_ = now;
        wallAnchor_ = wallNow;
    }
    firstDue_ = *next_;
    int due = 0;
    while (due < limit && now >= *next_) {
        *next_ += period_;
        ++due;
    }
    return due;
}

StampTime TickSchedule::dueStamp(int i) const {
    const MonoTime due = firstDue_ + i * period_;
    return wallAnchor_ + std::chrono::duration_cast<StampTime::duration>(due - monoAnchor_);
}

} // namespace rir
