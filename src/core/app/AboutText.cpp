#include "app/AboutText.h"

#include <array>

namespace rir {
namespace {

constexpr std::array<std::string_view, 12> MONTHS = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

std::string FormatBuildDate(std::string_view compilerDate) {
    // "Mmm dd yyyy", the day padded with a blank.
    const std::string original(compilerDate);
    if (compilerDate.size() != 11 || compilerDate[3] != ' ' || compilerDate[6] != ' ')
        return original;
    int month = 0;
    while (month < 12 && MONTHS[static_cast<std::size_t>(month)] != compilerDate.substr(0, 3))
        ++month;
    const char dayTens = compilerDate[4] == ' ' ? '0' : compilerDate[4];
    const char dayUnits = compilerDate[5];
    const std::string_view year = compilerDate.substr(7);
    const bool digits = IsDigit(dayTens) && IsDigit(dayUnits) && IsDigit(year[0]) && IsDigit(year[1]) &&
                        IsDigit(year[2]) && IsDigit(year[3]);
    if (month == 12 || !digits)
        return original;
    ++month;
    std::string out{
        dayTens, dayUnits, '.', static_cast<char>('0' + month / 10), static_cast<char>('0' + month % 10),
        '.'};
    out += year;
    return out;
}

std::string AboutProgramLine(std::string_view version, std::string_view compilerDate) {
    std::string line(PROGRAM_NAME);
    line += ", версия ";
    line += version;
    line += " от ";
    line += FormatBuildDate(compilerDate);
    return line;
}

} // namespace rir
