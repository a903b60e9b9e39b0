#include "device/LimitText.h"

#include "text/NumberText.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace rir {

namespace {

constexpr std::size_t LIMIT_EDIT_CHARS = 5;
// The decimal places of a LimitAmount: the finest scale, 1000, has three.
constexpr int THOUSANDTHS_PLACES = 3;

int SaturateToInt(long long v) {
    return static_cast<int>(
        std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace

LimitAmount ReadLimitAmount(std::string_view text) {
    LimitAmount amount{ReadLeadingNumber(text).value, 0};
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos)
        return amount;
    std::size_t i = point + 1;
    for (int k = 0; k < THOUSANDTHS_PLACES; ++k) {
        int digit = 0;
        if (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            digit = text[i] - '0';
            ++i;
        } else {
            i = text.size(); // missing places are zeros, and so is everything after a non-digit
        }
        amount.thousandths = amount.thousandths * 10 + digit;
    }
    return amount;
}

std::optional<LimitAmount> LimitAmountOf(double value) {
    if (!(value >= 0.0 && value <= MAX_LIMIT_AMOUNT)) // also false for NaN
        return std::nullopt;
    const long long thousandths = std::llround(value * 1000.0);
    return LimitAmount{thousandths / 1000, static_cast<int>(thousandths % 1000)};
}

int RawLimit(LimitAmount amount, int scale) {
    // A scale comes from the identification reply; anything below one would mean no raw units.
    const long long s = std::max(scale, 1);
    int dropped = 1;
    for (int k = ScaleDecimals(static_cast<int>(s)); k < THOUSANDTHS_PLACES; ++k)
        dropped *= 10;
    return SaturateToInt(amount.whole * s + amount.thousandths / dropped);
}

int ParseLimitText(std::string_view text, int scale) {
    return RawLimit(ReadLimitAmount(text), scale);
}

int ParseLimitText(std::string_view text, LimitQuantity quantity, const DeviceState& state) {
    return ParseLimitText(text, quantity == LimitQuantity::Voltage ? state.voltScale : state.currScale);
}

int ClampLimit(int value, int minimum, int maximum) {
    if (value > maximum)
        return maximum;
    if (value < minimum)
        return minimum;
    return value;
}

LimitPair LimitsFromTexts(const DeviceState& state, std::string_view voltText, std::string_view currText) {
    const int volt = ParseLimitText(voltText, LimitQuantity::Voltage, state);
    const int curr = ParseLimitText(currText, LimitQuantity::Current, state);
    return {ClampLimit(volt, state.voltMin, state.voltMax), ClampLimit(curr, state.currMin, state.currMax)};
}

TextSelection ShiftSelection(std::string_view present, std::string_view next, TextSelection sel) {
    if (present.find('.') == std::string_view::npos) {
        const std::size_t point = next.find('.');
        if (point != std::string_view::npos) {
            const int p = static_cast<int>(point);
            if (sel.start > p)
                ++sel.start;
            if (sel.end > p)
                ++sel.end;
        }
    }
    const int length = static_cast<int>(next.size());
    sel.start = std::clamp(sel.start, 0, length);
    sel.end = std::clamp(sel.end, 0, length);
    return sel;
}

KeyDecision FilterLimitKey(std::string_view text, TextSelection selection, char32_t typed) {
    if (typed == KEY_BACKSPACE)
        return {true, '\b'};
    char c = 0;
    if (typed >= U'0' && typed <= U'9')
        c = static_cast<char>(typed);
    else if (typed == U'.' || typed == U',')
        c = '.'; // the Russian keyboard's decimal separator means the point
    else
        return REFUSED_KEY;
    if (c == '.')
        return text.find('.') == std::string_view::npos ? KeyDecision{true, '.'} : REFUSED_KEY;
    const bool replacesSelection = selection.start != selection.end;
    if (text.size() >= LIMIT_EDIT_CHARS && !replacesSelection)
        return REFUSED_KEY;
    return {true, c};
}

std::string FilterLimitPaste(std::string_view text, TextSelection selection, std::u32string_view pasted) {
    std::string current(text);
    const int length = static_cast<int>(current.size());
    int start = std::clamp(std::min(selection.start, selection.end), 0, length);
    int end = std::clamp(std::max(selection.start, selection.end), 0, length);
    std::string inserted;
    for (char32_t typed : pasted) {
        // A pasted control character is no key: backspace deletes only when it is pressed.
        if (typed == KEY_BACKSPACE)
            continue;
        const KeyDecision decision = FilterLimitKey(current, {start, end}, typed);
        if (!decision.accepted)
            continue;
        current.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start), 1,
                        decision.character);
        inserted += decision.character;
        end = ++start;
    }
    return inserted;
}

} // namespace rir
