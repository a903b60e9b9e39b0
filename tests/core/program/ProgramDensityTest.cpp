// Currents given as density times the load's area, and steps that end by charge: the heading
// markers, the scaling and its clamping, the area field, and where a charge step's follower
// stands.
#include "ProgramRig.h"

#include "program/PartArea.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

using namespace programrig;

struct DensityCase {
    const char* name;
    const char* file;
    std::optional<int> area;
    std::vector<Step> steps;
    std::vector<int> currAbove;
    bool needsArea;
};

class DensityTest : public testing::TestWithParam<DensityCase> {};

TEST_P(DensityTest, CurrentsAreDensityTimesArea) {
    const DensityCase& c = GetParam();
    const ProgramLoad load = LoadProgramFile(Utf8ToCp1251(c.file), "prog.csv", MODEL2, c.area);
    EXPECT_EQ(StepsOf(load), c.steps);
    EXPECT_EQ(load.errors.currAbove, c.currAbove);
    EXPECT_EQ(load.needsArea, c.needsArea);
    EXPECT_EQ(load.loaded, !c.needsArea);
    if (c.needsArea) {
        EXPECT_EQ(load.report,
                  "В файле prog.csv ток задан плотностью (А/дм2): введите площадь загрузки в дм2 "
                  "в поле «Площадь» и откройте файл снова. Программа не загружена.");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, DensityTest,
    testing::Values(DensityCase{"Scaled",
                                "Время;Ток, А/дм2;В;Вкл\r\n0;2;12;1\r\n60;0,5;12;0\r\n",
                                1500,
                                {{0, 300, 1200, 1}, {60, 75, 1200, 0}},
                                {},
                                false},
                    // 0,333 A and 0,335 A at scale 100: rounded to the supply's unit, not truncated.
                    DensityCase{"Rounded",
                                "с;а/ДМ2;В;Вкл\r\n0;0,333;12;1\r\n5;0,335;12;1\r\n",
                                1000,
                                {{0, 33, 1200, 1}, {5, 34, 1200, 1}},
                                {},
                                false},
                    DensityCase{"ClampedWithLine",
                                "с;А/дм2;В;Вкл\r\n0;1;12;1\r\n9;4;12;0\r\n",
                                5000,
                                {{0, 500, 1200, 1}, {9, 1500, 1200, 0}},
                                {3},
                                false},
                    DensityCase{"NoArea", "с;А/дм2;В;Вкл\r\n0;1;12;1\r\n", std::nullopt, {}, {}, true},
                    // Without the mark the area means nothing: the file loads exactly as ever.
                    DensityCase{
                        "NoMark", "с;Ток, А;В;Вкл\r\n0;2;12;1\r\n", 1500, {{0, 200, 1200, 1}}, {}, false},
                    // A mark below the first row is a note, not a heading.
                    DensityCase{"MarkAfterRows",
                                "0;2;12;1\r\nс;А/дм2;В;Вкл\r\n9;3;12;1\r\n",
                                1500,
                                {{0, 200, 1200, 1}, {9, 300, 1200, 1}},
                                {},
                                false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PartAreaTest, OnlyAPositiveNumberWithinTheRangeIsAnArea) {
    const std::vector<std::pair<const char*, std::optional<int>>> cases = {{"1,5", 1500},
                                                                           {" 2.25 ", 2250},
                                                                           {"10000", MAX_AREA},
                                                                           {"0,001", 1},
                                                                           {"0", std::nullopt},
                                                                           {"-1", std::nullopt},
                                                                           {"abc", std::nullopt},
                                                                           {"", std::nullopt},
                                                                           {"10000,001", std::nullopt},
                                                                           {"1e3", std::nullopt},
                                                                           {"0,0004", std::nullopt},
                                                                           {"1,2,3", std::nullopt},
                                                                           {"99999999999999", std::nullopt}};
    for (const auto& [text, area] : cases)
        EXPECT_EQ(ReadPartArea(text), area) << text;
    EXPECT_EQ(PartAreaText(1500), "1,5");
    EXPECT_EQ(PartAreaText(2000), "2");
    EXPECT_EQ(PartAreaText(5), "0,005");
}

struct ChargeCase {
    const char* name;
    const char* rows;
    std::vector<Step> steps;
    std::vector<std::optional<int>> charges;
    std::vector<int> refused;
};

class ChargeLoadTest : public testing::TestWithParam<ChargeCase> {};

TEST_P(ChargeLoadTest, TheFollowerStandsAtTheExpectedEnd) {
    const ChargeCase& c = GetParam();
    const ProgramLoad load = Load(std::string("Время;Ток;Напряжение;Вкл;Ач\r\n") + c.rows);
    EXPECT_EQ(StepsOf(load), c.steps);
    EXPECT_EQ(load.stepCharges, c.charges);
    EXPECT_EQ(load.errors.chargeWithoutCurrent, c.refused);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ChargeLoadTest,
    testing::Values(
        // 0,5 A·h at 2 A is 900 s; the rows after keep their spacing of 60 s.
        ChargeCase{"Middle",
                   "0;2;12;1;0,5\r\n10;1;12;1;\r\n70;1;12;0\r\n",
                   {{0, 200, 1200, 1}, {900, 100, 1200, 1}, {960, 100, 1200, 0}},
                   {500, std::nullopt, std::nullopt},
                   {}},
        // A last charge step ends the program with its own values in force.
        ChargeCase{
            "Last", "0;1;12;1;0,01\r\n", {{0, 100, 1200, 1}, {36, 100, 1200, 1}}, {10, std::nullopt}, {}},
        // 3,6 A·s at 15 A is a quarter of a second: a step lasts a second at least.
        ChargeCase{"RoundedUp",
                   "0;15;12;1;0,001\r\n5;1;12;0\r\n",
                   {{0, 1500, 1200, 1}, {1, 100, 1200, 0}},
                   {1, std::nullopt},
                   {}},
        ChargeCase{"OutputOffOrNoCharge",
                   "0;2;12;0;1\r\n5;2;12;1;0\r\n9;1;12;0\r\n",
                   {{0, 100, 1200, 0}},
                   {std::nullopt},
                   {2, 3}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace rir
