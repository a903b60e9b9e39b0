#include "app/ProfileStore.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <utility>

#include <pwd.h>
#include <unistd.h>

namespace rir {
namespace {

constexpr std::string_view BYTE_ORDER_MARK = "\xEF\xBB\xBF";
constexpr std::string_view LINE_END = "\r\n";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

bool HasLineBreakOrZero(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != s.npos;
}

bool IsStorableSection(std::string_view name) {
    return !name.empty() && Trim(name) == name && !HasLineBreakOrZero(name);
}

bool IsStorableKey(std::string_view key) {
    return IsStorableSection(key) && key.find('=') == key.npos && key.front() != '[' && key.front() != ';';
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

// One pair of enclosing quotes is removed on reading, as the platform does.
std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// Quotes a value that reading would otherwise change: surrounding blanks or enclosing quotes.
std::string StoredForm(std::string_view value) {
    if (value.empty())
        return {};
    const bool needsQuotes = IsBlank(value.front()) || IsBlank(value.back()) ||
                             (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front());
    return needsQuotes ? "\"" + std::string(value) + "\"" : std::string(value);
}

} // namespace

int ParseProfileInt(std::string_view text) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // Accumulated up to just past the int range, then clamped: no overflow, however long.
    constexpr std::int64_t LIMIT = std::int64_t{std::numeric_limits<int>::max()} + 1;
    std::int64_t magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        magnitude = std::min(magnitude * 10 + (c - '0'), LIMIT);
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    return static_cast<int>(
        std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

std::filesystem::path ProfilePathFor(std::string_view applicationName, const char* xdgConfigHome,
                                     const char* home) {
    const std::string fileName = std::string(applicationName) + ".INI";
    // Only an absolute XDG_CONFIG_HOME counts; a relative one is to be ignored.
    if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/')
        return std::filesystem::path(xdgConfigHome) / fileName;
    const std::string base = home != nullptr ? home : "";
    return std::filesystem::path(base) / ".config" / fileName;
}

std::filesystem::path DefaultProfilePath(std::string_view applicationName) {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        if (const passwd* user = getpwuid(getuid()))
            home = user->pw_dir;
    }
    return ProfilePathFor(applicationName, std::getenv("XDG_CONFIG_HOME"), home);
}

void ProfileStore::Parse(std::string_view content) {
    if (content.starts_with(BYTE_ORDER_MARK)) {
        byteOrderMark_ = true;
        content.remove_prefix(BYTE_ORDER_MARK.size());
    }
    while (!content.empty()) {
        const std::size_t end = content.find('\n');
        std::string_view text = content.substr(0, end);
        content.remove_prefix(end == content.npos ? content.size() : end + 1);
        if (text.ends_with('\r'))
            text.remove_suffix(1);

        const std::string_view trimmed = Trim(text);
        const std::size_t close = trimmed.rfind(']');
        if (trimmed.starts_with('[') && close != trimmed.npos) {
            sections_.push_back({std::string(Trim(trimmed.substr(1, close - 1))), std::string(text), {}});
            continue;
        }
        Line line{std::string(text), {}, {}};
        const std::size_t equals = trimmed.find('=');
        if (equals != trimmed.npos && !trimmed.starts_with(';')) {
            line.key = std::string(Trim(trimmed.substr(0, equals)));
            line.value = std::string(Trim(trimmed.substr(equals + 1)));
        }
        (sections_.empty() ? preamble_ : sections_.back().lines).push_back(std::move(line));
    }
}

std::size_t ProfileStore::FindSection(std::string_view name) const {
    // The first of duplicated sections is the one that counts, as on the platform.
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        if (SameName(sections_[i].name, name))
            return i;
    }
    return NO_SECTION;
}

const ProfileStore::Line* ProfileStore::FindKey(std::string_view section, std::string_view key) const {
    const std::size_t found = FindSection(section);
    if (found == NO_SECTION)
        return nullptr;
    for (const auto& line : sections_[found].lines) {
        if (!line.key.empty() && SameName(line.key, key))
            return &line;
    }
    return nullptr;
}

std::string ProfileStore::GetString(std::string_view section, std::string_view key,
                                    std::string_view def) const {
    const Line* line = FindKey(section, key);
    return std::string(line != nullptr ? Unquote(line->value) : def);
}

int ProfileStore::GetInt(std::string_view section, std::string_view key, int def) const {
    const Line* line = FindKey(section, key);
    if (line == nullptr)
        return def;
    const std::string_view value = Trim(Unquote(line->value));
    return value.empty() ? def : ParseProfileInt(value);
}

bool ProfileStore::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    if (!IsStorableSection(section) || !IsStorableKey(key) || HasLineBreakOrZero(value))
        return false;
    const std::string stored = StoredForm(value);

    std::size_t index = FindSection(section);
    if (index == NO_SECTION) {
        // A blank line before a new section, as the platform writes it.
        if (!sections_.empty() || !preamble_.empty()) {
            auto& before = sections_.empty() ? preamble_ : sections_.back().lines;
            if (before.empty() || !Trim(before.back().text).empty())
                before.push_back({});
        }
        sections_.push_back({std::string(section), "[" + std::string(section) + "]", {}});
        index = sections_.size() - 1;
    }
    Section& target = sections_[index];
    for (auto& line : target.lines) {
        if (!line.key.empty() && SameName(line.key, key)) {
            line.value = stored;
            line.text = line.key + "=" + stored;
            line.written = true;
            return true;
        }
    }
    // After the section's last non-blank line, so that its blank separator stays at its end.
    auto at = target.lines.end();
    while (at != target.lines.begin() && Trim(std::prev(at)->text).empty())
        --at;
    target.lines.insert(at, Line{std::string(key) + "=" + stored, std::string(key), stored, true});
    return true;
}

bool ProfileStore::WriteInt(std::string_view section, std::string_view key, int value) {
    return WriteString(section, key, std::to_string(value));
}

void ProfileStore::DeleteSection(std::string_view section) {
    std::erase_if(sections_, [&](const Section& s) { return SameName(s.name, section); });
}

std::string ProfileStore::Text() const {
    std::string out;
    if (byteOrderMark_)
        out += BYTE_ORDER_MARK;
    for (const auto& line : preamble_)
        out.append(line.text).append(LINE_END);
    for (const auto& section : sections_) {
        out.append(section.header).append(LINE_END);
        for (const auto& line : section.lines)
            out.append(line.text).append(LINE_END);
    }
    return out;
}

std::string ProfileStore::WrittenText() const {
    std::string out;
    if (byteOrderMark_)
        out += BYTE_ORDER_MARK;
    bool first = true;
    for (const auto& section : sections_) {
        const bool any = std::any_of(section.lines.begin(), section.lines.end(),
                                     [](const Line& line) { return line.written; });
        if (!any)
            continue;
        // A blank line between sections, as a new section gets one.
        if (!std::exchange(first, false))
            out.append(LINE_END);
        out.append("[").append(section.name).append("]").append(LINE_END);
        for (const auto& line : section.lines) {
            if (line.written)
                out.append(line.text).append(LINE_END);
        }
    }
    return out;
}

} // namespace rir
