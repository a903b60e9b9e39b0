// The device page's chart: what it shows decided as its histories move on, drawing it as the
// page's state stands, the pointer and its hold on the cursor, the series check boxes and
// clearing a recording.
#include "device/DevicePage.h"

#include "chart/ChartPicture.h"
#include "chart/DrawChart.h"
#include "device/PageControls.h"
#include "device/PageTexts.h"

#include <climits>
#include <string_view>
#include <utility>

namespace rir {

namespace {

// The switch of a series box, by its id; nullptr for any other control.
bool* SwitchOf(SeriesSwitches& s, int id) {
    switch (id) {
    case IDC_SERIES_VOLT:
        return &s.voltMeas;
    case IDC_SERIES_VOLT_LIMIT:
        return &s.voltLimit;
    case IDC_SERIES_CURR:
        return &s.currMeas;
    case IDC_SERIES_CURR_LIMIT:
        return &s.currLimit;
    case IDC_SERIES_OUTPUT:
        return &s.output;
    default:
        return nullptr;
    }
}

} // namespace

ChartInput DevicePage::ChartInputOf(int width, int height) const {
    return {width,           height,      recording(),
            programLoaded(), secondsRing, minutesList,
            chart,           series,      {state.voltScale, state.currScale}};
}

ChartScene DevicePage::chartScene(int width, int height) const {
    return DrawChart(ChartInputOf(width, height)).scene;
}

ChartScene DevicePage::chartPicture(int width, int height) const {
    ChartDrawing d = DrawChart(ChartInputOf(width, height));
    return ChartPictureScene(d.scene, SupplyCaption(state.address, state.channel), LocalDate(stampClock()),
                             std::move(d.clockMarks));
}

void DevicePage::CountChartDrawing() {
    // Live data counts the drawings until the next sample; an idle chart never limits the
    // pointer.
    if (recording() || (programLoaded() && state.outputOn)) {
        if (repaints->count < INT_MAX)
            ++repaints->count;
    } else {
        repaints->count = 0;
    }
}

void DevicePage::UpdateChart() {
    // While the button is held on a sample, the cursor follows the pointer as the window
    // scrolls under it.
    if (chart.dragFlag && pointer_)
        PointChart(pointer_->x, pointer_->y, pointer_->area);
    DecideChart();
    chartInvalidated_ = true;
}

void DevicePage::DecideChart() {
    const ChartDecisions d = rir::DecideChart(ChartInputOf(0, 0));
    if (d.splitView)
        chart.splitView = *d.splitView;
    if (d.minutesStep)
        chart.minutesStep = *d.minutesStep;
    if (d.releaseHoverLock)
        chart.hoverLock = false;
    if (d.readouts) {
        SetTextIfChanged(IDC_READOUT_LIMITS, d.readouts->limits);
        SetTextIfChanged(IDC_READOUT_VALUES, d.readouts->values);
    }
}

bool DevicePage::PointChart(int x, int y, const ChartArea& area) {
    pointer_ = PointerAt{x, y, area};
    const ChartCursor previous = chart.cursor;
    const HitResult r = HitTestChart(
        {x, y, area, recording(), programLoaded(), secondsRing, static_cast<int>(minutesList.size()), chart});
    chart.cursor = r.cursor;
    chart.hoverLock = r.hoverLock;
    if (r.windowStart)
        SetTextIfChanged(IDC_DIAGNOSTIC, "wf_start=" + std::to_string(*r.windowStart));
    return chart.cursor != previous;
}

void DevicePage::OnChartPointer(int x, int y, const ChartArea& area) {
    // Between two samples of live data the pointer's repaints are limited; what it pointed at
    // is shown with the next drawing.
    if (PointChart(x, y, area) && repaints->HoverMayRepaint()) {
        DecideChart();
        chartInvalidated_ = true;
    }
}

void DevicePage::OnChartButtonDown() {
    if (chart.hoverLock)
        chart.dragFlag = true;
}

void DevicePage::OnChartButtonUp() {
    chart.dragFlag = false;
}

void DevicePage::OnSeriesBox(int id, bool checked) {
    // By id: the caption is the view's text, not the page's state.
    bool* on = SwitchOf(series, id);
    if (on == nullptr)
        return;
    *on = checked;
    UpdateChart();
}

void DevicePage::ShowSeriesSwitches() {
    view.SetChecked(IDC_SERIES_VOLT, series.voltMeas);
    view.SetChecked(IDC_SERIES_VOLT_LIMIT, series.voltLimit);
    view.SetChecked(IDC_SERIES_CURR, series.currMeas);
    view.SetChecked(IDC_SERIES_CURR_LIMIT, series.currLimit);
    view.SetChecked(IDC_SERIES_OUTPUT, series.output);
}

bool DevicePage::OnChartCommand(int id) {
    if (id != IDC_CLEAR_CHART)
        return false;
    ClearChart();
    return true;
}

void DevicePage::ClearChart() {
    // Only a recording whose output is off can be cleared: an output that is on is still being
    // recorded, and a program's chart is its plan.
    if (state.outputOn || !recording())
        return;
    run_ = PageRun::Idle;
    secondsRing.clear();
    minutesList.clear();
    view.SetEnabled(IDC_CLEAR_CHART, false);
    SetTextIfChanged(IDC_READOUT_VALUES, "");
    SetTextIfChanged(IDC_READOUT_LIMITS, "");
    chart.cursor = CURSOR_NONE;
    chart.elapsedSeconds = 0;
    chart.chartClock = 0;
    chart.secondsStep = 1;
    chart.splitView = false;
    UpdateChart();
}

} // namespace rir
