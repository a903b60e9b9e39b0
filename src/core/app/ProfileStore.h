// The station's settings file: a private profile in INI form, read once at start-up and written
// whole at exit. Lookups follow the platform's profile functions: section and value names match
// without regard to ASCII case, values are trimmed, and a missing file, section or value gives
// the caller's default.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace rir {

// A file bigger than this is no settings file of the station's and is not read. Save never
// writes a bigger one, so whatever the station saved it reads back.
inline constexpr std::uintmax_t MAX_PROFILE_FILE_BYTES = 64 * 1024 * 1024;

// The text's leading decimal integer as the platform's profile reader takes it: blanks, then an
// optional sign, then digits; reading stops at the first other character ("12abc" is 12,
// "abc" is 0). Values beyond the int range are clamped to it.
int ParseProfileInt(std::string_view text);

// "<applicationName>.INI" in $XDG_CONFIG_HOME when that is an absolute path, else in
// "<home>/.config". The pure form takes the two environment values (null when unset).
std::filesystem::path ProfilePathFor(std::string_view applicationName, const char* xdgConfigHome,
                                     const char* home);
std::filesystem::path DefaultProfilePath(std::string_view applicationName);

class ProfileStore {
public:
    enum class LoadResult { Loaded, Missing, Unreadable, TooLarge };

    // Reads the file; a missing, unreadable or oversized one leaves the store empty. First
    // removes what an interrupted Save left behind: its temporary files in the file's directory
    // (never one that a Save running at this moment still holds).
    explicit ProfileStore(std::filesystem::path file, std::uintmax_t sizeLimit = MAX_PROFILE_FILE_BYTES);

    const std::filesystem::path& path() const { return path_; }
    LoadResult loadResult() const { return loadResult_; }

    // The value, without surrounding blanks and without one pair of enclosing quotes, or the
    // default when the section or the value is missing.
    std::string GetString(std::string_view section, std::string_view key, std::string_view def) const;
    // ParseProfileInt of the value; the default when it is missing or empty.
    int GetInt(std::string_view section, std::string_view key, int def) const;

    // Adds or replaces a value; a new section goes to the end of the file, a new value to the
    // end of its section. False (and nothing changed) for a name that could not be read back:
    // empty, with surrounding blanks or a line break, a value name with '=' or starting with
    // '[' or ';'; a value with a line break or a zero byte.
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    bool WriteInt(std::string_view section, std::string_view key, int value);
    // Removes every section of that name with all its lines.
    void DeleteSection(std::string_view section);

    // The file's text as Save writes it: the lines it was read from, changed values in place,
    // CR LF line ends, and the byte order mark if the file had one.
    std::string Text() const;

    // Only the values written since the file was read, in their sections' order: what Save
    // writes when Text() would be larger than the store reads.
    std::string WrittenText() const;

    // Writes the file through a temporary file in the same directory that is flushed to disk
    // and then renamed over the old file, so a crash leaves either the old or the new file,
    // never a broken one. Creates the directory if needed. A text too large to be read back
    // loses the lines the station did not write (WrittenText) rather than its settings. On
    // failure the old file is intact, false is returned and saveError() says why.
    bool Save();
    const std::string& saveError() const { return saveError_; }

private:
    struct Line {
        std::string text;     // the line as read or written, without its line end
        std::string key;      // trimmed value name; empty for blank, comment and garbage lines
        std::string value;    // trimmed raw value
        bool written = false; // set by WriteString since the file was read
    };
    struct Section {
        std::string name;
        std::string header; // "[name]" as read
        std::vector<Line> lines;
    };

    void RemoveInterruptedSaves() const;
    void Load();
    void Parse(std::string_view content);
    static constexpr std::size_t NO_SECTION = static_cast<std::size_t>(-1);
    std::size_t FindSection(std::string_view name) const;
    const Line* FindKey(std::string_view section, std::string_view key) const;

    std::filesystem::path path_;
    std::uintmax_t sizeLimit_;
    LoadResult loadResult_ = LoadResult::Missing;
    bool byteOrderMark_ = false;
    std::vector<Line> preamble_; // lines before the first section, kept as they are
    std::vector<Section> sections_;
    std::string saveError_;
};

} // namespace rir
