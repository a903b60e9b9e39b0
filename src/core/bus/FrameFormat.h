// One object per framing: how a request goes on the wire, how a reply's checksum is tested,
// where a reply ends, and the line's character format. Everything that differs between MODBUS-RTU,
// MODBUS-ASCII and RS-232 mode is decided here and nowhere else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "bus/Framing.h"
#include "bus/ReplyLengths.h"
#include "bus/Transport.h"

namespace rir {

class FrameFormat {
public:
    virtual ~FrameFormat() = default;

    virtual Framing framing() const = 0;
    // The bytes that go on the wire for one request (application bytes without framing).
    virtual std::vector<std::uint8_t> Encode(std::span<const std::uint8_t> request) const = 0;
    // How many of an encoded request's last bytes are its binary checksum, which the port writes
    // as one value and the log shows after the request (RTU's CRC); 0 where there is none or it
    // is part of the text.
    virtual std::size_t wireChecksumBytes() const { return 0; }
    // Number of trailing checksum values in a valid reply (after ASCII unwrapping).
    virtual std::size_t checksumLength() const = 0;
    // Checksum test of a reply (after ASCII unwrapping).
    virtual bool ChecksumOk(std::span<const int> values) const = 0;
    // Whether the values read so far are one whole reply whose checksum holds (see ReplyEnd.h).
    virtual bool ReplyIsComplete(std::span<const int> values, const ReplyLengths& lengths) const = 0;
    // The fewest values still to come before the values so far can be one whole reply.
    virtual std::size_t ValuesStillDue(std::span<const int> values, const ReplyLengths& lengths) const = 0;
    // The character format at a speed: RS-232 mode 8E1, MODBUS-ASCII 7N2, RTU 8N1.
    virtual LineSettings Line(int baud) const = 0;
    // Whether requests and replies carry the supply's address (a bus), or not (a point-to-point
    // line with one supply).
    virtual bool addressed() const { return true; }
};

const FrameFormat& FormatOf(Framing framing);

} // namespace rir
