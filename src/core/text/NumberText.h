// Reading numbers out of what an operator typed into an edit.
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

} // namespace rir
