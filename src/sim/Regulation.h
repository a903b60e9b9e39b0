// A supply's output on a resistive load: it holds the voltage limit until the load would draw
// more than the current limit, and from there holds the current.
#pragma once

namespace rir::sim {

struct RegulationInput {
    bool on = false;
    int voltLimit = 0; // raw
    int currLimit = 0; // raw, the limit in force (already reduced when a module asks for 10 %)
    double loadOhms = 10.0;
    int voltScale = 100;
    int currScale = 100;
    int voltMax = 0; // measured values never read above the ratings
    int currMax = 0;
};

struct RegulationOutput {
    int voltMeas = 0;
    int currMeas = 0;
    bool currentRegulation = false;

    // Status byte: bit 0 output on, bit 1 current regulation.
    int Status(bool on) const { return (on ? 0x01 : 0) | (on && currentRegulation ? 0x02 : 0); }
};

RegulationOutput Regulate(const RegulationInput& in);

} // namespace rir::sim
