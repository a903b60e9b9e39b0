#include "bus/ReplyIntake.h"

namespace rir {

namespace {

// A reply of the request's address and function alone (on a point-to-point line, where requests
// carry no address, the function alone) carries nothing: it counts as no reply.
constexpr std::size_t EMPTY_ANSWER = 2;
constexpr std::size_t EMPTY_ANSWER_RS232 = 1;

} // namespace

bool AnswersRequest(Framing framing, std::span<const int> request, int address, int function) {
    if (framing == Framing::Rs232 || request.size() < 2)
        return true;
    const int answered = function >= EXCEPTION_FLAG ? function - EXCEPTION_FLAG : function;
    return address == request[0] && answered == request[1];
}

ClassifiedReply ClassifyReply(Framing framing, const std::vector<int>& raw, const PageExists& pageExists,
                              std::span<const int> request) {
    ClassifiedReply classified;
    const bool rs232 = framing == Framing::Rs232;

    std::vector<int> values = raw;
    if (framing == Framing::Ascii && values.size() > EMPTY_ANSWER) {
        // A body that is not pairs of uppercase hex digits is noise, even when its LRC happens
        // to match: a dropped digit would otherwise shift every value after it.
        std::optional<std::vector<int>> unwrapped = UnwrapAsciiFrame(values);
        if (!unwrapped) {
            classified.kind = ReplyKind::MalformedAscii;
            classified.rawCount = raw.size();
            return classified;
        }
        values = std::move(*unwrapped);
    }
    // Two values (one on a point-to-point line) that repeat the request's address and function
    // carry nothing, whatever framing they came in: no reply. Two values that do not
    // are what a supply sent (noise, a torn frame) and are judged as a reply.
    const bool empty = values.size() == (rs232 ? EMPTY_ANSWER_RS232 : EMPTY_ANSWER) &&
                       (rs232 || request.size() < 2 || (values[0] == request[0] && values[1] == request[1]));
    if (empty) {
        classified.kind = ReplyKind::NoReply;
        classified.address = rs232 ? 0 : values[0];
        classified.function = rs232 ? values[0] : values[1];
        classified.values = std::move(values);
        return classified;
    }
    if (values.size() < EMPTY_ANSWER_RS232 + (rs232 ? 0 : 1))
        return classified; // nothing, or a lone value off a point-to-point line

    classified.address = rs232 ? 0 : values[0];
    if (!ChecksumOk(framing, values)) {
        classified.kind = ReplyKind::BadChecksum;
        classified.values = std::move(values);
        return classified;
    }
    values.resize(values.size() - ChecksumLength(framing));
    classified.values = std::move(values);
    const std::optional<ReplyHeader> header = ReadReplyHeader(framing, classified.values);
    if (!header) {
        classified.kind = ReplyKind::Short;
        return classified;
    }
    classified.function = header->function;
    if (!AnswersRequest(framing, request, classified.address, classified.function))
        classified.kind = ReplyKind::WrongAnswer;
    else
        classified.kind = pageExists(classified.address) ? ReplyKind::Valid : ReplyKind::NoPage;
    return classified;
}

ClassifiedReply NoReplyTo(Framing framing, std::span<const int> request) {
    ClassifiedReply classified;
    classified.kind = ReplyKind::NoReply;
    if (framing == Framing::Rs232) {
        classified.function = request.empty() ? 0 : request[0];
        classified.values = {classified.function};
    } else {
        classified.address = request.empty() ? 0 : request[0];
        classified.function = request.size() >= 2 ? request[1] : 0;
        classified.values = {classified.address, classified.function};
    }
    return classified;
}

bool IsCleanAnswer(Framing framing, const std::vector<int>& raw, std::span<const std::uint8_t> request) {
    if (framing == Framing::Rs232)
        return true;
    const std::vector<int> asked(request.begin(), request.end());
    return ClassifyReply(
               framing, raw, [](int) { return true; }, asked)
               .kind == ReplyKind::Valid;
}

} // namespace rir
