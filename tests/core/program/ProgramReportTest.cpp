// The report's pieces: the number format of the limit messages, the line lists, the formats.
#include "program/ProgramReport.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

TEST(ProgramReportTest, LimitValueFormat) {
    const struct {
        int raw, scale;
        const char* maximum; // trailing zeros dropped
        const char* minimum; // trailing zeros kept
    } cases[] = {
        {3050, 100, "30.5", "30.50"}, {5, 100, "0.05", "0.05"},
        {1200, 100, "12", "12"},      {1575, 100, "15.75", "15.75"},
        {15, 100, "0.15", "0.15"},    {50, 100, "0.5", "0.50"},
        {5, 10, "0.5", "0.5"},        {3150, 10, "315", "315"},
        {1500, 1000, "1.5", "1.500"}, {1575, 1000, "1.575", "1.575"},
        {15, 1000, "0.015", "0.015"}, {7, 1, "7", "7"},
        {0, 100, "0", "0"},           {-5, 100, "-0.05", "-0.05"},
        {5, 3, "1.6", "1.6"},         {300, 0, "300", "300"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.raw << " at scale " << c.scale);
        EXPECT_EQ(LimitValueText(c.raw, c.scale, true), c.maximum);
        EXPECT_EQ(LimitValueText(c.raw, c.scale, false), c.minimum);
    }
}

TEST(ProgramReportTest, LineLists) {
    EXPECT_EQ(LineListText({5}), "5");
    EXPECT_EQ(LineListText({5, 7, 12}), "5, 7, 12");
    // A long list, far beyond what the station's old buffers held, is shown up to its first 200
    // numbers and then counted.
    std::vector<int> lines;
    std::string expected;
    for (int i = 1; i <= 250; ++i) {
        lines.push_back(i * 2);
        if (i <= 200)
            expected += (i > 1 ? ", " : "") + std::to_string(i * 2);
    }
    EXPECT_EQ(LineListText(lines), expected + ", ... (всего 250)");
    lines.resize(200);
    EXPECT_EQ(LineListText(lines), expected);
}

TEST(ProgramReportTest, LimitMessagesWithTheSupplysValues) {
    // Scale 100: a maximum of 30.50 A loses its zero, a minimum of 0.30 A keeps it.
    const ProgramLimits limits = {3150, 3050, 50, 30, 100, 100};
    ProgramErrors errors;
    errors.currAbove = {4};
    errors.currBelow = {5, 6};
    errors.voltAbove = {7};
    errors.voltBelow = {8};
    EXPECT_EQ(ProgramReportText("a.csv", errors, limits, 0),
              "Ошибки при чтении файла a.csv:\n"
              "Лимит тока свыше максимального тока блока питания 30.5 ампер. Строка: 4\n"
              "Лимит тока ниже минимального тока блока питания 0.30 ампер.\nСтроки: 5, 6\n"
              "Лимит напряжения свыше максимального напряжения блока питания 31.5 вольт. Строка: 7\n"
              "Лимит напряжения ниже минимального напряжения блока питания 0.50 вольт. Строка: 8\n");
}

TEST(ProgramReportTest, NothingToReport) {
    EXPECT_EQ(ProgramReportText("a.csv", {}, {}, 0), "");
    EXPECT_EQ(ProgramReportText("a.csv", {}, {}, -7),
              "Ошибки при чтении файла a.csv:\nСтарт времени не с нуля, сдвиг на -7 секунд!");
}

TEST(ProgramReportTest, FormatTextTakesValuesLiterally) {
    EXPECT_EQ(FormatText("%s Строка: %s\n", {"%s", "5"}), "%s Строка: 5\n");
    EXPECT_EQ(FormatText("no place", {"x"}), "no place");
    EXPECT_EQ(FormatText("%s and %s", {"one"}), "one and %s");
}

} // namespace
} // namespace rir
