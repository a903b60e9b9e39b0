// The framing the bus runs: one value from the protocol menu to the wire, and its names.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace rir {

// MODBUS-RTU: binary with CRC-16; MODBUS-ASCII: hex text with LRC; RS-232: bare bytes, no address.
enum class Framing { Rtu, Ascii, Rs232 };

struct FramingName {
    Framing framing;
    std::string_view setting; // as the settings file stores it
    std::string_view display; // as the log names it when the operator changes it
};

inline constexpr std::array<FramingName, 3> FRAMING_NAMES{{
    {Framing::Rtu, "RTU", "MODBUS-RTU"},
    {Framing::Ascii, "ASCII", "MODBUS-ASCII"},
    {Framing::Rs232, "RS232", "RS232"},
}};

constexpr const FramingName& NamesOf(Framing framing) {
    for (const FramingName& n : FRAMING_NAMES) {
        if (n.framing == framing)
            return n;
    }
    return FRAMING_NAMES[1];
}

// The framing a settings value names; nothing for any other text.
constexpr std::optional<Framing> FramingFromSetting(std::string_view setting) {
    for (const FramingName& n : FRAMING_NAMES) {
        if (n.setting == setting)
            return n.framing;
    }
    return std::nullopt;
}

} // namespace rir
