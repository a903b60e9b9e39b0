#include "bus/BusThread.h"

#include <cctype>

#include "bus/FrameCodec.h"

namespace rir {

std::string PortPath(const std::string& name) {
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

namespace {

class Cycle {
public:
    explicit Cycle(BusContext& bus) : bus_(bus) {}

    // One connection: open, configure, cycle until a reopen request. False when stopped.
    bool Connect();

private:
    bool Stopped() const { return bus_.eStart.Cancelled(); }
    bool Sleep(int ms) { return bus_.sleep ? bus_.sleep(ms) : bus_.eStart.SleepUnlessCancelled(ms); }
    bool RunCycle(Framing framing);
    void WriteRequest(Framing framing, const std::vector<std::uint8_t>& request, std::string& text);
    void ReadReply(Framing framing, const std::vector<std::uint8_t>& request);

    BusContext& bus_;
    PollCursor cursor_;
    int pauseMs_ = 0;
};

bool Cycle::Connect() {
    const std::size_t index = bus_.state.portIndex.load();
    if (index >= bus_.portList.size() || !bus_.port.Open(PortPath(bus_.portList[index])))
        return !Sleep(OPEN_RETRY_PAUSE_MS);

    const std::string pending = bus_.state.TakePendingProtocol();
    if (!pending.empty())
        ApplyProtocol(bus_.state, pending);
    bus_.state.requestsSent = 0;
    bus_.state.timerTicks = 0;

    const Framing framing = FramingOf(bus_.state.asciiMode, bus_.state.rs232Mode);
    const SpeedEntry& speed = SpeedRow(bus_.state.speedIndex);
    LineSettings line;
    line.baud = speed.baud;
    switch (framing) {
    case Framing::Rs232:
        line.dataBits = 8;
        line.parity = Parity::Even;
        line.stopBits = 1;
        break;
    case Framing::Ascii:
        line.dataBits = 7;
        line.parity = Parity::None;
        line.stopBits = 2;
        break;
    case Framing::Rtu:
        line.dataBits = 8;
        line.parity = Parity::None;
        line.stopBits = 1;
        break;
    }
    bus_.port.Configure(line);
    bus_.port.SetReadTimeout(speed.readTimeoutMs, READ_INTERVAL_TIMEOUT_MS);
    {
        std::lock_guard<BusLock> hold(bus_.shared.lock);
        bus_.shared.requestQueue.clear();
    }
    bool running = !Sleep(SETTLE_AFTER_OPEN_MS);
    while (running && !bus_.state.reopenRequested)
        running = RunCycle(framing);
    bus_.state.reopenRequested = false;
    bus_.port.Close();
    return running;
}

bool Cycle::RunCycle(Framing framing) {
    if (!bus_.eStart.Wait())
        return false;
    RequestChoice choice;
    {
        std::lock_guard<BusLock> hold(bus_.shared.lock);
        bus_.shared.replyBuffer.clear();
        choice =
            ChooseRequest(bus_.shared.pollList, bus_.shared.requestQueue, cursor_, framing == Framing::Rs232);
    }
    if (choice.pollListEmpty)
        bus_.notifier.Post(NOTE_THREAD, NOTE_EMPTY_LIST);

    if (!choice.request.empty()) {
        const auto& request = choice.request;
        std::string text = SENT_TEXT_PREFIX;
        for (std::uint8_t b : request)
            text += " " + std::to_string(b);
        WriteRequest(framing, request, text);

        // Request byte 0 is the address, 1 the function, 2 the first data byte.
        if (framing != Framing::Rs232 && request.size() >= 3) {
            if (request[1] == FC_CONTROL && (request[2] & 0x09) == 0x08) {
                pauseMs_ = SETTLE_AFTER_SWITCH_MS; // switch-off
            } else if (request[1] == FC_EXTENDED && request[2] >= 0x80) {
                pauseMs_ = SETTLE_AFTER_SWITCH_MS; // module configuration change
                bus_.state.reidentifyAfterAck = true;
            }
        }
        ++bus_.state.requestsSent;
        {
            std::lock_guard<BusLock> hold(bus_.shared.lock);
            bus_.shared.sentText = std::move(text);
        }
        bus_.notifier.Post(NOTE_THREAD, NOTE_SENT);
        ReadReply(framing, request);
    }

    bus_.notifier.Post(NOTE_CYCLE_DONE, 0);
    if (pauseMs_ != 0) {
        const int pause = pauseMs_;
        pauseMs_ = 0;
        if (Sleep(pause))
            return false;
    }
    std::lock_guard<BusLock> hold(bus_.shared.lock);
    EndOfCycle(bus_.shared.pollList, cursor_);
    return true;
}

void Cycle::WriteRequest(Framing framing, const std::vector<std::uint8_t>& request, std::string& text) {
    const std::vector<std::uint8_t> frame = EncodeRequest(framing, request);
    // The supplies were written for one write call per byte, the RTU checksum as one two-byte
    // write (low byte first); the adapters' timing is what it was.
    const std::size_t checksumBytes = framing == Framing::Rtu ? 2 : 0;
    const std::size_t body = frame.size() - checksumBytes;
    for (std::size_t i = 0; i < body; ++i)
        bus_.port.WriteBytes(frame[i], 1);
    if (checksumBytes != 0) {
        bus_.port.WriteBytes(frame[body] | static_cast<std::uint32_t>(frame[body + 1]) << 8, 2);
        // The log shows the RTU checksum after the request; ASCII shows the request bytes only.
        for (std::size_t i = body; i < frame.size(); ++i)
            text += " " + std::to_string(frame[i]);
    }
}

void Cycle::ReadReply(Framing framing, const std::vector<std::uint8_t>& request) {
    // The first byte may take up to two read time-outs: the supply needs time to answer.
    auto b = bus_.port.ReadByte();
    if (!b)
        b = bus_.port.ReadByte();
    if (!b) {
        std::lock_guard<BusLock> hold(bus_.shared.lock);
        auto& reply = bus_.shared.replyBuffer;
        if (framing == Framing::Rs232) {
            reply = {request[0]};
        } else {
            reply = {request[0], request.size() >= 2 ? request[1] : 0};
        }
        return;
    }
    std::size_t count = 0;
    while (b && count < MAX_REPLY_VALUES) {
        {
            std::lock_guard<BusLock> hold(bus_.shared.lock);
            bus_.shared.replyBuffer.push_back(*b);
        }
        ++count;
        b = bus_.port.ReadByte();
    }
}

} // namespace

int BusThreadProc(BusContext& bus) {
    bus.notifier.Post(NOTE_THREAD, NOTE_STARTED);
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

} // namespace rir
