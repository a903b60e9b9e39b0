#include "program/ProgramRunner.h"

#include "device/PageControls.h"
#include "program/ProgramPreview.h"

#include <utility>
#include <vector>

namespace rir {

namespace {

// The preview rendered afresh from the page's steps, with the first second stamped now.
ProgramPlan PlanOf(const std::vector<ChartSample>& steps, std::optional<StampTime> start) {
    ProgramPreview preview = BuildProgramPreview(steps, start);
    return {std::move(preview.secondsRing), std::move(preview.minutesList), preview.duration};
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
    if (page.programRunning() && plan != nullptr && plan->output > 0)
        sink.Enqueue(WriteOutputRequest(page.state, TAKE_OUTPUT));
}

} // namespace

void TakeProgram(DevicePage& page, const ProgramLoad& load, std::string_view fileName,
                 PageCommandSink& sink) {
    SeriesSwitches series = page.series;
    load.switches.ApplyTo(series);
    page.TakeProgram({load.steps, PlanOf(load.steps, page.stampClock()), ProgramCaption(fileName, load.title),
                      series, load.voltLimitMax, load.currLimitMax, load.stepCharges, std::string(fileName),
                      load.sha256, load.area});
    page.SendOutputOff(sink);
}

void StartProgram(DevicePage& page, PageCommandSink& sink) {
    if (!page.programLoaded())
        return;
    if (!page.programPaused())
        page.RestartProgram(PlanOf(page.programSteps(), page.stampClock()));
    page.RunProgram(sink);
}

void PauseProgram(DevicePage& page, PageCommandSink& sink) {
    if (!page.programRunning())
        return;
    SwitchOffForStop(page, sink);
    page.HoldProgram();
}

bool PauseProgramForLink(DevicePage& page, std::string_view why, PageCommandSink& sink) {
    if (!page.programRunning())
        return false;
    // The switch-off is queued as on "Пауза"; a lost port's queue is emptied when the port opens
    // again, so nothing of the program reaches the supply before it is identified again.
    PauseProgram(page, sink);
    page.ShowRunStatus(why);
    return true;
}

void CancelProgram(DevicePage& page, PageCommandSink& sink) {
    if (!page.programLoaded())
        return;
    SwitchOffForStop(page, sink);
    page.DropProgram();
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
        if (page.programRunning())
            PauseProgram(page, sink);
        else
            page.SwitchOutputOff(sink);
        return true;
    default:
        return false;
    }
}

} // namespace rir
