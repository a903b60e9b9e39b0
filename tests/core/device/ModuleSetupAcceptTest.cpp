// The module settings dialog's "Установить": what it refuses, and what it hands back.
#include "ModuleSetupRig.h"

#include "device/ModuleRequests.h"

#include <algorithm>

namespace rir {
namespace {

using test::Given;

ModuleSetupValues Accepted(ModuleSetup& d) {
    auto result = d.Accept();
    if (auto* refusals = std::get_if<std::vector<SetupRefusal>>(&result)) {
        ADD_FAILURE() << "refused: " << (refusals->empty() ? "" : refusals->front().message);
        return {};
    }
    return std::get<ModuleSetupValues>(result);
}

std::vector<std::string> Refused(ModuleSetup& d) {
    auto result = d.Accept();
    std::vector<std::string> messages;
    if (auto* refusals = std::get_if<std::vector<SetupRefusal>>(&result)) {
        for (const SetupRefusal& r : *refusals)
            messages.push_back(r.message);
    }
    return messages;
}

TEST(ModuleSetupAcceptTest, EmptyStopwatchClosesWithZero) {
    ModuleSetup d(Given(MODEL_TIMER_AMPERE, 1));
    d.NoteText(IDC_SETUP_TIMER_VALUE, "");
    const ModuleSetupValues v = Accepted(d);
    EXPECT_EQ(v.timerMode, 0);
    EXPECT_EQ(v.timerValue, 0);
    EXPECT_EQ(v.moduleCode, 1);
}

TEST(ModuleSetupAcceptTest, CounterKindAndModeHandedBack) {
    const struct {
        int model;
        int index;
        int kind;
        int mode;
    } cases[] = {
        {MODEL_TIMER_AMPERE, 0, 0, 0}, {MODEL_TIMER_AMPERE, 1, 1, 1}, {MODEL_PROF, 0, 1, 0},
        {MODEL_PROF, 1, 2, 0},         {MODEL_PROF, 2, 2, 1},         {MODEL_PROF, 4, 2, 3},
        {MODEL_PROF_REVERSE, 3, 2, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "model " << c.model << ", index " << c.index);
        ModuleSetup d(Given(c.model, 1));
        d.Select(IDC_SETUP_COUNTER_MODE, c.index);
        const ModuleSetupValues v = Accepted(d);
        EXPECT_EQ(v.counterKind, c.kind);
        EXPECT_EQ(v.counterMode, c.mode);
    }
    ModuleSetup three(Given(MODEL_TIMER_AMPERE, 3));
    three.Select(IDC_SETUP_COUNTER_MODE, 2);
    EXPECT_EQ(Accepted(three).counterMode, 2);
}

TEST(ModuleSetupAcceptTest, AConfigurationTheModelDoesNotOfferSendsTheListsFirstKind) {
    const struct {
        int model, code, reportedKind;
        int kind;
    } cases[] = {
        {MODEL_TFT, CONFIG_TIMER_COUNTER, 3, 0},
        {MODEL_TIMER_AMPERE, CONFIG_FULL, 2, 0},
        {MODEL_PROF, CONFIG_FULL, 3, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "model " << c.model << ", configuration " << c.code);
        ModuleSetupValues g = Given(c.model, c.code);
        g.counterKind = c.reportedKind;
        ModuleSetup d(g);
        ASSERT_EQ(d.combo(IDC_SETUP_MODULE).selected, -1);
        EXPECT_EQ(Accepted(d).counterKind, c.kind);
    }
    // A model-6 supply that reports configuration 1, the dialog confirmed as it opened.
    DeviceState s = MakeDeviceState(20, 0);
    s.model = MODEL_TFT;
    s.moduleConfig = CONFIG_TIMER_COUNTER;
    s.counterSelect = 3;
    s.counterDaily = 60;
    s.tempTargetRaw = 2250;
    s.tempDeltaRaw = 15;
    ModuleSetup d(ModuleSetupValuesFrom(s));
    const std::vector<Request> sent = ModuleSetupRequests(s, Accepted(d));
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1], (Request{20, 0x45, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 60}));
}

TEST(ModuleSetupAcceptTest, OpensOnTheCounterEntryLastSent) {
    // What the supply reports after each entry was sent: its counter kind and counter mode.
    for (int model : {MODEL_PROF_REVERSE, MODEL_PROF}) {
        for (int index = 0; index < 5; ++index) {
            SCOPED_TRACE(::testing::Message() << "model " << model << ", index " << index);
            ModuleSetup first(Given(model, 1));
            first.Select(IDC_SETUP_COUNTER_MODE, index);
            const ModuleSetupValues sent = Accepted(first);
            ModuleSetupValues reported = Given(model, 1);
            reported.counterKind = sent.counterKind;
            reported.counterMode = sent.counterMode;
            EXPECT_EQ(ModuleSetup(reported).combo(IDC_SETUP_COUNTER_MODE).selected, index);
        }
    }
    // Model 2 sends its dosing mode as 3 and so reads it back.
    ModuleSetupValues two = Given(MODEL_TIMER_AMPERE, 1);
    two.counterMode = 3;
    EXPECT_EQ(ModuleSetup(two).combo(IDC_SETUP_COUNTER_MODE).selected, 1);
    ModuleSetupValues six = Given(MODEL_TFT, 9);
    six.counterMode = 2;
    EXPECT_EQ(ModuleSetup(six).combo(IDC_SETUP_COUNTER_MODE).selected, 2);
}

TEST(ModuleSetupAcceptTest, UnitsAndCheckBoxes) {
    ModuleSetupValues g = Given(MODEL_TIMER_AMPERE, 1);
    g.units = 1;
    g.zeroing = true; // not shown for model 2: the box opens unchecked
    ModuleSetup two(g);
    EXPECT_EQ(two.combo(IDC_SETUP_UNITS).selected, 1);
    EXPECT_FALSE(two.view.checked(IDC_SETUP_ZEROING));
    two.NoteChecked(IDC_SETUP_ZEROING, true);
    ModuleSetupValues v = Accepted(two);
    EXPECT_EQ(v.units, 1);
    EXPECT_TRUE(v.zeroing);

    ModuleSetupValues p = Given(MODEL_PROF, 1);
    p.units = 1;
    ModuleSetup prof(p);
    EXPECT_EQ(Accepted(prof).units, 0); // models 3 and 4 count in ampere-hours only

    ModuleSetupValues w = Given(MODEL_TIMER_AMPERE, 4);
    w.units = 2; // watt-hours are model 6's: nothing selected, ampere-hours sent
    ModuleSetup watt(w);
    EXPECT_EQ(watt.combo(IDC_SETUP_UNITS).selected, -1);
    EXPECT_EQ(Accepted(watt).units, 0);

    ModuleSetupValues t = Given(MODEL_TFT, 9);
    t.units = 2;
    t.zeroing = true;
    t.resetOnOff = true;
    ModuleSetup tft(t);
    EXPECT_TRUE(tft.view.checked(IDC_SETUP_ZEROING));
    EXPECT_TRUE(tft.view.checked(IDC_SETUP_TIMER_RESET));
    tft.NoteChecked(IDC_SETUP_TIMER_RESET, false);
    v = Accepted(tft);
    EXPECT_EQ(v.units, 2);
    EXPECT_TRUE(v.zeroing);
    EXPECT_FALSE(v.resetOnOff);
}

TEST(ModuleSetupAcceptTest, TemperaturesReadToTheHalfDegree) {
    const std::pair<const char*, int> cases[] = {
        {"25.7", 2255}, {"25.3", 2250}, {"-5.5", 1945}, {"-0.5", 1995}};
    for (const auto& [text, raw] : cases) {
        SCOPED_TRACE(text);
        ModuleSetup d(Given(MODEL_TFT, 9));
        d.NoteText(IDC_SETUP_TARGET, text);
        d.NoteText(IDC_SETUP_DELTA, "1.5");
        const ModuleSetupValues v = Accepted(d);
        EXPECT_EQ(v.targetTemperature, raw);
        EXPECT_EQ(v.temperatureDelta, 15);
    }
    // Other models leave the thermometer values as they were given.
    ModuleSetup two(Given(MODEL_TIMER_AMPERE, 1));
    two.NoteText(IDC_SETUP_TARGET, "-50");
    EXPECT_EQ(Accepted(two).targetTemperature, 2255);
}

TEST(ModuleSetupAcceptTest, OkRefusals) {
    const std::string timer = "Введите правильное значение таймера: от 1 до 359999!";
    const std::string timerFull = "Введите правильное значение таймера: от 1 до 3599999!";
    const std::string temperature = "Введите правильное значение температуры: от -9.0 до 90.0!";
    const std::string delta = "Введите правильное значение дельты температуры: от 0.5 до 5.0!";
    const struct {
        int model;
        int code;
        int timerMode;
        const char* timerText;
        const char* target;
        const char* deltaText;
        std::vector<std::string> messages;
    } cases[] = {
        {MODEL_TIMER_AMPERE, 1, 1, "0", "", "", {timer}},
        {MODEL_TIMER_AMPERE, 1, 1, "-5", "", "", {timer}},
        {MODEL_TIMER_AMPERE, 1, 2, "360000", "", "", {timer}},
        {MODEL_TIMER_AMPERE, 1, 3, "359999", "", "", {}},
        {MODEL_TIMER_AMPERE, 1, 1, "1", "", "", {}},
        {MODEL_TIMER_AMPERE, 1, 0, "999999999", "", "", {}}, // a stopwatch takes any number
        {MODEL_PROF_REVERSE, 2, 1, "360000", "", "", {timer}},
        {MODEL_TFT, 9, 1, "3599999", "25.5", "1.5", {}},
        {MODEL_TFT, 9, 1, "3600000", "25.5", "1.5", {timerFull}},
        {MODEL_TFT, 9, 0, "0", "-9.0", "0.5", {}},
        {MODEL_TFT, 9, 0, "0", "90", "5", {}},
        {MODEL_TFT, 9, 0, "0", "-9.5", "1.5", {temperature}},
        {MODEL_TFT, 9, 0, "0", "90.5", "1.5", {temperature}},
        {MODEL_TFT, 9, 0, "0", "25", "0.3", {delta}},
        {MODEL_TFT, 9, 0, "0", "25", "5.5", {delta}},
        {MODEL_TFT, 9, 2, "0", "99", "9", {timerFull, temperature, delta}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "model " << c.model << ", timer mode " << c.timerMode << " \"" << c.timerText
                     << "\", \"" << c.target << "\", \"" << c.deltaText << '"');
        ModuleSetupValues g = Given(c.model, c.code);
        g.timerMode = c.timerMode;
        ModuleSetup d(g);
        d.NoteText(IDC_SETUP_TIMER_VALUE, c.timerText);
        if (c.model == MODEL_TFT) {
            d.NoteText(IDC_SETUP_TARGET, c.target);
            d.NoteText(IDC_SETUP_DELTA, c.deltaText);
        }
        EXPECT_EQ(Refused(d), c.messages);
        // The operator's input stays as typed.
        EXPECT_EQ(d.view.text(IDC_SETUP_TIMER_VALUE), c.timerText);
    }
}

TEST(ModuleSetupAcceptTest, ATimerNotShownIsNotChecked) {
    ModuleSetupValues g = Given(MODEL_TIMER_AMPERE, 1);
    g.timerMode = 1;
    g.timerValue = 0; // the supply's timer has run down
    ModuleSetup d(g);
    EXPECT_EQ(Refused(d), std::vector<std::string>{"Введите правильное значение таймера: от 1 до 359999!"});
    d.Select(IDC_SETUP_MODULE, 3); // configuration 4 sends no timer
    const ModuleSetupValues v = Accepted(d);
    EXPECT_EQ(v.moduleCode, CONFIG_COUNTER_TOTAL);
}

TEST(ModuleSetupAcceptTest, WholeNumberEdits) {
    for (int id : {IDC_SETUP_TIMER_VALUE, IDC_SETUP_FWD_CURRENT, IDC_SETUP_BACK_CURRENT}) {
        for (const char* text :
             {"abc", "12.5", "1 2", "99999999999", id == IDC_SETUP_TIMER_VALUE ? "x" : ""}) {
            SCOPED_TRACE(::testing::Message() << id << " \"" << text << '"');
            ModuleSetup d(Given(MODEL_PROF_REVERSE, 2));
            d.NoteText(id, text);
            auto result = d.Accept();
            ASSERT_TRUE(std::holds_alternative<std::vector<SetupRefusal>>(result));
            EXPECT_EQ(std::get<std::vector<SetupRefusal>>(result),
                      (std::vector<SetupRefusal>{{"Введите целое число.", id}}));
        }
    }
    // The dose and the phase times take decimals; what is no number they refuse as such.
    for (int id : {IDC_SETUP_COUNTER_VALUE, IDC_SETUP_FWD_TIME, IDC_SETUP_BACK_TIME}) {
        for (const char* text : {"abc", "1 2", "1.2.3", "-1", "99999999999", "", "."}) {
            SCOPED_TRACE(::testing::Message() << id << " \"" << text << '"');
            ModuleSetup d(Given(MODEL_PROF_REVERSE, 2));
            d.NoteText(id, text);
            auto result = d.Accept();
            ASSERT_TRUE(std::holds_alternative<std::vector<SetupRefusal>>(result));
            EXPECT_EQ(std::get<std::vector<SetupRefusal>>(result),
                      (std::vector<SetupRefusal>{{"Введите число.", id}}));
        }
    }
    ModuleSetup d(Given(MODEL_PROF_REVERSE, 2));
    d.NoteText(IDC_SETUP_FWD_CURRENT, " 12 ");
    d.NoteText(IDC_SETUP_BACK_CURRENT, "-3");
    d.NoteText(IDC_SETUP_FWD_TIME, " 4,0 ");
    d.NoteText(IDC_SETUP_BACK_TIME, ".7");
    const ModuleSetupValues v = Accepted(d);
    EXPECT_EQ(v.forwardCurrent, 12);
    EXPECT_EQ(v.reverseCurrent, -3); // the request clamps it to 0
    EXPECT_EQ(v.forwardTime, 40);
    EXPECT_EQ(v.reverseTime, 7);
}

TEST(ModuleSetupAcceptTest, EditsShowTheUnitsThePageShows) {
    const struct {
        const char* name;
        int model, code, units;
        int ModuleSetupValues::*value;
        int id;
        int raw;
        const char* shown; // as the page shows the same quantity
        const char* typed;
        int taken;
    } cases[] = {
        {"forward time, tenths of a second", MODEL_PROF_REVERSE, 2, 0, &ModuleSetupValues::forwardTime,
         IDC_SETUP_FWD_TIME, 5, "0.5", "5", 50},
        {"reverse time", MODEL_PROF_REVERSE, 2, 0, &ModuleSetupValues::reverseTime, IDC_SETUP_BACK_TIME, 125,
         "12.5", "0.75", 7},
        {"model 2 dose, ampere-hours", MODEL_TIMER_AMPERE, 1, 0, &ModuleSetupValues::counterValue,
         IDC_SETUP_COUNTER_VALUE, 5, "0.005", "5", 5000},
        {"model 2 dose, ampere-minutes", MODEL_TIMER_AMPERE, 1, 1, &ModuleSetupValues::counterValue,
         IDC_SETUP_COUNTER_VALUE, 125, "2.05", "5,30", 330},
        {"model 6 dose, watt-hours", MODEL_TFT, 9, 2, &ModuleSetupValues::counterValue,
         IDC_SETUP_COUNTER_VALUE, 1234567, "1234.567", "1.5", 1500},
        {"model 4 dose, hundredths", MODEL_PROF, 1, 0, &ModuleSetupValues::counterValue,
         IDC_SETUP_COUNTER_VALUE, 1234567, "12345.67", "5", 500},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ModuleSetupValues g = Given(c.model, c.code);
        g.units = c.units;
        g.counterMode = c.model == MODEL_PROF ? 2 : 1; // a dose, so the edit is in use
        g.*c.value = c.raw;
        ModuleSetup d(g);
        EXPECT_EQ(d.view.text(c.id), c.shown);
        d.NoteText(c.id, c.typed);
        EXPECT_EQ(Accepted(d).*c.value, c.taken);
    }
}

TEST(ModuleSetupAcceptTest, ARuleMeetingAnUnreadableEditSaysSoAndKeepsTheInput) {
    ModuleSetupValues g = Given(MODEL_TIMER_AMPERE, 1);
    g.timerValue = 0;
    ModuleSetup d(g);
    d.NoteText(IDC_SETUP_COUNTER_VALUE, "4x");
    EXPECT_EQ(d.Select(IDC_SETUP_TIMER_MODE, 1), (std::vector<SetupRefusal>{{"Введите число.", 1035}}));
    EXPECT_EQ(d.view.text(IDC_SETUP_TIMER_VALUE), "0");
    EXPECT_EQ(d.view.text(IDC_SETUP_COUNTER_VALUE), "4x");
    // Both rules of a module change read the edits; the operator hears it once.
    d.NoteText(IDC_SETUP_TIMER_VALUE, "0");
    const auto refusals = d.Select(IDC_SETUP_MODULE, 1);
    EXPECT_LE(refusals.size(), 1u);
}

TEST(ModuleSetupAcceptTest, KeyFilterOfTheTemperatureEdits) {
    const ModuleSetup d(Given(MODEL_TFT, 9));
    EXPECT_EQ(d.FilterKey(IDC_SETUP_TARGET, "", {0, 0}, U'-'), (KeyDecision{true, '-'}));
    EXPECT_EQ(d.FilterKey(IDC_SETUP_DELTA, "", {0, 0}, U'-'), REFUSED_KEY);
    EXPECT_EQ(d.FilterKey(IDC_SETUP_DELTA, "1", {1, 1}, U','), (KeyDecision{true, '.'}));
    EXPECT_EQ(d.FilterKey(IDC_SETUP_TARGET, "25.5", {4, 4}, U'1'), REFUSED_KEY);
    EXPECT_FALSE(d.FilterKey(IDC_SETUP_TIMER_VALUE, "", {0, 0}, U'a').has_value());
}

TEST(ModuleSetupAcceptTest, ValuesFromTheRecord) {
    DeviceState s = MakeDeviceState(3, 0);
    s.model = MODEL_TFT;
    s.moduleConfig = CONFIG_FULL;
    s.timerValue = 77;
    s.timerResetOnOff = 0;
    s.timerMode = 2;
    s.counterMode = 0x42; // bit 6: no reset on switch-off
    s.counterDaily = 1234;
    s.counterSelect = 2;
    s.counterUnits = 1;
    s.counterResetOnOff = 1;
    s.revFwdCurrent = 1;
    s.revFwdTime = 2;
    s.revBackCurrent = 3;
    s.revBackTime = 4;
    s.tempTargetRaw = 2100;
    s.thermoMode = 0x81;
    s.tempDeltaRaw = 20;
    const ModuleSetupValues v = ModuleSetupValuesFrom(s);
    EXPECT_EQ(v.modelCode, MODEL_TFT);
    EXPECT_EQ(v.moduleCode, CONFIG_FULL);
    EXPECT_EQ(v.timerValue, 77);
    EXPECT_FALSE(v.resetOnOff);
    EXPECT_EQ(v.timerMode, 2);
    EXPECT_EQ(v.counterMode, 2);
    EXPECT_EQ(v.counterValue, 1234);
    EXPECT_EQ(v.counterKind, 2);
    EXPECT_EQ(v.units, 1);
    EXPECT_TRUE(v.zeroing);
    EXPECT_EQ(v.forwardCurrent, 1);
    EXPECT_EQ(v.forwardTime, 2);
    EXPECT_EQ(v.reverseCurrent, 3);
    EXPECT_EQ(v.reverseTime, 4);
    EXPECT_EQ(v.targetTemperature, 2100);
    EXPECT_EQ(v.thermoMode, 0x81);
    EXPECT_EQ(v.temperatureDelta, 20);
}

} // namespace
} // namespace rir
