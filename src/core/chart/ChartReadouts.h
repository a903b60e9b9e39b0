// The two texts beside the chart that describe the sample under the chart cursor: time,
// measured current and voltage and the regulated quantity (control 1040), and the current
// limit, voltage limit and output (control 1036).
#pragma once

#include "chart/ChartSample.h"

#include <string>

namespace rir {

// What the readouts need of the supply's record: its scales, which give the decimals its values
// are shown with (ScaleDecimals), as on the page.
struct ChartUnits {
    int voltScale = 1;
    int currScale = 1;
};

enum class CursorKind { Second, Minute };

struct ReadoutInput {
    const ChartSample& sample;
    CursorKind kind = CursorKind::Second;
    int entry = 0;              // ring entry number, or index in the minutes list
    bool programLoaded = false; // otherwise the page is recording
    int programDuration = 0;
    int chartClock = 0;
    int elapsedSeconds = 0;
    ChartUnits units;
};

struct ReadoutTexts {
    std::string limits; // control 1036
    std::string values; // control 1040
};

// Whether the sample lies beyond what has been recorded: a ring entry past the elapsed seconds,
// or a minute past the elapsed minutes. Comparing a minute with the elapsed seconds would call
// a program's future minutes recorded after its first few seconds and show their zero
// measurements as readings.
bool ReadoutAhead(CursorKind kind, int entry, int elapsedSeconds);

ReadoutTexts ComposeReadouts(const ReadoutInput& in);

} // namespace rir
