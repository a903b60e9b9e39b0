// A running program's share of the page: the plan of each second sent to the supply, the plan
// kept a minute ahead in the ring, and the message at the end.
#include "device/DevicePage.h"

#include <string>

namespace rir {

void DevicePage::SendPlannedValues(PageCommandSink& sink) const {
    const ChartSample* plan = RingEntry(secondsRing, chart.ringIndex);
    if (plan == nullptr)
        return;
    const bool on = plan->output > 0;
    // What the supply last reported is compared, not what was last sent: a request that got lost
    // goes again on the next tick.
    if (plan->voltLimit == state.voltLimit && plan->currLimit == state.currLimit && on == state.outputOn)
        return;
    sink.Enqueue(PlannedOutputRequest(state, plan->voltLimit, plan->currLimit, on));
}

void DevicePage::RefillAhead() {
    // The entries 60 to 119 seconds ahead of the present one get the plan of those seconds, so
    // that the ring always shows the next minute of a program longer than the ring.
    int currLimit = 0;
    int voltLimit = 0;
    int output = 0;
    for (int j = 0; j < SECONDS_PER_MINUTE; ++j) {
        const int r = chart.chartClock + SECONDS_PER_MINUTE + j;
        // The last step in file order whose time has come holds, as the preview reads them.
        for (const ChartSample& step : runSteps_) {
            if (step.time <= r) {
                currLimit = step.currLimit;
                voltLimit = step.voltLimit;
                output = step.output;
            }
        }
        ChartSample* entry = RingEntry(secondsRing, RingIndex(chart.ringIndex + SECONDS_PER_MINUTE + j));
        if (entry == nullptr)
            continue;
        entry->time = r;
        entry->currLimit = currLimit;
        entry->voltLimit = voltLimit;
        entry->output = output;
    }
}

std::string DevicePage::ProgramEndMessage() const {
    std::string text = "#" + std::to_string(state.address) + " - Работа по файлу закончена!";
    // A program whose only second is 0 ends one tick later, past the end of its ring: its plan
    // is the ring's last entry.
    const ChartSample* last = RingEntry(secondsRing, chart.ringIndex);
    if (last == nullptr && !secondsRing.empty())
        last = &secondsRing.back();
    if (last != nullptr && last->output > 0)
        text += "\nБлок остается включенным!";
    return text;
}

} // namespace rir
