#include "program/PartArea.h"

#include "program/ProgramValues.h"

namespace rir {

std::optional<int> ReadPartArea(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    int digits = 0;
    int points = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            ++digits;
        else if (c == '.' || c == ',')
            ++points;
        else
            return std::nullopt;
    }
    if (digits == 0 || points > 1)
        return std::nullopt;
    // Saturated far above the largest area, so a long row of digits is refused, not wrapped.
    const int area = ReadProgramAmount(text, AREA_SCALE);
    if (area <= 0 || area > MAX_AREA)
        return std::nullopt;
    return area;
}

std::string PartAreaText(int area) {
    std::string text = std::to_string(area / AREA_SCALE);
    int rest = area % AREA_SCALE;
    if (rest == 0)
        return text;
    std::string fraction = std::to_string(AREA_SCALE + rest).substr(1);
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    return text + "," + fraction;
}

} // namespace rir
