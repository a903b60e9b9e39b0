#include "device/Payloads.h"
#include "device/Ratings.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

TEST(ParseIdentify, ExamplePayload) {
    const std::vector<int> p{0x02, 0x0F, 0x3C, 0x05, 0xDC, 0x00, 0x05, 0xDC, 0x03, 0xE8, 0x00};
    const auto id = ParseIdentify(p);
    ASSERT_TRUE(id);
    EXPECT_EQ(id->model, 2);
    EXPECT_EQ(id->voltMax, 3900);
    EXPECT_EQ(id->voltLimit, 1500);
    EXPECT_EQ(VoltScaleFromCode(id->voltCode), 100);
    EXPECT_EQ(id->currMax, 1500);
    EXPECT_EQ(id->currLimit, 1000);
    EXPECT_EQ(CurrScaleFromCode(id->currCode), 100);
    EXPECT_EQ(RatedValue(id->voltMax, 100), 37);
    EXPECT_EQ(RatedValue(id->currMax, 100), 14);
    EXPECT_EQ(VoltMinFor(id->voltMax, 100), 50);
    EXPECT_EQ(CurrMinFor(id->currMax), 15);
}

TEST(ParsePayloads, ShortPayloadsAreRefused) {
    const std::vector<int> ten(10, 1), eight(8, 1), four(4, 1);
    EXPECT_FALSE(ParseIdentify(ten));
    EXPECT_FALSE(ParseMeasure(eight));
    EXPECT_FALSE(ParseControlReply(four));
    EXPECT_FALSE(ParseModules(std::vector<int>{}));
    EXPECT_FALSE(ParseIdentify(std::vector<int>{}));
}

TEST(ParsePayloads, MeasureAndControl) {
    const auto m = ParseMeasure(std::vector<int>{0x05, 0xDC, 0x07, 0xD0, 0x00, 0x64, 0x01, 0xF4, 0x03});
    ASSERT_TRUE(m);
    EXPECT_EQ(m->voltMeas, 1500);
    EXPECT_EQ(m->voltLimit, 2000);
    EXPECT_EQ(m->currMeas, 100);
    EXPECT_EQ(m->currLimit, 500);
    EXPECT_EQ(m->status, 3);
    const auto c = ParseControlReply(std::vector<int>{0xFF, 0xFF, 0x00, 0x01, 0x01});
    ASSERT_TRUE(c);
    EXPECT_EQ(c->voltLimit, 65535);
    EXPECT_EQ(c->currLimit, 1);
    EXPECT_EQ(c->status, 1);
}

TEST(ParseModules, TimerRecordLengths) {
    struct Case {
        std::vector<int> payload;
        int value, mode, resetOnOff, negative;
    } cases[] = {
        {{1, 0x41, 0x01, 0x00, 0x0E, 0x8D}, 3725, 1, 1, 0},
        {{1, 0x31, 0x42, 0x0E, 0x8D}, 3725, 2, 0, 0},
        {{1, 0x11, 0x83}, 0, 3, 1, 1},
    };
    for (const auto& c : cases) {
        const auto r = ParseModules(c.payload);
        ASSERT_TRUE(r);
        ASSERT_EQ(r->records.size(), 1u);
        const auto& t = std::get<TimerRecord>(r->records[0]);
        EXPECT_EQ(t.timerValue, c.value);
        EXPECT_EQ(t.timerMode, c.mode);
        EXPECT_EQ(t.timerResetOnOff, c.resetOnOff);
        EXPECT_EQ(t.timerNegative, c.negative);
        EXPECT_FALSE(r->truncated);
    }
}

TEST(ParseModules, CounterFlags) {
    const auto r = ParseModules(std::vector<int>{1, 0x92, 0xA1, 0x41, 0, 0, 0x12, 0x34, 0x01, 0x02, 0x03});
    ASSERT_TRUE(r);
    ASSERT_EQ(r->records.size(), 1u);
    const auto& c = std::get<CounterRecord>(r->records[0]);
    EXPECT_EQ(c.counterUnits, 2) << "watt-hours win over ampere-minutes";
    EXPECT_EQ(c.counterSelect, 1);
    EXPECT_FALSE(c.doseActive);
    EXPECT_EQ(c.counterMode, 0x41);
    EXPECT_EQ(c.counterResetOnOff, 0);
    EXPECT_EQ(c.counterTotal, 0x1234);
    EXPECT_EQ(c.counterDaily, 0x010203);

    const auto minutes = ParseModules(std::vector<int>{1, 0x92, 0xC2, 0x01, 0, 0, 0, 0, 0, 0, 0});
    const auto& m = std::get<CounterRecord>(minutes->records[0]);
    EXPECT_EQ(m.counterUnits, 1); // bit 7 without bit 5: ampere-minutes
    EXPECT_TRUE(m.doseActive);
    EXPECT_EQ(m.counterSelect, 2);
    EXPECT_EQ(m.counterResetOnOff, 1);
}

TEST(ParseModules, ThermometerAndOtherRecords) {
    const std::vector<int> p{
        9,    0x66, 0x07, 0x3A, 0x83, 0x07, 0xD0, 0x0A,              // thermo: 1850, mode 0x83, 2000, 10
        0x24, 0x01, 0x2C,                                            // watt 300
        0x93, 0x04, 0,    10,   0,    5,    0,    20,   0,    30,    // reverse
        0x95, 0x01, 0xF4, 0x02, 0x58, 0x00, 0x0A, 0x00, 0x14, 0x01}; // channel B
    const auto r = ParseModules(p);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->config, 9);
    ASSERT_EQ(r->records.size(), 4u);
    const auto& t = std::get<ThermoRecord>(r->records[0]);
    EXPECT_EQ(t.tempRaw, 1850);
    EXPECT_EQ(t.thermoMode, 0x83);
    EXPECT_EQ(t.tempTargetRaw, 2000);
    EXPECT_EQ(t.tempDeltaRaw, 10);
    EXPECT_EQ(std::get<WattRecord>(r->records[1]).wattRaw, 300);
    const auto& rev = std::get<ReverseRecord>(r->records[2]);
    EXPECT_TRUE(rev.reversePhase);
    EXPECT_EQ(rev.revFwdCurrent, 10);
    EXPECT_EQ(rev.revBackCurrent, 5);
    EXPECT_EQ(rev.revFwdTime, 20);
    EXPECT_EQ(rev.revBackTime, 30);
    const auto& b = std::get<ChannelBRecord>(r->records[3]).values;
    EXPECT_EQ(b.voltMeas, 500);
    EXPECT_EQ(b.voltLimit, 600);
    EXPECT_EQ(b.currMeas, 10);
    EXPECT_EQ(b.currLimit, 20);
    EXPECT_EQ(b.status, 1);
}

TEST(ParseModules, MalformedRecords) {
    // Unknown type 7 with two bytes is skipped by its length; the watt record after it counts.
    auto r = ParseModules(std::vector<int>{5, 0x27, 0xAA, 0xBB, 0x24, 0x00, 0x10});
    ASSERT_EQ(r->records.size(), 1u);
    EXPECT_EQ(std::get<WattRecord>(r->records[0]).wattRaw, 16);
    EXPECT_EQ(r->skipped, 1);

    // The second record claims 15 bytes but 2 remain: the walk ends, the first still counts.
    r = ParseModules(std::vector<int>{5, 0x24, 0x00, 0x10, 0xF1, 0x01, 0x02});
    ASSERT_EQ(r->records.size(), 1u);
    EXPECT_TRUE(r->truncated);

    // A counter record shorter than its layout is skipped, not read past.
    r = ParseModules(std::vector<int>{1, 0x32, 0x01, 0x02, 0x03, 0x24, 0x00, 0x01});
    ASSERT_EQ(r->records.size(), 1u);
    EXPECT_EQ(r->skipped, 1);

    // A lone trailing byte is not a record.
    r = ParseModules(std::vector<int>{1, 0x24});
    EXPECT_TRUE(r->records.empty());
    EXPECT_FALSE(r->truncated);

    // A timer record with no flag byte is skipped.
    r = ParseModules(std::vector<int>{1, 0x01, 0x24, 0x00, 0x05});
    ASSERT_EQ(r->records.size(), 1u);
    EXPECT_EQ(std::get<WattRecord>(r->records[0]).wattRaw, 5);

    // Configuration byte only.
    r = ParseModules(std::vector<int>{6});
    EXPECT_EQ(r->config, 6);
    EXPECT_TRUE(r->records.empty());
}

TEST(ParseModules, LongTimerValueKeepsTheLow32Bits) {
    std::vector<int> p{2, 0xF1, 0x00};
    for (int i = 0; i < 14; ++i)
        p.push_back(i == 13 ? 0x05 : 0xFF);
    const auto r = ParseModules(p);
    ASSERT_EQ(r->records.size(), 1u);
    EXPECT_EQ(std::get<TimerRecord>(r->records[0]).timerValue, static_cast<int>(0xFFFFFF05u));
}

} // namespace
} // namespace rir
