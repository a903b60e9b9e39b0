#include "RequestLayout.h"

#include "bus/FrameCodec.h"

namespace rir::sim {

std::optional<std::size_t> SettingsBlockLength(int block) {
    switch (block) {
    case BLOCK_TIMER:
        return 4; // mode and flags, seconds as 3 bytes
    case BLOCK_COUNTER:
        return 5; // flags, mode, value as 3 bytes
    case BLOCK_REVERSE:
        return 8; // forward and reverse current, forward and reverse time, 2 bytes each
    case BLOCK_CHANNEL_B:
        return 5; // the write-output payload: flags, voltage limit, current limit
    case BLOCK_THERMO:
        return 4; // mode, target (2 bytes), hysteresis
    default:
        return std::nullopt;
    }
}

bool IsKnownFunction(int function) {
    return function >= FC_IDENTIFY && function <= FC_EXTENDED;
}

DataLength RequestDataLength(int function, std::span<const std::uint8_t> seen) {
    switch (function) {
    case FC_IDENTIFY:
        return {LengthKind::Known, 1};
    case FC_MEASURE:
    case FC_MODULES:
        return {LengthKind::Known, 0};
    case FC_CONTROL:
        return {LengthKind::Known, 5};
    case FC_EXTENDED: {
        // The configuration byte alone is a complete request too, so until a known block id
        // follows it only the end of the transmission can tell.
        if (seen.size() < 2)
            return {LengthKind::Open, 0};
        const auto block = SettingsBlockLength(seen[1]);
        if (!block)
            return {LengthKind::Open, 0};
        return {LengthKind::Known, 2 + *block};
    }
    default:
        return {LengthKind::Open, 0};
    }
}

} // namespace rir::sim
