// The example programs shipped for operators load as their README says.
#include "ProgramRig.h"
#include "program/FileRead.h"
#include "program/ProgramPreview.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

using namespace programrig;

ProgramLoad LoadExample(const char* name, std::optional<int> area = std::nullopt) {
    const FileBytes file = ReadWholeFile(std::filesystem::path(RIR_EXAMPLES_DIR) / name);
    EXPECT_EQ(file.error, FileError::None) << name;
    // Saved as a spreadsheet saves them: Windows-1251 and CR LF (no LF without its CR).
    for (std::size_t i = 0; i < file.bytes.size(); ++i) {
        if (file.bytes[i] == '\n') {
            EXPECT_TRUE(i > 0 && file.bytes[i - 1] == '\r') << name << " byte " << i;
        }
    }
    return LoadProgramFile(file.bytes, name, MODEL2, area);
}

TEST(ExampleProgramsTest, Plating) {
    const ProgramLoad load = LoadExample("plating.csv");
    EXPECT_TRUE(load.loaded);
    EXPECT_EQ(load.report, "");
    EXPECT_EQ(load.title, "Никелирование 20 минут: подъем тока и выдержка");
    EXPECT_EQ(ProgramCaption("plating.csv", load.title),
              "Файл-задача: plating.csv # Никелирование 20 минут: подъем тока и выдержка");
    EXPECT_EQ(load.switches.voltMeas, false);
    EXPECT_EQ(load.switches.voltLimit, false);
    EXPECT_EQ(load.switches.currMeas, true);
    EXPECT_EQ(load.switches.currLimit, true);
    EXPECT_EQ(load.switches.output, true);
    EXPECT_EQ(StepsOf(load), (std::vector<Step>{{0, 50, 800, 1},
                                                {60, 100, 800, 1},
                                                {120, 150, 800, 1},
                                                {180, 250, 800, 1},
                                                {240, 350, 800, 1},
                                                {300, 400, 800, 1},
                                                {1020, 300, 800, 1},
                                                {1080, 200, 800, 1},
                                                {1140, 100, 800, 1},
                                                {1200, 100, 800, 0}}));
    const ProgramPreview p = BuildProgramPreview(load.steps, std::nullopt);
    EXPECT_EQ(p.duration, 1200);
    EXPECT_EQ(p.minutesList.size(), 21u);
    EXPECT_EQ(p.minutesList[10].currLimit, 400); // the hold
}

TEST(ExampleProgramsTest, Ramp) {
    const ProgramLoad load = LoadExample("ramp.csv");
    EXPECT_TRUE(load.loaded);
    EXPECT_EQ(load.report, "");
    EXPECT_EQ(load.title, "");
    EXPECT_FALSE(load.switches.any());
    ASSERT_EQ(load.steps.size(), 50u);
    for (int k = 0; k < 49; ++k) {
        SCOPED_TRACE(k);
        // 2,3 A is 230 raw units, not the 229 that 2.3 * 100 in floating point truncates to.
        EXPECT_EQ(StepsOf(load)[static_cast<std::size_t>(k)], (Step{10 * k, 20 + 10 * k, 1200, 1}));
    }
    EXPECT_EQ(StepsOf(load).back(), (Step{540, 500, 1200, 0}));
}

TEST(ExampleProgramsTest, Errors) {
    const ProgramLoad load = LoadExample("errors.csv");
    EXPECT_TRUE(load.loaded);
    EXPECT_EQ(load.title, "Пример с ошибками: файл загрузится с поправками");
    EXPECT_EQ(load.report,
              "Ошибки при чтении файла errors.csv:\n"
              "Дубликат времени! Строка: 7\n"
              "Лимит тока свыше максимального тока блока питания 15 ампер.\nСтроки: 5, 10\n"
              "Лимит тока ниже минимального тока блока питания 0.15 ампер. Строка: 8\n"
              "Лимит напряжения свыше максимального напряжения блока питания 39 вольт.\n"
              "Строки: 6, 10\n"
              "Лимит напряжения ниже минимального напряжения блока питания 0.50 вольт. Строка: 9\n"
              "Старт времени не с нуля, сдвиг на 10 секунд!");
    EXPECT_EQ(StepsOf(load), (std::vector<Step>{{0, 100, 1200, 1},
                                                {10, 1500, 1200, 1},
                                                {20, 100, 3900, 1},
                                                {30, 15, 1200, 1},
                                                {40, 100, 50, 1},
                                                {50, 1500, 3900, 1},
                                                {60, 100, 1200, 0}}));
}

TEST(ExampleProgramsTest, CopperDensity) {
    EXPECT_TRUE(LoadExample("copper-density.csv").needsArea);
    // 2 dm²: 1, 2 and 4 A; 0,5 A·h at 4 A take 450 s, so the switch-off stands at 570 s.
    const ProgramLoad load = LoadExample("copper-density.csv", 2000);
    EXPECT_TRUE(load.loaded);
    EXPECT_EQ(load.report, "");
    EXPECT_EQ(
        StepsOf(load),
        (std::vector<Step>{{0, 100, 600, 1}, {60, 200, 600, 1}, {120, 400, 600, 1}, {570, 400, 600, 0}}));
    EXPECT_EQ(load.stepCharges,
              (std::vector<std::optional<int>>{std::nullopt, std::nullopt, 500, std::nullopt}));
}

} // namespace
} // namespace rir
