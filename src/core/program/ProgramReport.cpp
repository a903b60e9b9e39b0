#include "program/ProgramReport.h"

#include <cstdlib>

namespace rir {

namespace {

// The message and the lines of one list: "message Строка: 5" or "message\nСтроки: 5, 7".
void AppendList(std::string& text, std::string_view message, const std::vector<int>& lines) {
    if (lines.empty())
        return;
    const std::string list = LineListText(lines);
    text += FormatText(lines.size() == 1 ? ONE_LINE_FORMAT : MANY_LINES_FORMAT, {message, list});
}

} // namespace

std::string FormatText(std::string_view format, std::initializer_list<std::string_view> values) {
    std::string text;
    auto value = values.begin();
    std::size_t from = 0;
    for (std::size_t at = format.find("%s"); at != std::string_view::npos && value != values.end();
         at = format.find("%s", from)) {
        text.append(format.substr(from, at - from)).append(*value++);
        from = at + 2;
    }
    text.append(format.substr(from));
    return text;
}

std::string LimitValueText(int raw, int scale, bool trimZeros) {
    const long long s = scale < 1 ? 1 : scale;
    const long long magnitude = std::llabs(static_cast<long long>(raw));
    std::string text = raw < 0 ? "-" : "";
    text += std::to_string(magnitude / s);
    const long long rest = magnitude % s;
    if (rest == 0)
        return text;
    // Places of the scale: 1 for 10, 2 for 100, 3 for 1000; a scale between powers of ten takes
    // the places of the next one up.
    int places = 0;
    long long power = 1;
    while (power < s) {
        power *= 10;
        ++places;
    }
    std::string fraction = std::to_string(rest * power / s);
    fraction.insert(0, static_cast<std::size_t>(places) - fraction.size(), '0');
    if (trimZeros) {
        while (!fraction.empty() && fraction.back() == '0')
            fraction.pop_back();
    }
    if (!fraction.empty())
        text += "." + fraction;
    return text;
}

std::string LineListText(const std::vector<int>& lines) {
    std::string text;
    const std::size_t shown = lines.size() < REPORT_LINES_SHOWN ? lines.size() : REPORT_LINES_SHOWN;
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0)
            text += ", ";
        text += std::to_string(lines[i]);
    }
    if (shown < lines.size())
        text += FormatText(MORE_LINES_FORMAT, {std::to_string(lines.size())});
    return text;
}

std::string ProgramErrorsText(const ProgramErrors& errors, const ProgramLimits& limits) {
    std::string text;
    // The maxima drop the fraction's trailing zeros, the minima keep them, as the station always
    // wrote them.
    AppendList(text, DUPLICATE_MESSAGE, errors.duplicates);
    AppendList(text, FormatText(CURR_ABOVE_FORMAT, {LimitValueText(limits.currMax, limits.currScale, true)}),
               errors.currAbove);
    AppendList(text, FormatText(CURR_BELOW_FORMAT, {LimitValueText(limits.currMin, limits.currScale, false)}),
               errors.currBelow);
    AppendList(text, FormatText(VOLT_ABOVE_FORMAT, {LimitValueText(limits.voltMax, limits.voltScale, true)}),
               errors.voltAbove);
    AppendList(text, FormatText(VOLT_BELOW_FORMAT, {LimitValueText(limits.voltMin, limits.voltScale, false)}),
               errors.voltBelow);
    AppendList(text, FormatText(BEYOND_END_FORMAT, {std::to_string(MAX_PROGRAM_SECONDS)}), errors.beyondEnd);
    AppendList(text, FEW_FIELDS_MESSAGE, errors.fewFields);
    AppendList(text, NOT_A_NUMBER_MESSAGE, errors.notANumber);
    AppendList(text, NEGATIVE_TIME_MESSAGE, errors.negativeTime);
    AppendList(text, BAD_OUTPUT_MESSAGE, errors.badOutput);
    AppendList(text, CHARGE_WITHOUT_CURRENT_MESSAGE, errors.chargeWithoutCurrent);
    AppendList(text, OUT_OF_ORDER_MESSAGE, errors.outOfOrder);
    return text;
}

std::string ProgramReportText(std::string_view fileName, const ProgramErrors& errors,
                              const ProgramLimits& limits, int startShift) {
    if (!errors.any() && startShift == 0)
        return {};
    std::string text = FormatText(REPORT_HEADER_FORMAT, {fileName}) + ProgramErrorsText(errors, limits);
    if (startShift != 0)
        text += FormatText(SHIFT_FORMAT, {std::to_string(startShift)});
    return text;
}

} // namespace rir
