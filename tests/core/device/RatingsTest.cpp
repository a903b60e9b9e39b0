#include "device/Ratings.h"
#include "device/DeviceState.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

TEST(RatedValue, RoundsTo95PercentAndLiftsEightsAndNines) {
    struct Case {
        int raw, scale, rated;
    } cases[] = {
        {4200, 100, 40},   {3150, 100, 30}, {1575, 100, 15}, {1000, 100, 10}, {1900, 100, 20},
        {2000, 100, 20},   {3150, 10, 300}, {3900, 100, 37}, {1500, 100, 14}, {0, 100, 0},
        {65535, 1, 62260}, {1234, 0, 1172}, // a zero scale shows the raw rating instead of dividing
    };
    for (const auto& c : cases)
        EXPECT_EQ(RatedValue(c.raw, c.scale), c.rated) << c.raw << " / " << c.scale;
}

TEST(Scales, DecimalCodes) {
    EXPECT_EQ(VoltScaleFromCode(0), 100);
    EXPECT_EQ(VoltScaleFromCode(1), 10);
    EXPECT_EQ(VoltScaleFromCode(2), 1);
    EXPECT_EQ(VoltScaleFromCode(3), 3);
    EXPECT_EQ(CurrScaleFromCode(0), 100);
    EXPECT_EQ(CurrScaleFromCode(1), 10);
    EXPECT_EQ(CurrScaleFromCode(2), 1);
    EXPECT_EQ(CurrScaleFromCode(3), 1000);
    EXPECT_EQ(CurrScaleFromCode(7), 7);
}

TEST(Minimums, VoltageAndCurrent) {
    EXPECT_EQ(VoltMinFor(3900, 100), 50);
    EXPECT_EQ(VoltMinFor(3900, 10), 5);
    EXPECT_EQ(VoltMinFor(4200, 10), 40);
    EXPECT_EQ(VoltMinFor(4200, 100), 40);
    EXPECT_EQ(VoltMinFor(500, 1), 50);
    EXPECT_EQ(CurrMinFor(1500), 15);
    EXPECT_EQ(CurrMinFor(99), 0);
}

TEST(ModelWords, Table) {
    EXPECT_EQ(ModelWordsFor(1).extra, "RS232");
    EXPECT_EQ(ModelWordsFor(2).extra, "timer/ampere");
    EXPECT_EQ(ModelWordsFor(3).family, "RIR Prof");
    EXPECT_EQ(ModelWordsFor(4).family, "RIR Prof");
    EXPECT_EQ(ModelWordsFor(4).extra, "");
    EXPECT_EQ(ModelWordsFor(6).extra, "TFT");
    EXPECT_EQ(ModelWordsFor(5).extra, "неизвестный");
    EXPECT_EQ(ModelWordsFor(0).family, "RIR");
}

TEST(ModuleConfigs, RowsAndOffers) {
    ASSERT_NE(FindModuleConfig(1), nullptr);
    EXPECT_TRUE(FindModuleConfig(1)->rows.timer);
    EXPECT_TRUE(FindModuleConfig(1)->rows.dailyCounter);
    EXPECT_FALSE(FindModuleConfig(1)->rows.watt);
    EXPECT_TRUE(FindModuleConfig(9)->rows.thermo);
    EXPECT_FALSE(FindModuleConfig(4)->rows.dailyCounter);
    EXPECT_EQ(FindModuleConfig(7), nullptr);
    EXPECT_EQ(FindModuleConfig(5)->text, "Ватт-метр");
    EXPECT_EQ(std::vector<int>(OfferedConfigs(2, false).begin(), OfferedConfigs(2, false).end()),
              (std::vector<int>{0, 1, 3, 4, 5}));
    EXPECT_EQ(OfferedConfigs(3, true).size(), 3u);
    EXPECT_EQ(OfferedConfigs(4, false).size(), 2u);
    EXPECT_EQ(OfferedConfigs(6, false)[0], 9);
    EXPECT_TRUE(OfferedConfigs(1, false).empty());
}

TEST(StatusByte, Bits) {
    EXPECT_TRUE(StatusOutputOn(0x01));
    EXPECT_FALSE(StatusOutputOn(0x02));
    EXPECT_TRUE(StatusVoltRegulation(0x01));
    EXPECT_FALSE(StatusVoltRegulation(0x03));
    EXPECT_TRUE(StatusVoltRegulation(0xFC));
}

TEST(DeviceState, InitialValues) {
    const DeviceState s = MakeDeviceState(15, 1);
    EXPECT_EQ(s.address, 15);
    EXPECT_EQ(s.channel, 1);
    EXPECT_EQ(s.moduleConfig, -1);
    EXPECT_EQ(s.status, -1);
    EXPECT_TRUE(s.reversePhase);
    EXPECT_EQ(s.timerResetOnOff, 1);
    EXPECT_EQ(s.voltScale, 1);
    EXPECT_EQ(s.currScale, 1);
    EXPECT_FALSE(s.online);
    EXPECT_EQ(s.model, 0);
    EXPECT_EQ(s.voltMax, 0);
}

} // namespace
} // namespace rir
