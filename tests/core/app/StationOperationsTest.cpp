// The station's operations with values: what each refuses, in the words the caller reports, and
// that what they send is what the operator's typing and clicks send.
#include "StationRig.h"

#include "PageOnline.h"
#include "PageRuns.h"
#include "device/PageControls.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace rir {
namespace {

using test::StationRig;

TEST(StationOperations, RefusalsSayWhyAndSendNothing) {
    using Op = std::function<OperationResult(Station&)>;
    const LimitAmount twelve{12, 0};
    const struct {
        const char* name;
        bool online;
        PageRun run;
        Op op;
        std::string_view error;
    } cases[] = {
        {"no such page", true, PageRun::Idle, [&](Station& s) { return s.SetLimits(33, 0, twelve, {}); },
         OPERATION_NO_DEVICE},
        {"no value", true, PageRun::Idle, [](Station& s) { return s.SetLimits(15, 0, {}, {}); },
         OPERATION_NO_VALUE},
        {"limits offline", false, PageRun::Idle, [&](Station& s) { return s.SetLimits(15, 0, twelve, {}); },
         OPERATION_OFFLINE},
        {"limits under a program", true, PageRun::Loaded,
         [&](Station& s) { return s.SetLimits(15, 0, {}, twelve); }, OPERATION_PROGRAM_LOADED},
        {"below zero", true, PageRun::Idle, [](Station& s) { return s.SetLimitValues(15, 0, -0.5, {}); },
         OPERATION_OUT_OF_RANGE},
        {"not a number", true, PageRun::Idle,
         [](Station& s) { return s.SetLimitValues(15, 0, 12.0, std::nan("")); }, OPERATION_OUT_OF_RANGE},
        {"far above", true, PageRun::Idle,
         [](Station& s) { return s.SetLimitValues(15, 0, MAX_LIMIT_AMOUNT + 1, {}); },
         OPERATION_OUT_OF_RANGE},
        {"switch-on offline", false, PageRun::Idle, [](Station& s) { return s.SwitchOutput(15, 0, true); },
         OPERATION_OFFLINE},
        {"switch-on under a program", true, PageRun::Loaded,
         [](Station& s) { return s.SwitchOutput(15, 0, true); }, OPERATION_PROGRAM_LOADED},
        {"switch-off of a supply never identified", false, PageRun::Idle,
         [](Station& s) { return s.SwitchOutput(15, 0, false); }, OPERATION_OFFLINE},
        {"start without a program", true, PageRun::Recording,
         [](Station& s) { return s.RunProgram(15, 0, ProgramStep::Start); }, OPERATION_NO_PROGRAM},
        {"start while it runs", true, PageRun::Running,
         [](Station& s) { return s.RunProgram(15, 0, ProgramStep::Start); }, OPERATION_PROGRAM_RUNS},
        {"start while paused", true, PageRun::Paused,
         [](Station& s) { return s.RunProgram(15, 0, ProgramStep::Start); }, OPERATION_PROGRAM_PAUSED},
        {"continue unpaused", true, PageRun::Loaded,
         [](Station& s) { return s.RunProgram(15, 0, ProgramStep::Continue); }, OPERATION_PROGRAM_NOT_PAUSED},
        {"pause of a waiting program", true, PageRun::Loaded,
         [](Station& s) { return s.RunProgram(15, 0, ProgramStep::Pause); }, OPERATION_PROGRAM_NOT_RUNNING},
        {"cancel while it runs", true, PageRun::Running,
         [](Station& s) { return s.RunProgram(15, 0, ProgramStep::Cancel); }, OPERATION_PROGRAM_RUNS},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StationRig rig;
        ASSERT_TRUE(rig.station.Start(nullptr));
        DevicePage& page = *rig.station.FindPage(15, 0);
        if (c.online)
            test::BringPageOnline(page, CONFIG_NONE);
        test::EnterRun(page, c.run);
        EXPECT_EQ(c.op(rig.station).error, c.error);
        EXPECT_TRUE(rig.Queue().empty());
        EXPECT_EQ(page.run(), c.run);
    }
}

// The values go out as the typed text does: clamped to the supply's range, both limits in the
// request, the one not given as its edit holds it and not taken.
TEST(StationOperations, ValuesSendWhatTheTypedTextSends) {
    const struct {
        const char* typed; // into the edit of `editId`, then Enter
        int editId;
        std::optional<double> volts, amps;
        test::Commands sent;
    } cases[] = {
        {"12.5", IDC_VOLT_EDIT, 12.5, {}, {{15, 0x43, 0x02, 0x04, 0xE2, 0x03, 0xE8}}},
        {"50", IDC_VOLT_EDIT, 50.0, {}, {{15, 0x43, 0x02, 0x0F, 0x3C, 0x03, 0xE8}}}, // 39 V at most
        {"1.239", IDC_CURR_EDIT, {}, 1.239, {{15, 0x43, 0x04, 0x05, 0xDC, 0x00, 0x7B}}},
        {"0", IDC_CURR_EDIT, {}, 0.0, {{15, 0x43, 0x04, 0x05, 0xDC, 0x00, 0x00}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        StationRig typing;
        StationRig plant;
        for (StationRig* rig : {&typing, &plant}) {
            ASSERT_TRUE(rig->station.Start(nullptr));
            test::BringPageOnline(*rig->station.FindPage(15, 0), CONFIG_NONE);
        }
        typing.station.FindPage(15, 0)->SetEditState(c.editId, c.typed, true, {0, 0});
        typing.station.OnPageEnter(15, 0, c.editId);
        EXPECT_TRUE(plant.station.SetLimitValues(15, 0, c.volts, c.amps).ok());
        EXPECT_EQ(typing.Queue(), c.sent);
        EXPECT_EQ(plant.Queue(), c.sent);
    }
}

TEST(StationOperations, OutputAndProgramGoTheClicksWay) {
    StationRig rig;
    ASSERT_TRUE(rig.station.Start(nullptr));
    DevicePage& page = *rig.station.FindPage(15, 0);
    test::BringPageOnline(page, CONFIG_NONE);
    EXPECT_TRUE(rig.station.SwitchOutput(15, 0, false).ok()) << "off already: nothing to do";
    EXPECT_TRUE(rig.Queue().empty());
    EXPECT_TRUE(rig.station.SwitchOutput(15, 0, true).ok());
    EXPECT_EQ(rig.Queue(), (test::Commands{{15, 0x43, 0x09, 0x05, 0xDC, 0x03, 0xE8}}));
    EXPECT_TRUE(page.recording()) << "a switch-on by hand records";

    StationRig program;
    ASSERT_TRUE(program.station.Start(nullptr));
    DevicePage& loaded = *program.station.FindPage(15, 0);
    test::BringPageOnline(loaded, CONFIG_NONE);
    test::EnterRun(loaded, PageRun::Loaded);
    EXPECT_TRUE(program.station.RunProgram(15, 0, ProgramStep::Start).ok());
    EXPECT_EQ(loaded.run(), PageRun::Running);
    EXPECT_TRUE(program.station.RunProgram(15, 0, ProgramStep::Pause).ok());
    EXPECT_EQ(loaded.run(), PageRun::Paused);
    EXPECT_TRUE(program.station.RunProgram(15, 0, ProgramStep::Continue).ok());
    EXPECT_EQ(loaded.run(), PageRun::Running);
    EXPECT_TRUE(program.station.RunProgram(15, 0, ProgramStep::Pause).ok());
    EXPECT_TRUE(program.station.RunProgram(15, 0, ProgramStep::Cancel).ok());
    EXPECT_EQ(loaded.run(), PageRun::Idle);
}

TEST(LimitAmount, PlantValuesToTheNearestThousandth) {
    const struct {
        double value;
        std::optional<LimitAmount> amount;
    } cases[] = {
        {12.5, LimitAmount{12, 500}}, {0.0015, LimitAmount{0, 2}},
        {0.0, LimitAmount{0, 0}},     {MAX_LIMIT_AMOUNT, LimitAmount{100000, 0}},
        {-0.001, std::nullopt},       {std::numeric_limits<double>::infinity(), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(LimitAmountOf(c.value), c.amount);
    }
}

} // namespace
} // namespace rir
