#include "text/Cp1251.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace rir {
namespace {

struct TableRow {
    int byte;
    std::string utf8; // empty where iconv refuses the byte
};

std::string FromHex(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

// The 256 rows written by tools/make_cp1251_table.sh from glibc's iconv.
std::vector<TableRow> LoadIconvTable() {
    std::ifstream in(std::string(RIR_TEST_DATA_DIR) + "/cp1251_table.txt");
    std::vector<TableRow> rows;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string byteHex, utf8Hex;
        fields >> byteHex >> utf8Hex;
        rows.push_back({std::stoi(byteHex, nullptr, 16), utf8Hex == "-" ? "" : FromHex(utf8Hex)});
    }
    return rows;
}

TEST(Cp1251, EveryByteDecodesAsIconvDoes) {
    const auto rows = LoadIconvTable();
    ASSERT_EQ(rows.size(), 256u);
    for (const auto& row : rows) {
        if (row.utf8.empty())
            continue;
        const std::string byte(1, static_cast<char>(row.byte));
        EXPECT_EQ(Cp1251ToUtf8(byte), row.utf8) << "byte " << std::hex << row.byte;
    }
}

TEST(Cp1251, EveryCharacterEncodesAsIconvDoes) {
    const auto rows = LoadIconvTable();
    ASSERT_EQ(rows.size(), 256u);
    int refused = 0;
    for (const auto& row : rows) {
        if (row.utf8.empty()) {
            ++refused;
            continue;
        }
        const std::string encoded = Utf8ToCp1251(row.utf8);
        ASSERT_EQ(encoded.size(), 1u) << "byte " << std::hex << row.byte;
        EXPECT_EQ(static_cast<unsigned char>(encoded[0]), row.byte) << "byte " << std::hex << row.byte;
    }
    EXPECT_EQ(refused, 1); // only 0x98 is unassigned
}

TEST(Cp1251, UnassignedByte98RoundTripsAsControlCharacter) {
    EXPECT_EQ(Cp1251ToUnicode(0x98), U'\u0098');
    EXPECT_EQ(Cp1251ToUtf8("\x98"), "\xC2\x98");
    EXPECT_EQ(Utf8ToCp1251("\xC2\x98"), "\x98");
}

TEST(Cp1251, AllBytesSurviveDecodeAndEncode) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
}

TEST(Cp1251, StationTextsGiveExactBytes) {
    EXPECT_EQ(Utf8ToCp1251("Старт программы"),
              "\xD1\xF2\xE0\xF0\xF2\x20\xEF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB");
    EXPECT_EQ(Utf8ToCp1251("Ёё №5"), "\xA8\xB8\x20\xB9\x35");
}

TEST(Cp1251, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    const struct {
        const char* utf8;
        const char* expected;
    } cases[] = {
        {"\xC3\xA9", "?"}, // é (U+00E9)
        {"a\xE2\x82\xBD"
         "b",
         "a?b"},                            // ₽ (U+20BD)
        {"\xF0\x9F\x98\x80", "?"},          // an emoji: one character, one '?'
        {"\xE4\xB8\xAD\xE6\x96\x87", "??"}, // two CJK characters
    };
    for (const auto& c : cases)
        EXPECT_EQ(Utf8ToCp1251(c.utf8), c.expected) << c.utf8;
}

TEST(Cp1251, MalformedUtf8GivesOneQuestionMarkPerBadPiece) {
    const struct {
        std::string utf8;
        std::string expected;
    } cases[] = {
        {"\x80", "?"}, // continuation without a lead
        {"a\xBF"
         "b",
         "a?b"},
        {"\xC0\xAF", "??"},           // overlong '/', C0 never valid
        {"\xE0\x80\xAF", "???"},      // overlong three-byte form
        {"\xED\xA0\x80", "???"},      // a surrogate
        {"\xF4\x90\x80\x80", "????"}, // beyond U+10FFFF
        {"\xF5\x80", "??"},
        {"\xFF\xFE", "??"},
        {"\xD0", "?"},     // cut off at the end
        {"\xE2\x82", "?"}, // cut off inside
        {"\xE2\x82"
         "A",
         "?A"},                    // the next character is kept
        {"\xD0\xD0\x90", "?\xC0"}, // a new lead ends the bad piece
        {std::string("\x00\xD0\x90", 3), std::string("\x00\xC0", 2)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Utf8ToCp1251(c.utf8), c.expected);
}

TEST(Cp1251, UnicodeToCp1251RefusesWhatItCannotWrite) {
    EXPECT_EQ(UnicodeToCp1251(U'\u00E9'), -1);
    EXPECT_EQ(UnicodeToCp1251(0x110000), -1);
    EXPECT_EQ(UnicodeToCp1251(U'\u044F'), 0xFF);
    EXPECT_EQ(UnicodeToCp1251(U'\u0410'), 0xC0);
    EXPECT_EQ(UnicodeToCp1251(U'\u0450'), -1); // ѐ lies just past я
}

} // namespace
} // namespace rir
