// The payloads of the supplies' replies, read into plain values. Every reader checks the
// length first: a payload shorter than its layout gives nothing, and nothing is read past its end.
#pragma once

#include <optional>
#include <span>
#include <variant>
#include <vector>

#include "bus/FrameCodec.h"

namespace rir {

// Payload bytes after the function code of the replies whose length is fixed: identification,
// measurement, output write, exception. Module data and acknowledgements run as long as their
// records.
inline constexpr std::size_t IDENTIFY_PAYLOAD_BYTES = 11;
inline constexpr std::size_t MEASURE_PAYLOAD_BYTES = 9;
inline constexpr std::size_t CONTROL_PAYLOAD_BYTES = 5;
inline constexpr std::size_t EXCEPTION_PAYLOAD_BYTES = 1;

// A module record: its header (data bytes in the high nibble, the type in the low one), then
// its data. The values it takes on the line, its header included.
constexpr std::size_t ModuleRecordBytes(int header) {
    return 1 + static_cast<std::size_t>((header >> 4) & 0x0F);
}
constexpr int ModuleRecordType(int header) {
    return header & 0x0F;
}

// Tells the bus how long each reply runs (fixed lengths, and module data and acknowledgements as
// a configuration byte followed by records). Once, before the bus thread starts; calling it
// again changes nothing.
void RegisterSupplyReplies();

struct IdentifyPayload {
    int model = 0;
    int voltMax = 0;
    int voltLimit = 0;
    int voltCode = 0;
    int currMax = 0;
    int currLimit = 0;
    int currCode = 0;
};

struct MeasurePayload {
    int voltMeas = 0;
    int voltLimit = 0;
    int currMeas = 0;
    int currLimit = 0;
    int status = 0;
};

struct ControlReplyPayload {
    int voltLimit = 0;
    int currLimit = 0;
    int status = 0;
};

// Module record type 1.
struct TimerRecord {
    int timerMode = 0;       // flag bits 0..1
    int timerResetOnOff = 1; // flag bit 6 clear
    int timerNegative = 0;   // flag bit 7
    int timerValue = 0;      // all remaining bytes, big-endian (low 32 bits)
};

// Module record type 2.
struct CounterRecord {
    bool doseActive = false; // bit 6 of the flag byte
    int counterUnits = 0;    // 2 watt-hours (bit 5), else 1 ampere-minutes (bit 7), else 0
    int counterSelect = 0;   // bits 0..1 of the flag byte
    int counterMode = 0;
    int counterResetOnOff = 0; // bit 6 of the mode byte clear
    int counterTotal = 0;      // 32 bits
    int counterDaily = 0;      // 24 bits
};

// Module record type 3.
struct ReverseRecord {
    bool reversePhase = false; // bit 2 of the first byte
    int revFwdCurrent = 0;
    int revBackCurrent = 0;
    int revFwdTime = 0;
    int revBackTime = 0;
};

// Module record type 4.
struct WattRecord {
    int wattRaw = 0;
};

// Module record type 5: the second output channel, laid out like a measurement reply.
struct ChannelBRecord {
    MeasurePayload values;
};

// Module record type 6.
struct ThermoRecord {
    int tempRaw = 0;
    int thermoMode = 0;
    int tempTargetRaw = 0;
    int tempDeltaRaw = 0;
};

inline constexpr int RECORD_TIMER = 1;
inline constexpr int RECORD_COUNTER = 2;
inline constexpr int RECORD_REVERSE = 3;
inline constexpr int RECORD_WATT = 4;
inline constexpr int RECORD_CHANNEL_B = 5;
inline constexpr int RECORD_THERMO = 6;

using ModuleRecord =
    std::variant<TimerRecord, CounterRecord, ReverseRecord, WattRecord, ChannelBRecord, ThermoRecord>;

struct ModulesPayload {
    int config = 0;
    std::vector<ModuleRecord> records; // in order of arrival
    bool truncated = false;            // a record ran past the end; the walk stopped there
    int skipped = 0;                   // records of unknown type, or too short for their layout
};

std::optional<IdentifyPayload> ParseIdentify(std::span<const int> payload);
std::optional<MeasurePayload> ParseMeasure(std::span<const int> payload);
std::optional<ControlReplyPayload> ParseControlReply(std::span<const int> payload);
// Nothing when the payload lacks even the configuration byte.
std::optional<ModulesPayload> ParseModules(std::span<const int> payload);

// Big-endian unsigned number over `count` values starting at `offset` (each taken as a byte).
// The caller has checked the bounds.
int BigEndian(std::span<const int> values, std::size_t offset, std::size_t count);

} // namespace rir
