#include "bus/BusThread.h"

#include <cctype>
#include <optional>
#include <utility>

#include "bus/FrameCodec.h"
#include "bus/FrameFormat.h"
#include "bus/NetworkPort.h"
#include "bus/ReplyIntake.h"

namespace rir {

std::string PortPath(const std::string& name) {
    if (IsNetworkPortName(name))
        return name; // a gateway's address is its own path
    std::string rest;
    for (std::size_t i = 0; i < name.size();) {
        if (name.compare(i, 3, "COM") == 0) {
            i += 3;
        } else {
            rest.push_back(name[i]);
            ++i;
        }
    }
    long number = 0;
    for (char c : rest) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            break;
        number = number * 10 + (c - '0');
        if (number >= 10)
            break; // all that matters is "below 10"
    }
    return number < 10 ? name : "\\\\.\\" + name;
}

LineSettings LineSettingsFor(Framing framing, int baud) {
    return FormatOf(framing).Line(baud);
}

namespace {

class Cycle {
public:
    explicit Cycle(BusContext& bus) : bus_(bus) {}

    // One connection: open, configure, cycle until a reopen request or a failed port. A port
    // that will not open, or has failed, is tried again after a pause. False when stopped.
    bool Connect();

private:
    enum class Step { Next, Stopped, PortFailed };

    bool Sleep(int ms) { return bus_.sleep ? bus_.sleep(ms) : bus_.eStart.SleepUnlessCancelled(ms); }
    BusClock::time_point Now() const { return bus_.clock ? bus_.clock() : BusClock::now(); }
    // Before a request: the line has been quiet for the gap since a reply that ended early.
    // False when stopped.
    bool KeepQuietGap();
    // The pause before the next attempt to open the port; a port change ends it early.
    bool RetryPause();
    Step RunCycle(Framing framing);
    bool WriteRequest(Framing framing, const std::vector<std::uint8_t>& request, std::string& text);
    // `fast`: the reply ends as soon as it is whole, else at the read time-out.
    bool ReadReply(Framing framing, const std::vector<std::uint8_t>& request, bool fast);
    void PostPortEvent(BusNote note, const PortError& error = {});
    void Refused(const PortError& error);
    // The cycle's port failed: close it, say why, and end the cycle with nothing read.
    void Lost();

    BusContext& bus_;
    PollCursor cursor_;
    int pauseMs_ = 0;
    std::string portName_; // the port this connection opens
    // The gap this connection's line keeps after a reply that ended early.
    std::chrono::microseconds quietGap_{MIN_QUIET_GAP};
    // Whether the line may hold what no request of ours asked for: a new connection (a reply
    // left from before), or a last reply that was not a whole answer to its request. It is
    // cleared before the next request goes out.
    bool lineUnclean_ = true;
    // When the last reply ended without waiting for the line to fall silent. Unset after a reply
    // that ended at the read time-out: the line has then been quiet for longer than any gap.
    std::optional<BusClock::time_point> endedEarlyAt_;
    // The refusal last reported: the same one again is not repeated every second.
    std::optional<PortError> refusal_;
    // After a loss the port's first refusal is not reported: the loss already said it is away.
    bool lostSinceReported_ = false;
};

bool Cycle::RetryPause() {
    if (bus_.sleep)
        return bus_.sleep(bus_.openRetryMs);
    return bus_.eStart.SleepUnlessCancelled(bus_.openRetryMs,
                                            [this] { return bus_.state.reopenRequested.load(); });
}

void Cycle::PostPortEvent(BusNote note, const PortError& error) {
    {
        std::lock_guard<BusLock> hold(bus_.shared.lock);
        bus_.shared.portEvents.push_back({note, portName_, error});
    }
    bus_.notifier.Post(note);
}

void Cycle::Refused(const PortError& error) {
    if (refusal_ == error)
        return;
    refusal_ = error;
    if (std::exchange(lostSinceReported_, false))
        return;
    PostPortEvent(BusNote::PortRefused, error);
}

void Cycle::Lost() {
    const PortError error = bus_.port.lastError();
    bus_.port.Close();
    {
        std::lock_guard<BusLock> hold(bus_.shared.lock);
        bus_.shared.replyBuffer.clear(); // nothing of a broken cycle is a reply
        bus_.shared.cycleEnd = CycleEnd::PortLost;
    }
    PostPortEvent(BusNote::PortLost, error);
    lostSinceReported_ = true;
    refusal_.reset();
}

bool Cycle::Connect() {
    // A change asked for while the port was away is honoured by this very attempt; the new
    // port's refusal, if any, is news.
    if (bus_.state.reopenRequested.exchange(false)) {
        refusal_.reset();
        lostSinceReported_ = false;
    }
    const std::size_t index = bus_.state.portIndex.load();
    {
        std::lock_guard<BusLock> hold(bus_.shared.lock);
        portName_ = index < bus_.shared.portList.size() ? bus_.shared.portList[index] : std::string();
    }
    if (portName_.empty())
        return !RetryPause(); // no such menu item: nothing to open until the operator picks one
    if (!bus_.port.Open(PortPath(portName_))) {
        Refused(bus_.port.lastError());
        return !RetryPause();
    }
    refusal_.reset();
    lostSinceReported_ = false;

    if (const std::optional<Framing> pending = bus_.state.TakePendingFraming())
        bus_.state.framing = *pending;
    bus_.state.requestsSent = 0;
    bus_.state.timerTicks = 0;

    const Framing framing = bus_.state.framing;
    const SpeedEntry& speed = SpeedRow(bus_.state.speedIndex);
    const LineSettings line = LineSettingsFor(framing, speed.baud);
    bus_.port.Configure(line);
    quietGap_ = QuietGap(line);
    endedEarlyAt_.reset(); // the settling pause after the open is quiet enough
    bus_.port.SetReadTimeout(speed.readTimeoutMs, READ_INTERVAL_TIMEOUT_MS);
    lineUnclean_ = true;
    {
        std::lock_guard<BusLock> hold(bus_.shared.lock);
        bus_.shared.requestQueue.clear();
    }
    PostPortEvent(BusNote::PortOpened);
    Step end = Sleep(SETTLE_AFTER_OPEN_MS) ? Step::Stopped : Step::Next;
    while (end == Step::Next && !bus_.state.reopenRequested)
        end = RunCycle(framing);
    if (end == Step::PortFailed)
        return !RetryPause(); // closed already
    bus_.port.Close();
    return end != Step::Stopped;
}

Cycle::Step Cycle::RunCycle(Framing framing) {
    if (!bus_.eStart.Wait())
        return Step::Stopped;
    // Read once per cycle: "Быстрый опрос" switched while a reply comes in applies to the next.
    const bool fast = bus_.state.fastPolling;
    PollSchedule schedule;
    if (fast) {
        schedule.measurementsFirst = true;
        schedule.moduleInterval = std::chrono::seconds(bus_.state.moduleIntervalS.load());
        schedule.now = Now();
    }
    RequestChoice choice;
    {
        std::lock_guard<BusLock> hold(bus_.shared.lock);
        bus_.shared.replyBuffer.clear();
        bus_.shared.cycleRequest.clear();
        bus_.shared.cycleEnd = CycleEnd::NothingSent;
        choice = ChooseRequest(bus_.shared.pollList, bus_.shared.requestQueue, cursor_,
                               framing == Framing::Rs232, schedule);
    }
    if (choice.pollListEmpty)
        bus_.notifier.Post(BusNote::EmptyList);

    bool failed = false;
    if (!choice.request.empty()) {
        if (KeepQuietGap())
            return Step::Stopped;
        if (std::exchange(lineUnclean_, false))
            bus_.port.DiscardInput(quietGap_);
        const auto& request = choice.request;
        std::string text = SENT_TEXT_PREFIX;
        for (std::uint8_t b : request)
            text += " " + std::to_string(b);
        if (!WriteRequest(framing, request, text)) {
            failed = true; // it never went out whole: no request line, no reply to wait for
        } else {
            // A switch-off or a module change; on a point-to-point line the supply was never
            // given that pause.
            if (choice.effects.settles && FormatOf(framing).addressed())
                pauseMs_ = SETTLE_AFTER_SWITCH_MS;
            ++bus_.state.requestsSent;
            {
                std::lock_guard<BusLock> hold(bus_.shared.lock);
                bus_.shared.sentText = std::move(text);
                bus_.shared.cycleRequest.assign(request.begin(), request.end());
            }
            bus_.notifier.Post(BusNote::Sent);
            failed = !ReadReply(framing, request, fast);
        }
    }
    if (failed) {
        pauseMs_ = 0;
        Lost();
    }

    // Every cycle ends with this note, a failed one too (with nothing to digest): the window
    // gives its next go-ahead as always, and the cycle after the port's return starts at once.
    bus_.notifier.Post(BusNote::CycleDone);
    if (pauseMs_ != 0) {
        const int pause = pauseMs_;
        pauseMs_ = 0;
        if (Sleep(pause))
            return Step::Stopped;
    }
    {
        std::lock_guard<BusLock> hold(bus_.shared.lock);
        EndOfCycle(bus_.shared.pollList, cursor_);
    }
    return failed ? Step::PortFailed : Step::Next;
}

bool Cycle::KeepQuietGap() {
    if (!endedEarlyAt_)
        return false;
    const auto quiet = std::chrono::duration_cast<std::chrono::microseconds>(Now() - *endedEarlyAt_);
    endedEarlyAt_.reset();
    if (quiet >= quietGap_)
        return false; // the window's hand-over took that long already
    const std::chrono::microseconds rest = quietGap_ - quiet;
    return bus_.quietWait ? bus_.quietWait(rest) : bus_.eStart.SleepUnlessCancelled(rest);
}

bool Cycle::WriteRequest(Framing framing, const std::vector<std::uint8_t>& request, std::string& text) {
    const FrameFormat& format = FormatOf(framing);
    const std::vector<std::uint8_t> frame = format.Encode(request);
    const std::size_t checksumBytes = format.wireChecksumBytes();
    const std::size_t body = frame.size() - checksumBytes;
    if (!bus_.port.WriteFrame(frame, checksumBytes))
        return false;
    if (checksumBytes != 0) {
        // The log shows the RTU checksum after the request; ASCII shows the request bytes only.
        for (std::size_t i = body; i < frame.size(); ++i)
            text += " " + std::to_string(frame[i]);
    }
    return true;
}

bool Cycle::ReadReply(Framing framing, const std::vector<std::uint8_t>& request, bool fast) {
    // The first byte may take up to two read time-outs: the supply needs time to answer. A reply
    // that comes has at least the shortest reply's length (see ExpectValues below).
    bus_.port.ExpectValues(ValuesStillDue(framing, {}));
    ReadResult r = bus_.port.ReadByte();
    if (r.status == ReadStatus::Timeout)
        r = bus_.port.ReadByte();
    if (r.status == ReadStatus::Failed)
        return false;
    if (r.status == ReadStatus::Timeout) {
        std::lock_guard<BusLock> hold(bus_.shared.lock);
        bus_.shared.cycleEnd = CycleEnd::NoReply;
        return true;
    }
    std::size_t count = 0;
    std::vector<int> seen; // the reply so far
    while (r.status == ReadStatus::Byte && count < MAX_REPLY_VALUES) {
        {
            std::lock_guard<BusLock> hold(bus_.shared.lock);
            bus_.shared.cycleEnd = CycleEnd::Reply;
            bus_.shared.replyBuffer.push_back(r.byte);
        }
        ++count;
        seen.push_back(r.byte);
        // Whatever follows a whole reply is not part of it: it stays on the line and is read by
        // the next cycle, where it shows as bad data and is counted.
        if (fast && ReplyIsComplete(framing, seen)) {
            endedEarlyAt_ = Now();
            lineUnclean_ = !IsCleanAnswer(framing, seen, request);
            return true;
        }
        // A reply comes a character at a time; what its framing says must still come can gather
        // on the line before the port looks again (one wake-up instead of one per character).
        bus_.port.ExpectValues(ValuesStillDue(framing, seen));
        r = bus_.port.ReadByte();
    }
    lineUnclean_ = !IsCleanAnswer(framing, seen, request);
    // A port that fails in the middle of a reply has lost it: a torn frame is no answer.
    return r.status != ReadStatus::Failed;
}

} // namespace

int BusThreadProc(BusContext& bus) {
    bus.notifier.Post(BusNote::Started);
    Cycle cycle(bus);
    while (!bus.eStart.Cancelled()) {
        if (!cycle.Connect())
            break;
    }
    return 0;
}

void RequestBusStop(BusContext& bus) {
    bus.eStart.Cancel();
}

void RequestReopen(BusState& state, AutoResetEvent& eStart) {
    state.reopenRequested = true;
    eStart.Nudge();
}

} // namespace rir
