// The whole station on a full bus: rir-sim with 127 supplies at 38400 baud (MODBUS-RTU, replies
// at wire speed), every other one, or every one, reporting a second channel; the window with its
// own bus thread, fast polling, the log on screen. Measures how long until every page is online,
// how long a menu takes to open and a tab change to show, the process's share of a core, its
// resident memory over the run, and saves a picture of the window with its tab rows.
//
//   full_bus_bench [--minutes M] [--all-b] [--shot FILE] [--literal]
//
// Offscreen unless QT_QPA_PLATFORM says otherwise (under xvfb-run: QT_QPA_PLATFORM=xcb).
#include "CMainDlg.h"
#include "QtSerialPort.h"
#include "SimProcess.h"
#include "TabControl.h"
#include "app/ProfileStore.h"
#include "app/Settings.h"
#include "bus/PollList.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace rir {
using test::SimProcess;

namespace {

constexpr int SUPPLIES = 127;
constexpr int SPEED_38400 = 9;
constexpr int ONLINE_LIMIT_MS = 120000;

struct Options {
    double minutes = 2;
    bool allB = false;
    bool fast = true;
    std::string shot = "full_bus.png";
};

Options Parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--minutes" && i + 1 < argc)
            o.minutes = std::max(0.1, std::atof(argv[++i]));
        else if (a == "--shot" && i + 1 < argc)
            o.shot = argv[++i];
        else if (a == "--all-b")
            o.allB = true;
        else if (a == "--literal")
            o.fast = false;
    }
    return o;
}

// Runs the window's event loop for `ms`, sleeping while there is nothing to do, as the
// station's own loop does: the share of a core is the station's, not this program's.
void Spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long RssKb() {
    std::ifstream in("/proc/self/status");
    std::string key;
    while (in >> key) {
        if (key == "VmRSS:") {
            long kb = 0;
            in >> kb;
            return kb;
        }
        in.ignore(1 << 12, '\n');
    }
    return 0;
}

// Pages online and the poll list wholly known.
int OnlinePages(Station& station) {
    int online = 0;
    for (const auto& page : station.pages())
        online += page->state.online ? 1 : 0;
    return online;
}

bool HasChannelB(int address, bool allB) {
    return allB || address % 2 == 1;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

int Main(const Options& o) {
    std::vector<std::string> args = {"--framing", "rtu", "--wire-time"};
    int pages = 0;
    for (int a = 1; a <= SUPPLIES; ++a) {
        args.push_back("--device");
        args.push_back(std::to_string(a) + (HasChannelB(a, o.allB) ? ":2:6" : ":2:1"));
        pages += HasChannelB(a, o.allB) ? 2 : 1;
    }
    SimProcess sim(RIR_SIM_PATH, args);
    if (sim.slavePath().empty()) {
        std::fprintf(stderr, "%s\n", sim.error().c_str());
        return 1;
    }
    QTemporaryDir dir;
    const std::string settingsFile = dir.filePath("settings.ini").toStdString();
    {
        StoredSettings s;
        s.port = sim.slavePath();
        s.protocol = std::string(NamesOf(Framing::Rtu).setting);
        s.speed = SpeedRow(SPEED_38400).baud;
        s.logToScreen = 1;
        s.fastPoll = o.fast ? 1 : 0;
        for (int a = 1; a <= SUPPLIES; ++a)
            s.tabSections.push_back({Station::TabCaption(a, 0), a, 0});
        s.tabs = SUPPLIES;
        s.activeTab = 1;
        s.window = {1, 0, 0, 1024, 1280};
        ProfileStore store(settingsFile);
        WriteSettings(store, s);
        store.Save();
    }
    const long rssStart = RssKb();
    CMainDlg dlg({sim.slavePath()}, settingsFile, [] { return std::make_unique<QtSerialPort>(); });
    if (!dlg.Initialise())
        return 1;
    dlg.ShowRestored();
    QElapsedTimer started;
    started.start();
    while ((static_cast<int>(dlg.station().pages().size()) < pages || OnlinePages(dlg.station()) < pages) &&
           started.elapsed() < ONLINE_LIMIT_MS)
        Spin(50);
    const double onlineSeconds = started.elapsed() / 1000.0;
    const int online = OnlinePages(dlg.station());
    std::printf(
        "Full bus: %d supplies (%d with a second channel), %d pages, MODBUS-RTU 38400 baud, %s polling, "
        "log on screen, %s\n\n",
        SUPPLIES, pages - SUPPLIES, pages, o.fast ? "fast" : "literal",
        qgetenv("QT_QPA_PLATFORM").constData());
    std::printf("| figure | value | goal |\n|---|---:|---|\n");
    std::printf("| pages online | %d of %d after %.1f s | all |\n", online, pages, onlineSeconds);
    std::printf("| tab rows | %d (%d tabs) | usable |\n", dlg.tabControl()->rows(),
                dlg.tabControl()->count());
    std::fflush(stdout);
    Spin(2000);

    // Tab changes: one after another across the rows, each until its events are handled.
    std::vector<double> tabMs;
    const int count = static_cast<int>(dlg.station().pages().size());
    for (int k = 0; k < 40; ++k) {
        const int index = (k * 37 + 5) % count;
        QElapsedTimer t;
        t.start();
        dlg.station().SelectTab(index);
        QApplication::processEvents();
        dlg.repaint();
        tabMs.push_back(t.nsecsElapsed() / 1e6);
        Spin(100);
    }
    // Menus: each of the menu bar's, opened until painted, then closed.
    std::vector<double> menuMs;
    for (int round = 0; round < 5; ++round) {
        for (QAction* a : dlg.menuBar()->actions()) {
            QMenu* menu = a->menu();
            if (menu == nullptr)
                continue;
            QElapsedTimer t;
            t.start();
            menu->popup(dlg.mapToGlobal(QPoint(10, 10)));
            QApplication::processEvents();
            menu->repaint();
            menuMs.push_back(t.nsecsElapsed() / 1e6);
            menu->hide();
            Spin(100);
        }
    }
    std::printf("| tab change, median / worst | %.1f / %.1f ms | < 50 ms |\n", Median(tabMs),
                *std::max_element(tabMs.begin(), tabMs.end()));
    std::printf("| menu open, median / worst | %.1f / %.1f ms | < 100 ms |\n", Median(menuMs),
                *std::max_element(menuMs.begin(), menuMs.end()));
    std::fflush(stdout);
    dlg.station().SelectTab(count - 1);
    Spin(500);
    dlg.grab().save(QString::fromStdString(o.shot));

    // The run: share of a core and resident memory, a sample a minute.
    const long rssOnline = RssKb();
    std::vector<long> rss;
    const double cpu0 = CpuSeconds();
    QElapsedTimer run;
    run.start();
    const qint64 runMs = static_cast<qint64>(o.minutes * 60000);
    while (run.elapsed() < runMs) {
        Spin(static_cast<int>(std::min<qint64>(60000, runMs - run.elapsed())));
        rss.push_back(RssKb());
        std::fprintf(stderr, "%.1f min: %ld kB, %d online\n", run.elapsed() / 60000.0, rss.back(),
                     OnlinePages(dlg.station()));
    }
    const double share = 100.0 * (CpuSeconds() - cpu0) / (run.elapsed() / 1000.0);
    std::printf("| share of a core over %.1f min | %.1f %% | < 10 %% |\n", run.elapsed() / 60000.0, share);
    std::printf("| resident memory: start / all online / end | %.1f / %.1f / %.1f MB | < 300 MB, flat |\n",
                rssStart / 1024.0, rssOnline / 1024.0, rss.back() / 1024.0);
    std::printf("| resident memory a minute apart | ");
    for (long kb : rss)
        std::printf("%.1f ", kb / 1024.0);
    std::printf("MB | flat |\n| pages online at the end | %d of %d | all |\n", OnlinePages(dlg.station()),
                pages);
    return 0;
}

} // namespace
} // namespace rir

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return rir::Main(rir::Parse(argc, argv));
}
