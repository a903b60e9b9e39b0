#include "chart/ChartPicture.h"

#include <cstdio>
#include <ctime>

namespace rir {

namespace {

// Years the name writes as four digits; the platform's calendar reaches further, a file name
// has no use for it.
constexpr int FIRST_YEAR = 1;
constexpr int LAST_YEAR = 9999;

} // namespace

std::optional<std::chrono::year_month_day> LocalDate(StampTime when) {
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr)
        return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year(local.tm_year + 1900),
                                           std::chrono::month(static_cast<unsigned>(local.tm_mon + 1)),
                                           std::chrono::day(static_cast<unsigned>(local.tm_mday))};
    if (!date.ok())
        return std::nullopt;
    return date;
}

std::string ChartPictureName(int address, int channel, std::optional<std::chrono::year_month_day> date) {
    std::string name = "rir-" + std::to_string(address);
    if (channel == 1)
        name += "_2";
    if (date && date->ok() && static_cast<int>(date->year()) >= FIRST_YEAR &&
        static_cast<int>(date->year()) <= LAST_YEAR) {
        char day[40];
        std::snprintf(day, sizeof day, "-%04d-%02u-%02u", static_cast<int>(date->year()),
                      static_cast<unsigned>(date->month()), static_cast<unsigned>(date->day()));
        name += day;
    }
    name += '.';
    name += CHART_PICTURE_SUFFIX;
    return name;
}

std::string ChartPictureFailedText(std::string_view path) {
    std::string text = "Не удалось сохранить график в файл ";
    text += path;
    text += '!';
    return text;
}

} // namespace rir
