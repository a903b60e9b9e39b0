// Chart histories filled by hand for the chart tests and the screenshot tool: a recording
// started and ticked second by second, a program previewed and run, as the page's one-second
// tick and program preview fill them. Only the history side is imitated: nothing is sent.
#pragma once

#include "chart/DrawChart.h"
#include "device/DevicePage.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace rir::chartrig {

inline constexpr int RING = SECONDS_RING_SIZE;

// A page whose supply is known: scales 100 (volts and amperes in hundredths).
inline void Identify(DevicePage& page, int voltScale = 100, int currScale = 100) {
    page.state.voltScale = voltScale;
    page.state.currScale = currScale;
}

// The page in its recording state by its own operation, with the supply's record as the test
// set it (an offline page's controls would otherwise clear the limits and readings).
inline void BeginRecording(DevicePage& page) {
    const DeviceState kept = page.state;
    page.StartRecording();
    page.state = kept;
}

// Switching the output on from the page starts a recording: the ring prefilled with 180
// seconds, entry 0 carrying the present limits and the output on.
inline void StartRecording(DevicePage& page) {
    BeginRecording(page);
    page.state.outputOn = true;
}

struct Sums {
    long long currLimit = 0, voltLimit = 0, output = 0, voltMeas = 0, currMeas = 0, regulation = 0;
    int count = 0;
    void Add(const ChartSample& e) {
        currLimit += e.currLimit;
        voltLimit += e.voltLimit;
        output += e.output;
        voltMeas += e.voltMeas;
        currMeas += e.currMeas;
        regulation += e.voltRegulation ? 1 : 0;
        ++count;
    }
    ChartSample Mean(int time, int outputAbove, std::optional<StampTime> stamp) const {
        ChartSample m(time, static_cast<int>(currLimit / count), static_cast<int>(voltLimit / count),
                      output > outputAbove ? 1 : 0, stamp);
        m.voltMeas = static_cast<int>(voltMeas / count);
        m.currMeas = static_cast<int>(currMeas / count);
        m.voltRegulation = regulation > 0;
        return m;
    }
};

inline Sums SumRing(const DevicePage& page, int from, int to) {
    Sums s;
    for (int k = from; k <= to; ++k)
        s.Add(page.secondsRing[static_cast<std::size_t>(RingIndex(k))]);
    return s;
}

// The plan of second r: the last step in list order whose time is not past r.
inline const ChartSample* PlanAt(const std::vector<ChartSample>& program, int r, const ChartSample* held) {
    for (const ChartSample& step : program)
        if (step.time <= r)
            held = &step;
    return held;
}

// One tick of the page timer, with the supply reporting what page.state holds. As the page's own
// tick, it ends with the chart brought up to date.
inline void Tick(DevicePage& page, const std::vector<ChartSample>& program = {}) {
    ChartState& c = page.chart;
    const DeviceState& s = page.state;
    ++c.elapsedSeconds;
    if (page.programLoaded() || page.recording()) {
        ++c.chartClock;
        c.ringIndex = c.chartClock % RING;
        ChartSample& e = page.secondsRing.at(static_cast<std::size_t>(c.ringIndex));
        if (!page.programLoaded()) {
            e.currLimit = s.currLimit;
            e.voltLimit = s.voltLimit;
            e.output = s.outputOn ? 1 : 0;
        }
        e.stamp = page.stampClock();
        e.voltMeas = s.voltMeas;
        e.currMeas = s.currMeas;
        e.voltRegulation = s.voltRegulation;
        e.time = c.chartClock;
        c.voltLimitMax = std::max(c.voltLimitMax, s.voltLimit);
        c.currLimitMax = std::max(c.currLimitMax, s.currLimit);
        if (c.ringIndex % 60 == 0) {
            const int m = c.chartClock / 60;
            std::vector<ChartSample>& minutes = page.minutesList;
            if (static_cast<int>(minutes.size()) > m) {
                minutes[static_cast<std::size_t>(m)] =
                    SumRing(page, c.ringIndex - 59, c.ringIndex).Mean(m, 30, e.stamp);
            } else if (minutes.empty()) {
                minutes.push_back(SumRing(page, 1, 29).Mean(0, 14, e.stamp));
                minutes.push_back(SumRing(page, 30, 59).Mean(m, 15, e.stamp));
            } else {
                minutes.push_back(SumRing(page, c.ringIndex - 59, c.ringIndex).Mean(m, 30, e.stamp));
            }
            ChartSample& last = minutes[static_cast<std::size_t>(m)];
            last.voltMeas = s.voltMeas;
            last.currMeas = s.currMeas;
            last.voltRegulation = s.voltRegulation;
            last.output = s.outputOn ? 1 : 0;
            if (page.programLoaded() && c.chartClock / 60 > 1 && c.programDuration >= RING) {
                const ChartSample* held = nullptr;
                for (int j = 0; j < 60; ++j) {
                    const int r = c.chartClock + 60 + j;
                    held = PlanAt(program, r, held);
                    ChartSample& ahead =
                        page.secondsRing[static_cast<std::size_t>(RingIndex(c.ringIndex + 60 + j))];
                    ahead.time = r;
                    if (held != nullptr) {
                        ahead.currLimit = held->currLimit;
                        ahead.voltLimit = held->voltLimit;
                        ahead.output = held->output;
                    }
                }
            }
        }
        if (!c.hoverLock)
            c.cursor = c.elapsedSeconds;
        page.repaints->count = 0;
    }
    c.voltMax = std::max(c.voltMax, s.voltMeas);
    c.currMax = std::max(c.currMax, s.currMeas);
    if (page.programLoaded() || page.recording())
        page.UpdateChart();
}

// The program preview: the plan of the first 180 seconds in the ring, minute means in the
// minutes list, the duration the time of the last step. The page takes it as a loaded program;
// its record and its cursor stay as the test set them.
inline void LoadProgram(DevicePage& page, const std::vector<ChartSample>& program) {
    PageProgram taken{program, {}, "", page.series, 0, 0};
    for (const ChartSample& step : program) {
        taken.voltLimitMax = std::max(taken.voltLimitMax, step.voltLimit);
        taken.currLimitMax = std::max(taken.currLimitMax, step.currLimit);
    }
    taken.plan.duration = program.empty() ? page.chart.programDuration : program.back().time;
    std::vector<ChartSample>& ring = taken.plan.secondsRing;
    std::vector<ChartSample>& minutes = taken.plan.minutesList;
    int curr = 0, volt = 0, out = 0;
    long long currSum = 0, voltSum = 0, outSum = 0;
    for (int t = program.empty() ? 0 : program.front().time; !program.empty() && t <= program.back().time;
         ++t) {
        for (const ChartSample& step : program)
            if (step.time == t) {
                curr = step.currLimit;
                volt = step.voltLimit;
                out = step.output;
            }
        currSum += curr;
        voltSum += volt;
        outSum += out;
        if (t < RING)
            ring.emplace_back(t, curr, volt, out, t == 0 ? page.stampClock() : std::optional<StampTime>());
        if (t % 60 == 59) {
            const ChartSample minute(0, static_cast<int>(currSum / 60), static_cast<int>(voltSum / 60),
                                     outSum > 30 ? 1 : 0, std::nullopt);
            if (minutes.empty())
                minutes.push_back(minute);
            minutes.push_back(minute);
            minutes.back().time = (t + 1) / 60;
            currSum = voltSum = outSum = 0;
        }
    }
    const DeviceState kept = page.state;
    const ChartCursor cursor = page.chart.cursor;
    page.TakeProgram(std::move(taken));
    page.state = kept;
    page.chart.cursor = cursor;
}

// A fresh start of a loaded program: the clocks and the cursor back to 0.
inline void StartProgram(DevicePage& page, const std::vector<ChartSample>& program) {
    LoadProgram(page, program);
    page.chart.cursor = 0;
    page.state.firstSampleCountdown = 3;
}

inline ChartInput InputOf(const DevicePage& page, int width, int height) {
    return {width,
            height,
            page.recording(),
            page.programLoaded(),
            page.secondsRing,
            page.minutesList,
            page.chart,
            page.series,
            {page.state.voltScale, page.state.currScale}};
}

} // namespace rir::chartrig
