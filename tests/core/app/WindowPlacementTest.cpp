#include "app/WindowPlacement.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

TEST(PlaceWindow, StoredRectangleIsMovedIntoTheWorkArea) {
    const ScreenMetrics fullHd{0, 0, 1920, 1080, 32, 32};
    const ScreenMetrics taskbarLeft{60, 0, 1920, 1080, 32, 32};
    const ScreenMetrics small{0, 0, 800, 600, 32, 32};
    const ScreenMetrics bigIcons{0, 0, 800, 600, 48, 48};
    const struct {
        WindowPlacement stored;
        ScreenMetrics screen;
        std::optional<WindowRect> expected;
    } cases[] = {
        {{1, 50, 100, 650, 900}, fullHd, WindowRect{100, 50, 800, 600}},
        {{3, 50, 100, 650, 900}, taskbarLeft, WindowRect{160, 50, 800, 600}},
        // Below or right of the screen: pulled back so an icon's size stays visible.
        {{1, 2000, 100, 2600, 900}, fullHd, WindowRect{100, 1048, 800, 600}},
        {{1, 50, 5000, 650, 5800}, fullHd, WindowRect{1888, 50, 800, 600}},
        {{1, 700, 700, 1300, 1500}, small, WindowRect{700, 568, 800, 600}},
        {{1, 700, 700, 1300, 1500}, bigIcons, WindowRect{700, 552, 800, 600}},
        // Left and above are kept as they are (a monitor may lie there).
        {{1, -200, -1900, 400, -1100}, fullHd, WindowRect{-1900, -200, 800, 600}},
        // Any edge -1: no stored position.
        {{1, -1, 100, 650, 900}, fullHd, std::nullopt},
        {{1, 50, -1, 650, 900}, fullHd, std::nullopt},
        {{1, 50, 100, -1, 900}, fullHd, std::nullopt},
        {{1, 50, 100, 650, -1}, fullHd, std::nullopt},
        // Upside down, absurdly large or out of any desktop: left where it is.
        {{1, 650, 100, 50, 900}, fullHd, std::nullopt},
        {{1, 50, 900, 650, 100}, fullHd, std::nullopt},
        {{1, 0, 0, 20001, 800}, fullHd, std::nullopt},
        {{1, 0, 0, 600, 20001}, fullHd, std::nullopt},
        {{1, 0, 0, 20000, 20000}, fullHd, WindowRect{0, 0, 20000, 20000}},
        {{1, -2147483647 - 1, 0, 600, 2147483647}, fullHd, std::nullopt},
        {{1, 0, 40000, 600, 40800}, fullHd, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto placed = PlaceWindow(c.stored, c.screen);
        EXPECT_EQ(placed, c.expected) << "top " << c.stored.top << " left " << c.stored.left << " bottom "
                                      << c.stored.bottom << " right " << c.stored.right;
    }
}

TEST(PlaceWindow, StartShowStateKeepsOnlyVisibleStates) {
    const struct {
        int stored;
        int shown;
    } cases[] = {{1, 1}, {2, 2}, {3, 3}, {0, 1}, {-1, 1}, {4, 1}, {10, 1}, {2147483647, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(StartShowState(c.stored), c.shown) << c.stored;
}

} // namespace
} // namespace rir
