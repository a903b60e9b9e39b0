#include "app/LineOverview.h"

#include "PageOnline.h"
#include "device/DevicePage.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

std::unique_ptr<DevicePage> Page(int address, int channel) {
    auto page = std::make_unique<DevicePage>();
    page->InitDevice(address, channel);
    return page;
}

TEST(LineOverview, TilesSayWhatThePageSaysAndGreyWhileItDoesNotAnswer) {
    auto page = Page(15, 1);
    OverviewTile t = OverviewTileOf(*page, nullptr, false);
    EXPECT_EQ(t.caption, "#15_2");
    EXPECT_EQ(t.state, "Нет связи");
    EXPECT_EQ(t.volts, "-");
    EXPECT_FALSE(t.online);
    EXPECT_FALSE(t.voltColour);
    EXPECT_EQ(t.alarm, OVERVIEW_NO_ALARMS);

    test::BringPageOnline(*page, 0, 0x03); // output on, current regulation
    page->state.voltMeas = 1234;
    page->state.currMeas = 250;
    t = OverviewTileOf(*page, nullptr, true);
    EXPECT_EQ(t.state, "Выход включен");
    EXPECT_EQ(t.regulation, "Стабилизация I");
    EXPECT_EQ(t.volts, "12.34");
    EXPECT_EQ(t.voltLimit, "из 15.00 В");
    EXPECT_EQ(t.amps, "2.50");
    EXPECT_EQ(t.currLimit, "из 10.00 А");
    EXPECT_EQ(t.voltColour, COLOUR_GREEN);
    EXPECT_TRUE(t.selected);
    EXPECT_EQ(t.temperature, "");

    // An alarm that waits, one that was seen.
    AlarmMonitor alarms;
    AlarmSecond s;
    s.online = s.measured = s.outputOn = true;
    alarms.Second(s);
    s.online = false;
    alarms.Second(s);
    t = OverviewTileOf(*page, &alarms, false);
    EXPECT_EQ(t.alarm, "Тревога: нет ответа при включённом выходе");
    EXPECT_TRUE(t.canAcknowledge);
    EXPECT_EQ(t.background, OVERVIEW_ALARM_WAITING);
    alarms.Acknowledge("ivan");
    t = OverviewTileOf(*page, &alarms, false);
    EXPECT_FALSE(t.canAcknowledge);
    EXPECT_EQ(t.background, OVERVIEW_ALARM_SEEN);
}

TEST(LineOverview, ATileGetsANewRevisionOnlyWhenItChanged) {
    std::vector<std::unique_ptr<DevicePage>> pages;
    pages.push_back(Page(15, 0));
    pages.push_back(Page(20, 0));
    LineOverview overview;
    const auto none = [](const DevicePage&) -> const AlarmMonitor* { return nullptr; };
    EXPECT_TRUE(overview.Update(pages, 0, none));
    const unsigned structure = overview.structure();
    const unsigned first = overview.tiles()[0].revision;
    const unsigned second = overview.tiles()[1].revision;
    EXPECT_FALSE(overview.Update(pages, 0, none));
    test::BringPageOnline(*pages[1], 0);
    EXPECT_TRUE(overview.Update(pages, 0, none));
    EXPECT_EQ(overview.tiles()[0].revision, first);
    EXPECT_NE(overview.tiles()[1].revision, second);
    EXPECT_EQ(overview.structure(), structure);
    pages.erase(pages.begin());
    EXPECT_TRUE(overview.Update(pages, 0, none));
    EXPECT_NE(overview.structure(), structure);
    EXPECT_EQ(overview.tiles().front().caption, "#20");
}

TEST(LineOverview, ColumnsFollowTheWidthUnlessACountIsStored) {
    const int tile = OVERVIEW_TILE_WIDTH + OVERVIEW_GAP;
    const struct {
        int width, stored, tiles, columns;
    } cases[] = {
        {0, 0, 8, 1},                           // never fewer than one
        {OVERVIEW_GAP + 3 * tile - 1, 0, 8, 2}, // a pixel short of three
        {OVERVIEW_GAP + 3 * tile, 0, 8, 3},
        {OVERVIEW_GAP + 10 * tile, 0, 4, 4}, // never more than there are tiles
        {100000, 0, 254, OVERVIEW_MAX_COLUMNS},
        {100, 5, 8, 5}, // a stored count holds whatever the width
        {100, 5, 2, 2},
        {100, -1, 8, 1}, // a stored count out of range is taken as none
        {100, OVERVIEW_MAX_COLUMNS + 1, 254, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OverviewColumns(c.width, c.stored, c.tiles), c.columns) << c.width << " " << c.stored;
}

} // namespace
} // namespace rir
