// The voltage and current limit edits of a device page: what typed text means in the supply's
// raw units, the clamp to its range, and which typed characters the edits take at all.
#pragma once

#include "device/DeviceState.h"
#include "device/EditKeys.h"
#include "view/ViewState.h"

#include <string>
#include <string_view>

namespace rir {

enum class LimitQuantity { Voltage, Current };

// The text of a limit edit as a raw value at `scale` (raw units per volt or ampere), `maximum`
// being the supply's rated maximum in raw units.
// Without a point the operator may mean whole volts or amperes, tenths, or raw units: the number
// is taken at the scale if that fits under the maximum, else at a tenth of the scale, else as it
// stands. With a point the digits after it are read to the scale's decimal places and the rest
// dropped. An empty text gives 0.
int ParseLimitText(std::string_view text, int scale, int maximum);
// The same with the scale and maximum of the quantity taken from the record.
int ParseLimitText(std::string_view text, LimitQuantity quantity, const DeviceState& state);

// Above the maximum gives the maximum, else below the minimum gives the minimum.
int ClampLimit(int value, int minimum, int maximum);

struct LimitPair {
    int voltLimit = 0;
    int currLimit = 0;
    friend constexpr bool operator==(const LimitPair&, const LimitPair&) = default;
};

// Both edits parsed and clamped to the supply's range, whichever limits are to be sent: a limit
// request always carries both values.
LimitPair LimitsFromTexts(const DeviceState& state, std::string_view voltText, std::string_view currText);

// The key filter of edits 1009 and 1010: digits, the point, the comma (taken as a point) and
// backspace; one point at most; at five characters only backspace and the point get through,
// unless the character replaces a selection.
KeyDecision FilterLimitKey(std::string_view text, TextSelection selection, char32_t typed);

// Pasted text passes the same filter, character by character as if typed: the first replaces
// the selection, each further one goes in behind the last one taken. Returns what goes in place
// of the selection; empty when nothing passes (the selection then stays as it is).
std::string FilterLimitPaste(std::string_view text, TextSelection selection, std::u32string_view pasted);

} // namespace rir
