#include "SimRatings.h"

#include <array>

namespace rir::sim {

namespace {

// The maker prints 95 % of the true maximum, rounded, with 8 and 9 raised to the next ten; the
// maxima below are chosen so that the printed ratings come out as the catalogue's round values
// (model 2: 3900 -> 37 V and 1500 -> 14 A, as on the real timer/ampere units).
constexpr std::array<SimRatings, 6> TABLE{{
    {1, 3150, 0, 525, 0, 1200, 100, "RIR RS232, 30 V / 5 A (max 31.50 V, 5.25 A)"},
    {2, 3900, 0, 1500, 0, 1500, 1000, "RIR timer/ampere, 37 V / 14 A (max 39.00 V, 15.00 A)"},
    {3, 4200, 0, 3150, 1, 1200, 500, "RIR Prof Reverse, 40 V / 300 A (max 42.00 V, 315.0 A)"},
    {4, 6300, 0, 1050, 1, 2400, 200, "RIR Prof, 60 V / 100 A (max 63.00 V, 105.0 A)"},
    {5, 2520, 0, 2100, 0, 1200, 500, "unknown to the station, 24 V / 20 A (max 25.20 V, 21.00 A)"},
    {6, 3150, 0, 1050, 0, 1200, 300, "RIR TFT, 30 V / 10 A (max 31.50 V, 10.50 A)"},
}};

} // namespace

std::optional<SimRatings> SimRatingsFor(int model) {
    for (const SimRatings& r : TABLE) {
        if (r.model == model)
            return r;
    }
    return std::nullopt;
}

std::span<const SimRatings> SimRatingsTable() {
    return TABLE;
}

} // namespace rir::sim
