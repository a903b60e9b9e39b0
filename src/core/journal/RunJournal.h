// One run journal on disk: created with its head, appended one line a second, every line handed
// to the system at once and the file forced to the disk every few lines by a thread of its own. A failure
// (the folder cannot be made, the disk is full) ends the journal and says why; the run goes on without it.
// A failed write leaves no torn line: the file is cut back to its last whole line, so that it still
// loads as a program, and a file without a single line after its head is removed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace rir {

// Lines between two forced writes to the disk: what a power cut may lose at most.
inline constexpr int JOURNAL_SYNC_LINES = 5;

class RunJournal {
public:
    RunJournal() = default;
    ~RunJournal() { Close(); }
    RunJournal(const RunJournal&) = delete;
    RunJournal& operator=(const RunJournal&) = delete;

    // Creates folder (and its parents) and the file name in it, which must not exist yet, and
    // writes head. The system's reason when that fails (nothing is left on the disk then); ""
    // when the journal is open.
    std::string Open(const std::filesystem::path& folder, const std::string& name, std::string_view head);
    // Appends one whole line. The system's reason when the write failed; the journal is closed
    // then, cut back to its last whole line, and takes no more lines.
    std::string Append(std::string_view line);
    // Forces what was written to the disk and closes the file; a file that holds nothing but
    // its head is removed.
    void Close();

    bool open() const { return file_ != nullptr; }
    // The journal was closed without a line after its head and its file removed.
    bool removed() const { return removed_; }
    const std::filesystem::path& path() const { return path_; }
    // Forces what was written so far to the disk (before it is copied).
    void Sync();

private:
    // Closes the file after a failed write and cuts off what the failure left of the last line.
    void Fail();
    void RemoveIfEmpty();

    std::FILE* file_ = nullptr;
    std::filesystem::path path_;
    int unsynced_ = 0;
    std::uintmax_t whole_ = 0; // bytes of whole lines in the file
    long long lines_ = -1;     // lines after the head; -1 until the head is written
    bool removed_ = false;
};

// Where the station keeps its journals: $XDG_DATA_HOME/rir-controller/runs when that is an
// absolute path, else ~/.local/share/rir-controller/runs.
std::filesystem::path JournalFolderFor(const char* xdgDataHome, const char* home);
std::filesystem::path DefaultJournalFolder();

// Copies the journal at `from` to `to` through a temporary file beside `to` and a rename: `to` is
// either the whole copy or untouched. The system's error number when it failed, 0 when done.
int SaveCopy(const std::filesystem::path& from, const std::filesystem::path& to);

} // namespace rir
