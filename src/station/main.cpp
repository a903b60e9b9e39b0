// rir-station: the station without a window. It polls the supplies its settings file names on
// the port it names, writes the event log and the run journals as the window does, and ends on
// SIGTERM or Ctrl+C the way the window closes: settings saved, journals and log closed.
//
//   rir-station [--config FILE]     FILE: the settings file (default: the window's own)
#include <QCoreApplication>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "StationPort.h"
#include "StationRunner.h"
#include "StopSignals.h"
#include "app/ProfileStore.h"
#include "app/StationHost.h"
#include "journal/AlarmJournal.h"
#include "journal/RunJournal.h"

namespace rir {
namespace {

// The window's settings file: both faces run the same station.
constexpr const char* WINDOW_PROGRAM = "rir-controller";
constexpr const char* USAGE = "Использование: rir-station [--config ФАЙЛ]\n";

void Say(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
}

// Nobody at a window: boxes go to the standard error, questions are answered "Нет", dialogs
// are cancelled.
class Headless : public Prompts, public StationListener {
public:
    void Message(const std::string& text) override { Say(text); }
    bool Ask(const std::string& text) override {
        Say(text);
        return false;
    }
    std::optional<int> AskAddress(int) override { return std::nullopt; }
    std::optional<ModuleSetupValues> RunModuleSetup(const ModuleSetupValues&) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseProgramFile() override { return std::nullopt; }
    std::optional<std::string> ChooseSaveFile(const std::string&) override { return std::nullopt; }
    std::optional<NetworkPortFields> AskNetworkPort(const NetworkPortFields&) override { return std::nullopt; }
    void PageAdded(DevicePage&) override {}
    void PageRemoved(DevicePage&) override {}
    void PageChanged(DevicePage&) override {}
    void TabsChanged() override {}
    void MenuChanged() override {}
    void LogChanged() override {}
    void LayoutChanged() override {}
};

int Run(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C"); // the station's texts and files always use a point
    std::filesystem::path config = DefaultProfilePath(WINDOW_PROGRAM);
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--config" && i + 1 < argc) {
            config = argv[++i];
        } else {
            std::fputs(USAGE, stderr);
            return 2;
        }
    }
    const SettingsRead read = ReadSettingsFile(ProfileStore(config));
    if (!read.problem.empty())
        Say(read.problem);
    if (const std::optional<std::string> refusal = HeadlessRefusal(read.settings, config)) {
        Say(*refusal);
        return 1;
    }
    Headless face;
    // Only the port the file names: there is nobody to pick another.
    StationHost host({read.settings.port}, config, face, face);
    host.station().SetJournalFolder(DefaultJournalFolder());
    host.station().SetAlarmJournal(DefaultAlarmJournalPath());
    if (const char* user = std::getenv("USER"))
        host.station().setAlarmUser(user);
    StationRunner runner(host, MakeStationPort);
    if (!runner.Start())
        return 1;
    StopSignals stopSignals;
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &app, [&] {
        // The window's place in the file stays as the window left it.
        runner.Close(host.restored().window, Station::CloseReason::Signal);
        QCoreApplication::quit();
    });
    return QCoreApplication::exec();
}

} // namespace
} // namespace rir

int main(int argc, char** argv) {
    return rir::Run(argc, argv);
}
