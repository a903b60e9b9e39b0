#include "device/ModuleSetupTemplate.h"

#include "device/Ratings.h"

#include <algorithm>
#include <array>

namespace rir {

namespace {

using K = SetupControlKind;

constexpr int LABEL_X = 20;
constexpr int FIELD_X = 125;
constexpr int LABEL_H = 15;
constexpr int FIELD_H = 22;

// Rows of the counter group at its own place; the reverse controls sit 55 pixels under the rows
// they take inside that group once the dialog has moved them up.
constexpr int COUNTER_ROW1 = 180;
constexpr int COUNTER_ROW2 = 210;
constexpr int REVERSE_DROP = 55;
// The thermometer group lies beyond the short dialog's bottom until model 6 moves it up.
constexpr int THERMO_ROW1 = 390;
constexpr int THERMO_ROW2 = 420;

// The reverse controls share the counter group's place and the thermometer group lies outside
// the short dialog, so both start hidden: a dialog that finds no configuration to select shows
// the timer and counter groups of the template and nothing on top of them.
constexpr std::array TEMPLATE{
    SetupControl{IDC_STATIC, K::Label, {10, 12, 95, LABEL_H}, "Текущий модуль:"},
    SetupControl{IDC_SETUP_MODULE, K::ComboBox, {110, 9, 330, FIELD_H}, ""},

    SetupControl{IDC_SETUP_TIMER_GROUP, K::GroupBox, {10, 40, 430, 116}, "Настройки таймера-секундомера"},
    SetupControl{IDC_SETUP_TIMER_MODE_LABEL, K::Label, {LABEL_X, 62, 100, LABEL_H}, "Режим работы:"},
    SetupControl{IDC_SETUP_TIMER_MODE, K::ComboBox, {FIELD_X, 59, 305, FIELD_H}, ""},
    SetupControl{IDC_SETUP_TIMER_VALUE_LABEL, K::Label, {LABEL_X, 92, 100, LABEL_H}, "Таймер, с:"},
    SetupControl{IDC_SETUP_TIMER_VALUE, K::Edit, {FIELD_X, 89, 90, FIELD_H}, ""},
    SetupControl{IDC_SETUP_TIMER_RESET_LABEL,
                 K::Label,
                 {LABEL_X, 122, 200, LABEL_H},
                 "Сброс значения по выключению [сб]:"},
    SetupControl{IDC_SETUP_TIMER_RESET, K::CheckBox, {225, 120, 20, 20}, ""},

    // 121 pixels under the timer group, whose place a counter-only configuration takes.
    SetupControl{IDC_SETUP_COUNTER_GROUP, K::GroupBox, {10, 161, 430, 140}, "Настройки счетчика ампер-часов"},
    SetupControl{
        IDC_SETUP_COUNTER_MODE_LABEL, K::Label, {LABEL_X, COUNTER_ROW1 + 3, 100, LABEL_H}, "Режим счетчика:"},
    SetupControl{IDC_SETUP_COUNTER_MODE, K::ComboBox, {FIELD_X, COUNTER_ROW1, 305, FIELD_H}, ""},
    SetupControl{IDC_SETUP_COUNTER_VALUE_LABEL, K::Label, {LABEL_X, COUNTER_ROW2 + 3, 100, LABEL_H}, "Доза:"},
    SetupControl{IDC_SETUP_COUNTER_VALUE, K::Edit, {FIELD_X, COUNTER_ROW2, 90, FIELD_H}, ""},
    SetupControl{IDC_SETUP_UNITS_LABEL, K::Label, {LABEL_X, 243, 100, LABEL_H}, "Единицы:"},
    SetupControl{IDC_SETUP_UNITS, K::ComboBox, {FIELD_X, 240, 150, FIELD_H}, ""},
    SetupControl{IDC_SETUP_ZEROING_LABEL,
                 K::Label,
                 {LABEL_X, 273, 200, LABEL_H},
                 "Обнуление накопительного счетчика::"},
    SetupControl{IDC_SETUP_ZEROING, K::CheckBox, {225, 271, 20, 20}, ""},

    SetupControl{IDC_SETUP_FWD_CURRENT_LABEL,
                 K::Label,
                 {LABEL_X, COUNTER_ROW1 + REVERSE_DROP + 3, 100, LABEL_H},
                 "Прямой ток, А:",
                 false},
    SetupControl{
        IDC_SETUP_FWD_CURRENT, K::Edit, {FIELD_X, COUNTER_ROW1 + REVERSE_DROP, 60, FIELD_H}, "", false},
    SetupControl{IDC_SETUP_FWD_TIME_LABEL,
                 K::Label,
                 {200, COUNTER_ROW1 + REVERSE_DROP + 3, 60, LABEL_H},
                 "Время, с:",
                 false},
    SetupControl{IDC_SETUP_FWD_TIME, K::Edit, {265, COUNTER_ROW1 + REVERSE_DROP, 60, FIELD_H}, "", false},
    SetupControl{IDC_SETUP_BACK_CURRENT_LABEL,
                 K::Label,
                 {LABEL_X, COUNTER_ROW2 + REVERSE_DROP + 3, 100, LABEL_H},
                 "Обратный ток, А:",
                 false},
    SetupControl{
        IDC_SETUP_BACK_CURRENT, K::Edit, {FIELD_X, COUNTER_ROW2 + REVERSE_DROP, 60, FIELD_H}, "", false},
    SetupControl{IDC_SETUP_BACK_TIME_LABEL,
                 K::Label,
                 {200, COUNTER_ROW2 + REVERSE_DROP + 3, 60, LABEL_H},
                 "Время, с:",
                 false},
    SetupControl{IDC_SETUP_BACK_TIME, K::Edit, {265, COUNTER_ROW2 + REVERSE_DROP, 60, FIELD_H}, "", false},

    SetupControl{IDC_SETUP_THERMO_GROUP, K::GroupBox, {10, 371, 430, 95}, "Настройки термометра", false},
    SetupControl{IDC_SETUP_THERMO_MODE_LABEL,
                 K::Label,
                 {LABEL_X, THERMO_ROW1 + 3, 100, LABEL_H},
                 "Режим работы:",
                 false},
    SetupControl{IDC_SETUP_THERMO_MODE, K::ComboBox, {FIELD_X, THERMO_ROW1, 305, FIELD_H}, "", false},
    SetupControl{IDC_SETUP_TARGET_LABEL,
                 K::Label,
                 {LABEL_X, THERMO_ROW2 + 3, 130, LABEL_H},
                 "Целевая температура:",
                 false},
    SetupControl{IDC_SETUP_TARGET, K::Edit, {155, THERMO_ROW2, 60, FIELD_H}, "", false},
    SetupControl{IDC_SETUP_DELTA_LABEL, K::Label, {230, THERMO_ROW2 + 3, 60, LABEL_H}, "Дельта T:", false},
    SetupControl{IDC_SETUP_DELTA, K::Edit, {295, THERMO_ROW2, 60, FIELD_H}, "", false},

    SetupControl{IDOK, K::Button, {225, 308, 100, 25}, "Установить"},
    SetupControl{IDCANCEL, K::Button, {335, 308, 100, 25}, "Отменить"},
};

} // namespace

std::span<const SetupControl> ModuleSetupTemplate() {
    return TEMPLATE;
}

const SetupControl* FindSetupControl(int id) {
    if (id == IDC_STATIC)
        return nullptr;
    const auto* const it =
        std::find_if(TEMPLATE.begin(), TEMPLATE.end(), [id](const SetupControl& c) { return c.id == id; });
    return it == TEMPLATE.end() ? nullptr : &*it;
}

std::vector<std::string> TimerModeList() {
    return {"Секундомер", "Таймер: по завершению работы ток отключается [выкл]",
            "Таймер: по завершению работы ток снижается в 10 раз [т10%]",
            "Таймер: по завершению работы ток не отключается [безв]"};
}

std::vector<std::string> UnitsList(int model) {
    std::vector<std::string> units{"ампер-часы", "ампер-минуты"};
    if (model == MODEL_TFT)
        units.emplace_back("ватт-часы");
    return units;
}

std::vector<std::string> ThermoModeList() {
    return {"Термометр", "Терморегулятор - нагрев через реле", "Терморегулятор - охлаждение через реле",
            "Ограничение работы БП по температуре", "Терморегулятор - нагрев через БП"};
}

std::vector<std::string> CounterModeList(int module, int model) {
    if (module == CONFIG_TIMER_COUNTER && model == MODEL_TIMER_AMPERE)
        return {"Накопительный + дневной счетчик (прямой счет)",
                "Накопительный + дозатор без выключения [безв]"};
    if (module == CONFIG_TIMER_COUNTER && (model == MODEL_PROF_REVERSE || model == MODEL_PROF))
        return {"Накопительный счетчик", "Накопительный + дневной счетчик (прямой счет)",
                "Накопительный + дозатор с отключением [выкл]", "Накопительный + дозатор с 10% током [т10%]",
                "Накопительный + дозатор без выключения [безв]"};
    if (module == CONFIG_FULL)
        return {"Дневной счетчик (прямой счет)", "Дозатор с отключением [выкл]", "Дозатор с 10% током [т10%]",
                "Дозатор без выключения [безв]"};
    if (module == CONFIG_COUNTERS_DOSER)
        return {"Накопительный + дневной счетчик (прямой счет)",
                "Накопительный + дозатор с отключением [выкл]", "Накопительный + дозатор с 10% током [т10%]",
                "Накопительный + дозатор без выключения [безв]"};
    return {};
}

} // namespace rir
