// Finds the station's request frames in the bytes that arrive on the line, in any of the three
// framings, and drops what is not a valid request.
//
// MODBUS-ASCII frames run from ':' to LF. MODBUS-RTU and RS-232 frames have no start or end
// character: a request ends when as many bytes have come as its function code (and, for
// FC_EXTENDED, its settings block) asks for and, in RTU, its CRC matches; requests whose length
// the bytes do not tell end with the silence that follows them, since the station writes a
// request as one burst and then waits for the answer.
#pragma once

#include "bus/FrameCodec.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace rir::sim {

struct RequestFrame {
    int address = 0; // 0 in RS-232 framing, whose requests need carry no address
    int function = 0;
    std::vector<std::uint8_t> data;
};

// Silence after which an RTU or RS-232 request whose length is open is taken as complete. The
// station writes a request in one burst and then waits at least 2 x 25 ms for the first byte of
// the answer, so the answer still comes in time.
inline constexpr std::int64_t FRAME_GAP_MS = 20;
// Silence after which an unfinished frame is given up (the Modbus inter-character limit of
// MODBUS-ASCII; used for RTU remains too).
inline constexpr std::int64_t STALE_FRAME_MS = 1000;

struct ParserCounts {
    int badChecksums = 0; // frames whose CRC or LRC did not match, dropped without an answer
    int noiseBytes = 0;   // bytes outside any frame, dropped
};

class RequestParser {
public:
    explicit RequestParser(Framing framing) : framing_(framing) {}

    // Bytes that arrived at `nowMs`; the requests they complete are appended to `out`.
    void Feed(std::span<const std::uint8_t> bytes, std::int64_t nowMs, std::vector<RequestFrame>& out);
    // No bytes came until `nowMs`: requests ended by the silence are appended to `out`.
    void Expire(std::int64_t nowMs, std::vector<RequestFrame>& out);
    // The time at which Expire next has something to decide; nothing while the buffer is empty.
    std::optional<std::int64_t> Deadline() const;

    const ParserCounts& Counts() const { return counts_; }
    Framing framing() const { return framing_; }

private:
    void FeedAscii(std::uint8_t byte, std::vector<RequestFrame>& out);
    void EndAsciiLine(std::vector<RequestFrame>& out);
    void ScanRtu(std::vector<RequestFrame>& out);
    bool RtuFrameAt(std::size_t start, std::vector<RequestFrame>& out);
    void ExpireRtu(std::vector<RequestFrame>& out);
    void ScanRs232(std::vector<RequestFrame>& out);
    void ExpireRs232(std::vector<RequestFrame>& out);
    void Drop(std::size_t count);

    Framing framing_;
    std::vector<std::uint8_t> buffer_;
    bool inAsciiFrame_ = false;
    bool silenceHandled_ = false; // the gap has passed over the bytes now buffered
    std::int64_t lastByteAt_ = 0;
    ParserCounts counts_;
};

} // namespace rir::sim
