#include "app/LinkStatus.h"

#include "bus/BusThread.h"

namespace rir {

namespace {

std::string_view StateText(const LinkStatus& s) {
    if (s.portAway)
        return s.pollingRunning ? STATUS_PORT_AWAY : STATUS_PORT_AWAY_STOPPED;
    if (!s.pollingRunning)
        return STATUS_STOPPED;
    if (!s.portOpen)
        return STATUS_OPENING;
    return s.fastPolling ? STATUS_POLLING_FAST : STATUS_POLLING;
}

std::string_view KindText(PortErrorKind kind) {
    switch (kind) {
    case PortErrorKind::NotFound:
        return "порт не найден";
    case PortErrorKind::NoPermission:
        return "нет прав доступа";
    case PortErrorKind::Busy:
        return "порт занят другой программой";
    case PortErrorKind::Removed:
        return "устройство отключено или не отвечает";
    case PortErrorKind::Other:
        break;
    }
    return "ошибка порта";
}

} // namespace

std::string FillIn(std::string_view format, std::initializer_list<std::string_view> values) {
    std::string out;
    auto next = values.begin();
    std::size_t from = 0;
    while (from < format.size()) {
        const std::size_t at = format.find("%s", from);
        if (at == std::string_view::npos || next == values.end()) {
            out += format.substr(from);
            break;
        }
        out += format.substr(from, at - from);
        out += *next++;
        from = at + 2;
    }
    return out;
}

std::string FramingText(Framing framing) {
    const LineSettings line = LineSettingsFor(framing, 0);
    std::string text = framing == Framing::Rtu     ? "MODBUS-RTU "
                       : framing == Framing::Ascii ? "MODBUS-ASCII "
                                                   : "RS-232 ";
    text += std::to_string(line.dataBits);
    text += line.parity == Parity::Even ? 'E' : 'N';
    text += std::to_string(line.stopBits);
    return text;
}

std::string LinkStatusText(const LinkStatus& s) {
    std::string text = s.port + ": " + FramingText(s.framing) + ", " + std::to_string(s.baud) + " бод | ";
    text += StateText(s);
    // While the port is away nothing is counted, and the line's longest state needs the room.
    if (s.portAway)
        return text;
    text += " | Ответов/с: " + std::to_string(s.repliesPerSecond);
    text += " | Пропусков: " + std::to_string(s.misses) + ", ошибок КС: " + std::to_string(s.badReplies);
    return text;
}

std::string PortErrorText(const PortError& error) {
    std::string text(KindText(error.kind));
    if (!error.detail.empty())
        text += " (" + error.detail + ")";
    return text;
}

} // namespace rir
