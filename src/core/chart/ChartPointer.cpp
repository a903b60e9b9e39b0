#include "chart/ChartPointer.h"

#include "chart/SecondsWindow.h"

#include <algorithm>
#include <cstdlib>

namespace rir {

namespace {

constexpr int AXIS_LEFT = 25;
// The hit test measures the axis as W - 26, four pixels longer than the drawing's W - 30; the
// station has always pointed that way, and a second's catchment is 20 pixels wide either side.
constexpr int HIT_AXIS_INSET = 26;

} // namespace

HitResult HitTestChart(const HitInput& in) {
    const ChartState& st = in.state;
    HitResult r;
    r.cursor = st.elapsedSeconds;
    if (!in.area.Contains(in.x, in.y))
        return r;
    const int dx = in.x - in.area.left;
    if (!in.recording && !in.programLoaded)
        return r;

    const SecondsWindow window =
        PlaceSecondsWindow({st.splitView, in.recording, in.programLoaded, st.ringIndex, st.elapsedSeconds,
                            st.programDuration, static_cast<int>(in.ring.size())});
    const int wh = in.area.width - HIT_AXIS_INSET;
    int bestDistance = HIT_DISTANCE;
    ChartCursor best = CURSOR_NONE;

    if (in.minutesCount >= 4) {
        const int half = (wh - AXIS_LEFT) / 2;
        const double perMinute = static_cast<double>(half) / (in.minutesCount - 1);
        const int step = std::max(st.minutesStep, 1);
        for (int j = 0; j < in.minutesCount; j += step) {
            const int d = std::abs(dx - TruncPixel(j * perMinute + 25.0));
            if (d < bestDistance) {
                bestDistance = d;
                best = MinuteCursor(j);
            }
        }
    }
    const ChartSample* first = RingEntry(in.ring, window.start);
    if (best == CURSOR_NONE && first != nullptr && window.points > 0) {
        const int left = st.splitView ? (wh - AXIS_LEFT) / 2 + AXIS_LEFT : AXIS_LEFT;
        const double perSecond = static_cast<double>(wh - left) / window.length;
        const int step = std::max(st.secondsStep, 1);
        for (int i = 0; i < window.points; i += step) {
            const int entry = WindowEntry(window, i);
            const int time = in.ring[static_cast<std::size_t>(entry)].time;
            const int d = std::abs(dx - TruncPixel((time - first->time) * perSecond + left));
            if (d < bestDistance) {
                bestDistance = d;
                best = entry;
            }
        }
    }

    if (best != CURSOR_NONE) {
        r.cursor = best;
        r.hoverLock = true;
    }
    r.windowStart = window.start;
    return r;
}

} // namespace rir
