// Reply intake: what one bus cycle brought back, before any page is touched. The station acts
// on the outcome (log line, miss, decoding); nothing here reads past the end of a reply.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "bus/FrameCodec.h"

namespace rir {

enum class ReplyKind {
    Nothing, // no values, or a lone value outside RS-232 mode: nothing to say
    // The request went unanswered (NoReplyTo), or what came is its address and function alone,
    // which carries nothing.
    NoReply,
    MalformedAscii, // no ':' ... CR LF shape, or a body that is not pairs of hex digits
    BadChecksum,
    Short,  // the checksum holds, but there is no function code after it (an RTU reply of 3 values)
    NoPage, // a whole reply from an address that has no page
    // A whole reply, but from another address or to another function than the cycle asked: a
    // reply left on the line from before (a restart, a late supply) or another supply's. Never
    // data: a miss of the supply that was asked.
    WrongAnswer,
    Valid,
};

struct ClassifiedReply {
    ReplyKind kind = ReplyKind::Nothing;
    // The reply's address (0 in RS-232 mode) for every kind that has one.
    int address = 0;
    // The function code as received (above 127 for an exception) for NoReply and Valid.
    int function = 0;
    // Valid, Short, NoPage: the values without their checksum (address at 0 and function at 1,
    // or function at 0 in RS-232 mode). BadChecksum: every value received, checksum included.
    // NoReply: the address and function asked (the function alone on a point-to-point line).
    std::vector<int> values;
    // MalformedAscii: how many values arrived.
    std::size_t rawCount = 0;
};

// Whether a page exists for a reply's address (in RS-232 mode the address is 0 and the answer
// is whether a page is selected).
using PageExists = std::function<bool(int address)>;

// `request` is what the cycle sent, without framing (address first, then the function; on a
// point-to-point line the function first). A reply is held against it on a bus: the same
// address, and the same function or its exception. On a point-to-point line there is one supply
// and no checksum to tell a stale reply by, so the reply is taken as it comes. Empty: nothing to
// hold it against (only a test hands over a reply without its request; the bus thread reads
// nothing it did not ask for).
ClassifiedReply ClassifyReply(Framing framing, const std::vector<int>& raw, const PageExists& pageExists,
                              std::span<const int> request = {});

// A cycle whose request nothing answered: its address (0 on a point-to-point line) and function.
ClassifiedReply NoReplyTo(Framing framing, std::span<const int> request);

// Whether a whole reply's header answers `request` (see ClassifyReply).
bool AnswersRequest(Framing framing, std::span<const int> request, int address, int function);

// For the bus thread, after a reply: whether the values read are one whole reply to `request`
// (its checksum holds, it answers the request), so the line holds nothing of ours unread.
// Anything else (noise, a torn or stale frame, another supply's) makes the bus thread clear the
// line before the next request. Nothing tells on a point-to-point line: always true there.
bool IsCleanAnswer(Framing framing, const std::vector<int>& raw, std::span<const std::uint8_t> request);

} // namespace rir
