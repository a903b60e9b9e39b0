// What a typed limit means in raw units, the clamp, and which keys the limit edits take.
#include "device/LimitText.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

TEST(LimitTextTest, ParseAtEveryScale) {
    const struct {
        const char* text;
        int scale;
        int raw;
    } cases[] = {
        // No point: whole volts or amperes, however large.
        {"12", 100, 1200},
        {"125", 100, 12500},
        {"50", 100, 5000},
        {"999", 100, 99900},
        {"", 100, 0},
        {"0", 100, 0},
        {"12", 10, 120},
        {"45", 10, 450},
        {"15", 1, 15},
        {"45", 1, 45},
        {"1", 1000, 1000},
        {"15", 1000, 15000},
        // With a point: the fraction to the scale's decimal places, missing places zero.
        {"1.5", 100, 150},
        {"1.05", 100, 105},
        {"1.055", 100, 105},
        {"12.", 100, 1200},
        {".5", 100, 50},
        {"40.5", 100, 4050},
        {"1.5", 1000, 1500},
        {"1.234", 1000, 1234},
        {"0.05", 1000, 50},
        {"1.05", 10, 10},
        {"29.9", 10, 299},
        {"7.9", 1, 7},
        {"1.5x", 100, 150},
        // An unknown scale has no decimal places.
        {"4.7", 3, 12},
        {"4", 3, 12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << '"' << c.text << "\" at scale " << c.scale);
        EXPECT_EQ(ParseLimitText(c.text, c.scale), c.raw);
    }
}

TEST(LimitTextTest, PastedTextCannotOverflow) {
    EXPECT_EQ(ParseLimitText("99999999999999999999", 1), 1'000'000'000);
    EXPECT_EQ(ParseLimitText("99999999999999999999", 1000), std::numeric_limits<int>::max());
    EXPECT_EQ(ParseLimitText("99999999999999.999", 1000), std::numeric_limits<int>::max());
    EXPECT_EQ(ParseLimitText("abc", 100), 0);
}

TEST(LimitTextTest, QuantityTakesItsOwnScale) {
    DeviceState s = MakeDeviceState(1, 0);
    s.voltScale = 10;
    s.voltMax = 300;
    s.currScale = 1000;
    s.currMax = 1500;
    EXPECT_EQ(ParseLimitText("12", LimitQuantity::Voltage, s), 120);
    EXPECT_EQ(ParseLimitText("12", LimitQuantity::Current, s), 12000);
}

TEST(LimitTextTest, ClampToTheSupplysRange) {
    EXPECT_EQ(ClampLimit(5000, 50, 4200), 4200);
    EXPECT_EQ(ClampLimit(4200, 50, 4200), 4200);
    EXPECT_EQ(ClampLimit(49, 50, 4200), 50);
    EXPECT_EQ(ClampLimit(0, 50, 4200), 50);
    EXPECT_EQ(ClampLimit(-7, 50, 4200), 50);
    EXPECT_EQ(ClampLimit(1234, 50, 4200), 1234);

    DeviceState s = MakeDeviceState(1, 0);
    s.voltScale = 100;
    s.voltMax = 4200;
    s.voltMin = 40;
    s.currScale = 100;
    s.currMax = 3150;
    s.currMin = 31;
    // An empty edit gives 0, which the clamp raises to the minimum.
    EXPECT_EQ(LimitsFromTexts(s, "", "40.5"), (LimitPair{40, 3150}));
    EXPECT_EQ(LimitsFromTexts(s, "12.5", "1,5"),
              (LimitPair{1250, 100})); // read to the comma: the key filter makes it a point first
    EXPECT_EQ(LimitsFromTexts(s, "5000", "0.2"), (LimitPair{4200, 31}));
}

TEST(LimitTextTest, KeyFilter) {
    const TextSelection caret{0, 0};
    const struct {
        const char* text;
        TextSelection selection;
        char32_t typed;
        KeyDecision decision;
    } cases[] = {
        {"", caret, U'1', {true, '1'}},
        {"1", {1, 1}, U',', {true, '.'}}, // a comma goes in as a point
        {"1", {1, 1}, U'.', {true, '.'}},
        {"1.5", {3, 3}, U',', REFUSED_KEY}, // a second comma
        {"1.5", {3, 3}, U'.', REFUSED_KEY},
        {"1.5", {0, 3}, U'.', REFUSED_KEY}, // even over a selection holding the point
        {"1", {1, 1}, U'a', REFUSED_KEY},
        {"1", {1, 1}, U'-', REFUSED_KEY},
        {"1", {1, 1}, U' ', REFUSED_KEY},
        {"1", {1, 1}, U'\u0431', REFUSED_KEY}, // Cyrillic "б", the comma key's neighbour
        {"1", {1, 1}, U'\uFF11', REFUSED_KEY}, // a full-width digit is no digit
        {"1234", {4, 4}, U'5', {true, '5'}},
        {"12345", {5, 5}, U'6', REFUSED_KEY}, // five characters
        {"12345", {0, 0}, U'6', REFUSED_KEY},
        {"12345", {1, 3}, U'6', {true, '6'}}, // replaces a selection
        {"12345", {5, 5}, U'.', {true, '.'}}, // the point is not held back by the length
        {"12345", {5, 5}, U',', {true, '.'}},
        {"12.45", {5, 5}, U'6', REFUSED_KEY},
        {"12345", {5, 5}, KEY_BACKSPACE, {true, '\b'}},
        {"", caret, KEY_BACKSPACE, {true, '\b'}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << '"' << c.text << "\" + U+" << std::hex << static_cast<unsigned>(c.typed));
        EXPECT_EQ(FilterLimitKey(c.text, c.selection, c.typed), c.decision);
    }
}

TEST(LimitTextTest, TypingOneCommaFiveShowsOnePointFive) {
    std::string text;
    for (char32_t key : {U'1', U',', U'5', U','}) {
        const KeyDecision d =
            FilterLimitKey(text, {static_cast<int>(text.size()), static_cast<int>(text.size())}, key);
        if (d.accepted)
            text += d.character;
    }
    EXPECT_EQ(text, "1.5");
}

TEST(LimitTextTest, PasteGoesThroughTheKeyFilterCharacterByCharacter) {
    const struct {
        const char* name;
        const char* text;
        TextSelection selection;
        std::u32string_view pasted;
        const char* inserted;
    } cases[] = {
        {"a comma is a point", "", {0, 0}, U"12,5", "12.5"},
        {"a second point is dropped", "", {0, 0}, U"1,5,5", "1.55"},
        {"the point already in the text", "1.5", {3, 3}, U"2.5", "25"},
        {"letters, blanks and units dropped", "", {0, 0}, U" 12.5 В\tV", "12.5"},
        {"at five characters nothing more", "12345", {5, 5}, U"6", ""},
        {"but the point still goes in", "12345", {5, 5}, U"6.7", "."},
        {"over a whole selection all goes in", "12345", {0, 5}, U"678", "678"},
        {"over a short selection the limit bites", "12345", {0, 1}, U"678", "6"},
        {"a selection given end first", "12345", {5, 0}, U"9", "9"},
        {"a pasted backspace deletes nothing", "12", {2, 2}, U"\b3", "3"},
        {"a selection beyond the text", "1", {4, 9}, U"2", "2"},
        {"nothing usable", "15.00", {0, 5}, U"abc", ""},
        {"an empty clipboard", "15.00", {0, 5}, U"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FilterLimitPaste(c.text, c.selection, c.pasted), c.inserted);
    }
}

} // namespace
} // namespace rir
