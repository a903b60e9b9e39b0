#include "app/AddressEntry.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

TEST(CheckAddressText, AcceptsWholeNumbersInRangeAndRefusesTheRest) {
    const std::string range = "Введите целое число в интервале от 1 до 127.";
    const std::string notNumber = "Введите целое число.";
    struct Case {
        std::string text;
        std::variant<int, std::string> result;
    } cases[] = {
        {"1", 1},
        {"127", 127},
        {" 15 ", 15},
        {"+7", 7},
        {"0", range},
        {"128", range},
        {"-5", range},
        {"99999999999", notNumber},
        {"", notNumber},
        {"abc", notNumber},
        {"1.5", notNumber},
        {"12a", notNumber},
        {"-", notNumber},
        {"1 2", notNumber},
        {"2147483647", range},
        {"2147483648", notNumber},
        {"-2147483648", range},
        {"\t15\r\n", 15},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckAddressText(c.text), c.result) << "'" << c.text << "'";
}

} // namespace
} // namespace rir
