// Where a device page and the controls under its chart go when the main window is resized.
#pragma once

#include "device/PageTemplate.h"

#include <vector>

namespace rir {

struct ControlPlacement {
    int id;
    PixelRect rect; // page coordinates
};

struct PagePlacement {
    PixelRect page;                         // main-window client coordinates
    std::vector<ControlPlacement> controls; // the chart and the controls under it
};

// dx and dy: how far the main window's client area exceeds its smallest layout size; rowOffset:
// the height taken by extra rows of tabs. The page keeps its top-left corner at (15, 35 + rowOffset) and
// stretches to (788 + dx, 358 + dy); the chart keeps its top-left corner and stretches to (788 + dx, 268 +
// dy); the controls under the chart keep their sizes and move with the bottom-right corner. Corners given in
// main-window client pixels are turned into page coordinates here. Bottom-right corners are exclusive (x +
// width, y + height). Widths and heights never go below 0, even when many rows of tabs eat the page's height.
PagePlacement PlacePageControls(int dx, int dy, int rowOffset);

// The page inside a scrolling view: the view takes the page's place under the tabs, and the page
// in it never gets smaller than the template's, so with many rows of tabs or a small window the
// view scrolls and every control stays reachable. dx and dy are the page's own growth, for
// PlacePageControls with no row offset (the page sits at the view's top-left corner).
struct PageView {
    PixelRect viewport; // main-window client coordinates
    int dx = 0;
    int dy = 0;
};
PageView PlacePageView(int dx, int dy, int rowOffset);

} // namespace rir
