// The area of the load a program's currents are given for: what the operator types into the
// page's area field, read and checked, and the messages when it cannot be taken.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace rir {

// Areas are kept in thousandths of a square decimetre: 0,005 dm² (half a square centimetre,
// a small contact) is still an area, and the arithmetic stays in whole numbers.
inline constexpr int AREA_SCALE = 1000;
// A rack of 100 m² is far beyond any bath; a larger figure is a typing slip.
inline constexpr int MAX_AREA_DM2 = 10000;
inline constexpr int MAX_AREA = MAX_AREA_DM2 * AREA_SCALE;

inline constexpr std::string_view AREA_BAD_FORMAT =
    "Площадь загрузки «%s» не принята: нужно число больше нуля и не больше 10000 (дм2).";
inline constexpr std::string_view DENSITY_NEEDS_AREA_FORMAT =
    "В файле %s ток задан плотностью (А/дм2): введите площадь загрузки в дм2 в поле «Площадь» "
    "и откройте файл снова. Программа не загружена.";

// The area in thousandths of a dm²: digits with at most one decimal point or comma, blanks
// around them, above 0 and at most MAX_AREA_DM2. Nothing for an empty field, a sign, a word, an
// exponent, zero or anything beyond.
std::optional<int> ReadPartArea(std::string_view text);

// "1,25": an area as the page shows it, without trailing zeros.
std::string PartAreaText(int area);

} // namespace rir
