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

// Tab control 1002 and log edit 1000 for client size w × h, with the log shown or hidden.
MainLayout LayoutMainWindow(int w, int h, bool logShown);

} // namespace rir
