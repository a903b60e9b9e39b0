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

// The picture, with the decisions it was laid out by.
struct ChartDrawing : ChartDecisions {
    ChartScene scene;
};

ChartDrawing DrawChart(const ChartInput& in);

// Minute entries visited per loop of the minutes half: more entries, a longer stride, so a
// week or a year of minutes costs no more than a few thousand points.
int MinutesStepFor(int entries);

} // namespace rir
