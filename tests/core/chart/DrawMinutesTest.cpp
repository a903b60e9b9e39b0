#include "ChartGeometry.h"
#include "ChartRig.h"
#include "SceneQuery.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

using namespace chartrig;

constexpr int W = 1000;
constexpr int H = 300;
constexpr int B = test::TimeAxisY(H);
constexpr int R = test::CurrAxisX(W);
constexpr int MID = test::SplitMiddleX(W);

// A recording that has run for as many minutes as the list holds, output on throughout.
struct DrawMinutesTest : ::testing::Test {
    DrawMinutesTest() {
        page.repaints = &repaints;
        Identify(page);
        BeginRecording(page);
        page.secondsRing.assign(RING, ChartSample(0, 1000, 1500, 1, std::nullopt));
        for (int i = 0; i < RING; ++i)
            page.secondsRing[static_cast<std::size_t>(i)].time = i;
        page.chart.voltLimitMax = 1500;
        page.chart.currLimitMax = 1000;
    }
    void Minutes(int n, int elapsedMinutes) {
        page.minutesList.clear();
        for (int m = 0; m < n; ++m) {
            ChartSample e(m, 1000, 1500, 1, std::nullopt);
            e.voltMeas = 1200;
            e.currMeas = 800;
            page.minutesList.push_back(e);
        }
        page.chart.elapsedSeconds = page.chart.chartClock = elapsedMinutes * 60;
        page.chart.ringIndex = page.chart.chartClock % RING;
    }
    double PerMinute() const { return static_cast<double>(MID - 25) / (page.minutesList.size() - 1); }
    int Xm(int j) const { return static_cast<int>(j * PerMinute() + 25.0); }
    // The minutes' output trace: the black step line that starts at the voltage axis.
    const ChartStepLine* OutputTrace(const ChartScene& s) const {
        for (const ChartStepLine* l : scene::WithPen<ChartStepLine>(s, ChartPen::Black))
            if (l->points.front().x == 25 && l->points.size() > 1 && l->points[1].x == Xm(0))
                return l;
        return nullptr;
    }

    RepaintCounter repaints;
    DevicePage page;
};

TEST_F(DrawMinutesTest, StrideGrowsWithTheHistory) {
    const struct {
        int entries, step;
    } table[] = {{4, 1},   {100, 1},  {101, 2},   {200, 2},   {201, 4},   {400, 4},   {401, 8},
                 {800, 8}, {801, 16}, {1600, 16}, {1601, 32}, {3200, 32}, {3201, 64}, {525600, 64}};
    for (const auto& row : table) {
        EXPECT_EQ(MinutesStepFor(row.entries), row.step) << row.entries;
        if (row.entries > 1000)
            continue;
        Minutes(row.entries, row.entries - 1);
        const ChartDrawing d = DrawChart(InputOf(page, W, H));
        EXPECT_EQ(d.minutesStep, row.step) << row.entries;
        // 60 seconds' ticks, then one tick per visited minute.
        const std::size_t visited = static_cast<std::size_t>((row.entries + row.step - 1) / row.step);
        EXPECT_EQ(scene::TickXs(d.scene, B).size(), 60 + visited) << row.entries;
    }
}

// The output trace bends its stride to reach the last entry: 203 entries with step 4 visit
// 0, 4, ..., 200 and then 202; 204 entries end at 200 (200 + 4 is exactly the count).
TEST_F(DrawMinutesTest, OutputTraceBendsToTheLastEntry) {
    const struct {
        int entries;
        int lastVisited;
        std::size_t points; // the start at the axis plus one per visited entry
    } table[] = {{203, 202, 1 + 51 + 1}, {204, 200, 1 + 51}, {205, 204, 1 + 51 + 1}, {100, 99, 1 + 100}};
    for (const auto& row : table) {
        SCOPED_TRACE(row.entries);
        Minutes(row.entries, row.entries - 1);
        page.minutesList[static_cast<std::size_t>(row.lastVisited)].output = 0; // visible as a step down
        const ChartScene s = DrawChart(InputOf(page, W, H)).scene;
        const ChartStepLine* trace = OutputTrace(s);
        ASSERT_NE(trace, nullptr);
        EXPECT_EQ(trace->points.size(), row.points);
        EXPECT_EQ(trace->points.front(), (ChartPoint{25, B - 14}));
        EXPECT_EQ(trace->points.back(), (ChartPoint{Xm(row.lastVisited), B - 6}));
    }
}

// The limit lines are plain polylines over the visited entries, without the bend.
TEST_F(DrawMinutesTest, LimitLinesKeepTheStride) {
    Minutes(203, 202);
    const ChartScene s = DrawChart(InputOf(page, W, H)).scene;
    const auto limits = scene::WithPen<ChartPolyline>(s, ChartPen::CurrLimit);
    ASSERT_EQ(limits.size(), 1u);
    EXPECT_EQ(limits[0]->points.size(), 51u);
    EXPECT_EQ(limits[0]->points.back().x, Xm(200));
    EXPECT_EQ(limits[0]->points.back().y, static_cast<int>(B - 1000 * ((B - 35.0) / 1000)));
}

// The band marks the on stretches up to the present minute, its stride bent like the output
// trace's; the measured curves stop at the last visited entry before the present minute.
TEST_F(DrawMinutesTest, BandReachesThePresentMinute) {
    Minutes(203, 202);
    const ChartScene s = DrawChart(InputOf(page, W, H)).scene;
    std::vector<scene::Segment> band;
    for (const auto& seg : scene::PolylineSegments(s, {ChartPen::VoltBand}))
        if (seg.to.x <= MID)
            band.push_back(seg);
    ASSERT_EQ(band.size(), 52u); // 0 (from the axis), 4, ..., 200, 202
    EXPECT_EQ(band.front().from.x, 25);
    EXPECT_EQ(band.back().to.x, Xm(202));
    const auto u = scene::PolylineSegments(s, {ChartPen::VoltEmphasised, ChartPen::Volt});
    std::vector<scene::Segment> minutesU;
    for (const auto& seg : u)
        if (seg.to.x < MID)
            minutesU.push_back(seg);
    ASSERT_FALSE(minutesU.empty());
    EXPECT_EQ(minutesU.back().to.x, Xm(200));
    EXPECT_EQ(minutesU.back().pen, ChartPen::VoltEmphasised);
}

TEST_F(DrawMinutesTest, MinuteCursorAndItsReadouts) {
    Minutes(6, 5);
    page.chart.cursor = MinuteCursor(3);
    const ChartDrawing d = DrawChart(InputOf(page, W, H));
    const auto cursor = scene::OnlyLine(d.scene, ChartPen::Cursor);
    ASSERT_TRUE(cursor);
    EXPECT_EQ(cursor->from, (ChartPoint{Xm(3), B}));
    EXPECT_EQ(cursor->to, (ChartPoint{Xm(3), 25}));
    ASSERT_TRUE(d.readouts);
    EXPECT_EQ(d.readouts->values,
              "Время: 180 / 300 с;\nТок: 8.00 ампер;\nНапряжение: 12.00 вольт;\nРежим стаб: "
              "напряжения;");

    page.chart.cursor = MinuteCursor(6); // past the list
    EXPECT_FALSE(DrawChart(InputOf(page, W, H)).readouts);
}

// A cursor on a minute far into a long run: its code no longer fits 32 bits.
TEST_F(DrawMinutesTest, CursorOnALateMinute) {
    Minutes(10080, 10079);
    page.chart.cursor = MinuteCursor(10000);
    EXPECT_EQ(page.chart.cursor, 10001000000LL);
    const ChartDrawing d = DrawChart(InputOf(page, W, H));
    const auto cursor = scene::OnlyLine(d.scene, ChartPen::Cursor);
    ASSERT_TRUE(cursor);
    EXPECT_EQ(cursor->from.x, Xm(10000));
    ASSERT_TRUE(d.readouts);
    EXPECT_EQ(d.readouts->values.rfind("Время: 600000 / 604740 с;", 0), 0u) << d.readouts->values;
}

// A year of minutes draws a bounded picture: 64 entries per step.
TEST_F(DrawMinutesTest, YearOfMinutes) {
    Minutes(525600, 525599);
    const ChartDrawing d = DrawChart(InputOf(page, W, H));
    EXPECT_EQ(d.minutesStep, 64);
    EXPECT_EQ(scene::TickXs(d.scene, B).size(), 60u + 8213u);
    const ChartStepLine* trace = OutputTrace(d.scene);
    ASSERT_NE(trace, nullptr);
    EXPECT_EQ(trace->points.back().x, Xm(525599)); // bent onto the last minute, at the divider
    EXPECT_GE(trace->points.back().x, MID - 1);
}

} // namespace
} // namespace rir
