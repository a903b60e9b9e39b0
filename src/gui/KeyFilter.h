// What the station's filtered edits (a page's limit edits, the module dialog's temperatures)
// share around the core's key filters: the character a key press types, the edit's selection as
// the core reckons it, and the core's decision carried out on the edit.
#pragma once

#include "device/EditKeys.h"
#include "view/ViewState.h"

#include <optional>

class QKeyEvent;
class QLineEdit;

namespace rir {

// The character a key press types, as the core's filters take it: KEY_BACKSPACE for Backspace,
// otherwise the first character of its text. Nothing for keys that type no character (cursor
// keys, Delete, control characters): those go to the edit untouched.
std::optional<char32_t> TypedCharacter(const QKeyEvent& key);

// The edit's selection, or its cursor as an empty selection, in characters.
TextSelection EditSelection(const QLineEdit& edit);

// Carries out the core's decision about `typed` on the edit; true when the key event is
// swallowed. A refused character is swallowed; an accepted one that the edit would insert (or
// Backspace) goes on to the edit; one the core replaced (a comma typed for the point) is inserted
// here instead.
bool ApplyKeyDecision(QLineEdit& edit, const KeyDecision& decision, char32_t typed);

} // namespace rir
