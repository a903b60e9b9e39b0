#include "text/Cp1251.h"

#include <array>
#include <cstdint>

namespace rir {
namespace {

// Bytes 0x80..0xBF; 0xC0..0xFF are А..я (U+0410..U+044F) in alphabetical order.
constexpr std::array<char16_t, 64> UPPER_HALF = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 0x88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 0x98 (0x98 unassigned)
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // 0xA0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // 0xA8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // 0xB0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // 0xB8
};

constexpr char32_t CYRILLIC_A = 0x0410;
constexpr int FIRST_LETTER_BYTE = 0xC0;

void AppendUtf8(std::string& out, char32_t ch) {
    if (ch < 0x80) {
        out.push_back(static_cast<char>(ch));
    } else if (ch < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (ch >> 6)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    } else {
        // The code page holds nothing beyond the Basic Multilingual Plane.
        out.push_back(static_cast<char>(0xE0 | (ch >> 12)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    }
}

bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// Decodes one character at `pos`. Returns the number of bytes consumed (at least 1) and sets `ch`
// to the character, or to -1 for a malformed piece. A malformed piece is the longest start of a
// well-formed sequence, so "E2 82 41" is one bad piece followed by 'A'.
std::size_t DecodeOne(std::string_view s, std::size_t pos, std::int32_t& ch) {
    const auto lead = static_cast<unsigned char>(s[pos]);
    ch = -1;
    if (lead < 0x80) {
        ch = lead;
        return 1;
    }
    int length = 0;
    std::int32_t value = 0;
    unsigned char low = 0x80;  // allowed range of the second byte, to refuse overlong forms,
    unsigned char high = 0xBF; // surrogates and values beyond U+10FFFF
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 1; // a continuation byte without a lead, or a lead that is never valid
    }
    std::size_t used = 1;
    for (int i = 1; i < length; ++i) {
        if (pos + used >= s.size())
            return used;
        const auto b = static_cast<unsigned char>(s[pos + used]);
        if (i == 1 ? (b < low || b > high) : !IsContinuation(b))
            return used;
        value = (value << 6) | (b & 0x3F);
        ++used;
    }
    ch = value;
    return used;
}

} // namespace

char32_t Cp1251ToUnicode(unsigned char byte) {
    if (byte < 0x80)
        return byte;
    if (byte >= FIRST_LETTER_BYTE)
        return CYRILLIC_A + (byte - FIRST_LETTER_BYTE);
    return UPPER_HALF[byte - 0x80];
}

int UnicodeToCp1251(char32_t ch) {
    if (ch < 0x80)
        return static_cast<int>(ch);
    if (ch >= CYRILLIC_A && ch < CYRILLIC_A + 64)
        return FIRST_LETTER_BYTE + static_cast<int>(ch - CYRILLIC_A);
    for (std::size_t i = 0; i < UPPER_HALF.size(); ++i) {
        if (UPPER_HALF[i] == ch)
            return 0x80 + static_cast<int>(i);
    }
    return -1;
}

std::string Utf8ToCp1251(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        std::int32_t ch = -1;
        pos += DecodeOne(utf8, pos, ch);
        const int byte = ch < 0 ? -1 : UnicodeToCp1251(static_cast<char32_t>(ch));
        out.push_back(byte < 0 ? CP1251_REPLACEMENT : static_cast<char>(byte));
    }
    return out;
}

std::string Cp1251ToUtf8(std::string_view cp1251) {
    std::string out;
    out.reserve(cp1251.size() * 2);
    for (char c : cp1251)
        AppendUtf8(out, Cp1251ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

} // namespace rir
