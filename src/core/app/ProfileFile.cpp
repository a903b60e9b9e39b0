// The settings file on disk: reading it whole, writing it through a temporary file that is
// renamed over it, and clearing away what a save interrupted by a crash or a power cut left.
#include "app/ProfileStore.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rir {
namespace {

constexpr std::size_t TEMPORARY_SUFFIX_LENGTH = 6; // mkstemp's XXXXXX
// A temporary file that another station's start-up removed between mkstemp and the lock is made
// again.
constexpr int TEMPORARY_ATTEMPTS = 3;

std::string ErrorText(int error) {
    return std::strerror(error);
}

bool IsAsciiAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A save holds an exclusive lock on its temporary file from creation to rename, so a file that
// can be locked is one whose writer is gone: the kernel drops a lock with its process.
void RemoveIfAbandoned(const std::filesystem::path& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return;
    struct stat opened {};
    struct stat named {};
    if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
        lstat(path.c_str(), &named) == 0 && SameFile(opened, named))
        unlink(path.c_str());
    close(fd);
}

// One of the temporary files Save writes for `fileName`: "." + fileName + "." + the six letters
// or digits mkstemp chose.
bool IsProfileTemporaryName(std::string_view name, std::string_view fileName) {
    if (fileName.empty() || name.size() != fileName.size() + 2 + TEMPORARY_SUFFIX_LENGTH ||
        name.front() != '.' || name.substr(1, fileName.size()) != fileName ||
        name[fileName.size() + 1] != '.')
        return false;
    const std::string_view suffix = name.substr(fileName.size() + 2);
    for (char c : suffix) {
        if (!IsAsciiAlnum(c))
            return false;
    }
    return true;
}

} // namespace

ProfileStore::ProfileStore(std::filesystem::path file, std::uintmax_t sizeLimit)
    : path_(std::move(file)), sizeLimit_(sizeLimit) {
    RemoveInterruptedSaves();
    Load();
}

void ProfileStore::RemoveInterruptedSaves() const {
    const std::filesystem::path directory = path_.has_parent_path() ? path_.parent_path() : ".";
    const std::string fileName = path_.filename().string();
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator(directory, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (IsProfileTemporaryName(it->path().filename().string(), fileName))
            RemoveIfAbandoned(it->path());
    }
}

void ProfileStore::Load() {
    std::error_code error;
    const auto status = std::filesystem::status(path_, error);
    if (!std::filesystem::exists(status)) {
        loadResult_ = LoadResult::Missing;
        return;
    }
    if (!std::filesystem::is_regular_file(status)) {
        loadResult_ = LoadResult::Unreadable;
        return;
    }
    const std::uintmax_t size = std::filesystem::file_size(path_, error);
    if (error) {
        loadResult_ = LoadResult::Unreadable;
        return;
    }
    if (size > sizeLimit_) {
        loadResult_ = LoadResult::TooLarge;
        return;
    }
    std::ifstream in(path_, std::ios::binary);
    if (!in) {
        loadResult_ = LoadResult::Unreadable;
        return;
    }
    // Read in pieces up to one byte past the limit, in case the file grew since its size was taken.
    std::string content;
    content.reserve(static_cast<std::size_t>(size));
    char piece[16 * 1024];
    while (in && content.size() <= sizeLimit_) {
        in.read(piece, sizeof piece);
        content.append(piece, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        loadResult_ = LoadResult::Unreadable;
        return;
    }
    if (content.size() > sizeLimit_) {
        loadResult_ = LoadResult::TooLarge;
        return;
    }
    Parse(content);
    loadResult_ = LoadResult::Loaded;
}

bool ProfileStore::Save() {
    saveError_.clear();
    std::string text = Text();
    if (text.size() > sizeLimit_)
        text = WrittenText();
    if (text.size() > sizeLimit_) {
        saveError_ = ErrorText(EFBIG);
        return false;
    }

    const std::filesystem::path directory = path_.has_parent_path() ? path_.parent_path() : ".";
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error) {
        saveError_ = error.message();
        return false;
    }
    const std::string pattern = (directory / ("." + path_.filename().string() + ".XXXXXX")).string();
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < TEMPORARY_ATTEMPTS && fd < 0; ++attempt) {
        temporary = pattern;
        fd = mkstemp(temporary.data());
        if (fd < 0) {
            saveError_ = ErrorText(errno);
            return false;
        }
        // Locked for as long as it exists under this name, so that no other station's start-up
        // takes it for the remains of an interrupted save.
        struct stat opened {};
        struct stat named {};
        if (flock(fd, LOCK_EX) != 0 || fstat(fd, &opened) != 0 || stat(temporary.c_str(), &named) != 0 ||
            !SameFile(opened, named)) {
            close(fd);
            fd = -1;
        }
    }
    if (fd < 0) {
        saveError_ = ErrorText(EAGAIN);
        return false;
    }
    const auto fail = [&](int code) {
        saveError_ = ErrorText(code);
        unlink(temporary.c_str());
        close(fd);
        return false;
    };

    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(n < 0 ? errno : EIO);
        done += static_cast<std::size_t>(n);
    }
    // The old file's permissions, or the usual ones for a new file (mkstemp makes it 0600).
    struct stat old {};
    const mode_t mode = stat(path_.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    if (fchmod(fd, mode) != 0 || fsync(fd) != 0)
        return fail(errno);
    // Renamed while still locked: the name never stands unlocked for a cleaner to take.
    if (std::rename(temporary.c_str(), path_.c_str()) != 0)
        return fail(errno);
    close(fd); // the data is on the disk already (fsync above)
    // Makes the rename itself durable; a failure here does not undo a complete save.
    const int dirFd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    return true;
}

} // namespace rir
