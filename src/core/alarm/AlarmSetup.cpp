#include "alarm/AlarmSetup.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace rir {

namespace {

std::string OneDecimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::string Range(double low, double high, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "от %.*f до %.*f", decimals, low, decimals, high);
    return text;
}

std::string Refused(AlarmField field, const std::string& range) {
    return "Поле «" + std::string(AlarmFieldLabel(field)) + "»: нужно число " + range +
           ". Оставлено прежнее значение.";
}

std::optional<double> InRange(std::string_view text, double low, double high) {
    const std::optional<double> v = ReadAlarmNumber(text);
    if (!v || *v < low || *v > high)
        return std::nullopt;
    return v;
}

std::optional<int> WholeInRange(std::string_view text, int low, int high) {
    const std::optional<double> v = InRange(text, low, high);
    if (!v || *v != std::floor(*v))
        return std::nullopt;
    return static_cast<int>(*v);
}

} // namespace

std::string_view AlarmFieldLabel(AlarmField field) {
    switch (field) {
    case AlarmField::Tolerance:
        return "Допуск, %";
    case AlarmField::Delay:
        return "Задержка, с";
    case AlarmField::TempLow:
        return "Температура от, °C";
    case AlarmField::TempHigh:
        return "Температура до, °C";
    case AlarmField::LinkErrors:
        return "Ошибок связи в минуту";
    }
    return {};
}

AlarmSetupTexts AlarmSetupTextsOf(const AlarmSettings& s) {
    return {OneDecimal(s.tolerancePercent), std::to_string(s.delaySeconds),        OneDecimal(s.tempLow),
            OneDecimal(s.tempHigh),         std::to_string(s.linkErrorsPerMinute), s.pauseProgram};
}

std::optional<double> ReadAlarmNumber(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (text.empty() || text.size() > 16)
        return std::nullopt;
    std::string digits;
    bool point = false, any = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            any = true;
            digits += c;
        } else if ((c == '.' || c == ',') && !point) {
            point = true;
            digits += '.';
        } else if (c == '-' && i == 0) {
            digits += c;
        } else {
            return std::nullopt;
        }
    }
    if (!any)
        return std::nullopt;
    return std::strtod(digits.c_str(), nullptr);
}

AlarmSetupCheck CheckAlarmSetup(const AlarmSetupTexts& t, const AlarmSettings& old) {
    AlarmSetupCheck out;
    const AlarmSetupTexts before = AlarmSetupTextsOf(old);
    const auto refuse = [&](AlarmField field, const std::string& range, const std::string& oldText) {
        out.field = field;
        out.problem = Refused(field, range);
        out.oldText = oldText;
        return out;
    };
    AlarmSettings s = old;
    const auto tolerance = InRange(t.tolerance, ALARM_TOLERANCE_MIN, ALARM_TOLERANCE_MAX);
    if (!tolerance)
        return refuse(AlarmField::Tolerance, Range(ALARM_TOLERANCE_MIN, ALARM_TOLERANCE_MAX, 0),
                      before.tolerance);
    const auto delay = WholeInRange(t.delay, ALARM_DELAY_MIN, ALARM_DELAY_MAX);
    if (!delay)
        return refuse(AlarmField::Delay, "(целое) " + Range(ALARM_DELAY_MIN, ALARM_DELAY_MAX, 0),
                      before.delay);
    const auto low = InRange(t.tempLow, ALARM_TEMP_MIN, ALARM_TEMP_MAX);
    if (!low)
        return refuse(AlarmField::TempLow, Range(ALARM_TEMP_MIN, ALARM_TEMP_MAX, 0), before.tempLow);
    const auto high = InRange(t.tempHigh, ALARM_TEMP_MIN, ALARM_TEMP_MAX);
    if (!high || *high <= *low)
        return refuse(AlarmField::TempHigh, Range(*low, ALARM_TEMP_MAX, 1) + ", больше нижней границы",
                      before.tempHigh);
    const auto errors = WholeInRange(t.linkErrors, ALARM_LINK_ERRORS_MIN, ALARM_LINK_ERRORS_MAX);
    if (!errors)
        return refuse(AlarmField::LinkErrors,
                      "(целое) " + Range(ALARM_LINK_ERRORS_MIN, ALARM_LINK_ERRORS_MAX, 0), before.linkErrors);
    s.tolerancePercent = *tolerance;
    s.delaySeconds = *delay;
    s.tempLow = *low;
    s.tempHigh = *high;
    s.linkErrorsPerMinute = *errors;
    s.pauseProgram = t.pauseProgram;
    out.settings = s;
    return out;
}

AlarmSettings AlarmSettingsFromStored(const StoredAlarmTexts& stored) {
    AlarmSettings s;
    if (const auto v = InRange(stored.tolerance, ALARM_TOLERANCE_MIN, ALARM_TOLERANCE_MAX))
        s.tolerancePercent = *v;
    if (const auto v = WholeInRange(stored.delay, ALARM_DELAY_MIN, ALARM_DELAY_MAX))
        s.delaySeconds = *v;
    const auto low = InRange(stored.tempLow, ALARM_TEMP_MIN, ALARM_TEMP_MAX);
    const auto high = InRange(stored.tempHigh, ALARM_TEMP_MIN, ALARM_TEMP_MAX);
    const double bandLow = low.value_or(s.tempLow);
    const double bandHigh = high.value_or(s.tempHigh);
    if (bandHigh > bandLow) {
        s.tempLow = bandLow;
        s.tempHigh = bandHigh;
    }
    if (const auto v = WholeInRange(stored.linkErrors, ALARM_LINK_ERRORS_MIN, ALARM_LINK_ERRORS_MAX))
        s.linkErrorsPerMinute = *v;
    s.pauseProgram = stored.pause == "1";
    return s;
}

} // namespace rir
