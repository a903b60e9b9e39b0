#include "ChartGeometry.h"
#include "ChartRig.h"
#include "SceneQuery.h"

#include "chart/SecondsWindow.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

using namespace chartrig;

using namespace test::templatechart;

// 300 seconds: 1 A and 12 V with the output on, off again at the end.
std::vector<ChartSample> Program300() {
    return {ChartSample(0, 100, 1200, 1, std::nullopt), ChartSample(120, 200, 1500, 1, std::nullopt),
            ChartSample(300, 100, 1200, 0, std::nullopt)};
}

struct ProgramChartTest : ::testing::Test {
    ProgramChartTest() {
        page.repaints = &repaints;
        page.stampClock = [] { return StampTime{}; };
        Identify(page);
        page.state.voltMeas = 1190;
        page.state.currMeas = 95;
        page.state.outputOn = true;
    }
    void RunTo(int elapsed) {
        while (page.chart.elapsedSeconds < elapsed)
            Tick(page, program);
    }
    SecondsWindow Window() const {
        return PlaceSecondsWindow({page.chart.splitView, page.recording(), page.programLoaded(),
                                   page.chart.ringIndex, page.chart.elapsedSeconds,
                                   page.chart.programDuration, static_cast<int>(page.secondsRing.size())});
    }
    int TimeAt(const SecondsWindow& w, int i) const {
        return page.secondsRing[static_cast<std::size_t>(WindowEntry(w, i))].time;
    }

    RepaintCounter repaints;
    DevicePage page;
    std::vector<ChartSample> program = Program300();
};

TEST_F(ProgramChartTest, PreviewBeforeTheStart) {
    LoadProgram(page, program);
    ASSERT_EQ(page.secondsRing.size(), 180u);
    ASSERT_EQ(page.minutesList.size(), 6u); // minutes 0..5
    const ChartDrawing d = DrawChart(InputOf(page, W, H));
    EXPECT_EQ(d.splitView, true);
    // The plan over the window and a single measured point: no measured segment yet.
    const auto limit = scene::WithPen<ChartStepLine>(d.scene, ChartPen::CurrLimit);
    ASSERT_EQ(limit.size(), 1u);
    EXPECT_EQ(limit[0]->points.size(), 60u);
    EXPECT_TRUE(scene::PolylineSegments(d.scene, {ChartPen::Volt, ChartPen::VoltEmphasised}).empty());
}

// A running program shows 40 seconds before the present one and 19 after it, starts at 0 until
// then, and stops at its last 60 seconds.
TEST_F(ProgramChartTest, WindowFollowsTheRunningProgram) {
    const struct {
        int elapsed;
        int firstTime, lastTime;
        int measuredPoints; // points of the "U" curve in the window
    } table[] = {
        {0, 0, 59, 1},      {39, 0, 59, 40},     {40, 0, 59, 41},     {41, 1, 60, 41},
        {120, 80, 139, 41}, {281, 241, 300, 41}, {290, 241, 300, 50}, {300, 241, 300, 60},
    };
    StartProgram(page, program);
    for (const auto& row : table) {
        SCOPED_TRACE(testing::Message() << "at " << row.elapsed << " s");
        RunTo(row.elapsed);
        const ChartDrawing d = DrawChart(InputOf(page, W, H));
        page.chart.splitView = *d.splitView;
        const SecondsWindow w = Window();
        ASSERT_EQ(w.points, 60);
        EXPECT_EQ(TimeAt(w, 0), row.firstTime);
        EXPECT_EQ(TimeAt(w, 59), row.lastTime);

        // The cursor line stands on the present second, where the measured curve ends.
        const double xs = (R - MID) / 60.0;
        const int xNow = static_cast<int>((row.elapsed - row.firstTime) * xs + MID);
        const auto cursor = scene::OnlyLine(d.scene, ChartPen::Cursor);
        ASSERT_TRUE(cursor);
        EXPECT_EQ(cursor->from.x, xNow);
        std::vector<scene::Segment> u; // the seconds half's
        for (const auto& seg : scene::PolylineSegments(d.scene, {ChartPen::Volt, ChartPen::VoltEmphasised}))
            if (seg.from.x >= MID)
                u.push_back(seg);
        EXPECT_EQ(u.size(), static_cast<std::size_t>(row.measuredPoints - 1));
        if (!u.empty()) {
            EXPECT_EQ(u.back().to.x, xNow);
        }
        // The program's progress bar in the minutes half runs to the present minute.
        const auto progress = scene::WithPen<ChartLine>(d.scene, ChartPen::Progress);
        ASSERT_EQ(progress.size(), 2u);
        EXPECT_EQ(progress[1]->to.x, static_cast<int>(row.elapsed / 60 * ((MID - 25) / 5.0) + 25.0));
    }
}

// A program shorter than three minutes keeps the whole axis with as many seconds as it has.
TEST_F(ProgramChartTest, ShortProgramUsesItsOwnLength) {
    program = {ChartSample(0, 100, 1200, 1, std::nullopt), ChartSample(90, 100, 1200, 0, std::nullopt)};
    LoadProgram(page, program);
    ASSERT_EQ(page.secondsRing.size(), 91u);
    const ChartDrawing d = DrawChart(InputOf(page, W, H));
    EXPECT_EQ(d.splitView, false);
    const std::vector<int> ticks = scene::TickXs(d.scene, B);
    ASSERT_EQ(ticks.size(), 91u);
    EXPECT_EQ(ticks.back(), static_cast<int>(90 * ((R - 25) / 91.0) + 25));
}

// Histories that hold no entry for what the chart would read: nothing is drawn for them.
TEST_F(ProgramChartTest, MissingEntriesAreNeverRead) {
    // A program without steps leaves the ring empty.
    LoadProgram(page, {});
    page.chart.cursor = 5;
    ChartDrawing d = DrawChart(InputOf(page, W, H));
    EXPECT_TRUE(scene::TickXs(d.scene, B).empty());
    EXPECT_FALSE(scene::OnlyLine(d.scene, ChartPen::Cursor));
    EXPECT_FALSE(d.readouts);

    // A short program loaded under a cursor left from an earlier recording.
    program = {ChartSample(0, 100, 1200, 1, std::nullopt), ChartSample(30, 100, 1200, 0, std::nullopt)};
    LoadProgram(page, program);
    page.chart.cursor = 150;
    d = DrawChart(InputOf(page, W, H));
    EXPECT_EQ(scene::TickXs(d.scene, B).size(), 31u);
    EXPECT_FALSE(scene::OnlyLine(d.scene, ChartPen::Cursor));
    EXPECT_FALSE(d.readouts);
    page.chart.cursor = MinuteCursor(7); // no minutes at all
    EXPECT_FALSE(DrawChart(InputOf(page, W, H)).readouts);

    // A program with no end that ran past the ring's one entry, and a ring cut short while split.
    program = {ChartSample(0, 100, 1200, 1, std::nullopt)};
    LoadProgram(page, program);
    page.chart.elapsedSeconds = page.chart.chartClock = 250;
    page.chart.ringIndex = 70;
    page.chart.cursor = 250;
    d = DrawChart(InputOf(page, W, H));
    EXPECT_EQ(d.splitView, true);
    EXPECT_TRUE(scene::TickXs(d.scene, B).empty());
    EXPECT_TRUE(scene::WithPen<ChartLine>(d.scene, ChartPen::Progress).empty());
}

} // namespace
} // namespace rir
