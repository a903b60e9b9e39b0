// The chart of a device page drawn as a list of primitives: frame and axes, the vertical
// scales, the seconds window with limits, output, measured curves and stabilisation band, the
// minutes half in the split view, and the cursor line. A pure function of the page's chart
// state and histories, as are the decisions that lay it out.
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

// What a chart that shows data decides for its page besides the picture. None of it depends on
// the picture's size: the page decides it whenever the histories, the clocks or the cursor move
// on, so that a drawing only reads the page.
struct ChartDecisions {
    // Unset for the idle chart, which leaves them be.
    std::optional<bool> splitView;
    std::optional<int> minutesStep; // set when there is a minutes half to draw
    // The held cursor fell a minute or more behind the latest sample of a recording.
    bool releaseHoverLock = false;
    // The texts for the sample under the cursor; unset when the cursor names none that exists.
    std::optional<ReadoutTexts> readouts;
};

ChartDecisions DecideChart(const ChartInput& in);

// A clock time on the time axis: the x of a sample that carries its stamp, in chart pixels.
struct ClockMark {
    int x = 0;
    StampTime at;
};

// The picture, with the decisions it was laid out by and where its samples' clock times stand.
struct ChartDrawing : ChartDecisions {
    ChartScene scene;
    // Samples along the time axis whose clock times a saved picture writes under it, left to
    // right within each half, spaced to leave room for a time between two of them. Found while
    // drawing and handed back with the scene; the page keeps none of it.
    std::vector<ClockMark> clockMarks;
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
