#include "text/NumberText.h"

#include <limits>

namespace rir {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

LeadingNumber ReadLeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t firstDigit = i;
    long long v = 0;
    while (i < text.size() && IsDigit(text[i])) {
        if (v < LEADING_NUMBER_LIMIT)
            v = v * 10 + (text[i] - '0');
        ++i;
    }
    if (i == firstDigit)
        return {};
    if (v > LEADING_NUMBER_LIMIT)
        v = LEADING_NUMBER_LIMIT;
    return {negative ? -v : v, i, negative};
}

bool ReadWholeNumber(std::string_view text, int& value) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const long long limit = static_cast<long long>(std::numeric_limits<int>::max()) + (negative ? 1 : 0);
    long long v = 0;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        v = v * 10 + (text[i] - '0');
        if (v > limit)
            return false;
        ++i;
        ++digits;
    }
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (digits == 0 || i != text.size())
        return false;
    value = static_cast<int>(negative ? -v : v);
    return true;
}

int ScaleDecimals(int scale) {
    switch (scale) {
    case 10:
        return 1;
    case 100:
        return 2;
    case 1000:
        return 3;
    default:
        return 0;
    }
}

} // namespace rir
