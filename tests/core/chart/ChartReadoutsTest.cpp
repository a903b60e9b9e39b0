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
    // Each supply's own resolution: volts and amperes in hundredths, tenths or thousandths.
    const ChartUnits hundredths{100, 100};
    const ChartUnits tenths{10, 10};
    const ChartUnits smallSupply{100, 1000};
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
         42, false, 0, 100, 100, hundredths,
         "\nЛимит тока: 20.00 ампер;\nЛимит напряжения: 16.00 вольт;\nВключен блок: да;",
         "Время: 42 / 100 с;\nТок: 12.34 ампер;\nНапряжение: 15.00 вольт;\nРежим стаб: напряжения;"},
        {"recorded, off", Sample(42, 2000, 1600, 0, 1500, 1234, true), CursorKind::Second, 42, false, 0, 100,
         100, hundredths, "\nЛимит тока: 20.00 ампер;\nЛимит напряжения: 16.00 вольт;\nВключен блок: нет;",
         "Время: 42 / 100 с;\nТок: 12.34 ампер;\nНапряжение: 15.00 вольт;\nРежим стаб: --;"},
        {"a current step of 0.01 A shows 0.15 A", Sample(9, 15, 1200, 1, 1199, 15, false), CursorKind::Second,
         9, false, 0, 9, 9, hundredths,
         "\nЛимит тока: 0.15 ампер;\nЛимит напряжения: 12.00 вольт;\nВключен блок: да;",
         "Время: 9 / 9 с;\nТок: 0.15 ампер;\nНапряжение: 11.99 вольт;\nРежим стаб: тока;"},
        {"tenths", Sample(9, 15, 120, 1, 119, 15, false), CursorKind::Second, 9, false, 0, 9, 9, tenths,
         "\nЛимит тока: 1.5 ампер;\nЛимит напряжения: 12.0 вольт;\nВключен блок: да;",
         "Время: 9 / 9 с;\nТок: 1.5 ампер;\nНапряжение: 11.9 вольт;\nРежим стаб: тока;"},
        {"current regulation, thousandths of an ampere", Sample(7, 1500, 1234, 1, 1266, 1234, false),
         CursorKind::Second, 7, false, 0, 9, 9, smallSupply,
         "\nЛимит тока: 1.500 ампер;\nЛимит напряжения: 12.34 вольт;\nВключен блок: да;",
         "Время: 7 / 9 с;\nТок: 1.234 ампер;\nНапряжение: 12.66 вольт;\nРежим стаб: тока;"},
        {"recording, not reached yet", Sample(100, 0, 0, 0, 0, 0, true), CursorKind::Second, 100, false, 0,
         50, 50, hundredths, "\nЛимит тока: --;\nЛимит напряжения: --;\nВключен блок: --",
         "Время: -- / 50 с;\nТок: --\nНапряжение: --\nРежим стаб: --"},
        {"recording, the latest second", Sample(50, 1000, 1200, 1, 1100, 990, false), CursorKind::Second, 50,
         false, 0, 50, 50, hundredths,
         "\nЛимит тока: 10.00 ампер;\nЛимит напряжения: 12.00 вольт;\nВключен блок: да;",
         "Время: 50 / 50 с;\nТок: 9.90 ампер;\nНапряжение: 11.00 вольт;\nРежим стаб: тока;"},
        {"recorded minute 3", Sample(3, 1000, 1200, 1, 1100, 990, true), CursorKind::Minute, 3, false, 0, 250,
         250, hundredths, "\nЛимит тока: 10.00 ампер;\nЛимит напряжения: 12.00 вольт;\nВключен блок: да;",
         "Время: 180 / 250 с;\nТок: 9.90 ампер;\nНапряжение: 11.00 вольт;\nРежим стаб: напряжения;"},
        {"program, past second", Sample(30, 150, 1200, 1, 1190, 149, false), CursorKind::Second, 30, true,
         300, 40, 40, hundredths,
         "\nЛимит тока: 1.50 ампер;\nЛимит напряжения: 12.00 вольт;\nВключен блок: да;",
         "Время: 30 / 300 с;\nТок: 1.49 ампер;\nНапряжение: 11.90 вольт;\nРежим стаб: тока;"},
        {"program, planned second", Sample(55, 150, 1200, 1, 0, 0, true), CursorKind::Second, 55, true, 300,
         40, 40, hundredths, "\nЛимит тока: 1.50 ампер;\nЛимит напряжения: 12.00 вольт;\nВключен блок: да;",
         "Время: 55 / 300 с;\nТок: --\nНапряжение: --\nРежим стаб: --"},
        {"program, planned minute", Sample(4, 150, 1200, 0, 0, 0, true), CursorKind::Minute, 4, true, 300,
         130, 130, hundredths,
         "\nЛимит тока: 1.50 ампер;\nЛимит напряжения: 12.00 вольт;\nВключен блок: нет;",
         "Время: 240 / 300 с;\nТок: --\nНапряжение: --\nРежим стаб: --"},
        {"program, present minute", Sample(2, 150, 1200, 1, 1190, 149, true), CursorKind::Minute, 2, true,
         300, 130, 130, hundredths,
         "\nЛимит тока: 1.50 ампер;\nЛимит напряжения: 12.00 вольт;\nВключен блок: да;",
         "Время: 120 / 300 с;\nТок: 1.49 ампер;\nНапряжение: 11.90 вольт;\nРежим стаб: напряжения;"},
        {"a broken scale of 0 reads as 1", Sample(1, 3, 12, 1, 12, 3, true), CursorKind::Second, 1, false, 0,
         1, 1, ChartUnits{0, 0}, "\nЛимит тока: 3 ампер;\nЛимит напряжения: 12 вольт;\nВключен блок: да;",
         "Время: 1 / 1 с;\nТок: 3 ампер;\nНапряжение: 12 вольт;\nРежим стаб: напряжения;"},
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
