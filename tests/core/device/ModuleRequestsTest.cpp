// What "Установить" sends for each configuration, and what it writes into the record.
#include "device/ModuleRequests.h"

#include "bus/PollList.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

DeviceState Supply(int model, int config) {
    DeviceState s = MakeDeviceState(7, 0);
    s.model = model;
    s.moduleConfig = config;
    return s;
}

ModuleSetupValues Values(int model, int code) {
    ModuleSetupValues v;
    v.modelCode = model;
    v.moduleCode = code;
    v.timerMode = 1;
    v.timerValue = 70000; // 0x011170
    v.counterKind = 1;
    v.counterMode = 1;
    v.counterValue = 0x0A0B0C;
    v.forwardCurrent = 300; // 0x012C
    v.reverseCurrent = 20;
    v.forwardTime = 1000; // 0x03E8
    v.reverseTime = 258;  // 0x0102
    v.thermoMode = 2;
    v.targetTemperature = 2255; // 0x08CF
    v.temperatureDelta = 15;
    return v;
}

void ExpectValid(const std::vector<Request>& requests) {
    for (const Request& r : requests)
        EXPECT_TRUE(IsValidCommand(r)) << ::testing::PrintToString(r);
}

TEST(ModuleRequestsTest, EveryConfiguration) {
    ModuleSetupValues zeroingMinutes = Values(MODEL_TIMER_AMPERE, CONFIG_TIMER_COUNTER);
    zeroingMinutes.zeroing = true;
    zeroingMinutes.units = 1;
    ModuleSetupValues prof = Values(MODEL_PROF, CONFIG_TIMER_COUNTER);
    prof.counterKind = 2;
    prof.counterMode = 1;
    ModuleSetupValues counterOnly = Values(MODEL_TIMER_AMPERE, CONFIG_COUNTERS_DOSER);
    counterOnly.zeroing = true;
    counterOnly.counterMode = 2;
    ModuleSetupValues total = Values(MODEL_TIMER_AMPERE, CONFIG_COUNTER_TOTAL);
    total.units = 1;
    ModuleSetupValues full = Values(MODEL_TFT, CONFIG_FULL);
    full.units = 2;
    full.resetOnOff = true;
    ModuleSetupValues fullMinutes = Values(MODEL_TFT, CONFIG_FULL);
    fullMinutes.units = 1;
    fullMinutes.zeroing = true;
    fullMinutes.timerValue = 3599999; // 0x36EE7F

    const struct {
        const char* name;
        DeviceState state;
        ModuleSetupValues values;
        std::vector<Request> bytes;
    } cases[] = {
        {"1 on model 2, mode 1 goes as 3",
         Supply(MODEL_TIMER_AMPERE, CONFIG_TIMER_COUNTER),
         Values(MODEL_TIMER_AMPERE, CONFIG_TIMER_COUNTER),
         {{7, 0x45, 0x01, 0x01, 0x01, 0x01, 0x11, 0x70},
          {7, 0x45, 0x00, 0x02, 0x01, 0x03, 0x0A, 0x0B, 0x0C}}},
        {"1 with zeroing and ampere-minutes",
         Supply(MODEL_TIMER_AMPERE, CONFIG_TIMER_COUNTER),
         zeroingMinutes,
         {{7, 0x45, 0x01, 0x01, 0x01, 0x01, 0x11, 0x70},
          {7, 0x45, 0x00, 0x02, 0xC1, 0x03, 0x0A, 0x0B, 0x0C}}},
        {"1 on model 4 from configuration 6",
         Supply(MODEL_PROF, CONFIG_TWO_CHANNELS),
         prof,
         {{7, 0x45, 0x81, 0x01, 0x01, 0x01, 0x11, 0x70},
          {7, 0x45, 0x00, 0x02, 0x02, 0x01, 0x0A, 0x0B, 0x0C}}},
        {"2",
         Supply(MODEL_PROF_REVERSE, CONFIG_TIMER_REVERSE),
         Values(MODEL_PROF_REVERSE, CONFIG_TIMER_REVERSE),
         {{7, 0x45, 0x02, 0x01, 0x01, 0x01, 0x11, 0x70},
          {7, 0x45, 0x00, 0x03, 0x01, 0x2C, 0x00, 0x14, 0x03, 0xE8, 0x01, 0x02}}},
        {"3 from configuration 1",
         Supply(MODEL_TIMER_AMPERE, CONFIG_TIMER_COUNTER),
         counterOnly,
         {{7, 0x45, 0x83, 0x02, 0x40, 0x02, 0x0A, 0x0B, 0x0C}}},
        {"4 in ampere-minutes",
         Supply(MODEL_TIMER_AMPERE, CONFIG_COUNTER_TOTAL),
         total,
         {{7, 0x45, 0x04, 0x02, 0x80, 0x01, 0x0A, 0x0B, 0x0C}}},
        {"9 in watt-hours, reset on off",
         Supply(MODEL_TFT, CONFIG_FULL),
         full,
         {{7, 0x45, 0x09, 0x01, 0x01, 0x01, 0x11, 0x70},
          {7, 0x45, 0x00, 0x02, 0x23, 0x41, 0x0A, 0x0B, 0x0C},
          {7, 0x45, 0x00, 0x06, 0x02, 0x08, 0xCF, 0x0F}}},
        {"9 in ampere-minutes, zeroing, longest timer",
         Supply(MODEL_TFT, CONFIG_FULL),
         fullMinutes,
         {{7, 0x45, 0x09, 0x01, 0x41, 0x36, 0xEE, 0x7F},
          {7, 0x45, 0x00, 0x02, 0x83, 0x01, 0x0A, 0x0B, 0x0C},
          {7, 0x45, 0x00, 0x06, 0x02, 0x08, 0xCF, 0x0F}}},
        {"9 while not yet known",
         Supply(MODEL_TFT, -1),
         Values(MODEL_TFT, CONFIG_FULL),
         {{7, 0x45, 0x89, 0x01, 0x41, 0x01, 0x11, 0x70},
          {7, 0x45, 0x00, 0x02, 0x03, 0x41, 0x0A, 0x0B, 0x0C},
          {7, 0x45, 0x00, 0x06, 0x02, 0x08, 0xCF, 0x0F}}},
        {"0 from 1",
         Supply(MODEL_TIMER_AMPERE, CONFIG_TIMER_COUNTER),
         Values(MODEL_TIMER_AMPERE, CONFIG_NONE),
         {{7, 0x45, 0x80}}},
        {"5 in force",
         Supply(MODEL_TIMER_AMPERE, CONFIG_WATTMETER),
         Values(MODEL_TIMER_AMPERE, CONFIG_WATTMETER),
         {{7, 0x45, 0x05}}},
        {"6 from 1",
         Supply(MODEL_PROF, CONFIG_TIMER_COUNTER),
         Values(MODEL_PROF, CONFIG_TWO_CHANNELS),
         {{7, 0x45, 0x86}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<Request> r = ModuleSetupRequests(c.state, c.values);
        EXPECT_EQ(r, c.bytes);
        ExpectValid(r);
    }
}

TEST(ModuleRequestsTest, ConfigurationAlreadyInForceHasNoChangeBit) {
    for (int code : {CONFIG_NONE, CONFIG_TIMER_COUNTER, CONFIG_COUNTERS_DOSER, CONFIG_WATTMETER}) {
        SCOPED_TRACE(code);
        const auto same =
            ModuleSetupRequests(Supply(MODEL_TIMER_AMPERE, code), Values(MODEL_TIMER_AMPERE, code));
        ASSERT_FALSE(same.empty());
        EXPECT_EQ(same[0][2], code);
        const auto other =
            ModuleSetupRequests(Supply(MODEL_TIMER_AMPERE, 4 - code), Values(MODEL_TIMER_AMPERE, code));
        ASSERT_FALSE(other.empty());
        EXPECT_EQ(other[0][2], code + 0x80);
    }
}

TEST(ModuleRequestsTest, Model1LeavesOutTheAddressExceptOnTheDisplayRequests) {
    DeviceState s = Supply(MODEL_RS232, CONFIG_COUNTERS_DOSER);
    EXPECT_EQ(ModuleSetupRequests(s, Values(MODEL_RS232, CONFIG_COUNTERS_DOSER)),
              (std::vector<Request>{{0x45, 0x03, 0x02, 0x00, 0x01, 0x0A, 0x0B, 0x0C}}));
    const auto full = ModuleSetupRequests(s, Values(MODEL_RS232, CONFIG_FULL));
    ASSERT_EQ(full.size(), 3u);
    EXPECT_EQ(full[0][0], 0x45);
    EXPECT_EQ(full[1][0], 7);
    EXPECT_EQ(full[2][0], 7);
}

TEST(ModuleRequestsTest, OutOfRangeValuesAreClampedAndAnUnsendableCodeRefused) {
    ModuleSetupValues v = Values(MODEL_PROF_REVERSE, CONFIG_TIMER_REVERSE);
    v.timerMode = 7;
    v.timerValue = 99999999; // a stopwatch value nobody checked
    v.forwardCurrent = -5;
    v.reverseCurrent = 70000;
    const auto r = ModuleSetupRequests(Supply(MODEL_PROF_REVERSE, CONFIG_TIMER_REVERSE), v);
    ExpectValid(r);
    EXPECT_EQ(r,
              (std::vector<Request>{{7, 0x45, 0x02, 0x01, 0x03, 0x05, 0x7E, 0x40},
                                    {7, 0x45, 0x00, 0x03, 0x00, 0x00, 0xFF, 0xFF, 0x03, 0xE8, 0x01, 0x02}}));

    ModuleSetupValues f = Values(MODEL_TFT, CONFIG_FULL);
    f.timerValue = -1;
    f.counterMode = 9;
    f.counterValue = 0x1000000;
    f.thermoMode = 0x85;
    f.targetTemperature = 99999;
    f.temperatureDelta = 300;
    const auto full = ModuleSetupRequests(Supply(MODEL_TFT, CONFIG_FULL), f);
    ExpectValid(full);
    EXPECT_EQ(full, (std::vector<Request>{{7, 0x45, 0x09, 0x01, 0x41, 0x00, 0x00, 0x00},
                                          {7, 0x45, 0x00, 0x02, 0x03, 0x43, 0xFF, 0xFF, 0xFF},
                                          {7, 0x45, 0x00, 0x06, 0x7F, 0xFF, 0xFF, 0xFF}}));

    for (int code : {-1, 128, 1000}) {
        SCOPED_TRACE(code);
        EXPECT_TRUE(ModuleSetupRequests(Supply(MODEL_PROF, -1), Values(MODEL_PROF, code)).empty());
        DeviceState s = Supply(MODEL_PROF, -1);
        const DeviceState before = s;
        ApplyModuleSetup(s, Values(MODEL_PROF, code));
        EXPECT_EQ(s.timerValue, before.timerValue);
        EXPECT_EQ(s.counterDaily, before.counterDaily);
    }
}

TEST(ModuleRequestsTest, RecordTakesWhatWasSent) {
    DeviceState s = Supply(MODEL_TIMER_AMPERE, CONFIG_TIMER_COUNTER);
    ModuleSetupValues v = Values(MODEL_TIMER_AMPERE, CONFIG_TIMER_COUNTER);
    v.timerValue = 500000;
    v.timerMode = 2;
    ApplyModuleSetup(s, v);
    EXPECT_EQ(s.timerValue, MAX_TIMER_SECONDS);
    EXPECT_EQ(s.timerMode, 2);
    EXPECT_EQ(s.counterDaily, 0x0A0B0C);
    EXPECT_EQ(s.revFwdCurrent, 0);
    EXPECT_EQ(s.moduleConfig, CONFIG_TIMER_COUNTER); // the supply's next report says what is in force

    DeviceState r = Supply(MODEL_PROF_REVERSE, CONFIG_TIMER_REVERSE);
    ApplyModuleSetup(r, Values(MODEL_PROF_REVERSE, CONFIG_TIMER_REVERSE));
    EXPECT_EQ(r.timerValue, 70000);
    EXPECT_EQ(r.timerMode, 1);
    EXPECT_EQ(r.revFwdCurrent, 300);
    EXPECT_EQ(r.revBackCurrent, 20);
    EXPECT_EQ(r.revFwdTime, 1000);
    EXPECT_EQ(r.revBackTime, 258);
    EXPECT_EQ(r.counterDaily, 0);

    DeviceState c = Supply(MODEL_TIMER_AMPERE, CONFIG_COUNTER_TOTAL);
    ApplyModuleSetup(c, Values(MODEL_TIMER_AMPERE, CONFIG_COUNTER_TOTAL));
    EXPECT_EQ(c.counterDaily, 0x0A0B0C);
    EXPECT_EQ(c.timerValue, 0);

    DeviceState t = Supply(MODEL_TFT, CONFIG_FULL);
    ModuleSetupValues full = Values(MODEL_TFT, CONFIG_FULL);
    full.timerValue = 4000000;
    full.resetOnOff = false;
    ApplyModuleSetup(t, full);
    EXPECT_EQ(t.timerValue, MAX_TIMER_SECONDS_FULL);
    EXPECT_EQ(t.timerResetOnOff, 0);
    EXPECT_EQ(t.counterDaily, 0x0A0B0C);
    EXPECT_EQ(t.thermoMode, 2);
    EXPECT_EQ(t.tempTargetRaw, 2255);
    EXPECT_EQ(t.tempDeltaRaw, 15);

    DeviceState none = Supply(MODEL_TIMER_AMPERE, CONFIG_TIMER_COUNTER);
    ApplyModuleSetup(none, Values(MODEL_TIMER_AMPERE, CONFIG_WATTMETER));
    EXPECT_EQ(none.timerValue, 0);
    EXPECT_EQ(none.counterDaily, 0);
}

} // namespace
} // namespace rir
