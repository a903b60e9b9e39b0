#include "SimBus.h"

#include <algorithm>
#include <cstdio>

namespace rir::sim {

namespace {

constexpr std::uint8_t GARBLE_PATTERN = 0x9A;

} // namespace

std::string HexText(std::span<const std::uint8_t> bytes) {
    std::string text;
    char cell[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(cell, sizeof cell, "%02X", b);
        if (!text.empty())
            text += ' ';
        text += cell;
    }
    return text;
}

bool SimBus::AddSupply(int address, SimSupply supply) {
    if (address < 1 || address > 127 || supplies_.count(address) != 0)
        return false;
    if (supplies_.empty())
        firstAddress_ = address;
    supplies_.emplace(address, std::move(supply));
    return true;
}

SimSupply* SimBus::Supply(int address) {
    const auto it = supplies_.find(address);
    return it == supplies_.end() ? nullptr : &it->second;
}

void SimBus::SwitchOnAt(int address, std::int64_t ms) {
    switchOnAtMs_[address] = ms;
}

void SimBus::Schedule(const SimEvent& event) {
    const auto at = std::find_if(events_.begin(), events_.end(),
                                 [&event](const SimEvent& e) { return e.atMs > event.atMs; });
    events_.insert(at, event);
}

void SimBus::ApplyDueEvents() {
    while (!events_.empty() && events_.front().atMs <= nowMs_) {
        const SimEvent e = events_.front();
        events_.erase(events_.begin());
        SimSupply* supply = Supply(e.address);
        if (supply == nullptr)
            continue;
        switch (e.kind) {
        case SimEvent::Kind::Load:
            supply->SetLoad(e.value);
            Log("supply " + std::to_string(e.address) + ": load now " + std::to_string(e.value) + " ohm");
            break;
        case SimEvent::Kind::Silent:
        case SimEvent::Kind::Answer:
            silent_[e.address] = e.kind == SimEvent::Kind::Silent;
            Log("supply " + std::to_string(e.address) +
                (silent_[e.address] ? ": falls silent" : ": answers again"));
            break;
        case SimEvent::Kind::Temperature:
            supply->HoldTemperature(e.value);
            Log("supply " + std::to_string(e.address) + ": thermometer held at " + std::to_string(e.value));
            break;
        }
    }
}

std::vector<std::uint8_t> SimBus::Receive(std::span<const std::uint8_t> bytes) {
    std::vector<RequestFrame> frames;
    parser_.Feed(bytes, nowMs_, frames);
    std::vector<std::uint8_t> out;
    Answer(frames, out);
    return out;
}

std::vector<std::uint8_t> SimBus::Advance(std::int64_t milliseconds) {
    std::vector<std::uint8_t> out;
    if (milliseconds <= 0)
        return out;
    // Events fall on the millisecond they were given for, between two steps of the model.
    while (!events_.empty() && events_.front().atMs <= nowMs_ + milliseconds) {
        const std::int64_t step = std::max<std::int64_t>(events_.front().atMs - nowMs_, 0);
        nowMs_ += step;
        milliseconds -= step;
        for (auto& [address, supply] : supplies_)
            supply.Advance(step);
        ApplyDueEvents();
    }
    nowMs_ += milliseconds;
    for (auto& [address, supply] : supplies_)
        supply.Advance(milliseconds);
    SendDueLate(out);
    std::vector<RequestFrame> frames;
    parser_.Expire(nowMs_, frames);
    Answer(frames, out);
    return out;
}

void SimBus::SendDueLate(std::vector<std::uint8_t>& out) {
    while (!late_.empty() && late_.front().first <= nowMs_) {
        Log("late reply " + HexText(late_.front().second));
        out.insert(out.end(), late_.front().second.begin(), late_.front().second.end());
        late_.erase(late_.begin());
    }
}

std::optional<std::int64_t> SimBus::MsUntilDeadline() const {
    std::optional<std::int64_t> deadline = parser_.Deadline();
    if (!late_.empty())
        deadline = deadline ? std::min(*deadline, late_.front().first) : late_.front().first;
    if (!events_.empty())
        deadline = deadline ? std::min(*deadline, events_.front().atMs) : events_.front().atMs;
    if (!deadline)
        return std::nullopt;
    return *deadline > nowMs_ ? *deadline - nowMs_ : 0;
}

void SimBus::Answer(const std::vector<RequestFrame>& frames, std::vector<std::uint8_t>& out) {
    LogCounts();
    for (const RequestFrame& frame : frames) {
        std::vector<std::uint8_t> request;
        if (framing_ != Framing::Rs232)
            request.push_back(static_cast<std::uint8_t>(frame.address));
        request.push_back(static_cast<std::uint8_t>(frame.function));
        request.insert(request.end(), frame.data.begin(), frame.data.end());
        Log("request " + HexText(request));

        const int address = framing_ == Framing::Rs232 ? firstAddress_ : frame.address;
        SimSupply* supply = Supply(address);
        if (supply == nullptr) {
            Log("  no supply at address " + std::to_string(frame.address) + ": silent");
            continue;
        }
        if (const auto on = switchOnAtMs_.find(address); on != switchOnAtMs_.end() && nowMs_ < on->second) {
            Log("  switched off until " + std::to_string(on->second) + " ms: silent");
            continue;
        }
        if (const auto quiet = silent_.find(address); quiet != silent_.end() && quiet->second) {
            Log("  fallen silent: no answer");
            continue;
        }
        if ((frame.function & EXCEPTION_FLAG) != 0) {
            Log("  not a request function: silent");
            continue;
        }
        const auto found = faults_.find(address);
        const SimFault* fault = found == faults_.end() ? nullptr : &found->second;
        const auto is = [fault](SimFault::Kind kind) { return fault != nullptr && fault->kind == kind; };
        SimReply reply;
        if (is(SimFault::Kind::Refuse))
            reply = {frame.function | EXCEPTION_FLAG, {static_cast<std::uint8_t>(fault->value)}};
        else
            reply = supply->Handle(frame.function, frame.data);
        std::vector<std::uint8_t> bytes;
        if (framing_ != Framing::Rs232)
            bytes.push_back(
                static_cast<std::uint8_t>(is(SimFault::Kind::Foreign) ? fault->value : frame.address));
        bytes.push_back(static_cast<std::uint8_t>(reply.function));
        bytes.insert(bytes.end(), reply.payload.begin(), reply.payload.end());
        // A reply is framed exactly as a request is: the same checksum, hex text or bare bytes.
        std::vector<std::uint8_t> wire = EncodeRequest(framing_, bytes);
        if (is(SimFault::Kind::Garble)) {
            // Line noise: every bit pattern changed, the address byte too (15 becomes 149).
            for (std::uint8_t& b : wire)
                b ^= GARBLE_PATTERN;
        }
        Log("  reply " + HexText(bytes) + "  wire " + HexText(wire));
        if (is(SimFault::Kind::Late)) {
            Log("  held back " + std::to_string(fault->value) + " ms");
            const std::int64_t due = nowMs_ + fault->value;
            const auto at =
                std::find_if(late_.begin(), late_.end(), [due](const auto& l) { return l.first > due; });
            late_.emplace(at, due, std::move(wire));
            continue;
        }
        out.insert(out.end(), wire.begin(), wire.end());
    }
}

void SimBus::LogCounts() {
    const ParserCounts& now = parser_.Counts();
    if (now.badChecksums != logged_.badChecksums)
        Log("ignored " + std::to_string(now.badChecksums - logged_.badChecksums) +
            " frame(s) with a bad checksum");
    if (now.noiseBytes != logged_.noiseBytes)
        Log("dropped " + std::to_string(now.noiseBytes - logged_.noiseBytes) + " byte(s) outside any frame");
    logged_ = now;
}

void SimBus::Log(const std::string& line) const {
    if (logger_)
        logger_(line);
}

} // namespace rir::sim
