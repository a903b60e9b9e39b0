// Reading numbers out of what an operator typed into an edit, and the decimals a supply's values
// are shown with.
#pragma once

#include <cstddef>
#include <string_view>

namespace rir {

// Edits are short, but a pasted text can be anything: leading numbers saturate here, far beyond
// any value a supply holds, so that arithmetic on them cannot overflow.
inline constexpr long long LEADING_NUMBER_LIMIT = 1'000'000'000;

struct LeadingNumber {
    long long value = 0;   // 0 when the text does not start with a number
    std::size_t end = 0;   // index just past the number (0 when there is none)
    bool negative = false; // the number carried a minus sign (also for "-0")
};

// The number a text starts with, as the C library's atoi reads it: leading blanks, an optional
// sign, then digits up to the first non-digit; saturated at +/-LEADING_NUMBER_LIMIT.
LeadingNumber ReadLeadingNumber(std::string_view text);

// A whole number as the platform's dialog data exchange takes one: optional blanks, an optional
// sign, digits, optional blanks, nothing else, within int. False (value untouched) otherwise.
bool ReadWholeNumber(std::string_view text, int& value);

// The decimals a value in the supply's own units is shown with: its scale (raw ÷ scale is volts or
// amperes, from the identification) is its resolution, so a supply whose current step is 0.01 A
// reads 0.15 A, not 0.1. Scales 10, 100 and 1000 give 1, 2 and 3 decimals; any other scale (1, or
// one that is no power of ten) shows whole units.
int ScaleDecimals(int scale);

} // namespace rir
