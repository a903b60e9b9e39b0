#include "chart/ChartScene.h"

#include <array>

namespace rir {

namespace {

constexpr PenStyle Solid(int width, Rgb colour) {
    return {false, width, colour};
}
constexpr PenStyle Dotted(Rgb colour) {
    return {true, 1, colour};
}

// In the order of ChartPen.
constexpr std::array<PenStyle, CHART_PEN_COUNT> PENS = {
    Solid(1, COLOUR_BLACK), // Black
    Solid(1, COLOUR_GREEN), // VoltAxis
    Solid(1, COLOUR_RED),   // CurrAxis
    Dotted(COLOUR_GREEN),   // VoltLimit
    Dotted(COLOUR_RED),     // CurrLimit
    Solid(1, COLOUR_GREEN), // Volt
    Solid(2, COLOUR_GREEN), // VoltEmphasised
    Solid(1, COLOUR_RED),   // Curr
    Solid(2, COLOUR_RED),   // CurrEmphasised
    Solid(2, COLOUR_BLACK), // Progress
    Solid(2, COLOUR_GREEN), // VoltBand
    Solid(2, COLOUR_RED),   // CurrBand
    Dotted(COLOUR_BLACK),   // Cursor
};

} // namespace

const PenStyle& PenStyleOf(ChartPen pen) {
    const auto i = static_cast<std::size_t>(pen);
    return i < PENS.size() ? PENS[i] : PENS[0];
}

} // namespace rir
