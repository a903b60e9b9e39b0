#include "plant/PlantMessages.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

TEST(PlantTopics, OnlyThisStationsSetTopicsNameAPage) {
    EXPECT_EQ(PageTopic("line1", 15, 0, "state"), "rir/line1/15/state");
    EXPECT_EQ(PageTopic("line1", 15, 1, "result"), "rir/line1/15_2/result");
    EXPECT_EQ(StationTopic("line1", "status"), "rir/line1/status");

    struct Case {
        const char* topic;
        std::optional<PageRef> page;
    } cases[] = {
        {"rir/line1/15/set", PageRef{15, 0}},    {"rir/line1/15_2/set", PageRef{15, 1}},
        {"rir/line1/127/set", PageRef{127, 0}},  {"rir/line1/1/set", PageRef{1, 0}},
        {"rir/line1/128/set", std::nullopt},     {"rir/line1/0/set", std::nullopt},
        {"rir/line1/015/set", std::nullopt},     {"rir/line1/15_3/set", std::nullopt},
        {"rir/line1/_2/set", std::nullopt},      {"rir/line1/15/state", std::nullopt},
        {"rir/line2/15/set", std::nullopt},      {"rir/line1x/15/set", std::nullopt},
        {"rir/line1/x/15/set", std::nullopt},    {"rir/line1//set", std::nullopt},
        {"rir/line1/15/set/more", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseCommandTopic(c.topic, "line1"), c.page) << c.topic;
}

TEST(PlantTopics, StationNamesCannotReachIntoOtherTopics) {
    for (const char* good : {"line1", "Bath-3_A.b", "x"})
        EXPECT_TRUE(ValidStationName(good)) << good;
    const std::string tooLong(65, 'a');
    for (const char* bad : {"", "a/b", "+", "#", "line 1", "линия", tooLong.c_str()})
        EXPECT_FALSE(ValidStationName(bad)) << bad;
}

TEST(PlantState, FieldsTheSupplyHasAndNoOthers) {
    PageReport r;
    r.online = r.output = true;
    r.regulation = 'U';
    r.u = 12.48;
    r.i = 1.02;
    r.uLimit = 12.5;
    r.iLimit = 1.5;
    r.program = PageReport::Program{"running", 125, 475};
    r.ah = 0.034;
    r.time = "2026-12-11T09:15:02";
    EXPECT_EQ(PageStateJson(r),
              "{\"online\":true,\"output\":true,\"regulation\":\"U\",\"u\":12.48,\"i\":1.02,"
              "\"uLimit\":12.5,\"iLimit\":1.5,\"program\":{\"state\":\"running\",\"second\":125,"
              "\"left\":475},\"ah\":0.034,\"time\":\"2026-12-11T09:15:02\"}");

    PageReport silent;
    silent.uLimit = 10;
    silent.temperature = 41.5;
    silent.alarm = "Тревога: нет ответа \"#15\"";
    silent.time = "2026-12-11T09:15:03";
    EXPECT_EQ(PageStateJson(silent), "{\"online\":false,\"output\":false,\"uLimit\":10,\"iLimit\":0,"
                                     "\"temperature\":41.5,\"alarm\":\"Тревога: нет ответа \\\"#15\\\"\","
                                     "\"time\":\"2026-12-11T09:15:03\"}");
}

TEST(PlantCommands, ReadStrictly) {
    using P = PlantCommand::Program;
    struct Case {
        const char* payload;
        std::optional<PlantCommand> command; // nothing: refused
        const char* errorPart = "";
    } cases[] = {
        {R"({"uLimit":12.5})", PlantCommand{12.5, {}, {}, {}}},
        {R"( { "iLimit" : 1.5e0 , "uLimit": 3 } )", PlantCommand{3.0, 1.5, {}, {}}},
        {R"({"output":true})", PlantCommand{{}, {}, true, {}}},
        {R"({"output":false})", PlantCommand{{}, {}, false, {}}},
        {R"({"program":"start"})", PlantCommand{{}, {}, {}, P::Start}},
        {R"({"program":"cancel"})", PlantCommand{{}, {}, {}, P::Cancel}},
        {R"({"uLimit":-1})", PlantCommand{-1.0, {}, {}, {}}}, // the range is the supply's to check
        {"", std::nullopt, "объект"},
        {"[1]", std::nullopt, "объект"},
        {R"({"uLimit":12.5)", std::nullopt, "\"}\""},
        {R"({"uLimit":12.5}x)", std::nullopt, "лишнее"},
        {R"({"uLimit":"12.5"})", std::nullopt, "числом"},
        {R"({"uLimit":+1})", std::nullopt, "значение"},
        {R"({"uLimit":nan})", std::nullopt, "значение"},
        {R"({"uLimit":1e999})", std::nullopt, "значение"},
        {R"({"uLimit":0x10})", std::nullopt, "\"}\""},
        {R"({"uLimit":{"a":1}})", std::nullopt, "значение"},
        {R"({"output":1})", std::nullopt, "true или false"},
        {R"({"program":"run"})", std::nullopt, "\"start\""},
        {R"({"voltage":12})", std::nullopt, "неизвестное поле \"voltage\""},
        {R"({"uLimit":1,"uLimit":2})", std::nullopt, "дважды"},
        {"{}", std::nullopt, "пустая"},
        {"{\"uLi\nmit\":1}", std::nullopt, "имя поля"},
    };
    for (const Case& c : cases) {
        const auto parsed = ParsePlantCommand(c.payload);
        if (c.command) {
            ASSERT_TRUE(std::holds_alternative<PlantCommand>(parsed))
                << c.payload << ": " << std::get<1>(parsed);
            EXPECT_EQ(std::get<PlantCommand>(parsed), *c.command) << c.payload;
        } else {
            ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << c.payload;
            EXPECT_NE(std::get<std::string>(parsed).find(c.errorPart), std::string::npos)
                << c.payload << ": " << std::get<std::string>(parsed);
        }
    }
    EXPECT_NE(std::get<std::string>(ParsePlantCommand(std::string(PLANT_COMMAND_MAX_BYTES + 1, ' ')))
                  .find("длиннее"),
              std::string::npos);
}

TEST(PlantCommands, ResultsAsJson) {
    EXPECT_EQ(PlantResultJson(""), "{\"ok\":true}");
    EXPECT_EQ(PlantResultJson("нет устройства 16"), "{\"ok\":false,\"error\":\"нет устройства 16\"}");
    EXPECT_EQ(JsonString("a\"b\\c\nd"), "\"a\\\"b\\\\c\\u000ad\"");
}

} // namespace
} // namespace rir
