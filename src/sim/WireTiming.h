// How long one character takes on the line, from the speed and character format the station set.
#pragma once

#include <cstdint>

namespace rir::sim {

struct LineSettings {
    int baud = 9600;
    int dataBits = 8;
    bool parity = false;
    int stopBits = 1;
};

// Start bit, data bits, parity bit, stop bits.
int BitsPerCharacter(const LineSettings& line);
// Microseconds, rounded up; 0 for a speed that is not above zero.
std::int64_t CharacterMicros(const LineSettings& line);

} // namespace rir::sim
