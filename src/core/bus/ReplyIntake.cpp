#include "bus/ReplyIntake.h"

namespace rir {

namespace {

// The bus thread writes the request's address and function when nothing came back; on a
// point-to-point line, where requests carry no address, the function alone.
constexpr std::size_t NO_REPLY_MARKER = 2;
constexpr std::size_t NO_REPLY_MARKER_RS232 = 1;

} // namespace

bool AnswersRequest(Framing framing, std::span<const int> request, int address, int function) {
    if (framing == Framing::Rs232 || request.size() < 2)
        return true;
    const int answered = function >= EXCEPTION_FLAG ? function - EXCEPTION_FLAG : function;
    return address == request[0] && answered == request[1];
}

TakenReply TakeReply(Framing framing, const std::vector<int>& raw, const PageExists& pageExists,
                     std::span<const int> request) {
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
    // On a bus the marker repeats the request's address and function; two values that do not
    // are what a supply sent (noise, a torn frame) and are judged as a reply.
    const bool marker = values.size() == (rs232 ? NO_REPLY_MARKER_RS232 : NO_REPLY_MARKER) &&
                        (rs232 || request.size() < 2 || (values[0] == request[0] && values[1] == request[1]));
    if (marker) {
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
    if (!AnswersRequest(framing, request, taken.address, taken.function))
        taken.kind = ReplyKind::WrongAnswer;
    else
        taken.kind = pageExists(taken.address) ? ReplyKind::Valid : ReplyKind::NoPage;
    return taken;
}

bool IsCleanAnswer(Framing framing, const std::vector<int>& raw, std::span<const std::uint8_t> request) {
    if (framing == Framing::Rs232)
        return true;
    const std::vector<int> asked(request.begin(), request.end());
    return TakeReply(
               framing, raw, [](int) { return true; }, asked)
               .kind == ReplyKind::Valid;
}

} // namespace rir
