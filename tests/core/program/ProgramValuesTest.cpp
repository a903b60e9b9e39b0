// What a program file's fields mean: the whole numbers of the time and output, the amounts of
// the limits times the scale, the display-switch entries.
#include "program/ProgramValues.h"

#include <gtest/gtest.h>

#include <string>

namespace rir {
namespace {

TEST(ProgramValuesTest, WholeNumbers) {
    const std::pair<const char*, int> cases[] = {
        {"0", 0},
        {"60", 60},
        {"  7", 7},
        {"+3", 3},
        {"-5", -5},
        {"12.5", 12},
        {"1,5", 1},
        {"12abc", 12},
        {"abc", 0},
        {"", 0},
        {"- 5", 0},
        {"Вкл", 0},
        {"\t9", 9},
        {"99999999999999999999", PROGRAM_VALUE_LIMIT},
        {"-99999999999999999999", -PROGRAM_VALUE_LIMIT},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ReadProgramWhole(text), value) << '"' << text << '"';
}

TEST(ProgramValuesTest, AmountsTimesTheScale) {
    const struct {
        const char* text;
        int scale;
        int raw;
    } cases[] = {
        {"1,5", 10, 15},
        {"1.5", 10, 15},
        {"1,5", 100, 150},
        {"1,5", 1000, 1500},
        {"1,5", 1, 1},     // truncated toward zero
        {"-1,5", 1, -1},   // toward zero, not down
        {"1,56", 10, 15},  // extra digits are cut, not rounded
        {"0,29", 100, 29}, // 0.29 * 100 in binary floating point is 28.999...
        {"0,57", 100, 57},
        {"1,15", 100, 115},
        {"4,35", 100, 435},
        {"12", 100, 1200},
        {"12.", 100, 1200},
        {".5", 100, 50},
        {",05", 100, 5},
        {"0,005", 1000, 5},
        {"  +2,5", 100, 250},
        {"-0,5", 100, -50},
        {"1e1", 100, 1000},
        {"1,5E-1", 100, 15},
        {"15e-2", 100, 15},
        {"1e", 100, 100}, // no exponent digits: the "e" ends the number
        {"1e+", 100, 100},
        {"2,5 А", 100, 250},
        {"1,2,3", 100, 120}, // the second separator ends the number
        {"", 100, 0},
        {".", 100, 0},
        {"-", 100, 0},
        {"abc", 100, 0},
        {"- 1", 100, 0},
        {"nan", 100, 0},
        {"inf", 100, 0},
        {"0x10", 100, 0},
        {"000000000000000000000000012,5", 100, 1250},
        {"0,00000000000000000000000001", 1000, 0},
        {"99999999999", 100, PROGRAM_VALUE_LIMIT},
        {"-99999999999", 100, -PROGRAM_VALUE_LIMIT},
        {"1e400", 100, PROGRAM_VALUE_LIMIT},
        {"1e-400", 100, 0},
        {"1e99999999999999999999", 100, PROGRAM_VALUE_LIMIT},
        {"12345678901234567890123", 1, PROGRAM_VALUE_LIMIT},
        {"1,5", 0, 1}, // a scale below 1 counts as 1
        {"1,5", -10, 1},
        {"2,5", 3, 7}, // a scale that is no power of ten: 7.5 truncated
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadProgramAmount(c.text, c.scale), c.raw) << '"' << c.text << "\" at scale " << c.scale;
}

TEST(ProgramValuesTest, LongAmountsAreReadWhole) {
    // A megabyte of digits after the point, and before it.
    const std::string fraction = "1," + std::string(1 << 20, '9');
    EXPECT_EQ(ReadProgramAmount(fraction, 100), 199);
    const std::string whole(1 << 20, '7');
    EXPECT_EQ(ReadProgramAmount(whole, 100), PROGRAM_VALUE_LIMIT);
}

TEST(ProgramValuesTest, DisplaySwitchEntries) {
    const struct {
        const char* text;
        std::optional<bool> ur, ul, ir, il, po;
    } cases[] = {
        {"Ur=1,Ul=1,Ir=1,Il=1,Po=1", true, true, true, true, true},
        {"Ur=0,Ul=0,Ir=0,Il=0,Po=0", false, false, false, false, false},
        {"Po=0", {}, {}, {}, {}, false},
        {"Il=1,Ur=0", false, {}, {}, true, {}},
        {"Ur=1,Ur=0", false, {}, {}, {}, {}},         // the last entry of a key wins
        {"xyzUr=0,abIr=0", false, {}, false, {}, {}}, // the four characters before each ","
        {"Ur=2,Ul=9", {}, {}, {}, {}, {}},            // values above 1 are passed over
        {"Ur=x,Ul=-", false, false, {}, {}, {}},      // a character that is no digit reads as 0
        {"UR=1,ur=1,Uu=1", {}, {}, {}, {}, {}},       // keys are exact
        {"Ur:1,Ur1=", {}, {}, {}, {}, {}},
        {"Ur=10,Ul=1 ", {}, {}, {}, {}, {}}, // entries are exactly four characters
        {"r=1,=1,", {}, {}, {}, {}, {}},
        {"", {}, {}, {}, {}, {}},
        {",,,,", {}, {}, {}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        DisplaySwitches s;
        ScanDisplaySwitches(c.text, s);
        EXPECT_EQ(s.voltMeas, c.ur);
        EXPECT_EQ(s.voltLimit, c.ul);
        EXPECT_EQ(s.currMeas, c.ir);
        EXPECT_EQ(s.currLimit, c.il);
        EXPECT_EQ(s.output, c.po);
    }
}

TEST(ProgramValuesTest, SwitchesNotNamedKeepTheirState) {
    DisplaySwitches s;
    ScanDisplaySwitches("Ir=0", s);
    SeriesSwitches series;
    series.voltLimit = false;
    s.ApplyTo(series);
    EXPECT_TRUE(series.voltMeas);
    EXPECT_FALSE(series.voltLimit);
    EXPECT_FALSE(series.currMeas);
    EXPECT_TRUE(series.currLimit);
    EXPECT_TRUE(series.output);
}

} // namespace
} // namespace rir
