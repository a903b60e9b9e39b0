// Bus cycles per second of the real bus thread and Qt serial adapter against rir-sim sending at
// wire speed, next to what the line allows: one request, its reply and what ends the reply, back
// to back. Literal polling ends a reply at the read time-out; fast polling ends it at its last
// byte and keeps the line quiet for 3.5 characters before the next request. Both run here, side
// by side. This program plays the main window: it takes each cycle's reply under the bus lock
// and gives the go-ahead for the next cycle, as the reply intake does.
//
//   bus_bench [--seconds S] [--warmup S]
#include "QtBusThread.h"
#include "RunOptions.h"
#include "SimProcess.h"
#include "TimingPort.h"
#include "bus/BusLink.h"
#include "bus/BusThread.h"
#include "bus/FrameCodec.h"
#include "bus/ReplyEnd.h"
#include "device/Payloads.h"

#include <QCoreApplication>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace rir {
using test::SimProcess;

namespace {

using Clock = std::chrono::steady_clock;

// A bus thread that posts nothing for this long has stalled; the run is given up.
constexpr auto STALL_LIMIT = std::chrono::seconds(3);

struct Note {
    BusNote note = BusNote::Started;
    Clock::time_point at; // when the bus thread posted it
};

// The window's message queue, as far as the bus thread's notes go.
class NoteQueue : public BusNotifier {
public:
    void Post(BusNote posted) override {
        const Note note{posted, Clock::now()};
        {
            std::lock_guard<std::mutex> hold(lock_);
            notes_.push_back(note);
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

enum class ReplyKind { Measure, Modules, Other, Silent, BadChecksum };

// One end-of-cycle note as the window side handled it.
struct UiCycle {
    Clock::time_point done; // posted by the bus thread
    Clock::time_point took; // taken from the queue
    Clock::time_point set;  // just before the go-ahead
    int requestBytes = 0;   // on the wire, checksum included
    int replyBytes = 0;     // on the wire; 0 when the supply stayed silent
    ReplyKind kind = ReplyKind::Silent;
};

// The bytes of "Отправили в порт:  1 66 145 32": the numbers after the prefix.
int CountSentBytes(const std::string& text) {
    const std::string prefix = SENT_TEXT_PREFIX;
    int count = 0;
    bool inNumber = false;
    for (std::size_t i = text.rfind(prefix, 0) == 0 ? prefix.size() : 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (digit && !inNumber)
            ++count;
        inNumber = digit;
    }
    return count;
}

ReplyKind Classify(const ReplyBuffer& reply) {
    // Two values are the bus thread's marker for a silent supply: address and function asked for.
    if (reply.size() <= 2)
        return ReplyKind::Silent;
    if (reply.size() < 4 || !ChecksumOk(Framing::Rtu, reply))
        return ReplyKind::BadChecksum;
    if (reply[1] == FC_MEASURE)
        return ReplyKind::Measure;
    if (reply[1] == FC_MODULES)
        return ReplyKind::Modules;
    return ReplyKind::Other;
}

struct Run {
    int supplies = 1;
    int speedIndex = SPEED_9600;
    bool fast = false; // "Быстрый опрос"
    std::string error;
    std::vector<UiCycle> ui;
    std::vector<PortCycle> port;
    std::size_t first = 0; // the window: cycles first+1 .. last, timed from first's note to last's
    std::size_t last = 0;
};

double Micros(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

void Drive(Run& run, const RunOptions& options) {
    std::vector<std::string> args = {"--framing", "rtu", "--wire-time"};
    for (int a = 1; a <= run.supplies; ++a) {
        args.push_back("--device");
        args.push_back(std::to_string(a) + ":2:1"); // model 2, timer + ampere-hour counter
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
    // Fully known supplies: the polls alternate between measurements and module data.
    for (PollEntry& e : shared.pollList)
        e.state = PollState::Complete;
    AutoResetEvent& eStart = link.eStart();
    NoteQueue notes;
    std::vector<PortCycle>& portCycles = run.port;

    QtBusThread thread;
    thread.Start(link, notes, [&portCycles] { return std::make_unique<TimingPort>(portCycles); });

    const auto warmup =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options.warmup));
    const auto window =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options.seconds));
    int requestBytes = 0;
    bool windowOpen = false;
    while (true) {
        const auto note = notes.Take(STALL_LIMIT);
        if (!note) {
            run.error = "the bus thread stalled";
            break;
        }
        const auto took = Clock::now();
        if (note->note == BusNote::Sent) {
            std::string text;
            {
                std::lock_guard<BusLock> hold(shared.lock);
                text.swap(shared.sentText);
            }
            requestBytes = CountSentBytes(text);
            continue;
        }
        if (note->note != BusNote::CycleDone)
            continue;
        ReplyBuffer reply;
        {
            std::lock_guard<BusLock> hold(shared.lock);
            reply = shared.replyBuffer;
        }
        UiCycle cycle;
        cycle.done = note->at;
        cycle.took = took;
        cycle.requestBytes = requestBytes;
        cycle.kind = Classify(reply);
        cycle.replyBytes = cycle.kind == ReplyKind::Silent ? 0 : static_cast<int>(reply.size());
        // Stamped before the go-ahead: the bus thread may run on the other core at once.
        cycle.set = Clock::now();
        eStart.Set();
        run.ui.push_back(cycle);

        const std::size_t k = run.ui.size() - 1;
        if (!windowOpen && cycle.done >= run.ui.front().done + warmup) {
            run.first = k;
            windowOpen = true;
        } else if (windowOpen && cycle.done >= run.ui[run.first].done + window) {
            run.last = k;
            break;
        }
    }
    thread.Stop(); // joins the bus thread: the port's cycles are ours to read from here on
}

struct Summary {
    long cycles = 0;
    double seconds = 0;
    double requestBytes = 0; // means per cycle
    double replyBytes = 0;
    double measureBytes = 0;
    double modulesBytes = 0;
    long measures = 0, modules = 0, others = 0, silent = 0, bad = 0;
    double rate = 0;
    double bound = 0;
    // The same without the request's wire time: a pseudo-terminal hands the request over at
    // once, so this is what the simulator's line can reach at most.
    double replyBound = 0;
};

Summary Summarize(const Run& run) {
    Summary s;
    long request = 0, reply = 0, measureBytes = 0, modulesBytes = 0;
    for (std::size_t k = run.first + 1; k <= run.last; ++k) {
        const UiCycle& c = run.ui[k];
        ++s.cycles;
        request += c.requestBytes;
        reply += c.replyBytes;
        switch (c.kind) {
        case ReplyKind::Measure:
            ++s.measures;
            measureBytes += c.replyBytes;
            break;
        case ReplyKind::Modules:
            ++s.modules;
            modulesBytes += c.replyBytes;
            break;
        case ReplyKind::Other:
            ++s.others;
            break;
        case ReplyKind::Silent:
            ++s.silent;
            break;
        case ReplyKind::BadChecksum:
            ++s.bad;
            break;
        }
    }
    if (s.cycles == 0)
        return s;
    s.seconds = std::chrono::duration<double>(run.ui[run.last].done - run.ui[run.first].done).count();
    s.rate = static_cast<double>(s.cycles) / s.seconds;
    s.requestBytes = static_cast<double>(request) / static_cast<double>(s.cycles);
    s.replyBytes = static_cast<double>(reply) / static_cast<double>(s.cycles);
    s.measureBytes = s.measures ? static_cast<double>(measureBytes) / static_cast<double>(s.measures) : 0;
    s.modulesBytes = s.modules ? static_cast<double>(modulesBytes) / static_cast<double>(s.modules) : 0;
    const SpeedEntry& speed = SpeedRow(run.speedIndex);
    const double character = static_cast<double>(RTU_BITS_PER_CHARACTER) / speed.baud;
    s.bound = 1.0 / ((s.requestBytes + s.replyBytes) * character + ReplyEndSeconds(run.speedIndex, run.fast));
    s.replyBound = 1.0 / (s.replyBytes * character + ReplyEndSeconds(run.speedIndex, run.fast));
    return s;
}

// Where one cycle's time goes, in µs, as means over the window. From the end-of-cycle note of
// the cycle before to this cycle's note; the pieces add up to the cycle.
struct Profile {
    double uiWake = 0;    // note posted -> the window side took it
    double uiWork = 0;    // took it -> go-ahead (copy and check of the reply)
    double busWake = 0;   // go-ahead -> the bus thread starts writing the request
    double write = 0;     // the request's writes, each drained
    double firstByte = 0; // request written -> first reply byte read
    double body = 0;      // first -> last reply byte read
    double silence = 0;   // last byte -> the read that timed out returned
    double post = 0;      // that read -> end-of-cycle note posted
    double cycle = 0;
    bool matched = false;
};

Profile ProfileOf(const Run& run) {
    Profile p;
    // The port's k-th cycle is the k-th end-of-cycle note: every cycle sends a request here.
    if (run.port.size() < run.last + 1 || run.last == 0)
        return p;
    long n = 0;
    for (std::size_t k = run.first + 1; k <= run.last; ++k) {
        const UiCycle& before = run.ui[k - 1];
        const UiCycle& ui = run.ui[k];
        const PortCycle& port = run.port[k];
        if (port.readEnd > ui.done || ui.done - port.readEnd > std::chrono::milliseconds(5))
            return p; // the two records do not describe the same cycle
        p.uiWake += Micros(before.took - before.done);
        p.uiWork += Micros(before.set - before.took);
        p.busWake += Micros(port.writeStart - before.set);
        p.write += Micros(port.writeEnd - port.writeStart);
        if (port.bytes > 0) {
            p.firstByte += Micros(port.firstByte - port.writeEnd);
            p.body += Micros(port.lastByte - port.firstByte);
            p.silence += Micros(port.readEnd - port.lastByte);
        } else {
            p.silence += Micros(port.readEnd - port.writeEnd);
        }
        p.post += Micros(ui.done - port.readEnd);
        p.cycle += Micros(ui.done - before.done);
        ++n;
    }
    for (double* v :
         {&p.uiWake, &p.uiWork, &p.busWake, &p.write, &p.firstByte, &p.body, &p.silence, &p.post, &p.cycle})
        *v /= static_cast<double>(n);
    p.matched = true;
    return p;
}

int Main(int argc, char** argv) {
    const RunOptions options = ParseRunOptions(argc, argv);
    std::vector<Run> runs;
    for (int speed : {SPEED_9600, SPEED_38400}) {
        for (int supplies : {1, 8}) {
            for (bool fast : {false, true}) {
                Run run;
                run.supplies = supplies;
                run.speedIndex = speed;
                run.fast = fast;
                std::fprintf(stderr, "%d supplies at %d baud, %s ...\n", supplies, SpeedRow(speed).baud,
                             ModeName(run.fast));
                Drive(run, options);
                runs.push_back(std::move(run));
            }
        }
    }

    std::printf("Bus cycles per second, MODBUS-RTU, rir-sim --wire-time (model 2, configuration 1), "
                "%.1f s after %.1f s warm-up\n\n",
                options.seconds, options.warmup);
    std::printf("| supplies | baud | mode | reply ends after ms | cycles | request B | reply B (measure / "
                "modules) | bound /s | measured /s | measured / bound | bound without request /s | "
                "measured / that |\n");
    std::printf("|---:|---:|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    bool failed = false;
    for (const Run& run : runs) {
        const SpeedEntry& speed = SpeedRow(run.speedIndex);
        if (!run.error.empty()) {
            std::printf("| %d | %d | %s | failed: %s |\n", run.supplies, speed.baud, ModeName(run.fast),
                        run.error.c_str());
            failed = true;
            continue;
        }
        const Summary s = Summarize(run);
        std::printf(
            "| %d | %d | %s | %.3f | %ld | %.2f | %.2f (%.1f / %.1f) | %.2f | %.2f | %.1f %% | %.2f | "
            "%.1f %% |\n",
            run.supplies, speed.baud, ModeName(run.fast), 1000.0 * ReplyEndSeconds(run.speedIndex, run.fast),
            s.cycles, s.requestBytes, s.replyBytes, s.measureBytes, s.modulesBytes, s.bound, s.rate,
            100.0 * s.rate / s.bound, s.replyBound, 100.0 * s.rate / s.replyBound);
        if (s.silent + s.bad + s.others > 0)
            std::printf("|  | | | | %ld silent, %ld bad checksum, %ld other replies |\n", s.silent, s.bad,
                        s.others);
    }

    // The two modes side by side: each speed and bus in one row.
    std::printf("\nFast polling against literal polling (cycles per second)\n\n");
    std::printf("| supplies | baud | literal /s | fast /s | fast / literal | fast / its bound |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|\n");
    for (std::size_t k = 0; k + 1 < runs.size(); k += 2) {
        const Run& literal = runs[k];
        const Run& fast = runs[k + 1];
        if (!literal.error.empty() || !fast.error.empty())
            continue;
        const Summary l = Summarize(literal);
        const Summary f = Summarize(fast);
        std::printf("| %d | %d | %.2f | %.2f | %.2f × | %.1f %% |\n", literal.supplies,
                    SpeedRow(literal.speedIndex).baud, l.rate, f.rate, f.rate / l.rate,
                    100.0 * f.rate / f.bound);
    }

    std::printf("\nWhere a cycle's time goes (ms, means per cycle)\n\n");
    std::printf(
        "| supplies | baud | mode | UI wake | UI work | bus wake | write | first byte | rest of reply "
        "| silence | post | cycle | line: req + reply + end |\n");
    std::printf("|---:|---:|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const Run& run : runs) {
        if (!run.error.empty())
            continue;
        const SpeedEntry& speed = SpeedRow(run.speedIndex);
        const Summary s = Summarize(run);
        const Profile p = ProfileOf(run);
        if (!p.matched) {
            std::printf("| %d | %d | %s | port and notes out of step |\n", run.supplies, speed.baud,
                        ModeName(run.fast));
            continue;
        }
        const double character = 1000.0 * RTU_BITS_PER_CHARACTER / speed.baud;
        std::printf("| %d | %d | %s | %.3f | %.3f | %.3f | %.3f | %.3f | %.3f | %.3f | %.3f | %.3f | %.3f + "
                    "%.3f + %.3f |\n",
                    run.supplies, speed.baud, ModeName(run.fast), p.uiWake / 1000, p.uiWork / 1000,
                    p.busWake / 1000, p.write / 1000, p.firstByte / 1000, p.body / 1000, p.silence / 1000,
                    p.post / 1000, p.cycle / 1000, s.requestBytes * character, s.replyBytes * character,
                    1000.0 * ReplyEndSeconds(run.speedIndex, run.fast));
    }
    return failed ? 1 : 0;
}

} // namespace
} // namespace rir

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    rir::RegisterSupplyReplies(); // as the station does before its bus thread starts
    return rir::Main(argc, argv);
}
