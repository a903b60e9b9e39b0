// The timer/stopwatch module (record type 1). As a stopwatch it counts the seconds the output is
// on; as a timer it counts down from its preset and at zero switches the output off, drops to a
// tenth of the current, or goes on counting the overtime (shown negative), as its mode says.
// Switching the output off resets the value (the stopwatch to zero, the timer to its preset)
// unless the settings say to keep it; a timer that ran out keeps its end value until the output
// is switched on again, and then starts over from the preset.
#pragma once

#include "ModuleAction.h"

#include <cstdint>
#include <span>
#include <vector>

namespace rir::sim {

inline constexpr int TIMER_STOPWATCH = 0;
inline constexpr int TIMER_SWITCH_OFF = 1;
inline constexpr int TIMER_TENTH_CURRENT = 2;
inline constexpr int TIMER_KEEP_ON = 3;

// The value travels as 3 bytes.
inline constexpr std::int64_t TIMER_VALUE_LIMIT = 0xFFFFFF;

class SimTimer {
public:
    // Settings block 1: mode (bits 0..1) with bit 6 = keep the value on switch-off; preset
    // seconds as 3 bytes. The value restarts from the preset. False when the block is short.
    bool ApplyBlock(std::span<const std::uint8_t> block);

    // Output-on time passing.
    ModuleAction Step(int milliseconds);
    void OnSwitchOn();
    void OnSwitchOff();

    // Header 0x41: flag byte (mode, bit 6 keep on switch-off, bit 7 negative), value as 3 bytes.
    void AppendRecord(std::vector<std::uint8_t>& out) const;

    int mode() const { return mode_; }
    std::int64_t value() const { return value_; }
    bool reducesCurrent() const { return reduced_; }

private:
    void Tick(ModuleAction& action);

    int mode_ = TIMER_STOPWATCH;
    bool keepOnSwitchOff_ = false;
    std::int64_t preset_ = 0;
    std::int64_t value_ = 0; // negative: overtime after the timer ran out
    bool expired_ = false;
    bool reduced_ = false;
    int msIntoSecond_ = 0;
};

} // namespace rir::sim
