#include "program/ProgramValues.h"

#include "text/NumberText.h"

#include <cstdint>
#include <limits>

namespace rir {

namespace {

static_assert(PROGRAM_VALUE_LIMIT == LEADING_NUMBER_LIMIT, "whole numbers and amounts saturate alike");

// Digits of an amount kept exactly: 10^16 times a scale of up to 1000 still fits 64 bits. Digits
// beyond them change a value by less than a part in 10^15, far below one raw unit.
constexpr int AMOUNT_DIGITS = 16;
// Exponents beyond this turn any mantissa into 0 or the saturated value alike.
constexpr long long EXPONENT_LIMIT = 100000;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Display-switch entries are exactly four characters: the key, "=" and the value.
constexpr std::size_t SWITCH_ENTRY_LENGTH = 4;

} // namespace

int ReadProgramWhole(std::string_view text) {
    return static_cast<int>(ReadLeadingNumber(text).value);
}

int ReadProgramAmount(std::string_view text, int scale) {
    const std::uint64_t factor = scale < 1 ? 1 : static_cast<std::uint64_t>(scale);
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // The value is mantissa * 10^exponent.
    std::uint64_t mantissa = 0;
    int kept = 0;
    long long exponent = 0;
    bool anyDigit = false;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        anyDigit = true;
        const int d = text[i] - '0';
        if (mantissa == 0 && d == 0)
            continue;
        if (kept < AMOUNT_DIGITS) {
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(d);
            ++kept;
        } else {
            ++exponent;
        }
    }
    // Comma and point both serve as the decimal separator.
    if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
        for (++i; i < text.size() && IsDigit(text[i]); ++i) {
            anyDigit = true;
            const int d = text[i] - '0';
            if (mantissa == 0 && d == 0) {
                --exponent;
            } else if (kept < AMOUNT_DIGITS) {
                mantissa = mantissa * 10 + static_cast<std::uint64_t>(d);
                ++kept;
                --exponent;
            }
        }
    }
    if (!anyDigit || mantissa == 0)
        return 0;
    // An exponent counts only with digits after the "e" (and its sign), as the C library reads it.
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool minus = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            minus = text[j] == '-';
            ++j;
        }
        long long e = 0;
        const std::size_t firstDigit = j;
        for (; j < text.size() && IsDigit(text[j]); ++j) {
            if (e < EXPONENT_LIMIT)
                e = e * 10 + (text[j] - '0');
        }
        if (j > firstDigit)
            exponent += minus ? -e : e;
    }

    while (mantissa > std::numeric_limits<std::uint64_t>::max() / factor) {
        mantissa /= 10;
        ++exponent;
    }
    std::uint64_t raw = mantissa * factor;
    const auto limit = static_cast<std::uint64_t>(PROGRAM_VALUE_LIMIT);
    for (; exponent > 0 && raw <= limit; --exponent)
        raw *= 10;
    for (; exponent < 0 && raw != 0; ++exponent)
        raw /= 10; // truncation toward zero, digit by digit
    if (raw > limit)
        raw = limit;
    const int value = static_cast<int>(raw);
    return negative ? -value : value;
}

void DisplaySwitches::ApplyTo(SeriesSwitches& series) const {
    if (voltMeas)
        series.voltMeas = *voltMeas;
    if (voltLimit)
        series.voltLimit = *voltLimit;
    if (currMeas)
        series.currMeas = *currMeas;
    if (currLimit)
        series.currLimit = *currLimit;
    if (output)
        series.output = *output;
}

void ScanDisplaySwitches(std::string_view text, DisplaySwitches& switches) {
    for (std::size_t end = 0; end <= text.size(); ++end) {
        if (end < text.size() && text[end] != ',')
            continue;
        if (end < SWITCH_ENTRY_LENGTH)
            continue;
        const std::string_view entry = text.substr(end - SWITCH_ENTRY_LENGTH, SWITCH_ENTRY_LENGTH);
        if (entry[2] != '=')
            continue;
        const long long value = ReadLeadingNumber(entry.substr(3)).value;
        if (value != 0 && value != 1)
            continue;
        const std::string_view key = entry.substr(0, 2);
        std::optional<bool>* target = key == "Ur"   ? &switches.voltMeas
                                      : key == "Ul" ? &switches.voltLimit
                                      : key == "Ir" ? &switches.currMeas
                                      : key == "Il" ? &switches.currLimit
                                      : key == "Po" ? &switches.output
                                                    : nullptr;
        if (target != nullptr)
            *target = value == 1;
    }
}

} // namespace rir
