#include "program/ProgramRunner.h"

#include "device/PageControls.h"
#include "program/ProgramPreview.h"

#include <utility>
#include <vector>

namespace rir {

namespace {

void ShowPreview(DevicePage& page) {
    ProgramPreview preview = BuildProgramPreview(page.programSteps, page.stampClock());
    page.secondsRing = std::move(preview.secondsRing);
    page.minutesList = std::move(preview.minutesList);
    page.chart.programDuration = preview.duration;
}

// The output off when the supply reports it on, and also when the present second plans it on:
// the request that switches it on may still be on its way, and a supply that went on after the
// pause would stay on unattended. A supply that does not answer reports nothing: it is switched
// off whatever its plan.
void SwitchOffForStop(DevicePage& page, PageCommandSink& sink) {
    if (page.state.outputOn || !page.state.online) {
        page.SwitchOutputOff(sink);
        return;
    }
    const ChartSample* plan = RingEntry(page.secondsRing, page.chart.ringIndex);
    const bool running = page.programStarted && !page.programPaused;
    if (running && plan != nullptr && plan->output > 0)
        sink.Enqueue(WriteOutputRequest(page.state, TAKE_OUTPUT));
}

} // namespace

void TakeProgram(DevicePage& page, const ProgramLoad& load, std::string_view fileName,
                 PageCommandSink& sink) {
    page.tickTimerRunning = false;
    page.recording = false;
    page.chart.voltLimitMax = load.voltLimitMax;
    page.chart.currLimitMax = load.currLimitMax;
    page.chart.voltMax = 0;
    page.chart.currMax = 0;
    page.programSteps = load.steps;
    load.switches.ApplyTo(page.series);
    page.ShowSeriesSwitches();
    ShowPreview(page);
    page.programCaption = ProgramCaption(fileName, load.title);
    page.ShowRunStatus("");
    page.SendOutputOff(sink);
    page.chart.elapsedSeconds = 0;
    page.chart.ringIndex = 0;
    page.chart.chartClock = 0;
    // The readouts beside the chart describe the plan's first second until the start.
    page.chart.cursor = 0;
    page.programLoaded = true;
    page.programStarted = false;
    page.programPaused = false;
    page.UpdateControls();
    page.InvalidateChart();
}

void StartProgram(DevicePage& page, PageCommandSink& sink) {
    if (!page.programLoaded)
        return;
    if (!page.programPaused) {
        ShowPreview(page);
        const bool ranBefore = page.chart.elapsedSeconds != 0;
        page.chart.elapsedSeconds = 0;
        page.chart.ringIndex = 0;
        page.chart.chartClock = 0;
        page.chart.cursor = 0;
        ++page.runNumber;
        page.ShowRunStatus("");
        if (ranBefore)
            page.InvalidateChart();
    }
    page.ShowRunStatus("");
    page.SendPlannedValues(sink);
    page.tickTimerRunning = true;
    page.programPaused = false;
    page.programStarted = true;
    page.UpdateControls();
    page.state.firstSampleCountdown = FIRST_SAMPLE_REFRESHES;
}

void PauseProgram(DevicePage& page, PageCommandSink& sink) {
    if (!page.programLoaded || page.programPaused || !page.programStarted)
        return;
    SwitchOffForStop(page, sink);
    page.tickTimerRunning = false;
    page.programPaused = true;
    page.UpdateControls();
}

bool PauseProgramForLink(DevicePage& page, std::string_view why, PageCommandSink& sink) {
    if (!page.programLoaded || page.programPaused || !page.programStarted)
        return false;
    // The switch-off is queued as on "Пауза"; a lost port's queue is emptied when the port opens
    // again, so nothing of the program reaches the supply before it is identified again.
    PauseProgram(page, sink);
    page.ShowRunStatus(why);
    return true;
}

void CancelProgram(DevicePage& page, PageCommandSink& sink) {
    if (!page.programLoaded)
        return;
    SwitchOffForStop(page, sink);
    page.tickTimerRunning = false;
    // The memory goes with the program: a month of one-second steps is hundreds of megabytes,
    // and a station that runs for weeks must not keep every cancelled program's share of it.
    std::vector<ChartSample>().swap(page.secondsRing);
    std::vector<ChartSample>().swap(page.minutesList);
    std::vector<ChartSample>().swap(page.programSteps);
    page.chart.cursor = CURSOR_NONE;
    page.chart.elapsedSeconds = 0;
    page.chart.chartClock = 0;
    page.programLoaded = false;
    page.programPaused = false;
    page.programStarted = false;
    page.chart.secondsStep = 1;
    page.chart.splitView = false;
    page.UpdateControls();
}

bool RunProgramButton(DevicePage& page, int id, PageCommandSink& sink) {
    switch (id) {
    case IDC_PROGRAM_START:
        StartProgram(page, sink);
        return true;
    case IDC_PROGRAM_PAUSE:
        PauseProgram(page, sink);
        return true;
    case IDC_PROGRAM_CANCEL:
        CancelProgram(page, sink);
        return true;
    case IDC_OUTPUT_BUTTON:
        if (page.programStarted && !page.programPaused)
            PauseProgram(page, sink);
        else
            page.SwitchOutputOff(sink);
        return true;
    default:
        return false;
    }
}

} // namespace rir
