#include "app/AddressEntry.h"

#include "text/NumberText.h"

namespace rir {

std::string RangeMessage(int low, int high) {
    return "Введите целое число в интервале от " + std::to_string(low) + " до " + std::to_string(high) + ".";
}

std::variant<int, std::string> CheckAddressText(std::string_view text) {
    int value = 0;
    if (!ReadWholeNumber(text, value))
        return std::string(MSG_NOT_A_WHOLE_NUMBER);
    if (value < MIN_DEVICE_ADDRESS || value > MAX_DEVICE_ADDRESS)
        return RangeMessage(MIN_DEVICE_ADDRESS, MAX_DEVICE_ADDRESS);
    return value;
}

} // namespace rir
