#include "chart/ChartReadouts.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

ChartSample Sample(int time, int currLimit, int voltLimit, int output, int voltMeas, int currMeas,
                   bool voltReg) {
    ChartSample s(time, currLimit, voltLimit, output, std::nullopt);
    s.voltMeas = voltMeas;
    s.currMeas = currMeas;
    s.voltRegulation = voltReg;
    return s;
}

TEST(ChartReadoutsTest, Texts) {
    const ChartUnits oneDecimal{100, 100, false};
    const ChartUnits threeDecimals{100, 1000, true};
    const struct {
        const char* name;
        ChartSample sample;
        CursorKind kind;
        int entry;
        bool program;
        int duration, chartClock, elapsed;
        ChartUnits units;
        const char* limits;
        const char* values;
    } table[] = {
        {"recorded, on, voltage regulation", Sample(42, 2000, 1600, 1, 1500, 1234, true), CursorKind::Second,
         42, false, 0, 100, 100, oneDecimal,
         "\nЛимит тока: 20.0 ампер;\nЛимит напряжения: 16.0 вольт;\nВключен блок: да;",
         "Время: 42 / 100 с;\nТок: 12.3 ампер;\nНапряжение: 15.0 вольт;\nРежим стаб: напряжения;"},
        {"recorded, off", Sample(42, 2000, 1600, 0, 1500, 1234, true), CursorKind::Second, 42, false, 0, 100,
         100, oneDecimal, "\nЛимит тока: 20.0 ампер;\nЛимит напряжения: 16.0 вольт;\nВключен блок: нет;",
         "Время: 42 / 100 с;\nТок: 12.3 ампер;\nНапряжение: 15.0 вольт;\nРежим стаб: --;"},
        {"current regulation, three decimals", Sample(7, 1500, 1234, 1, 1266, 1234, false),
         CursorKind::Second, 7, false, 0, 9, 9, threeDecimals,
         "\nЛимит тока: 1.500 ампер;\nЛимит напряжения: 12.3 вольт;\nВключен блок: да;",
         "Время: 7 / 9 с;\nТок: 1.234 ампер;\nНапряжение: 12.7 вольт;\nРежим стаб: тока;"},
        {"recording, not reached yet", Sample(100, 0, 0, 0, 0, 0, true), CursorKind::Second, 100, false, 0,
         50, 50, oneDecimal, "\nЛимит тока: --;\nЛимит напряжения: --;\nВключен блок: --",
         "Время: -- / 50 с;\nТок: --\nНапряжение: --\nРежим стаб: --"},
        {"recording, the latest second", Sample(50, 1000, 1200, 1, 1100, 990, false), CursorKind::Second, 50,
         false, 0, 50, 50, oneDecimal,
         "\nЛимит тока: 10.0 ампер;\nЛимит напряжения: 12.0 вольт;\nВключен блок: да;",
         "Время: 50 / 50 с;\nТок: 9.9 ампер;\nНапряжение: 11.0 вольт;\nРежим стаб: тока;"},
        {"recorded minute 3", Sample(3, 1000, 1200, 1, 1100, 990, true), CursorKind::Minute, 3, false, 0, 250,
         250, oneDecimal, "\nЛимит тока: 10.0 ампер;\nЛимит напряжения: 12.0 вольт;\nВключен блок: да;",
         "Время: 180 / 250 с;\nТок: 9.9 ампер;\nНапряжение: 11.0 вольт;\nРежим стаб: напряжения;"},
        {"program, past second", Sample(30, 150, 1200, 1, 1190, 149, false), CursorKind::Second, 30, true,
         300, 40, 40, oneDecimal,
         "\nЛимит тока: 1.5 ампер;\nЛимит напряжения: 12.0 вольт;\nВключен блок: да;",
         "Время: 30 / 300 с;\nТок: 1.5 ампер;\nНапряжение: 11.9 вольт;\nРежим стаб: тока;"},
        {"program, planned second", Sample(55, 150, 1200, 1, 0, 0, true), CursorKind::Second, 55, true, 300,
         40, 40, oneDecimal, "\nЛимит тока: 1.5 ампер;\nЛимит напряжения: 12.0 вольт;\nВключен блок: да;",
         "Время: 55 / 300 с;\nТок: --\nНапряжение: --\nРежим стаб: --"},
        {"program, planned minute", Sample(4, 150, 1200, 0, 0, 0, true), CursorKind::Minute, 4, true, 300,
         130, 130, oneDecimal, "\nЛимит тока: 1.5 ампер;\nЛимит напряжения: 12.0 вольт;\nВключен блок: нет;",
         "Время: 240 / 300 с;\nТок: --\nНапряжение: --\nРежим стаб: --"},
        {"program, present minute", Sample(2, 150, 1200, 1, 1190, 149, true), CursorKind::Minute, 2, true,
         300, 130, 130, oneDecimal,
         "\nЛимит тока: 1.5 ампер;\nЛимит напряжения: 12.0 вольт;\nВключен блок: да;",
         "Время: 120 / 300 с;\nТок: 1.5 ампер;\nНапряжение: 11.9 вольт;\nРежим стаб: напряжения;"},
        {"a broken scale of 0 reads as 1", Sample(1, 3, 12, 1, 12, 3, true), CursorKind::Second, 1, false, 0,
         1, 1, ChartUnits{0, 0, false},
         "\nЛимит тока: 3.0 ампер;\nЛимит напряжения: 12.0 вольт;\nВключен блок: да;",
         "Время: 1 / 1 с;\nТок: 3.0 ампер;\nНапряжение: 12.0 вольт;\nРежим стаб: напряжения;"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.name);
        const ReadoutTexts t = ComposeReadouts({row.sample, row.kind, row.entry, row.program, row.duration,
                                                row.chartClock, row.elapsed, row.units});
        EXPECT_EQ(t.limits, row.limits);
        EXPECT_EQ(t.values, row.values);
    }
}

// A second is ahead past the elapsed seconds; a minute past the elapsed minutes.
TEST(ChartReadoutsTest, Ahead) {
    const struct {
        CursorKind kind;
        int entry, elapsed;
        bool ahead;
    } table[] = {
        {CursorKind::Second, 51, 50, true},    {CursorKind::Second, 50, 50, false},
        {CursorKind::Second, 179, 300, false}, {CursorKind::Minute, 1, 59, true},
        {CursorKind::Minute, 1, 60, false},    {CursorKind::Minute, 5, 120, true},
        {CursorKind::Minute, 0, 0, false},
    };
    for (const auto& row : table)
        EXPECT_EQ(ReadoutAhead(row.kind, row.entry, row.elapsed), row.ahead)
            << row.entry << " at " << row.elapsed;
}

} // namespace
} // namespace rir
