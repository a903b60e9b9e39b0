// The ampere-hour counter module (record type 2): an accumulating counter (32 bits) and a daily
// counter (24 bits) that integrate the output current, or the output power when the units are
// watt-hours. In a dosing mode the daily counter holds the dose still to go and counts down; at
// zero the output is switched off, drops to a tenth of the current, or runs on, as the mode says.
// Switching the output off starts the daily counter over (from zero, or from the full dose)
// unless mode bit 6 says to keep it; a completed dose stays on show until the next switch-on.
//
// Raw resolution, chosen so that the station's displays read true for each model:
//   models 2 and 6: ampere-hours and watt-hours in thousandths, ampere-minutes in ampere-seconds
//                   (the station shows minutes and a two-digit sixtieth);
//   other models:   ampere-hours and watt-hours in hundredths, ampere-minutes in ampere-seconds.
#pragma once

#include "ModuleAction.h"

#include <cstdint>
#include <span>
#include <vector>

namespace rir::sim {

inline constexpr int UNITS_AMPERE_HOURS = 0;
inline constexpr int UNITS_AMPERE_MINUTES = 1;
inline constexpr int UNITS_WATT_HOURS = 2;

inline constexpr int DOSE_NONE = 0; // plain daily counter
inline constexpr int DOSE_SWITCH_OFF = 1;
inline constexpr int DOSE_TENTH_CURRENT = 2;
inline constexpr int DOSE_KEEP_ON = 3;
inline constexpr int COUNTER_KEEP_ON_SWITCH_OFF = 0x40; // mode byte bit 6

inline constexpr std::uint32_t DAILY_LIMIT = 0xFFFFFF;

// Ampere-seconds (or watt-seconds for watt-hours) in one raw count.
double CounterRawUnit(int model, int units);

class SimCounter {
public:
    explicit SimCounter(int model) : model_(model) {}

    // Settings block 2: flags (bits 0..1 counter kind, bit 5 watt-hours, bit 6 zero the
    // accumulating counter, bit 7 ampere-minutes), mode byte, daily value or dose as 3 bytes.
    // Flags 0x20 with counter kind 0 is the dosing restart and carries no settings. A change of
    // units zeroes the accumulating counter, whose old count would mean something else.
    // False when the block is short.
    bool ApplyBlock(std::span<const std::uint8_t> block);

    // Output-on time passing at the measured output.
    ModuleAction Step(int milliseconds, double volts, double amps);
    void OnSwitchOn();
    void OnSwitchOff();

    // Header 0x92: flags (counter kind, units, bit 6 dose complete), mode, total (4), daily (3).
    void AppendRecord(std::vector<std::uint8_t>& out) const;

    std::uint32_t total() const { return total_; }
    std::uint32_t daily() const { return daily_; }
    bool doseComplete() const { return doseComplete_; }
    bool reducesCurrent() const { return reduced_; }

private:
    bool Dosing() const { return (mode_ & 0x03) != DOSE_NONE; }
    void StartOver();

    int model_;
    int select_ = 0;
    int units_ = UNITS_AMPERE_HOURS;
    int mode_ = DOSE_NONE;
    std::uint32_t total_ = 0;
    std::uint32_t daily_ = 0;
    std::uint32_t dose_ = 0;
    double totalFraction_ = 0.0; // raw counts not yet whole
    double dailyFraction_ = 0.0;
    bool doseComplete_ = false;
    bool reduced_ = false;
};

} // namespace rir::sim
