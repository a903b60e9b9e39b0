// The chart saved as a picture for a report: the item of the chart's context menu, the save
// dialog's filter, the file name it proposes and the message for a picture that could not be
// written.
#pragma once

#include "chart/ChartSample.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

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

// "Не удалось сохранить график в файл /home/op/rir-15-2026-12-09.png!"; path in UTF-8.
std::string ChartPictureFailedText(std::string_view path);

} // namespace rir
