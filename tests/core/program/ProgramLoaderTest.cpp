// Program files read into steps: columns, carried values, the row rule, the start shift,
// duplicates, clamping, the title and the display switches with their line counting.
#include "ProgramRig.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

using namespace programrig;

TEST(ProgramLoaderTest, CleanFileLoadsWithoutMessage) {
    const ProgramLoad load = Load("0;1,5;12;1\r\n60;2;12,5;1\r\n120;2;12,5;0\r\n");
    EXPECT_TRUE(load.loaded);
    EXPECT_EQ(StepsOf(load), (std::vector<Step>{{0, 150, 1200, 1}, {60, 200, 1250, 1}, {120, 200, 1250, 0}}));
    EXPECT_EQ(load.report, "");
    EXPECT_EQ(load.startShift, 0);
    EXPECT_FALSE(load.errors.any());
    EXPECT_EQ(load.voltLimitMax, 1250);
    EXPECT_EQ(load.currLimitMax, 200);
    // Plan entries: no measured values, voltage regulation, no stamp.
    EXPECT_EQ(load.steps[0].voltMeas, 0);
    EXPECT_EQ(load.steps[0].currMeas, 0);
    EXPECT_TRUE(load.steps[0].voltRegulation);
    EXPECT_FALSE(load.steps[0].stamp);
}

TEST(ProgramLoaderTest, FirstTimeNotZeroShiftsTheProgram) {
    const ProgramLoad load = Load("10;1;12;1\r\n25;2;12;1\r\n70;2;12;0\r\n");
    EXPECT_EQ(StepsOf(load), (std::vector<Step>{{0, 100, 1200, 1}, {15, 200, 1200, 1}, {60, 200, 1200, 0}}));
    EXPECT_EQ(load.startShift, 10);
    EXPECT_EQ(load.report, "Ошибки при чтении файла prog.csv:\nСтарт времени не с нуля, сдвиг на 10 секунд!");
}

TEST(ProgramLoaderTest, DuplicateTimeIsDroppedAndReportedOnOneLine) {
    const ProgramLoad load = Load("0;1;12;1\r\n5;1;12;1\r\n5;2;14;0\r\n9;1;12;1\r\n");
    EXPECT_EQ(StepsOf(load), (std::vector<Step>{{0, 100, 1200, 1}, {5, 100, 1200, 1}, {9, 100, 1200, 1}}));
    EXPECT_EQ(load.errors.duplicates, std::vector<int>{3});
    EXPECT_EQ(load.report, "Ошибки при чтении файла prog.csv:\nДубликат времени! Строка: 3\n");
}

TEST(ProgramLoaderTest, DuplicateIsCheckedAfterTheShift) {
    // After the shift of 10 the rows are at 0, 10 and 0 again.
    const ProgramLoad load = Load("10;1;12;1\r\n20;1;12;1\r\n10;3;12;1\r\n");
    EXPECT_EQ(StepsOf(load), (std::vector<Step>{{0, 100, 1200, 1}, {10, 100, 1200, 1}}));
    EXPECT_EQ(load.errors.duplicates, std::vector<int>{3});
    // A dropped row is not checked against the limits either.
    const ProgramLoad high = Load("0;1;12;1\r\n0;99;99;1\r\n");
    EXPECT_EQ(high.errors.duplicates, std::vector<int>{2});
    EXPECT_TRUE(high.errors.currAbove.empty());
    EXPECT_TRUE(high.errors.voltAbove.empty());
}

TEST(ProgramLoaderTest, ThreeTooLargeCurrentsGetTheManyLinesLabel) {
    const ProgramLoad load = Load("0;1;12;1\r\n10;20;12;1\r\n20;1;12;1\r\n30;16;12;1\r\n40;15,01;12;1\r\n");
    EXPECT_EQ(load.errors.currAbove, (std::vector<int>{2, 4, 5}));
    EXPECT_EQ(load.report, "Ошибки при чтении файла prog.csv:\n"
                           "Лимит тока свыше максимального тока блока питания 15 ампер.\nСтроки: 2, 4, 5\n");
    for (int i : {1, 3, 4})
        EXPECT_EQ(load.steps[static_cast<std::size_t>(i)].currLimit, 1500);
    EXPECT_EQ(load.currLimitMax, 1500);
}

TEST(ProgramLoaderTest, LimitsAreClampedCurrentFirstThenVoltage) {
    // Line 1 within limits; 2 current above and voltage below; 3 current below and voltage above;
    // the bounds themselves are inside.
    const ProgramLoad load = Load("0;1;12;1\r\n1;20;0,1;1\r\n2;0,1;40;1\r\n3;15;39;1\r\n4;0,15;0,5;1\r\n");
    EXPECT_EQ(
        StepsOf(load),
        (std::vector<Step>{
            {0, 100, 1200, 1}, {1, 1500, 50, 1}, {2, 15, 3900, 1}, {3, 1500, 3900, 1}, {4, 15, 50, 1}}));
    EXPECT_EQ(load.errors.currAbove, std::vector<int>{2});
    EXPECT_EQ(load.errors.voltBelow, std::vector<int>{2});
    EXPECT_EQ(load.errors.currBelow, std::vector<int>{3});
    EXPECT_EQ(load.errors.voltAbove, std::vector<int>{3});
    EXPECT_EQ(load.voltLimitMax, 3900);
}

TEST(ProgramLoaderTest, ReportListsInTheirOrderThenTheShift) {
    const ProgramLoad load = Load("5;1;12;1\r\n"    // shift 5
                                  "6;20;12;1\r\n"   // current above
                                  "6;1;12;1\r\n"    // duplicate
                                  "7;0;12;1\r\n"    // current below
                                  "8;1;50;1\r\n"    // voltage above
                                  "9;1;0;1\r\n"     // voltage below
                                  "10;0;0;1\r\n"    // current and voltage below
                                  "11;1;12;1\r\n"); // clean
    EXPECT_EQ(load.report,
              "Ошибки при чтении файла prog.csv:\n"
              "Дубликат времени! Строка: 3\n"
              "Лимит тока свыше максимального тока блока питания 15 ампер. Строка: 2\n"
              "Лимит тока ниже минимального тока блока питания 0.15 ампер.\nСтроки: 4, 7\n"
              "Лимит напряжения свыше максимального напряжения блока питания 39 вольт. Строка: 5\n"
              "Лимит напряжения ниже минимального напряжения блока питания 0.50 вольт.\n"
              "Строки: 6, 7\n"
              "Старт времени не с нуля, сдвиг на 5 секунд!");
}

TEST(ProgramLoaderTest, CommaAndPointAreBothTheDecimalSeparator) {
    const ProgramLimits scale10 = {390, 150, 5, 1, 10, 10};
    for (const char* row : {"0;1,5;12;1\r\n", "0;1.5;12;1\r\n"}) {
        SCOPED_TRACE(row);
        const ProgramLoad load = Load(row, scale10);
        ASSERT_EQ(load.steps.size(), 1u);
        EXPECT_EQ(load.steps[0].currLimit, 15);
        EXPECT_EQ(load.steps[0].voltLimit, 120);
    }
}

TEST(ProgramLoaderTest, EmptyFieldsKeepThePreviousLine) {
    const ProgramLoad load = Load("0;1;12;1\r\n20;;;1\r\n30;2;;\r\n40;;;0\r\n;3;;\r\n50;;;\r\n60;;;1\r\n");
    // "30;2;;" has no output field: no step, yet its current carries on.
    EXPECT_EQ(
        StepsOf(load),
        (std::vector<Step>{{0, 100, 1200, 1}, {20, 100, 1200, 1}, {40, 200, 1200, 0}, {60, 300, 1200, 1}}));
}

TEST(ProgramLoaderTest, RowWithoutOutputMakesNoStep) {
    const ProgramLoad load = Load("0;1;12;1\r\n20;2;12;\r\n30;2;12\r\n");
    EXPECT_EQ(StepsOf(load), (std::vector<Step>{{0, 100, 1200, 1}}));
}

TEST(ProgramLoaderTest, RowsSummingToZeroOrLessMakeNoStep) {
    const ProgramLoad load = Load("Время;Ток;Напряжение;Вкл\r\n"
                                  "0;0;0;0\r\n"
                                  "-5;0;0;1\r\n" // -5 + 0 + 0 + 1 is below 1
                                  "0;0;0;1\r\n"
                                  "7;1;12;1;99;сорок\r\n"); // fields past the fourth mean nothing
    EXPECT_EQ(StepsOf(load), (std::vector<Step>{{0, 15, 50, 1}, {7, 100, 1200, 1}}));
    EXPECT_EQ(load.errors.currBelow, std::vector<int>{4});
    EXPECT_EQ(load.errors.voltBelow, std::vector<int>{4});
}

TEST(ProgramLoaderTest, LfAndCrLfBothEndALine) {
    const std::vector<Step> steps = {{0, 100, 1200, 1}, {10, 200, 1200, 1}, {20, 300, 1200, 0}};
    for (const char* file : {"0;1;12;1\n10;2;12;1\n20;3;12;0\n", "0;1;12;1\r\n10;2;12;1\n20;3;12;0\r\n"}) {
        const ProgramLoad load = Load(file);
        EXPECT_EQ(StepsOf(load), steps);
        EXPECT_EQ(load.report, "");
    }
    // A CR that ends no line is dropped from its field; CR CR LF ends the line after "1".
    const ProgramLoad cr = Load("0;1;1\r2;1\r\r\n5;2;12;1");
    EXPECT_EQ(StepsOf(cr), (std::vector<Step>{{0, 100, 1200, 1}, {5, 200, 1200, 1}}));
    // The last field may end at the end of the file.
    EXPECT_EQ(Load("0;1;12;1").steps.size(), 1u);
}

TEST(ProgramLoaderTest, LineNumbersCountLineEnds) {
    const ProgramLoad load = Load("x\r\n\r\n0;1;12;1\r\n;\r\n1;99;12;1;;;\r\n2\n;99;12;1\r\n");
    EXPECT_EQ(load.errors.currAbove, (std::vector<int>{5}));
    EXPECT_EQ(load.errors.fewFields, (std::vector<int>{6}));
    EXPECT_EQ(load.errors.duplicates, (std::vector<int>{7})) << "the time 1 carried from line 5";
}

TEST(ProgramLoaderTest, EveryRowThatCannotBeReadAsMeantIsNamed) {
    const std::string header = "Ошибки при чтении файла prog.csv:\n";
    const struct {
        const char* name;
        const char* file;
        std::vector<Step> steps;
        std::string report;
    } cases[] = {
        {"a negative voltage is below the minimum",
         "0;1;12;1\r\n10;1;-5;1\r\n",
         {{0, 100, 1200, 1}, {10, 100, 50, 1}},
         header + "Лимит напряжения ниже минимального напряжения блока питания 0.50 вольт. Строка: 2\n"},
        {"a negative time",
         "0;1;12;1\r\n-5;1;12;1\r\n",
         {{0, 100, 1200, 1}},
         header + "Отрицательное время! Строка: 2\n"},
        {"an output of 2",
         "0;1;12;1\r\n10;1;12;2\r\n",
         {{0, 100, 1200, 1}},
         header + "Вкл не 0 и не 1! Строка: 2\n"},
        {"a word for a current",
         "0;1;12;1\r\n10;abc;12;1\r\n",
         {{0, 100, 1200, 1}},
         header + "Не число в поле времени, тока, напряжения или вкл! Строка: 2\n"},
        {"a word for a time",
         "0;1;12;1\r\nfoo;2;12;1\r\n5;1;12;0\r\n",
         {{0, 100, 1200, 1}, {5, 100, 1200, 0}},
         header + "Не число в поле времени, тока, напряжения или вкл! Строка: 2\n"},
        {"a number with a tail",
         "0;1;12;1\r\n10;1;12 В;1\r\n",
         {{0, 100, 1200, 1}},
         header + "Не число в поле времени, тока, напряжения или вкл! Строка: 2\n"},
        {"three fields",
         "0;1;12;1\r\n10;2;12\r\n",
         {{0, 100, 1200, 1}},
         header + "Меньше четырех полей «время;ток;напряжение;вкл» (поля разделяются точкой с запятой)! "
                  "Строка: 2\n"},
        {"times out of order",
         "10;1;12;1\r\n5;2;12;1\r\n7;2;13;1\r\n20;3;12;0\r\n",
         {{0, 200, 1200, 1}, {2, 200, 1300, 1}, {5, 100, 1200, 1}, {15, 300, 1200, 0}},
         header + "Время меньше, чем в строках выше: шаги взяты по порядку времени!\nСтроки: 2, 3\n"
                  "Старт времени не с нуля, сдвиг на 5 секунд!"},
        {"a heading, a note and a journal's marker pass",
         "#Никель;;;\r\nВремя;Ток;Напряжение;Вкл\r\nUr=1,Po=1\r\n0;1;12;1\r\nконец\r\n#Пауза;;;;;;;09.12."
         "2026\r\n"
         "Время;Ток;Напряжение;Вкл\r\n5;1;12;0\r\n",
         {{0, 100, 1200, 1}, {5, 100, 1200, 0}},
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ProgramLoad load = Load(c.file);
        EXPECT_EQ(StepsOf(load), c.steps);
        EXPECT_EQ(load.report, c.report);
    }
}

TEST(ProgramLoaderTest, FilesThatHoldNoProgramAreRefusedWithTheReason) {
    const std::string noSteps =
        "В файле prog.csv нет ни одного шага программы (строки вида «время;ток;напряжение;вкл»).";
    const struct {
        const char* name;
        std::string bytes; // as on the disk
        std::string report;
    } cases[] = {
        {"commas for separators", "0,1.5,12,1\r\n10,2,12,0\r\n",
         noSteps + "\nМеньше четырех полей «время;ток;напряжение;вкл» (поля разделяются точкой с запятой)!\n"
                   "Строки: 1, 2\n"},
        {"words only", "qwerty asdf\r\nzxcv;;;\r\n", noSteps},
        {"a control byte", std::string("0;1;12;1\r\n5;1;12;1\x01\r\n"),
         "Файл prog.csv не является файлом-программой: в строке 2 управляющий символ (код 1)."},
        {"UTF-16", std::string("0\0;\0001\0;\0", 7),
         "Файл prog.csv не является файлом-программой: в строке 1 "
         "управляющий символ (код 0)."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ProgramLoad load = LoadProgramFile(c.bytes, "prog.csv", MODEL2);
        EXPECT_FALSE(load.loaded);
        EXPECT_TRUE(load.steps.empty());
        EXPECT_EQ(load.report, c.report);
    }
}

TEST(ProgramLoaderTest, Utf8FilesAreReadAsUtf8) {
    for (const std::string mark : {"\xEF\xBB\xBF", ""}) {
        SCOPED_TRACE(mark.empty() ? "without a mark" : "with a byte-order mark");
        const ProgramLoad load =
            LoadProgramFile(mark + "#Никель, 2 А;;;\r\n0;1;12;1\r\n", "prog.csv", MODEL2);
        EXPECT_EQ(load.title, "Никель. 2 А");
        EXPECT_EQ(StepsOf(load), (std::vector<Step>{{0, 100, 1200, 1}}));
    }
    // Windows-1251 that happens to hold no valid UTF-8 stays Windows-1251.
    EXPECT_EQ(Load("#Никель;;;\r\n0;1;12;1\r\n").title, "Никель");
}

TEST(ProgramLoaderTest, TitleFromTheFirstThreeLines) {
    const struct {
        const char* name;
        const char* file;
        const char* title;
    } cases[] = {
        {"line 1", "#Никель;;;\r\n0;1;12;1\r\n", "Никель"},
        {"alone on line 1", "#Никель\r\n0;1;12;1\r\n", "Никель"},
        {"line 3 with fields behind", "a\r\nb\r\n#Медь;;;\r\n0;1;12;1\r\n", "Медь"},
        // Its own CR LF makes a field count as lying on the next line.
        {"alone on line 3", "a\r\nb\r\n#Медь\r\n0;1;12;1\r\n", ""},
        {"line 4", "a\r\nb\r\nc\r\n#Медь;;;\r\n0;1;12;1\r\n", ""},
        {"the last one wins", "#Первый;#Второй;;\r\n#Третий;;;\r\n0;1;12;1\r\n", "Третий"},
        {"any column", "x;;#Хром;\r\n0;1;12;1\r\n", "Хром"},
        {"commas become points", "#Цинк, 10 минут, 2,5 А;;;\r\n0;1;12;1\r\n", "Цинк. 10 минут. 2.5 А"},
        {"only the mark", "#Никель;#;;\r\n0;1;12;1\r\n", ""},
        {"not at the start", "Никель #1;;;\r\n0;1;12;1\r\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Load(c.file).title, c.title);
    }
}

TEST(ProgramLoaderTest, LongTitleIsCutToFiftyCharacters) {
    std::string sixty;
    for (int i = 0; i < 6; ++i)
        sixty += "Анодирова" + std::to_string(i); // ten characters each
    const ProgramLoad load = Load("#" + sixty + ";;;\r\n0;1;12;1\r\n");
    EXPECT_EQ(load.title, "Анодирова0Анодирова1Анодирова2Анодирова3Анодирова4...");
    // Fifty characters stay as they are.
    std::string fifty = sixty.substr(0, sixty.find("Анодирова5"));
    EXPECT_EQ(Load("#" + fifty + ";;;\r\n0;1;12;1\r\n").title, fifty);
}

TEST(ProgramLoaderTest, DisplaySwitchesOnTheThirdLine) {
    const ProgramLoad load =
        Load("#Никель;;;\r\nВремя;Ток;Напряжение;Вкл\r\nUr=0,Ul=1,Ir=0,Il=1,Po=0;;;\r\n0;1;12;1\r\n");
    EXPECT_EQ(load.switches.voltMeas, false);
    EXPECT_EQ(load.switches.voltLimit, true);
    EXPECT_EQ(load.switches.currMeas, false);
    EXPECT_EQ(load.switches.currLimit, true);
    EXPECT_EQ(load.switches.output, false);
    // The switch line reads as time 0 and makes no step.
    EXPECT_EQ(StepsOf(load), (std::vector<Step>{{0, 100, 1200, 1}}));
    EXPECT_EQ(load.report, "");

    SeriesSwitches series;
    load.switches.ApplyTo(series);
    EXPECT_FALSE(series.voltMeas);
    EXPECT_TRUE(series.voltLimit);
    EXPECT_FALSE(series.output);
}

TEST(ProgramLoaderTest, WhichFieldIsTheSwitchField) {
    const struct {
        const char* name;
        const char* file;
        std::optional<bool> voltMeas;
    } cases[] = {
        {"line 3, first field", "a;a\r\nb;b\r\nUr=0;;;\r\n0;1;12;1\r\n", false},
        // Ended by its CR LF it would count as line 4; it is read all the same.
        {"line 3 alone", "a;a\r\nb;b\r\nUr=0\r\n0;1;12;1\r\n", false},
        // A single field on line 2 counts as lying on line 3.
        {"line 2 alone", "a;a\r\nUr=0\r\n0;1;12;1\r\n", false},
        {"line 2 with fields behind", "a;a\r\nUr=0;;;\r\n0;1;12;1\r\n", std::nullopt},
        {"line 3, second field", "a;a\r\nb;b\r\nx;Ur=0;;\r\n0;1;12;1\r\n", std::nullopt},
        {"line 1", "Ur=0;;;\r\n0;1;12;1\r\n", std::nullopt},
        {"line 4", "a;a\r\nb;b\r\nc;c\r\nUr=0;;;\r\n0;1;12;1\r\n", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Load(c.file).switches.voltMeas, c.voltMeas);
    }
}

TEST(ProgramLoaderTest, FileWithoutStepsLoadsNothing) {
    for (const char* file : {"", "\r\n\r\n", "#Никель;;;\r\nВремя;Ток;Напряжение;Вкл\r\nUr=0;;;\r\n",
                             "0;1;12;\r\n", "0;0;0;0\r\n"}) {
        SCOPED_TRACE(file);
        const ProgramLoad load = Load(file);
        EXPECT_FALSE(load.loaded);
        EXPECT_TRUE(load.steps.empty());
        EXPECT_EQ(load.title, "");
        EXPECT_FALSE(load.switches.any());
        EXPECT_EQ(load.report,
                  "В файле prog.csv нет ни одного шага программы (строки вида «время;ток;напряжение;вкл»).");
    }
}

TEST(ProgramLoaderTest, AFileWithStepsBeyondAMonthIsNotLoaded) {
    // Dropping the rows would leave a program of 0 seconds that ends at once with the output on.
    const ProgramLoad load = Load("0;1;12;1\r\n2678400;1;12;1\r\n2678401;1;12;0\r\n99999999999;1;12;0\r\n");
    EXPECT_FALSE(load.loaded);
    EXPECT_TRUE(load.steps.empty());
    EXPECT_EQ(load.errors.beyondEnd, (std::vector<int>{3, 4}));
    EXPECT_EQ(load.report, "Ошибки при чтении файла prog.csv:\n"
                           "Время свыше максимальной длительности программы 2678400 секунд.\nСтроки: 3, 4\n"
                           "Программа не загружена.");
    EXPECT_TRUE(Load("0;1;12;1\r\n2678400;1;12;0\r\n").loaded) << "a month exactly";
}

TEST(ProgramLoaderTest, HugeNumbersSaturate) {
    const ProgramLoad load = Load("5;1e400;-1e400;1\r\n6;-99999999999;99999999999;1\r\n");
    EXPECT_EQ(StepsOf(load), (std::vector<Step>{{0, 1500, 50, 1}, {1, 15, 3900, 1}}));
    const ProgramLoad late = Load("99999999999999999999;1;12;1\r\n");
    ASSERT_EQ(late.steps.size(), 1u);
    EXPECT_EQ(late.startShift, PROGRAM_VALUE_LIMIT);
}

TEST(ProgramLoaderTest, FileNameInTheReportAsGiven) {
    const ProgramLoad load = Load("3;1;12;1\r\n", MODEL2, "Анод 100%s.csv");
    EXPECT_EQ(load.report,
              "Ошибки при чтении файла Анод 100%s.csv:\nСтарт времени не с нуля, сдвиг на 3 секунд!");
}

} // namespace
} // namespace rir
