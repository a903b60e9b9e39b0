// Where a reply ends when the station does not wait for the line to fall silent (fast polling),
// and how long the line then stays quiet before the next request.
#pragma once

#include <chrono>
#include <span>

#include "bus/FrameCodec.h"
#include "bus/Transport.h"

namespace rir {

// The bus thread's clock for the quiet gap.
using BusClock = std::chrono::steady_clock;

// Whether the values read so far are one whole reply whose checksum holds, so that nothing more
// belongs to it, by the lengths the device code registered (RegisteredReplyLengths):
// - MODBUS-RTU: the replies whose function fixes their length (identification, measurement,
//   output write, exception) by that length; module data and acknowledgements at a record
//   boundary (after the configuration byte, then after each record);
// - MODBUS-ASCII: at CR LF, when the frame is well-formed and its LRC holds;
// - RS-232 mode has no checksum and no end character: nothing proves a reply whole there.
// Called after every byte, so the first boundary where the checksum holds ends the reply. What
// is not complete ends at the read time-out, as it always did.
bool ReplyIsComplete(Framing framing, std::span<const int> values);

// The fewest values still to come before the values read so far can be one whole reply: what
// the reply's function tells of its length (RTU and ASCII alike), for module data the next
// record boundary; before the first value, the shortest reply. The bus thread hands it to the
// port, which may then let those characters gather on the line instead of waking for each of
// them. 0 when the reply may be whole now or when nothing tells: RS-232 mode, a function no
// length is registered for, an ASCII frame that is already malformed or has reached its CR.
// Never more than the reply still holds.
std::size_t ValuesStillDue(Framing framing, std::span<const int> values);

// What a Modbus master leaves between a reply and the next request, so that slow transceivers
// turn round and every slave sees the end of the frame: 3.5 character times at the line's speed
// and character format, never less than 1.75 ms.
inline constexpr std::chrono::microseconds MIN_QUIET_GAP{1750};
std::chrono::microseconds QuietGap(const LineSettings& line);

} // namespace rir
