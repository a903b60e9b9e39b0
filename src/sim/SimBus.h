// The simulated bus: a set of supplies by address behind one framing. Bytes from the station go
// in; the replies of the supplies that were asked come out, framed as the station expects.
// Requests with a bad checksum, for addresses nobody here answers to, or with a function byte
// that cannot be a request (bit 7 set) get no answer, as on a real bus.
//
// The clock is the caller's: Advance moves it (and the supplies' modules) on, so tests run on
// exact time and the pseudo-terminal front-end drives it from a steady clock.
#pragma once

#include "RequestParser.h"
#include "SimEvent.h"
#include "SimFault.h"
#include "SimSupply.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace rir::sim {

class SimBus {
public:
    using Logger = std::function<void(const std::string&)>;

    explicit SimBus(Framing framing) : framing_(framing), parser_(framing) {}

    // False for an address outside 1..127 or one already taken. In RS-232 framing the bus
    // answers as the first supply added, whatever address it was given.
    bool AddSupply(int address, SimSupply supply);
    SimSupply* Supply(int address);
    // The supply at `address` stays silent until the bus clock reaches `ms` (switched on then).
    void SwitchOnAt(int address, std::int64_t ms);
    // From now on the supply at `address` misbehaves so.
    void SetFault(int address, SimFault fault) { faults_[address] = fault; }
    // What happens to a supply later on; applied when the bus clock reaches its time.
    void Schedule(const SimEvent& event);

    // Bytes received now; returns the wire bytes of the replies they call for.
    std::vector<std::uint8_t> Receive(std::span<const std::uint8_t> bytes);
    // Time passing without input; returns the replies to requests that the silence completed.
    std::vector<std::uint8_t> Advance(std::int64_t milliseconds);
    // Milliseconds until Advance would complete or drop a pending request or send a late reply;
    // nothing when idle.
    std::optional<std::int64_t> MsUntilDeadline() const;

    void SetLogger(Logger logger) { logger_ = std::move(logger); }
    Framing framing() const { return framing_; }
    std::int64_t Now() const { return nowMs_; }
    const ParserCounts& Counts() const { return parser_.Counts(); }

private:
    void Answer(const std::vector<RequestFrame>& frames, std::vector<std::uint8_t>& out);
    void SendDueLate(std::vector<std::uint8_t>& out);
    void ApplyDueEvents();
    void LogCounts();
    void Log(const std::string& line) const;

    Framing framing_;
    RequestParser parser_;
    std::map<int, SimSupply> supplies_;
    std::map<int, std::int64_t> switchOnAtMs_;
    std::map<int, SimFault> faults_;
    std::vector<SimEvent> events_; // in the order they are due
    std::map<int, bool> silent_;   // fallen silent by an event
    // Late replies in the order they are due: when (bus clock) and their wire bytes.
    std::vector<std::pair<std::int64_t, std::vector<std::uint8_t>>> late_;
    int firstAddress_ = 0;
    std::int64_t nowMs_ = 0;
    ParserCounts logged_;
    Logger logger_;
};

// Bytes as "0F 42 84 71", for the log.
std::string HexText(std::span<const std::uint8_t> bytes);

} // namespace rir::sim
