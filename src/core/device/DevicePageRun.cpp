// Where the page's run stands and how it moves: a loaded program taken, started afresh, run,
// held and given up. The recording's start is DevicePageRecording.cpp, the end of a program
// DevicePageTick.cpp; the operator's buttons and what goes to the supply on them are the
// program runner's.
#include "device/DevicePage.h"

#include <utility>

namespace rir {

void DevicePage::TakeProgram(PageProgram program) {
    run_ = PageRun::Idle;
    chart.voltLimitMax = program.voltLimitMax;
    chart.currLimitMax = program.currLimitMax;
    chart.voltMax = 0;
    chart.currMax = 0;
    programSteps_ = std::move(program.steps);
    programCharges_ = std::move(program.charges);
    programFileName_ = std::move(program.fileName);
    programSha256_ = std::move(program.sha256);
    programArea_ = program.area;
    series = program.series;
    ShowSeriesSwitches();
    secondsRing = std::move(program.plan.secondsRing);
    minutesList = std::move(program.plan.minutesList);
    chart.programDuration = program.plan.duration;
    programCaption_ = std::move(program.caption);
    ShowRunStatus("");
    chart.elapsedSeconds = 0;
    chart.ringIndex = 0;
    chart.chartClock = 0;
    // The readouts beside the chart describe the plan's first second until the start.
    chart.cursor = 0;
    BeginChargeRun();
    run_ = PageRun::Loaded;
    UpdateControls();
    UpdateChart();
}

void DevicePage::RestartProgram(ProgramPlan plan) {
    if (!programLoaded() || programPaused())
        return;
    secondsRing = std::move(plan.secondsRing);
    minutesList = std::move(plan.minutesList);
    chart.programDuration = plan.duration;
    const bool ranBefore = chart.elapsedSeconds != 0;
    chart.elapsedSeconds = 0;
    chart.ringIndex = 0;
    chart.chartClock = 0;
    chart.cursor = 0;
    BeginChargeRun();
    ++runNumber_;
    ShowRunStatus("");
    if (ranBefore)
        UpdateChart();
}

void DevicePage::RunProgram(PageCommandSink& sink) {
    if (!programLoaded())
        return;
    ShowRunStatus("");
    SendPlannedValues(sink);
    run_ = PageRun::Running;
    UpdateControls();
    state.firstSampleCountdown = FIRST_SAMPLE_REFRESHES;
}

void DevicePage::HoldProgram() {
    if (!programRunning())
        return;
    run_ = PageRun::Paused;
    UpdateControls();
}

void DevicePage::DropProgram() {
    if (!programLoaded())
        return;
    // The memory goes with the program: a month of one-second steps is hundreds of megabytes,
    // and a station that runs for weeks must not keep every cancelled program's share of it.
    std::vector<ChartSample>().swap(secondsRing);
    std::vector<ChartSample>().swap(minutesList);
    std::vector<ChartSample>().swap(programSteps_);
    std::vector<std::optional<int>>().swap(programCharges_);
    std::vector<ChartSample>().swap(runSteps_);
    chart.cursor = CURSOR_NONE;
    chart.elapsedSeconds = 0;
    chart.chartClock = 0;
    run_ = PageRun::Idle;
    chart.secondsStep = 1;
    chart.splitView = false;
    UpdateControls();
}

} // namespace rir
