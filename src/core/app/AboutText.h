// The program line of the about box: the station's name, its version and its build date.
#pragma once

#include <string>
#include <string_view>

namespace rir {

inline constexpr std::string_view PROGRAM_NAME = "RIR Controller";

// The compiler's date ("Dec  8 2026", as __DATE__ gives it) as "08.12.2026". Text of another
// shape is returned unchanged.
std::string FormatBuildDate(std::string_view compilerDate);

// "RIR Controller, версия 1.0.0 от 08.12.2026".
std::string AboutProgramLine(std::string_view version, std::string_view compilerDate);

} // namespace rir
