// What a run journal holds: the program file format (Windows-1251, CR LF, ";" between fields, a
// point as the decimal sign) with a title naming the supply and the start, a heading, the display
// switches, then one line per second: time; current limit, A; voltage limit, V; output; measured
// voltage, V; measured current, A; regulated quantity; local date and time. The loader reads the
// first four columns, so a journal loads back as a program that replays the run.
#pragma once

#include "chart/ChartSample.h"
#include "chart/SeriesSwitches.h"

#include <string>
#include <string_view>

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

// What the station knows of one second of a run. A value that is not known is written as an
// empty field, never as 0: a journal loaded back as a program must not read "0 V, 0 A, output
// off" where the supply was on and only its answer was missing.
enum class JournalSecond {
    Measured, // the plan (or the limits in force) and the supply's measurement
    // A program's second whose plan was sent, but the supply did not answer: the plan, and the
    // measured values and the regulated quantity empty.
    PlanOnly,
    // Only its time: the second fell due while the window was held up, so nothing was sent or
    // measured in it, or a recording's supply did not answer, so not even its limits are known.
    // The line has its time and date and empty fields between, and its empty output makes the
    // loader pass it over: a journal loaded as a program keeps the step before in force there,
    // as the supply did.
    Missed,
};

// What happened to a run between two seconds, marked on a line of its own: "#Пауза" and the
// date in the date column. A field beginning with "#" makes no step, so the loader passes such
// a line over.
inline constexpr std::string_view JOURNAL_MARK_PAUSE = "Пауза";
inline constexpr std::string_view JOURNAL_MARK_RESUME = "Продолжение";
inline constexpr std::string_view JOURNAL_MARK_PORT_LOST = "Порт потерян";
inline constexpr std::string_view JOURNAL_MARK_PORT_BACK = "Порт снова доступен";

// "#Пауза;;;;;;;09.12.2026 05:40:27", CR LF ended, in Windows-1251.
std::string JournalMark(std::string_view what, StampTime at);

// One second of the run, CR LF ended, in Windows-1251. A sample without a stamp is dated `now`.
std::string JournalLine(const ChartSample& sample, const JournalScales& scales, StampTime now,
                        JournalSecond what = JournalSecond::Measured);

// What "Сохранить" proposes: "rir-15-2026-12-09.csv", "rir-15_2-2026-12-09.csv" (local date).
std::string SavedRunName(int address, int channel, StampTime day);

} // namespace rir
