// How long the supplies' replies run, function by function, as the device code registers it once
// at start-up (RegisterSupplyReplies). The bus reads lengths from here and knows no function code
// and no record layout of its own.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>

namespace rir {

// The values a module record takes, its header value included, as its header tells.
using RecordBytes = std::size_t (*)(int header);

class ReplyLengths {
public:
    // A reply to `function` carries `payload` values after its function code.
    void SetFixed(int function, std::size_t payload);
    // A reply to `function` carries `leading` values after its function code, then records, each
    // as long as `record` says of its header.
    void SetRecords(int function, std::size_t leading, RecordBytes record);

    std::optional<std::size_t> fixedPayload(int function) const;
    bool runsAsRecords(int function) const;

    // Whether a reply of `values` (address and function first) ends exactly at `end`, a count of
    // values before the checksum: after the leading values, then after each record. Only for a
    // function that runs as records.
    bool EndsAtRecord(std::span<const int> values, std::size_t end) const;
    // The shortest whole length (values before the checksum, and `checksumBytes`) that a reply of
    // which `values` have come so far can have, for a length of at least what has come; nothing
    // when its function does not tell. A reply shorter than its header has at least a header,
    // one payload value and the checksum.
    std::optional<std::size_t> LeastWholeLength(std::span<const int> values, std::size_t checksumBytes) const;

private:
    enum class Shape : unsigned char { Unknown, Fixed, Records };
    struct Entry {
        Shape shape = Shape::Unknown;
        std::size_t values = 0; // Fixed: the payload; Records: the leading values
        RecordBytes record = nullptr;
    };
    const Entry* find(int function) const;

    std::array<Entry, 256> table_{};
};

// Address and function code: the header of a reply on a bus.
inline constexpr std::size_t REPLY_HEADER_VALUES = 2;

// The lengths the station's replies run to. Empty (nothing tells any length, so every reply ends
// at the read time-out) until the device code registers them; written once, before the bus
// thread starts, and only read after.
const ReplyLengths& RegisteredReplyLengths();
// The first registration stands; later ones change nothing.
void RegisterReplyLengths(const ReplyLengths& lengths);

} // namespace rir
