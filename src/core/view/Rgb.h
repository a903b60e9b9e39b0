// A text or pen colour as the station names it: plain red, green and blue bytes.
#pragma once

#include <cstdint>

namespace rir {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

// The two colours of the station: green for voltage, red for current. The green is darker than
// pure green so that it stays readable on a light background.
inline constexpr Rgb COLOUR_GREEN{0, 200, 0};
inline constexpr Rgb COLOUR_RED{255, 0, 0};

} // namespace rir
