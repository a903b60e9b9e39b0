// A program file read into steps: the bytes of a CSV file in Windows-1251 and the supply's
// limits in, the steps, title, display switches, start shift, the problems found and the one
// report about them out. Nothing here touches a page; the page applies the result.
#pragma once

#include "chart/ChartSample.h"
#include "program/ProgramLimits.h"
#include "program/ProgramReport.h"
#include "program/ProgramValues.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rir {

// A title longer than this is cut and marked.
inline constexpr std::size_t PROGRAM_TITLE_LENGTH = 50;
inline constexpr std::string_view TITLE_CUT_MARK = "...";

// The four columns of a program row.
enum ProgramColumn { COLUMN_TIME = 0, COLUMN_CURRENT = 1, COLUMN_VOLTAGE = 2, COLUMN_OUTPUT = 3 };

// The markers a heading line of words may carry, in Windows-1251 as the file holds them: a
// current column headed with "А/дм2" gives currents as density (amperes per dm² of the load),
// and a column past the output headed "Ач" ends a row's step by charge instead of by time.
// Both are matched in any letter case; these are the lower-case forms.
inline constexpr std::string_view DENSITY_MARK = "\xE0/\xE4\xEC"
                                                 "2";          // "а/дм2"
inline constexpr std::string_view CHARGE_HEADING = "\xE0\xF7"; // "ач"
// Charge targets are kept in thousandths of an ampere-hour.
inline constexpr int CHARGE_SCALE = 1000;
inline constexpr int SECONDS_PER_HOUR = 3600;

struct ProgramLoad {
    // At least one step was read: the page takes the program. Otherwise nothing is loaded, the
    // page keeps what it had and shows the report (which then says that the file has no step).
    bool loaded = false;
    // In file order. Times are seconds after the start shift (the first step is at 0), limits
    // raw and clamped into the supply's range; measured values 0, voltage regulation, no stamp.
    std::vector<ChartSample> steps;
    std::string title; // UTF-8; "" when the file names none
    DisplaySwitches switches;
    int startShift = 0; // the first step's time in the file, taken off every step
    ProgramErrors errors;
    int voltLimitMax = 0; // largest limits among the steps, for the chart's scales
    int currLimitMax = 0;
    std::string report; // the one message about the file; "" when there is nothing to say
    // The file gives currents as density; the steps carry them times the area given.
    bool density = false;
    // A density file read without an area: nothing is loaded, the station asks for the area.
    bool needsArea = false;
    // One entry per step: the charge in thousandths of an ampere-hour at which the step ends,
    // or none for a step that ends at the next step's time. A charge step's next step stands at
    // the charge step's expected end at its set current; the rows after it keep their spacing.
    std::vector<std::optional<int>> stepCharges;
    // The file as the run record names it: the SHA-256 of its bytes, and the area its densities
    // were multiplied by (none for a file in amperes).
    std::string sha256;
    std::optional<int> area;
};

// Reads a program file, Windows-1251 or UTF-8 (a byte-order mark, or a file that is valid UTF-8
// with characters beyond ASCII). Lines end with LF or CR LF; fields end at ";", at the line end
// or at the end of the file, and any other CR is dropped from a field. An empty field keeps the
// column's value from the line before. A row becomes a step when its output field is there and
// not all four values are 0. A row with a word where a number belongs, with fewer than four
// fields, a negative time or an output other than 0 and 1 is dropped and named; the steps are
// put in time order, and the first one's time is the start shift. Headings of words, one-word
// notes and lines that begin with "#" are passed over. A file with a control byte, without a
// step, or with a step beyond MAX_PROGRAM_SECONDS loads nothing. fileName (UTF-8, without
// folders) is for the report. Any bytes are read to a clean result: fields and lines of any
// length, numbers saturated, nothing read past the end.
// area (thousandths of a dm², see PartArea.h) scales the currents of a density file; a file
// without the density mark ignores it and loads exactly as without.
ProgramLoad LoadProgramFile(std::string_view bytes, std::string_view fileName, const ProgramLimits& limits,
                            std::optional<int> area = std::nullopt);

} // namespace rir
