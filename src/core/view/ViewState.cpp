#include "view/ViewState.h"

namespace rir {

namespace {

template <typename T> bool Assign(T& field, const T& value) {
    if (field == value)
        return false;
    field = value;
    return true;
}

std::vector<int> Drain(std::set<int>& ids) {
    std::vector<int> out(ids.begin(), ids.end());
    ids.clear();
    return out;
}

} // namespace

bool ViewState::SetTextIfChanged(int id, std::string_view text) {
    ControlState& c = slot(id);
    if (c.text == text)
        return false;
    c.text.assign(text);
    changed_.insert(id);
    return true;
}

bool ViewState::SetShown(int id, bool shown) {
    const bool changed = Assign(slot(id).shown, shown);
    if (changed)
        changed_.insert(id);
    return changed;
}

bool ViewState::SetEnabled(int id, bool enabled) {
    const bool changed = Assign(slot(id).enabled, enabled);
    if (changed)
        changed_.insert(id);
    return changed;
}

bool ViewState::SetChecked(int id, bool checked) {
    const bool changed = Assign(slot(id).checked, checked);
    if (changed)
        changed_.insert(id);
    return changed;
}

bool ViewState::SetFont(int id, FontKind font) {
    const bool changed = Assign(slot(id).font, font);
    if (changed)
        changed_.insert(id);
    return changed;
}

bool ViewState::SetColour(int id, std::optional<Rgb> colour) {
    const bool changed = Assign(slot(id).colour, colour);
    if (changed)
        changed_.insert(id);
    return changed;
}

bool ViewState::SetToolTip(int id, std::string_view toolTip) {
    std::string& present = slot(id).toolTip;
    if (present == toolTip)
        return false;
    present.assign(toolTip);
    changed_.insert(id);
    return true;
}

void ViewState::NoteWidgetText(int id, std::string_view text) {
    slot(id).text.assign(text);
}

void ViewState::NoteWidgetChecked(int id, bool checked) {
    slot(id).checked = checked;
}

void ViewState::SetSelection(int id, TextSelection selection) {
    selections_[id] = selection;
    changed_.insert(id);
}

std::optional<TextSelection> ViewState::takeSelection(int id) {
    const auto it = selections_.find(id);
    if (it == selections_.end())
        return std::nullopt;
    const TextSelection s = it->second;
    selections_.erase(it);
    return s;
}

const ControlState& ViewState::at(int id) const {
    static const ControlState defaultControl;
    const auto it = controls_.find(id);
    return it == controls_.end() ? defaultControl : it->second;
}

std::vector<int> ViewState::takeChanged() {
    return Drain(changed_);
}

bool ViewState::SetMenuEnabled(int menuId, bool enabled) {
    const bool changed = Assign(menu_[menuId].enabled, enabled);
    if (changed)
        menuChanged_.insert(menuId);
    return changed;
}

bool ViewState::SetMenuChecked(int menuId, bool checked) {
    const bool changed = Assign(menu_[menuId].checked, checked);
    if (changed)
        menuChanged_.insert(menuId);
    return changed;
}

const MenuItemState& ViewState::menuItem(int menuId) const {
    static const MenuItemState defaultItem;
    const auto it = menu_.find(menuId);
    return it == menu_.end() ? defaultItem : it->second;
}

std::vector<int> ViewState::takeMenuChanged() {
    return Drain(menuChanged_);
}

} // namespace rir
