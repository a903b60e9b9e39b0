#include "bus/ReplyIntake.h"

namespace rir {

namespace {

// The bus thread writes the request's address and function when nothing came back; on a
// point-to-point line, where requests carry no address, the function alone.
constexpr std::size_t NO_REPLY_MARKER = 2;
constexpr std::size_t NO_REPLY_MARKER_RS232 = 1;

} // namespace

TakenReply TakeReply(Framing framing, const std::vector<int>& raw, const PageExists& pageExists) {
    TakenReply taken;
    const bool rs232 = framing == Framing::Rs232;

    std::vector<int> values = raw;
    if (framing == Framing::Ascii && values.size() > NO_REPLY_MARKER) {
        // A body that is not pairs of uppercase hex digits is noise, even when its LRC happens
        // to match: a dropped digit would otherwise shift every value after it.
        std::optional<std::vector<int>> unwrapped = UnwrapAsciiFrame(values);
        if (!unwrapped) {
            taken.kind = ReplyKind::MalformedAscii;
            taken.rawCount = raw.size();
            return taken;
        }
        values = std::move(*unwrapped);
    }
    // Two values (one on a point-to-point line) are the marker, whatever framing they came in.
    if (values.size() == (rs232 ? NO_REPLY_MARKER_RS232 : NO_REPLY_MARKER)) {
        taken.kind = ReplyKind::NoReply;
        taken.address = rs232 ? 0 : values[0];
        taken.function = rs232 ? values[0] : values[1];
        taken.values = std::move(values);
        return taken;
    }
    if (values.size() < NO_REPLY_MARKER_RS232 + (rs232 ? 0 : 1))
        return taken; // nothing, or a lone value off a point-to-point line

    taken.address = rs232 ? 0 : values[0];
    if (!ChecksumOk(framing, values)) {
        taken.kind = ReplyKind::BadChecksum;
        taken.values = std::move(values);
        return taken;
    }
    values.resize(values.size() - ChecksumLength(framing));
    taken.values = std::move(values);
    const std::optional<ReplyHeader> header = ReadReplyHeader(framing, taken.values);
    if (!header) {
        taken.kind = ReplyKind::Short;
        return taken;
    }
    taken.function = header->function;
    taken.kind = pageExists(taken.address) ? ReplyKind::Valid : ReplyKind::NoPage;
    return taken;
}

} // namespace rir
