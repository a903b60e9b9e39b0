// A recording: the page's chart history of a supply switched on by hand, without a program.
#include "device/DevicePage.h"

namespace rir {

void DevicePage::StartRecording() {
    recording = true;
    UpdateControls();
    // The ring is laid out for the three minutes ahead: the first second carries the limits in
    // force and the output on, the others wait for the tick to fill them.
    secondsRing.clear();
    secondsRing.reserve(SECONDS_RING_SIZE);
    secondsRing.emplace_back(0, state.currLimit, state.voltLimit, 1, true);
    for (int t = 1; t < SECONDS_RING_SIZE; ++t)
        secondsRing.emplace_back(t, 0, 0, 0, false);
    tickTimerRunning = true;
    state.firstSampleCountdown = FIRST_SAMPLE_REFRESHES;
    chartInvalidated_ = true;
}

} // namespace rir
