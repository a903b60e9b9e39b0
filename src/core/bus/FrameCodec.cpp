#include "bus/FrameCodec.h"

#include "bus/FrameFormat.h"

#include <algorithm>
#include <array>

namespace rir {

namespace {

constexpr std::array<std::uint16_t, 256> MakeCrcTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t crc = static_cast<std::uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1u) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001u)
                             : static_cast<std::uint16_t>(crc >> 1);
        table[i] = crc;
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> CRC_TABLE = MakeCrcTable();

inline std::uint16_t CrcStep(std::uint16_t crc, std::uint8_t byte) {
    return static_cast<std::uint16_t>(CRC_TABLE[(crc ^ byte) & 0xFFu] ^ (crc >> 8));
}

bool IsUpperHexDigit(int c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

int HexValue(int c) {
    return c <= '9' ? c - '0' : c - 'A' + 10;
}

} // namespace

int UpperHexDigitValue(int c) {
    return IsUpperHexDigit(c) ? HexValue(c) : -1;
}

std::uint16_t Crc16(const std::uint8_t* data, std::size_t length) {
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < length; ++i)
        crc = CrcStep(crc, data[i]);
    return crc;
}

std::uint16_t Crc16(std::span<const std::uint8_t> data) {
    return Crc16(data.data(), data.size());
}

std::uint16_t Crc16(std::span<const int> values) {
    std::uint16_t crc = 0xFFFF;
    for (int v : values)
        crc = CrcStep(crc, static_cast<std::uint8_t>(v & 0xFF));
    return crc;
}

char HexDigit(std::uint8_t byte, bool high) {
    const int nibble = high ? (byte >> 4) : (byte & 0x0F);
    return static_cast<char>(nibble < 10 ? 0x30 + nibble : 0x37 + nibble);
}

std::uint8_t Lrc(const std::uint8_t* data, std::size_t length) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < length; ++i)
        sum += data[i];
    return static_cast<std::uint8_t>((0x100u - (sum & 0xFFu)) & 0xFFu);
}

std::uint8_t Lrc(std::span<const std::uint8_t> data) {
    return Lrc(data.data(), data.size());
}

std::uint8_t Lrc(std::span<const int> values) {
    unsigned sum = 0;
    for (int v : values)
        sum += static_cast<unsigned>(v & 0xFF);
    return static_cast<std::uint8_t>((0x100u - (sum & 0xFFu)) & 0xFFu);
}

std::vector<std::uint8_t> EncodeRequest(Framing framing, std::span<const std::uint8_t> request) {
    return FormatOf(framing).Encode(request);
}

bool HasAsciiFrameShape(std::span<const int> values) {
    const std::size_t n = values.size();
    if (n < 5 || values[0] != ':' || values[n - 2] != 0x0D || values[n - 1] != 0x0A)
        return false;
    const auto digits = values.subspan(1, n - 3);
    return digits.size() % 2 == 0 && std::all_of(digits.begin(), digits.end(), IsUpperHexDigit);
}

std::optional<std::vector<int>> UnwrapAsciiFrame(std::span<const int> values) {
    if (!HasAsciiFrameShape(values))
        return std::nullopt;
    const auto digits = values.subspan(1, values.size() - 3);
    std::vector<int> out;
    out.reserve(digits.size() / 2);
    for (std::size_t i = 0; i < digits.size(); i += 2)
        out.push_back(HexValue(digits[i]) * 16 + HexValue(digits[i + 1]));
    return out;
}

std::vector<int> AsciiUnwrap(std::span<const int> values) {
    return UnwrapAsciiFrame(values).value_or(std::vector<int>{});
}

bool ChecksumOk(Framing framing, std::span<const int> values) {
    return FormatOf(framing).ChecksumOk(values);
}

std::size_t ChecksumLength(Framing framing) {
    return FormatOf(framing).checksumLength();
}

std::optional<ReplyHeader> ReadReplyHeader(Framing framing, std::span<const int> values) {
    const std::size_t functionIndex = framing == Framing::Rs232 ? 0 : 1;
    if (values.size() <= functionIndex)
        return std::nullopt;
    ReplyHeader h;
    h.address = framing == Framing::Rs232 ? 0 : values[0];
    h.function = values[functionIndex];
    h.payloadOffset = functionIndex + 1;
    if (h.function > 0x7F) {
        h.exception = true;
        h.refusedFunction = h.function - EXCEPTION_FLAG;
        if (values.size() > h.payloadOffset)
            h.exceptionCode = values[h.payloadOffset];
    }
    return h;
}

} // namespace rir
