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

// The tabs wrap into rows once there are 8 or more; the pages move down with them.
constexpr int PageRowOffset(int tabCount) {
    return tabCount < 8 ? 0 : (tabCount / 7) * TAB_ROW_HEIGHT;
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
