// The rules of the module settings dialog: which groups a configuration shows, and how the timer,
// counter and thermometer modes enable their edits.
#include "device/ModuleSetup.h"

#include "device/Ratings.h"

#include <algorithm>

namespace rir {

namespace {

constexpr int COUNTER_GROUP_RISE = 121; // configurations 3 and 4: the counter group in the timer's place
constexpr int PUT_IN_VALUE = 60;        // what a timer or dose of 0 becomes when it starts to matter
constexpr int THERMO_LIMIT_MODE = 3; // "Ограничение работы БП по температуре": no delta

void Collect(std::vector<SetupRefusal>& into, std::optional<SetupRefusal> refusal) {
    // Two rules that read the same unreadable edit say so once.
    if (refusal && std::find(into.begin(), into.end(), *refusal) == into.end())
        into.push_back(std::move(*refusal));
}

} // namespace

std::vector<SetupRefusal> ModuleSetup::ApplyModuleRule() {
    view.SetShown(IDC_SETUP_TIMER_GROUP, false);
    view.SetShown(IDC_SETUP_COUNTER_GROUP, false);
    for (int id : SETUP_TIMER_CONTROLS)
        view.SetShown(id, false);
    for (int id : SETUP_COUNTER_CONTROLS)
        view.SetShown(id, false);
    for (int id : SETUP_REVERSE_CONTROLS)
        view.SetShown(id, false);
    view.SetShown(IDC_SETUP_THERMO_GROUP, false);
    for (int id : SETUP_THERMO_CONTROLS)
        view.SetShown(id, false);

    std::vector<SetupRefusal> refusals;
    const int code = values_.moduleCode;
    if (HasTimerBlock(code)) {
        view.SetTextIfChanged(IDC_SETUP_TIMER_GROUP, "Настройки таймера-секундомера");
        view.SetTextIfChanged(IDC_SETUP_TIMER_VALUE_LABEL, "Таймер, с:");
        Show({IDC_SETUP_TIMER_GROUP, IDC_SETUP_TIMER_MODE_LABEL, IDC_SETUP_TIMER_MODE,
              IDC_SETUP_TIMER_VALUE_LABEL, IDC_SETUP_TIMER_VALUE});
        SelectCombo(IDC_SETUP_TIMER_MODE, given_.timerMode);
        Collect(refusals, ApplyTimerModeRule(Selection(IDC_SETUP_TIMER_MODE)));
        values_.timerValue = given_.timerValue;
        if (code == CONFIG_FULL) {
            Show({IDC_SETUP_TIMER_RESET_LABEL, IDC_SETUP_TIMER_RESET});
            view.SetChecked(IDC_SETUP_TIMER_RESET, given_.resetOnOff);
            view.SetShown(IDC_SETUP_THERMO_GROUP, true);
            for (int id : SETUP_THERMO_CONTROLS)
                view.SetShown(id, true);
        }
    }
    switch (code) {
    case CONFIG_TIMER_COUNTER:
    case CONFIG_FULL:
        ShowCounterGroup(false);
        Show({IDC_SETUP_COUNTER_MODE_LABEL, IDC_SETUP_COUNTER_MODE, IDC_SETUP_COUNTER_VALUE_LABEL,
              IDC_SETUP_COUNTER_VALUE});
        if (ModelIs({MODEL_TIMER_AMPERE, MODEL_TFT}))
            Show({IDC_SETUP_UNITS_LABEL, IDC_SETUP_UNITS});
        if (ModelIs({MODEL_TFT})) {
            view.SetTextIfChanged(IDC_SETUP_COUNTER_MODE_LABEL, "Режим работы:");
            view.SetTextIfChanged(IDC_SETUP_ZEROING_LABEL, "Сброс значения по выключению [cб]:");
            view.SetTextIfChanged(IDC_SETUP_COUNTER_GROUP, "Настройки счетчика А*час, А*мин, Вт*час:");
            view.SetChecked(IDC_SETUP_ZEROING, given_.zeroing);
        }
        Show({IDC_SETUP_ZEROING_LABEL, IDC_SETUP_ZEROING});
        SetComboItems(IDC_SETUP_COUNTER_MODE, CounterModeList(code, given_.modelCode));
        SelectCombo(IDC_SETUP_UNITS, given_.units);
        SelectCombo(IDC_SETUP_COUNTER_MODE, CounterIndexAtOpening());
        Collect(refusals, ApplyCounterModeRule(Selection(IDC_SETUP_COUNTER_MODE)));
        values_.counterValue = given_.counterValue;
        if (ModelIs({MODEL_TFT}))
            SelectCombo(IDC_SETUP_THERMO_MODE, given_.thermoMode & 0x7F);
        break;
    case CONFIG_TIMER_REVERSE:
        // The reverse controls were placed inside the counter group at its own place.
        ShowCounterGroup(false);
        view.SetTextIfChanged(IDC_SETUP_COUNTER_GROUP, "Настройки реверса");
        for (int id : SETUP_REVERSE_CONTROLS)
            view.SetShown(id, true);
        break;
    case CONFIG_COUNTERS_DOSER:
        ShowCounterGroup(true);
        for (int id : SETUP_COUNTER_CONTROLS)
            view.SetShown(id, true);
        SetComboItems(IDC_SETUP_COUNTER_MODE, CounterModeList(code, given_.modelCode));
        SelectCombo(IDC_SETUP_UNITS, given_.units);
        SelectCombo(IDC_SETUP_COUNTER_MODE, CounterIndexAtOpening());
        Collect(refusals, ApplyCounterModeRule(Selection(IDC_SETUP_COUNTER_MODE)));
        values_.counterValue = given_.counterValue;
        break;
    case CONFIG_COUNTER_TOTAL:
        ShowCounterGroup(true);
        Show({IDC_SETUP_UNITS_LABEL, IDC_SETUP_UNITS, IDC_SETUP_ZEROING_LABEL, IDC_SETUP_ZEROING});
        SelectCombo(IDC_SETUP_UNITS, given_.units);
        break;
    case CONFIG_NONE:
    case CONFIG_WATTMETER:
    case CONFIG_TWO_CHANNELS:
        view.SetTextIfChanged(IDC_SETUP_TIMER_GROUP, "Настройки отсутствуют");
        view.SetShown(IDC_SETUP_TIMER_GROUP, true);
        break;
    default:
        break;
    }
    return refusals;
}

std::optional<SetupRefusal> ModuleSetup::ApplyTimerModeRule(int index) {
    if (index == 0) { // the stopwatch counts up from nothing
        view.SetEnabled(IDC_SETUP_TIMER_VALUE, false);
        return std::nullopt;
    }
    view.SetEnabled(IDC_SETUP_TIMER_VALUE, true);
    if (auto refusal = TakeEditValues())
        return refusal;
    if (values_.timerValue == 0) {
        values_.timerValue = PUT_IN_VALUE;
        ShowEditValues();
    }
    return std::nullopt;
}

std::optional<SetupRefusal> ModuleSetup::ApplyCounterModeRule(int index) {
    // Plain counting needs no dose; models 3 and 4 list the accumulating counter alone first.
    const bool noDose = ModelIs({MODEL_TIMER_AMPERE, MODEL_TFT}) ? index == 0 : index == 0 || index == 1;
    if (noDose) {
        view.SetEnabled(IDC_SETUP_COUNTER_VALUE, false);
        return std::nullopt;
    }
    view.SetEnabled(IDC_SETUP_COUNTER_VALUE, true);
    if (auto refusal = TakeEditValues())
        return refusal;
    if (values_.counterValue == 0) {
        values_.counterValue = PUT_IN_VALUE;
        ShowEditValues();
    }
    return std::nullopt;
}

void ModuleSetup::ApplyThermoModeRule(int index) {
    // A thermometer regulates nothing; a temperature limit has a target but no delta.
    view.SetEnabled(IDC_SETUP_TARGET, index != 0);
    view.SetEnabled(IDC_SETUP_DELTA, index != 0 && index != THERMO_LIMIT_MODE);
}

void ModuleSetup::ShowCounterGroup(bool inTimerPlace) {
    if (inTimerPlace != counterGroupUp_) {
        const int dy = inTimerPlace ? -COUNTER_GROUP_RISE : COUNTER_GROUP_RISE;
        Move(IDC_SETUP_COUNTER_GROUP, dy);
        for (int id : SETUP_COUNTER_CONTROLS)
            Move(id, dy);
        counterGroupUp_ = inTimerPlace;
    }
    view.SetTextIfChanged(IDC_SETUP_COUNTER_GROUP, "Настройки счетчика ампер-часов");
    view.SetShown(IDC_SETUP_COUNTER_GROUP, true);
}

int ModuleSetup::CounterIndexAtOpening() const {
    const int mode = given_.counterMode & 3;
    if (values_.moduleCode != CONFIG_TIMER_COUNTER)
        return mode;
    if (ModelIs({MODEL_TIMER_AMPERE}))
        return std::min(mode, 1); // its one dosing mode comes back from the supply as 3
    if (ModelIs({MODEL_PROF_REVERSE, MODEL_PROF})) {
        // The list starts with two entries of mode 0, told apart by the counter kind the supply
        // reports: 1 the accumulating counter alone, 2 with the daily counter. Each dosing mode
        // m sits at m + 1, where "Установить" takes it from.
        if (mode > 0)
            return mode + 1;
        return given_.counterKind == 2 ? 1 : 0;
    }
    return mode;
}

} // namespace rir
