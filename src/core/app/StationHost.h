// The station without a face: the Station with its event log and settings file, and the entry
// points a face's timers and bus thread drive. The window and the headless station build the
// same one; a face adds only what it shows and the Qt objects that feed it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/EventLog.h"
#include "app/Prompts.h"
#include "app/Settings.h"
#include "app/Station.h"
#include "bus/BusThread.h"

namespace rir {

// The headless station runs only what its settings file names: it has nobody to choose a port
// or add a supply (%s: the file's path).
inline constexpr std::string_view HEADLESS_NO_PORT =
    "В файле настроек %s не указан COM-порт! Станция без окна не запущена.";
inline constexpr std::string_view HEADLESS_NO_SUPPLY =
    "В файле настроек %s нет ни одного устройства! Станция без окна не запущена.";
// Why a station without a window must not start on these settings; nothing when it may.
std::optional<std::string> HeadlessRefusal(const StoredSettings& settings, const std::filesystem::path& file);

class StationHost {
public:
    // `settingsFile` is read at Start and written at Close; the log writes to `logFile`.
    StationHost(std::vector<std::string> portList, std::filesystem::path settingsFile, Prompts& prompts,
                StationListener& listener, std::string logFile = std::string(LOG_FILE_NAME));
    StationHost(const StationHost&) = delete;
    StationHost& operator=(const StationHost&) = delete;

    // Reads the settings file and starts the station. False when there is no port (the operator
    // has been told): the bus thread is then not to be started.
    bool Start();
    // The settings as Start read them (the window's place among them).
    const StoredSettings& restored() const { return restored_; }

    // The statistics timer, every STATS_TIMER_MS: the status line's counters, then the pages'
    // seconds that fell due by `now`.
    void OnTimer(MonoTime now);
    // One of the bus thread's notes (a cycle's reply, a request sent, a port event), on the
    // station's own thread.
    void OnBusNote(BusNote note);

    // The close, once (later calls do nothing): the settings written with the window's place
    // (unless the file could not be read at Start), then the exit logged, the journals and the
    // log file closed. The caller stops the bus thread afterwards.
    void Close(const WindowPlacement& placement, Station::CloseReason reason);
    bool closed() const { return closed_; }

    Station& station() { return station_; }
    const Station& station() const { return station_; }
    EventLog& log() { return log_; }
    const std::filesystem::path& settingsFile() const { return settingsFile_; }

private:
    std::filesystem::path settingsFile_;
    EventLog log_;
    Station station_;
    StoredSettings restored_;
    bool closed_ = false;
};

} // namespace rir
