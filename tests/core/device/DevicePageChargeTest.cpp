// A step that ends by charge on its page: the count of the measured current each second, the
// end between two seconds, a current of zero, a supply that reports nothing, and the rest of
// the program moved to where the step really ended.
#include "device/DevicePage.h"

#include "PageCommandsRig.h"
#include "PageOnline.h"
#include "PageRuns.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

struct ChargeCase {
    const char* name;
    int currMeas; // raw, at scale 100
    bool online;
    int endTick; // 0: still running after 40 ticks
    const char* status;
};

class ChargeStepTest : public testing::TestWithParam<ChargeCase> {};

TEST_P(ChargeStepTest, TheStepEndsWhenTheCountReachesItsCharge) {
    const ChargeCase& c = GetParam();
    DevicePage page;
    page.InitDevice(15, 0);
    test::BringPageOnline(page, 1, 0x01);
    page.state.currScale = 100;
    // 0,01 A·h at 2 A: 18 s expected, then the output goes off.
    test::TakeSteps(page,
                    {ChartSample(0, 200, 1200, 1, std::nullopt), ChartSample(18, 200, 1200, 0, std::nullopt)},
                    {10, std::nullopt});
    test::RecordingSink sink;
    page.RunProgram(sink);
    page.state.online = c.online;
    page.state.currMeas = c.currMeas;
    int ended = 0;
    for (int tick = 1; tick <= 40 && ended == 0; ++tick) {
        page.state.voltLimit = 1200;
        page.state.currLimit = 200;
        page.state.outputOn = true;
        sink.queued.clear();
        if (page.OnTick(sink) == TickOutcome::ProgramEnded)
            ended = tick;
    }
    EXPECT_EQ(ended, c.endTick);
    EXPECT_EQ(page.runStatus(), c.status);
    if (c.endTick != 0) {
        EXPECT_EQ(page.chart.programDuration, c.endTick);
        ASSERT_EQ(sink.queued.size(), 1u) << "the switch-off of the next step goes out at the end";
        EXPECT_EQ(sink.queued[0], PlannedOutputRequest(page.state, 1200, 200, false));
        // A fresh start runs the plan as the file gave it.
        EXPECT_EQ(page.runSteps()[1].time, c.endTick);
        page.RestartProgram({{}, {}, 18});
        EXPECT_EQ(page.runSteps()[1].time, 18);
    } else {
        EXPECT_TRUE(page.programRunning());
        EXPECT_EQ(page.chart.programDuration, 41) << "held a second ahead of the present one";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Currents, ChargeStepTest,
    testing::Values(ChargeCase{"AtTheSetCurrent", 200, true, 18, ""},
                    // 2,5 A reach 36 A·s at 14,4 s: the step ends at second 15, three early.
                    ChargeCase{"BetweenTwoSeconds", 250, true, 15, ""},
                    // 1,5 A reach it at second 24: the switch-off waits for the charge.
                    ChargeCase{"Late", 150, true, 24, ""}, ChargeCase{"ZeroCurrent", 0, true, 0, ""},
                    ChargeCase{"NoAnswer", 200, false, 0, "Шаг по заряду стоит: блок не сообщает ток"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace rir
