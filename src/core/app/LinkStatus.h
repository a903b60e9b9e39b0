// The status line under the log (the port and its character format, the link's state, how the
// bus fares since the port opened) and the log lines about the port. Built here from a small
// record the station keeps; the window shows the text as it stands.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "bus/FrameCodec.h"
#include "bus/SerialPort.h"

namespace rir {

// What the station knows of its link. The counters start afresh each time the port opens.
struct LinkStatus {
    std::string port; // the port in use or being tried
    Framing framing = Framing::Ascii;
    int baud = 9600;
    bool portOpen = false; // the bus thread has reported it open
    bool portAway = false; // lost or refused since; the bus thread keeps trying
    bool pollingRunning = true;
    bool fastPolling = false; // "Быстрый опрос"
    int repliesPerSecond = 0; // over the last whole second
    int misses = 0;           // requests that went unanswered, or whose answer was cut short
    int badReplies = 0;       // answers whose checksum failed, or ASCII frames that were no frame

    bool operator==(const LinkStatus&) const = default;
};

inline constexpr std::string_view STATUS_OPENING = "Порт открывается";
inline constexpr std::string_view STATUS_POLLING = "Опрос идет";
inline constexpr std::string_view STATUS_POLLING_FAST = "Быстрый опрос идет";
inline constexpr std::string_view STATUS_STOPPED = "Опрос остановлен оператором";
inline constexpr std::string_view STATUS_PORT_AWAY = "Порт недоступен, повторяем попытки раз в секунду";
inline constexpr std::string_view STATUS_PORT_AWAY_STOPPED = "Порт недоступен; опрос остановлен оператором";

// For example "/dev/ttyUSB0: MODBUS-RTU 8N1, 38400 бод | Опрос идет | Ответов/с: 33 | Пропусков: 0,
// ошибок КС: 0"; while the port is away, only the port and the state. Short enough for the
// window's width with a long port path; LINK_STATUS_HINT (the status line's tool tip) says what
// the figures count.
std::string LinkStatusText(const LinkStatus& status);
inline constexpr std::string_view LINK_STATUS_HINT =
    "Ответов/с: ответов за последнюю секунду. Пропуски (запрос без ответа или ответ оборван) и "
    "ошибки КС (контрольной суммы) считаются с открытия порта";

// "MODBUS-RTU 8N1", "MODBUS-ASCII 7N2", "RS-232 8E1": the framing and the character format the
// bus thread sets for it.
std::string FramingText(Framing framing);

// Log lines; %s is the port's name, then the reason (PortErrorText).
inline constexpr std::string_view LOG_PORT_LOST =
    "Порт %s потерян: %s. Повторяем попытки открыть его раз в секунду";
inline constexpr std::string_view LOG_PORT_REFUSED =
    "Порт %s не открывается: %s. Повторяем попытки раз в секунду";
// Once a lost or refused port opens.
inline constexpr std::string_view LOG_PORT_BACK = "Порт %s снова доступен, опрос продолжается";
inline constexpr std::string_view LOG_PORT_BACK_STOPPED =
    "Порт %s снова доступен, опрос остановлен оператором";
inline constexpr std::string_view LOG_PORT_FOUND = "Найден новый com-порт: %s";
// "Старт/стоп": the log says so, because the pages keep their last values while polling stops.
inline constexpr std::string_view LOG_POLLING_STOPPED =
    "Опрос остановлен оператором (Старт/стоп), показания на панельках не обновляются";
inline constexpr std::string_view LOG_POLLING_RESUMED = "Опрос возобновлен оператором (Старт/стоп)";
// "Быстрый опрос" switched; it takes effect with the next bus cycle.
inline constexpr std::string_view LOG_FAST_POLL_ON =
    "Быстрый опрос включен: ответ принимается, как только пришел целиком";
inline constexpr std::string_view LOG_FAST_POLL_OFF =
    "Быстрый опрос выключен: ответ принимается после паузы на линии";

// The reason in the station's words, the system's own text after it in brackets (when there is
// one): "нет прав доступа (Permission denied)".
std::string PortErrorText(const PortError& error);

// `format` with each "%s" replaced by the next of `values`, in order; a "%s" beyond them stays.
std::string FillIn(std::string_view format, std::initializer_list<std::string_view> values);

} // namespace rir
