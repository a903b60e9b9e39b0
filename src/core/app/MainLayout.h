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
inline constexpr int PAGE_LEFT = 15;
inline constexpr int PAGE_TOP = 35;
inline constexpr int TAB_ROW_HEIGHT = 20;

struct MainLayout {
    Rect tabControl;
    Rect logBox;
};

// Tab control 1002 and log edit 1000 for client size w × h, with the log shown or hidden.
MainLayout LayoutMainWindow(int w, int h, bool logShown);

// The tabs wrap into rows once there are 8 or more; the pages move down with them.
constexpr int PageRowOffset(int tabCount) {
    return tabCount < 8 ? 0 : (tabCount / 7) * TAB_ROW_HEIGHT;
}

// How far the page's right and bottom edges follow the window beyond its template size.
struct PageDelta {
    int dx = 0, dy = 0;
};
PageDelta PageDeltaFor(int w, int h);

} // namespace rir
