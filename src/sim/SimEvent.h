// Something that happens to a simulated supply at a time after the start, to provoke what the
// station must notice: the bath's load changes, the supply falls silent or answers again, the
// heat sink's temperature is held at a reading.
#pragma once

#include <cstdint>

namespace rir::sim {

struct SimEvent {
    enum class Kind {
        Load,        // the load becomes `value` ohms
        Silent,      // the supply stops answering
        Answer,      // it answers again
        Temperature, // the thermometer reads `value` degrees from now on
    };
    std::int64_t atMs = 0; // on the bus clock
    int address = 0;
    Kind kind = Kind::Load;
    double value = 0;

    bool operator==(const SimEvent&) const = default;
};

} // namespace rir::sim
