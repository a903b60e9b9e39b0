#include "bus/ReplyEnd.h"

#include <algorithm>
#include <optional>

namespace rir {

namespace {

// Address and function code.
constexpr std::size_t RTU_HEADER = 2;
constexpr std::size_t RTU_CRC = 2;

// Payload length of an RTU reply whose length its function tells; nothing for module data,
// acknowledgements and functions the supplies do not send.
std::optional<std::size_t> FixedPayload(int function) {
    if (function > 0x7F)
        return EXCEPTION_PAYLOAD_BYTES;
    switch (function) {
    case FC_IDENTIFY:
        return IDENTIFY_PAYLOAD_BYTES;
    case FC_MEASURE:
        return MEASURE_PAYLOAD_BYTES;
    case FC_CONTROL:
        return CONTROL_PAYLOAD_BYTES;
    default:
        return std::nullopt;
    }
}

// Whether `end` (a count of values before the checksum) is where a record ends: after the
// configuration byte, then after each record's header and the data bytes its high nibble
// counts. Acknowledgements, whose payload nothing else reads, are taken the same way; one that
// ends elsewhere ends at the read time-out.
bool IsRecordBoundary(std::span<const int> values, std::size_t end) {
    std::size_t boundary = RTU_HEADER + 1; // the configuration byte
    while (boundary < end) {
        const int header = values[boundary];
        boundary += 1 + static_cast<std::size_t>((header >> 4) & 0x0F);
    }
    return boundary == end;
}

bool RtuComplete(std::span<const int> values) {
    const std::size_t n = values.size();
    if (n < RTU_HEADER + RTU_CRC)
        return false;
    const int function = values[1];
    const std::size_t end = n - RTU_CRC;
    if (const auto payload = FixedPayload(function)) {
        if (end != RTU_HEADER + *payload)
            return false;
    } else if (function == FC_MODULES || function == FC_EXTENDED) {
        if (!IsRecordBoundary(values, end))
            return false;
    } else {
        return false;
    }
    return ChecksumOk(Framing::Rtu, values);
}

bool AsciiComplete(std::span<const int> values) {
    const std::size_t n = values.size();
    if (n < 2 || values[n - 2] != 0x0D || values[n - 1] != 0x0A)
        return false;
    const auto unwrapped = UnwrapAsciiFrame(values);
    // Address, function code and LRC at the least.
    return unwrapped && unwrapped->size() >= 3 && ChecksumOk(Framing::Ascii, *unwrapped);
}

} // namespace

bool ReplyIsComplete(Framing framing, std::span<const int> values) {
    switch (framing) {
    case Framing::Rtu:
        return RtuComplete(values);
    case Framing::Ascii:
        return AsciiComplete(values);
    case Framing::Rs232:
        return false;
    }
    return false;
}

std::chrono::microseconds QuietGap(const LineSettings& line) {
    if (line.baud <= 0)
        return MIN_QUIET_GAP;
    const long long bits = 1 + line.dataBits + (line.parity == Parity::None ? 0 : 1) + line.stopBits;
    // 3.5 characters are 7 half characters: 7 x bits x 1 000 000 / (2 x baud) microseconds,
    // rounded up.
    const long long numerator = 7 * bits * 1000000;
    const long long divisor = 2LL * line.baud;
    const std::chrono::microseconds gap((numerator + divisor - 1) / divisor);
    return std::max(gap, MIN_QUIET_GAP);
}

} // namespace rir
