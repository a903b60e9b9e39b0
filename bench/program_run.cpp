// Wall time of a program run on the whole station: the main window (offscreen) with its bus
// thread against rir-sim, a program of S seconds started on the page, while busy processes keep
// every core loaded. The page's seconds are counted against a monotonic clock, so the run should
// end S seconds after its start however late the window's timer comes.
//
//   program_run_bench [--seconds S] [--load N]      (defaults: 600 s, one busy process per core)
#include "CMainDlg.h"
#include "QtSerialPort.h"
#include "SimProcess.h"
#include "app/ProfileStore.h"
#include "app/Settings.h"
#include "device/PageControls.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace rir {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int ONLINE_LIMIT_MS = 30000;
// A step every this many seconds, so that the supply has something to take all through the run.
constexpr int STEP_EVERY_SECONDS = 30;

// The window with the file dialog and the message boxes answered at once: the end message's
// time is what is measured.
class BenchWindow : public CMainDlg {
public:
    using CMainDlg::CMainDlg;
    std::string program;
    std::optional<Clock::time_point> ended;
    std::string endText;
    std::optional<std::string> ChooseProgramFile() override { return program; }
    void Message(const std::string& text) override {
        if (text.find("закончена") != std::string::npos && !ended) {
            ended = Clock::now();
            endText = text;
        }
    }
};

struct Options {
    int seconds = 600;
    int load = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
};

Options ParseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const int value = std::atoi(argv[i + 1]);
        if (name == "--seconds" && value > 0)
            o.seconds = value;
        else if (name == "--load" && value >= 0)
            o.load = value;
    }
    return o;
}

// Busy processes, ended with the run.
class Load {
public:
    explicit Load(int n) {
        for (int i = 0; i < n; ++i) {
            const pid_t pid = fork();
            if (pid == 0) {
                volatile unsigned long spin = 0;
                for (;;)
                    spin = spin + 1;
            }
            if (pid > 0)
                pids_.push_back(pid);
        }
    }
    ~Load() {
        for (pid_t pid : pids_) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    Load(const Load&) = delete;
    Load& operator=(const Load&) = delete;

private:
    std::vector<pid_t> pids_;
};

void Spin(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

int Main(const Options& options) {
    test::SimProcess sim(RIR_SIM_PATH, {"--device", "15:2:1"});
    if (sim.slavePath().empty()) {
        std::fprintf(stderr, "%s\n", sim.error().c_str());
        return 1;
    }
    QTemporaryDir dir;
    const std::string settingsFile = dir.filePath("settings.ini").toStdString();
    {
        StoredSettings s;
        s.port = sim.slavePath();
        s.tabSections.push_back({Station::TabCaption(15, 0), 15, 0});
        s.tabs = 1;
        s.activeTab = 1;
        ProfileStore store(settingsFile);
        WriteSettings(store, s);
        store.Save();
    }
    const std::string program = dir.filePath("run.csv").toStdString();
    {
        std::ofstream out(program, std::ios::binary);
        for (int t = 0; t < options.seconds; t += STEP_EVERY_SECONDS)
            out << t << ";" << 1 + (t / STEP_EVERY_SECONDS) % 3 << ";12;1\r\n";
        out << options.seconds << ";1;12;0\r\n";
    }

    BenchWindow window({sim.slavePath()}, settingsFile, [] { return std::make_unique<QtSerialPort>(); });
    window.program = program;
    if (!window.Initialise())
        return 1;
    window.ShowRestored();
    QElapsedTimer waited;
    waited.start();
    auto online = [&] {
        const DevicePage* page = window.station().FindPage(15, 0);
        return page != nullptr && page->state.online;
    };
    while (!online() && waited.elapsed() < ONLINE_LIMIT_MS)
        Spin(50);
    if (!online()) {
        std::fprintf(stderr, "the supply did not come online\n");
        return 1;
    }
    window.station().OnPageCommand(15, 0, IDC_OPEN_PROGRAM);
    const DevicePage& page = *window.station().FindPage(15, 0);
    if (!page.programLoaded()) {
        std::fprintf(stderr, "the program did not load\n");
        return 1;
    }

    std::fprintf(stderr, "running %d s with %d busy processes ...\n", options.seconds, options.load);
    const Load load(options.load);
    const Clock::time_point start = Clock::now();
    window.station().OnPageCommand(15, 0, IDC_PROGRAM_START);
    const auto limit = start + std::chrono::seconds(options.seconds * 2 + 60);
    while (!window.ended && Clock::now() < limit)
        Spin(100);
    if (!window.ended) {
        std::fprintf(stderr, "the program did not end\n");
        return 1;
    }
    const double wall = std::chrono::duration<double>(*window.ended - start).count();
    std::printf("| program s | busy processes | wall s | wall - program s | ticks |\n");
    std::printf("|---:|---:|---:|---:|---:|\n");
    std::printf("| %d | %d | %.3f | %+.3f | %d |\n", options.seconds, options.load, wall,
                wall - options.seconds, page.chart.elapsedSeconds);
    return 0;
}

} // namespace
} // namespace rir

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return rir::Main(rir::ParseOptions(argc, argv));
}
