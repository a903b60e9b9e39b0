// The module settings dialog's logic: its lists, which groups it shows for a model and a
// configuration, where they sit, and how the mode rules enable the edits.
#include "ModuleSetupRig.h"

#include <algorithm>

namespace rir {
namespace {

using test::Given;

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
        const char *none, *putIn; // the dose of 0 and of 60 raw units, as the page shows them
    } cases[] = {
        {MODEL_TIMER_AMPERE, 1, {false, true}, "0.000", "0.060"},
        {MODEL_TIMER_AMPERE, 3, {false, true, true, true}, "0.000", "0.060"},
        {MODEL_PROF, 1, {false, false, true, true, true}, "0.00", "0.60"},
        {MODEL_PROF_REVERSE, 1, {false, false, true, true, true}, "0.00", "0.60"},
        {MODEL_TFT, 9, {false, true, true, true}, "0.000", "0.060"},
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
            EXPECT_EQ(d.view.text(IDC_SETUP_COUNTER_VALUE), c.enabledByIndex[i] ? c.putIn : c.none);
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

} // namespace
} // namespace rir
