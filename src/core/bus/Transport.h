// A byte stream to the supplies: what the bus thread needs of whatever carries its bytes. A serial
// line is one (SerialPort); a network socket to a gateway can be another, with the same bytes.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace rir {

enum class Parity { None, Even };

struct LineSettings {
    int baud = 9600;
    int dataBits = 8;
    Parity parity = Parity::None;
    int stopBits = 1;

    bool operator==(const LineSettings&) const = default;

    // Start bit, data bits, parity bit, stop bits: one character on the line.
    int bitsPerCharacter() const { return 1 + dataBits + (parity == Parity::None ? 0 : 1) + stopBits; }
};

// Why a port cannot be opened, or why an open one stopped working. The station tells the
// operator in its own words and adds the system's.
enum class PortErrorKind {
    NotFound,     // no such device: an adapter unplugged, a simulator's link gone
    NoPermission, // the user may not open it (on Linux: not in the group that owns it)
    Busy,         // another program holds it
    Removed,      // it went away while open: an i/o error, the line hung up
    Other,
};

struct PortError {
    PortErrorKind kind = PortErrorKind::Other;
    std::string detail; // the system's own text ("Permission denied"); may be empty

    bool operator==(const PortError&) const = default;
};

// One read: a byte, the read time-out with nothing, or a port that has failed (it will not
// recover by itself: the bus thread closes it and opens it afresh).
enum class ReadStatus { Byte, Timeout, Failed };

struct ReadResult {
    ReadStatus status = ReadStatus::Timeout;
    std::uint8_t byte = 0;
};

class Transport {
public:
    virtual ~Transport() = default;
    // Read and write, exclusive. False when the port cannot be opened; lastError() says why.
    virtual bool Open(const std::string& path) = 0;
    // The line's character format where there is a line; a stream without one ignores it.
    virtual void Configure(const LineSettings& settings) { (void)settings; }
    // One ReadByte waits at most totalMs for its byte.
    virtual void SetReadTimeout(int totalMs, int intervalMs) = 0;
    virtual ReadResult ReadByte() = 0;
    // At least `count` more values of the reply being read are on their way: before the next
    // ReadByte looks at the line it may let them gather, up to their time on the wire, instead of
    // waking for each. A hint only: what ReadByte returns, and when it times out, stay the same.
    virtual void ExpectValues(std::size_t count) { (void)count; }
    // Writes the low `count` bytes of value, low byte first. False when the port has failed
    // (lastError() says why); a line that merely refuses a setting still writes.
    virtual bool WriteBytes(std::uint32_t value, int count) = 0;
    // One framed request, its last `checksumBytes` the RTU checksum. By default as the supplies
    // were always written: one WriteBytes per byte, the checksum in one two-byte call (low byte
    // first). A port may send the frame in one go instead; the bytes on the line are the same,
    // only closer together. False as soon as a write fails.
    virtual bool WriteFrame(std::span<const std::uint8_t> frame, std::size_t checksumBytes) {
        const std::size_t body = frame.size() - std::min(checksumBytes, frame.size());
        for (std::size_t i = 0; i < body; ++i) {
            if (!WriteBytes(frame[i], 1))
                return false;
        }
        if (checksumBytes == 2 && frame.size() >= 2)
            return WriteBytes(frame[body] | static_cast<std::uint32_t>(frame[body + 1]) << 8, 2);
        for (std::size_t i = body; i < frame.size(); ++i) {
            if (!WriteBytes(frame[i], 1))
                return false;
        }
        return true;
    }
    // Throws away what the line holds unread, and what still comes until the line has been
    // quiet for `quiet`: the rest of a reply that began before the port was ours (a station
    // that was killed and started again), or of one that did not answer its request. Bounded:
    // a line that never falls silent does not hold the bus thread for long.
    virtual void DiscardInput(std::chrono::microseconds quiet) = 0;
    virtual void Close() = 0;
    // Why the last Open, ReadByte or WriteBytes failed.
    virtual PortError lastError() const = 0;
};

} // namespace rir
