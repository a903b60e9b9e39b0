// The station's message boxes: an OK button, no icon, the application's name as caption.
#pragma once

#include <string>

class QWidget;

namespace rir {

void ShowMessage(QWidget* parent, const std::string& text);

} // namespace rir
