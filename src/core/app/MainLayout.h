// Where the main window's tab control, log box and device pages go for a client size.
#pragma once

namespace rir {

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

// The window's template size, in client pixels: below it nothing moves.
inline constexpr int MIN_TRACK_WIDTH = 810;
inline constexpr int MIN_TRACK_HEIGHT = 540;
inline constexpr int TAB_LEFT = 7;
inline constexpr int TAB_TOP = 7;
inline constexpr int LOG_HEIGHT = 96;

struct MainLayout {
    Rect tabControl;
    Rect logBox;
};

inline constexpr int TAB_ROW_HEIGHT = 20;

// Room the tab control keeps at each end of a row of tabs.
inline constexpr int TAB_ROW_INSET = 2;

// The tabs, each `tabWidth` wide (the widest caption's), fill the tab control's width row by
// row; the pages move down by the extra rows. (A row of seven, whatever the width, left 30 tabs
// five rows deep even at 1280 pixels and pushed the page's buttons out of the window.)
constexpr int TabsPerRow(int controlWidth, int tabWidth) {
    const int usable = controlWidth - 2 * TAB_ROW_INSET;
    const int perRow = tabWidth > 0 ? usable / tabWidth : 1;
    return perRow > 1 ? perRow : 1;
}
constexpr int TabRows(int tabCount, int controlWidth, int tabWidth) {
    const int perRow = TabsPerRow(controlWidth, tabWidth);
    return tabCount <= perRow ? 1 : (tabCount + perRow - 1) / perRow;
}
constexpr int TabRowOffset(int tabCount, int controlWidth, int tabWidth) {
    return (TabRows(tabCount, controlWidth, tabWidth) - 1) * TAB_ROW_HEIGHT;
}

// How far the client area exceeds the smallest layout (805 × 485): the pages grow by as much.
struct PageDelta {
    int dx = 0;
    int dy = 0;
};
constexpr PageDelta PageDeltaFor(int w, int h) {
    return {w > 805 ? w - 805 : 0, h > 485 ? h - 485 : 0};
}

// Tab control 1002 and log edit 1000 for client size w × h, with the log shown or hidden.
MainLayout LayoutMainWindow(int w, int h, bool logShown);

} // namespace rir
