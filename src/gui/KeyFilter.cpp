#include "KeyFilter.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace rir {

std::optional<char32_t> TypedCharacter(const QKeyEvent& key) {
    if (key.key() == Qt::Key_Backspace)
        return KEY_BACKSPACE;
    const QList<uint> chars = key.text().toUcs4();
    if (chars.isEmpty() || chars.front() < 0x20 || chars.front() == 0x7F)
        return std::nullopt;
    return static_cast<char32_t>(chars.front());
}

TextSelection EditSelection(const QLineEdit& edit) {
    TextSelection selection{edit.cursorPosition(), edit.cursorPosition()};
    if (edit.hasSelectedText()) {
        selection.start = edit.selectionStart();
        selection.end = selection.start + static_cast<int>(edit.selectedText().size());
    }
    return selection;
}

bool ApplyKeyDecision(QLineEdit& edit, const KeyDecision& decision, char32_t typed) {
    if (!decision.accepted)
        return true;
    if (decision.character == '\b' || static_cast<char32_t>(decision.character) == typed)
        return false; // the edit itself inserts or deletes
    edit.insert(QString(QChar::fromLatin1(decision.character)));
    return true;
}

} // namespace rir
