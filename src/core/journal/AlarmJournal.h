// The alarm journal: one line per alarm transition (raised, acknowledged, cleared) of every page,
// in the journals' style (Windows-1251, CR LF, ";" between fields), written and flushed line by
// line, and turned into its previous generation when it reaches the log's size.
#pragma once

#include "alarm/AlarmMonitor.h"
#include "chart/ChartSample.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace rir {

inline constexpr std::string_view ALARM_JOURNAL_HEAD =
    "Дата и время;Устройство;Канал;Тревога;Значение;Предел;Событие;Пользователь";
inline constexpr std::uintmax_t ALARM_JOURNAL_ROTATE_BYTES = 10 * 1024 * 1024;

// What the journal and the page call each kind and transition.
std::string_view AlarmKindName(AlarmKind kind);
std::string_view AlarmTransitionName(AlarmTransition what);

// "11.12.2026 14:05:03;15;1;отклонение;0.52;1.00;поднята;" (a channel B page: channel 2), CR LF
// ended, in Windows-1251. Fields from outside (the user's name) lose any ";" and line break.
std::string AlarmJournalLine(const AlarmEvent& event, int address, int channel, StampTime at);

// $XDG_DATA_HOME/rir-controller/alarms.csv when that is an absolute path, else
// ~/.local/share/rir-controller/alarms.csv.
std::filesystem::path AlarmJournalPathFor(const char* xdgDataHome, const char* home);
std::filesystem::path DefaultAlarmJournalPath();

class AlarmJournal {
public:
    explicit AlarmJournal(std::filesystem::path path) : path_(std::move(path)) {}
    ~AlarmJournal();
    AlarmJournal(const AlarmJournal&) = delete;
    AlarmJournal& operator=(const AlarmJournal&) = delete;

    // Appends one line, making the folder and the file with its head when they are not there,
    // rotating a full file first. The system's reason when it failed, else "". A failure keeps
    // nothing open: the next line tries again.
    std::string Append(std::string_view line);

    const std::filesystem::path& path() const { return path_; }
    void setRotateBytes(std::uintmax_t bytes) { rotateBytes_ = bytes; }

private:
    std::string OpenFile();
    void CloseFile();

    std::filesystem::path path_;
    std::FILE* file_ = nullptr;
    std::uintmax_t bytes_ = 0;
    std::uintmax_t rotateBytes_ = ALARM_JOURNAL_ROTATE_BYTES;
};

// The previous generation's name: "alarms.csv" -> "alarms.1.csv".
std::filesystem::path RotatedAlarmJournalPath(const std::filesystem::path& path);

} // namespace rir
