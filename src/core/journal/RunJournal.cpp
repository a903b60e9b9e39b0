#include "journal/RunJournal.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <pwd.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace rir {

namespace {

std::string Reason(int error) {
    return std::strerror(error);
}

// Writes all of bytes to fd; false with errno set when the system refused.
bool WriteAll(int fd, const char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Forces journals to the disk off the user-interface thread: a forced write takes a good part of
// a millisecond on a quiet disk and much longer on a busy one, and the window must not wait for
// it every few seconds of every run. One thread serves all journals.
class DiskSyncer {
public:
    static DiskSyncer& Instance() {
        static DiskSyncer syncer;
        return syncer;
    }
    ~DiskSyncer() {
        {
            const std::lock_guard<std::mutex> hold(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable())
            thread_.join();
    }
    DiskSyncer(const DiskSyncer&) = delete;
    DiskSyncer& operator=(const DiskSyncer&) = delete;

    // Asks for fd to be forced to the disk soon; a request already waiting covers this one.
    void Request(int fd) {
        {
            const std::lock_guard<std::mutex> hold(mutex_);
            if (std::find(queue_.begin(), queue_.end(), fd) != queue_.end())
                return;
            queue_.push_back(fd);
            if (!thread_.joinable())
                thread_ = std::thread([this] { Run(); });
        }
        wake_.notify_one();
    }
    // Before fd is closed: drops its waiting request and waits for one under way.
    void Forget(int fd) {
        std::unique_lock<std::mutex> hold(mutex_);
        std::erase(queue_, fd);
        done_.wait(hold, [&] { return busy_ != fd; });
    }

private:
    DiskSyncer() = default;
    void Run() {
        std::unique_lock<std::mutex> hold(mutex_);
        while (true) {
            wake_.wait(hold, [&] { return stop_ || !queue_.empty(); });
            if (stop_)
                return;
            busy_ = queue_.front();
            queue_.pop_front();
            const int fd = busy_;
            hold.unlock();
            ::fdatasync(fd);
            hold.lock();
            busy_ = -1;
            done_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::deque<int> queue_;
    int busy_ = -1;
    bool stop_ = false;
    std::thread thread_;
};

} // namespace

std::string RunJournal::Open(const std::filesystem::path& folder, const std::string& name,
                             std::string_view head) {
    Close();
    removed_ = false;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        return error.message();
    const std::filesystem::path path = folder / name;
    // "x": never overwrite the journal of another run that started in the same second.
    std::FILE* file = std::fopen(path.c_str(), "wbx");
    if (file == nullptr)
        return Reason(errno);
    file_ = file;
    path_ = path;
    unsynced_ = 0;
    whole_ = 0;
    lines_ = -1;
    std::string reason = Append(head);
    if (reason.empty())
        Sync();
    return reason;
}

std::string RunJournal::Append(std::string_view line) {
    if (file_ == nullptr)
        return "the journal is closed";
    errno = 0;
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() || std::fflush(file_) != 0) {
        const int error = errno != 0 ? errno : EIO;
        Fail();
        return Reason(error);
    }
    whole_ += line.size();
    ++lines_;
    // The line is the system's now (a crash or a kill loses nothing); the disk gets it shortly.
    if (++unsynced_ >= JOURNAL_SYNC_LINES) {
        DiskSyncer::Instance().Request(::fileno(file_));
        unsynced_ = 0;
    }
    return {};
}

void RunJournal::Fail() {
    DiskSyncer::Instance().Forget(::fileno(file_));
    // Closing may still write some of what the failed write left in the buffer: the file is cut
    // back after it. A line torn in the middle would read as a wrong value, and a journal without
    // its CR LF would run the next run's first line into its last one.
    std::fclose(file_);
    file_ = nullptr;
    // Should the cut fail too, nothing more can be done; what the file holds up to the tear loads.
    [[maybe_unused]] const int cut = ::truncate(path_.c_str(), static_cast<off_t>(whole_));
    RemoveIfEmpty();
}

void RunJournal::RemoveIfEmpty() {
    // A journal of no second proves nothing and would only be a name in the folder.
    if (lines_ > 0)
        return;
    std::error_code ignored;
    removed_ = std::filesystem::remove(path_, ignored);
}

void RunJournal::Sync() {
    if (file_ == nullptr)
        return;
    std::fflush(file_);
    ::fdatasync(::fileno(file_));
    unsynced_ = 0;
}

void RunJournal::Close() {
    if (file_ == nullptr)
        return;
    Sync();
    DiskSyncer::Instance().Forget(::fileno(file_));
    std::fclose(file_);
    file_ = nullptr;
    RemoveIfEmpty();
}

std::filesystem::path JournalFolderFor(const char* xdgDataHome, const char* home) {
    const std::filesystem::path tail = std::filesystem::path("rir-controller") / "runs";
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/')
        return std::filesystem::path(xdgDataHome) / tail;
    return std::filesystem::path(home != nullptr ? home : "") / ".local" / "share" / tail;
}

std::filesystem::path DefaultJournalFolder() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        if (const passwd* user = getpwuid(getuid()))
            home = user->pw_dir;
    }
    return JournalFolderFor(std::getenv("XDG_DATA_HOME"), home);
}

int SaveCopy(const std::filesystem::path& from, const std::filesystem::path& to) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return errno;
    std::filesystem::path temporary = to;
    temporary += ".part";
    const int out = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        return error;
    }
    int error = 0;
    char buffer[1 << 16];
    while (error == 0) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno != EINTR)
                error = errno;
            continue;
        }
        if (!WriteAll(out, buffer, static_cast<std::size_t>(n)))
            error = errno;
    }
    if (error == 0 && ::fsync(out) != 0)
        error = errno;
    if (::close(out) != 0 && error == 0)
        error = errno;
    ::close(in);
    if (error == 0 && std::rename(temporary.c_str(), to.c_str()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temporary.c_str());
    return error;
}

} // namespace rir
