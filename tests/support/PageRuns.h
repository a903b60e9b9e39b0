// A page put into each of its run states by its own operations: a recording started, a short
// program taken, run and held, as the station's commands would.
#pragma once

#include "device/DevicePage.h"
#include "program/ProgramPreview.h"

#include <utility>
#include <vector>

namespace rir::test {

// Takes what the page sends and drops it.
struct DiscardSink : PageCommandSink {
    bool Enqueue(const Request& /*request*/) override { return true; }
    std::optional<ModuleSetupValues> RunModuleSetup(const ModuleSetupValues& /*given*/) override {
        return std::nullopt;
    }
};

// 90 seconds at 12 V and 1 A with the output on, off at the end.
inline std::vector<ChartSample> ShortProgram() {
    return {ChartSample(0, 100, 1200, 1, std::nullopt), ChartSample(90, 100, 1200, 0, std::nullopt)};
}

// The page takes `steps` as a loaded file would give them, previewed as the runner previews them.
// `charges` gives the steps that end by charge (thousandths of an A·h), one entry per step.
inline void TakeSteps(DevicePage& page, const std::vector<ChartSample>& steps,
                      std::vector<std::optional<int>> charges = {}) {
    ProgramPreview preview = BuildProgramPreview(steps, page.stampClock());
    PageProgram program{steps,
                        {std::move(preview.secondsRing), std::move(preview.minutesList), preview.duration},
                        "Файл-задача: test.csv",
                        page.series,
                        0,
                        0,
                        std::move(charges)};
    for (const ChartSample& s : steps) {
        program.voltLimitMax = std::max(program.voltLimitMax, s.voltLimit);
        program.currLimitMax = std::max(program.currLimitMax, s.currLimit);
    }
    page.TakeProgram(std::move(program));
}

// From an idle page to `run`; a program's requests are dropped.
inline void EnterRun(DevicePage& page, PageRun run) {
    DiscardSink sink;
    switch (run) {
    case PageRun::Idle:
        return;
    case PageRun::Recording:
        page.StartRecording();
        return;
    case PageRun::Loaded:
    case PageRun::Running:
    case PageRun::Paused:
        TakeSteps(page, ShortProgram());
        if (run != PageRun::Loaded)
            page.RunProgram(sink);
        if (run == PageRun::Paused)
            page.HoldProgram();
        return;
    }
}

} // namespace rir::test
