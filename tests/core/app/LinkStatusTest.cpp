// The status line's text and the port's log texts, as pure functions of what the station knows.
#include "app/LinkStatus.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

struct StatusCase {
    const char* name;
    LinkStatus status;
    std::string text;
};

LinkStatus Status(bool open, bool away, bool polling, bool fast = false) {
    LinkStatus s;
    s.fastPolling = fast;
    s.port = "/dev/ttyUSB0";
    s.framing = Framing::Rtu;
    s.baud = 38400;
    s.portOpen = open;
    s.portAway = away;
    s.pollingRunning = polling;
    s.repliesPerSecond = 33;
    s.misses = 2;
    s.badReplies = 1;
    return s;
}

TEST(LinkStatusText, NamesPortFormatStateAndCounters) {
    const std::string tail = " | Ответов/с: 33 | Пропусков: 2, ошибок КС: 1";
    const std::string head = "/dev/ttyUSB0: MODBUS-RTU 8N1, 38400 бод | ";
    const StatusCase cases[] = {
        {"opening", Status(false, false, true), head + "Порт открывается" + tail},
        {"polling", Status(true, false, true), head + "Опрос идет" + tail},
        {"stopped", Status(true, false, false), head + "Опрос остановлен оператором" + tail},
        // While the port is away nothing is counted: no counters.
        {"away", Status(false, true, true), head + "Порт недоступен, повторяем попытки раз в секунду"},
        {"away and stopped", Status(false, true, false),
         head + "Порт недоступен; опрос остановлен оператором"},
        {"fast polling", Status(true, false, true, true), head + "Быстрый опрос идет" + tail},
        // Whether fast or not, a line that is not polled says why.
        {"fast, opening", Status(false, false, true, true), head + "Порт открывается" + tail},
        {"fast, stopped", Status(true, false, false, true), head + "Опрос остановлен оператором" + tail},
        {"fast, away", Status(false, true, true, true),
         head + "Порт недоступен, повторяем попытки раз в секунду"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LinkStatusText(c.status), c.text) << c.name;
}

TEST(LinkStatusText, EachFramingWithTheCharacterFormatItIsOpenedWith) {
    EXPECT_EQ(FramingText(Framing::Rtu), "MODBUS-RTU 8N1");
    EXPECT_EQ(FramingText(Framing::Ascii), "MODBUS-ASCII 7N2");
    EXPECT_EQ(FramingText(Framing::Rs232), "RS-232 8E1");
    LinkStatus s;
    s.port = "COM3";
    EXPECT_EQ(LinkStatusText(s), "COM3: MODBUS-ASCII 7N2, 9600 бод | Порт открывается | Ответов/с: 0 | "
                                 "Пропусков: 0, ошибок КС: 0");
}

TEST(PortErrorText, TheStationsWordsThenTheSystems) {
    const std::pair<PortError, std::string> cases[] = {
        {{PortErrorKind::NotFound, "No such file or directory"},
         "порт не найден (No such file or directory)"},
        {{PortErrorKind::NoPermission, "Permission denied"}, "нет прав доступа (Permission denied)"},
        {{PortErrorKind::Busy, "Device or resource busy"},
         "порт занят другой программой (Device or resource busy)"},
        {{PortErrorKind::Removed, "Input/output error, POLLHUP"},
         "устройство отключено или не отвечает (Input/output error, POLLHUP)"},
        {{PortErrorKind::Other, "Unknown error"}, "ошибка порта (Unknown error)"},
        {{PortErrorKind::Removed, ""}, "устройство отключено или не отвечает"},
    };
    for (const auto& [error, text] : cases)
        EXPECT_EQ(PortErrorText(error), text);
}

TEST(FillIn, ReplacesEachMarkInTurnAndLeavesTheRest) {
    EXPECT_EQ(FillIn("Порт %s потерян: %s.", {"COM3", "причина"}), "Порт COM3 потерян: причина.");
    EXPECT_EQ(FillIn("%s и %s", {"один"}), "один и %s");
    EXPECT_EQ(FillIn("без меток", {"лишнее"}), "без меток");
    EXPECT_EQ(FillIn("%s%s", {"a", "b"}), "ab");
    EXPECT_EQ(FillIn("", {}), "");
}

} // namespace
} // namespace rir
