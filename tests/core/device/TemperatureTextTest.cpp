// The thermometer edits: how temperatures are written, read to the half degree, and typed.
#include "device/TemperatureText.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

TEST(TemperatureTextTest, Written) {
    const std::pair<int, const char*> temperatures[] = {
        {2255, "25.5"},  {2000, "0.0"},  {2001, "0.1"},  {1999, "-0.1"}, {1995, "-0.5"},
        {1850, "-15.0"}, {1945, "-5.5"}, {2900, "90.0"}, {0, "-200.0"},
    };
    for (const auto& [raw, text] : temperatures)
        EXPECT_EQ(TemperatureText(raw), text) << raw;
    EXPECT_EQ(DeltaText(15), "1.5");
    EXPECT_EQ(DeltaText(5), "0.5");
    EXPECT_EQ(DeltaText(50), "5.0");
    EXPECT_EQ(DeltaText(0), "0.0");
    EXPECT_EQ(DeltaText(-15), "-1.5");
}

TEST(TemperatureTextTest, ReadToTheHalfDegree) {
    const std::pair<const char*, int> temperatures[] = {
        {"25.7", 2255},
        {"25.3", 2250},
        {"25.4", 2255},
        {"25.5", 2255},
        {"25.9", 2255},
        {"25.0", 2250},
        {"-5.5", 1945},
        {"-5.3", 1950},
        {"-0.5", 1995},
        {"-0.3", 2000},
        {"-0.0", 2000},
        {"25", 2250},
        {"-9", 1910},
        {"90", 2900},
        {"", 2000},
        {"-", 2000},
        {"25.", 2250},
        {".5", 2005},
        {"-.5", 1995},
        // The digits after the point are read as one number: 05 is 5, so a half.
        {"1.05", 2015},
        {"5.05", 2055},
        {".111", 2005},
        {"2.35", 2025},
        {"1.45", 2015},
        {"25.03", 2250},
        {"-5.05", 1945},
    };
    for (const auto& [text, raw] : temperatures)
        EXPECT_EQ(ReadTemperatureText(text), raw) << '"' << text << '"';

    const std::pair<const char*, int> deltas[] = {
        {"1.5", 15}, {"1.3", 10}, {"0.5", 5}, {"5", 50}, {"5.0", 50}, {"0.4", 5}, {"", 0}, {"12", 120},
    };
    for (const auto& [text, tenths] : deltas)
        EXPECT_EQ(ReadDeltaText(text), tenths) << '"' << text << '"';
}

TEST(TemperatureTextTest, WrittenTextsReadBack) {
    for (int raw = 1900; raw <= 2900; raw += 5)
        EXPECT_EQ(ReadTemperatureText(TemperatureText(raw)), raw) << raw;
    for (int d = 0; d <= 50; d += 5)
        EXPECT_EQ(ReadDeltaText(DeltaText(d)), d) << d;
}

TEST(TemperatureTextTest, PastedTextCannotOverflow) {
    EXPECT_GT(ReadTemperatureText("99999999999999999999.9"), 2900);
    EXPECT_LT(ReadTemperatureText("-99999999999999999999.9"), 1910);
}

TEST(TemperatureTextTest, KeyFilter) {
    using F = TemperatureField;
    const struct {
        F field;
        const char* text;
        TextSelection selection;
        char32_t typed;
        KeyDecision decision;
    } cases[] = {
        {F::Target, "", {0, 0}, U'-', {true, '-'}},
        {F::Target, "-5", {2, 2}, U'-', REFUSED_KEY}, // a second minus
        {F::Target, "5", {0, 0}, U'-', {true, '-'}},
        {F::Delta, "", {0, 0}, U'-', REFUSED_KEY}, // a delta has no sign
        {F::Target, "25", {2, 2}, U',', {true, '.'}},
        {F::Delta, "1", {1, 1}, U',', {true, '.'}},
        {F::Target, "25.", {3, 3}, U'.', REFUSED_KEY},
        {F::Delta, "1.5", {3, 3}, U',', REFUSED_KEY},
        {F::Target, "25", {2, 2}, U'a', REFUSED_KEY},
        {F::Target, "25", {2, 2}, U'+', REFUSED_KEY},
        {F::Target, "25.5", {4, 4}, U'1', REFUSED_KEY}, // four characters
        {F::Target, "-5.5", {0, 0}, U'1', REFUSED_KEY},
        {F::Target, "-5.5", {0, 4}, U'1', {true, '1'}}, // replaces the selection
        {F::Target, "255", {3, 3}, U'1', {true, '1'}},
        {F::Target, "2555", {4, 4}, U'.', {true, '.'}}, // the point is not held back by the length
        {F::Delta, "1.5", {3, 3}, U'1', REFUSED_KEY},   // three characters
        {F::Delta, "15", {2, 2}, U'1', {true, '1'}},
        {F::Delta, "155", {1, 2}, U'0', {true, '0'}},
        {F::Delta, "155", {3, 3}, KEY_BACKSPACE, {true, '\b'}},
        {F::Target, "-5.5", {4, 4}, KEY_BACKSPACE, {true, '\b'}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << (c.field == F::Target ? "target \"" : "delta \"") << c.text
                                          << "\" + U+" << std::hex << static_cast<unsigned>(c.typed));
        EXPECT_EQ(FilterTemperatureKey(c.field, c.text, c.selection, c.typed), c.decision);
    }
}

} // namespace
} // namespace rir
