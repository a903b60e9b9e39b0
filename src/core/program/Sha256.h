// SHA-256 of a program file's bytes, as the run record names the file it ran: a changed file
// is told from the one a run started with.
#pragma once

#include <string>
#include <string_view>

namespace rir {

// 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view bytes);

} // namespace rir
