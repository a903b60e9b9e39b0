// What the two bus throughput programs share: the line they run, its two polling modes and their
// command line.
#pragma once

#include "bus/BusState.h"
#include "bus/BusThread.h"
#include "bus/ReplyEnd.h"

#include <chrono>
#include <cstdlib>
#include <string>

namespace rir {

// MODBUS-RTU characters: start bit, 8 data bits, stop bit.
inline constexpr int RTU_BITS_PER_CHARACTER = 10;
// SpeedTable rows.
inline constexpr int SPEED_9600 = 6;
inline constexpr int SPEED_38400 = 9;

inline const char* ModeName(bool fast) {
    return fast ? "fast" : "literal";
}

// What ends an RTU reply on the line: the read time-out, or with fast polling the quiet gap.
inline double ReplyEndSeconds(int speedIndex, bool fast) {
    const SpeedEntry& speed = SpeedRow(speedIndex);
    if (!fast)
        return speed.readTimeoutMs / 1000.0;
    return std::chrono::duration<double>(QuietGap(LineSettingsFor(Framing::Rtu, speed.baud))).count();
}

struct RunOptions {
    double seconds = 5.0; // measured, per run
    double warmup = 1.5;  // before the measurement, per run
};

// --seconds S and --warmup S; anything else is ignored.
inline RunOptions ParseRunOptions(int argc, char** argv) {
    RunOptions o;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const double value = std::atof(argv[i + 1]);
        if (name == "--seconds" && value > 0)
            o.seconds = value;
        else if (name == "--warmup" && value > 0)
            o.warmup = value;
    }
    return o;
}

} // namespace rir
