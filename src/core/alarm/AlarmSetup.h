// A page's alarm settings as the operator edits them in "Тревоги" and as the settings file keeps
// them: the fields' texts, the check that refuses a field with a clear word and keeps the old
// value, and the reading of a stored value within its bounds.
#pragma once

#include "alarm/AlarmMonitor.h"

#include <optional>
#include <string>
#include <string_view>

namespace rir {

// The fields of the dialog, in its order.
enum class AlarmField { Tolerance, Delay, TempLow, TempHigh, LinkErrors };
inline constexpr int ALARM_FIELD_COUNT = 5;

struct AlarmSetupTexts {
    std::string tolerance; // "10.0"
    std::string delay;     // "10"
    std::string tempLow;   // "5.0"
    std::string tempHigh;  // "60.0"
    std::string linkErrors;
    bool pauseProgram = false;
};

// The dialog's caption for the page ("Тревоги #15") and the labels of its fields.
inline constexpr std::string_view ALARM_SETUP_TITLE = "Тревоги %s";
std::string_view AlarmFieldLabel(AlarmField field);
inline constexpr std::string_view ALARM_PAUSE_LABEL = "Приостанавливать программу при тревоге";

AlarmSetupTexts AlarmSetupTextsOf(const AlarmSettings& settings);

// What "Установить" gives: the new settings, or the first field that is refused, the message to
// show and the old value's text to put back into it.
struct AlarmSetupCheck {
    std::optional<AlarmSettings> settings;
    AlarmField field = AlarmField::Tolerance;
    std::string problem;
    std::string oldText;
};
AlarmSetupCheck CheckAlarmSetup(const AlarmSetupTexts& texts, const AlarmSettings& old);

// A number as the fields and the settings file write it: blanks around it, a comma taken as the
// point; nothing for anything else (a sign alone, "1e3", trailing letters, inf, nan).
std::optional<double> ReadAlarmNumber(std::string_view text);

// The settings file's value names in a tab's section.
inline constexpr std::string_view KEY_ALARM_TOLERANCE = "AlarmTolerance";
inline constexpr std::string_view KEY_ALARM_DELAY = "AlarmDelay";
inline constexpr std::string_view KEY_ALARM_TEMP_LOW = "AlarmTempLow";
inline constexpr std::string_view KEY_ALARM_TEMP_HIGH = "AlarmTempHigh";
inline constexpr std::string_view KEY_ALARM_LINK_ERRORS = "AlarmLinkErrors";
inline constexpr std::string_view KEY_ALARM_PAUSE = "AlarmPause";

// The stored texts of a section (an empty text: the value is not there) as settings: a value
// that is missing, no number or out of its bounds keeps its default, and a band turned upside
// down keeps the default band.
struct StoredAlarmTexts {
    std::string tolerance, delay, tempLow, tempHigh, linkErrors, pause;
};
AlarmSettings AlarmSettingsFromStored(const StoredAlarmTexts& stored);

} // namespace rir
