// The add-device dialog's check of the typed address, with the platform's own refusal texts.
#pragma once

#include <string>
#include <string_view>
#include <variant>

namespace rir {

inline constexpr int MIN_DEVICE_ADDRESS = 1;
inline constexpr int MAX_DEVICE_ADDRESS = 127;

inline constexpr const char* MSG_NOT_A_WHOLE_NUMBER = "Введите целое число.";

// "Введите целое число в интервале от %1 до %2." filled in.
std::string RangeMessage(int low, int high);

// The accepted address (a whole number as text/NumberText reads one), or the message that
// refuses the text (the dialog then stays open).
std::variant<int, std::string> CheckAddressText(std::string_view text);

} // namespace rir
