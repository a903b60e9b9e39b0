// The state of a window's controls and main-menu items as the station's logic sees them. The logic
// writes here instead of to widgets; the Qt view copies what changed onto its widgets.
#pragma once

#include "view/Rgb.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace rir {

enum class FontKind { Normal, Bold, Underlined };

// A selection in an edit, in characters from the start of its text; start == end is a caret.
struct TextSelection {
    int start = 0;
    int end = 0;
    friend constexpr bool operator==(const TextSelection&, const TextSelection&) = default;
};

// One dialog control.
struct ControlState {
    std::string text; // UTF-8
    bool shown = true;
    bool enabled = true;
    bool checked = false;
    FontKind font = FontKind::Normal;
    std::optional<Rgb> colour; // text colour, when not the default
    std::string toolTip;       // UTF-8; empty: none
};

// One item of the main menu: grayed or not, checked or not.
struct MenuItemState {
    bool enabled = true;
    bool checked = false;
};

// Controls and menu items live in two separate tables, each by its own template id, so that a
// control id can never be mistaken for a menu command id. An id that was never written reads as
// a default control (empty text, shown, enabled, unchecked, normal font, default colour) or a
// default menu item (enabled, unchecked).
class ViewState {
public:
    // Each setter marks the id changed only when the value actually changes, so the view touches
    // no widget (and nothing flickers) when the logic writes the same state again.
    bool SetTextIfChanged(int id, std::string_view text); // true when it changed
    bool SetShown(int id, bool shown);
    bool SetEnabled(int id, bool enabled);
    bool SetChecked(int id, bool checked);
    bool SetFont(int id, FontKind font);
    bool SetColour(int id, std::optional<Rgb> colour);
    bool SetToolTip(int id, std::string_view toolTip);

    // The text a widget holds because the user typed it. Stored without marking the id changed:
    // the widget already shows it, and the logic compares its next text against it.
    void NoteWidgetText(int id, std::string_view text);
    // The same for a check box the user clicked: a later SetChecked then compares with what the
    // box really shows.
    void NoteWidgetChecked(int id, bool checked);

    // A selection the view is to put back into an edit after it has applied the edit's new text.
    // Marks the id changed; takeSelection hands it over once.
    void SetSelection(int id, TextSelection selection);
    std::optional<TextSelection> takeSelection(int id);

    const ControlState& at(int id) const;
    const std::string& text(int id) const { return at(id).text; }
    bool shown(int id) const { return at(id).shown; }
    bool enabled(int id) const { return at(id).enabled; }
    bool checked(int id) const { return at(id).checked; }
    FontKind font(int id) const { return at(id).font; }
    std::optional<Rgb> colour(int id) const { return at(id).colour; }
    const std::string& toolTip(int id) const { return at(id).toolTip; }

    // Control ids touched since the last call, ascending, each once.
    std::vector<int> takeChanged();
    // Lists the id among the changed ones without changing it, so the view applies it anew.
    void MarkChanged(int id) { changed_.insert(id); }

    bool SetMenuEnabled(int menuId, bool enabled);
    bool SetMenuChecked(int menuId, bool checked);
    const MenuItemState& menuItem(int menuId) const;
    bool menuEnabled(int menuId) const { return menuItem(menuId).enabled; }
    bool menuChecked(int menuId) const { return menuItem(menuId).checked; }
    // Menu ids touched since the last call, ascending, each once.
    std::vector<int> takeMenuChanged();

private:
    ControlState& slot(int id) { return controls_[id]; }

    std::map<int, ControlState> controls_;
    std::map<int, TextSelection> selections_;
    std::set<int> changed_;
    std::map<int, MenuItemState> menu_;
    std::set<int> menuChanged_;
};

} // namespace rir
