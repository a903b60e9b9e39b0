// The station's message boxes: an OK button, no icon, the application's name as caption.
#pragma once

#include <string>

class QWidget;

namespace rir {

void ShowMessage(QWidget* parent, const std::string& text);
// The same box without waiting for it: it stays open, and goes away on OK, while the window
// and its timers go on.
void ShowNotice(QWidget* parent, const std::string& text);
// The same box with "Да" and "Нет"; true for "Да" (Escape and the close button answer "Нет").
bool AskQuestion(QWidget* parent, const std::string& text);

} // namespace rir
