// What a device page keeps about its chart besides the two histories: the clocks of the
// recording or program, the cursor, the pointer's hold on it, the layout the last drawing chose
// and the largest values seen, which set the vertical scales.
#pragma once

#include <cstdint>

namespace rir {

// The chart cursor names one sample: none, a seconds sample (its ring entry is the cursor mod
// 180), or entry k of the minutes list as (k + 1) × MINUTE_CURSOR_BASE. It is 64 bits wide: in
// 32 bits the encoding overflows from minute 2147 on, a day and a half into a recording.
using ChartCursor = std::int64_t;
inline constexpr ChartCursor CURSOR_NONE = -1;
inline constexpr ChartCursor MINUTE_CURSOR_BASE = 1000000;

constexpr bool IsSecondsCursor(ChartCursor cursor) {
    return cursor >= 0 && cursor < MINUTE_CURSOR_BASE;
}
constexpr bool IsMinuteCursor(ChartCursor cursor) {
    return cursor >= MINUTE_CURSOR_BASE;
}
// The minutes entry of a minute cursor.
constexpr int MinuteOfCursor(ChartCursor cursor) {
    return static_cast<int>(cursor / MINUTE_CURSOR_BASE - 1);
}
constexpr ChartCursor MinuteCursor(int entry) {
    return (static_cast<ChartCursor>(entry) + 1) * MINUTE_CURSOR_BASE;
}

struct ChartState {
    int elapsedSeconds = 0;  // one-second ticks since the recording or the program started
    int chartClock = 0;      // samples taken; the time written into each
    int ringIndex = 0;       // ring entry of the latest sample
    int programDuration = 0; // time of the program's last step
    ChartCursor cursor = CURSOR_NONE;
    bool hoverLock = false; // the pointer holds the cursor on one sample
    bool dragFlag = false;  // the left button went down while the cursor was held
    bool splitView = false; // minutes at the left, the last 60 seconds at the right
    int secondsStep = 1;    // stride of the loops over seconds
    int minutesStep = 1;    // stride of the loops over minutes, chosen by the drawing
    // Largest raw values seen, for the vertical scales.
    int voltLimitMax = 0;
    int currLimitMax = 0;
    int voltMax = 0;
    int currMax = 0;
};

// The elapsed second whose tick ends a run of a program of this duration. A program whose last
// step is at 0 (or before) has no second to wait for: it ends after its first tick, with its
// only step sent, instead of never.
constexpr int ProgramEndSecond(int duration) {
    return duration < 1 ? 1 : duration;
}

// Pointer-driven repaints between two samples are limited while data is live, so that a fast
// mouse cannot flood the station with drawings. One count serves every page: the drawing adds
// to it, the one-second tick of any page sets it back to 0.
inline constexpr int HOVER_REPAINT_LIMIT = 40;

struct RepaintCounter {
    int count = 0;
    bool HoverMayRepaint() const { return count < HOVER_REPAINT_LIMIT; }
};
// The station's one counter; used on the user-interface thread only.
RepaintCounter& SharedRepaintCounter();

} // namespace rir
