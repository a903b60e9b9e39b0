#include "app/WindowPlacement.h"

#include <algorithm>
#include <cstdint>

namespace rir {

std::optional<WindowRect> PlaceWindow(const WindowPlacement& stored, const ScreenMetrics& screen) {
    if (stored.top == -1 || stored.left == -1 || stored.bottom == -1 || stored.right == -1)
        return std::nullopt;
    for (int edge : {stored.top, stored.left, stored.bottom, stored.right}) {
        if (edge < -MAX_WINDOW_COORDINATE || edge > MAX_WINDOW_COORDINATE)
            return std::nullopt;
    }
    // Within the coordinate bound none of this can overflow an int.
    const int width = stored.right - stored.left;
    const int height = stored.bottom - stored.top;
    if (width < 0 || height < 0 || width > MAX_WINDOW_EXTENT || height > MAX_WINDOW_EXTENT)
        return std::nullopt;
    // The metrics come from the desktop; 64 bits keep odd values from overflowing.
    std::int64_t left = std::int64_t{stored.left} + screen.workAreaLeft;
    std::int64_t top = std::int64_t{stored.top} + screen.workAreaTop;
    left = std::min(left, std::int64_t{screen.screenWidth} - screen.iconWidth);
    top = std::min(top, std::int64_t{screen.screenHeight} - screen.iconHeight);
    const auto toInt = [](std::int64_t v) {
        return static_cast<int>(
            std::clamp<std::int64_t>(v, -MAX_WINDOW_COORDINATE * 2, MAX_WINDOW_COORDINATE * 2));
    };
    return WindowRect{toInt(left), toInt(top), width, height};
}

int StartShowState(int storedStatus) {
    return storedStatus == SHOW_MINIMIZED || storedStatus == SHOW_MAXIMIZED ? storedStatus : SHOW_NORMAL;
}

} // namespace rir
