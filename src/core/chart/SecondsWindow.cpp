#include "chart/SecondsWindow.h"

#include <algorithm>

namespace rir {

namespace {

constexpr int FULL_WINDOW = SECONDS_RING_SIZE;
constexpr int SPLIT_WINDOW = 60;
constexpr int PROGRAM_LEAD = 40; // seconds before the present one in a running program's window
constexpr int PROGRAM_TAIL = 19; // and after it

} // namespace

SecondsWindow PlaceSecondsWindow(const WindowRule& rule) {
    SecondsWindow w;
    w.length = rule.splitView ? SPLIT_WINDOW : FULL_WINDOW;
    if (rule.splitView) {
        if (rule.programLoaded) {
            if (rule.elapsedSeconds >= PROGRAM_LEAD) {
                w.lead = rule.elapsedSeconds + PROGRAM_TAIL >= rule.programDuration
                             ? rule.elapsedSeconds - rule.programDuration + SPLIT_WINDOW - 1
                             : PROGRAM_LEAD;
                w.start = RingIndex(rule.elapsedSeconds - w.lead);
            }
        } else if (rule.recording) {
            w.start = RingIndex(rule.ringIndex - (SPLIT_WINDOW - 1));
        }
    }
    if (rule.programLoaded)
        w.length = std::min(w.length, std::max(rule.ringSize, 0));
    // The ring may hold fewer than 180 entries (a short program): the window then ends where
    // the ring does and never reads past it.
    if (rule.ringSize >= SECONDS_RING_SIZE)
        w.points = w.length;
    else
        w.points = std::clamp(rule.ringSize - w.start, 0, w.length);
    return w;
}

int TruncPixel(double v) {
    constexpr double BOUND = 1.0e8;
    if (!(v > -BOUND)) // also catches NaN
        return static_cast<int>(-BOUND);
    if (v > BOUND)
        return static_cast<int>(BOUND);
    return static_cast<int>(v);
}

} // namespace rir
