// Numbers out of typed text: the leading number of a limit or temperature, a whole number edit.
#include "text/NumberText.h"

#include <gtest/gtest.h>

#include <limits>

namespace rir {
namespace {

TEST(NumberTextTest, LeadingNumber) {
    const struct {
        const char* text;
        long long value;
        std::size_t end;
        bool negative;
    } cases[] = {
        {"", 0, 0, false},
        {"abc", 0, 0, false},
        {"12.5", 12, 2, false},
        {"  7x", 7, 3, false},
        {"-5.5", -5, 2, true},
        {"-0.5", 0, 2, true},
        {"-", 0, 0, false},
        {"+3", 3, 2, false},
        {".5", 0, 0, false},
        {"- 5", 0, 0, false},
        {"12345678901234567890", LEADING_NUMBER_LIMIT, 20, false},
        {"-12345678901234567890", -LEADING_NUMBER_LIMIT, 21, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const LeadingNumber n = ReadLeadingNumber(c.text);
        EXPECT_EQ(n.value, c.value);
        EXPECT_EQ(n.end, c.end);
        EXPECT_EQ(n.negative, c.negative);
    }
}

TEST(NumberTextTest, WholeNumber) {
    const std::pair<const char*, int> good[] = {
        {"0", 0},
        {"60", 60},
        {" 12 ", 12},
        {"-3", -3},
        {"+40", 40},
        {"2147483647", 2147483647},
        {"-2147483648", std::numeric_limits<int>::min()},
    };
    for (const auto& [text, value] : good) {
        int v = 99;
        EXPECT_TRUE(ReadWholeNumber(text, v)) << text;
        EXPECT_EQ(v, value) << text;
    }
    for (const char* text : {"", " ", "-", "abc", "12.5", "1 2", "1,5", "2147483648", "-2147483649", "5x"}) {
        int v = 99;
        EXPECT_FALSE(ReadWholeNumber(text, v)) << '"' << text << '"';
        EXPECT_EQ(v, 99) << text;
    }
}

} // namespace
} // namespace rir
