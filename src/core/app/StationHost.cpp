#include "app/StationHost.h"

#include "app/LinkStatus.h"
#include "app/ProfileStore.h"

#include <utility>

namespace rir {

std::optional<std::string> HeadlessRefusal(const StoredSettings& settings,
                                           const std::filesystem::path& file) {
    if (settings.port.empty())
        return FillIn(HEADLESS_NO_PORT, {file.string()});
    if (settings.tabSections.empty())
        return FillIn(HEADLESS_NO_SUPPLY, {file.string()});
    return std::nullopt;
}

StationHost::StationHost(std::vector<std::string> portList, std::filesystem::path settingsFile,
                         Prompts& prompts, StationListener& listener, std::string logFile)
    : settingsFile_(std::move(settingsFile)), log_(std::move(logFile)),
      station_(std::move(portList), prompts, listener, log_) {}

bool StationHost::Start() {
    const ProfileStore store(settingsFile_);
    const SettingsRead read = ReadSettingsFile(store);
    restored_ = read.settings;
    return station_.Start(read);
}

void StationHost::OnTimer(MonoTime now) {
    station_.OnTimer();
    station_.OnPageTicks(now);
}

void StationHost::OnBusNote(BusNote note) {
    station_.OnBusReply(note);
}

void StationHost::Close(const WindowPlacement& placement, Station::CloseReason reason) {
    if (closed_)
        return;
    closed_ = true;
    if (station_.saveSettingsAtClose()) {
        ProfileStore store(settingsFile_);
        if (const auto problem = SaveSettingsFile(store, station_.SettingsToSave(placement)))
            station_.SettingsNotSaved(*problem, reason);
    }
    station_.Shutdown();
}

} // namespace rir
