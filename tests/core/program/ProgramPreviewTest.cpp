// The preview: the plan of the first three minutes in the seconds ring, minute means in the
// minutes list, laid out as the chart and the one-second tick expect them.
#include "program/ProgramPreview.h"

#include "../chart/ChartRig.h"

#include <gtest/gtest.h>

#include <random>

namespace rir {
namespace {

const StampTime START = StampTime{} + std::chrono::hours(1000);

struct Plan {
    int time, currLimit, voltLimit, output;
};

std::vector<ChartSample> StepsOf(std::initializer_list<Plan> plan) {
    std::vector<ChartSample> steps;
    for (const Plan& p : plan)
        steps.emplace_back(p.time, p.currLimit, p.voltLimit, p.output, std::nullopt);
    return steps;
}

void ExpectSample(const ChartSample& s, int time, int currLimit, int voltLimit, int output) {
    EXPECT_EQ(s.time, time);
    EXPECT_EQ(s.currLimit, currLimit);
    EXPECT_EQ(s.voltLimit, voltLimit);
    EXPECT_EQ(s.output, output);
    EXPECT_EQ(s.voltMeas, 0);
    EXPECT_EQ(s.currMeas, 0);
    EXPECT_TRUE(s.voltRegulation);
}

TEST(ProgramPreviewTest, RingHoldsThePlanOfTheFirstThreeMinutes) {
    const ProgramPreview p =
        BuildProgramPreview(StepsOf({{0, 100, 1200, 1}, {120, 200, 1500, 1}, {300, 100, 1200, 0}}), START);
    EXPECT_EQ(p.duration, 300);
    ASSERT_EQ(p.secondsRing.size(), 180u);
    for (int t : {0, 1, 119})
        ExpectSample(p.secondsRing[static_cast<std::size_t>(t)], t, 100, 1200, 1);
    for (int t : {120, 179})
        ExpectSample(p.secondsRing[static_cast<std::size_t>(t)], t, 200, 1500, 1);
    // Only the first second is stamped.
    EXPECT_EQ(p.secondsRing[0].stamp, START);
    EXPECT_FALSE(p.secondsRing[1].stamp);
    EXPECT_FALSE(p.secondsRing[179].stamp);

    // Minutes 0 and 1 both the first minute, then one per full minute; second 300 starts no
    // minute of its own.
    ASSERT_EQ(p.minutesList.size(), 6u);
    const Plan minutes[] = {{0, 100, 1200, 1}, {1, 100, 1200, 1}, {2, 100, 1200, 1},
                            {3, 200, 1500, 1}, {4, 200, 1500, 1}, {5, 200, 1500, 1}};
    for (std::size_t i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        ExpectSample(p.minutesList[i], minutes[i].time, minutes[i].currLimit, minutes[i].voltLimit,
                     minutes[i].output);
        EXPECT_FALSE(p.minutesList[i].stamp);
    }
}

TEST(ProgramPreviewTest, MinuteMeansAndOutput) {
    // 20 s at 1 A / 10 V on, 39 s at 4 A / 16 V off, 1 s at 1 A / 10 V on: means 2.95 A and
    // 13.9 V, on for 21 s of 60: off.
    ProgramPreview p =
        BuildProgramPreview(StepsOf({{0, 100, 1000, 1}, {20, 400, 1600, 0}, {59, 100, 1000, 1}}), START);
    ASSERT_EQ(p.minutesList.size(), 2u);
    ExpectSample(p.minutesList[0], 0, 295, 1390, 0);
    ExpectSample(p.minutesList[1], 1, 295, 1390, 0);

    // On for more than half the minute is on: 31 s are, 30 s are not.
    p = BuildProgramPreview(StepsOf({{0, 100, 1000, 1}, {31, 100, 1000, 0}, {59, 100, 1000, 0}}), START);
    EXPECT_EQ(p.minutesList[1].output, 1);
    p = BuildProgramPreview(StepsOf({{0, 100, 1000, 1}, {30, 100, 1000, 0}, {59, 100, 1000, 0}}), START);
    EXPECT_EQ(p.minutesList[1].output, 0);

    // Means are truncated: 59 s at 0.01 A and 1 s at 0.02 A are 61 / 60 = 1 raw unit.
    p = BuildProgramPreview(StepsOf({{0, 1, 7, 1}, {59, 2, 7, 1}}), START);
    EXPECT_EQ(p.minutesList[1].currLimit, 1);
    EXPECT_EQ(p.minutesList[1].voltLimit, 7);
}

TEST(ProgramPreviewTest, ShortPrograms) {
    ProgramPreview p = BuildProgramPreview(StepsOf({{0, 100, 1200, 1}, {90, 100, 1200, 0}}), START);
    EXPECT_EQ(p.duration, 90);
    EXPECT_EQ(p.secondsRing.size(), 91u);
    EXPECT_EQ(p.minutesList.size(), 2u); // second 59 closes the first minute

    p = BuildProgramPreview(StepsOf({{0, 100, 1200, 1}, {58, 100, 1200, 0}}), START);
    EXPECT_EQ(p.secondsRing.size(), 59u);
    EXPECT_TRUE(p.minutesList.empty());

    // A single step at 0: one second of plan, and a run that ends after its first tick.
    p = BuildProgramPreview(StepsOf({{0, 100, 1200, 1}}), START);
    EXPECT_EQ(p.duration, 0);
    ASSERT_EQ(p.secondsRing.size(), 1u);
    ExpectSample(p.secondsRing[0], 0, 100, 1200, 1);
    EXPECT_EQ(ProgramEndSecond(p.duration), 1);

    p = BuildProgramPreview({}, START);
    EXPECT_EQ(p.duration, 0);
    EXPECT_TRUE(p.secondsRing.empty());
    EXPECT_TRUE(p.minutesList.empty());
}

TEST(ProgramPreviewTest, EndSecond) {
    const std::pair<int, int> cases[] = {{-5, 1}, {0, 1}, {1, 1}, {60, 60}, {86399, 86399}};
    for (const auto& [duration, end] : cases)
        EXPECT_EQ(ProgramEndSecond(duration), end) << duration;
}

TEST(ProgramPreviewTest, StepsOutOfTimeOrder) {
    // The last row, not the latest time, ends the plan: the step at 100 is never reached.
    ProgramPreview p =
        BuildProgramPreview(StepsOf({{0, 100, 1200, 1}, {100, 900, 1200, 1}, {50, 200, 1200, 0}}), START);
    EXPECT_EQ(p.duration, 50);
    ASSERT_EQ(p.secondsRing.size(), 51u);
    ExpectSample(p.secondsRing[49], 49, 100, 1200, 1);
    ExpectSample(p.secondsRing[50], 50, 200, 1200, 0);

    // A last step before the first: no second to render.
    p = BuildProgramPreview(StepsOf({{0, 100, 1200, 1}, {-10, 200, 1200, 1}}), START);
    EXPECT_EQ(p.duration, -10);
    EXPECT_TRUE(p.secondsRing.empty());
    EXPECT_EQ(ProgramEndSecond(p.duration), 1);

    // Several steps of one second: the last in the list wins.
    p = BuildProgramPreview(StepsOf({{0, 100, 1200, 1}, {5, 300, 1200, 1}, {5, 400, 1300, 0}, {9, 1, 1, 1}}),
                            START);
    ExpectSample(p.secondsRing[5], 5, 400, 1300, 0);
}

TEST(ProgramPreviewTest, DayLongProgram) {
    std::vector<ChartSample> steps;
    for (int t = 0; t < 86400; ++t)
        steps.emplace_back(t, 100 + t % 7, 1200, t % 2, std::nullopt);
    const ProgramPreview p = BuildProgramPreview(steps, START);
    EXPECT_EQ(p.duration, 86399);
    EXPECT_EQ(p.secondsRing.size(), 180u);
    ASSERT_EQ(p.minutesList.size(), 1441u);
    EXPECT_EQ(p.minutesList.back().time, 1440);
    // Minute 1440 covers seconds 86340..86399: currents 100 + t % 7, output on half the time.
    long long sum = 0;
    for (int t = 86340; t < 86400; ++t)
        sum += 100 + t % 7;
    EXPECT_EQ(p.minutesList.back().currLimit, sum / 60);
    EXPECT_EQ(p.minutesList.back().output, 0);
}

// The chart tests and the screenshot tool fill the histories by hand as the preview does; the
// preview gives exactly what they draw from.
TEST(ProgramPreviewTest, SameHistoriesAsTheChartTestsFill) {
    std::vector<std::vector<ChartSample>> programs = {
        StepsOf({{0, 100, 1200, 1}, {120, 200, 1500, 1}, {300, 100, 1200, 0}}),
        StepsOf({{0, 200, 1200, 1},
                 {60, 500, 1200, 1},
                 {180, 800, 1400, 1},
                 {300, 400, 1400, 1},
                 {420, 1000, 1500, 1},
                 {480, 1000, 1500, 0},
                 {510, 300, 1000, 1},
                 {600, 0, 0, 0}}),
        StepsOf({{0, 100, 1200, 1}, {90, 100, 1200, 0}}),
        StepsOf({{0, 100, 1200, 1}}),
    };
    std::mt19937 rng(12);
    for (int n = 0; n < 20; ++n) {
        std::vector<ChartSample> steps;
        int t = 0;
        for (int k = 0; k < 30; ++k) {
            steps.emplace_back(t, static_cast<int>(rng() % 1500), static_cast<int>(rng() % 3900),
                               static_cast<int>(rng() % 2), std::nullopt);
            t += 1 + static_cast<int>(rng() % 40);
        }
        programs.push_back(steps);
    }
    for (const auto& program : programs) {
        SCOPED_TRACE(testing::Message() << "program ending at " << program.back().time);
        DevicePage page;
        page.stampClock = [] { return START; };
        chartrig::LoadProgram(page, program);
        const ProgramPreview p = BuildProgramPreview(program, START);
        EXPECT_EQ(p.duration, page.chart.programDuration);
        const auto same = [](const std::vector<ChartSample>& a, const std::vector<ChartSample>& b) {
            ASSERT_EQ(a.size(), b.size());
            for (std::size_t i = 0; i < a.size(); ++i) {
                SCOPED_TRACE(i);
                EXPECT_EQ(a[i].time, b[i].time);
                EXPECT_EQ(a[i].stamp, b[i].stamp);
                EXPECT_EQ(a[i].currLimit, b[i].currLimit);
                EXPECT_EQ(a[i].voltLimit, b[i].voltLimit);
                EXPECT_EQ(a[i].output, b[i].output);
                EXPECT_EQ(a[i].voltMeas, b[i].voltMeas);
                EXPECT_EQ(a[i].currMeas, b[i].currMeas);
                EXPECT_EQ(a[i].voltRegulation, b[i].voltRegulation);
            }
        };
        same(p.secondsRing, page.secondsRing);
        same(p.minutesList, page.minutesList);
    }
}

TEST(ProgramPreviewTest, Caption) {
    EXPECT_EQ(ProgramCaption("prog.csv", ""), "Файл-задача: prog.csv");
    EXPECT_EQ(ProgramCaption("prog.csv", "Никелирование"), "Файл-задача: prog.csv # Никелирование");
    EXPECT_EQ(ProgramCaption("100%s.csv", "%s"), "Файл-задача: 100%s.csv # %s");
}

} // namespace
} // namespace rir
