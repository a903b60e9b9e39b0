// The requests a device page puts on the bus, byte by byte, as the request queue takes them:
// one value 0..255 per byte, no framing. Every builder is a pure function of the record.
#pragma once

#include "bus/RequestQueue.h"
#include "device/DeviceState.h"
#include "device/Ratings.h"

#include <optional>
#include <span>
#include <vector>

namespace rir {

// One whole command for EnqueueCommand.
using Request = std::vector<int>;

// OutputFlags of the write-output request.
inline constexpr int OUTPUT_ON = 0x01;
inline constexpr int TAKE_VOLT_LIMIT = 0x02;
inline constexpr int TAKE_CURR_LIMIT = 0x04;
inline constexpr int TAKE_OUTPUT = 0x08;

// Settings blocks of FC_EXTENDED.
inline constexpr int BLOCK_TIMER = 0x01;
inline constexpr int BLOCK_COUNTER = 0x02;
inline constexpr int BLOCK_REVERSE = 0x03;
inline constexpr int BLOCK_CHANNEL_B = 0x05;
inline constexpr int BLOCK_THERMO = 0x06;
// Set in the configuration byte when the supply is to change to that configuration.
inline constexpr int CONFIG_CHANGE = 0x80;
// The counter block that restarts a dose.
inline constexpr int DOSER_RESTART = 0x20;

// What a command asks of the bus besides its sending: a switch-off (the output flags take the
// output and leave it off) and a module configuration change let the supply settle before the
// next request, and a configuration change is followed by its identification once acknowledged.
CommandEffects EffectsOf(std::span<const int> request);

// Which limits a limit request carries; the value is what `limitsSent` remembers.
enum class LimitChoice { Voltage = 1, Current = 2, Both = 3 };

// The write-output request with the record's voltLimit and currLimit: [address] 0x43 flags
// limits for a main page, [address] 0x45 0x00 0x05 flags limits for a channel-B page. Limits are
// clamped to 16 bits and the flags to a byte, so every value is a byte.
Request WriteOutputRequest(const DeviceState& state, int outputFlags);

// A program's second as the supply is to take it: both limits and the output (flags 0x0E, plus
// 0x01 when the output is to be on), whatever the record says.
Request PlannedOutputRequest(const DeviceState& state, int voltLimit, int currLimit, bool outputOn);

// Flags 0x02, 0x04 or 0x06; the caller has parsed and clamped the limits into the record.
Request LimitsRequest(const DeviceState& state, LimitChoice which);

// The output switch: on when the record says off, off when it says on. When the reverse line is
// shown and the output goes off, a second request puts the phase times back to the first ones
// the supply reported.
std::vector<Request> ToggleOutputRequests(const DeviceState& state);

// Switches the output off; nothing while the record says it is off.
std::optional<Request> OutputOffRequest(const DeviceState& state);

// [address] 0x45 0x00 0x03, forward and reverse current, first forward and reverse phase times.
Request ReverseRestoreRequest(const DeviceState& state);

// [address] 0x45 0x00 0x02 0x20 0 0 0 0.
Request DoserRestartRequest(const DeviceState& state);

// Helpers shared by the module-settings requests. The values that go out are bytes: a quantity
// too large for its bytes is sent as the largest they hold, a negative one as 0, never as the
// low bits of something the supply did not mean.
// Model 1 sits alone on a point-to-point line and takes requests without an address byte.
void AppendAddress(Request& r, const DeviceState& state); // nothing for model 1
void AppendByte(Request& r, int value);                   // clamped to 0..255
void AppendWord(Request& r, int value);                   // clamped to 0..0xFFFF, high byte first
void AppendTriple(Request& r, int value);                 // clamped to 0..0xFFFFFF, high byte first

} // namespace rir
