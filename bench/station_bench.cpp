// The UI thread's work for one bus reply: the end-of-cycle note's intake (copy, checksum, page
// lookup), decoding into the supply's record, the page's view-state refresh and the log line,
// as Station::OnBusReply does it between two go-aheads of the bus thread.
//
// Arguments: changing = 1 gives every reply new values (so the page's texts really change),
// 0 repeats one reply (steady state: every text is already right). local_clock = 1 stamps log
// lines with the real local time, 0 with a fixed time, to show what the clock call costs.
#include "ReplyFrames.h"
#include "app/EventLog.h"
#include "app/Station.h"
#include "bus/BusThread.h"
#include "bus/FrameCodec.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace rir {
namespace {

// Replies prepared ahead, so that building frames is not what is measured. Consecutive ones
// differ in every value that changes.
constexpr std::size_t FRAME_RING = 1024;
// Enough replies to fill the on-screen log, so that every measured line also drops the oldest.
constexpr int WARM_REPLIES = 300;

class NoPrompts : public Prompts {
public:
    void Message(const std::string&) override {}
    bool Ask(const std::string&) override { return false; }
    std::optional<int> AskAddress(int) override { return std::nullopt; }
    std::optional<ModuleSetupValues> RunModuleSetup(const ModuleSetupValues&) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseProgramFile() override { return std::nullopt; }
    std::optional<std::string> ChooseSaveFile(const std::string&) override { return std::nullopt; }
    std::optional<NetworkPortFields> AskNetworkPort(const NetworkPortFields&) override { return std::nullopt; }
};

// Takes the page's changes as the Qt page does before it copies them onto its widgets, and
// counts them: the proof that a changing reply really rewrote the page.
class DrainingListener : public StationListener {
public:
    std::int64_t changedControls = 0;

    void PageAdded(DevicePage&) override {}
    void PageRemoved(DevicePage&) override {}
    void PageChanged(DevicePage& page) override {
        changedControls += static_cast<std::int64_t>(page.view.takeChanged().size());
    }
    void TabsChanged() override {}
    void MenuChanged() override {}
    void LogChanged() override {}
    void LayoutChanged() override {}
};

std::tm FixedTime() {
    std::tm t{};
    t.tm_hour = 9;
    t.tm_min = 5;
    t.tm_sec = 3;
    return t;
}

// A station without a window, on MODBUS-RTU, with one supply of the given module configuration
// identified and online, and its log full.
struct Bench {
    NoPrompts prompts;
    DrainingListener listener;
    EventLog log{"/nonexistent-dir/zadida.txt"};
    Station station{{"COM1"}, prompts, listener, log};

    Bench(int config, bool localClock) {
        if (!localClock)
            log.setClock(FixedTime);
        StoredSettings s;
        s.protocol = "RTU";
        station.Start(&s);
        // The window's timer has run for a while: the page shows the request rate too.
        station.busLink().state().timerTicks = 100;
        station.busLink().state().requestsSent = 1000;
        Reply(IdentifyFrame());
        Reply(ModulesFrame(config, 0));
        for (int i = 0; i < WARM_REPLIES; ++i)
            Reply(MeasureFrame(static_cast<std::uint32_t>(i)));
    }

    // The bus thread's part: the reply's bytes in the shared buffer; then the note.
    void Reply(const ReplyFrame& raw) {
        {
            std::lock_guard<BusLock> hold(station.busLink().shared().lock);
            station.busLink().shared().replyBuffer = raw;
        }
        station.OnBusReply(BusNote::CycleDone);
    }

    bool Online() {
        const DevicePage* page = station.FindPage(SUPPLY_ADDRESS, 0);
        return page != nullptr && page->state.online;
    }
};

std::vector<ReplyFrame> Ring(bool changing, ReplyFrame (*make)(std::uint32_t)) {
    std::vector<ReplyFrame> ring;
    for (std::uint32_t n = 0; n < (changing ? FRAME_RING : 1); ++n)
        ring.push_back(make(n + 1));
    return ring;
}

// Controls rewritten per reply, and a check that no reply was refused on the way.
void Report(benchmark::State& state, Bench& bench) {
    if (!bench.Online())
        state.SkipWithError("the supply went offline: a reply was refused");
    state.counters["controls_changed"] = benchmark::Counter(
        static_cast<double>(bench.listener.changedControls), benchmark::Counter::kAvgIterations);
}

void RunReplies(benchmark::State& state, int config, const std::vector<ReplyFrame>& ring) {
    const bool changing = state.range(0) != 0;
    Bench bench(config, state.range(1) != 0);
    if (!bench.Online()) {
        state.SkipWithError("the supply did not come online");
        return;
    }
    std::size_t i = 0;
    bench.listener.changedControls = 0;
    for (auto _ : state) {
        if (changing)
            ++bench.station.busLink().state().requestsSent;
        bench.Reply(ring[i]);
        i = i + 1 == ring.size() ? 0 : i + 1;
    }
    Report(state, bench);
}

void BM_MeasureReply(benchmark::State& state) {
    RunReplies(state, 1, Ring(state.range(0) != 0, MeasureFrame));
}

void BM_ModulesReplyConfig1(benchmark::State& state) {
    RunReplies(state, 1, Ring(state.range(0) != 0, [](std::uint32_t n) { return ModulesFrame(1, n); }));
}

void BM_ModulesReplyConfig9(benchmark::State& state) {
    RunReplies(state, 9, Ring(state.range(0) != 0, [](std::uint32_t n) { return ModulesFrame(9, n); }));
}

// A whole bus cycle as the window sees it: the note that the request went out (a log line of
// its own) and the reply, measurements and module data taking turns as the polls do.
void BM_PollCycle(benchmark::State& state) {
    const bool changing = state.range(0) != 0;
    Bench bench(1, state.range(1) != 0);
    std::vector<ReplyFrame> ring;
    std::vector<std::string> sent;
    for (std::uint32_t n = 0; n < (changing ? FRAME_RING : 2); ++n) {
        const bool measure = n % 2 == 0;
        ring.push_back(measure ? MeasureFrame(changing ? n + 1 : 1) : ModulesFrame(1, changing ? n + 1 : 1));
        const std::uint8_t request[2] = {SUPPLY_ADDRESS,
                                         static_cast<std::uint8_t>(measure ? FC_MEASURE : FC_MODULES)};
        const std::uint16_t crc = Crc16(request, 2);
        sent.push_back(std::string(SENT_TEXT_PREFIX) + " " + std::to_string(request[0]) + " " +
                       std::to_string(request[1]) + " " + std::to_string(crc & 0xFF) + " " +
                       std::to_string(crc >> 8));
    }
    std::size_t i = 0;
    bench.listener.changedControls = 0;
    for (auto _ : state) {
        {
            std::lock_guard<BusLock> hold(bench.station.busLink().shared().lock);
            bench.station.busLink().shared().sentText = sent[i];
        }
        bench.station.OnBusReply(BusNote::Sent);
        if (changing)
            ++bench.station.busLink().state().requestsSent;
        bench.Reply(ring[i]);
        i = i + 1 == ring.size() ? 0 : i + 1;
    }
    Report(state, bench);
}

void Arguments(benchmark::internal::Benchmark* b) {
    b->ArgNames({"changing", "local_clock"});
    for (int changing : {1, 0})
        for (int localClock : {0, 1})
            b->Args({changing, localClock});
    b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_MeasureReply)->Apply(Arguments);
BENCHMARK(BM_ModulesReplyConfig1)->Apply(Arguments);
BENCHMARK(BM_ModulesReplyConfig9)->Apply(Arguments);
BENCHMARK(BM_PollCycle)->Apply(Arguments);

} // namespace
} // namespace rir
