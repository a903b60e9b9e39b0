// A loaded program rendered into the chart history before it runs, so that the chart shows the
// plan ahead; the caption above the chart; the second at which a run ends.
#pragma once

#include "chart/ChartSample.h"
#include "chart/ChartState.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rir {

inline constexpr std::string_view PROGRAM_CAPTION_FORMAT = "Файл-задача: %s";
inline constexpr std::string_view TITLED_CAPTION_FORMAT = "%s # %s";

// A minute's output counts as on when it was on for more than half of its 60 seconds.
inline constexpr int MINUTE_OUTPUT_ON_ABOVE = SECONDS_PER_MINUTE / 2;

struct ProgramPreview {
    // The plan of seconds 0 to 179 (fewer for a shorter program): limits and output held from
    // the steps, time t; only the entry for 0 carries a stamp. The runner refills it ahead.
    std::vector<ChartSample> secondsRing;
    // One entry per full minute of the plan, the minute's mean limits and its output (on when on
    // for more than 30 of its seconds); minute 0 and minute 1 both carry the first minute. No
    // measured values, no stamps. Empty for a program shorter than a minute.
    std::vector<ChartSample> minutesList;
    int duration = 0; // time of the last step in list order
};

// Renders the steps second by second from the first step's time to the last one's: at each
// second the step of that time (the last in list order when several have it) replaces the held
// values. Steps outside that span, which rows out of time order leave behind, are never reached.
// startStamp is written into the entry for second 0. No steps give an empty preview.
ProgramPreview BuildProgramPreview(const std::vector<ChartSample>& steps,
                                   std::optional<StampTime> startStamp);

// "Файл-задача: prog.csv", or "Файл-задача: prog.csv # Title" when the file has a title.
std::string ProgramCaption(std::string_view fileName, std::string_view title);

} // namespace rir
