// Numbers with a fixed count of decimals, as "%.*f" writes them in the C locale. The chart's
// texts must read "12.5" whatever numeric locale the desktop sets for the process.
#pragma once

#include <charconv>
#include <string>

namespace rir {

inline void AppendFixed(std::string& out, double value, int decimals) {
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (ec == std::errc())
        out.append(buffer, end);
}

inline std::string FixedText(double value, int decimals) {
    std::string s;
    AppendFixed(s, value, decimals);
    return s;
}

} // namespace rir
