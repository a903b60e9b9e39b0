// The thermometer's two edits in the module settings dialog: the target temperature (tenths of a
// degree plus 2000, so that -200.0 degrees is 0) and the regulation delta (tenths of a degree).
#pragma once

#include "device/EditKeys.h"
#include "view/ViewState.h"

#include <string>
#include <string_view>

namespace rir {

// Raw 2255 is 25.5 degrees, 1995 is -0.5.
inline constexpr int TEMPERATURE_ZERO = 2000;

// "25.5", "-0.5": one decimal.
std::string TemperatureText(int raw);
// "1.5".
std::string DeltaText(int tenths);

// The supplies regulate in half degrees: a typed temperature is its whole degrees, plus a half
// when the digits after the point read as a number of 4 or more ("25.7" and "5.05" have the
// half, "25.3" has not); "-5.5" is -5.5 degrees and so is "-5.7". A text without a point is
// whole degrees.
int ReadTemperatureText(std::string_view text);
int ReadDeltaText(std::string_view text);

enum class TemperatureField { Target, Delta };

// The key filter of the two edits: digits, the point (a comma is taken as one), backspace, and a
// minus in the target edit; one point and one minus at most; at 4 characters (target) or 3
// (delta) only backspace and the point get through, unless the character replaces a selection.
KeyDecision FilterTemperatureKey(TemperatureField field, std::string_view text, TextSelection selection,
                                 char32_t typed);

} // namespace rir
