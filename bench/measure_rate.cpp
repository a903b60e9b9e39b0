// How often each supply is measured on a full bus: the real bus thread and Qt serial adapter
// against rir-sim sending at wire speed, 10, 30 and 60 supplies, literal and fast polling, 9600
// and 38400 baud, beside what the line allows. Then, per speed and mode, the most supplies that
// each still get at least one measurement a second. This program plays the main window: it
// takes each cycle's reply under the bus lock, counts the measurements per address and gives
// the go-ahead for the next cycle.
//
//   measure_bench [--seconds S] [--warmup S]
#include "QtBusThread.h"
#include "QtSerialPort.h"
#include "RunOptions.h"
#include "SimProcess.h"
#include "bus/BusLink.h"
#include "bus/BusThread.h"
#include "bus/FrameCodec.h"
#include "bus/PollList.h"
#include "device/Payloads.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace rir {
using test::SimProcess;

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto STALL_LIMIT = std::chrono::seconds(3);
// The RTU frames of this bus: a poll request is address, function and CRC; the replies.
constexpr int REQUEST_BYTES = 4;
constexpr int MEASURE_REPLY_BYTES = 13;
constexpr int MODULES_REPLY_BYTES = 20; // model 2, configuration 1: timer and counter

struct Note {
    BusNote note = BusNote::Started;
    Clock::time_point at;
};

class NoteQueue : public BusNotifier {
public:
    void Post(BusNote posted) override {
        {
            std::lock_guard<std::mutex> hold(lock_);
            notes_.push_back({posted, Clock::now()});
        }
        ready_.notify_one();
    }
    std::optional<Note> Take(Clock::duration limit) {
        std::unique_lock<std::mutex> hold(lock_);
        if (!ready_.wait_for(hold, limit, [this] { return !notes_.empty(); }))
            return std::nullopt;
        const Note note = notes_.front();
        notes_.pop_front();
        return note;
    }

private:
    std::mutex lock_;
    std::condition_variable ready_;
    std::deque<Note> notes_;
};

struct Run {
    int supplies = 10;
    int speedIndex = SPEED_9600;
    bool fast = false;
    std::string error;
    double seconds = 0;
    long cycles = 0, measures = 0, modules = 0, other = 0;
    double minRate = 0, meanRate = 0; // measurements a second per supply
    double longestGap = 0;            // s, between two measurements of one supply
    double bound = 0;                 // per supply, what the line allows
};

// Measurements a second per supply that the line allows: each cycle is its request, its reply
// and what ends the reply (the read time-out, or with fast polling the 3.5-character gap).
// Literal polling alternates measurements and module data at every visit; fast polling asks
// measurements at every visit and each supply's modules once per module interval.
// `requestBytes`: a pseudo-terminal hands the request over at once, so the bound without the
// request's wire time (0) is what the simulator's line can reach at most.
double LineBound(int supplies, int speedIndex, bool fast, int requestBytes = REQUEST_BYTES) {
    const double character = static_cast<double>(RTU_BITS_PER_CHARACTER) / SpeedRow(speedIndex).baud;
    const double end = ReplyEndSeconds(speedIndex, fast);
    const double measure = (requestBytes + MEASURE_REPLY_BYTES) * character + end;
    const double modules = (requestBytes + MODULES_REPLY_BYTES) * character + end;
    if (!fast)
        return 1.0 / (supplies * (measure + modules));
    const double moduleShare = supplies * modules / DEFAULT_MODULE_INTERVAL_S;
    return std::max(0.0, 1.0 - moduleShare) / (supplies * measure);
}

void Drive(Run& run, const RunOptions& options) {
    std::vector<std::string> args = {"--framing", "rtu", "--wire-time"};
    for (int a = 1; a <= run.supplies; ++a) {
        args.push_back("--device");
        args.push_back(std::to_string(a) + ":2:1");
    }
    SimProcess sim(RIR_SIM_PATH, args);
    if (sim.slavePath().empty()) {
        run.error = sim.error();
        return;
    }
    BusLink link;
    BusState& state = link.state();
    state.speedIndex = run.speedIndex;
    state.framing = Framing::Rtu;
    state.fastPolling = run.fast;
    BusShared& shared = link.shared();
    shared.portList = {sim.slavePath()};
    for (int a = 1; a <= run.supplies; ++a)
        AddEntry(shared.pollList, a, 0);
    for (PollEntry& e : shared.pollList)
        e.state = PollState::Complete;
    NoteQueue notes;
    QtBusThread thread;
    thread.Start(link, notes, [] { return std::make_unique<QtSerialPort>(); });

    const auto warmup =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options.warmup));
    const auto window =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options.seconds));
    std::optional<Clock::time_point> firstNote, windowStart;
    std::map<int, std::vector<Clock::time_point>> measured; // per address, in the window
    while (true) {
        const auto note = notes.Take(STALL_LIMIT);
        if (!note) {
            run.error = "the bus thread stalled";
            break;
        }
        if (note->note == BusNote::Sent) {
            std::lock_guard<BusLock> hold(shared.lock);
            shared.sentText.clear();
            continue;
        }
        if (note->note != BusNote::CycleDone)
            continue;
        ReplyBuffer reply;
        {
            std::lock_guard<BusLock> hold(shared.lock);
            reply = shared.replyBuffer;
        }
        link.eStart().Set();
        if (!firstNote)
            firstNote = note->at;
        if (!windowStart) {
            if (note->at >= *firstNote + warmup)
                windowStart = note->at;
            continue;
        }
        if (note->at >= *windowStart + window) {
            run.seconds = std::chrono::duration<double>(note->at - *windowStart).count();
            break;
        }
        ++run.cycles;
        const bool whole = reply.size() > 4 && ChecksumOk(Framing::Rtu, reply);
        if (whole && reply[1] == FC_MEASURE) {
            ++run.measures;
            measured[reply[0]].push_back(note->at);
        } else if (whole && reply[1] == FC_MODULES) {
            ++run.modules;
        } else {
            ++run.other;
        }
    }
    thread.Stop();
    if (!run.error.empty() || run.seconds <= 0)
        return;
    run.minRate = 1e9;
    for (int a = 1; a <= run.supplies; ++a) {
        const auto& times = measured[a];
        run.minRate = std::min(run.minRate, static_cast<double>(times.size()) / run.seconds);
        Clock::time_point last = *windowStart;
        for (const auto& t : times) {
            run.longestGap = std::max(run.longestGap, std::chrono::duration<double>(t - last).count());
            last = t;
        }
        run.longestGap =
            std::max(run.longestGap, std::chrono::duration<double>(*windowStart + window - last).count());
    }
    run.meanRate = static_cast<double>(run.measures) / run.seconds / run.supplies;
    run.bound = LineBound(run.supplies, run.speedIndex, run.fast);
}

bool EachMeasuredEverySecond(const Run& run) {
    return run.error.empty() && run.minRate >= 1.0;
}

Run Measure(int supplies, int speedIndex, bool fast, const RunOptions& options) {
    Run run;
    run.supplies = supplies;
    run.speedIndex = speedIndex;
    run.fast = fast;
    std::fprintf(stderr, "%d supplies at %d baud, %s ...\n", supplies, SpeedRow(speedIndex).baud,
                 ModeName(fast));
    Drive(run, options);
    return run;
}

void PrintRow(const Run& run) {
    const int baud = SpeedRow(run.speedIndex).baud;
    if (!run.error.empty()) {
        std::printf("| %d | %d | %s | failed: %s |\n", run.supplies, baud, ModeName(run.fast),
                    run.error.c_str());
        return;
    }
    std::printf(
        "| %d | %d | %s | %.1f | %.2f | %.2f | %.2f | %.2f | %.2f | %.0f %% | %.2f | %ld / %ld / %ld |\n",
        run.supplies, baud, ModeName(run.fast), run.seconds, run.bound,
        LineBound(run.supplies, run.speedIndex, run.fast, 0), run.meanRate, run.minRate, run.longestGap,
        100.0 * run.meanRate / run.bound, run.modules / run.seconds / run.supplies, run.measures, run.modules,
        run.other);
}

int Main(int argc, char** argv) {
    const RunOptions options = ParseRunOptions(argc, argv);
    std::printf(
        "Measurements a second per supply, MODBUS-RTU, rir-sim --wire-time (model 2, configuration 1), "
        "%.1f s after %.1f s warm-up, module interval %d s\n\n",
        options.seconds, options.warmup, DEFAULT_MODULE_INTERVAL_S);
    std::printf("| supplies | baud | mode | s | line bound /s | bound without request /s | measured /s "
                "(mean) | least /s | longest gap s | "
                "mean / bound | module polls /s | measurements / module data / other |\n");
    std::printf("|---:|---:|---|---:|---:|---:|---:|---:|---:|---:|---:|---|\n");
    for (int speed : {SPEED_9600, SPEED_38400})
        for (bool fast : {false, true})
            for (int supplies : {10, 30, 60}) {
                PrintRow(Measure(supplies, speed, fast, options));
                std::fflush(stdout);
            }

    // The most supplies that each get one measurement a second or more: a bisection between the
    // line's bound and one supply.
    std::printf("\nThe most supplies each measured at least once a second\n\n");
    std::printf(
        "| baud | mode | line bound | measured | its least /s | its longest gap s | one more: least /s |\n");
    std::printf("|---:|---|---:|---:|---:|---:|---:|\n");
    for (int speed : {SPEED_9600, SPEED_38400})
        for (bool fast : {false, true}) {
            int lineMost = 1;
            while (lineMost < 127 && LineBound(lineMost + 1, speed, fast) >= 1.0)
                ++lineMost;
            int withoutRequest = 1;
            while (withoutRequest < 127 && LineBound(withoutRequest + 1, speed, fast, 0) >= 1.0)
                ++withoutRequest;
            int lo = 0, hi = std::min(127, withoutRequest + 1) + 1; // lo passes (0: trivially), hi fails
            std::map<int, Run> runs;
            while (hi - lo > 1) {
                const int mid = (lo + hi) / 2;
                runs[mid] = Measure(mid, speed, fast, options);
                (EachMeasuredEverySecond(runs[mid]) ? lo : hi) = mid;
            }
            const Run* best = runs.count(lo) ? &runs[lo] : nullptr;
            const Run* next = runs.count(hi) ? &runs[hi] : nullptr;
            std::printf("| %d | %s | %d | %d | %s | %s | %s |\n", SpeedRow(speed).baud, ModeName(fast),
                        lineMost, lo, best ? std::to_string(best->minRate).substr(0, 4).c_str() : "-",
                        best ? std::to_string(best->longestGap).substr(0, 4).c_str() : "-",
                        next ? std::to_string(next->minRate).substr(0, 4).c_str() : "-");
            std::fflush(stdout);
        }
    return 0;
}

} // namespace
} // namespace rir

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    rir::RegisterSupplyReplies(); // as the station does before its bus thread starts
    return rir::Main(argc, argv);
}
