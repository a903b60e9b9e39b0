#include "bus/ReplyEnd.h"

#include <algorithm>
#include <optional>
#include <vector>

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

// The shortest whole length (values before the checksum, and `checksumBytes`) that a reply of
// which `values` have come so far can have, for a length of at least what has come; nothing when
// its function does not tell. A reply shorter than its header has at least a header, one payload
// byte (an exception's code, an acknowledgement's 0) and the checksum.
std::optional<std::size_t> LeastWholeLength(std::span<const int> values, std::size_t checksumBytes) {
    if (values.size() < RTU_HEADER)
        return RTU_HEADER + 1 + checksumBytes;
    const int function = values[1];
    if (const auto payload = FixedPayload(function))
        return RTU_HEADER + *payload + checksumBytes;
    if (function != FC_MODULES && function != FC_EXTENDED)
        return std::nullopt;
    // The first record boundary whose checksum would end at or after what has come. Each header
    // the walk reads lies before that end's checksum, so it has come already.
    std::size_t boundary = RTU_HEADER + 1; // the configuration byte
    while (boundary + checksumBytes < values.size())
        boundary += 1 + static_cast<std::size_t>((values[boundary] >> 4) & 0x0F);
    return boundary + checksumBytes;
}

std::size_t AsciiValuesStillDue(std::span<const int> values) {
    if (!values.empty() && values[0] != ':')
        return 0;
    // Only the whole hex pairs after the colon count; a lone digit is half of the next. Before
    // the colon, the shortest frame is still to come.
    std::vector<int> decoded;
    for (std::size_t i = 1; i + 1 < values.size(); i += 2) {
        const int high = UpperHexDigitValue(values[i]);
        const int low = UpperHexDigitValue(values[i + 1]);
        if (high < 0 || low < 0)
            return 0; // malformed, or the CR has come: the read time-out or CR LF decides
        decoded.push_back(high * 16 + low);
    }
    if (!values.empty() && values.size() % 2 == 0 && UpperHexDigitValue(values.back()) < 0)
        return 0;
    const auto least = LeastWholeLength(decoded, 1); // the LRC
    if (!least)
        return 0;
    // The colon, two digits a value, CR LF.
    const std::size_t characters = 1 + 2 * *least + 2;
    return characters > values.size() ? characters - values.size() : 0;
}

} // namespace

std::size_t ValuesStillDue(Framing framing, std::span<const int> values) {
    switch (framing) {
    case Framing::Rtu: {
        const auto least = LeastWholeLength(values, RTU_CRC);
        return least && *least > values.size() ? *least - values.size() : 0;
    }
    case Framing::Ascii:
        return AsciiValuesStillDue(values);
    case Framing::Rs232:
        return 0;
    }
    return 0;
}

namespace {

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
    const long long bits = line.bitsPerCharacter();
    // 3.5 characters are 7 half characters: 7 x bits x 1 000 000 / (2 x baud) microseconds,
    // rounded up.
    const long long numerator = 7 * bits * 1000000;
    const long long divisor = 2LL * line.baud;
    const std::chrono::microseconds gap((numerator + divisor - 1) / divisor);
    return std::max(gap, MIN_QUIET_GAP);
}

} // namespace rir
