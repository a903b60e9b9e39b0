#include "program/ProgramPreview.h"

#include "program/ProgramLimits.h"
#include "program/ProgramReport.h"

#include <algorithm>

namespace rir {

namespace {

// Programs from the loader span at most MAX_PROGRAM_SECONDS; steps handed in from elsewhere are
// rendered no further either, so that no step list can make the preview walk for ever.
constexpr long long PREVIEW_SPAN_LIMIT = MAX_PROGRAM_SECONDS;

struct MinuteSums {
    long long currLimit = 0;
    long long voltLimit = 0;
    long long output = 0;

    ChartSample Mean(int minute) const {
        return {minute, static_cast<int>(currLimit / SECONDS_PER_MINUTE),
                static_cast<int>(voltLimit / SECONDS_PER_MINUTE), output > MINUTE_OUTPUT_ON_ABOVE ? 1 : 0,
                std::nullopt};
    }
};

} // namespace

ProgramPreview BuildProgramPreview(const std::vector<ChartSample>& steps,
                                   std::optional<StampTime> startStamp) {
    ProgramPreview preview;
    if (steps.empty())
        return preview;
    const int first = steps.front().time;
    const int last = steps.back().time;
    preview.duration = last;
    if (last < first)
        return preview;
    const long long end = std::min<long long>(last, first + PREVIEW_SPAN_LIMIT);

    // The steps the walk reaches, by time and, within a time, in list order: the last one
    // applied is the last in the list.
    std::vector<std::size_t> order;
    order.reserve(steps.size());
    for (std::size_t k = 0; k < steps.size(); ++k) {
        if (steps[k].time >= first && steps[k].time <= end)
            order.push_back(k);
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return steps[a].time < steps[b].time; });

    preview.secondsRing.reserve(
        static_cast<std::size_t>(std::min<long long>(end - first + 1, SECONDS_RING_SIZE)));
    preview.minutesList.reserve(static_cast<std::size_t>((end - first + 1) / SECONDS_PER_MINUTE + 1));
    int currLimit = 0;
    int voltLimit = 0;
    int output = 0;
    MinuteSums sums;
    std::size_t next = 0;
    for (long long s = first; s <= end; ++s) {
        const int t = static_cast<int>(s);
        for (; next < order.size() && steps[order[next]].time == t; ++next) {
            const ChartSample& step = steps[order[next]];
            currLimit = step.currLimit;
            voltLimit = step.voltLimit;
            output = step.output;
        }
        sums.currLimit += currLimit;
        sums.voltLimit += voltLimit;
        sums.output += output;
        if (t < SECONDS_RING_SIZE && preview.secondsRing.size() < static_cast<std::size_t>(SECONDS_RING_SIZE))
            preview.secondsRing.emplace_back(t, currLimit, voltLimit, output,
                                             t == 0 ? startStamp : std::optional<StampTime>());
        if (t % SECONDS_PER_MINUTE == SECONDS_PER_MINUTE - 1) {
            // The recorded history keeps two entries for its first minute (times 0 and 1); the
            // plan is laid out the same way so that both line up minute by minute.
            if (preview.minutesList.empty())
                preview.minutesList.push_back(sums.Mean(0));
            preview.minutesList.push_back(sums.Mean((t + 1) / SECONDS_PER_MINUTE));
            sums = {};
        }
    }
    return preview;
}

std::string ProgramCaption(std::string_view fileName, std::string_view title) {
    const std::string caption = FormatText(PROGRAM_CAPTION_FORMAT, {fileName});
    return title.empty() ? caption : FormatText(TITLED_CAPTION_FORMAT, {caption, title});
}

} // namespace rir
