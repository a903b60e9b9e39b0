// The Windows-1251 code page: the station's files (log file, program files) are written and read
// in it, while the station itself works in UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace rir {

// Written in place of a character that has no Windows-1251 form, and of malformed UTF-8.
inline constexpr char CP1251_REPLACEMENT = '?';

// The character a Windows-1251 byte stands for. 0x98 has no character in the code page; it is
// read as the control character U+0098, as Windows itself reads it, so that every byte of a file
// survives a read and a write unchanged.
char32_t Cp1251ToUnicode(unsigned char byte);

// The Windows-1251 byte of a character, or -1 when the code page has none.
int UnicodeToCp1251(char32_t ch);

// UTF-8 to Windows-1251. Each character without a Windows-1251 form becomes '?'; each malformed
// piece of UTF-8 (a stray continuation byte, a cut-off or overlong sequence, a surrogate, a value
// beyond U+10FFFF) becomes one '?' and decoding goes on after it.
std::string Utf8ToCp1251(std::string_view utf8);

// Windows-1251 to UTF-8; every byte has a character, so nothing is lost.
std::string Cp1251ToUtf8(std::string_view cp1251);

} // namespace rir
