#include "chart/ChartReadouts.h"

#include "chart/FixedText.h"
#include "text/NumberText.h"

namespace rir {

namespace {

constexpr const char* LIMITS_AHEAD = "\nЛимит тока: --;\nЛимит напряжения: --;\nВключен блок: --";
constexpr const char* VALUES_AHEAD_TAIL = " с;\nТок: --\nНапряжение: --\nРежим стаб: --";

double InUnits(int raw, int scale) {
    // Scales come from the identification reply (1, 10, 100 or 1000); a broken one must not
    // divide by zero.
    return static_cast<double>(raw) / (scale > 0 ? scale : 1);
}

// The value in volts or amperes with the decimals of the supply's resolution.
void AppendValue(std::string& s, int raw, int scale) {
    AppendFixed(s, InUnits(raw, scale), ScaleDecimals(scale));
}

// "\nЛимит тока: 0.15 ампер;\nЛимит напряжения: 12.00 вольт;\nВключен блок: " joined with "да"
// or "нет" and a closing ";".
std::string LimitsText(const ReadoutInput& in) {
    std::string s = "\nЛимит тока: ";
    AppendValue(s, in.sample.currLimit, in.units.currScale);
    s += " ампер;\nЛимит напряжения: ";
    AppendValue(s, in.sample.voltLimit, in.units.voltScale);
    s += " вольт;\nВключен блок: ";
    s += in.sample.output == 1 ? "да" : "нет";
    s += ";";
    return s;
}

const char* ModeWord(const ChartSample& sample) {
    if (sample.output == 0)
        return "--";
    return sample.voltRegulation ? "напряжения" : "тока";
}

// "Время: %i / %i с;\nТок: 0.15 ампер;\nНапряжение: 12.00 вольт;\nРежим стаб: %s;"
std::string ValuesText(const ReadoutInput& in, int timeShown, int total) {
    std::string s = "Время: ";
    s += std::to_string(timeShown);
    s += " / ";
    s += std::to_string(total);
    s += " с;\nТок: ";
    AppendValue(s, in.sample.currMeas, in.units.currScale);
    s += " ампер;\nНапряжение: ";
    AppendValue(s, in.sample.voltMeas, in.units.voltScale);
    s += " вольт;\nРежим стаб: ";
    s += ModeWord(in.sample);
    s += ";";
    return s;
}

} // namespace

bool ReadoutAhead(CursorKind kind, int entry, int elapsedSeconds) {
    if (kind == CursorKind::Minute)
        return entry > elapsedSeconds / SECONDS_PER_MINUTE;
    return entry > elapsedSeconds;
}

ReadoutTexts ComposeReadouts(const ReadoutInput& in) {
    const bool ahead = ReadoutAhead(in.kind, in.entry, in.elapsedSeconds);
    const int timeShown =
        in.kind == CursorKind::Minute ? in.sample.time * SECONDS_PER_MINUTE : in.sample.time;
    ReadoutTexts t;
    if (in.programLoaded) {
        t.limits = LimitsText(in);
        if (ahead)
            t.values = "Время: " + std::to_string(timeShown) + " / " + std::to_string(in.programDuration) +
                       VALUES_AHEAD_TAIL;
        else
            t.values = ValuesText(in, timeShown, in.programDuration);
    } else if (ahead) {
        // The latest sample's time is the elapsed seconds.
        t.limits = LIMITS_AHEAD;
        t.values = "Время: -- / " + std::to_string(in.elapsedSeconds) + VALUES_AHEAD_TAIL;
    } else {
        t.limits = LimitsText(in);
        t.values = ValuesText(in, timeShown, in.chartClock);
    }
    return t;
}

} // namespace rir
