#include "device/Payloads.h"

#include "bus/ReplyLengths.h"

#include <cstdint>

namespace rir {

int BigEndian(std::span<const int> values, std::size_t offset, std::size_t count) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < count; ++i)
        v = (v << 8) | static_cast<std::uint32_t>(values[offset + i] & 0xFF);
    return static_cast<int>(v);
}

std::optional<IdentifyPayload> ParseIdentify(std::span<const int> p) {
    if (p.size() < IDENTIFY_PAYLOAD_BYTES)
        return std::nullopt;
    IdentifyPayload r;
    r.model = p[0] & 0xFF;
    r.voltMax = BigEndian(p, 1, 2);
    r.voltLimit = BigEndian(p, 3, 2);
    r.voltCode = p[5] & 0xFF;
    r.currMax = BigEndian(p, 6, 2);
    r.currLimit = BigEndian(p, 8, 2);
    r.currCode = p[10] & 0xFF;
    return r;
}

std::optional<MeasurePayload> ParseMeasure(std::span<const int> p) {
    if (p.size() < MEASURE_PAYLOAD_BYTES)
        return std::nullopt;
    MeasurePayload r;
    r.voltMeas = BigEndian(p, 0, 2);
    r.voltLimit = BigEndian(p, 2, 2);
    r.currMeas = BigEndian(p, 4, 2);
    r.currLimit = BigEndian(p, 6, 2);
    r.status = p[8] & 0xFF;
    return r;
}

std::optional<ControlReplyPayload> ParseControlReply(std::span<const int> p) {
    if (p.size() < CONTROL_PAYLOAD_BYTES)
        return std::nullopt;
    ControlReplyPayload r;
    r.voltLimit = BigEndian(p, 0, 2);
    r.currLimit = BigEndian(p, 2, 2);
    r.status = p[4] & 0xFF;
    return r;
}

namespace {

// One record's data bytes, already known to lie inside the payload.
std::optional<ModuleRecord> DecodeRecord(int type, std::span<const int> d) {
    switch (type) {
    case RECORD_TIMER: {
        if (d.empty())
            return std::nullopt;
        TimerRecord t;
        const int flags = d[0] & 0xFF;
        t.timerMode = flags & 0x03;
        t.timerResetOnOff = (flags & 0x40) == 0 ? 1 : 0;
        t.timerNegative = (flags & 0x80) != 0 ? 1 : 0;
        t.timerValue = BigEndian(d, 1, d.size() - 1);
        return t;
    }
    case RECORD_COUNTER: {
        if (d.size() < 9)
            return std::nullopt;
        CounterRecord c;
        const int flags = d[0] & 0xFF;
        c.doseActive = (flags & 0x40) != 0;
        c.counterUnits = (flags & 0x20) != 0 ? 2 : (flags & 0x80) != 0 ? 1 : 0;
        c.counterSelect = flags & 0x03;
        c.counterMode = d[1] & 0xFF;
        c.counterResetOnOff = (c.counterMode & 0x40) == 0 ? 1 : 0;
        c.counterTotal = BigEndian(d, 2, 4);
        c.counterDaily = BigEndian(d, 6, 3);
        return c;
    }
    case RECORD_REVERSE: {
        if (d.size() < 9)
            return std::nullopt;
        ReverseRecord r;
        r.reversePhase = (d[0] & 0x04) != 0;
        r.revFwdCurrent = BigEndian(d, 1, 2);
        r.revBackCurrent = BigEndian(d, 3, 2);
        r.revFwdTime = BigEndian(d, 5, 2);
        r.revBackTime = BigEndian(d, 7, 2);
        return r;
    }
    case RECORD_WATT: {
        if (d.size() < 2)
            return std::nullopt;
        return WattRecord{BigEndian(d, 0, 2)};
    }
    case RECORD_CHANNEL_B: {
        const auto m = ParseMeasure(d);
        if (!m)
            return std::nullopt;
        return ChannelBRecord{*m};
    }
    case RECORD_THERMO: {
        if (d.size() < 6)
            return std::nullopt;
        ThermoRecord t;
        t.tempRaw = BigEndian(d, 0, 2);
        t.thermoMode = d[2] & 0xFF;
        t.tempTargetRaw = BigEndian(d, 3, 2);
        t.tempDeltaRaw = d[5] & 0xFF;
        return t;
    }
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<ModulesPayload> ParseModules(std::span<const int> p) {
    if (p.empty())
        return std::nullopt;
    ModulesPayload r;
    r.config = p[0] & 0xFF;
    std::size_t pos = 1;
    // A lone byte at the end cannot be a record: records are read while two bytes remain.
    while (p.size() - pos >= 2) {
        const int header = p[pos] & 0xFF;
        const int type = ModuleRecordType(header);
        const std::size_t length = ModuleRecordBytes(header) - 1;
        if (length > p.size() - pos - 1) {
            r.truncated = true;
            break;
        }
        const auto record = DecodeRecord(type, p.subspan(pos + 1, length));
        if (record)
            r.records.push_back(*record);
        else
            ++r.skipped;
        pos += 1 + length;
    }
    return r;
}

void RegisterSupplyReplies() {
    ReplyLengths lengths;
    lengths.SetFixed(FC_IDENTIFY, IDENTIFY_PAYLOAD_BYTES);
    lengths.SetFixed(FC_MEASURE, MEASURE_PAYLOAD_BYTES);
    lengths.SetFixed(FC_CONTROL, CONTROL_PAYLOAD_BYTES);
    // The configuration byte, then the records.
    lengths.SetRecords(FC_MODULES, 1, ModuleRecordBytes);
    lengths.SetRecords(FC_EXTENDED, 1, ModuleRecordBytes);
    // Every exception reply carries its code alone.
    for (int function = EXCEPTION_FLAG; function <= 0xFF; ++function)
        lengths.SetFixed(function, EXCEPTION_PAYLOAD_BYTES);
    RegisterReplyLengths(lengths);
}

} // namespace rir
