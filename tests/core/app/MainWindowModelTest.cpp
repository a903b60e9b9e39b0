#include "app/MainLayout.h"
#include "app/MainMenu.h"
#include "device/PageLayout.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace rir {
namespace {

TEST(LayoutMainWindow, EdgesFollowTheWindowBeyondItsTemplateSize) {
    struct Case {
        int w, h;
        bool logShown;
        Rect tab, log;
    } cases[] = {
        {1000, 700, true, {7, 7, 989, 582}, {7, 587, 989, 683}},
        {1000, 700, false, {7, 7, 989, 683}, {7, 587, 989, 683}},
        {805, 485, true, {7, 7, 794, 367}, {7, 372, 794, 468}},
        {805, 485, false, {7, 7, 794, 468}, {7, 372, 794, 468}},
        {806, 486, true, {7, 7, 795, 368}, {7, 373, 795, 469}},
        {300, 200, true, {7, 7, 794, 367}, {7, 372, 794, 468}},
    };
    for (const auto& c : cases) {
        const MainLayout l = LayoutMainWindow(c.w, c.h, c.logShown);
        EXPECT_EQ(l.tabControl, c.tab) << c.w << "x" << c.h << " log " << c.logShown;
        EXPECT_EQ(l.logBox, c.log) << c.w << "x" << c.h << " log " << c.logShown;
        EXPECT_EQ(l.logBox.height(), LOG_HEIGHT);
    }
    // Hiding the log gives the tab control 101 more pixels.
    EXPECT_EQ(LayoutMainWindow(1000, 700, false).tabControl.bottom -
                  LayoutMainWindow(1000, 700, true).tabControl.bottom,
              101);
}

TEST(PageGeometry, TabsFillTheWidthRowByRow) {
    const struct {
        int tabs, width, tabWidth;
        int offset;
    } cases[] = {
        {1, 794, 40, 0},   {19, 794, 40, 0},  {20, 794, 40, 20},  {30, 794, 40, 20},
        {30, 1269, 40, 0}, {31, 1269, 40, 0}, {32, 1269, 40, 20}, {254, 794, 52, 320},
        {10, 794, 0, 180}, {3, 10, 40, 40}, // a tab control narrower than a tab: one a row
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.tabs << " tabs of " << c.tabWidth << " in " << c.width);
        EXPECT_EQ(TabRowOffset(c.tabs, c.width, c.tabWidth), c.offset);
    }
}

TEST(PageGeometry, ThePageScrollsRatherThanShrink) {
    const struct {
        int dx, dy, rowOffset;
        PixelRect viewport;
        int pageDx, pageDy;
    } cases[] = {
        {0, 0, 0, {15, 35, 773, 323}, 0, 0},
        {195, 115, 0, {15, 35, 968, 438}, 195, 115},
        {195, 115, 40, {15, 75, 968, 398}, 195, 75},
        {0, 0, 60, {15, 95, 773, 263}, 0, 0}, // the page stays whole and the view scrolls
    };
    for (const auto& c : cases) {
        const PageView v = PlacePageView(c.dx, c.dy, c.rowOffset);
        EXPECT_EQ(v.viewport, c.viewport);
        EXPECT_EQ(v.dx, c.pageDx);
        EXPECT_EQ(v.dy, c.pageDy);
    }
}

TEST(PageGeometry, Delta) {
    EXPECT_EQ(PageDeltaFor(1000, 600).dx, 195);
    EXPECT_EQ(PageDeltaFor(1000, 600).dy, 115);
    EXPECT_EQ(PageDeltaFor(700, 400).dx, 0);
    EXPECT_EQ(PageDeltaFor(700, 400).dy, 0);
}

TEST(MainMenu, DeviceItemsGoBeforeSeparatorAndDelete) {
    MainMenu menu;
    menu.InsertDeviceItem(DeviceMenuId(5, 0), "#5");
    menu.InsertDeviceItem(DeviceMenuId(5, 1), "#5_2");
    const auto& items = menu.popups()[POPUP_DEVICES].items;
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items[0].text, "Добавить");
    EXPECT_EQ(items[1].text, "Обзор линии");
    EXPECT_EQ(items[1].shortcut, "F2");
    EXPECT_EQ(items[2].id, 2005);
    EXPECT_EQ(items[3].id, 2132);
    EXPECT_EQ(items[3].text, "#5_2");
    EXPECT_EQ(items[4].id, ID_SEPARATOR);
    EXPECT_EQ(items[5].text, "Удалить");

    menu.CheckDeviceItem(2132);
    EXPECT_TRUE(menu.Checked(2132));
    EXPECT_FALSE(menu.Checked(2005));
    menu.CheckDeviceItem(2005);
    EXPECT_FALSE(menu.Checked(2132));
    menu.RemoveItem(2005);
    EXPECT_EQ(menu.Find(2005), nullptr);
    EXPECT_EQ(menu.popups()[POPUP_DEVICES].items.size(), 5u);
}

TEST(MainMenu, FastPollingIsTheComPortItemAfterStartStopAndItsIdIsItsOwn) {
    MainMenu menu;
    const auto& items = menu.popups()[POPUP_PORT].items;
    ASSERT_GE(items.size(), 3u);
    EXPECT_EQ(items[0].text, "Старт/стоп");
    EXPECT_EQ(items[1].id, 32797);
    EXPECT_EQ(items[1].text, "Быстрый опрос");
    EXPECT_FALSE(items[1].checked);
    EXPECT_EQ(items[2].id, ID_SEPARATOR);
    // No other item of the menu bar, and no port, device or speed id, shares it.
    std::vector<int> ids{menu.aboutItem().id};
    for (const MenuPopup& p : menu.popups())
        for (const MenuItem& item : p.items)
            if (item.id != ID_SEPARATOR)
                ids.push_back(item.id);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), ID_MENU_FAST_POLL), 1);
    EXPECT_GT(ID_MENU_FAST_POLL, ID_DEVICE_LAST);
    EXPECT_GT(ID_MENU_FAST_POLL, ID_MENU_LOG_FILE);
}

TEST(MainMenu, PortItemsSpeedsAndChangeRevision) {
    MainMenu menu;
    menu.AppendPortItem(0, "COM1");
    menu.AppendPortItem(1, "COM4");
    ASSERT_NE(menu.Find(1001), nullptr);
    EXPECT_EQ(menu.Find(1000)->text, "Порт COM1");
    EXPECT_EQ(menu.Find(1001)->text, "Порт COM4");
    EXPECT_EQ(menu.Find(32783)->text, "9600 бод [7]");
    EXPECT_EQ(menu.Find(32787)->text, "56000 бод [11]");
    EXPECT_EQ(menu.aboutItem().text, "О программе");
    const unsigned before = menu.revision();
    menu.SetChecked(32783, false); // already unchecked: no change
    EXPECT_EQ(menu.revision(), before);
    menu.SetEnabled(32783, false);
    EXPECT_GT(menu.revision(), before);
    EXPECT_FALSE(menu.Enabled(32783));
    EXPECT_FALSE(menu.Enabled(4242)) << "an unknown id is no enabled item";
}

} // namespace
} // namespace rir
