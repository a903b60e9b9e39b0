#include "chart/ChartPicture.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <type_traits>

namespace rir {

namespace {

// Years the name writes as four digits; the platform's calendar reaches further, a file name
// has no use for it.
constexpr int FIRST_YEAR = 1;
constexpr int LAST_YEAR = 9999;

// A clock time in the chart font is about 45 pixels wide ("14:30:05", 8 characters).
constexpr int CLOCK_TEXT_WIDTH = 48;
constexpr int TEXT_LEFT = 4;
constexpr int TICK_LENGTH = 3;

// Every primitive of the chart moved down by `dy` pixels.
ChartPrimitive MovedDown(ChartPrimitive item, int dy) {
    std::visit(
        [dy](auto& p) {
            using P = std::decay_t<decltype(p)>;
            if constexpr (std::is_same_v<P, ChartLine>) {
                p.from.y += dy;
                p.to.y += dy;
            } else if constexpr (std::is_same_v<P, ChartPolyline> || std::is_same_v<P, ChartStepLine>) {
                for (ChartPoint& point : p.points)
                    point.y += dy;
            } else if constexpr (std::is_same_v<P, ChartText>) {
                p.at.y += dy;
            } else {
                p.top += dy;
                p.bottom += dy;
            }
        },
        item);
    return item;
}

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

std::string ClockText(StampTime at) {
    const std::time_t t = std::chrono::system_clock::to_time_t(at);
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr)
        return {};
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

ChartScene ChartPictureScene(const ChartScene& chart, std::string_view supply,
                             std::optional<std::chrono::year_month_day> date, std::vector<ClockMark> marks) {
    ChartScene picture;
    picture.width = chart.width;
    picture.height = PICTURE_HEADING_HEIGHT + chart.height + PICTURE_CLOCK_HEIGHT;
    std::string heading(supply);
    if (date && date->ok() && static_cast<int>(date->year()) >= FIRST_YEAR &&
        static_cast<int>(date->year()) <= LAST_YEAR) {
        char day[24];
        std::snprintf(day, sizeof day, ", %02u.%02u.%04d", static_cast<unsigned>(date->day()),
                      static_cast<unsigned>(date->month()), static_cast<int>(date->year()));
        heading += day;
    }
    picture.items.reserve(chart.items.size() + 2 * marks.size() + 1);
    picture.items.emplace_back(ChartText{COLOUR_BLACK, {TEXT_LEFT, 3}, std::move(heading)});
    for (const ChartPrimitive& item : chart.items)
        picture.items.push_back(MovedDown(item, PICTURE_HEADING_HEIGHT));

    std::stable_sort(marks.begin(), marks.end(),
                     [](const ClockMark& a, const ClockMark& b) { return a.x < b.x; });
    const int top = PICTURE_HEADING_HEIGHT + chart.height;
    std::optional<int> lastX;
    for (const ClockMark& mark : marks) {
        const int left = mark.x - CLOCK_TEXT_WIDTH / 2;
        if (left < 0 || left + CLOCK_TEXT_WIDTH > picture.width)
            continue;
        if (lastX && mark.x - *lastX < CLOCK_MARK_SPACING)
            continue;
        std::string text = ClockText(mark.at);
        if (text.empty())
            continue;
        lastX = mark.x;
        picture.items.emplace_back(ChartLine{ChartPen::Black, {mark.x, top}, {mark.x, top + TICK_LENGTH}});
        picture.items.emplace_back(
            ChartText{COLOUR_BLACK, {left + 2, top + TICK_LENGTH + 1}, std::move(text)});
    }
    return picture;
}

std::string ChartPictureFailedText(std::string_view path) {
    std::string text = "Не удалось сохранить график в файл ";
    text += path;
    text += '!';
    return text;
}

} // namespace rir
