// The chart saved as a picture for a report: the item of the chart's context menu, the save
// dialog's filter, the file name it proposes, the picture itself (the chart with the supply, the
// day and the clock times along its time axis) and the message for a picture that could not be
// written.
#pragma once

#include "chart/ChartSample.h"
#include "chart/ChartScene.h"
#include "chart/DrawChart.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rir {

inline constexpr std::string_view CHART_SAVE_PICTURE_ITEM = "Сохранить график в PNG...";
inline constexpr std::string_view CHART_PICTURE_FILTER = "Рисунок PNG (*.png)";
// Added by the dialog to a name typed without it.
inline constexpr std::string_view CHART_PICTURE_SUFFIX = "png";

// The local calendar date of a stamp; none where the platform cannot convert it.
std::optional<std::chrono::year_month_day> LocalDate(StampTime when);

// The proposed file name: the supply as its tab names it and the day, so that the pictures of
// one shop's supplies sort by supply and then by date: "rir-15-2026-12-09.png", the second
// channel "rir-20_2-2026-12-09.png"; without a valid date "rir-15.png".
std::string ChartPictureName(int address, int channel, std::optional<std::chrono::year_month_day> date);

// The bands the picture adds to the chart: a heading above, the clock times below.
inline constexpr int PICTURE_HEADING_HEIGHT = 20;
inline constexpr int PICTURE_CLOCK_HEIGHT = 20;

// The picture for a report: `chart` (the drawing as the page shows it) under a heading that names
// the supply as its tab does and the day ("#15, 09.12.2026"; the supply alone without a valid
// date), and over a band of clock times ("14:30:05", local) at the marks, each under a tick where
// it stands on the time axis. A mark too close to the one before it, or whose time would not fit
// inside the picture, is left out.
ChartScene ChartPictureScene(const ChartScene& chart, std::string_view supply,
                             std::optional<std::chrono::year_month_day> date, std::vector<ClockMark> marks);

// "14:30:05": a stamp's local time of day; "" where the platform cannot convert it.
std::string ClockText(StampTime at);

// "Не удалось сохранить график в файл /home/op/rir-15-2026-12-09.png!"; path in UTF-8.
std::string ChartPictureFailedText(std::string_view path);

} // namespace rir
