#include "bus/FrameFormat.h"

#include "bus/FrameCodec.h"

namespace rir {

namespace {

constexpr std::size_t RTU_CRC = 2;
constexpr std::size_t ASCII_LRC = 1;

class RtuFormat final : public FrameFormat {
public:
    Framing framing() const override { return Framing::Rtu; }

    std::vector<std::uint8_t> Encode(std::span<const std::uint8_t> request) const override {
        std::vector<std::uint8_t> out(request.begin(), request.end());
        const std::uint16_t crc = Crc16(request);
        out.push_back(static_cast<std::uint8_t>(crc & 0xFF));
        out.push_back(static_cast<std::uint8_t>(crc >> 8));
        return out;
    }
    std::size_t wireChecksumBytes() const override { return RTU_CRC; }
    std::size_t checksumLength() const override { return RTU_CRC; }

    bool ChecksumOk(std::span<const int> values) const override {
        const std::size_t n = values.size();
        if (n < 3)
            return false;
        const int low = values[n - 2];
        const int high = values[n - 1];
        if (low < 0 || low > 255 || high < 0 || high > 255)
            return false;
        return Crc16(values.first(n - 2)) == low + 256 * high;
    }

    // Fixed-length replies by their length, record replies at a record boundary.
    bool ReplyIsComplete(std::span<const int> values, const ReplyLengths& lengths) const override {
        const std::size_t n = values.size();
        if (n < REPLY_HEADER_VALUES + RTU_CRC)
            return false;
        const int function = values[1];
        const std::size_t end = n - RTU_CRC;
        if (const auto payload = lengths.fixedPayload(function)) {
            if (end != REPLY_HEADER_VALUES + *payload)
                return false;
        } else if (!lengths.runsAsRecords(function) || !lengths.EndsAtRecord(values, end)) {
            return false;
        }
        return ChecksumOk(values);
    }

    std::size_t ValuesStillDue(std::span<const int> values, const ReplyLengths& lengths) const override {
        const auto least = lengths.LeastWholeLength(values, RTU_CRC);
        return least && *least > values.size() ? *least - values.size() : 0;
    }

    LineSettings Line(int baud) const override { return {baud, 8, Parity::None, 1}; }
};

class AsciiFormat final : public FrameFormat {
public:
    Framing framing() const override { return Framing::Ascii; }

    std::vector<std::uint8_t> Encode(std::span<const std::uint8_t> request) const override {
        std::vector<std::uint8_t> out;
        out.reserve(request.size() * 2 + 5);
        out.push_back(':');
        for (std::uint8_t b : request) {
            out.push_back(static_cast<std::uint8_t>(HexDigit(b, true)));
            out.push_back(static_cast<std::uint8_t>(HexDigit(b, false)));
        }
        const std::uint8_t lrc = Lrc(request);
        out.push_back(static_cast<std::uint8_t>(HexDigit(lrc, true)));
        out.push_back(static_cast<std::uint8_t>(HexDigit(lrc, false)));
        out.push_back(0x0D);
        out.push_back(0x0A);
        return out;
    }
    std::size_t checksumLength() const override { return ASCII_LRC; }

    bool ChecksumOk(std::span<const int> values) const override {
        const std::size_t n = values.size();
        if (n < 2)
            return false;
        return (values[n - 1] & 0xFF) == values[n - 1] && values[n - 1] == Lrc(values.first(n - 1));
    }

    // At CR LF, when the frame is well-formed and its LRC holds.
    bool ReplyIsComplete(std::span<const int> values, const ReplyLengths&) const override {
        const std::size_t n = values.size();
        if (n < 2 || values[n - 2] != 0x0D || values[n - 1] != 0x0A)
            return false;
        const auto unwrapped = UnwrapAsciiFrame(values);
        // Address, function code and LRC at the least.
        return unwrapped && unwrapped->size() >= 3 && ChecksumOk(*unwrapped);
    }

    std::size_t ValuesStillDue(std::span<const int> values, const ReplyLengths& lengths) const override {
        if (!values.empty() && values[0] != ':')
            return 0;
        // Only the whole hex pairs after the colon count; a lone digit is half of the next.
        // Before the colon, the shortest frame is still to come.
        std::vector<int> decoded;
        for (std::size_t i = 1; i + 1 < values.size(); i += 2) {
            const int high = UpperHexDigitValue(values[i]);
            const int low = UpperHexDigitValue(values[i + 1]);
            if (high < 0 || low < 0)
                return 0; // malformed, or the CR has come: the read time-out or CR LF decides
            decoded.push_back(high * 16 + low);
        }
        if (!values.empty() && values.size() % 2 == 0 && UpperHexDigitValue(values.back()) < 0)
            return 0;
        const auto least = lengths.LeastWholeLength(decoded, ASCII_LRC);
        if (!least)
            return 0;
        // The colon, two digits a value, CR LF.
        const std::size_t characters = 1 + 2 * *least + 2;
        return characters > values.size() ? characters - values.size() : 0;
    }

    LineSettings Line(int baud) const override { return {baud, 7, Parity::None, 2}; }
};

// One supply on the line and no checksum: nothing proves a reply whole, and nothing tells how
// much of it is still due.
class Rs232Format final : public FrameFormat {
public:
    Framing framing() const override { return Framing::Rs232; }
    std::vector<std::uint8_t> Encode(std::span<const std::uint8_t> request) const override {
        return {request.begin(), request.end()};
    }
    std::size_t checksumLength() const override { return 0; }
    bool ChecksumOk(std::span<const int> values) const override { return values.size() >= 2; }
    bool ReplyIsComplete(std::span<const int>, const ReplyLengths&) const override { return false; }
    std::size_t ValuesStillDue(std::span<const int>, const ReplyLengths&) const override { return 0; }
    LineSettings Line(int baud) const override { return {baud, 8, Parity::Even, 1}; }
    bool addressed() const override { return false; }
};

const RtuFormat RTU;
const AsciiFormat ASCII;
const Rs232Format RS232;

} // namespace

const FrameFormat& FormatOf(Framing framing) {
    switch (framing) {
    case Framing::Rtu:
        return RTU;
    case Framing::Ascii:
        return ASCII;
    case Framing::Rs232:
        return RS232;
    }
    return ASCII;
}

} // namespace rir
