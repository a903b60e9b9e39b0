#include "bus/ReplyEnd.h"

#include <algorithm>

#include "bus/FrameFormat.h"

namespace rir {

std::size_t ValuesStillDue(Framing framing, std::span<const int> values) {
    return FormatOf(framing).ValuesStillDue(values, RegisteredReplyLengths());
}

bool ReplyIsComplete(Framing framing, std::span<const int> values) {
    return FormatOf(framing).ReplyIsComplete(values, RegisteredReplyLengths());
}

std::chrono::microseconds QuietGap(const LineSettings& line) {
    if (line.baud <= 0)
        return MIN_QUIET_GAP;
    const long long bits = line.bitsPerCharacter();
    // 3.5 characters are 7 half characters: 7 x bits x 1 000 000 / (2 x baud) microseconds,
    // rounded up.
    const long long numerator = 7 * bits * 1000000;
    const long long divisor = 2LL * line.baud;
    const std::chrono::microseconds gap((numerator + divisor - 1) / divisor);
    return std::max(gap, MIN_QUIET_GAP);
}

} // namespace rir
