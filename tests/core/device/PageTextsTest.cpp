#include "device/PageTexts.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

TEST(PageTexts, TimerValueByConfiguration) {
    struct Case {
        int value;
        bool negative;
        int config;
        const char* text;
    } cases[] = {
        {3725, false, 1, "1:02:05"},       {3725, false, 2, "1:02:05"},
        {3725, false, 9, "001:02:05 c"},   {59, true, 9, "-00:00:59 c"},
        {0, false, 9, "000:00:00 c"},      {0, false, 1, "0:00:00"},
        {359999, false, 9, "099:59:59 c"}, {3600000, false, 9, "1000:00:00 c"},
        {59, true, 1, "-0:00:59"},       // the sign is kept outside configuration 9 as well
        {-1, false, 1, "1193046:28:15"}, // a 32-bit value with its top bit set stays positive
    };
    for (const auto& c : cases)
        EXPECT_EQ(TimerValueText(c.value, c.negative, c.config), c.text) << c.value << " cfg " << c.config;
    // The final c of configuration 9 is the Latin letter.
    EXPECT_EQ(TimerValueText(1, false, 9).back(), 'c');
}

TEST(PageTexts, TimerLabels) {
    struct Case {
        int mode;
        bool reset;
        int config;
        const char* text;
    } cases[] = {
        {0, false, 1, "Секундомер:"},        {1, true, 1, "Таймер [выкл]:"},
        {2, false, 2, "Таймер [т10%]:"},     {3, false, 1, "Таймер [безв]:"},
        {0, false, 9, "Секундомер:"},        {0, true, 9, "Секундомер [сб]:"},
        {1, false, 9, "Таймер [выкл]:"},     {2, true, 9, "Таймер [т10%] [сб]:"},
        {3, true, 9, "Таймер [безв] [сб]:"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TimerLabelText(c.mode, c.reset, c.config), c.text) << c.mode << " cfg " << c.config;
}

TEST(PageTexts, CountersByModelAndUnits) {
    struct Case {
        int model, units, daily, total;
        const char* dailyText;
        const char* totalText; // nullptr: no accumulating counter
    } cases[] = {
        {2, 1, 125, 0, "002.05 А*минут", "0.000.00 А*минут"},
        {2, 1, 0, 7384, "000.00 А*минут", "0.123.04 А*минут"},
        {2, 0, 1234567, 1234567, "234.567 А*час", "1.234.567 А*час"},
        {2, 2, 5, 1000000, "000.005 А*час", "1.000.000 А*час"},
        {3, 0, 1234567, 1234567, "12.345.67 А*час", "12.345.67 А*час"},
        {4, 1, 99, 100000, "0.000.99 А*час", "1.000.00 А*час"},
        {1, 0, 0, 0, "0.000.00 А*час", "0.000.00 А*час"},
        {6, 1, 125, 999, "0.002.05 А*минут", nullptr},
        {6, 1, 3600000, 0, "60.000.00 А*минут", nullptr},
        {6, 2, 1234567, 0, "1.234.567 Вт*час", nullptr},
        {6, 0, 1234567, 0, "1.234.567 А*час", nullptr},
        {2, 0, 0, -1, "000.000 А*час", "4294.967.295 А*час"}, // 32-bit total with its top bit set
    };
    for (const auto& c : cases) {
        const CounterTexts t = CounterTextsFor(c.model, c.units, c.daily, c.total);
        EXPECT_EQ(t.daily, c.dailyText) << "model " << c.model << " units " << c.units;
        if (c.totalText == nullptr) {
            EXPECT_FALSE(t.total.has_value()) << "model " << c.model;
        } else {
            EXPECT_EQ(t.total.value_or("<none>"), c.totalText) << "model " << c.model << " units " << c.units;
        }
    }
}

TEST(PageTexts, CounterLabels) {
    struct Case {
        int mode;
        const char* daily;
    } daily[] = {
        {0, "САЧ дневной:"},    {1, "Дозатор [выкл]:"},    {2, "Дозатор [т10%]:"},
        {3, "Дозатор [безв]:"}, {0x43, "Дозатор [безв]:"}, {0x40, "САЧ дневной:"},
    };
    for (const auto& c : daily)
        EXPECT_EQ(DailyCounterLabel(c.mode), c.daily) << c.mode;

    struct Full {
        int mode;
        bool reset;
        const char* text;
    } full[] = {
        {0, false, "Счетчик:"},
        {0, true, "Счетчик [сб]:"},
        {0x40, false, "Счетчик:"},
        {0xC0, true, "Счетчик [сб]:"},
        {1, false, "Дозатор [выкл]:"},
        {0x42, false, "Дозатор [т10%]:"},
        {3, true, "Дозатор [безв] [сб]:"},
        {5, false, "Дозатор:"},
    };
    for (const auto& c : full)
        EXPECT_EQ(CounterLabelText(c.mode, c.reset), c.text) << c.mode;
}

TEST(PageTexts, ReverseUsesCyrillicAndLatinSeconds) {
    EXPECT_EQ(ReverseForwardText(10, 125), "10 А (12.5 с)");
    EXPECT_EQ(ReverseBackText(3, 7), "3 А (0.7 c)");
    // Forward ends with the Cyrillic с (two bytes), back with the Latin c.
    EXPECT_EQ(ReverseForwardText(0, 0), "0 А (0.0 \xD1\x81)");
    EXPECT_EQ(ReverseBackText(0, 0), "0 \xD0\x90 (0.0 c)");
}

TEST(PageTexts, Wattmeter) {
    EXPECT_EQ(WattText(12345, 5), "123.45 ватт");
    EXPECT_EQ(WattText(5, 5), "0.05 ватт");
    EXPECT_EQ(WattText(12345, 9), "1234.5 ватт");
    EXPECT_EQ(WattText(0, 9), "0.0 ватт");
}

TEST(PageTexts, ThermometerValues) {
    struct Case {
        int temp, mode, target, delta;
        const char* text;
    } cases[] = {
        {1699, 0, 0, 0, "--- °С"},
        {1700, 0, 0, 0, "-30.0 °С"},
        {1850, 0, 0, 0, "-15.0 °С"},
        {1999, 0, 0, 0, "-0.1 °С"},
        {2000, 0, 0, 0, "0.0 °С"},
        {2255, 0, 0, 0, "25.5 °С"},
        {3100, 0, 0, 0, "110.0 °С"},
        {3101, 0, 0, 0, "--- °С"},
        {2250, 0x83, 2400, 0, "25.0 °С (40.0) (Р)"},
        {2250, 3, 2400, 15, "25.0 °С (40.0)"},
        {2250, 1, 2400, 15, "25.0 °С (40.0 ± 1.5 °С)"},
        {2250, 0x82, 1950, 5, "25.0 °С (-5.0 ± 0.5 °С) (Р)"},
        {2250, 0x80, 2400, 5, "25.0 °С (Р)"},       // relay bit alone: no target
        {0, 4, 9000, 0, "--- °С (700.0 ± 0.0 °С)"}, // the target is shown as received
    };
    for (const auto& c : cases)
        EXPECT_EQ(ThermoValueText(c.temp, c.mode, c.target, c.delta), c.text) << c.temp << " mode " << c.mode;
}

TEST(PageTexts, ThermometerLabels) {
    const char* expected[] = {
        "Термометр:",      "Терморег. [нагрев]:", "Терморег. [охл]:", "Терморег. [контр]:",
        "Терморег. [бп]:", "Терморег.:",          "Терморег.:",       "Терморег.:"};
    for (int mode = 0; mode < 8; ++mode) {
        EXPECT_EQ(ThermoLabelText(mode), expected[mode]) << mode;
        EXPECT_EQ(ThermoLabelText(mode | 0x80), expected[mode]) << "relay bit, mode " << mode;
    }
}

TEST(PageTexts, LimitEditsAtEachScale) {
    struct Case {
        int value, scale;
        const char* volt; // nullptr: not a voltage scale of interest
        const char* curr;
    } cases[] = {
        {1050, 1000, nullptr, "1.050"},
        {5, 1000, nullptr, "0.005"},
        {105, 100, "1.05", "1.05"},
        {1500, 100, "15.00", "15.00"},
        {7, 100, "0.07", "0.07"},
        {125, 10, "12.5", "12.5"},
        {0, 10, "0.0", "0.0"},
        {12, 1, "12", "12.0"},
        {36, 3, "12", "12"},
        {36, 0, "36", "36"}, // a zero scale from a broken reply divides by 1
    };
    for (const auto& c : cases) {
        if (c.volt != nullptr) {
            EXPECT_EQ(VoltEditText(c.value, c.scale), c.volt) << c.value << " / " << c.scale;
        }
        EXPECT_EQ(CurrEditText(c.value, c.scale), c.curr) << c.value << " / " << c.scale;
    }
}

TEST(PageTexts, Readings) {
    EXPECT_EQ(VoltReadingText(1234, 1500, 100), "12.34 / 15.00 вольт");
    EXPECT_EQ(VoltReadingText(123, 150, 10), "12.3 / 15.0 вольт");
    EXPECT_EQ(VoltReadingText(12, 15, 1), "12 / 15 вольт");
    EXPECT_EQ(VoltReadingText(7, 8, 0), "7 / 8 вольт");
    EXPECT_EQ(CurrReadingText(105, 1000, 100), "1.05 / 10.00 ампер");
    EXPECT_EQ(CurrReadingText(5, 10, 10), "0.5 / 1.0 ампер");
    EXPECT_EQ(CurrReadingText(1050, 1500, 1000), "1.050 / 1.500 ампер");
    EXPECT_EQ(CurrReadingText(3, 4, 1), "3 / 4 ампер");
    EXPECT_EQ(CurrReadingText(30, 45, 0), "30 / 45 ампер");
    EXPECT_EQ(CurrReadingText(15, 20, 100), "0.15 / 0.20 ампер") << "a step of 0.01 A shows as such";
    EXPECT_EQ(VoltReadingText(12345, 15000, 1000), "12.345 / 15.000 вольт");
}

DeviceState Supply(int model, int voltMax, int voltScale, int currMax, int currScale, int address = 15) {
    DeviceState s = MakeDeviceState(address, 0);
    s.model = model;
    s.voltMax = voltMax;
    s.voltScale = voltScale;
    s.currMax = currMax;
    s.currScale = currScale;
    return s;
}

TEST(PageTexts, IdentificationLines) {
    struct Case {
        DeviceState s;
        const char* line;
        bool small, reverse;
    } cases[] = {
        {Supply(1, 4200, 100, 3150, 100), "#15  RIR 40V 30A RS232", false, false},
        {Supply(2, 3900, 100, 1500, 100), "#15  RIR 37V 14A timer/ampere", false, false},
        {Supply(2, 3150, 100, 1500, 1000), "#15  RIR 30V 1,5A timer/ampere", true, false},
        {Supply(3, 3150, 10, 3158, 10), "#15  RIR Prof 300V 300A Reverse", false, true},
        {Supply(3, 3150, 10, 1579, 10), "#15  RIR Prof 300V 150A Reverse", false, true},
        {Supply(3, 3150, 10, 1000, 10), "#15  RIR Prof 300V 95A ", false, false},
        {Supply(4, 4200, 100, 3150, 100, 127), "#127  RIR Prof 40V 30A ", false, false},
        {Supply(6, 4200, 100, 3150, 100, 1), "#1  RIR 40V 30A TFT", false, false},
        {Supply(5, 4200, 100, 3150, 100), "#15  RIR 40V 30A неизвестный", false, false},
        {Supply(0, 0, 1, 0, 1), "#15  RIR 0V 0A неизвестный", false, false},
        {Supply(4, 4200, 0, 3150, 0), "#15  RIR Prof 3990V 2993A ", false, false}, // scale 0 divides by 1
    };
    for (const auto& c : cases) {
        const Identification id = IdentificationFor(c.s);
        EXPECT_EQ(id.line, c.line);
        EXPECT_EQ(id.smallVariant, c.small) << c.line;
        EXPECT_EQ(id.reverseCapable, c.reverse) << c.line;
    }
}

TEST(PageTexts, ReverseChannelWords) {
    DeviceState s = Supply(3, 3150, 10, 3158, 10, 5);
    s.channelBActive = true;
    // Channel A is the Cyrillic А, channel B the Latin B, both joined without a blank.
    EXPECT_EQ(IdentificationFor(s).line, "#5  RIR Prof 300V 300A Reverse(канал \xD0\x90)");
    s.channel = 1;
    EXPECT_EQ(IdentificationFor(s).line, "#5  RIR Prof 300V 300A Reverse(канал B)");
    s = Supply(3, 3150, 10, 1000, 10, 5);
    s.channelBActive = true;
    EXPECT_EQ(IdentificationFor(s).line, "#5  RIR Prof 300V 95A (канал А)");
}

} // namespace
} // namespace rir
