#include "WireTiming.h"

namespace rir::sim {

int BitsPerCharacter(const LineSettings& line) {
    return 1 + line.dataBits + (line.parity ? 1 : 0) + line.stopBits;
}

std::int64_t CharacterMicros(const LineSettings& line) {
    if (line.baud <= 0)
        return 0;
    const std::int64_t bitMicros = static_cast<std::int64_t>(BitsPerCharacter(line)) * 1000000;
    return (bitMicros + line.baud - 1) / line.baud;
}

} // namespace rir::sim
