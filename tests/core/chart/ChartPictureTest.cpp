#include "chart/ChartPicture.h"

#include "ChartRig.h"
#include "SceneQuery.h"
#include "device/DevicePage.h"

#include <gtest/gtest.h>

#include <ctime>

namespace rir {
namespace {

using namespace std::chrono;

// The moment a wall clock in the machine's own time zone shows, as the page's clock hands it in.
StampTime LocalMoment(int year, int month, int day, int hour, int minute, int second) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return system_clock::from_time_t(std::mktime(&local));
}

TEST(ChartPictureTest, ProposedNames) {
    const struct {
        const char* name;
        int address, channel;
        std::optional<year_month_day> date;
        const char* expected;
    } table[] = {
        {"a supply and its day", 15, 0, 2026y / December / 9d, "rir-15-2026-12-09.png"},
        {"the second channel", 20, 1, 2026y / December / 9d, "rir-20_2-2026-12-09.png"},
        {"lowest address, first day of a year", 1, 0, 2027y / January / 1d, "rir-1-2027-01-01.png"},
        {"highest address, last day of a year", 127, 0, 2026y / December / 31d, "rir-127-2026-12-31.png"},
        {"a leap day", 7, 0, 2028y / February / 29d, "rir-7-2028-02-29.png"},
        {"a year before 1000 keeps four digits", 15, 0, year(999) / March / 5d, "rir-15-0999-03-05.png"},
        {"no date", 15, 0, std::nullopt, "rir-15.png"},
        {"a day that does not exist", 15, 0, 2026y / February / 30d, "rir-15.png"},
        {"a year beyond four digits", 15, 0, year(10000) / January / 1d, "rir-15.png"},
        {"a year before the first", 15, 0, year(0) / January / 1d, "rir-15.png"},
    };
    for (const auto& row : table)
        EXPECT_EQ(ChartPictureName(row.address, row.channel, row.date), row.expected) << row.name;
}

// The day is the one the operator's clock shows, from its first second to its last.
TEST(ChartPictureTest, LocalDateOfTheWallClock) {
    const struct {
        StampTime when;
        year_month_day date;
    } table[] = {
        {LocalMoment(2026, 12, 9, 0, 0, 0), 2026y / December / 9d},
        {LocalMoment(2026, 12, 9, 23, 59, 59), 2026y / December / 9d},
        {LocalMoment(2026, 12, 31, 23, 59, 59), 2026y / December / 31d},
        {LocalMoment(2027, 1, 1, 0, 0, 0), 2027y / January / 1d},
        {LocalMoment(2028, 2, 29, 12, 0, 0), 2028y / February / 29d},
    };
    for (const auto& row : table) {
        const std::optional<year_month_day> date = LocalDate(row.when);
        ASSERT_TRUE(date.has_value());
        EXPECT_EQ(*date, row.date) << static_cast<int>(row.date.year()) << "-"
                                   << static_cast<unsigned>(row.date.month()) << "-"
                                   << static_cast<unsigned>(row.date.day());
    }
    EXPECT_EQ(ChartPictureName(15, 0, LocalDate(LocalMoment(2026, 12, 9, 14, 30, 0))),
              "rir-15-2026-12-09.png");
}

// The saved picture of a recording: the supply and the day above the chart, and under its time
// axis the clock times of samples at a round stride, each under the axis tick of its sample.
TEST(ChartPictureTest, APictureNamesTheSupplyAndTheDayAndGivesTheClockTimes) {
    constexpr int W = 488;
    constexpr int H = 214;
    const StampTime start = LocalMoment(2026, 12, 9, 14, 30, 0);
    StampTime now = start;
    RepaintCounter repaints;
    DevicePage page;
    page.repaints = &repaints;
    page.stampClock = [&now] { return now; };
    page.InitDevice(20, 1);
    chartrig::Identify(page);
    page.state.voltLimit = 1500;
    page.state.currLimit = 1000;
    page.state.voltMeas = 1200;
    page.state.currMeas = 800;
    chartrig::StartRecording(page);
    for (int i = 0; i < 100; ++i) {
        now += seconds(1);
        chartrig::Tick(page);
    }
    const ChartScene chart = page.chartScene(W, H);
    const ChartScene picture = page.chartPicture(W, H);
    ASSERT_EQ(picture.width, W);
    ASSERT_EQ(picture.height, PICTURE_HEADING_HEIGHT + H + PICTURE_CLOCK_HEIGHT);
    const ChartText* heading = scene::Text(picture, "#20_2, 09.12.2026");
    ASSERT_NE(heading, nullptr);
    EXPECT_LT(heading->at.y, PICTURE_HEADING_HEIGHT);
    // The chart itself, one band lower.
    const auto frames = scene::All<ChartRectangle>(picture);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0]->top, PICTURE_HEADING_HEIGHT);
    EXPECT_EQ(frames[0]->bottom, PICTURE_HEADING_HEIGHT + H);

    const int band = PICTURE_HEADING_HEIGHT + H;
    const std::vector<int> axisTicks = scene::TickXs(chart, H - 26);
    std::vector<int> times;
    std::vector<int> xs;
    for (const ChartText* t : scene::All<ChartText>(picture)) {
        if (t->at.y < band)
            continue;
        ASSERT_EQ(t->text.size(), 8u) << t->text;
        ASSERT_EQ(t->text.substr(0, 3), "14:") << t->text;
        times.push_back((std::stoi(t->text.substr(3, 2)) - 30) * 60 + std::stoi(t->text.substr(6)));
    }
    for (const ChartLine* l : scene::WithPen<ChartLine>(picture, ChartPen::Black)) {
        if (l->from.y == band && l->from.x == l->to.x)
            xs.push_back(l->from.x);
    }
    ASSERT_GE(times.size(), 3u) << "a time every few ticks along 100 seconds";
    ASSERT_EQ(xs.size(), times.size()) << "one tick per time";
    const int stride = times[1] - times[0];
    EXPECT_GT(stride, 0);
    EXPECT_EQ(times[0] % stride, 0) << "round clock times";
    for (std::size_t k = 0; k < times.size(); ++k) {
        SCOPED_TRACE(k);
        if (k > 0) {
            EXPECT_EQ(times[k] - times[k - 1], stride);
            EXPECT_GE(xs[k] - xs[k - 1], CLOCK_MARK_SPACING) << "room for the time between two marks";
        }
        EXPECT_NE(std::find(axisTicks.begin(), axisTicks.end(), xs[k]), axisTicks.end())
            << "under a tick of the time axis";
    }
}

// Marks closer than the spacing, or whose time would leave the picture, are left out; without a
// date the heading is the supply alone.
TEST(ChartPictureTest, MarksThatDoNotFitAreLeftOut) {
    const StampTime at = LocalMoment(2026, 12, 9, 8, 5, 0);
    const ChartScene chart{300, 100, {}};
    const std::vector<ClockMark> marks = {{170, at + seconds(2)},
                                          {10, at},
                                          {100, at + seconds(1)},
                                          {130, at + seconds(5)},
                                          {290, at + seconds(3)}};
    const ChartScene picture = ChartPictureScene(chart, "#15", std::nullopt, marks);
    std::vector<std::string> texts;
    for (const ChartText* t : scene::All<ChartText>(picture))
        texts.push_back(t->text);
    EXPECT_EQ(texts, (std::vector<std::string>{"#15", "08:05:01", "08:05:02"}));
    EXPECT_EQ(ClockText(LocalMoment(2026, 12, 31, 23, 59, 59)), "23:59:59");
    EXPECT_EQ(ClockText(LocalMoment(2027, 1, 1, 0, 0, 0)), "00:00:00");
}

TEST(ChartPictureTest, FailureNamesTheFile) {
    EXPECT_EQ(ChartPictureFailedText("/media/cd/rir-15-2026-12-09.png"),
              "Не удалось сохранить график в файл /media/cd/rir-15-2026-12-09.png!");
}

} // namespace
} // namespace rir
