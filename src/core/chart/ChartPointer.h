// Finding the sample under the mouse pointer: the nearest minute or second within 20 pixels of
// the pointer (horizontally) holds the cursor; farther away the cursor follows the latest
// sample.
#pragma once

#include "chart/ChartSample.h"
#include "chart/ChartState.h"

#include <optional>
#include <vector>

namespace rir {

// The chart rectangle in page client coordinates.
struct ChartArea {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    // Left and top inclusive, right and bottom exclusive.
    bool Contains(int x, int y) const {
        return x >= left && x < left + width && y >= top && y < top + height;
    }
};

struct HitInput {
    int x = 0; // the pointer, page client coordinates
    int y = 0;
    ChartArea area;
    bool recording = false;
    bool programLoaded = false;
    const std::vector<ChartSample>& ring;
    int minutesCount = 0;
    const ChartState& state; // split view and minutes step as the last drawing left them
};

struct HitResult {
    ChartCursor cursor = CURSOR_NONE;
    bool hoverLock = false;
    // The window start the pointer was measured against, for the diagnostic line; unset when the
    // pointer is off the chart or nothing is shown.
    std::optional<int> windowStart;
};

// Pointing candidates nearer than this many pixels hold the cursor.
inline constexpr int HIT_DISTANCE = 20;

HitResult HitTestChart(const HitInput& in);

} // namespace rir
