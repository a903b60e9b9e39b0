// The voltage and current limit edits of a device page: what typed text means in the supply's
// raw units, the clamp to its range, and which typed characters the edits take at all.
#pragma once

#include "device/DeviceState.h"
#include "device/EditKeys.h"
#include "view/ViewState.h"

#include <optional>
#include <string>
#include <string_view>

namespace rir {

enum class LimitQuantity { Voltage, Current };

// A limit in volts or amperes as the operator types it or the plant sends it: whole units and
// thousandths, the finest any supply's scale reads (1000 raw units a unit).
struct LimitAmount {
    long long whole = 0;
    int thousandths = 0; // 0..999
    friend constexpr bool operator==(const LimitAmount&, const LimitAmount&) = default;
};
// The largest amount the plant may ask for: far above any supply's rating, which the clamp then
// gives, and small enough that no raw value overflows.
inline constexpr double MAX_LIMIT_AMOUNT = 100000.0;

// The text of a limit edit as an amount: the number it starts with, and up to three digits after
// a point (missing ones are zeros, and so is everything from a non-digit on). An empty text is 0.
LimitAmount ReadLimitAmount(std::string_view text);
// A value the plant sent, to the nearest thousandth; nothing for one that is not a limit at all
// (below zero, above MAX_LIMIT_AMOUNT, not a number).
std::optional<LimitAmount> LimitAmountOf(double value);
// The amount as a raw value at `scale`: the thousandths read to the scale's decimal places and
// the rest dropped, as the edit's text always was.
int RawLimit(LimitAmount amount, int scale);

// The text of a limit edit as a raw value at `scale` (raw units per volt or ampere). What the
// operator types is volts or amperes, with or without a point: "50" is 50 V, however far above
// the supply's rating, and the clamp then makes it the maximum. (Reading a number too large for
// whole units as tenths or as raw units sent "50" as 5 V to a 37 V supply.) The digits after a
// point are read to the scale's decimal places and the rest dropped. An empty text gives 0.
int ParseLimitText(std::string_view text, int scale);
// The same with the scale of the quantity taken from the record.
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

// The selection of an edit whose text is about to be replaced. When the user typed a whole
// number and the station writes it back with its decimals, the point appears in the middle: a
// caret or selection edge behind it moves one place right, so it stays on the same digits.
TextSelection ShiftSelection(std::string_view present, std::string_view next, TextSelection sel);

// The key filter of edits 1009 and 1010: digits, the point, the comma (taken as a point) and
// backspace; one point at most; at five characters only backspace and the point get through,
// unless the character replaces a selection.
KeyDecision FilterLimitKey(std::string_view text, TextSelection selection, char32_t typed);

// Pasted text passes the same filter, character by character as if typed: the first replaces
// the selection, each further one goes in behind the last one taken. Returns what goes in place
// of the selection; empty when nothing passes (the selection then stays as it is).
std::string FilterLimitPaste(std::string_view text, TextSelection selection, std::u32string_view pasted);

} // namespace rir
