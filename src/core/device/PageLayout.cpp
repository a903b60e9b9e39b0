#include "device/PageLayout.h"

#include "device/PageControls.h"

#include <algorithm>

namespace rir {

namespace {

// The page's top-left corner in the main window's client area, below the tab row.
constexpr int PAGE_ORIGIN_X = 15;
constexpr int PAGE_ORIGIN_Y = 35;

// Top-left corners at dx = dy = 0, in main-window client pixels.
struct MovedControl {
    int id;
    int x;
    int y;
};
constexpr MovedControl MOVED[] = {
    {IDC_READOUT_VALUES, 401, 272},    {IDC_READOUT_LIMITS, 575, 272}, {IDC_CLEAR_CHART, 300, 272},
    {IDC_DIAGNOSTIC, 300, 300},        {IDC_ALARM_LINE, 300, 316},     {IDC_SERIES_VOLT, 746, 269},
    {IDC_SERIES_VOLT_LIMIT, 746, 285}, {IDC_SERIES_CURR, 746, 301},    {IDC_SERIES_CURR_LIMIT, 746, 317},
    {IDC_SERIES_OUTPUT, 746, 333},
};

} // namespace

PagePlacement PlacePageControls(int dx, int dy, int rowOffset) {
    const int originX = PAGE_ORIGIN_X;
    const int originY = PAGE_ORIGIN_Y + rowOffset;
    PagePlacement g;
    g.page = {originX, originY, std::max(0, 788 + dx - originX), std::max(0, 358 + dy - originY)};

    if (const TemplateControl* chart = FindTemplateControl(IDC_CHART)) {
        const PixelRect& r = chart->rect;
        g.controls.push_back(
            {IDC_CHART,
             {r.x, r.y, std::max(0, 788 + dx - originX - r.x), std::max(0, 268 + dy - originY - r.y)}});
    }
    for (const MovedControl& m : MOVED) {
        const TemplateControl* t = FindTemplateControl(m.id);
        const int width = t != nullptr ? t->rect.width : 0;
        const int height = t != nullptr ? t->rect.height : 0;
        g.controls.push_back({m.id, {m.x + dx - originX, m.y + dy - originY, width, height}});
    }
    return g;
}

PageView PlacePageView(int dx, int dy, int rowOffset) {
    PageView v;
    v.viewport = PlacePageControls(dx, dy, rowOffset).page;
    const PixelRect smallest = PlacePageControls(0, 0, 0).page;
    v.dx = std::max(0, v.viewport.width - smallest.width);
    v.dy = std::max(0, v.viewport.height - smallest.height);
    return v;
}

} // namespace rir
