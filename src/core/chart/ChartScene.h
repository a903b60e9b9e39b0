// The chart as a list of drawing primitives in chart pixels: x grows to the right from the
// chart's left edge, y downwards from its top edge. The Qt chart widget replays the list; tests
// read the geometry from it.
#pragma once

#include "view/Rgb.h"

#include <string>
#include <variant>
#include <vector>

namespace rir {

// The fixed pens of the chart.
enum class ChartPen {
    Black,          // frame, time axis, ticks, output trace, minutes divider and arrows: solid 1
    VoltAxis,       // solid 1 green
    CurrAxis,       // solid 1 red
    VoltLimit,      // "Uл": dotted 1 green
    CurrLimit,      // "Iл": dotted 1 red
    Volt,           // "U": solid 1 green
    VoltEmphasised, // "U" while the supply regulates voltage: solid 2 green
    Curr,           // "I": solid 1 red
    CurrEmphasised, // "I" while the supply regulates current: solid 2 red
    Progress,       // progress bar: solid 2 black
    VoltBand,       // stabilisation band under voltage regulation: solid 2 green
    CurrBand,       // the same under current regulation: solid 2 red
    Cursor,         // cursor line: dotted 1 black
};
inline constexpr int CHART_PEN_COUNT = 13;

struct PenStyle {
    bool dotted = false;
    int width = 1;
    Rgb colour;
    friend constexpr bool operator==(const PenStyle&, const PenStyle&) = default;
};
const PenStyle& PenStyleOf(ChartPen pen);

inline constexpr Rgb COLOUR_BLACK{0, 0, 0};
inline constexpr Rgb COLOUR_WHITE{255, 255, 255};

struct ChartPoint {
    int x = 0;
    int y = 0;
    friend constexpr bool operator==(const ChartPoint&, const ChartPoint&) = default;
};

// Lines follow the move-to / line-to rule: the end point of a line is not painted (the next
// line of a polyline starts there and paints it).
struct ChartLine {
    ChartPen pen;
    ChartPoint from;
    ChartPoint to;
};
// Straight segments from each point to the next.
struct ChartPolyline {
    ChartPen pen;
    std::vector<ChartPoint> points;
};
// From each point to the next: first along at the previous height to the next x, then up or
// down to the next point.
struct ChartStepLine {
    ChartPen pen;
    std::vector<ChartPoint> points;
};
// Text in the chart font, anchored at its top-left corner, on an opaque white background.
struct ChartText {
    Rgb colour;
    ChartPoint at;
    std::string text; // UTF-8
};
// A white rectangle outlined with the pen; right and bottom exclusive.
struct ChartRectangle {
    ChartPen pen;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

using ChartPrimitive = std::variant<ChartLine, ChartPolyline, ChartStepLine, ChartText, ChartRectangle>;

// One drawing: the image size and what goes into it, in painting order, on a white image.
struct ChartScene {
    int width = 0;
    int height = 0;
    std::vector<ChartPrimitive> items;
};

} // namespace rir
