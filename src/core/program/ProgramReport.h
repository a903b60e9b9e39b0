// The one message a program file's problems are reported in, and the number format of its
// limit messages.
#pragma once

#include "program/ProgramLimits.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace rir {

inline constexpr std::string_view REPORT_HEADER_FORMAT = "Ошибки при чтении файла %s:\n";
inline constexpr std::string_view DUPLICATE_MESSAGE = "Дубликат времени!";
inline constexpr std::string_view CURR_ABOVE_FORMAT =
    "Лимит тока свыше максимального тока блока питания %s ампер.";
inline constexpr std::string_view CURR_BELOW_FORMAT =
    "Лимит тока ниже минимального тока блока питания %s ампер.";
inline constexpr std::string_view VOLT_ABOVE_FORMAT =
    "Лимит напряжения свыше максимального напряжения блока питания %s вольт.";
inline constexpr std::string_view VOLT_BELOW_FORMAT =
    "Лимит напряжения ниже минимального напряжения блока питания %s вольт.";
// Rows beyond the longest program the station runs are dropped, as duplicates are.
inline constexpr std::string_view BEYOND_END_FORMAT =
    "Время свыше максимальной длительности программы %s секунд.";
// Rows that cannot be read as the operator meant them are dropped and named, so that a slip in a
// spreadsheet is seen before the program runs, not after.
inline constexpr std::string_view FEW_FIELDS_MESSAGE =
    "Меньше четырех полей «время;ток;напряжение;вкл» (поля разделяются точкой с запятой)!";
inline constexpr std::string_view NOT_A_NUMBER_MESSAGE = "Не число в поле времени, тока, напряжения или вкл!";
inline constexpr std::string_view NEGATIVE_TIME_MESSAGE = "Отрицательное время!";
inline constexpr std::string_view BAD_OUTPUT_MESSAGE = "Вкл не 0 и не 1!";
// A step that ends by charge needs a current to count it: one with the output off, no current or
// no charge to reach would never end or end at once.
inline constexpr std::string_view CHARGE_WITHOUT_CURRENT_MESSAGE =
    "Шаг по заряду (Ач) без тока, с выключенным выходом или с зарядом не больше нуля!";
// Kept, in time order.
inline constexpr std::string_view OUT_OF_ORDER_MESSAGE =
    "Время меньше, чем в строках выше: шаги взяты по порядку времени!";
// A file with a row beyond the longest program is not loaded: the steps after it (the switch-off,
// most likely) would be lost, and what is left would end at once with the output on.
inline constexpr std::string_view NOT_LOADED_TEXT = "Программа не загружена.";
inline constexpr std::string_view ONE_LINE_FORMAT = "%s Строка: %s\n";
inline constexpr std::string_view MANY_LINES_FORMAT = "%s\nСтроки: %s\n";
inline constexpr std::string_view SHIFT_FORMAT = "Старт времени не с нуля, сдвиг на %s секунд!";
// A file without a single step loads nothing; the page keeps what it had.
inline constexpr std::string_view NO_STEPS_FORMAT =
    "В файле %s нет ни одного шага программы (строки вида «время;ток;напряжение;вкл»).";

// Bytes no spreadsheet writes into a text (a binary file, a file in UTF-16) refuse the file.
inline constexpr std::string_view CONTROL_BYTE_FORMAT =
    "Файл %s не является файлом-программой: в строке %s управляющий символ (код %s).";

// A list shows its first line numbers and then how many there are in all: a file of a million
// bad rows must not become a message box no screen can show.
inline constexpr std::size_t REPORT_LINES_SHOWN = 200;
inline constexpr std::string_view MORE_LINES_FORMAT = ", ... (всего %s)";

// The line numbers (1-based) of the rows that each problem struck, in file order.
struct ProgramErrors {
    std::vector<int> duplicates; // time already taken by an earlier step: dropped
    std::vector<int> currAbove;  // current limit above the supply's maximum: clamped
    std::vector<int> currBelow;  // current limit below its minimum: clamped
    std::vector<int> voltAbove;
    std::vector<int> voltBelow;
    std::vector<int> beyondEnd;            // time beyond MAX_PROGRAM_SECONDS: the file is not loaded
    std::vector<int> fewFields;            // a row of fewer than four fields: dropped
    std::vector<int> notANumber;           // a time, limit or output that is no number: dropped
    std::vector<int> negativeTime;         // dropped
    std::vector<int> badOutput;            // an output other than 0 and 1: dropped
    std::vector<int> chargeWithoutCurrent; // a charge step that could not end: dropped
    std::vector<int> outOfOrder;           // a time below one above it: kept, in time order

    bool any() const {
        return !duplicates.empty() || !currAbove.empty() || !currBelow.empty() || !voltAbove.empty() ||
               !voltBelow.empty() || !beyondEnd.empty() || !fewFields.empty() || !notANumber.empty() ||
               !negativeTime.empty() || !badOutput.empty() || !chargeWithoutCurrent.empty() ||
               !outOfOrder.empty();
    }
};

// Each "%s" of format replaced by the next of values, in order; a value is never scanned for
// "%s" itself (a file may be named "100%s.csv").
std::string FormatText(std::string_view format, std::initializer_list<std::string_view> values);

// A raw limit in volts or amperes: raw / scale, and when the division leaves a rest, a point and
// the rest with as many digits as the scale has places (30.50 at scale 100). trimZeros drops the
// fraction's trailing zeros (30.5). A scale that is not a power of ten shows its fraction
// truncated to the same number of places.
std::string LimitValueText(int raw, int scale, bool trimZeros);

// "5, 7, 12": the line numbers, comma separated, the first REPORT_LINES_SHOWN of them.
std::string LineListText(const std::vector<int>& lines);

// The messages of the lists that are not empty, each with its lines, in the report's order.
std::string ProgramErrorsText(const ProgramErrors& errors, const ProgramLimits& limits);

// The report of a loaded file, or "" when there is nothing to report (no list and no shift).
std::string ProgramReportText(std::string_view fileName, const ProgramErrors& errors,
                              const ProgramLimits& limits, int startShift);

} // namespace rir
