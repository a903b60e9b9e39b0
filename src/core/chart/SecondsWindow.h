// Which seconds of the ring the chart shows. The drawing and the pointer's hit test place the
// same window, each on its own width.
#pragma once

#include "chart/ChartSample.h"

namespace rir {

struct WindowRule {
    bool splitView = false;
    bool recording = false;
    bool programLoaded = false;
    int ringIndex = 0;
    int elapsedSeconds = 0;
    int programDuration = 0;
    int ringSize = 0;
};

struct SecondsWindow {
    int length = 0; // n: the window's seconds, which divide its width
    int start = 0;  // s: ring entry of the window's first point
    // Seconds a running program shows before its present second in the split view; -1 when
    // the window does not follow a running program.
    int lead = -1;
    int points = 0; // window points the ring holds: w(0) .. w(points - 1)
};

// Not split: the whole ring from entry 0. Split: 60 seconds, either the last minute of a
// recording, or for a program the 40 seconds before the present one and the 19 after it,
// stopping at the program's last 60 seconds.
SecondsWindow PlaceSecondsWindow(const WindowRule& rule);

// Ring entry of window point i.
inline int WindowEntry(const SecondsWindow& w, int i) {
    return RingIndex(w.start + i);
}

// A double to pixels, truncated toward zero as the chart's arithmetic wants; far-off values are
// held at a bound no picture reaches instead of overflowing.
int TruncPixel(double v);

} // namespace rir
