// The station's own messages, questions and notices about its tabs and supplies.
#pragma once

#include <string_view>

namespace rir {

inline constexpr const char* MSG_NO_PORTS = "В компьютере отсутствуют COM-порты! Программа будет закрыта.";
inline constexpr const char* MSG_DUPLICATE_DEVICE = "Уже есть такое устройство!";
// Tabs the settings file lists twice are restored once; the log names the repeats, in one line.
inline constexpr std::string_view LOG_DUPLICATE_TABS =
    "В файле настроек повторяются вкладки, повторы пропущены: %s";
// Questions before a live output is cut or left without control; %s are tab captions
// ("#20, #20_2"). "Нет" changes nothing.
inline constexpr std::string_view ASK_REMOVE_OUTPUT_ON =
    "%s - Выход включен. Выключить его и удалить устройство?";
inline constexpr std::string_view ASK_REMOVE_PROGRAM_RUNS =
    "%s - Идет работа по файлу. Остановить ее, выключить выход и удалить устройство?";
inline constexpr std::string_view ASK_LOAD_OVER_OUTPUT =
    "%s - Выход включен. При загрузке программы он будет выключен. Загрузить программу?";
inline constexpr std::string_view ASK_RS232_KEEPS =
    "В режиме RS-232 останется только %s, вкладки %s будут удалены.";
inline constexpr std::string_view ASK_RS232_LEAVES_ON = " Выходы %s останутся включенными без управления.";
inline constexpr std::string_view ASK_RS232_END = " Перейти в режим RS-232?";
// Said on a page greyed by answers that carry no data, after the caption above the chart, until
// the supply answers with data again: exception replies to its polls (%s: the code), or replies
// from another address (%s: that address).
inline constexpr std::string_view PAGE_ANSWERS_REFUSAL = "Отвечает отказом, код %s";
inline constexpr std::string_view PAGE_ANSWERS_FOREIGN = "Отвечает устройство #%s";
// The tool tip of a page's "X" while it cannot remove its supply.
inline constexpr std::string_view TIP_LAST_DEVICE = "Единственное устройство удалить нельзя";

} // namespace rir
