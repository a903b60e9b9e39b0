// Which series the chart draws, one switch per check box under the chart.
#pragma once

namespace rir {

struct SeriesSwitches {
    bool voltMeas = true;  // "U"
    bool voltLimit = true; // "Uл"
    bool currMeas = true;  // "I"
    bool currLimit = true; // "Iл"
    bool output = true;    // "Вкл"

    void SetAll(bool on) { voltMeas = voltLimit = currMeas = currLimit = output = on; }
};

} // namespace rir
