// Bus cycles per second of the whole station: the main window (offscreen) with its own bus
// thread, Qt serial adapter, pages and log box, started from a settings file as at a normal
// start, against rir-sim at wire speed. bus_bench runs the same bus with a window side that does
// nothing but hand the go-ahead back; the difference is what the window's reply handling costs.
//
//   window_bus_bench [--seconds S] [--warmup S]
#include "CMainDlg.h"
#include "RunOptions.h"
#include "SimProcess.h"
#include "TimingPort.h"
#include "app/ProfileStore.h"
#include "app/Settings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace rir {
using test::SimProcess;

namespace {

using Clock = std::chrono::steady_clock;

// Identification takes three cycles per supply; give up on a bus that never gets there.
constexpr int ONLINE_LIMIT_MS = 20000;

struct Result {
    bool ok = false;
    double rate = 0;         // cycles per second
    double requestBytes = 0; // means per cycle, from the port's records
    double replyBytes = 0;
    double handoff = 0; // ms from the read that ended a reply to the next request's first write
    double bound = 0;
    double replyBound = 0; // without the request's wire time, which a pseudo-terminal does not take
};

void Spin(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

bool AllComplete(Station& station) {
    std::lock_guard<BusLock> hold(station.shared().lock);
    for (const PollEntry& e : station.shared().pollList) {
        if (e.state != PollState::Complete)
            return false;
    }
    return !station.shared().pollList.empty();
}

Result RunWindow(int supplies, int speedIndex, bool logToScreen, const RunOptions& options) {
    Result r;
    std::vector<std::string> args = {"--framing", "rtu", "--wire-time"};
    for (int a = 1; a <= supplies; ++a) {
        args.push_back("--device");
        args.push_back(std::to_string(a) + ":2:1");
    }
    SimProcess sim(RIR_SIM_PATH, args);
    if (sim.slavePath().empty()) {
        std::fprintf(stderr, "%s\n", sim.error().c_str());
        return r;
    }
    QTemporaryDir dir;
    const std::string settingsFile = dir.filePath("settings.ini").toStdString();
    {
        StoredSettings s;
        s.port = sim.slavePath();
        s.protocol = std::string(PROTOCOL_RTU);
        s.speed = SpeedRow(speedIndex).baud;
        s.logToScreen = logToScreen ? 1 : 0;
        for (int a = 1; a <= supplies; ++a)
            s.tabSections.push_back({Station::TabCaption(a, 0), a, 0});
        s.tabs = supplies;
        s.activeTab = 1;
        ProfileStore store(settingsFile);
        WriteSettings(store, s);
        store.Save();
    }

    std::vector<PortCycle> cycles;
    Clock::time_point t0, t1;
    {
        CMainDlg dlg({sim.slavePath()}, settingsFile,
                     [&cycles] { return std::make_unique<TimingPort>(cycles); });
        if (!dlg.Initialise())
            return r;
        dlg.ShowRestored();
        QElapsedTimer waited;
        waited.start();
        while (!AllComplete(dlg.station()) && waited.elapsed() < ONLINE_LIMIT_MS)
            Spin(50);
        if (!AllComplete(dlg.station())) {
            std::fprintf(stderr, "the supplies did not come online\n");
            return r;
        }
        Spin(static_cast<int>(options.warmup * 1000));
        t0 = Clock::now();
        Spin(static_cast<int>(options.seconds * 1000));
        t1 = Clock::now();
    } // the window stops its bus thread: the port's records are complete

    // The cycles that began and ended inside the window, timed from the end of the one before
    // the first to the end of the last, as bus_bench times them.
    long n = 0, request = 0, reply = 0;
    double handoff = 0;
    Clock::time_point from, to;
    for (std::size_t k = 1; k < cycles.size(); ++k) {
        const PortCycle& before = cycles[k - 1];
        const PortCycle& c = cycles[k];
        if (before.readEnd < t0 || c.readEnd > t1)
            continue;
        if (n == 0)
            from = before.readEnd;
        to = c.readEnd;
        ++n;
        request += c.requestBytes;
        reply += c.bytes;
        handoff += std::chrono::duration<double, std::milli>(c.writeStart - before.readEnd).count();
    }
    if (n == 0)
        return r;
    r.rate = static_cast<double>(n) / std::chrono::duration<double>(to - from).count();
    r.requestBytes = static_cast<double>(request) / n;
    r.replyBytes = static_cast<double>(reply) / n;
    r.handoff = handoff / n;
    const SpeedEntry& speed = SpeedRow(speedIndex);
    const double character = static_cast<double>(RTU_BITS_PER_CHARACTER) / speed.baud;
    r.bound = 1.0 / ((r.requestBytes + r.replyBytes) * character + speed.readTimeoutMs / 1000.0);
    r.replyBound = 1.0 / (r.replyBytes * character + speed.readTimeoutMs / 1000.0);
    r.ok = true;
    return r;
}

int Main(const RunOptions& options) {
    std::printf("The whole station (offscreen window), MODBUS-RTU, rir-sim --wire-time (model 2, "
                "configuration 1), %.1f s after %.1f s warm-up\n\n",
                options.seconds, options.warmup);
    std::printf("| supplies | baud | log on screen | reply B | bound /s | measured /s | measured / bound "
                "| measured / bound without request | reply -> next request ms |\n");
    std::printf("|---:|---:|---|---:|---:|---:|---:|---:|---:|\n");
    bool failed = false;
    for (int speedIndex : {SPEED_9600, SPEED_38400}) {
        for (int supplies : {1, 8}) {
            for (bool log : {true, false}) {
                std::fprintf(stderr, "%d supplies at %d baud, log %s ...\n", supplies,
                             SpeedRow(speedIndex).baud, log ? "on" : "off");
                const Result r = RunWindow(supplies, speedIndex, log, options);
                if (!r.ok) {
                    std::printf("| %d | %d | %s | failed |\n", supplies, SpeedRow(speedIndex).baud,
                                log ? "on" : "off");
                    failed = true;
                    continue;
                }
                std::printf("| %d | %d | %s | %.2f | %.2f | %.2f | %.1f %% | %.1f %% | %.3f |\n", supplies,
                            SpeedRow(speedIndex).baud, log ? "on" : "off", r.replyBytes, r.bound, r.rate,
                            100.0 * r.rate / r.bound, 100.0 * r.rate / r.replyBound, r.handoff);
            }
        }
    }
    return failed ? 1 : 0;
}

} // namespace
} // namespace rir

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return rir::Main(rir::ParseRunOptions(argc, argv));
}
