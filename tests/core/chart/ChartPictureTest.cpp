#include "chart/ChartPicture.h"

#include <gtest/gtest.h>

#include <ctime>

namespace rir {
namespace {

using namespace std::chrono;

// The moment a wall clock in the machine's own time zone shows, as the page's clock hands it in.
StampTime LocalMoment(int year, int month, int day, int hour, int minute, int second) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return system_clock::from_time_t(std::mktime(&local));
}

TEST(ChartPictureTest, ProposedNames) {
    const struct {
        const char* name;
        int address, channel;
        std::optional<year_month_day> date;
        const char* expected;
    } table[] = {
        {"a supply and its day", 15, 0, 2026y / December / 9d, "rir-15-2026-12-09.png"},
        {"the second channel", 20, 1, 2026y / December / 9d, "rir-20_2-2026-12-09.png"},
        {"lowest address, first day of a year", 1, 0, 2027y / January / 1d, "rir-1-2027-01-01.png"},
        {"highest address, last day of a year", 127, 0, 2026y / December / 31d, "rir-127-2026-12-31.png"},
        {"a leap day", 7, 0, 2028y / February / 29d, "rir-7-2028-02-29.png"},
        {"a year before 1000 keeps four digits", 15, 0, year(999) / March / 5d, "rir-15-0999-03-05.png"},
        {"no date", 15, 0, std::nullopt, "rir-15.png"},
        {"a day that does not exist", 15, 0, 2026y / February / 30d, "rir-15.png"},
        {"a year beyond four digits", 15, 0, year(10000) / January / 1d, "rir-15.png"},
        {"a year before the first", 15, 0, year(0) / January / 1d, "rir-15.png"},
    };
    for (const auto& row : table)
        EXPECT_EQ(ChartPictureName(row.address, row.channel, row.date), row.expected) << row.name;
}

// The day is the one the operator's clock shows, from its first second to its last.
TEST(ChartPictureTest, LocalDateOfTheWallClock) {
    const struct {
        StampTime when;
        year_month_day date;
    } table[] = {
        {LocalMoment(2026, 12, 9, 0, 0, 0), 2026y / December / 9d},
        {LocalMoment(2026, 12, 9, 23, 59, 59), 2026y / December / 9d},
        {LocalMoment(2026, 12, 31, 23, 59, 59), 2026y / December / 31d},
        {LocalMoment(2027, 1, 1, 0, 0, 0), 2027y / January / 1d},
        {LocalMoment(2028, 2, 29, 12, 0, 0), 2028y / February / 29d},
    };
    for (const auto& row : table) {
        const std::optional<year_month_day> date = LocalDate(row.when);
        ASSERT_TRUE(date.has_value());
        EXPECT_EQ(*date, row.date) << static_cast<int>(row.date.year()) << "-"
                                   << static_cast<unsigned>(row.date.month()) << "-"
                                   << static_cast<unsigned>(row.date.day());
    }
    EXPECT_EQ(ChartPictureName(15, 0, LocalDate(LocalMoment(2026, 12, 9, 14, 30, 0))),
              "rir-15-2026-12-09.png");
}

TEST(ChartPictureTest, FailureNamesTheFile) {
    EXPECT_EQ(ChartPictureFailedText("/media/cd/rir-15-2026-12-09.png"),
              "Не удалось сохранить график в файл /media/cd/rir-15-2026-12-09.png!");
}

} // namespace
} // namespace rir
