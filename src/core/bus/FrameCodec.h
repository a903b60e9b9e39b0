// The wire format: CRC-16 and LRC, ASCII hex frames, reading a reply's header, and the framings'
// rules by their Framing value (each framing's own object is in FrameFormat.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "bus/Framing.h"

namespace rir {

// The supplies' own function codes; the letter is the byte's ASCII character.
inline constexpr int FC_IDENTIFY = 0x41; // 'A'
inline constexpr int FC_MEASURE = 0x42;  // 'B'
inline constexpr int FC_CONTROL = 0x43;  // 'C'
inline constexpr int FC_MODULES = 0x44;  // 'D'
inline constexpr int FC_EXTENDED = 0x45; // 'E'
inline constexpr int EXCEPTION_FLAG = 0x80;

inline constexpr std::size_t MAX_REQUEST_BYTES = 255;

// Standard Modbus CRC-16 (reflected 0xA001, start 0xFFFF, no final inversion), table driven.
std::uint16_t Crc16(const std::uint8_t* data, std::size_t length);
std::uint16_t Crc16(std::span<const std::uint8_t> data);
// The same over reply values (each taken as a byte).
std::uint16_t Crc16(std::span<const int> values);

// One uppercase hex digit of a byte: its high nibble when `high`, else its low nibble.
char HexDigit(std::uint8_t byte, bool high);
// The value of an uppercase hex digit as the supplies send them; -1 for any other value.
int UpperHexDigitValue(int c);

// Two's complement of the 8-bit sum.
std::uint8_t Lrc(const std::uint8_t* data, std::size_t length);
std::uint8_t Lrc(std::span<const std::uint8_t> data);
std::uint8_t Lrc(std::span<const int> values);

// The bytes that go on the wire for one request (application bytes without framing).
std::vector<std::uint8_t> EncodeRequest(Framing framing, std::span<const std::uint8_t> request);

// A well-formed ASCII reply: ':', then an even, non-zero number of uppercase hex digits, then
// CR LF. Anything else (a lowercase or foreign character, an odd count where a digit was lost on
// the line, an empty body) is thrown away whole: read as pairs, a lost digit shifts every byte
// after it, and one time in 256 the shifted bytes still pass the LRC.
bool HasAsciiFrameShape(std::span<const int> values);

// The values of a well-formed ASCII reply: each pair of digits one byte, high nibble first,
// without the ':' and the CR LF; the LRC stays as the last value. Nothing for a reply that is
// not well-formed (HasAsciiFrameShape false).
std::optional<std::vector<int>> UnwrapAsciiFrame(std::span<const int> values);

// UnwrapAsciiFrame for a caller that has checked HasAsciiFrameShape: empty when the reply is
// not well-formed.
std::vector<int> AsciiUnwrap(std::span<const int> values);

// Checksum test of a reply of at least two values (after ASCII unwrapping).
bool ChecksumOk(Framing framing, std::span<const int> values);

// Number of trailing checksum values in a valid reply of this framing.
std::size_t ChecksumLength(Framing framing);

// Address, function and exception of a valid reply without its checksum.
struct ReplyHeader {
    int address = 0;  // 0 in RS-232 mode, where replies carry no address
    int function = 0; // as received; above 127 for an exception reply
    std::size_t payloadOffset = 0;
    bool exception = false;
    int refusedFunction = 0;          // function - 0x80 for an exception reply
    std::optional<int> exceptionCode; // the byte after the function code; none when the reply stops short
};

// Nothing when the reply is too short to hold a function code.
std::optional<ReplyHeader> ReadReplyHeader(Framing framing, std::span<const int> values);

} // namespace rir
