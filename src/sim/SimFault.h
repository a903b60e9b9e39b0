// How a simulated supply misbehaves on the bus, for fault tests and demonstrations.
#pragma once

namespace rir::sim {

struct SimFault {
    enum class Kind {
        Refuse,  // every request answered with an exception reply carrying `value` (default 5)
        Foreign, // every reply carries address `value` instead of its own
        Garble,  // every reply's bytes scrambled on the wire
        Late,    // every reply sent `value` milliseconds late
    };
    Kind kind = Kind::Refuse;
    int value = 0;

    bool operator==(const SimFault&) const = default;
};

} // namespace rir::sim
