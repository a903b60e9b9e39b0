#include "ChartGeometry.h"
#include "ChartRig.h"
#include "SceneQuery.h"

#include "device/PageControls.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

using namespace chartrig;

using test::templatechart::AREA;

struct DevicePageChartTest : ::testing::Test {
    DevicePageChartTest() {
        page.repaints = &repaints;
        page.InitDevice(15, 0);
        Identify(page);
        page.state.voltLimit = 1500;
        page.state.currLimit = 1000;
        page.state.voltMeas = 1200;
        page.state.currMeas = 800;
        page.state.voltRegulation = true;
    }
    void Record(int seconds) {
        StartRecording(page);
        for (int i = 0; i < seconds; ++i)
            Tick(page);
    }

    RepaintCounter repaints;
    DevicePage page;
};

TEST_F(DevicePageChartTest, InitDeviceStartsAnEmptyChart) {
    Record(200);
    page.chart.hoverLock = page.chart.dragFlag = true;
    page.chart.minutesStep = 4;
    page.InitDevice(16, 0);
    const ChartState& c = page.chart;
    EXPECT_EQ(c.cursor, CURSOR_NONE);
    EXPECT_EQ(std::vector({c.elapsedSeconds, c.chartClock, c.ringIndex, c.voltLimitMax, c.currLimitMax,
                           c.voltMax, c.currMax}),
              std::vector({0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(std::vector({c.secondsStep, c.minutesStep}), std::vector({1, 1}));
    EXPECT_FALSE(c.hoverLock || c.dragFlag || c.splitView);
    EXPECT_FALSE(page.recording() || page.programLoaded() || page.ticking());
    EXPECT_TRUE(page.secondsRing.empty());
    EXPECT_TRUE(page.minutesList.empty());
}

// The tick hands the readouts of the sample under the cursor to 1036 and 1040.
TEST_F(DevicePageChartTest, TheTickWritesTheReadouts) {
    page.state.outputOn = true;
    Record(10);
    EXPECT_EQ(page.view.text(IDC_READOUT_VALUES),
              "Время: 10 / 10 с;\nТок: 8.00 ампер;\nНапряжение: 12.00 вольт;\nРежим стаб: напряжения;");
    EXPECT_EQ(page.view.text(IDC_READOUT_LIMITS),
              "\nЛимит тока: 10.00 ампер;\nЛимит напряжения: 15.00 вольт;\nВключен блок: да;");
    page.view.takeChanged();
    page.UpdateChart(); // the same texts again: nothing to rewrite
    EXPECT_TRUE(page.view.takeChanged().empty());
    // Drawing changes nothing.
    page.chartScene(AREA.width, AREA.height);
    EXPECT_TRUE(page.view.takeChanged().empty());
    EXPECT_TRUE(page.takeChartInvalidated());
    page.chartScene(AREA.width, AREA.height);
    EXPECT_FALSE(page.takeChartInvalidated());

    // No cursor: nothing composed, the texts stay.
    page.chart.cursor = CURSOR_NONE;
    page.UpdateChart();
    EXPECT_EQ(page.view.text(IDC_READOUT_VALUES).rfind("Время: 10 / 10 с;", 0), 0u);
}

TEST_F(DevicePageChartTest, ClearingARecording) {
    page.state.outputOn = true;
    Record(200);
    page.takeChartInvalidated();
    const ChartScene idle = [] {
        DevicePage fresh;
        return fresh.chartScene(AREA.width, AREA.height);
    }();

    // With the output on the recording goes on.
    ASSERT_TRUE(page.OnChartCommand(IDC_CLEAR_CHART));
    EXPECT_TRUE(page.recording());
    EXPECT_EQ(page.secondsRing.size(), 180u);
    EXPECT_FALSE(page.takeChartInvalidated());

    page.state.outputOn = false;
    page.view.SetEnabled(IDC_CLEAR_CHART, true);
    page.chart.hoverLock = true;
    ASSERT_TRUE(page.OnChartCommand(IDC_CLEAR_CHART));
    EXPECT_FALSE(page.recording());
    EXPECT_FALSE(page.ticking());
    EXPECT_TRUE(page.secondsRing.empty());
    EXPECT_TRUE(page.minutesList.empty());
    EXPECT_FALSE(page.view.enabled(IDC_CLEAR_CHART));
    EXPECT_EQ(page.view.text(IDC_READOUT_VALUES), "");
    EXPECT_EQ(page.view.text(IDC_READOUT_LIMITS), "");
    EXPECT_EQ(page.chart.cursor, CURSOR_NONE);
    EXPECT_EQ(std::vector({page.chart.elapsedSeconds, page.chart.chartClock, page.chart.secondsStep}),
              std::vector({0, 0, 1}));
    EXPECT_FALSE(page.chart.splitView);
    EXPECT_TRUE(page.takeChartInvalidated());
    // The maxima stay until the next recording starts.
    EXPECT_EQ(page.chart.voltLimitMax, 1500);
    EXPECT_EQ(page.chart.voltMax, 1200);

    // What is left is the idle picture.
    const ChartScene after = page.chartScene(AREA.width, AREA.height);
    EXPECT_EQ(after.items.size(), idle.items.size());
    EXPECT_EQ(scene::All<ChartText>(after).size(), 4u);

    // No recording: nothing to clear; other buttons are not the chart's.
    page.view.SetEnabled(IDC_CLEAR_CHART, true);
    EXPECT_TRUE(page.OnChartCommand(IDC_CLEAR_CHART));
    EXPECT_TRUE(page.view.enabled(IDC_CLEAR_CHART));
    EXPECT_FALSE(page.takeChartInvalidated());
    EXPECT_FALSE(page.OnChartCommand(IDC_SET_LIMITS));
}

TEST_F(DevicePageChartTest, ClearingLeavesAProgramAlone) {
    LoadProgram(page,
                {ChartSample(0, 100, 1200, 1, std::nullopt), ChartSample(90, 100, 1200, 0, std::nullopt)});
    page.OnChartCommand(IDC_CLEAR_CHART);
    EXPECT_TRUE(page.programLoaded());
    EXPECT_EQ(page.secondsRing.size(), 91u);
}

// Boxes switch their own series, by id; every click repaints.
TEST_F(DevicePageChartTest, SeriesBoxesById) {
    const struct {
        int id;
        bool SeriesSwitches::*series;
    } table[] = {{IDC_SERIES_VOLT, &SeriesSwitches::voltMeas},
                 {IDC_SERIES_VOLT_LIMIT, &SeriesSwitches::voltLimit},
                 {IDC_SERIES_CURR, &SeriesSwitches::currMeas},
                 {IDC_SERIES_CURR_LIMIT, &SeriesSwitches::currLimit},
                 {IDC_SERIES_OUTPUT, &SeriesSwitches::output}};
    for (const auto& row : table) {
        page.series.SetAll(true);
        page.OnSeriesBox(row.id, false);
        EXPECT_FALSE(page.series.*row.series) << row.id;
        EXPECT_TRUE(page.takeChartInvalidated());
        page.OnSeriesBox(row.id, true);
        EXPECT_TRUE(page.series.*row.series) << row.id;
    }

    // A box switches its own series, whatever its caption reads.
    page.SetTextIfChanged(IDC_SERIES_VOLT, "Iл");
    page.OnSeriesBox(IDC_SERIES_VOLT, false);
    EXPECT_FALSE(page.series.voltMeas);
    EXPECT_TRUE(page.series.currLimit);
    EXPECT_TRUE(page.takeChartInvalidated());
    // Other controls are not series boxes.
    page.OnSeriesBox(IDC_CLEAR_CHART, false);
    EXPECT_FALSE(page.takeChartInvalidated());
}

TEST_F(DevicePageChartTest, SwitchesOntoTheirBoxes) {
    page.series = {false, true, false, true, false};
    page.ShowSeriesSwitches();
    EXPECT_FALSE(page.view.checked(IDC_SERIES_VOLT));
    EXPECT_TRUE(page.view.checked(IDC_SERIES_VOLT_LIMIT));
    EXPECT_FALSE(page.view.checked(IDC_SERIES_CURR));
    EXPECT_TRUE(page.view.checked(IDC_SERIES_CURR_LIMIT));
    EXPECT_FALSE(page.view.checked(IDC_SERIES_OUTPUT));
}

// Unchecking "U" and "I" removes the measured curves; with the limits off too, the maximum
// texts go.
TEST_F(DevicePageChartTest, SwitchedOffSeriesAreNotDrawn) {
    page.state.outputOn = true;
    Record(30);
    page.OnSeriesBox(IDC_SERIES_VOLT, false);
    page.OnSeriesBox(IDC_SERIES_CURR, false);
    ChartScene s = page.chartScene(AREA.width, AREA.height);
    EXPECT_TRUE(scene::PolylineSegments(
                    s, {ChartPen::Volt, ChartPen::VoltEmphasised, ChartPen::Curr, ChartPen::CurrEmphasised})
                    .empty());
    EXPECT_NE(scene::Text(s, "15.0"), nullptr);
    EXPECT_NE(scene::Text(s, "10.0"), nullptr);
    page.OnSeriesBox(IDC_SERIES_VOLT_LIMIT, false);
    page.OnSeriesBox(IDC_SERIES_CURR_LIMIT, false);
    page.OnSeriesBox(IDC_SERIES_OUTPUT, false);
    s = page.chartScene(AREA.width, AREA.height);
    EXPECT_EQ(scene::Text(s, "15.0"), nullptr);
    EXPECT_EQ(scene::Text(s, "10.0"), nullptr);
    EXPECT_TRUE(scene::All<ChartStepLine>(s).empty());
    // The band still marks the output's on stretches.
    EXPECT_FALSE(scene::PolylineSegments(s, {ChartPen::VoltBand}).empty());
}

TEST(ChartSampleTest, StampsAreTimePointsShownAsLocalText) {
    const ChartSample plain(5, 100, 1200, 1, std::nullopt);
    EXPECT_EQ(StampText(plain.stamp), "");
    EXPECT_EQ(plain.voltMeas, 0);
    EXPECT_EQ(plain.currMeas, 0);
    EXPECT_TRUE(plain.voltRegulation);
    const StampTime t = std::chrono::sys_days{std::chrono::year{2024} / 3 / 5} + std::chrono::hours{12};
    const ChartSample stamped(0, 100, 1200, 1, t);
    ASSERT_TRUE(stamped.stamp);
    EXPECT_EQ(*stamped.stamp, t);
    const std::string text = StampText(stamped.stamp);
    EXPECT_NE(text.find("2024"), std::string::npos) << text;
}

TEST(ChartSampleTest, RingIndex) {
    const struct {
        int k, ring;
    } table[] = {{0, 0},     {179, 179}, {180, 0},    {181, 1}, {-1, 179},
                 {-59, 121}, {-180, 0},  {-200, 160}, {540, 0}};
    for (const auto& row : table)
        EXPECT_EQ(RingIndex(row.k), row.ring) << row.k;
    const std::vector<ChartSample> ring(3);
    EXPECT_NE(RingEntry(ring, 2), nullptr);
    EXPECT_EQ(RingEntry(ring, 3), nullptr);
    EXPECT_EQ(RingEntry(ring, -1), nullptr);
}

} // namespace
} // namespace rir
