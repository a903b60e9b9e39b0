// Program files for the loader tests: written in UTF-8 here, handed to the loader in
// Windows-1251 as a spreadsheet saves them; a supply with known limits to check them against.
#pragma once

#include "program/ProgramLoader.h"
#include "text/Cp1251.h"

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace rir::programrig {

// A timer/ampere supply as it identifies itself: 39 V and 15 A at scale 100, minima 0.50 V and
// 0.15 A.
inline constexpr ProgramLimits MODEL2 = {3900, 1500, 50, 15, 100, 100};

inline ProgramLoad Load(std::string_view utf8, const ProgramLimits& limits = MODEL2,
                        std::string_view fileName = "prog.csv") {
    return LoadProgramFile(Utf8ToCp1251(utf8), fileName, limits);
}

struct Step {
    int time, currLimit, voltLimit, output;
    bool operator==(const Step&) const = default;
};

inline std::vector<Step> StepsOf(const ProgramLoad& load) {
    std::vector<Step> steps;
    for (const ChartSample& s : load.steps)
        steps.push_back({s.time, s.currLimit, s.voltLimit, s.output});
    return steps;
}

inline std::ostream& operator<<(std::ostream& os, const Step& s) {
    return os << '{' << s.time << ", " << s.currLimit << ", " << s.voltLimit << ", " << s.output << '}';
}

} // namespace rir::programrig
