#include "app/AddressEntry.h"

#include <cctype>
#include <limits>

namespace rir {

std::string RangeMessage(int low, int high) {
    return "Введите целое число в интервале от " + std::to_string(low) + " до " + std::to_string(high) + ".";
}

bool ParseWholeNumber(std::string_view text, int& value) {
    std::size_t i = 0;
    auto blank = [&](std::size_t k) {
        return k < text.size() && std::isspace(static_cast<unsigned char>(text[k]));
    };
    while (blank(i))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long v = 0;
    std::size_t digits = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        v = v * 10 + (text[i] - '0');
        if (v > static_cast<long long>(std::numeric_limits<int>::max()) + 1)
            return false;
        ++i;
        ++digits;
    }
    while (blank(i))
        ++i;
    if (digits == 0 || i != text.size())
        return false;
    if (negative)
        v = -v;
    if (v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min())
        return false;
    value = static_cast<int>(v);
    return true;
}

std::variant<int, std::string> CheckAddressText(std::string_view text) {
    int value = 0;
    if (!ParseWholeNumber(text, value))
        return std::string(MSG_NOT_A_WHOLE_NUMBER);
    if (value < MIN_DEVICE_ADDRESS || value > MAX_DEVICE_ADDRESS)
        return RangeMessage(MIN_DEVICE_ADDRESS, MAX_DEVICE_ADDRESS);
    return value;
}

} // namespace rir
