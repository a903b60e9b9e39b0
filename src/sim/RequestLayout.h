// How long the station's requests are: fixed per function code, and for FC_EXTENDED fixed per
// settings block. The simulator needs this to find where a request ends on a line without
// start or end characters (MODBUS-RTU and RS-232).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace rir::sim {

// Settings blocks of an FC_EXTENDED request (the byte after the configuration byte).
inline constexpr int BLOCK_TIMER = 1;
inline constexpr int BLOCK_COUNTER = 2;
inline constexpr int BLOCK_REVERSE = 3;
inline constexpr int BLOCK_CHANNEL_B = 5;
inline constexpr int BLOCK_THERMO = 6;

// Bit 7 of the configuration byte asks for a change of the module configuration.
inline constexpr int CONFIG_CHANGE_FLAG = 0x80;

// Bytes after the block id; nothing for a block the supplies do not know.
std::optional<std::size_t> SettingsBlockLength(int block);

// The five function codes the supplies answer.
bool IsKnownFunction(int function);

enum class LengthKind {
    Known, // the request carries exactly `bytes` data bytes
    Open,  // only the end of the transmission tells (unknown function, FC_EXTENDED without block)
};

struct DataLength {
    LengthKind kind = LengthKind::Open;
    std::size_t bytes = 0;
};

// The data length of a request, judged from the data bytes received so far (for FC_EXTENDED the
// block id decides; `seen` may hold more bytes than the request, or fewer).
DataLength RequestDataLength(int function, std::span<const std::uint8_t> seen);

} // namespace rir::sim
