// A recording: the page's chart history of a supply switched on by hand, without a program.
#include "device/DevicePage.h"

namespace rir {

void DevicePage::StartRecording() {
    chart.elapsedSeconds = 0;
    chart.ringIndex = 0;
    // The clock is 0 whenever a recording can start (a fresh page, a cleared chart, a cancelled
    // program); setting it keeps the ring index and the clock in step should that ever change.
    chart.chartClock = 0;
    run_ = PageRun::Recording;
    ++runNumber_;
    runStatus_.clear();
    UpdateControls();
    // The ring is laid out for the three minutes ahead: the first second carries the limits in
    // force and the output on, the others wait for the tick to fill them.
    secondsRing.clear();
    minutesList.clear();
    chart.voltLimitMax = 0;
    chart.currLimitMax = 0;
    chart.voltMax = 0;
    chart.currMax = 0;
    secondsRing.reserve(SECONDS_RING_SIZE);
    secondsRing.emplace_back(0, state.currLimit, state.voltLimit, 1, stampClock());
    for (int t = 1; t < SECONDS_RING_SIZE; ++t)
        secondsRing.emplace_back(t, 0, 0, 0, std::nullopt);
    state.firstSampleCountdown = FIRST_SAMPLE_REFRESHES;
    UpdateChart();
}

} // namespace rir
