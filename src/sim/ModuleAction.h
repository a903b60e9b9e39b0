// What a module asks of the supply's output when one of its events fires, and the byte helpers
// the modules share to write their records.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace rir::sim {

enum class ModuleAction {
    None,
    SwitchOff,     // the timer ran out or the dose is complete, in the modes that switch off
    ReduceCurrent, // the same in the modes that go on at a tenth of the current
};

// Record header: low nibble the record type, high nibble the number of data bytes.
inline std::uint8_t RecordHeader(int type, std::size_t dataBytes) {
    return static_cast<std::uint8_t>(((dataBytes & 0x0F) << 4) | (type & 0x0F));
}

// Big-endian, as every multi-byte number in a payload.
inline void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF));
}

inline std::uint32_t GetBigEndian(std::span<const std::uint8_t> in, std::size_t offset, std::size_t bytes) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < bytes; ++i)
        v = (v << 8) | in[offset + i];
    return v;
}

} // namespace rir::sim
