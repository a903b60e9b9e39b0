// The logic of the module settings dialog (template 133, "Настройка модулей"): which groups and
// controls it shows for a model and a configuration, what its lists hold, where its groups sit,
// how its selections enable its edits, and what "Установить" checks and hands back. The Qt dialog
// copies the view state onto its widgets and forwards the operator's actions here.
#pragma once

#include "device/EditKeys.h"
#include "device/ModuleSetupTemplate.h"
#include "device/ModuleSetupValues.h"
#include "view/ViewState.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace rir {

inline constexpr const char* MSG_ENTER_WHOLE_NUMBER = "Введите целое число.";
// The decimal edits (reverse phase times, the dose) refuse what is no number as the platform's
// data exchange refuses a text in a number edit.
inline constexpr const char* MSG_ENTER_NUMBER = "Введите число.";
// Index of "ампер-минуты" in the units list.
inline constexpr int UNITS_AMPERE_MINUTES = 1;
inline constexpr const char* MSG_TIMER_RANGE = "Введите правильное значение таймера: от 1 до 359999!";
inline constexpr const char* MSG_TIMER_RANGE_FULL = "Введите правильное значение таймера: от 1 до 3599999!";
inline constexpr const char* MSG_TEMPERATURE_RANGE =
    "Введите правильное значение температуры: от -9.0 до 90.0!";
inline constexpr const char* MSG_DELTA_RANGE =
    "Введите правильное значение дельты температуры: от 0.5 до 5.0!";

// A message the dialog shows in a box with an OK button; the dialog stays open.
struct SetupRefusal {
    std::string message;
    int focusId = 0; // the edit that gets the focus with its text selected; 0 for none
    friend bool operator==(const SetupRefusal&, const SetupRefusal&) = default;
};

struct ComboState {
    std::vector<std::string> items;
    int selected = -1; // -1: nothing selected
};

class ModuleSetup {
public:
    // Lays the dialog out for the model, fills its lists and selects the given configuration.
    explicit ModuleSetup(const ModuleSetupValues& given);

    // Texts, shown, enabled and checked of every control but the combo boxes' lists; all marked
    // changed at first.
    ViewState view;

    const ComboState& combo(int id) const;
    // Combo ids whose list or selection changed since the last call.
    std::vector<int> takeCombosChanged();

    // Where a control is now, in dialog pixels; the template's place for an unknown id.
    PixelRect rect(int id) const;
    // Ids that moved since the last call.
    std::vector<int> takeMoved();
    int width() const { return SETUP_TEMPLATE_WIDTH; }
    int height() const { return height_; }

    // The operator chose entry `index` of a combo (CBN_SELCHANGE). Returns the messages to show,
    // in order; an index outside the list is ignored.
    std::vector<SetupRefusal> Select(int comboId, int index);
    // What only the widgets know: typed text, a clicked check box.
    void NoteText(int id, std::string_view text) { view.NoteWidgetText(id, text); }
    void NoteChecked(int id, bool checked) { view.NoteWidgetChecked(id, checked); }
    // The temperature edits 1039 and 1041 filter what is typed into them.
    static bool HasKeyFilter(int id) { return id == IDC_SETUP_TARGET || id == IDC_SETUP_DELTA; }
    // The key filter of the temperature edits 1039 and 1041; nothing for an edit without one.
    std::optional<KeyDecision> FilterKey(int id, std::string_view text, TextSelection selection,
                                         char32_t typed) const;

    // "Установить": the values to hand back, or the messages that keep the dialog open.
    std::variant<ModuleSetupValues, std::vector<SetupRefusal>> Accept();

private:
    // How a number edit writes its raw value: `places` digits after the point, counting to
    // `base` (1 for a whole number).
    struct EditFormat {
        int places;
        int base;
    };
    EditFormat FormatOf(int id) const;
    std::optional<SetupRefusal> TakeEditValues();
    void ShowEditValues();
    std::vector<SetupRefusal> ApplyModuleRule();
    std::optional<SetupRefusal> ApplyTimerModeRule(int index);
    std::optional<SetupRefusal> ApplyCounterModeRule(int index);
    void ApplyThermoModeRule(int index);
    void ShowCounterGroup(bool inTimerPlace);
    int CounterIndexAtOpening() const;
    void SetComboItems(int id, std::vector<std::string> items);
    void SelectCombo(int id, int index);
    int Selection(int id) const { return combo(id).selected; }
    void Move(int id, int dy);
    void Show(std::initializer_list<int> ids);
    bool ModelIs(std::initializer_list<int> models) const;
    static bool HasTimerBlock(int code);

    ModuleSetupValues given_;
    ModuleSetupValues values_;     // what the dialog's data exchange holds
    std::vector<int> moduleCodes_; // code of each entry of combo 1031
    std::map<int, ComboState> combos_;
    std::set<int> combosChanged_;
    std::map<int, int> offsets_; // vertical moves from the template's place
    std::set<int> moved_;
    bool counterGroupUp_ = false;
    int height_ = SETUP_TEMPLATE_HEIGHT;
};

} // namespace rir
