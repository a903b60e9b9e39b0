// The main window's stored placement and where it puts the window at start-up.
#pragma once

#include <optional>

namespace rir {

// Show states as the platform reports them.
inline constexpr int SHOW_NORMAL = 1;
inline constexpr int SHOW_MINIMIZED = 2;
inline constexpr int SHOW_MAXIMIZED = 3;

// The "Window" section: the show state and the normal (restored) position in work-area
// coordinates; -1 in any edge means "no stored position".
struct WindowPlacement {
    int status = SHOW_NORMAL;
    int top = -1;
    int left = -1;
    int bottom = -1;
    int right = -1;
    bool operator==(const WindowPlacement&) const = default;
};

// What the desktop tells about the screen the window goes on, in pixels.
struct ScreenMetrics {
    int workAreaLeft = 0; // the work area's origin (a taskbar on the left or top moves it)
    int workAreaTop = 0;
    int screenWidth = 0;
    int screenHeight = 0;
    int iconWidth = 32; // the big icon's size: the part of the title bar kept on the screen
    int iconHeight = 32;
};

struct WindowRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const WindowRect&) const = default;
};

// A window larger than this in either direction was never on any screen.
inline constexpr int MAX_WINDOW_EXTENT = 20000;
// Edges beyond this are no real desktop coordinate.
inline constexpr int MAX_WINDOW_COORDINATE = 32767;

// Where to move the window, or nothing to keep its default place: when an edge is -1, or the
// stored rectangle is upside down, absurdly large or far outside any desktop. The position is
// pulled back so that at least an icon's size of the window stays on the screen at the right
// and the bottom.
std::optional<WindowRect> PlaceWindow(const WindowPlacement& stored, const ScreenMetrics& screen);

// The show state to start with: a stored 1, 2 or 3; anything else shows the window normally
// (a hidden main window, show state 0, would leave the station unreachable).
int StartShowState(int storedStatus);

} // namespace rir
