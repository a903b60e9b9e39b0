// The one-second tick of a recording page: samples into the ring, a minute's averages every 60
// samples (the first minute in two halves), the cursor and the maxima; and its schedule.
#include "device/DevicePage.h"
#include "device/TickSchedule.h"

#include "PageCommandsRig.h"
#include "PageOnline.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

using namespace std::chrono_literals;

const StampTime T0 = StampTime(std::chrono::hours(24 * 365 * 50));

struct RecordingPage {
    DevicePage page;
    StampTime now = T0;
    RecordingPage() {
        page.InitDevice(15, 0);
        test::BringPageOnline(page, 1, 0x01);
        page.stampClock = [this] { return now; };
        page.repaints = &counter;
        page.state.outputOn = true;
        page.StartRecording();
    }
    // One tick with the supply reporting these limits and measurements.
    void Tick(int voltLimit, int currLimit, int voltMeas, int currMeas, bool on = true) {
        page.state.voltLimit = voltLimit;
        page.state.currLimit = currLimit;
        page.state.voltMeas = voltMeas;
        page.state.currMeas = currMeas;
        page.state.outputOn = on;
        now += 1s;
        EXPECT_EQ(page.OnTick(sink), TickOutcome::Ticked);
    }
    RepaintCounter counter;
    test::RecordingSink sink;
};

TEST(RecordingTick, StartLaysOutTheRingAndZeroesTheMaxima) {
    RecordingPage r;
    const DevicePage& p = r.page;
    ASSERT_EQ(p.secondsRing.size(), 180u);
    EXPECT_EQ(p.secondsRing[0].time, 0);
    EXPECT_EQ(p.secondsRing[0].voltLimit, 1500);
    EXPECT_EQ(p.secondsRing[0].currLimit, 1000);
    EXPECT_EQ(p.secondsRing[0].output, 1);
    EXPECT_EQ(p.secondsRing[0].stamp, T0);
    EXPECT_EQ(p.secondsRing[179].time, 179);
    EXPECT_EQ(p.secondsRing[179].output, 0);
    EXPECT_FALSE(p.secondsRing[179].stamp.has_value());
    EXPECT_TRUE(p.minutesList.empty());
    EXPECT_EQ(p.chart.voltLimitMax, 0);
    EXPECT_EQ(p.chart.currMax, 0);
    EXPECT_TRUE(p.ticking());
    EXPECT_EQ(p.state.firstSampleCountdown, FIRST_SAMPLE_REFRESHES);
    EXPECT_TRUE(r.page.takeChartInvalidated());
}

TEST(RecordingTick, TickWritesTheSupplyIntoTheNextRingEntry) {
    RecordingPage r;
    r.counter.count = 17;
    r.Tick(1200, 800, 1190, 400, false);
    const DevicePage& p = r.page;
    EXPECT_EQ(p.chart.elapsedSeconds, 1);
    EXPECT_EQ(p.chart.chartClock, 1);
    EXPECT_EQ(p.chart.ringIndex, 1);
    const ChartSample& e = p.secondsRing[1];
    EXPECT_EQ(e.time, 1);
    EXPECT_EQ(e.voltLimit, 1200);
    EXPECT_EQ(e.currLimit, 800);
    EXPECT_EQ(e.output, 0);
    EXPECT_EQ(e.voltMeas, 1190);
    EXPECT_EQ(e.currMeas, 400);
    EXPECT_EQ(e.stamp, T0 + 1s);
    EXPECT_EQ(p.chart.cursor, 1);
    EXPECT_EQ(r.counter.count, 0) << "every sample lets the pointer repaint again";
    EXPECT_EQ(p.chart.voltLimitMax, 1200);
    EXPECT_EQ(p.chart.currMax, 400);
}

TEST(RecordingTick, HeldCursorStaysWhereThePointerHoldsIt) {
    RecordingPage r;
    r.page.chart.hoverLock = true;
    r.page.chart.cursor = 0;
    r.Tick(1500, 1000, 1500, 500);
    EXPECT_EQ(r.page.chart.cursor, 0);
}

TEST(RecordingTick, FirstMinuteIsTwoHalvesThenWholeMinutes) {
    RecordingPage r;
    // Seconds 1..29 at 10 V / 1 A limits with the output on, 30..59 at 20 V / 3 A and off, 60 at
    // 30 V / 5 A and on.
    for (int t = 1; t <= 60; ++t) {
        if (t < 30)
            r.Tick(1000, 100, 900 + t, 50);
        else if (t < 60)
            r.Tick(2000, 300, 1900, 150, false);
        else
            r.Tick(3000, 500, 2950, 250, true);
    }
    const auto& m = r.page.minutesList;
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].time, 0);
    EXPECT_EQ(m[0].voltLimit, 1000);
    EXPECT_EQ(m[0].currLimit, 100);
    EXPECT_EQ(m[0].output, 1);
    EXPECT_EQ(m[0].voltMeas, 915) << "the mean of 901..929";
    EXPECT_EQ(m[1].time, 1);
    EXPECT_EQ(m[1].voltLimit, 2000) << "the means over seconds 30..59";
    EXPECT_EQ(m[1].currLimit, 300);
    EXPECT_EQ(m[1].voltMeas, 2950) << "the supply as it is at the minute's end";
    EXPECT_EQ(m[1].currMeas, 250);
    EXPECT_EQ(m[1].output, 1);

    // Minute 2: seconds 61..120, 59 of them at 40 V and one at 30 V.
    for (int t = 61; t <= 120; ++t)
        r.Tick(4000, 600, 3900, 300, t % 2 == 0);
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[2].time, 2);
    EXPECT_EQ(m[2].voltLimit, 4000);
    EXPECT_EQ(m[2].currLimit, 600);
    EXPECT_EQ(m[2].output, 1) << "the supply's output at the minute's end";
}

TEST(RecordingTick, RingWrapsAfterThreeMinutesAndTheMinutesGoOn) {
    RecordingPage r;
    for (int t = 1; t <= 181; ++t)
        r.Tick(1500, 1000, 1500, 500);
    EXPECT_EQ(r.page.chart.chartClock, 181);
    EXPECT_EQ(r.page.chart.ringIndex, 1);
    EXPECT_EQ(r.page.secondsRing[0].time, 180);
    EXPECT_EQ(r.page.secondsRing[1].time, 181);
    ASSERT_EQ(r.page.minutesList.size(), 4u);
    EXPECT_EQ(r.page.minutesList[3].time, 3);
}

TEST(RecordingTick, PageThatDoesNotRecordOnlyCountsSeconds) {
    DevicePage page;
    page.InitDevice(15, 0);
    test::BringPageOnline(page, 1);
    page.state.voltMeas = 700;
    test::RecordingSink sink;
    EXPECT_EQ(page.OnTick(sink), TickOutcome::Ticked);
    EXPECT_TRUE(sink.queued.empty());
    EXPECT_EQ(page.chart.elapsedSeconds, 1);
    EXPECT_EQ(page.chart.chartClock, 0);
    EXPECT_TRUE(page.secondsRing.empty());
    EXPECT_EQ(page.chart.voltMax, 700);
}

TEST(TickSchedule, FirstTickOnePeriodAfterTheStartAndLateTicksCaughtUpInOrder) {
    TickSchedule s(1000ms);
    const MonoTime t0{};
    EXPECT_EQ(s.TakeDue(t0, true, 100), 0) << "the first call starts the clock";
    EXPECT_EQ(s.TakeDue(t0 + 999ms, true, 100), 0);
    EXPECT_EQ(s.TakeDue(t0 + 1000ms, true, 100), 1);
    EXPECT_EQ(s.TakeDue(t0 + 1500ms, true, 100), 0);
    // The window was held up for five seconds: five ticks, and the next one keeps the old beat.
    EXPECT_EQ(s.TakeDue(t0 + 6200ms, true, 100), 5);
    EXPECT_EQ(s.TakeDue(t0 + 6999ms, true, 100), 0);
    EXPECT_EQ(s.TakeDue(t0 + 7000ms, true, 100), 1);
}

TEST(TickSchedule, CatchUpIsSpreadOverCallsAndStoppingForgetsTheBeat) {
    TickSchedule s(1000ms);
    const MonoTime t0{};
    s.TakeDue(t0, true, 10);
    EXPECT_EQ(s.TakeDue(t0 + 25s, true, 10), 10);
    EXPECT_EQ(s.TakeDue(t0 + 25s, true, 10), 10);
    EXPECT_EQ(s.TakeDue(t0 + 25s, true, 10), 5);
    EXPECT_EQ(s.TakeDue(t0 + 26s, false, 10), 0);
    EXPECT_EQ(s.TakeDue(t0 + 40s, true, 10), 0) << "started afresh";
    EXPECT_EQ(s.TakeDue(t0 + 41s, true, 10), 1);
}

} // namespace
} // namespace rir
