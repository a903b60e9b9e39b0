#include "journal/AlarmJournal.h"

#include "journal/RunJournal.h"
#include "text/Cp1251.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <system_error>
#include <unistd.h>

namespace rir {

namespace {

std::string DateTime(StampTime t) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(t);
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr)
        return {};
    char buffer[32];
    return {buffer, std::strftime(buffer, sizeof buffer, "%d.%m.%Y %H:%M:%S", &local)};
}

// A field the journal did not make itself: no separator and no line break may end up in it.
std::string Field(std::string_view text) {
    std::string out;
    for (char c : text)
        out += (c == ';' || c == '\r' || c == '\n') ? ' ' : c;
    return out;
}

} // namespace

std::string_view AlarmKindName(AlarmKind kind) {
    switch (kind) {
    case AlarmKind::Silent:
        return "нет связи";
    case AlarmKind::OffPlan:
        return "отклонение";
    case AlarmKind::RegulationChange:
        return "смена режима";
    case AlarmKind::Temperature:
        return "температура";
    case AlarmKind::LinkErrors:
        return "ошибки связи";
    }
    return {};
}

std::string_view AlarmTransitionName(AlarmTransition what) {
    switch (what) {
    case AlarmTransition::Raised:
        return "поднята";
    case AlarmTransition::Acknowledged:
        return "квитирована";
    case AlarmTransition::Cleared:
        return "снята";
    }
    return {};
}

std::string AlarmJournalLine(const AlarmEvent& e, int address, int channel, StampTime at) {
    std::string line = DateTime(at) + ";" + std::to_string(address) + ";" + std::to_string(channel + 1) +
                       ";" + std::string(AlarmKindName(e.kind)) + ";" + Field(e.value) + ";" +
                       Field(e.limit) + ";" + std::string(AlarmTransitionName(e.what)) + ";" + Field(e.user);
    return Utf8ToCp1251(line) + "\r\n";
}

std::filesystem::path AlarmJournalPathFor(const char* xdgDataHome, const char* home) {
    return JournalFolderFor(xdgDataHome, home).parent_path() / "alarms.csv";
}

std::filesystem::path DefaultAlarmJournalPath() {
    return AlarmJournalPathFor(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

std::filesystem::path RotatedAlarmJournalPath(const std::filesystem::path& path) {
    return path.parent_path() / (path.stem().string() + ".1" + path.extension().string());
}

AlarmJournal::~AlarmJournal() {
    CloseFile();
}

void AlarmJournal::CloseFile() {
    if (file_ != nullptr)
        std::fclose(file_);
    file_ = nullptr;
}

std::string AlarmJournal::OpenFile() {
    std::error_code error;
    std::filesystem::create_directories(path_.parent_path(), error);
    if (error)
        return error.message();
    file_ = std::fopen(path_.c_str(), "ab");
    if (file_ == nullptr)
        return std::strerror(errno);
    // Unbuffered: a line either reaches the system whole or is cut off again, and nothing of a
    // failed line waits in a buffer for the close to write it after all.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    std::fseek(file_, 0, SEEK_END);
    const long size = std::ftell(file_);
    bytes_ = size > 0 ? static_cast<std::uintmax_t>(size) : 0;
    if (bytes_ == 0) {
        const std::string head = Utf8ToCp1251(ALARM_JOURNAL_HEAD) + "\r\n";
        if (std::fwrite(head.data(), 1, head.size(), file_) != head.size() || std::fflush(file_) != 0) {
            const std::string reason = std::strerror(errno);
            CloseFile();
            return reason;
        }
        bytes_ = head.size();
    }
    return {};
}

std::string AlarmJournal::Append(std::string_view line) {
    if (file_ == nullptr) {
        if (std::string reason = OpenFile(); !reason.empty())
            return reason;
    }
    if (bytes_ + line.size() > rotateBytes_) {
        CloseFile();
        std::error_code error;
        std::filesystem::rename(path_, RotatedAlarmJournalPath(path_), error);
        if (error)
            return error.message();
        if (std::string reason = OpenFile(); !reason.empty())
            return reason;
    }
    errno = 0;
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() || std::fflush(file_) != 0) {
        const std::string reason = std::strerror(errno != 0 ? errno : EIO);
        // What part of the line landed is cut off again, so that the next line starts clean.
        if (::ftruncate(::fileno(file_), static_cast<off_t>(bytes_)) != 0)
            errno = 0;
        CloseFile();
        return reason;
    }
    // Alarms are rare and each one matters after a power cut: forced to the disk at once.
    ::fdatasync(::fileno(file_));
    bytes_ += line.size();
    return {};
}

} // namespace rir
