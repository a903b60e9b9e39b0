// The module settings dialog's logic: lists, groups and their places, the mode rules, and what
// "Установить" refuses and hands back.
#include "device/ModuleSetup.h"

#include "device/Ratings.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

ModuleSetupValues Given(int model, int code) {
    ModuleSetupValues v;
    v.modelCode = model;
    v.moduleCode = code;
    v.reverseCapable = model == MODEL_PROF_REVERSE;
    v.timerValue = 125;
    v.counterValue = 40;
    v.targetTemperature = 2255;
    v.temperatureDelta = 15;
    return v;
}

std::vector<int> Shown(const ModuleSetup& d) {
    std::vector<int> ids;
    for (const SetupControl& c : ModuleSetupTemplate()) {
        if (c.id != IDC_STATIC && c.id != IDOK && c.id != IDCANCEL && c.id != IDC_SETUP_MODULE &&
            d.view.shown(c.id))
            ids.push_back(c.id);
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

std::vector<int> Sorted(std::vector<int> ids) {
    std::sort(ids.begin(), ids.end());
    return ids;
}

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

const std::vector<int> TIMER{IDC_SETUP_TIMER_GROUP, IDC_SETUP_TIMER_MODE_LABEL, IDC_SETUP_TIMER_MODE,
                             IDC_SETUP_TIMER_VALUE_LABEL, IDC_SETUP_TIMER_VALUE};
const std::vector<int> COUNTER_FULL{IDC_SETUP_COUNTER_GROUP, IDC_SETUP_COUNTER_MODE_LABEL,
                                    IDC_SETUP_COUNTER_MODE,  IDC_SETUP_COUNTER_VALUE_LABEL,
                                    IDC_SETUP_COUNTER_VALUE, IDC_SETUP_UNITS_LABEL,
                                    IDC_SETUP_UNITS,         IDC_SETUP_ZEROING_LABEL,
                                    IDC_SETUP_ZEROING};

std::vector<int> Join(std::initializer_list<std::vector<int>> parts) {
    std::vector<int> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return Sorted(out);
}

TEST(ModuleSetupTest, ModuleListPerModel) {
    EXPECT_EQ(ModuleSetup(Given(MODEL_TIMER_AMPERE, 0)).combo(IDC_SETUP_MODULE).items,
              (std::vector<std::string>{"Ничего", "Таймер/секундомер + счетчик ампер-часов",
                                        "Счетчика ампер-часов: накопительный + дневной-дозатор",
                                        "Счетчика ампер-часов: накопительный", "Ватт-метр"}));
    EXPECT_EQ(ModuleSetup(Given(MODEL_PROF_REVERSE, 1)).combo(IDC_SETUP_MODULE).items,
              (std::vector<std::string>{"Таймер/секундомер + счетчик ампер-часов",
                                        "Таймер/секундомер + реверс", "Двухканальный режим"}));
    EXPECT_EQ(ModuleSetup(Given(MODEL_PROF, 1)).combo(IDC_SETUP_MODULE).items,
              (std::vector<std::string>{"Таймер/секундомер + счетчик ампер-часов", "Двухканальный режим"}));
    EXPECT_EQ(ModuleSetup(Given(MODEL_TFT, 9)).combo(IDC_SETUP_MODULE).items,
              (std::vector<std::string>{"Таймер/секундомер + счетчик ампер-часов + ваттметр + термометр"}));
    EXPECT_TRUE(ModuleSetup(Given(5, 1)).combo(IDC_SETUP_MODULE).items.empty());

    EXPECT_EQ(ModuleSetup(Given(MODEL_PROF, 6)).combo(IDC_SETUP_MODULE).selected, 1);
    EXPECT_EQ(ModuleSetup(Given(MODEL_TIMER_AMPERE, 4)).combo(IDC_SETUP_MODULE).selected, 3);
}

TEST(ModuleSetupTest, FixedLists) {
    const ModuleSetup d(Given(MODEL_TFT, 9));
    EXPECT_EQ(d.combo(IDC_SETUP_TIMER_MODE).items,
              (std::vector<std::string>{"Секундомер", "Таймер: по завершению работы ток отключается [выкл]",
                                        "Таймер: по завершению работы ток снижается в 10 раз [т10%]",
                                        "Таймер: по завершению работы ток не отключается [безв]"}));
    EXPECT_EQ(d.combo(IDC_SETUP_UNITS).items,
              (std::vector<std::string>{"ампер-часы", "ампер-минуты", "ватт-часы"}));
    EXPECT_EQ(d.combo(IDC_SETUP_THERMO_MODE).items,
              (std::vector<std::string>{
                  "Термометр", "Терморегулятор - нагрев через реле", "Терморегулятор - охлаждение через реле",
                  "Ограничение работы БП по температуре", "Терморегулятор - нагрев через БП"}));
    EXPECT_EQ(d.combo(IDC_SETUP_COUNTER_MODE).items,
              (std::vector<std::string>{"Дневной счетчик (прямой счет)", "Дозатор с отключением [выкл]",
                                        "Дозатор с 10% током [т10%]", "Дозатор без выключения [безв]"}));
    EXPECT_EQ(ModuleSetup(Given(MODEL_TIMER_AMPERE, 1)).combo(IDC_SETUP_UNITS).items,
              (std::vector<std::string>{"ампер-часы", "ампер-минуты"}));
}

TEST(ModuleSetupTest, CounterModeListPerModuleAndModel) {
    EXPECT_EQ(ModuleSetup(Given(MODEL_TIMER_AMPERE, 1)).combo(IDC_SETUP_COUNTER_MODE).items,
              (std::vector<std::string>{"Накопительный + дневной счетчик (прямой счет)",
                                        "Накопительный + дозатор без выключения [безв]"}));
    const std::vector<std::string> prof{
        "Накопительный счетчик", "Накопительный + дневной счетчик (прямой счет)",
        "Накопительный + дозатор с отключением [выкл]", "Накопительный + дозатор с 10% током [т10%]",
        "Накопительный + дозатор без выключения [безв]"};
    EXPECT_EQ(ModuleSetup(Given(MODEL_PROF, 1)).combo(IDC_SETUP_COUNTER_MODE).items, prof);
    EXPECT_EQ(ModuleSetup(Given(MODEL_PROF_REVERSE, 1)).combo(IDC_SETUP_COUNTER_MODE).items, prof);
    EXPECT_EQ(ModuleSetup(Given(MODEL_TIMER_AMPERE, 3)).combo(IDC_SETUP_COUNTER_MODE).items,
              (std::vector<std::string>{"Накопительный + дневной счетчик (прямой счет)",
                                        "Накопительный + дозатор с отключением [выкл]",
                                        "Накопительный + дозатор с 10% током [т10%]",
                                        "Накопительный + дозатор без выключения [безв]"}));
    // Opened on a configuration without a counter, models 3 and 4 hold the first entry alone.
    EXPECT_EQ(ModuleSetup(Given(MODEL_PROF, 6)).combo(IDC_SETUP_COUNTER_MODE).items,
              (std::vector<std::string>{"Накопительный счетчик"}));
}

TEST(ModuleSetupTest, GroupsPerModelAndModule) {
    const std::vector<int> reverse(SETUP_REVERSE_CONTROLS.begin(), SETUP_REVERSE_CONTROLS.end());
    std::vector<int> thermo(SETUP_THERMO_CONTROLS.begin(), SETUP_THERMO_CONTROLS.end());
    thermo.push_back(IDC_SETUP_THERMO_GROUP);
    const std::vector<int> counterModel3{IDC_SETUP_COUNTER_GROUP, IDC_SETUP_COUNTER_MODE_LABEL,
                                         IDC_SETUP_COUNTER_MODE,  IDC_SETUP_COUNTER_VALUE_LABEL,
                                         IDC_SETUP_COUNTER_VALUE, IDC_SETUP_ZEROING_LABEL,
                                         IDC_SETUP_ZEROING};
    const struct {
        int model;
        int code;
        std::vector<int> shown;
        const char* timerCaption;
        const char* counterCaption;
    } cases[] = {
        {MODEL_TIMER_AMPERE, 0, {IDC_SETUP_TIMER_GROUP}, "Настройки отсутствуют", nullptr},
        {MODEL_TIMER_AMPERE, 1, Join({TIMER, COUNTER_FULL}), "Настройки таймера-секундомера",
         "Настройки счетчика ампер-часов"},
        {MODEL_TIMER_AMPERE, 3, COUNTER_FULL, nullptr, "Настройки счетчика ампер-часов"},
        {MODEL_TIMER_AMPERE, 4,
         Sorted({IDC_SETUP_COUNTER_GROUP, IDC_SETUP_UNITS_LABEL, IDC_SETUP_UNITS, IDC_SETUP_ZEROING_LABEL,
                 IDC_SETUP_ZEROING}),
         nullptr, "Настройки счетчика ампер-часов"},
        {MODEL_TIMER_AMPERE, 5, {IDC_SETUP_TIMER_GROUP}, "Настройки отсутствуют", nullptr},
        {MODEL_PROF_REVERSE, 1, Join({TIMER, counterModel3}), "Настройки таймера-секундомера",
         "Настройки счетчика ампер-часов"},
        {MODEL_PROF_REVERSE, 2, Join({TIMER, {IDC_SETUP_COUNTER_GROUP}, reverse}),
         "Настройки таймера-секундомера", "Настройки реверса"},
        {MODEL_PROF, 6, {IDC_SETUP_TIMER_GROUP}, "Настройки отсутствуют", nullptr},
        {MODEL_TFT, 9,
         Join({TIMER, {IDC_SETUP_TIMER_RESET_LABEL, IDC_SETUP_TIMER_RESET}, COUNTER_FULL, thermo}),
         "Настройки таймера-секундомера", "Настройки счетчика А*час, А*мин, Вт*час:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "model " << c.model << ", configuration " << c.code);
        const ModuleSetup d(Given(c.model, c.code));
        EXPECT_EQ(Shown(d), Sorted(c.shown));
        if (c.timerCaption) {
            EXPECT_EQ(d.view.text(IDC_SETUP_TIMER_GROUP), c.timerCaption);
        }
        if (c.counterCaption) {
            EXPECT_EQ(d.view.text(IDC_SETUP_COUNTER_GROUP), c.counterCaption);
        }
        EXPECT_EQ(d.view.text(IDC_SETUP_TIMER_VALUE_LABEL), "Таймер, с:");
    }
}

TEST(ModuleSetupTest, Model6Captions) {
    const ModuleSetup d(Given(MODEL_TFT, 9));
    EXPECT_EQ(d.view.text(IDC_SETUP_COUNTER_MODE_LABEL), "Режим работы:");
    EXPECT_EQ(d.view.text(IDC_SETUP_ZEROING_LABEL), "Сброс значения по выключению [c\xd0\xb1]:"); // Latin c
    EXPECT_EQ(d.view.text(IDC_SETUP_TIMER_RESET_LABEL), "Сброс значения по выключению [сб]:");
    const ModuleSetup two(Given(MODEL_TIMER_AMPERE, 1));
    EXPECT_EQ(two.view.text(IDC_SETUP_ZEROING_LABEL), "Обнуление накопительного счетчика::");
}

TEST(ModuleSetupTest, PlacesAndHeightByModel) {
    const ModuleSetup two(Given(MODEL_TIMER_AMPERE, 1));
    EXPECT_EQ(two.height(), SETUP_TEMPLATE_HEIGHT - 100);
    EXPECT_EQ(two.rect(IDOK), FindSetupControl(IDOK)->rect);
    EXPECT_EQ(two.rect(IDC_SETUP_THERMO_GROUP), FindSetupControl(IDC_SETUP_THERMO_GROUP)->rect);
    EXPECT_EQ(two.rect(IDC_SETUP_COUNTER_GROUP), FindSetupControl(IDC_SETUP_COUNTER_GROUP)->rect);
    for (int id : SETUP_REVERSE_CONTROLS)
        EXPECT_EQ(two.rect(id).y, FindSetupControl(id)->rect.y - 55) << id;
    // The reverse controls land inside the counter group, beside its rows.
    EXPECT_EQ(two.rect(IDC_SETUP_FWD_CURRENT).y, two.rect(IDC_SETUP_COUNTER_MODE).y);

    const ModuleSetup six(Given(MODEL_TFT, 9));
    EXPECT_EQ(six.height(), SETUP_TEMPLATE_HEIGHT);
    EXPECT_EQ(six.rect(IDOK).y, FindSetupControl(IDOK)->rect.y + 110);
    EXPECT_EQ(six.rect(IDCANCEL).y, FindSetupControl(IDCANCEL)->rect.y + 110);
    EXPECT_EQ(six.rect(IDC_SETUP_THERMO_GROUP).y, FindSetupControl(IDC_SETUP_THERMO_GROUP)->rect.y - 65);
    EXPECT_EQ(six.rect(IDC_SETUP_TARGET).y, FindSetupControl(IDC_SETUP_TARGET)->rect.y - 65);
    // Model 6 stacks the groups without overlap and keeps the buttons inside the dialog.
    EXPECT_GE(six.rect(IDC_SETUP_THERMO_GROUP).y, six.rect(IDC_SETUP_COUNTER_GROUP).bottom());
    EXPECT_GE(six.rect(IDOK).y, six.rect(IDC_SETUP_THERMO_GROUP).bottom());
    EXPECT_LE(six.rect(IDOK).bottom(), six.height());
    EXPECT_LE(two.rect(IDOK).bottom(), two.height());
    EXPECT_GE(two.rect(IDC_SETUP_THERMO_GROUP).y, two.height());
}

TEST(ModuleSetupTest, CounterOnlyConfigurationsTakeTheTimersPlaceOnce) {
    ModuleSetup d(Given(MODEL_TIMER_AMPERE, 1));
    const PixelRect own = d.rect(IDC_SETUP_COUNTER_GROUP);
    const int unitsY = d.rect(IDC_SETUP_UNITS).y;
    d.takeMoved();
    d.Select(IDC_SETUP_MODULE, 2); // configuration 3
    EXPECT_EQ(d.rect(IDC_SETUP_COUNTER_GROUP).y, own.y - 121);
    EXPECT_EQ(d.rect(IDC_SETUP_COUNTER_GROUP).y, d.rect(IDC_SETUP_TIMER_GROUP).y);
    EXPECT_EQ(d.rect(IDC_SETUP_UNITS).y, unitsY - 121);
    const std::vector<int> moved = d.takeMoved();
    EXPECT_NE(std::find(moved.begin(), moved.end(), IDC_SETUP_COUNTER_GROUP), moved.end());
    d.Select(IDC_SETUP_MODULE, 3); // configuration 4: already up
    EXPECT_EQ(d.rect(IDC_SETUP_COUNTER_GROUP).y, own.y - 121);
    EXPECT_TRUE(d.takeMoved().empty());
    d.Select(IDC_SETUP_MODULE, 1); // back to 1: back down
    EXPECT_EQ(d.rect(IDC_SETUP_COUNTER_GROUP), own);
    EXPECT_EQ(d.rect(IDC_SETUP_UNITS).y, unitsY);
    d.Select(IDC_SETUP_MODULE, 0);
    EXPECT_EQ(Shown(d), std::vector<int>{IDC_SETUP_TIMER_GROUP});
    EXPECT_EQ(d.view.text(IDC_SETUP_TIMER_GROUP), "Настройки отсутствуют");
}

TEST(ModuleSetupTest, NoEntryForTheGivenCodeSelectsNothing) {
    ModuleSetup d(Given(MODEL_PROF, CONFIG_NONE)); // models 3 and 4 offer no "Ничего"
    EXPECT_EQ(d.combo(IDC_SETUP_MODULE).selected, -1);
    EXPECT_TRUE(d.view.shown(IDC_SETUP_TIMER_GROUP));
    EXPECT_TRUE(d.view.shown(IDC_SETUP_COUNTER_GROUP));
    EXPECT_FALSE(d.view.shown(IDC_SETUP_FWD_CURRENT));
    EXPECT_EQ(std::get<ModuleSetupValues>(d.Accept()).moduleCode, CONFIG_NONE);
}

TEST(ModuleSetupTest, TimerModeRule) {
    ModuleSetupValues g = Given(MODEL_TIMER_AMPERE, 1);
    g.timerValue = 0;
    ModuleSetup d(g);
    EXPECT_EQ(d.combo(IDC_SETUP_TIMER_MODE).selected, 0);
    EXPECT_FALSE(d.view.enabled(IDC_SETUP_TIMER_VALUE));
    EXPECT_EQ(d.view.text(IDC_SETUP_TIMER_VALUE), "0");
    EXPECT_TRUE(d.Select(IDC_SETUP_TIMER_MODE, 2).empty());
    EXPECT_TRUE(d.view.enabled(IDC_SETUP_TIMER_VALUE));
    EXPECT_EQ(d.view.text(IDC_SETUP_TIMER_VALUE), "60");
    d.NoteText(IDC_SETUP_TIMER_VALUE, "90");
    d.Select(IDC_SETUP_TIMER_MODE, 1);
    EXPECT_EQ(d.view.text(IDC_SETUP_TIMER_VALUE), "90");
    d.Select(IDC_SETUP_TIMER_MODE, 0);
    EXPECT_FALSE(d.view.enabled(IDC_SETUP_TIMER_VALUE));
    // An emptied edit is a timer of 0 too.
    d.NoteText(IDC_SETUP_TIMER_VALUE, "");
    d.Select(IDC_SETUP_TIMER_MODE, 3);
    EXPECT_EQ(d.view.text(IDC_SETUP_TIMER_VALUE), "60");
}

TEST(ModuleSetupTest, CounterModeRule) {
    const struct {
        int model;
        int code;
        std::vector<bool> enabledByIndex;
    } cases[] = {
        {MODEL_TIMER_AMPERE, 1, {false, true}},
        {MODEL_TIMER_AMPERE, 3, {false, true, true, true}},
        {MODEL_PROF, 1, {false, false, true, true, true}},
        {MODEL_PROF_REVERSE, 1, {false, false, true, true, true}},
        {MODEL_TFT, 9, {false, true, true, true}},
    };
    for (const auto& c : cases) {
        for (std::size_t i = 0; i < c.enabledByIndex.size(); ++i) {
            SCOPED_TRACE(::testing::Message()
                         << "model " << c.model << ", configuration " << c.code << ", index " << i);
            ModuleSetupValues g = Given(c.model, c.code);
            g.counterValue = 0;
            ModuleSetup d(g);
            d.Select(IDC_SETUP_COUNTER_MODE, static_cast<int>(i));
            EXPECT_EQ(d.view.enabled(IDC_SETUP_COUNTER_VALUE), c.enabledByIndex[i]);
            EXPECT_EQ(d.view.text(IDC_SETUP_COUNTER_VALUE), c.enabledByIndex[i] ? "60" : "0");
        }
    }
}

TEST(ModuleSetupTest, ThermoModeRule) {
    ModuleSetupValues g = Given(MODEL_TFT, 9);
    g.thermoMode = 0x80 | 3; // relay on, temperature limit
    ModuleSetup d(g);
    EXPECT_EQ(d.combo(IDC_SETUP_THERMO_MODE).selected, 3);
    EXPECT_TRUE(d.view.enabled(IDC_SETUP_TARGET));
    EXPECT_FALSE(d.view.enabled(IDC_SETUP_DELTA));
    d.Select(IDC_SETUP_THERMO_MODE, 0);
    EXPECT_FALSE(d.view.enabled(IDC_SETUP_TARGET));
    EXPECT_FALSE(d.view.enabled(IDC_SETUP_DELTA));
    for (int i : {1, 2, 4}) {
        d.Select(IDC_SETUP_THERMO_MODE, i);
        EXPECT_TRUE(d.view.enabled(IDC_SETUP_TARGET)) << i;
        EXPECT_TRUE(d.view.enabled(IDC_SETUP_DELTA)) << i;
    }
    EXPECT_EQ(d.view.text(IDC_SETUP_TARGET), "25.5");
    EXPECT_EQ(d.view.text(IDC_SETUP_DELTA), "1.5");
}

TEST(ModuleSetupTest, EmptyStopwatchClosesWithZero) {
    ModuleSetup d(Given(MODEL_TIMER_AMPERE, 1));
    d.NoteText(IDC_SETUP_TIMER_VALUE, "");
    const ModuleSetupValues v = Accepted(d);
    EXPECT_EQ(v.timerMode, 0);
    EXPECT_EQ(v.timerValue, 0);
    EXPECT_EQ(v.moduleCode, 1);
}

TEST(ModuleSetupTest, CounterKindAndModeHandedBack) {
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

TEST(ModuleSetupTest, OpensOnTheCounterEntryLastSent) {
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

TEST(ModuleSetupTest, UnitsAndCheckBoxes) {
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

TEST(ModuleSetupTest, TemperaturesReadToTheHalfDegree) {
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

TEST(ModuleSetupTest, OkRefusals) {
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

TEST(ModuleSetupTest, ATimerNotShownIsNotChecked) {
    ModuleSetupValues g = Given(MODEL_TIMER_AMPERE, 1);
    g.timerMode = 1;
    g.timerValue = 0; // the supply's timer has run down
    ModuleSetup d(g);
    EXPECT_EQ(Refused(d), std::vector<std::string>{"Введите правильное значение таймера: от 1 до 359999!"});
    d.Select(IDC_SETUP_MODULE, 3); // configuration 4 sends no timer
    const ModuleSetupValues v = Accepted(d);
    EXPECT_EQ(v.moduleCode, CONFIG_COUNTER_TOTAL);
}

TEST(ModuleSetupTest, WholeNumberEdits) {
    for (int id : {IDC_SETUP_TIMER_VALUE, IDC_SETUP_COUNTER_VALUE, IDC_SETUP_FWD_CURRENT, IDC_SETUP_FWD_TIME,
                   IDC_SETUP_BACK_CURRENT, IDC_SETUP_BACK_TIME}) {
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
    ModuleSetup d(Given(MODEL_PROF_REVERSE, 2));
    d.NoteText(IDC_SETUP_FWD_CURRENT, " 12 ");
    d.NoteText(IDC_SETUP_BACK_CURRENT, "-3");
    d.NoteText(IDC_SETUP_FWD_TIME, "+40");
    d.NoteText(IDC_SETUP_BACK_TIME, "7");
    const ModuleSetupValues v = Accepted(d);
    EXPECT_EQ(v.forwardCurrent, 12);
    EXPECT_EQ(v.reverseCurrent, -3); // the request clamps it to 0
    EXPECT_EQ(v.forwardTime, 40);
    EXPECT_EQ(v.reverseTime, 7);
}

TEST(ModuleSetupTest, ARuleMeetingAnUnreadableEditSaysSoAndKeepsTheInput) {
    ModuleSetupValues g = Given(MODEL_TIMER_AMPERE, 1);
    g.timerValue = 0;
    ModuleSetup d(g);
    d.NoteText(IDC_SETUP_COUNTER_VALUE, "4x");
    EXPECT_EQ(d.Select(IDC_SETUP_TIMER_MODE, 1), (std::vector<SetupRefusal>{{"Введите целое число.", 1035}}));
    EXPECT_EQ(d.view.text(IDC_SETUP_TIMER_VALUE), "0");
    EXPECT_EQ(d.view.text(IDC_SETUP_COUNTER_VALUE), "4x");
    // Both rules of a module change read the edits; the operator hears it once.
    d.NoteText(IDC_SETUP_TIMER_VALUE, "0");
    const auto refusals = d.Select(IDC_SETUP_MODULE, 1);
    EXPECT_LE(refusals.size(), 1u);
}

TEST(ModuleSetupTest, KeyFilterOfTheTemperatureEdits) {
    const ModuleSetup d(Given(MODEL_TFT, 9));
    EXPECT_EQ(d.FilterKey(IDC_SETUP_TARGET, "", {0, 0}, U'-'), (KeyDecision{true, '-'}));
    EXPECT_EQ(d.FilterKey(IDC_SETUP_DELTA, "", {0, 0}, U'-'), REFUSED_KEY);
    EXPECT_EQ(d.FilterKey(IDC_SETUP_DELTA, "1", {1, 1}, U','), (KeyDecision{true, '.'}));
    EXPECT_EQ(d.FilterKey(IDC_SETUP_TARGET, "25.5", {4, 4}, U'1'), REFUSED_KEY);
    EXPECT_FALSE(d.FilterKey(IDC_SETUP_TIMER_VALUE, "", {0, 0}, U'a').has_value());
}

TEST(ModuleSetupTest, ValuesFromTheRecord) {
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
