// Bus cycles per second of the whole station: the main window (offscreen) with its own bus
// thread, Qt serial adapter, pages and log box, started from a settings file as at a normal
// start, against rir-sim at wire speed, with literal and with fast polling. bus_bench runs the
// same bus with a window side that does nothing but hand the go-ahead back; the difference is
// what the window's reply handling costs.
//
// Then a bus of 21 tabs at 9600 baud where only one supply answers: how often that supply is
// measured once the twenty others are gone, and how soon one of them is online after it is
// switched on (rir-sim --switch-on), in both modes.
//
//   window_bus_bench [--seconds S] [--warmup S]
#include "CMainDlg.h"
#include "RunOptions.h"
#include "SimProcess.h"
#include "TimingPort.h"
#include "app/ProfileStore.h"
#include "app/Settings.h"
#include "bus/BusThread.h"
#include "bus/ReplyEnd.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace rir {
using test::SimProcess;

namespace {

using Clock = std::chrono::steady_clock;

// Identification takes three cycles per supply; give up on a bus that never gets there.
constexpr int ONLINE_LIMIT_MS = 20000;
// The bus with silent addresses: one answering supply, twenty tabs whose supplies stay silent,
// the last of them switched on later.
constexpr int LIVE_ADDRESS = 1;
constexpr int LAST_ADDRESS = 21;
// Five misses of twenty silent addresses, two read time-outs each at 9600 baud: about ten
// seconds until all of them are gone; more than that is a fault of the bench.
constexpr int ALL_GONE_LIMIT_MS = 20000;
// The goal is 10 s; waiting three times as long tells a slow return from none.
constexpr int RETURN_LIMIT_MS = 30000;

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
    std::lock_guard<BusLock> hold(station.busLink().shared().lock);
    for (const PollEntry& e : station.busLink().shared().pollList) {
        if (e.state != PollState::Complete)
            return false;
    }
    return !station.busLink().shared().pollList.empty();
}

// Writes the settings file a station with these tabs starts from.
void WriteStationSettings(const std::string& file, const std::string& port, int speedIndex, bool logToScreen,
                          bool fast, int firstAddress, int lastAddress) {
    StoredSettings s;
    s.port = port;
    s.protocol = std::string(NamesOf(Framing::Rtu).setting);
    s.speed = SpeedRow(speedIndex).baud;
    s.logToScreen = logToScreen ? 1 : 0;
    s.fastPoll = fast ? 1 : 0;
    for (int a = firstAddress; a <= lastAddress; ++a)
        s.tabSections.push_back({Station::TabCaption(a, 0), a, 0});
    s.tabs = lastAddress - firstAddress + 1;
    s.activeTab = 1;
    ProfileStore store(file);
    WriteSettings(store, s);
    store.Save();
}

Result RunWindow(int supplies, int speedIndex, bool logToScreen, bool fast, const RunOptions& options) {
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
    WriteStationSettings(settingsFile, sim.slavePath(), speedIndex, logToScreen, fast, 1, supplies);

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
    const double end = ReplyEndSeconds(speedIndex, fast);
    r.bound = 1.0 / ((r.requestBytes + r.replyBytes) * character + end);
    r.replyBound = 1.0 / (r.replyBytes * character + end);
    r.ok = true;
    return r;
}

struct SilentBusResult {
    std::string error;
    double allGoneSeconds = 0;  // from the start of polling until the twenty silent tabs were gone
    double cyclesPerSecond = 0; // in the window
    double liveMeasures = 0;    // measurement replies of the answering supply per second
    double liveReplies = 0;     // all its replies per second
    double silentAsks = 0;      // requests to the silent addresses per second
    double returnSeconds = -1;  // switch-on to online; -1: not within RETURN_LIMIT_MS
};

// The entry of `address` on the station's poll list, copied under the bus lock.
std::optional<PollEntry> EntryOf(Station& station, int address) {
    std::lock_guard<BusLock> hold(station.busLink().shared().lock);
    for (const PollEntry& e : station.busLink().shared().pollList) {
        if (e.address == address && e.channel == 0)
            return e;
    }
    return std::nullopt;
}

bool AllSilentGone(Station& station) {
    for (int a = LIVE_ADDRESS + 1; a <= LAST_ADDRESS; ++a) {
        const auto e = EntryOf(station, a);
        if (!e || !e->offline)
            return false;
    }
    return true;
}

// Online as the bus knows it: answered since it was gone, and identified.
bool Answering(Station& station, int address) {
    const auto e = EntryOf(station, address);
    return e && !e->offline && e->state != PollState::Unknown;
}

SilentBusResult RunSilentBus(bool fast, const RunOptions& options) {
    SilentBusResult r;
    // The last silent address is switched on after the window: everything gone, warm-up, window.
    const double switchOnSeconds = ALL_GONE_LIMIT_MS / 1000.0 + options.warmup + options.seconds + 1.0;
    char switchOn[64];
    std::snprintf(switchOn, sizeof switchOn, "%d:%.1f", LAST_ADDRESS, switchOnSeconds);
    const std::vector<std::string> args = {"--framing",
                                           "rtu",
                                           "--wire-time",
                                           "--device",
                                           std::to_string(LIVE_ADDRESS) + ":2:1",
                                           "--device",
                                           std::to_string(LAST_ADDRESS) + ":2:1",
                                           "--switch-on",
                                           switchOn};
    SimProcess sim(RIR_SIM_PATH, args);
    const Clock::time_point simStart = Clock::now(); // the simulator's clock starts as it says its path
    if (sim.slavePath().empty()) {
        r.error = sim.error();
        return r;
    }
    const Clock::time_point switchedOn = simStart + std::chrono::duration_cast<Clock::duration>(
                                                        std::chrono::duration<double>(switchOnSeconds));
    QTemporaryDir dir;
    const std::string settingsFile = dir.filePath("settings.ini").toStdString();
    WriteStationSettings(settingsFile, sim.slavePath(), SPEED_9600, true, fast, LIVE_ADDRESS, LAST_ADDRESS);

    std::vector<PortCycle> cycles;
    Clock::time_point t0, t1;
    {
        CMainDlg dlg({sim.slavePath()}, settingsFile,
                     [&cycles] { return std::make_unique<TimingPort>(cycles); });
        if (!dlg.Initialise()) {
            r.error = "the window did not start";
            return r;
        }
        dlg.ShowRestored();
        const Clock::time_point started = Clock::now();
        QElapsedTimer waited;
        waited.start();
        while (!AllSilentGone(dlg.station()) && waited.elapsed() < ALL_GONE_LIMIT_MS)
            Spin(10);
        if (!AllSilentGone(dlg.station())) {
            r.error = "the silent addresses were not all gone in time";
            return r;
        }
        r.allGoneSeconds = std::chrono::duration<double>(Clock::now() - started).count();
        Spin(static_cast<int>(options.warmup * 1000));
        t0 = Clock::now();
        Spin(static_cast<int>(options.seconds * 1000));
        t1 = Clock::now();
        if (t1 >= switchedOn) {
            r.error = "the window ran into the switch-on";
            return r;
        }
        while (Clock::now() < switchedOn + std::chrono::milliseconds(RETURN_LIMIT_MS)) {
            if (Clock::now() >= switchedOn && Answering(dlg.station(), LAST_ADDRESS)) {
                r.returnSeconds = std::chrono::duration<double>(Clock::now() - switchedOn).count();
                break;
            }
            Spin(10);
        }
    } // the window stops its bus thread: the port's records are complete

    long n = 0, measures = 0, replies = 0, silentAsks = 0;
    for (const PortCycle& c : cycles) {
        if (c.writeStart < t0 || c.readEnd > t1)
            continue;
        ++n;
        if (c.address == LIVE_ADDRESS && c.bytes > 0) {
            ++replies;
            if (c.function == FC_MEASURE)
                ++measures;
        } else if (c.address != LIVE_ADDRESS) {
            ++silentAsks;
        }
    }
    const double seconds = std::chrono::duration<double>(t1 - t0).count();
    r.cyclesPerSecond = static_cast<double>(n) / seconds;
    r.liveMeasures = static_cast<double>(measures) / seconds;
    r.liveReplies = static_cast<double>(replies) / seconds;
    r.silentAsks = static_cast<double>(silentAsks) / seconds;
    return r;
}

int Main(const RunOptions& options) {
    std::printf("The whole station (offscreen window), MODBUS-RTU, rir-sim --wire-time (model 2, "
                "configuration 1), %.1f s after %.1f s warm-up\n\n",
                options.seconds, options.warmup);
    std::printf(
        "| supplies | baud | mode | log on screen | reply B | bound /s | measured /s | measured / bound "
        "| measured / bound without request | reply -> next request ms |\n");
    std::printf("|---:|---:|---|---|---:|---:|---:|---:|---:|---:|\n");
    bool failed = false;
    for (int speedIndex : {SPEED_9600, SPEED_38400}) {
        for (int supplies : {1, 8}) {
            for (bool fast : {false, true}) {
                for (bool log : {true, false}) {
                    std::fprintf(stderr, "%d supplies at %d baud, %s, log %s ...\n", supplies,
                                 SpeedRow(speedIndex).baud, ModeName(fast), log ? "on" : "off");
                    const Result r = RunWindow(supplies, speedIndex, log, fast, options);
                    if (!r.ok) {
                        std::printf("| %d | %d | %s | %s | failed |\n", supplies, SpeedRow(speedIndex).baud,
                                    ModeName(fast), log ? "on" : "off");
                        failed = true;
                        continue;
                    }
                    std::printf("| %d | %d | %s | %s | %.2f | %.2f | %.2f | %.1f %% | %.1f %% | %.3f |\n",
                                supplies, SpeedRow(speedIndex).baud, ModeName(fast), log ? "on" : "off",
                                r.replyBytes, r.bound, r.rate, 100.0 * r.rate / r.bound,
                                100.0 * r.rate / r.replyBound, r.handoff);
                }
            }
        }
    }

    std::printf(
        "\nOne answering supply (address %d) and %d silent tabs, 9600 baud, log on screen; address %d "
        "switched on after the window\n\n",
        LIVE_ADDRESS, LAST_ADDRESS - LIVE_ADDRESS, LAST_ADDRESS);
    std::printf(
        "| mode | all silent gone after s | cycles /s | answering supply: measurements /s | its replies "
        "/s | requests to silent addresses /s | switched-on address online after s |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|\n");
    for (bool fast : {false, true}) {
        std::fprintf(stderr, "silent bus, %s ...\n", ModeName(fast));
        const SilentBusResult r = RunSilentBus(fast, options);
        if (!r.error.empty()) {
            std::printf("| %s | failed: %s |\n", ModeName(fast), r.error.c_str());
            failed = true;
            continue;
        }
        char back[32];
        if (r.returnSeconds < 0)
            std::snprintf(back, sizeof back, "not within %d", RETURN_LIMIT_MS / 1000);
        else
            std::snprintf(back, sizeof back, "%.2f", r.returnSeconds);
        std::printf("| %s | %.1f | %.2f | %.2f | %.2f | %.2f | %s |\n", ModeName(fast), r.allGoneSeconds,
                    r.cyclesPerSecond, r.liveMeasures, r.liveReplies, r.silentAsks, back);
        failed = failed || r.returnSeconds < 0;
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
