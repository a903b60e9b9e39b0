// The run record's lines in a journal: exact texts, what an operator's field may not carry,
// the end line with the charge, and a journal with them still loading as the program it ran.
#include "journal/RunRecord.h"
#include "journal/JournalFormat.h"
#include "program/ProgramLoader.h"
#include "text/Cp1251.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

TEST(RunRecordTest, LinesNameTheRunAndTheJournalStillLoads) {
    const std::string lines = RunRecordLines({"З-17;a\r\nb", std::string(120, 'x'), "ivanov"},
                                             {"plating.csv", std::string(64, 'f'), 1500});
    EXPECT_EQ(Cp1251ToUtf8(lines), "#Заказ: З-17 a  b;;;\r\n#Деталь/подвеска: " + std::string(100, 'x') +
                                       ";;;\r\n#Оператор: ivanov;;;\r\n#Файл: plating.csv;SHA-256 " +
                                       std::string(64, 'f') + ";;\r\n#Площадь: 1,5 дм2;;;\r\n");
    EXPECT_EQ(Cp1251ToUtf8(RunRecordLines({}, {"a.csv", "00", std::nullopt})),
              "#Заказ: ;;;\r\n#Деталь/подвеска: ;;;\r\n#Оператор: ;;;\r\n#Файл: a.csv;SHA-256 00;;\r\n");

    const StampTime at = StampTime(std::chrono::hours(24 * 365 * 50));
    const std::string end = Cp1251ToUtf8(RunEndLine(RunEnd::Ended, 1234, at));
    EXPECT_EQ(end.substr(0, end.find(';')), "#Работа закончена - заряд 1.234 Ач");
    const std::string cancelled = Cp1251ToUtf8(RunEndLine(RunEnd::Cancelled, 5, at));
    EXPECT_EQ(cancelled.substr(0, cancelled.find(';')), "#Работа отменена - заряд 0.005 Ач");
    const std::string closed = Cp1251ToUtf8(RunEndLine(RunEnd::Closed, 0, at));
    EXPECT_EQ(closed.substr(0, closed.find(';')), "#Пауза при закрытии программы - заряд 0.000 Ач");

    const std::string journal =
        JournalHead(15, 0, at, {}) + lines + JournalLine(ChartSample(0, 150, 1200, 1, at), {100, 100}, at) +
        JournalLine(ChartSample(1, 150, 1200, 0, at), {100, 100}, at) + RunEndLine(RunEnd::Ended, 1234, at);
    const ProgramLoad load = LoadProgramFile(journal, "j.csv", {3900, 1500, 50, 15, 100, 100});
    EXPECT_TRUE(load.loaded);
    EXPECT_EQ(load.report, "");
    ASSERT_EQ(load.steps.size(), 2u);
    EXPECT_EQ(load.steps[0].currLimit, 150);
    EXPECT_EQ(load.steps[1].output, 0);
}

} // namespace
} // namespace rir
