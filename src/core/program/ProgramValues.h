// What the fields of a program file mean: whole numbers for the time and the output, decimal
// amounts for the limits, and the display switches that the third line may carry.
#pragma once

#include "chart/SeriesSwitches.h"

#include <optional>
#include <string_view>

namespace rir {

// Every value read from a program file is saturated here, so that a row's sum and a time minus
// the start shift can never overflow, whatever a file holds. Far beyond any limit of a supply
// and beyond any program time the station takes.
inline constexpr int PROGRAM_VALUE_LIMIT = 1'000'000'000;

// The time (column 0) and the output (column 3): the leading whole number, as the C library's
// atoi reads one (blanks, a sign, digits); 0 when the text does not start with one.
int ReadProgramWhole(std::string_view text);

// A current or voltage limit (columns 1 and 2) in raw units: the leading decimal number of the
// text (blanks, a sign, digits, a point or comma with digits, an exponent) times the scale,
// truncated toward zero; 0 when the text does not start with a number. The product is formed
// in decimal, not in binary floating point: "0,29" at scale 100 is 29 raw units, not the 28 that
// 0.29 * 100 = 28.999... would truncate to. A scale below 1 counts as 1.
int ReadProgramAmount(std::string_view text, int scale);

// The series switches a program file sets; a switch it does not name keeps its state.
struct DisplaySwitches {
    std::optional<bool> voltMeas;  // "Ur", series "U"
    std::optional<bool> voltLimit; // "Ul", series "Uл"
    std::optional<bool> currMeas;  // "Ir", series "I"
    std::optional<bool> currLimit; // "Il", series "Iл"
    std::optional<bool> output;    // "Po", series "Вкл"

    bool any() const { return voltMeas || voltLimit || currMeas || currLimit || output; }
    void ApplyTo(SeriesSwitches& series) const;
};

// Scans a display-switch field such as "Ur=1,Ul=1,Ir=0,Il=1,Po=1": the four characters before
// each "," and before the end of the text are an entry when they are a known key, "=" and the
// value 0 or 1 (its leading whole number: a character that is no digit reads as 0). Anything
// else is passed over.
void ScanDisplaySwitches(std::string_view text, DisplaySwitches& switches);

} // namespace rir
