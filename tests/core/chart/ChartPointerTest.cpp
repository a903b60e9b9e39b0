#include "ChartGeometry.h"
#include "ChartRig.h"

#include "device/PageControls.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

using namespace chartrig;

// The template's chart rectangle in page coordinates; the hit test's axis is W - 26 = 462 long.
using test::templatechart::AREA;
constexpr int Y_INSIDE = AREA.top + 100;

struct ChartPointerTest : ::testing::Test {
    ChartPointerTest() {
        page.repaints = &repaints;
        Identify(page);
        page.state.voltLimit = 1500;
        page.state.currLimit = 1000;
        page.state.outputOn = true;
    }
    void Record(int seconds) {
        StartRecording(page);
        for (int i = 0; i < seconds; ++i)
            Tick(page); // the tick decides the split view and the minutes step
        page.takeChartInvalidated();
    }
    void PointAt(int dx) { page.OnChartPointer(AREA.left + dx, Y_INSIDE, AREA); }

    RepaintCounter repaints;
    DevicePage page;
};

// Not split, seconds lie at trunc(i × 437 / 180 + 25): entry 0 at 25, entry 179 at 459. Within
// 19 pixels of one the cursor holds it; from 20 pixels on it follows the latest sample.
TEST_F(ChartPointerTest, TwentyPixelRule) {
    Record(20);
    const struct {
        int dx;
        int cursor;
        bool held;
    } table[] = {{5, 20, false},  {6, 0, true},     {25, 0, true},    {27, 1, true},
                 {100, 31, true}, {478, 179, true}, {479, 20, false}, {487, 20, false}};
    for (const auto& row : table) {
        PointAt(row.dx);
        EXPECT_EQ(page.chart.cursor, row.cursor) << row.dx;
        EXPECT_EQ(page.chart.hoverLock, row.held) << row.dx;
        EXPECT_EQ(page.view.text(IDC_DIAGNOSTIC), "wf_start=0");
    }
}

// In the split view minutes come first: a minute within 19 pixels wins over a nearer second.
TEST_F(ChartPointerTest, MinutesBeforeSeconds) {
    Record(200);
    ASSERT_TRUE(page.chart.splitView);
    ASSERT_EQ(page.minutesList.size(), 4u);
    // Minutes at 25, 97, 170, 243; seconds from 243 on, 3.65 pixels apart, window from entry 141.
    const struct {
        int dx;
        int cursor;
    } table[] = {{100, MinuteCursor(1)},
                 {243, MinuteCursor(3)},
                 {250, MinuteCursor(3)},
                 {262, MinuteCursor(3)},
                 {263, 147},
                 {400, 4}}; // entry 184 mod 180
    for (const auto& row : table) {
        PointAt(row.dx);
        EXPECT_EQ(page.chart.cursor, row.cursor) << row.dx;
        EXPECT_TRUE(page.chart.hoverLock) << row.dx;
    }
    EXPECT_EQ(page.view.text(IDC_DIAGNOSTIC), "wf_start=141");
}

TEST_F(ChartPointerTest, LeavingTheChartReleasesTheHold) {
    Record(20);
    PointAt(25);
    ASSERT_TRUE(page.chart.hoverLock);
    EXPECT_TRUE(page.takeChartInvalidated());
    // Right and bottom edges are outside.
    for (const auto& [x, y] : {std::pair{AREA.left + AREA.width, Y_INSIDE},
                               {AREA.left - 1, Y_INSIDE},
                               {AREA.left + 10, AREA.top + AREA.height},
                               {AREA.left + 10, AREA.top - 1}}) {
        page.chart.hoverLock = true;
        page.chart.cursor = 0;
        page.OnChartPointer(x, y, AREA);
        EXPECT_FALSE(page.chart.hoverLock);
        EXPECT_EQ(page.chart.cursor, 20);
        EXPECT_TRUE(page.takeChartInvalidated());
    }
    // Moving on outside changes nothing and draws nothing.
    page.OnChartPointer(0, 0, AREA);
    EXPECT_FALSE(page.takeChartInvalidated());
}

TEST_F(ChartPointerTest, HoverWithoutDataFollowsTheElapsedSeconds) {
    page.chart.elapsedSeconds = 7;
    PointAt(100);
    EXPECT_EQ(page.chart.cursor, 7);
    EXPECT_FALSE(page.chart.hoverLock);
    EXPECT_EQ(page.view.text(IDC_DIAGNOSTIC), "Test"); // the diagnostic line keeps its text
    EXPECT_TRUE(page.takeChartInvalidated());
    PointAt(200);
    EXPECT_FALSE(page.takeChartInvalidated());
}

// Between two samples at most 40 pointer-driven drawings of live data.
TEST_F(ChartPointerTest, RepaintCounterLimitsHoverRepaints) {
    Record(20);
    for (const auto& [count, repaints_] : {std::pair{39, true}, {40, false}, {41, false}}) {
        repaints.count = count;
        page.chart.cursor = 20;
        PointAt(25);
        EXPECT_EQ(page.chart.cursor, 0);
        EXPECT_EQ(page.takeChartInvalidated(), repaints_) << count;
    }
    // Live drawings count up, the tick sets the count back.
    repaints.count = 0;
    page.CountChartDrawing();
    page.CountChartDrawing();
    EXPECT_EQ(repaints.count, 2);
    Tick(page);
    EXPECT_EQ(repaints.count, 0);
    // An idle chart never limits the pointer.
    page.state.outputOn = false;
    page.ClearChart();
    ASSERT_EQ(page.run(), PageRun::Idle);
    repaints.count = 45;
    page.CountChartDrawing();
    EXPECT_EQ(repaints.count, 0);
}

TEST_F(ChartPointerTest, DragFollowsThePointerWhileTheWindowMoves) {
    Record(200); // split view: the last 60 seconds move on under the pointer with every tick
    page.OnChartButtonDown();
    EXPECT_FALSE(page.chart.dragFlag); // nothing held
    PointAt(400);
    ASSERT_EQ(page.chart.cursor, 4);
    page.OnChartButtonDown();
    EXPECT_TRUE(page.chart.dragFlag);
    // The tick repeats the hit test where the pointer is.
    Tick(page);
    EXPECT_EQ(page.chart.cursor, 5);
    EXPECT_TRUE(page.chart.hoverLock);
    page.OnChartButtonUp();
    EXPECT_FALSE(page.chart.dragFlag);
    Tick(page);
    EXPECT_EQ(page.chart.cursor, 5);
}

// The chart lets go of a held second that a recording has left 59 to 121 ring places behind.
TEST_F(ChartPointerTest, HoldReleasedWhenTheRecordingMovesOn) {
    Record(200); // ring index 20, split view
    const struct {
        int held;
        bool released;
    } table[] = {{78, false}, {79, true}, {141, true}, {142, false}, {20, false}};
    for (const auto& row : table) {
        page.chart.hoverLock = true;
        page.chart.cursor = row.held;
        page.UpdateChart();
        EXPECT_EQ(page.chart.hoverLock, !row.released) << row.held;
        EXPECT_EQ(page.chart.cursor, row.held);
    }
}

} // namespace
} // namespace rir
