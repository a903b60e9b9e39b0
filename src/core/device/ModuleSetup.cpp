#include "device/ModuleSetup.h"

#include "device/Ratings.h"
#include "device/TemperatureText.h"
#include "text/NumberText.h"

#include <algorithm>
#include <array>
#include <utility>

namespace rir {

namespace {

// Moves of the initialisation and of the counter-only configurations, in dialog pixels.
constexpr int REVERSE_RISE = 55;        // the reverse controls into the counter group's area
constexpr int THERMO_RISE = 65;         // model 6: the thermometer group under the counter group
constexpr int BUTTONS_DROP = 110;       // model 6: the buttons under the thermometer group
constexpr int SHORT_DIALOG_CUT = 100;   // other models: the thermometer group falls outside
constexpr int COUNTER_GROUP_RISE = 121; // configurations 3 and 4: the counter group in the timer's place

constexpr int PUT_IN_VALUE = 60; // what a timer or dose of 0 becomes when it starts to matter

constexpr int MIN_TARGET = 1910; // -9.0 degrees
constexpr int MAX_TARGET = 2900; // 90.0 degrees
constexpr int MIN_DELTA = 5;
constexpr int MAX_DELTA = 50;
constexpr int MAX_TIMER = 359999;
constexpr int MAX_TIMER_FULL = 3599999;
constexpr int THERMO_LIMIT_MODE = 3; // "Ограничение работы БП по температуре": no delta

constexpr std::array TIMER_CONTROLS{IDC_SETUP_TIMER_MODE_LABEL,  IDC_SETUP_TIMER_MODE,
                                    IDC_SETUP_TIMER_VALUE_LABEL, IDC_SETUP_TIMER_VALUE,
                                    IDC_SETUP_TIMER_RESET_LABEL, IDC_SETUP_TIMER_RESET};
constexpr std::array COUNTER_CONTROLS{IDC_SETUP_COUNTER_MODE_LABEL,  IDC_SETUP_COUNTER_MODE,
                                      IDC_SETUP_COUNTER_VALUE_LABEL, IDC_SETUP_COUNTER_VALUE,
                                      IDC_SETUP_UNITS_LABEL,         IDC_SETUP_UNITS,
                                      IDC_SETUP_ZEROING_LABEL,       IDC_SETUP_ZEROING};
constexpr std::array REVERSE_CONTROLS{IDC_SETUP_FWD_CURRENT_LABEL,  IDC_SETUP_FWD_TIME_LABEL,
                                      IDC_SETUP_BACK_CURRENT_LABEL, IDC_SETUP_BACK_TIME_LABEL,
                                      IDC_SETUP_FWD_CURRENT,        IDC_SETUP_BACK_CURRENT,
                                      IDC_SETUP_FWD_TIME,           IDC_SETUP_BACK_TIME};
constexpr std::array THERMO_CONTROLS{
    IDC_SETUP_THERMO_GROUP, IDC_SETUP_THERMO_MODE_LABEL, IDC_SETUP_THERMO_MODE, IDC_SETUP_TARGET_LABEL,
    IDC_SETUP_TARGET,       IDC_SETUP_DELTA_LABEL,       IDC_SETUP_DELTA};

// The whole-number edits the dialog's data exchange reads and writes, in its order.
struct NumericEdit {
    int id;
    int ModuleSetupValues::*value;
};
constexpr std::array NUMERIC_EDITS{
    NumericEdit{IDC_SETUP_TIMER_VALUE, &ModuleSetupValues::timerValue},
    NumericEdit{IDC_SETUP_COUNTER_VALUE, &ModuleSetupValues::counterValue},
    NumericEdit{IDC_SETUP_FWD_CURRENT, &ModuleSetupValues::forwardCurrent},
    NumericEdit{IDC_SETUP_FWD_TIME, &ModuleSetupValues::forwardTime},
    NumericEdit{IDC_SETUP_BACK_CURRENT, &ModuleSetupValues::reverseCurrent},
    NumericEdit{IDC_SETUP_BACK_TIME, &ModuleSetupValues::reverseTime},
};

bool HasTimer(int code) {
    return code == CONFIG_TIMER_COUNTER || code == CONFIG_TIMER_REVERSE || code == CONFIG_FULL;
}

void Collect(std::vector<SetupRefusal>& into, std::optional<SetupRefusal> refusal) {
    // Two rules that read the same unreadable edit say so once.
    if (refusal && std::find(into.begin(), into.end(), *refusal) == into.end())
        into.push_back(std::move(*refusal));
}

} // namespace

ModuleSetup::ModuleSetup(const ModuleSetupValues& given) : given_(given), values_(given) {
    for (const SetupControl& c : ModuleSetupTemplate()) {
        if (c.id == IDC_STATIC)
            continue;
        view.SetTextIfChanged(c.id, c.text);
        view.SetShown(c.id, c.shown);
        view.MarkChanged(c.id);
    }
    // The platform's first data exchange: the edits hold the given numbers before any rule
    // reads them back, so the rules below can never meet an unreadable edit.
    ShowEditValues();

    for (int id : REVERSE_CONTROLS)
        Move(id, -REVERSE_RISE);
    if (given_.modelCode == MODEL_TFT) {
        for (int id : THERMO_CONTROLS)
            Move(id, -THERMO_RISE);
        Move(IDOK, BUTTONS_DROP);
        Move(IDCANCEL, BUTTONS_DROP);
    } else {
        height_ = SETUP_TEMPLATE_HEIGHT - SHORT_DIALOG_CUT;
    }

    SetComboItems(IDC_SETUP_TIMER_MODE, TimerModeList());
    SetComboItems(IDC_SETUP_UNITS, UnitsList(given_.modelCode));
    SetComboItems(IDC_SETUP_THERMO_MODE, ThermoModeList());
    std::vector<std::string> modules;
    for (int code : OfferedConfigs(given_.modelCode, given_.reverseCapable)) {
        const ModuleConfigInfo* info = FindModuleConfig(code);
        moduleCodes_.push_back(code);
        modules.emplace_back(info ? info->text : std::string_view{});
    }
    SetComboItems(IDC_SETUP_MODULE, std::move(modules));
    if (ModelIs({MODEL_PROF_REVERSE, MODEL_PROF}))
        SetComboItems(IDC_SETUP_COUNTER_MODE, {"Накопительный счетчик"});

    const auto entry = std::find(moduleCodes_.begin(), moduleCodes_.end(), given_.moduleCode);
    if (entry != moduleCodes_.end()) {
        SelectCombo(IDC_SETUP_MODULE, static_cast<int>(entry - moduleCodes_.begin()));
        ApplyModuleRule(); // no refusal possible: the edits hold numbers
    }

    for (const NumericEdit& e : NUMERIC_EDITS)
        values_.*e.value = given_.*e.value;
    ShowEditValues();
    view.SetTextIfChanged(IDC_SETUP_TARGET, TemperatureText(given_.targetTemperature));
    view.SetTextIfChanged(IDC_SETUP_DELTA, DeltaText(given_.temperatureDelta));
    ApplyThermoModeRule(Selection(IDC_SETUP_THERMO_MODE));
}

const ComboState& ModuleSetup::combo(int id) const {
    static const ComboState none;
    const auto it = combos_.find(id);
    return it == combos_.end() ? none : it->second;
}

std::vector<int> ModuleSetup::takeCombosChanged() {
    std::vector<int> out(combosChanged_.begin(), combosChanged_.end());
    combosChanged_.clear();
    return out;
}

PixelRect ModuleSetup::rect(int id) const {
    const SetupControl* c = FindSetupControl(id);
    if (c == nullptr)
        return {};
    PixelRect r = c->rect;
    const auto it = offsets_.find(id);
    if (it != offsets_.end())
        r.y += it->second;
    return r;
}

std::vector<int> ModuleSetup::takeMoved() {
    std::vector<int> out(moved_.begin(), moved_.end());
    moved_.clear();
    return out;
}

std::vector<SetupRefusal> ModuleSetup::Select(int comboId, int index) {
    const auto it = combos_.find(comboId);
    if (it == combos_.end() || index < 0 || index >= static_cast<int>(it->second.items.size()))
        return {};
    it->second.selected = index; // the widget shows it already
    std::vector<SetupRefusal> refusals;
    switch (comboId) {
    case IDC_SETUP_MODULE:
        values_.moduleCode = moduleCodes_[static_cast<std::size_t>(index)];
        refusals = ApplyModuleRule();
        break;
    case IDC_SETUP_TIMER_MODE:
        Collect(refusals, ApplyTimerModeRule(index));
        break;
    case IDC_SETUP_COUNTER_MODE:
        Collect(refusals, ApplyCounterModeRule(index));
        break;
    case IDC_SETUP_THERMO_MODE:
        ApplyThermoModeRule(index);
        break;
    default:
        break;
    }
    return refusals;
}

std::optional<KeyDecision> ModuleSetup::FilterKey(int id, std::string_view text, TextSelection selection,
                                                  char32_t typed) const {
    if (id == IDC_SETUP_TARGET)
        return FilterTemperatureKey(TemperatureField::Target, text, selection, typed);
    if (id == IDC_SETUP_DELTA)
        return FilterTemperatureKey(TemperatureField::Delta, text, selection, typed);
    return std::nullopt;
}

std::optional<SetupRefusal> ModuleSetup::TakeEditValues() {
    for (const NumericEdit& e : NUMERIC_EDITS) {
        const std::string& text = view.text(e.id);
        int v = 0;
        // An empty timer edit means no timer: the stopwatch needs none.
        if (e.id == IDC_SETUP_TIMER_VALUE && text.empty())
            v = 0;
        else if (!ReadWholeNumber(text, v))
            return SetupRefusal{MSG_ENTER_WHOLE_NUMBER, e.id};
        values_.*e.value = v;
    }
    return std::nullopt;
}

void ModuleSetup::ShowEditValues() {
    for (const NumericEdit& e : NUMERIC_EDITS)
        view.SetTextIfChanged(e.id, std::to_string(values_.*e.value));
}

std::vector<SetupRefusal> ModuleSetup::ApplyModuleRule() {
    view.SetShown(IDC_SETUP_TIMER_GROUP, false);
    view.SetShown(IDC_SETUP_COUNTER_GROUP, false);
    for (int id : TIMER_CONTROLS)
        view.SetShown(id, false);
    for (int id : COUNTER_CONTROLS)
        view.SetShown(id, false);
    for (int id : REVERSE_CONTROLS)
        view.SetShown(id, false);
    for (int id : THERMO_CONTROLS)
        view.SetShown(id, false);

    std::vector<SetupRefusal> refusals;
    const int code = values_.moduleCode;
    if (HasTimer(code)) {
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
            for (int id : THERMO_CONTROLS)
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
        for (int id : REVERSE_CONTROLS)
            view.SetShown(id, true);
        break;
    case CONFIG_COUNTERS_DOSER:
        ShowCounterGroup(true);
        for (int id : COUNTER_CONTROLS)
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
        for (int id : COUNTER_CONTROLS)
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

std::variant<ModuleSetupValues, std::vector<SetupRefusal>> ModuleSetup::Accept() {
    if (auto refusal = TakeEditValues())
        return std::vector<SetupRefusal>{*refusal};
    const int timerMode = Selection(IDC_SETUP_TIMER_MODE);
    const int counterIndex = Selection(IDC_SETUP_COUNTER_MODE);
    const int thermoMode = Selection(IDC_SETUP_THERMO_MODE);
    const bool tft = ModelIs({MODEL_TFT});

    std::vector<SetupRefusal> refusals;
    // Only a configuration with a timer shows the timer's controls and sends its block.
    if (HasTimer(values_.moduleCode) && timerMode > 0 &&
        (values_.timerValue < 1 || values_.timerValue > (tft ? MAX_TIMER_FULL : MAX_TIMER)))
        refusals.push_back({tft ? MSG_TIMER_RANGE_FULL : MSG_TIMER_RANGE});
    ModuleSetupValues out = values_;
    if (tft) {
        out.targetTemperature = ReadTemperatureText(view.text(IDC_SETUP_TARGET));
        if (out.targetTemperature < MIN_TARGET || out.targetTemperature > MAX_TARGET)
            refusals.push_back({MSG_TEMPERATURE_RANGE});
        out.temperatureDelta = ReadDeltaText(view.text(IDC_SETUP_DELTA));
        if (out.temperatureDelta < MIN_DELTA || out.temperatureDelta > MAX_DELTA) {
            refusals.push_back({MSG_DELTA_RANGE});
            return refusals;
        }
    }
    if (!refusals.empty())
        return refusals;

    // A combo left without a selection hands back what it was given.
    out.timerMode = timerMode >= 0 ? timerMode : given_.timerMode;
    out.thermoMode = thermoMode >= 0 ? thermoMode : given_.thermoMode & 0x7F;
    out.resetOnOff = view.checked(IDC_SETUP_TIMER_RESET);
    if (counterIndex >= 0) {
        out.counterMode = counterIndex;
        out.counterKind = counterIndex > 0 ? 1 : 0;
        if (ModelIs({MODEL_PROF_REVERSE, MODEL_PROF})) {
            out.counterKind += 1;
            if (out.counterMode > 0)
                out.counterMode -= 1;
        }
    } else {
        out.counterMode = given_.counterMode & 3;
        out.counterKind = given_.counterKind;
    }
    const int units = Selection(IDC_SETUP_UNITS);
    out.units = ModelIs({MODEL_TIMER_AMPERE, MODEL_TFT}) && units > 0 ? units : 0;
    out.zeroing = view.checked(IDC_SETUP_ZEROING);
    return out;
}

void ModuleSetup::SetComboItems(int id, std::vector<std::string> items) {
    ComboState& c = combos_[id];
    c.items = std::move(items);
    c.selected = -1;
    combosChanged_.insert(id);
}

void ModuleSetup::SelectCombo(int id, int index) {
    ComboState& c = combos_[id];
    const int selected = index >= 0 && index < static_cast<int>(c.items.size()) ? index : -1;
    if (selected != c.selected) {
        c.selected = selected;
        combosChanged_.insert(id);
    }
}

void ModuleSetup::Move(int id, int dy) {
    offsets_[id] += dy;
    moved_.insert(id);
}

void ModuleSetup::Show(std::initializer_list<int> ids) {
    for (int id : ids)
        view.SetShown(id, true);
}

bool ModuleSetup::ModelIs(std::initializer_list<int> models) const {
    return std::find(models.begin(), models.end(), given_.modelCode) != models.end();
}

} // namespace rir
