// What a run journal holds: the program file format (Windows-1251, CR LF, ";" between fields, a
// point as the decimal sign) with a title naming the supply and the start, a heading, the display
// switches, then one line per second: time; current limit, A; voltage limit, V; output; measured
// voltage, V; measured current, A; regulated quantity; local date and time. The loader reads the
// first four columns, so a journal loads back as a program that replays the run.
#pragma once

#include "chart/ChartSample.h"
#include "chart/SeriesSwitches.h"

#include <string>

namespace rir {

// The supply's scales as the journal writes its values.
struct JournalScales {
    int voltScale = 1;
    int currScale = 1;
};

// "15_2026-12-09_05-39-47.csv"; a second channel "15_2_2026-12-09_05-39-47.csv". Local time.
std::string JournalFileName(int address, int channel, StampTime start);

// The title, heading and display-switch lines, CR LF ended, in Windows-1251.
std::string JournalHead(int address, int channel, StampTime start, const SeriesSwitches& series);

// What the station knows of one second of a run.
enum class JournalSecond {
    Measured, // the plan (or the limits in force) and the supply's measurement
    // Only its time: the second fell due while the window was held up, so nothing was sent or
    // measured in it. The line has its time and date and empty fields between them, which the
    // loader passes over: a journal loaded as a program keeps the step before in force there,
    // as the supply did.
    Missed,
};

// One second of the run, CR LF ended, in Windows-1251. A sample without a stamp is dated `now`.
std::string JournalLine(const ChartSample& sample, const JournalScales& scales, StampTime now,
                        JournalSecond what = JournalSecond::Measured);

// What "Сохранить" proposes: "rir-15-2026-12-09.csv", "rir-15_2-2026-12-09.csv" (local date).
std::string SavedRunName(int address, int channel, StampTime day);

} // namespace rir
