// The chart's geometry as the tests reckon it, independently of the drawing: where the axes of
// a picture of a given size lie, and the template's chart rectangle.
#pragma once

#include "chart/ChartPointer.h"

namespace rir::test {

// The time axis lies 26 pixels above the bottom, the current axis 30 pixels left of the right
// edge, the voltage axis at x = 25; the split view divides the axis midway.
constexpr int TimeAxisY(int height) {
    return height - 26;
}
constexpr int CurrAxisX(int width) {
    return width - 30;
}
constexpr int SplitMiddleX(int width) {
    return (CurrAxisX(width) - 25) / 2 + 25;
}

// The template's chart: its rectangle in page coordinates, its size and its axes.
namespace templatechart {
inline constexpr ChartArea AREA{285, 19, 488, 214};
inline constexpr int W = AREA.width;
inline constexpr int H = AREA.height;
inline constexpr int B = TimeAxisY(H);
inline constexpr int R = CurrAxisX(W);
inline constexpr int MID = SplitMiddleX(W); // 241
} // namespace templatechart

} // namespace rir::test
