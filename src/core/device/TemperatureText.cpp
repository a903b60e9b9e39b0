#include "device/TemperatureText.h"

#include "text/NumberText.h"

#include <algorithm>
#include <limits>

namespace rir {

namespace {

constexpr std::size_t TARGET_EDIT_CHARS = 4;
constexpr std::size_t DELTA_EDIT_CHARS = 3;
constexpr int HALF_DEGREE = 5;

std::string Tenths(int tenths) {
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

// Tenths of a degree from a typed text, before the temperature's offset.
int ReadTenths(std::string_view text) {
    const LeadingNumber whole = ReadLeadingNumber(text);
    long long tenths = whole.value * 10;
    const std::size_t point = text.find('.');
    if (point != std::string_view::npos) {
        // The digits after the point are read as a number of their own, as the supplies' own
        // setting program reads them: 4 or more is the half degree ("5.05" is 5.5, ".111" 0.5).
        const bool half = ReadLeadingNumber(text.substr(point + 1)).value >= 4;
        if (half) {
            // "-0.5" has no minus in its whole part: the sign is read off the text itself.
            const bool negative = whole.negative || (!text.empty() && text.front() == '-');
            tenths += negative ? -HALF_DEGREE : HALF_DEGREE;
        }
    }
    return static_cast<int>(std::clamp<long long>(tenths, std::numeric_limits<int>::min() / 2,
                                                  std::numeric_limits<int>::max() / 2));
}

} // namespace

std::string TemperatureText(int raw) {
    if (raw >= TEMPERATURE_ZERO)
        return Tenths(raw - TEMPERATURE_ZERO);
    return "-" + Tenths(TEMPERATURE_ZERO - raw);
}

std::string DeltaText(int tenths) {
    // A delta comes from one unsigned byte; a negative one is written with its sign in front.
    return tenths < 0 ? "-" + Tenths(-tenths) : Tenths(tenths);
}

int ReadTemperatureText(std::string_view text) {
    return ReadTenths(text) + TEMPERATURE_ZERO;
}

int ReadDeltaText(std::string_view text) {
    return ReadTenths(text);
}

KeyDecision FilterTemperatureKey(TemperatureField field, std::string_view text, TextSelection selection,
                                 char32_t typed) {
    if (typed == KEY_BACKSPACE)
        return {true, '\b'};
    char c = 0;
    if (typed >= U'0' && typed <= U'9')
        c = static_cast<char>(typed);
    else if (typed == U'.' || typed == U',')
        c = '.';
    else if (typed == U'-')
        c = '-';
    else
        return REFUSED_KEY;
    if (c == '-' && (field == TemperatureField::Delta || text.find('-') != std::string_view::npos))
        return REFUSED_KEY;
    if (c == '.')
        return text.find('.') == std::string_view::npos ? KeyDecision{true, '.'} : REFUSED_KEY;
    const std::size_t most = field == TemperatureField::Target ? TARGET_EDIT_CHARS : DELTA_EDIT_CHARS;
    if (text.size() >= most && selection.start == selection.end)
        return REFUSED_KEY;
    return {true, c};
}

} // namespace rir
