#include "device/ModuleSetup.h"

#include "device/Ratings.h"
#include "device/TemperatureText.h"
#include "text/NumberText.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

namespace rir {

namespace {

// Moves of the initialisation and of the counter-only configurations, in dialog pixels.
constexpr int REVERSE_RISE = 55;      // the reverse controls into the counter group's area
constexpr int THERMO_RISE = 65;       // model 6: the thermometer group under the counter group
constexpr int BUTTONS_DROP = 110;     // model 6: the buttons under the thermometer group
constexpr int SHORT_DIALOG_CUT = 100; // other models: the thermometer group falls outside

constexpr int MIN_TARGET = 1910; // -9.0 degrees
constexpr int MAX_TARGET = 2900; // 90.0 degrees
constexpr int MIN_DELTA = 5;
constexpr int MAX_DELTA = 50;
constexpr int MAX_TIMER = 359999;
constexpr int MAX_TIMER_FULL = 3599999;

// How an edit shows its raw value: as the device page shows the same quantity, so that what the
// operator types here is what the page shows after (a reverse time of "5" used to be 0.5 s on
// the page, a dose of "5" 0.005 A*h).
enum class EditUnit {
    Whole,  // seconds of the timer, whole amperes of the reverse
    Tenths, // reverse phase times: tenths of a second, written "0.5"
    Dose,   // the dose, in the counter's units (DoseUnit)
};

// The whole-number and decimal edits the dialog's data exchange reads and writes, in its order.
struct NumericEdit {
    int id;
    int ModuleSetupValues::*value;
    EditUnit unit;
};
constexpr std::array NUMERIC_EDITS{
    NumericEdit{IDC_SETUP_TIMER_VALUE, &ModuleSetupValues::timerValue, EditUnit::Whole},
    NumericEdit{IDC_SETUP_COUNTER_VALUE, &ModuleSetupValues::counterValue, EditUnit::Dose},
    NumericEdit{IDC_SETUP_FWD_CURRENT, &ModuleSetupValues::forwardCurrent, EditUnit::Whole},
    NumericEdit{IDC_SETUP_FWD_TIME, &ModuleSetupValues::forwardTime, EditUnit::Tenths},
    NumericEdit{IDC_SETUP_BACK_CURRENT, &ModuleSetupValues::reverseCurrent, EditUnit::Whole},
    NumericEdit{IDC_SETUP_BACK_TIME, &ModuleSetupValues::reverseTime, EditUnit::Tenths},
};

constexpr int SECONDS_PER_MINUTE = 60;

// A raw count as "whole.fraction" with `places` digits, the fraction counting to `base` (10 to
// the places for a decimal, 60 for ampere-minutes with their seconds).
std::string FixedText(int raw, int places, int base) {
    if (places == 0)
        return std::to_string(raw);
    const bool negative = raw < 0;
    const long long v = negative ? -static_cast<long long>(raw) : raw;
    std::string fraction = std::to_string(v % base);
    fraction.insert(0, static_cast<std::size_t>(std::max(0, places - static_cast<int>(fraction.size()))),
                    '0');
    return (negative ? "-" : "") + std::to_string(v / base) + "." + fraction;
}

// The text back: blanks around, digits, one point or comma, up to `places` digits after it
// (further ones are dropped, as the limit edits drop them). Nothing for anything else or a
// value beyond int.
std::optional<int> ReadFixed(std::string_view text, int places, int base) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    long long whole = 0;
    long long fraction = 0;
    int fractionDigits = 0;
    bool point = false;
    bool digits = false;
    for (char c : text) {
        if ((c == '.' || c == ',') && !point && places > 0) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9')
            return std::nullopt;
        digits = true;
        if (!point) {
            whole = whole * 10 + (c - '0');
            if (whole > std::numeric_limits<int>::max())
                return std::nullopt;
        } else if (fractionDigits < places) {
            fraction = fraction * 10 + (c - '0');
            ++fractionDigits;
        }
    }
    if (!digits)
        return std::nullopt;
    for (; fractionDigits < places; ++fractionDigits)
        fraction *= 10;
    const long long raw = whole * base + fraction;
    if (raw > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(raw);
}

} // namespace

ModuleSetup::EditFormat ModuleSetup::FormatOf(int id) const {
    for (const NumericEdit& e : NUMERIC_EDITS) {
        if (e.id != id)
            continue;
        switch (e.unit) {
        case EditUnit::Whole:
            return {0, 1};
        case EditUnit::Tenths:
            return {1, 10};
        case EditUnit::Dose:
            break;
        }
        // As the page shows the counters: models 2 and 6 count thousandths of an ampere-hour (or
        // watt-hour) and ampere-seconds for ampere-minutes, the others hundredths.
        if (!ModelIs({MODEL_TIMER_AMPERE, MODEL_TFT}))
            return {2, 100};
        const int units = Selection(IDC_SETUP_UNITS) >= 0 ? Selection(IDC_SETUP_UNITS) : given_.units;
        return units == UNITS_AMPERE_MINUTES ? EditFormat{2, SECONDS_PER_MINUTE} : EditFormat{3, 1000};
    }
    return {0, 1};
}

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

    for (int id : SETUP_REVERSE_CONTROLS)
        Move(id, -REVERSE_RISE);
    if (given_.modelCode == MODEL_TFT) {
        Move(IDC_SETUP_THERMO_GROUP, -THERMO_RISE);
        for (int id : SETUP_THERMO_CONTROLS)
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
        if (auto refusal = ApplyTimerModeRule(index))
            refusals.push_back(std::move(*refusal));
        break;
    case IDC_SETUP_COUNTER_MODE:
        if (auto refusal = ApplyCounterModeRule(index))
            refusals.push_back(std::move(*refusal));
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
        if (e.id == IDC_SETUP_TIMER_VALUE && text.empty()) {
            v = 0;
        } else if (e.unit == EditUnit::Whole) {
            if (!ReadWholeNumber(text, v))
                return SetupRefusal{MSG_ENTER_WHOLE_NUMBER, e.id};
        } else {
            const EditFormat f = FormatOf(e.id);
            const std::optional<int> read = ReadFixed(text, f.places, f.base);
            if (!read)
                return SetupRefusal{MSG_ENTER_NUMBER, e.id};
            v = *read;
        }
        values_.*e.value = v;
    }
    return std::nullopt;
}

void ModuleSetup::ShowEditValues() {
    for (const NumericEdit& e : NUMERIC_EDITS) {
        const EditFormat f = FormatOf(e.id);
        view.SetTextIfChanged(e.id, FixedText(values_.*e.value, f.places, f.base));
    }
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
    if (HasTimerBlock(values_.moduleCode) && timerMode > 0 &&
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
    // The kind is the list's: 1 past its first entry, else 0, one more on models 3 and 4. With
    // nothing selected (a configuration the model does not offer) that is the first entry's
    // kind, never the counter the supply happened to show, which is no kind it takes.
    out.counterKind = counterIndex > 0 ? 1 : 0;
    if (counterIndex >= 0) {
        out.counterMode = counterIndex;
        if (ModelIs({MODEL_PROF_REVERSE, MODEL_PROF}) && out.counterMode > 0)
            out.counterMode -= 1;
    } else {
        out.counterMode = given_.counterMode & 3;
    }
    if (ModelIs({MODEL_PROF_REVERSE, MODEL_PROF}))
        out.counterKind += 1;
    const int units = Selection(IDC_SETUP_UNITS);
    out.units = ModelIs({MODEL_TIMER_AMPERE, MODEL_TFT}) && units > 0 ? units : 0;
    out.zeroing = view.checked(IDC_SETUP_ZEROING);
    return out;
}

bool ModuleSetup::HasTimerBlock(int code) {
    const ModuleConfigInfo* info = FindModuleConfig(code);
    return info != nullptr && info->rows.timer;
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
