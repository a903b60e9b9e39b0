// What each simulated model is: its ratings, the decimal codes of its scales and the limits it
// starts with.
#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace rir::sim {

struct SimRatings {
    int model = 0;
    int voltMax = 0;  // raw, in units of the voltage scale
    int voltCode = 0; // decimal code of the identification reply: 0 -> 100, 1 -> 10, 2 -> 1
    int currMax = 0;
    int currCode = 0;  // 0 -> 100, 1 -> 10, 2 -> 1, 3 -> 1000
    int voltLimit = 0; // limits at power-up
    int currLimit = 0;
    std::string_view description; // for --help
};

// Models 1 to 6; nothing for any other code.
std::optional<SimRatings> SimRatingsFor(int model);
std::span<const SimRatings> SimRatingsTable();

} // namespace rir::sim
