// Keys as a keyboard delivers them to a widget, for the widget and end-to-end tests.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QWidget>

namespace rir::test {

// One key pressed and released.
inline void Key(QWidget* w, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(w, &release);
}

// Characters as typed, one key each.
inline void Type(QWidget* w, const QString& text) {
    for (QChar c : text)
        Key(w, Qt::Key_unknown, Qt::NoModifier, QString(c));
}

// Enter, as the main keyboard's key gives it.
inline void Enter(QWidget* w) {
    Key(w, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
}

} // namespace rir::test
