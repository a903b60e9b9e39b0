// The reverse module (record type 3): while the output is on it alternates a forward phase and a
// reverse phase of set lengths. A phase current above zero caps the output current during that
// phase; zero leaves the output's own current limit in force.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace rir::sim {

class SimReverse {
public:
    // Settings block 3: forward current, reverse current (whole amperes), forward time, reverse
    // time (tenths of a second), 2 bytes each. The cycle restarts with the forward phase.
    // False when the block is short.
    bool ApplyBlock(std::span<const std::uint8_t> block);

    // Output-on time passing.
    void Step(int milliseconds);
    void OnSwitchOff();

    // Header 0x93: phase byte (bit 2 set in the forward phase), then the four settings.
    void AppendRecord(std::vector<std::uint8_t>& out) const;

    bool forward() const { return forward_; }
    // The current cap of the present phase in amperes; 0 for none.
    int PhaseCurrent() const { return forward_ ? fwdCurrent_ : backCurrent_; }

private:
    int fwdCurrent_ = 0;
    int backCurrent_ = 0;
    int fwdTime_ = 100; // 10.0 s forward, 2.0 s reverse until the operator sets other times
    int backTime_ = 20;
    bool forward_ = true;
    int msIntoPhase_ = 0;
};

} // namespace rir::sim
