#include "device/LimitText.h"

#include "text/NumberText.h"

#include <algorithm>
#include <limits>

namespace rir {

namespace {

constexpr std::size_t LIMIT_EDIT_CHARS = 5;

int SaturateToInt(long long v) {
    return static_cast<int>(
        std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace

int ParseLimitText(std::string_view text, int scale) {
    // A scale comes from the identification reply; anything below one would mean no raw units.
    const long long s = std::max(scale, 1);
    const LeadingNumber whole = ReadLeadingNumber(text);
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos)
        return SaturateToInt(whole.value * s);
    const int places = ScaleDecimals(static_cast<int>(s));
    long long fraction = 0;
    std::size_t i = point + 1;
    for (int k = 0; k < places; ++k) {
        int digit = 0;
        if (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            digit = text[i] - '0';
            ++i;
        } else {
            i = text.size(); // missing places are zeros, and so is everything after a non-digit
        }
        fraction = fraction * 10 + digit;
    }
    return SaturateToInt(whole.value * s + fraction);
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
