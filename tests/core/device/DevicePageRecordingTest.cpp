// The output switch: the requests on every page kind, and the recording that a switch-on by
// hand starts.
#include "device/DevicePage.h"

#include "PageCommandsRig.h"
#include "device/ModuleSetupValues.h"
#include "device/PageControls.h"
#include "device/PageTemplate.h"
#include "device/Ratings.h"

#include "PageRuns.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

using test::Online;
using test::RecordingSink;
using test::Requests;
using test::Show;
using test::Type;

TEST(DevicePageRecording, SwitchingOnStartsARecording) {
    DevicePage page;
    Online(page, 15, 0, MODEL_TIMER_AMPERE, CONFIG_TIMER_COUNTER);
    page.takeChartInvalidated();
    ASSERT_FALSE(page.view.shown(IDC_READOUT_VALUES));
    RecordingSink sink;
    EXPECT_EQ(page.OnCommand(IDC_OUTPUT_BUTTON, sink), PageCommandResult::Done);
    EXPECT_EQ(sink.queued, (Requests{{15, 0x43, 0x09, 0x05, 0xDC, 0x03, 0xE8}}));

    EXPECT_TRUE(page.recording());
    EXPECT_TRUE(page.ticking());
    EXPECT_EQ(page.state.firstSampleCountdown, 3);
    EXPECT_TRUE(page.takeChartInvalidated());
    EXPECT_TRUE(page.view.shown(IDC_READOUT_VALUES));
    EXPECT_TRUE(page.view.shown(IDC_READOUT_LIMITS));
    EXPECT_TRUE(page.view.menuEnabled(ID_MENU_FILE_SAVE));
    ASSERT_EQ(page.secondsRing.size(), 180u);
    const ChartSample& first = page.secondsRing.front();
    EXPECT_EQ(first.time, 0);
    EXPECT_EQ(first.voltLimit, 1500);
    EXPECT_EQ(first.currLimit, 1000);
    EXPECT_EQ(first.output, 1);
    EXPECT_TRUE(first.stamp.has_value());
    for (int t = 1; t < 180; ++t) {
        const ChartSample& s = page.secondsRing[static_cast<std::size_t>(t)];
        ASSERT_EQ(s.time, t);
        ASSERT_EQ(s.voltLimit + s.currLimit + s.output + s.voltMeas + s.currMeas, 0) << t;
        ASSERT_FALSE(s.stamp.has_value()) << t;
    }

    // The third reply after the start puts the measured values into the first sample.
    page.state.voltMeas = 1498;
    page.state.currMeas = 150;
    for (int reply = 0; reply < 3; ++reply) {
        EXPECT_EQ(page.secondsRing.front().voltMeas, 0) << reply;
        page.RefreshView(RefreshCode::Values, PollState::Complete);
    }
    EXPECT_EQ(page.secondsRing.front().voltMeas, 1498);
    EXPECT_EQ(page.secondsRing.front().currMeas, 150);
}

TEST(DevicePageRecording, ARecordingGoesOnAcrossSwitchingOffAndOn) {
    DevicePage page;
    Online(page, 15, 0, MODEL_TIMER_AMPERE, CONFIG_TIMER_COUNTER);
    RecordingSink sink;
    page.OnCommand(IDC_OUTPUT_BUTTON, sink);
    page.secondsRing[42].currMeas = 777; // what the tick recorded meanwhile
    page.state.firstSampleCountdown = 0;

    page.state.status = 0x01; // the supply reports the output on
    page.RefreshView(RefreshCode::Values, PollState::Complete);
    page.OnCommand(IDC_OUTPUT_BUTTON, sink);
    EXPECT_EQ(sink.queued.back(), (Request{15, 0x43, 0x08, 0x05, 0xDC, 0x03, 0xE8}));
    EXPECT_TRUE(page.recording()) << "switching off leaves the recording on";

    page.state.status = 0x00;
    page.RefreshView(RefreshCode::Values, PollState::Complete);
    page.takeChartInvalidated();
    page.OnCommand(IDC_OUTPUT_BUTTON, sink);
    EXPECT_EQ(sink.queued.back(), (Request{15, 0x43, 0x09, 0x05, 0xDC, 0x03, 0xE8}));
    EXPECT_EQ(page.secondsRing[42].currMeas, 777) << "switching on while recording keeps the chart";
    EXPECT_EQ(page.state.firstSampleCountdown, 0);
    EXPECT_FALSE(page.takeChartInvalidated());
    EXPECT_EQ(sink.queued.size(), 3u);
}

TEST(DevicePageRecording, SwitchingOnWithAProgramLoadedRecordsNothing) {
    DevicePage page;
    Online(page, 15, 0, MODEL_TIMER_AMPERE, CONFIG_TIMER_COUNTER);
    test::EnterRun(page, PageRun::Loaded);
    const std::size_t planned = page.secondsRing.size();
    const int firstMeasured = page.secondsRing.at(0).voltMeas;
    RecordingSink sink;
    page.ToggleOutput(sink);
    EXPECT_EQ(sink.queued, (Requests{{15, 0x43, 0x09, 0x05, 0xDC, 0x03, 0xE8}}));
    EXPECT_FALSE(page.recording());
    EXPECT_FALSE(page.ticking());
    EXPECT_EQ(page.secondsRing.size(), planned);
    EXPECT_EQ(page.secondsRing.at(0).voltMeas, firstMeasured);
    EXPECT_EQ(page.chart.chartClock, 0);
}

TEST(DevicePageRecording, SwitchingOffWithTheReverseLineRestoresTheFirstPhaseTimes) {
    DevicePage page;
    Online(page, 20, 0, MODEL_PROF_REVERSE, CONFIG_TIMER_REVERSE, 0x01);
    ASSERT_TRUE(page.state.hasReverseRow);
    page.state.revFwdCurrent = 12;
    page.state.revBackCurrent = 3;
    page.state.revFwdTime = 150; // as the supply counts down now
    page.state.revBackTime = 25;
    page.state.revFwdTimeInitial = 300; // as it first reported them
    page.state.revBackTimeInitial = 40;
    RecordingSink sink;
    page.OnCommand(IDC_OUTPUT_BUTTON, sink);
    EXPECT_EQ(sink.queued, (Requests{{20, 0x43, 0x08, 0x05, 0xDC, 0x03, 0xE8},
                                     {20, 0x45, 0x00, 0x03, 0, 12, 0, 3, 0x01, 0x2C, 0, 40}}));
}

TEST(DevicePageRecording, OutputSwitchOnEveryPageKind) {
    const struct {
        const char* name;
        int address, channel, model, status;
        Request bytes;
    } cases[] = {
        {"channel-B page of address 5 switching on",
         5,
         1,
         MODEL_PROF_REVERSE,
         0x00,
         {5, 0x45, 0x00, 0x05, 0x09, 0x05, 0xDC, 0x03, 0xE8}},
        {"channel-B page switching off",
         5,
         1,
         MODEL_PROF_REVERSE,
         0x01,
         {5, 0x45, 0x00, 0x05, 0x08, 0x05, 0xDC, 0x03, 0xE8}},
        {"model-1 page switching on", 1, 0, MODEL_RS232, 0x00, {0x43, 0x09, 0x05, 0xDC, 0x03, 0xE8}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DevicePage page;
        Online(page, c.address, c.channel, c.model, CONFIG_NONE, c.status);
        RecordingSink sink;
        EXPECT_EQ(page.OnCommand(IDC_OUTPUT_BUTTON, sink), PageCommandResult::Done);
        EXPECT_EQ(sink.queued, Requests{c.bytes});
    }
}

TEST(DevicePageRecording, SendOutputOffOnlyWhileOn) {
    DevicePage page;
    Online(page, 15, 0, MODEL_TIMER_AMPERE, CONFIG_NONE);
    RecordingSink sink;
    page.SendOutputOff(sink);
    EXPECT_TRUE(sink.queued.empty()) << "a supply that is off is left alone";
    page.state.status = 0x03;
    page.RefreshView(RefreshCode::Values, PollState::Complete);
    page.SendOutputOff(sink);
    EXPECT_EQ(sink.queued, (Requests{{15, 0x43, 0x08, 0x05, 0xDC, 0x03, 0xE8}}));
}
} // namespace
} // namespace rir
