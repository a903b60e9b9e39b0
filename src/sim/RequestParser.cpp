#include "RequestParser.h"

#include "RequestLayout.h"

namespace rir::sim {

namespace {

// Longest request the station writes (255 application bytes) with room for a second one behind
// it; older bytes beyond this are noise.
constexpr std::size_t MAX_BUFFERED_BYTES = 2 * (MAX_REQUEST_BYTES + 2);
// Characters after ':' of the longest ASCII request: hex pairs, LRC pair, CR LF.
constexpr std::size_t MAX_ASCII_LINE = 2 * MAX_REQUEST_BYTES + 4;

// The station writes uppercase digits; someone typing requests into a terminal may not. Folded
// up, a request line goes through the station's own ASCII unwrapping, so both ends agree on
// what a well-formed frame is.
int FoldedDigit(std::uint8_t c) {
    return c >= 'a' && c <= 'f' ? c - 'a' + 'A' : c;
}

bool CrcMatches(const std::vector<std::uint8_t>& buf, std::size_t start, std::size_t covered) {
    const std::uint16_t crc = Crc16(buf.data() + start, covered);
    return buf[start + covered] == (crc & 0xFF) && buf[start + covered + 1] == (crc >> 8);
}

RequestFrame MakeFrame(int address, const std::vector<std::uint8_t>& buf, std::size_t functionAt,
                       std::size_t end) {
    RequestFrame f;
    f.address = address;
    f.function = buf[functionAt];
    f.data.assign(buf.begin() + static_cast<std::ptrdiff_t>(functionAt + 1),
                  buf.begin() + static_cast<std::ptrdiff_t>(end));
    return f;
}

// Where the function code of an RS-232 request stands: first, or behind one address byte (the
// station puts one before queued commands for supplies that are not model 1, and 0 before a
// re-identification). A first byte that is itself a function code is taken as the function.
std::optional<std::size_t> Rs232FunctionIndex(const std::vector<std::uint8_t>& buf) {
    if (!buf.empty() && IsKnownFunction(buf[0]))
        return 0;
    if (buf.size() >= 2 && IsKnownFunction(buf[1]))
        return 1;
    return std::nullopt;
}

} // namespace

void RequestParser::Feed(std::span<const std::uint8_t> bytes, std::int64_t nowMs,
                         std::vector<RequestFrame>& out) {
    if (bytes.empty())
        return;
    // Bytes already waiting may have been ended by a silence nobody looked at yet.
    Expire(nowMs, out);
    lastByteAt_ = nowMs;
    silenceHandled_ = false;
    if (framing_ == Framing::Ascii) {
        for (std::uint8_t b : bytes)
            FeedAscii(b, out);
        return;
    }
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    if (framing_ == Framing::Rtu)
        ScanRtu(out);
    else
        ScanRs232(out);
    if (buffer_.size() > MAX_BUFFERED_BYTES)
        Drop(buffer_.size() - MAX_BUFFERED_BYTES);
}

void RequestParser::Drop(std::size_t count) {
    counts_.noiseBytes += static_cast<int>(count);
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(count));
}

void RequestParser::Expire(std::int64_t nowMs, std::vector<RequestFrame>& out) {
    const std::int64_t quiet = nowMs - lastByteAt_;
    switch (framing_) {
    case Framing::Ascii:
        if (inAsciiFrame_ && quiet >= STALE_FRAME_MS) {
            counts_.noiseBytes += static_cast<int>(buffer_.size() + 1);
            buffer_.clear();
            inAsciiFrame_ = false;
        }
        return;
    case Framing::Rtu:
        if (buffer_.empty())
            return;
        if (!silenceHandled_ && quiet >= FRAME_GAP_MS) {
            silenceHandled_ = true;
            ExpireRtu(out);
        }
        if (!buffer_.empty() && quiet >= STALE_FRAME_MS)
            Drop(buffer_.size());
        return;
    case Framing::Rs232:
        if (!buffer_.empty() && quiet >= FRAME_GAP_MS)
            ExpireRs232(out);
        return;
    }
}

std::optional<std::int64_t> RequestParser::Deadline() const {
    if (framing_ == Framing::Ascii)
        return inAsciiFrame_ ? std::optional(lastByteAt_ + STALE_FRAME_MS) : std::nullopt;
    if (buffer_.empty())
        return std::nullopt;
    return lastByteAt_ + (silenceHandled_ ? STALE_FRAME_MS : FRAME_GAP_MS);
}

void RequestParser::FeedAscii(std::uint8_t byte, std::vector<RequestFrame>& out) {
    if (byte == ':') {
        // A new start character resynchronises: whatever came before it was not a frame.
        if (inAsciiFrame_)
            counts_.noiseBytes += static_cast<int>(buffer_.size() + 1);
        buffer_.clear();
        inAsciiFrame_ = true;
        return;
    }
    if (!inAsciiFrame_) {
        ++counts_.noiseBytes;
        return;
    }
    buffer_.push_back(byte);
    if (byte == 0x0A) {
        EndAsciiLine(out);
        buffer_.clear();
        inAsciiFrame_ = false;
    } else if (buffer_.size() > MAX_ASCII_LINE) {
        counts_.noiseBytes += static_cast<int>(buffer_.size() + 1);
        buffer_.clear();
        inAsciiFrame_ = false;
    }
}

void RequestParser::EndAsciiLine(std::vector<RequestFrame>& out) {
    // buffer_ holds the characters after ':' up to and including LF.
    const std::size_t n = buffer_.size();
    std::vector<int> line;
    line.reserve(n + 1);
    line.push_back(':');
    for (std::uint8_t c : buffer_)
        line.push_back(FoldedDigit(c));
    const auto values = UnwrapAsciiFrame(line);
    // Address, function code and LRC at the least.
    if (!values || values->size() < 3) {
        counts_.noiseBytes += static_cast<int>(n + 1);
        return;
    }
    const std::vector<std::uint8_t> bytes(values->begin(), values->end());
    const std::size_t covered = bytes.size() - 1;
    if (Lrc(bytes.data(), covered) != bytes.back()) {
        ++counts_.badChecksums;
        return;
    }
    out.push_back(MakeFrame(bytes[0], bytes, 1, covered));
}

bool RequestParser::RtuFrameAt(std::size_t start, std::vector<RequestFrame>& out) {
    const std::size_t remaining = buffer_.size() - start;
    if (remaining < 4)
        return false;
    const int function = buffer_[start + 1];
    const DataLength length = RequestDataLength(function, std::span(buffer_).subspan(start + 2));
    if (length.kind != LengthKind::Known)
        return false;
    const std::size_t covered = 2 + length.bytes;
    if (remaining < covered + 2 || !CrcMatches(buffer_, start, covered))
        return false;
    out.push_back(MakeFrame(buffer_[start], buffer_, start + 1, start + covered));
    counts_.noiseBytes += static_cast<int>(start);
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start + covered + 2));
    return true;
}

void RequestParser::ScanRtu(std::vector<RequestFrame>& out) {
    // A complete request with a matching CRC may stand behind noise: look at every start.
    bool found = true;
    while (found && !buffer_.empty()) {
        found = false;
        for (std::size_t start = 0; start < buffer_.size() && !found; ++start)
            found = RtuFrameAt(start, out);
    }
}

void RequestParser::ExpireRtu(std::vector<RequestFrame>& out) {
    // After the silence the last two bytes should be the CRC of a frame that starts somewhere
    // in the buffer: a request of open length, or one shorter than its function's layout.
    const std::size_t n = buffer_.size();
    for (std::size_t start = 0; start + 4 <= n; ++start) {
        if (CrcMatches(buffer_, start, n - start - 2)) {
            out.push_back(MakeFrame(buffer_[start], buffer_, start + 1, n - 2));
            counts_.noiseBytes += static_cast<int>(start);
            buffer_.clear();
            return;
        }
    }
    // A request that is already as long as its layout and still fails the CRC is corrupt: a
    // slave ignores it. Anything shorter may be a request the writer paused in; keep it until
    // the rest comes or it goes stale.
    if (n >= 4) {
        const DataLength length = RequestDataLength(buffer_[1], std::span(buffer_).subspan(2));
        if (length.kind == LengthKind::Known && n >= length.bytes + 4) {
            ++counts_.badChecksums;
            buffer_.clear();
        }
    }
}

void RequestParser::ScanRs232(std::vector<RequestFrame>& out) {
    for (;;) {
        const auto functionAt = Rs232FunctionIndex(buffer_);
        if (!functionAt)
            return;
        const DataLength length =
            RequestDataLength(buffer_[*functionAt], std::span(buffer_).subspan(*functionAt + 1));
        const std::size_t end = *functionAt + 1 + length.bytes;
        if (length.kind != LengthKind::Known || buffer_.size() < end)
            return;
        out.push_back(MakeFrame(0, buffer_, *functionAt, end));
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(end));
    }
}

void RequestParser::ExpireRs232(std::vector<RequestFrame>& out) {
    // Without a checksum the silence is the only frame boundary: what came is one request, be it
    // of open length, short of its layout, or of a function the supplies do not know.
    const std::size_t functionAt = Rs232FunctionIndex(buffer_).value_or(0);
    out.push_back(MakeFrame(0, buffer_, functionAt, buffer_.size()));
    buffer_.clear();
}

} // namespace rir::sim
