// Reply intake: what one bus cycle brought back, before any page is touched. The station acts
// on the outcome (log line, miss, decoding); nothing here reads past the end of a reply.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "bus/FrameCodec.h"

namespace rir {

enum class ReplyKind {
    Nothing,        // no values, or a lone value outside RS-232 mode: nothing to say
    NoReply,        // the bus thread's marker for a request that went unanswered
    MalformedAscii, // no ':' ... CR LF shape, or a body that is not pairs of hex digits
    BadChecksum,
    Short,  // the checksum holds, but there is no function code after it (an RTU reply of 3 values)
    NoPage, // a whole reply from an address that has no page
    Valid,
};

struct TakenReply {
    ReplyKind kind = ReplyKind::Nothing;
    // The reply's address (0 in RS-232 mode) for every kind that has one.
    int address = 0;
    // The function code as received (above 127 for an exception) for NoReply and Valid.
    int function = 0;
    // Valid, Short, NoPage: the values without their checksum (address at 0 and function at 1,
    // or function at 0 in RS-232 mode). BadChecksum: every value received, checksum included.
    // NoReply: the marker.
    std::vector<int> values;
    // MalformedAscii: how many values arrived.
    std::size_t rawCount = 0;
};

// Whether a page exists for a reply's address (in RS-232 mode the address is 0 and the answer
// is whether a page is selected).
using PageExists = std::function<bool(int address)>;

TakenReply TakeReply(Framing framing, const std::vector<int>& raw, const PageExists& pageExists);

} // namespace rir
