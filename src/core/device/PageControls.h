// Control ids of the device page's dialog template 129, and the two main-menu items the page
// grays and enables. The numbers are the template's; logic always uses these names.
#pragma once

namespace rir {

// Identification and state.
inline constexpr int IDC_DESCRIPTION_GROUP = 1024; // group box; its caption is the identification line
inline constexpr int IDC_OUTPUT_STATE = 1019;      // "Включен" / "Выключен"
inline constexpr int IDC_REGULATION = 1018;        // "Напряжения" / "Тока"
inline constexpr int IDC_VOLT_READING = 1021;      // measured / limit voltage
inline constexpr int IDC_CURR_READING = 1029;      // measured / limit current

// The four module lines: a label and a value each.
inline constexpr int IDC_LINE1_LABEL = 1025;
inline constexpr int IDC_LINE1_VALUE = 1020;
inline constexpr int IDC_LINE2_LABEL = 1026;
inline constexpr int IDC_LINE2_VALUE = 1055;
inline constexpr int IDC_LINE3_LABEL = 1027;
inline constexpr int IDC_LINE3_VALUE = 1028;
inline constexpr int IDC_LINE4_LABEL = 1030;
inline constexpr int IDC_LINE4_VALUE = 1031;

// Limit entry.
inline constexpr int IDC_VOLT_EDIT = 1009;
inline constexpr int IDC_VOLT_UNIT = 1073; // "В", "В*" while the edit holds unsent text
inline constexpr int IDC_CURR_EDIT = 1010;
inline constexpr int IDC_CURR_UNIT = 1074; // "А", "А*"

// Command buttons.
inline constexpr int IDC_SET_LIMITS = 1011;
inline constexpr int IDC_OUTPUT_BUTTON = 1022;
inline constexpr int IDC_MODULE_SETUP = 1014;
inline constexpr int IDC_DOSER_RESTART = 1064;
inline constexpr int IDC_REMOVE_DEVICE = 1015;

// Program controls.
inline constexpr int IDC_OPEN_PROGRAM = 1034;
inline constexpr int IDC_PROGRAM_START = 1048;
inline constexpr int IDC_PROGRAM_PAUSE = 1049;
inline constexpr int IDC_PROGRAM_CANCEL = 1050;
inline constexpr int IDC_PROGRAM_CAPTION = 1042; // "Протокол работы:" or the loaded file's name
// The load's area in dm², for programs whose currents are densities; kept per tab.
inline constexpr int IDC_AREA_EDIT = 1076;

// Chart and its companions.
inline constexpr int IDC_CHART = 1035;
inline constexpr int IDC_READOUT_VALUES = 1040;    // "Текстовка 1"
inline constexpr int IDC_READOUT_LIMITS = 1036;    // "Текстовка 2"
inline constexpr int IDC_SERIES_VOLT = 1043;       // "U"
inline constexpr int IDC_SERIES_VOLT_LIMIT = 1044; // "Uл"
inline constexpr int IDC_SERIES_CURR = 1045;       // "I"
inline constexpr int IDC_SERIES_CURR_LIMIT = 1046; // "Iл"
inline constexpr int IDC_SERIES_OUTPUT = 1047;     // "Вкл"
inline constexpr int IDC_CLEAR_CHART = 1075;
inline constexpr int IDC_DIAGNOSTIC = 1041; // hidden diagnostic line

// The page's alarms: their line under the chart's button, "Квитировать" and the settings dialog.
inline constexpr int IDC_ALARM_LINE = 1079;
inline constexpr int IDC_ALARM_ACK = 1080;
inline constexpr int IDC_ALARM_SETUP = 1081;

// Main-menu items whose state the page sets.
inline constexpr int ID_MENU_FILE_SAVE = 32791; // "Сохранить"
inline constexpr int ID_MENU_FILE_OPEN = 32792; // "Открыть"

} // namespace rir
