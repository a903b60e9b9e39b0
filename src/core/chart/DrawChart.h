// The chart of a device page drawn as a list of primitives: frame and axes, the vertical
// scales, the seconds window with limits, output, measured curves and stabilisation band, the
// minutes half in the split view, and the cursor line. A pure function of the page's chart
// state and histories; what the drawing decides for the page comes back beside the picture.
#pragma once

#include "chart/ChartReadouts.h"
#include "chart/ChartSample.h"
#include "chart/ChartScene.h"
#include "chart/ChartState.h"
#include "chart/SeriesSwitches.h"

#include <optional>
#include <vector>

namespace rir {

struct ChartInput {
    int width = 0; // the chart rectangle, in pixels
    int height = 0;
    bool recording = false;
    bool programLoaded = false;
    const std::vector<ChartSample>& ring;
    const std::vector<ChartSample>& minutes;
    const ChartState& state;
    const SeriesSwitches& series;
    ChartUnits units;
};

// A clock time on the time axis: the x of a sample that carries its stamp, in chart pixels.
struct ClockMark {
    int x = 0;
    StampTime at;
};

struct ChartDrawing {
    ChartScene scene;
    // Samples along the time axis whose clock times a saved picture writes under it, left to
    // right within each half, spaced to leave room for a time between two of them.
    std::vector<ClockMark> clockMarks;
    // Decided by a drawing that shows data; unset by the idle picture, which leaves them be.
    std::optional<bool> splitView;
    std::optional<int> minutesStep; // set when the minutes half was drawn
    // The held cursor fell a minute or more behind the latest sample of a recording.
    bool releaseHoverLock = false;
    // The texts for the sample under the cursor; unset when the cursor names none that exists.
    std::optional<ReadoutTexts> readouts;
};

ChartDrawing DrawChart(const ChartInput& in);

// The clock marks' stride in samples (seconds or minutes) for samples this many pixels apart:
// the smallest of the usual steps (1, 2, 5, 10, 15, 30 ... 86400) that leaves CLOCK_MARK_SPACING
// pixels between two marks.
inline constexpr int CLOCK_MARK_SPACING = 64;
int ClockMarkStride(double pixelsPerSample);

// Minute entries visited per loop of the minutes half: more entries, a longer stride, so a
// week or a year of minutes costs no more than a few thousand points.
int MinutesStepFor(int entries);

} // namespace rir
