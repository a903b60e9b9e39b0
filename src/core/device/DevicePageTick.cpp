// The page's one-second tick while it records: one sample into the seconds ring, a minute's
// averages every 60 samples, the cursor and the chart.
#include "device/DevicePage.h"

#include <algorithm>

namespace rir {

namespace {

// Sums of the ring entries from..to (inclusive, wrapped into the ring).
struct RingSums {
    long long currLimit = 0;
    long long voltLimit = 0;
    long long output = 0;
    long long voltMeas = 0;
    long long currMeas = 0;
    int voltRegulation = 0;
    int count = 0;
};

RingSums SumRing(const std::vector<ChartSample>& ring, int from, int to) {
    RingSums s;
    for (int k = from; k <= to; ++k) {
        const ChartSample* e = RingEntry(ring, RingIndex(k));
        if (!e)
            continue;
        s.currLimit += e->currLimit;
        s.voltLimit += e->voltLimit;
        s.output += e->output;
        s.voltMeas += e->voltMeas;
        s.currMeas += e->currMeas;
        s.voltRegulation += e->voltRegulation ? 1 : 0;
        ++s.count;
    }
    return s;
}

// A minute's entry from the sums over `divisor` seconds; the output counts as on when it was on
// for more than half of them.
ChartSample MinuteOf(const RingSums& s, int minute, int divisor, std::optional<StampTime> stamp) {
    ChartSample m(minute, static_cast<int>(s.currLimit / divisor), static_cast<int>(s.voltLimit / divisor),
                  s.output > divisor / 2 ? 1 : 0, stamp);
    m.voltMeas = static_cast<int>(s.voltMeas / divisor);
    m.currMeas = static_cast<int>(s.currMeas / divisor);
    m.voltRegulation = s.voltRegulation > 0;
    return m;
}

} // namespace

TickOutcome DevicePage::OnTick(PageCommandSink& sink, std::optional<StampTime> due, bool present) {
    ++chart.elapsedSeconds;
    if (programRunning())
        CountCharge();
    const bool ends = programStarted() && chart.elapsedSeconds == ProgramEndSecond(chart.programDuration);
    const bool charted = programLoaded() || recording();
    if (charted) {
        ++chart.chartClock;
        chart.ringIndex =
            chart.chartClock < SECONDS_RING_SIZE ? chart.chartClock : chart.chartClock % SECONDS_RING_SIZE;
        // A program shorter than the ring has a ring only as long as the program; a page that
        // never laid its ring out has none. What is not there is not written.
        if (ChartSample* entry = RingEntry(secondsRing, chart.ringIndex)) {
            if (!programLoaded()) {
                entry->currLimit = state.currLimit;
                entry->voltLimit = state.voltLimit;
                entry->output = state.outputOn ? 1 : 0;
            } else if (programStarted() && (present || ends)) {
                SendPlannedValues(sink);
            }
            entry->stamp = due ? *due : stampClock();
            entry->voltMeas = state.voltMeas;
            entry->currMeas = state.currMeas;
            entry->voltRegulation = state.voltRegulation;
            entry->time = chart.chartClock;
        }
        chart.voltLimitMax = std::max(chart.voltLimitMax, state.voltLimit);
        chart.currLimitMax = std::max(chart.currLimitMax, state.currLimit);
        if (chart.ringIndex % SECONDS_PER_MINUTE == 0)
            MinuteStep();
        if (!chart.hoverLock)
            chart.cursor = chart.elapsedSeconds;
        repaints->count = 0;
    }
    chart.voltMax = std::max(chart.voltMax, state.voltMeas);
    chart.currMax = std::max(chart.currMax, state.currMeas);
    if (charted)
        UpdateChart();
    if (ends) {
        // The supply is not switched off: the last step stays in force.
        run_ = PageRun::Loaded;
        UpdateControls();
        return TickOutcome::ProgramEnded;
    }
    return TickOutcome::Ticked;
}

void DevicePage::MinuteStep() {
    const int m = chart.chartClock / SECONDS_PER_MINUTE;
    const RingSums last = SumRing(secondsRing, chart.ringIndex - (SECONDS_PER_MINUTE - 1), chart.ringIndex);
    const std::size_t index = static_cast<std::size_t>(m);
    ChartSample* minute = nullptr;
    if (minutesList.size() > index) {
        // A program's preview already holds this minute: the plan gives way to what happened.
        ChartSample& e = minutesList[index];
        minute = &e;
        const ChartSample means = MinuteOf(last, m, SECONDS_PER_MINUTE, stampClock());
        e.currLimit = means.currLimit;
        e.voltLimit = means.voltLimit;
        e.output = means.output;
        e.stamp = means.stamp;
    } else if (minutesList.empty()) {
        // The first minute is drawn in two halves, so that the minutes part starts with the
        // first seconds instead of one average over a minute that began with the switch-on.
        constexpr int FIRST_HALF_FROM = 1, FIRST_HALF_TO = 29, SECOND_HALF_FROM = 30, SECOND_HALF_TO = 59;
        minutesList.push_back(MinuteOf(SumRing(secondsRing, FIRST_HALF_FROM, FIRST_HALF_TO), 0,
                                       FIRST_HALF_TO - FIRST_HALF_FROM + 1, stampClock()));
        minutesList.push_back(MinuteOf(SumRing(secondsRing, SECOND_HALF_FROM, SECOND_HALF_TO), m,
                                       SECOND_HALF_TO - SECOND_HALF_FROM + 1, stampClock()));
    } else {
        minutesList.push_back(MinuteOf(last, m, SECONDS_PER_MINUTE, stampClock()));
    }
    if (!minute)
        minute = &minutesList.back();
    // The minute shows the supply as it is at the minute's end.
    minute->voltMeas = state.voltMeas;
    minute->currMeas = state.currMeas;
    minute->voltRegulation = state.voltRegulation;
    minute->output = state.outputOn ? 1 : 0;
    if (programLoaded() && m > 1 && chart.programDuration >= SECONDS_RING_SIZE)
        RefillAhead();
}

} // namespace rir
