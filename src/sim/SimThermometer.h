// The thermometer/thermoregulator module (record type 6). The sensor sits on the heat sink: it
// settles, with a time constant of a minute, at the room's 25 degrees plus up to 40 degrees at
// full output power. As a regulator it switches a relay (an outside heater or cooler that moves
// the temperature by +30 or -15 degrees) around the target with the set hysteresis, cuts the
// output off at the target, or heats with the supply's own output by holding the output back
// above the band and releasing it below.
#pragma once

#include "ModuleAction.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace rir::sim {

inline constexpr int THERMO_PLAIN = 0;
inline constexpr int THERMO_HEAT_RELAY = 1;
inline constexpr int THERMO_COOL_RELAY = 2;
inline constexpr int THERMO_CUT_OFF = 3;
inline constexpr int THERMO_HEAT_SUPPLY = 4;

inline constexpr double ROOM_CELSIUS = 25.0;

class SimThermometer {
public:
    // Settings block 6: mode (bits 0..2), target (2 bytes, tenths of a degree + 2000),
    // hysteresis (tenths of a degree). False when the block is short.
    bool ApplyBlock(std::span<const std::uint8_t> block);

    // Time passing, whether the output is on or not; `powerShare` is the output power as a share
    // of the rated power (0..1).
    ModuleAction Step(int milliseconds, double powerShare, bool outputOn);

    // Heating through the supply: the output is held back while the temperature is above the band.
    bool holdsOutput() const { return hold_; }
    int TempRaw() const;
    // The sensor reads `celsius` from now on, whatever the heat does (a bath going wrong).
    void Hold(double celsius) {
        held_ = celsius;
        celsius_ = celsius;
    }

    // Header 0x66: temperature (2), mode with bit 7 = relay on, target (2), hysteresis.
    void AppendRecord(std::vector<std::uint8_t>& out) const;

private:
    double celsius_ = ROOM_CELSIUS;
    std::optional<double> held_;
    int mode_ = THERMO_PLAIN;
    int targetRaw_ = 2400; // 40.0 degrees
    int deltaRaw_ = 20;    // 2.0 degrees
    bool relay_ = false;
    bool hold_ = false;
};

} // namespace rir::sim
