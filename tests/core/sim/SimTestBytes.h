// Byte helpers for the simulator's tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rir::sim::test {

// "0F 42 84 71" -> bytes; blanks are ignored.
inline std::vector<std::uint8_t> Hex(std::string_view text) {
    std::vector<std::uint8_t> out;
    int pending = -1;
    for (char c : text) {
        int v = -1;
        if (c >= '0' && c <= '9')
            v = c - '0';
        else if (c >= 'A' && c <= 'F')
            v = c - 'A' + 10;
        if (v < 0)
            continue;
        if (pending < 0) {
            pending = v;
        } else {
            out.push_back(static_cast<std::uint8_t>(pending * 16 + v));
            pending = -1;
        }
    }
    return out;
}

inline std::vector<std::uint8_t> Text(std::string_view text) {
    return {text.begin(), text.end()};
}

} // namespace rir::sim::test
