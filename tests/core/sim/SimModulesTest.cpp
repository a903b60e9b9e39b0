#include "SimSupply.h"

#include "SimTestBytes.h"
#include "bus/FrameCodec.h"
#include "device/Payloads.h"

#include <gtest/gtest.h>

namespace rir::sim {
namespace {

using test::Hex;

SimSupply Make(int model, int config, double load = 10.0) {
    return SimSupply(*SimRatingsFor(model), config, load);
}

std::vector<std::uint8_t> Ask(SimSupply& s, int function, const char* data = "") {
    const SimReply r = s.Handle(function, Hex(data));
    std::vector<std::uint8_t> out;
    out.reserve(1 + r.payload.size());
    out.push_back(static_cast<std::uint8_t>(r.function));
    out.insert(out.end(), r.payload.begin(), r.payload.end());
    return out;
}

void Set(SimSupply& s, const char* extended) {
    ASSERT_EQ(Ask(s, FC_EXTENDED, extended), Hex("45 00")) << extended;
}

// The module reply as the station reads it.
ModulesPayload Modules(SimSupply& s) {
    const SimReply r = s.Handle(FC_MODULES, {});
    const std::vector<int> payload(r.payload.begin(), r.payload.end());
    const auto parsed = ParseModules(payload);
    EXPECT_TRUE(parsed && !parsed->truncated && parsed->skipped == 0);
    return parsed.value_or(ModulesPayload{});
}

template <typename Record> Record Find(SimSupply& s) {
    for (const ModuleRecord& r : Modules(s).records) {
        if (const auto* found = std::get_if<Record>(&r))
            return *found;
    }
    ADD_FAILURE() << "record missing";
    return Record{};
}

MeasurePayload Measure(SimSupply& s) {
    const SimReply r = s.Handle(FC_MEASURE, {});
    return ParseMeasure(std::vector<int>(r.payload.begin(), r.payload.end())).value_or(MeasurePayload{});
}

TEST(SimModules, RecordsFollowTheConfiguration) {
    struct Case {
        int model, config;
        bool on;
        const char* reply;
        std::size_t records;
    };
    const Case cases[] = {
        {2, 1, false, "44 01 41 00 000000 92 00 00 00000000 000000", 2},
        {3, 2, false, "44 02 41 00 000000 93 04 0000 0000 0064 0014", 2},
        {2, 3, false, "44 03 92 00 00 00000000 000000", 1},
        {2, 4, false, "44 04 92 00 00 00000000 000000", 1},
        {2, 5, true, "44 05 24 08CA", 1}, // 15 V x 1.5 A = 22.50 W in hundredths
        {3, 6, false, "44 06 95 0000 04B0 0000 01F4 00", 1},
        {6, 9, false, "44 09 41 00 000000 92 00 00 00000000 000000 24 0000 66 08CA 00 0960 14", 4},
        {6, 9, true, "44 09 41 00 000000 92 00 00 00000000 000000 24 0090 66 08CA 00 0960 14", 4}, // 14.4 W
    };
    for (const Case& c : cases) {
        SimSupply s = Make(c.model, c.config);
        if (c.on)
            Ask(s, FC_CONTROL, "09 0000 0000");
        EXPECT_EQ(Ask(s, FC_MODULES), Hex(c.reply)) << "configuration " << c.config;
        EXPECT_EQ(Modules(s).records.size(), c.records) << "configuration " << c.config;
    }
}

TEST(SimModules, WattmeterSaturatesInsteadOfWrapping) {
    SimSupply s = Make(3, 5, 0.1);
    Ask(s, FC_CONTROL, "0F FFFF FFFF"); // 315 A into 0.1 ohm: 9.9 kW
    EXPECT_EQ(Find<WattRecord>(s).wattRaw, 0xFFFF);
}

TEST(SimTimer, SwitchOffTimerCountsDownAndSwitchesTheOutputOff) {
    SimSupply s = Make(2, 1);
    Set(s, "00 01 01 000005");
    Ask(s, FC_CONTROL, "09 0000 0000");
    s.Advance(4000);
    EXPECT_EQ(Find<TimerRecord>(s).timerValue, 1);
    s.Advance(999);
    EXPECT_EQ(Measure(s).status, 0x01);
    s.Advance(1);
    EXPECT_EQ(Measure(s).status, 0x00);
    EXPECT_EQ(Measure(s).currMeas, 0);
    EXPECT_EQ(Find<TimerRecord>(s).timerValue, 0); // the end stays on show while off
    Ask(s, FC_CONTROL, "09 0000 0000");            // and the next run starts over
    EXPECT_EQ(Find<TimerRecord>(s).timerValue, 5);
    s.Advance(2000);
    EXPECT_EQ(Find<TimerRecord>(s).timerValue, 3);
}

TEST(SimTimer, TenthCurrentModeDropsTheCurrentAtZero) {
    SimSupply s = Make(2, 1);
    Set(s, "00 01 02 000002");
    Ask(s, FC_CONTROL, "0F 05DC 0064"); // 1 A limit: current regulation at 10 V
    s.Advance(1900);
    EXPECT_EQ(Measure(s).currMeas, 100);
    s.Advance(100);
    EXPECT_EQ(Measure(s).currMeas, 10);
    EXPECT_EQ(Measure(s).voltMeas, 100);
    EXPECT_EQ(Measure(s).status, 0x03);
    EXPECT_EQ(Measure(s).currLimit, 100); // the limit as set is still reported
}

TEST(SimTimer, KeepOnModeCountsTheOvertimeNegative) {
    SimSupply s = Make(6, 9);
    Set(s, "00 01 03 000002");
    Ask(s, FC_CONTROL, "09 0000 0000");
    s.Advance(5000);
    const TimerRecord t = Find<TimerRecord>(s);
    EXPECT_EQ(t.timerMode, 3);
    EXPECT_EQ(t.timerNegative, 1);
    EXPECT_EQ(t.timerValue, 3);
    EXPECT_EQ(Measure(s).status, 0x01);
}

TEST(SimTimer, SwitchOffResetsTheValueUnlessBit6SaysKeep) {
    struct Case {
        const char* block;
        int afterOff;
    };
    const Case cases[] = {
        {"00 01 00 000000", 0},  // stopwatch, reset: back to 0
        {"00 01 40 000000", 3},  // stopwatch, keep
        {"00 01 01 00000A", 10}, // timer, reset: back to the preset
        {"00 01 41 00000A", 7},  // timer, keep
    };
    for (const Case& c : cases) {
        SimSupply s = Make(2, 1);
        Set(s, c.block);
        Ask(s, FC_CONTROL, "09 0000 0000");
        s.Advance(3500);
        Ask(s, FC_CONTROL, "08 0000 0000");
        EXPECT_EQ(Find<TimerRecord>(s).timerValue, c.afterOff) << c.block;
        s.Advance(5000); // nothing counts while the output is off
        EXPECT_EQ(Find<TimerRecord>(s).timerValue, c.afterOff) << c.block;
    }
}

TEST(SimCounter, IntegratesTheCurrentInEachModelsUnits) {
    // 1 A (or 10 W) for the given time.
    struct Case {
        int model, config;
        const char* block;
        int seconds;
        int total;
        int units;
    };
    const Case cases[] = {
        {2, 1, "00 02 01 00 000000", 36, 10, 0}, // thousandths of an ampere-hour
        {2, 1, "00 02 81 00 000000", 36, 36, 1}, // ampere-seconds
        {3, 1, "00 02 02 00 000000", 36, 1, 0},  // hundredths of an ampere-hour
        {4, 4, "00 02 00 00 000000", 72, 2, 0},
        {6, 9, "00 02 23 40 000000", 36, 100, 2}, // 360 watt-seconds in thousandths of a watt-hour
    };
    for (const Case& c : cases) {
        SimSupply s = Make(c.model, c.config);
        Set(s, c.block);
        Ask(s, FC_CONTROL, "0B 03E8 0000"); // 10 V on 10 ohms
        s.Advance(c.seconds * 1000 - 100);
        EXPECT_EQ(Find<CounterRecord>(s).counterTotal, c.total - 1) << c.block;
        s.Advance(100);
        const CounterRecord r = Find<CounterRecord>(s);
        EXPECT_EQ(r.counterTotal, c.total) << c.block;
        EXPECT_EQ(r.counterDaily, c.total) << c.block;
        EXPECT_EQ(r.counterUnits, c.units) << c.block;
    }
}

TEST(SimCounter, DailyCounterStartsOverOnSwitchOffUnlessKept) {
    for (const bool keep : {false, true}) {
        SimSupply s = Make(2, 1);
        Set(s, keep ? "00 02 01 40 000000" : "00 02 01 00 000000");
        Ask(s, FC_CONTROL, "0B 03E8 0000");
        s.Advance(36000);
        Ask(s, FC_CONTROL, "08 0000 0000");
        const CounterRecord r = Find<CounterRecord>(s);
        EXPECT_EQ(r.counterTotal, 10);
        EXPECT_EQ(r.counterDaily, keep ? 10 : 0);
        EXPECT_EQ(r.counterResetOnOff, keep ? 0 : 1);
    }
}

TEST(SimCounter, ZeroingFlagAndChangeOfUnitsClearTheAccumulatingCounter) {
    for (const char* block : {"00 02 41 00 000000", "00 02 81 00 000000"}) {
        SimSupply s = Make(2, 1);
        Ask(s, FC_CONTROL, "0B 03E8 0000");
        s.Advance(36000);
        ASSERT_EQ(Find<CounterRecord>(s).counterTotal, 10);
        Set(s, block);
        EXPECT_EQ(Find<CounterRecord>(s).counterTotal, 0) << block;
    }
}

TEST(SimCounter, DoseCountsDownAndActsByItsMode) {
    struct Case {
        const char* setup;
        int status;
        int currMeas;
    };
    const Case cases[] = {
        {"83 02 00 01 00000A", 0x00, 0},   // switch off
        {"83 02 00 02 00000A", 0x03, 10},  // a tenth of the current
        {"83 02 00 03 00000A", 0x03, 100}, // runs on
    };
    for (const Case& c : cases) {
        SimSupply s = Make(2, 3);
        Set(s, c.setup);
        Ask(s, FC_CONTROL, "0F 05DC 0064"); // current regulation at 1 A
        s.Advance(35000);
        CounterRecord r = Find<CounterRecord>(s);
        EXPECT_EQ(r.counterDaily, 1) << c.setup;
        EXPECT_FALSE(r.doseActive) << c.setup;
        s.Advance(1000);
        r = Find<CounterRecord>(s);
        EXPECT_EQ(r.counterDaily, 0) << c.setup;
        EXPECT_TRUE(r.doseActive) << c.setup;
        EXPECT_EQ(Measure(s).status, c.status) << c.setup;
        EXPECT_EQ(Measure(s).currMeas, c.currMeas) << c.setup;
    }
}

TEST(SimCounter, RestartBlockAndSwitchOnStartACompletedDoseOver) {
    SimSupply s = Make(2, 1);
    Set(s, "00 02 01 03 00000A");
    Ask(s, FC_CONTROL, "0B 03E8 0000");
    s.Advance(36000);
    ASSERT_TRUE(Find<CounterRecord>(s).doseActive);
    Set(s, "00 02 20 00 000000"); // the dosing restart button
    CounterRecord r = Find<CounterRecord>(s);
    EXPECT_FALSE(r.doseActive);
    EXPECT_EQ(r.counterDaily, 10);
    EXPECT_EQ(r.counterMode, 3); // the restart carries no settings
    EXPECT_EQ(r.counterTotal, 10);

    s.Advance(36000);
    Ask(s, FC_CONTROL, "08 0000 0000");
    EXPECT_TRUE(Find<CounterRecord>(s).doseActive); // still on show while off
    Ask(s, FC_CONTROL, "09 0000 0000");
    EXPECT_FALSE(Find<CounterRecord>(s).doseActive);
    EXPECT_EQ(Find<CounterRecord>(s).counterDaily, 10);
}

TEST(SimReverse, PhasesAlternateAndCapTheCurrent) {
    SimSupply s = Make(3, 2, 1.0); // 12 V on 1 ohm would draw 12 A
    Set(s, "00 03 0005 0002 0014 000A");
    Ask(s, FC_CONTROL, "09 0000 0000");
    EXPECT_TRUE(Find<ReverseRecord>(s).reversePhase);
    EXPECT_EQ(Measure(s).currMeas, 50); // 5.0 A forward
    s.Advance(2000);
    EXPECT_FALSE(Find<ReverseRecord>(s).reversePhase);
    EXPECT_EQ(Measure(s).currMeas, 20);
    s.Advance(1000);
    EXPECT_TRUE(Find<ReverseRecord>(s).reversePhase);
    s.Advance(2500);
    Ask(s, FC_CONTROL, "08 0000 0000");
    EXPECT_TRUE(Find<ReverseRecord>(s).reversePhase); // switching off returns to forward
    const ReverseRecord r = Find<ReverseRecord>(s);
    EXPECT_EQ(r.revFwdCurrent, 5);
    EXPECT_EQ(r.revBackCurrent, 2);
    EXPECT_EQ(r.revFwdTime, 20);
    EXPECT_EQ(r.revBackTime, 10);
}

TEST(SimThermometer, WarmsWithOutputPowerAndCoolsBack) {
    SimSupply s = Make(6, 9, 3.0);
    Ask(s, FC_CONTROL, "0F 0BB8 03E8"); // 30 V / 10 A into 3 ohms: 300 W of 331
    EXPECT_EQ(Find<ThermoRecord>(s).tempRaw, 2250);
    s.Advance(60000);
    const int warm = Find<ThermoRecord>(s).tempRaw;
    EXPECT_GT(warm, 2400);
    EXPECT_LT(warm, 2250 + 400 * 9 / 10); // heading for 25 + 36 degrees, not there in one minute
    Ask(s, FC_CONTROL, "08 0000 0000");
    s.Advance(30 * 60000);
    EXPECT_EQ(Find<ThermoRecord>(s).tempRaw, 2250);
}

TEST(SimThermometer, RegulatorModesAct) {
    // Heating relay around 30.0 +- 1.0 degrees: on at first, and the temperature is held near.
    SimSupply heat = Make(6, 9);
    Set(heat, "00 06 01 08FC 0A");
    heat.Advance(100);
    EXPECT_EQ(Find<ThermoRecord>(heat).thermoMode, 0x81);
    heat.Advance(30 * 60000);
    const int held = Find<ThermoRecord>(heat).tempRaw;
    EXPECT_GE(held, 2285);
    EXPECT_LE(held, 2315);

    // Cut-off at 26.0 degrees: high power trips the output off.
    SimSupply cut = Make(6, 9, 3.0);
    Set(cut, "00 06 03 08D4 0A");
    Ask(cut, FC_CONTROL, "0F 0BB8 03E8");
    cut.Advance(60000);
    EXPECT_EQ(Measure(cut).status, 0x00);
    EXPECT_LT(Find<ThermoRecord>(cut).tempRaw, 2260); // cooling again since the cut
}

} // namespace
} // namespace rir::sim
