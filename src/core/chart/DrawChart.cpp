#include "chart/ChartCanvas.h"

#include "chart/FixedText.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <utility>

namespace rir {

namespace {

// Full scale of the voltage lies 125 pixels and that of the current 35 pixels below the top,
// so the two curves do not share one height when both run at their maxima.
constexpr double VOLT_FULL_SCALE_TOP = 125.0;
constexpr double CURR_FULL_SCALE_TOP = 35.0;
constexpr double SCALE_TEXT_RISE = 7.0; // half the font's height: the text centred on full scale
constexpr double WHOLE_AMPERES_FROM = 100.0;
constexpr int HOLD_RELEASE_NEAR = 59;
constexpr int HOLD_RELEASE_FAR = 121;
// From this many minutes on the chart shows the split view with its minutes half.
constexpr int MINUTES_FOR_SPLIT = 4;

double ScaleFor(double span, int maximum) {
    return maximum != 0 ? span / maximum : 0.0;
}

void DrawFrameAndAxes(ChartCanvas& c) {
    const int w = c.width;
    const int b = c.timeAxis;
    const int r = c.currAxis;
    const int left = ChartCanvas::AXIS_LEFT;
    const int top = ChartCanvas::AXIS_TOP;
    c.out.scene.items.emplace_back(ChartRectangle{ChartPen::Black, 0, 0, w - 1, c.height});
    c.Line(ChartPen::VoltAxis, {left, b}, {left, top});
    c.Line(ChartPen::VoltAxis, {left, top}, {left - 3, top + 5});
    c.Line(ChartPen::VoltAxis, {left, top}, {left + 3, top + 5});
    c.Line(ChartPen::Black, {left, b}, {w - 18, b});
    c.Line(ChartPen::Black, {w - 18, b}, {w - 23, b - 3});
    c.Line(ChartPen::Black, {w - 18, b}, {w - 23, b + 3});
    c.Line(ChartPen::CurrAxis, {r, b}, {r, top});
    c.Line(ChartPen::CurrAxis, {r, top}, {r - 3, top + 5});
    c.Line(ChartPen::CurrAxis, {r, top}, {r + 3, top + 5});
    c.Text(COLOUR_BLACK, {19, b + 3}, "0");
    c.Text(COLOUR_BLACK, {w - 53, b + 3}, "Время, с");
    c.Text(COLOUR_GREEN, {10, 10}, "Напряжение, В");
    c.Text(COLOUR_RED, {w - 45, 10}, "Ток, А");
}

void DrawScales(ChartCanvas& c) {
    const ChartState& st = c.in.state;
    const SeriesSwitches& on = c.in.series;
    int vmax = 0;
    if (on.voltLimit && st.voltLimitMax >= 1)
        vmax = st.voltLimitMax;
    if (on.voltMeas && st.voltMax > vmax)
        vmax = st.voltMax;
    int imax = 0;
    if (on.currLimit && st.currLimitMax >= 1)
        imax = st.currLimitMax;
    if (on.currMeas && st.currMax > imax)
        imax = st.currMax;
    const double b = c.timeAxis;
    c.voltScaleY = ScaleFor(b - VOLT_FULL_SCALE_TOP, vmax);
    c.currScaleY = ScaleFor(b - CURR_FULL_SCALE_TOP, imax);
    if (vmax >= 1) {
        const double volts = static_cast<double>(vmax) / std::max(c.in.units.voltScale, 1);
        c.Text(COLOUR_GREEN, {3, TruncPixel(b - vmax * c.voltScaleY - SCALE_TEXT_RISE)}, FixedText(volts, 1));
    }
    if (imax >= 1) {
        const double amperes = static_cast<double>(imax) / std::max(c.in.units.currScale, 1);
        c.Text(COLOUR_RED, {c.currAxis + 4, TruncPixel(b - imax * c.currScaleY - SCALE_TEXT_RISE)},
               FixedText(amperes, amperes < WHOLE_AMPERES_FROM ? 1 : 0));
    }
}

// The seconds window as laid out on the chart's width.
struct SecondsPart {
    SecondsWindow window;
    int left = 0;                       // x0
    double perSecond = 0;               // xs
    const ChartSample* first = nullptr; // entry s; null when the ring does not hold it

    int X(int time) const { return TruncPixel((time - first->time) * perSecond + left); }
};

SecondsPart PlaceSeconds(const ChartCanvas& c, bool split) {
    const ChartInput& in = c.in;
    SecondsPart p;
    p.window = PlaceSecondsWindow({split, in.recording, in.programLoaded, in.state.ringIndex,
                                   in.state.elapsedSeconds, in.state.programDuration,
                                   static_cast<int>(in.ring.size())});
    p.left = split ? c.Middle() : ChartCanvas::AXIS_LEFT;
    if (p.window.points > 0) {
        p.perSecond = static_cast<double>(c.currAxis - p.left) / p.window.length;
        p.first = RingEntry(in.ring, p.window.start);
    }
    return p;
}

template <typename YOf>
void StepSeries(ChartCanvas& c, const SecondsPart& p, int count, ChartPen pen, YOf y) {
    if (count < 2)
        return;
    ChartStepLine line{pen, {}};
    line.points.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const ChartSample& e = c.in.ring[static_cast<std::size_t>(WindowEntry(p.window, i))];
        line.points.push_back({p.X(e.time), y(e)});
    }
    c.out.scene.items.emplace_back(std::move(line));
}

template <typename YOf>
void MeasuredSeries(ChartCanvas& c, const SecondsPart& p, int count, bool voltage, YOf y) {
    PenRuns runs(c.out.scene.items);
    int previous = 0;
    for (int i = 0; i < count; ++i) {
        const ChartSample& e = c.in.ring[static_cast<std::size_t>(WindowEntry(p.window, i))];
        const ChartPoint at{p.X(e.time), y(e)};
        if (i == 0) {
            runs.MoveTo(at);
        } else {
            const bool regulated = voltage ? e.voltRegulation : !e.voltRegulation;
            const bool bold = Emphasised(regulated, e.output, previous);
            runs.LineTo(at, voltage ? (bold ? ChartPen::VoltEmphasised : ChartPen::Volt)
                                    : (bold ? ChartPen::CurrEmphasised : ChartPen::Curr));
        }
        previous = e.output;
    }
}

void DrawSecondsPart(ChartCanvas& c, const SecondsPart& p) {
    const ChartInput& in = c.in;
    const ChartState& st = in.state;
    const bool split = c.out.splitView.value_or(false);
    const int b = c.timeAxis;
    const int n = p.window.points;
    const auto entry = [&](int i) -> const ChartSample& {
        return in.ring[static_cast<std::size_t>(WindowEntry(p.window, i))];
    };

    for (int i = 0; i < n; ++i) {
        const int x = p.X(entry(i).time);
        c.Line(ChartPen::Black, {x, b - 1}, {x, b + 2});
    }
    const int stride = ClockMarkStride(p.perSecond);
    for (int i = 0; i < n; ++i) {
        if (const ChartSample& e = entry(i); e.stamp && e.time % stride == 0)
            c.out.clockMarks.push_back({p.X(e.time), *e.stamp});
    }

    const int limitCount = std::clamp(in.recording && !split ? st.elapsedSeconds + 1 : n, 0, n);
    if (in.series.currLimit)
        StepSeries(c, p, limitCount, ChartPen::CurrLimit,
                   [&](const ChartSample& e) { return c.CurrY(e.currLimit); });
    if (in.series.voltLimit)
        StepSeries(c, p, limitCount, ChartPen::VoltLimit,
                   [&](const ChartSample& e) { return c.VoltY(e.voltLimit); });
    if (in.series.output)
        StepSeries(c, p, limitCount, ChartPen::Black, [&](const ChartSample& e) {
            return b - (e.output > 0 ? ChartCanvas::OUTPUT_ON_RISE : ChartCanvas::OUTPUT_OFF_RISE);
        });

    int measured = limitCount;
    if (in.programLoaded) {
        measured = st.elapsedSeconds + 1;
        if (split && st.elapsedSeconds > 40 && p.window.lead >= 0)
            measured = std::min(p.window.lead + 1, 60);
    }
    measured = std::clamp(measured, 0, n);

    if (const ChartSample* latest = RingEntry(in.ring, st.ringIndex))
        c.Line(ChartPen::Progress, {p.left, b + ChartCanvas::PROGRESS_DROP},
               {p.X(latest->time), b + ChartCanvas::PROGRESS_DROP});

    if (in.series.voltMeas)
        MeasuredSeries(c, p, measured, true, [&](const ChartSample& e) { return c.VoltY(e.voltMeas); });
    if (in.series.currMeas)
        MeasuredSeries(c, p, measured, false, [&](const ChartSample& e) { return c.CurrY(e.currMeas); });

    PenRuns band(c.out.scene.items);
    const int y = b + ChartCanvas::BAND_DROP;
    band.MoveTo({p.left, y});
    int previous = 0;
    for (int i = 0; i < measured; ++i) {
        const ChartSample& e = entry(i);
        const ChartPoint at{p.X(e.time), y};
        if (BandRuns(e.output, previous))
            band.LineTo(at, e.voltRegulation ? ChartPen::VoltBand : ChartPen::CurrBand);
        else
            band.MoveTo(at);
        previous = e.output;
    }
}

void DrawSecondsCursor(ChartCanvas& c, const SecondsPart& p) {
    const int entry = static_cast<int>(c.in.state.cursor) % SECONDS_RING_SIZE; // below 1000000
    const ChartSample* sample = RingEntry(c.in.ring, entry);
    if (sample == nullptr || p.first == nullptr)
        return; // a cursor left from an earlier history: nothing to show
    const int x = p.X(sample->time);
    c.Line(ChartPen::Cursor, {x, c.timeAxis}, {x, ChartCanvas::AXIS_TOP});
}

} // namespace

ChartCanvas::ChartCanvas(const ChartInput& in, ChartDrawing& out)
    : in(in), out(out), width(in.width), height(in.height), timeAxis(in.height - 26),
      currAxis(in.width - 30) {}

void ChartCanvas::Line(ChartPen pen, ChartPoint from, ChartPoint to) {
    out.scene.items.emplace_back(ChartLine{pen, from, to});
}

void ChartCanvas::Text(Rgb colour, ChartPoint at, std::string text) {
    out.scene.items.emplace_back(ChartText{colour, at, std::move(text)});
}

void PenRuns::MoveTo(ChartPoint p) {
    Flush();
    at_ = p;
}

void PenRuns::LineTo(ChartPoint p, ChartPen pen) {
    if (!run_.empty() && pen != pen_)
        Flush();
    if (run_.empty()) {
        run_.push_back(at_);
        pen_ = pen;
    }
    run_.push_back(p);
    at_ = p;
}

void PenRuns::Flush() {
    if (run_.size() >= 2)
        items_.emplace_back(ChartPolyline{pen_, std::move(run_)});
    run_.clear();
}

ChartDecisions DecideChart(const ChartInput& in) {
    ChartDecisions d;
    if (!in.recording && !in.programLoaded)
        return d;
    const ChartState& st = in.state;
    const int n = static_cast<int>(in.minutes.size());
    const bool split = st.chartClock > SECONDS_RING_SIZE || n >= MINUTES_FOR_SPLIT;
    d.splitView = split;
    if (n >= MINUTES_FOR_SPLIT)
        d.minutesStep = MinutesStepFor(n);
    if (IsSecondsCursor(st.cursor)) {
        const int v = static_cast<int>(st.cursor);
        // A held cursor that a recording has left a minute or more behind lets go, so the view
        // returns to the latest sample.
        const int behind = std::abs(RingIndex(st.ringIndex) - v);
        if (split && in.recording && behind >= HOLD_RELEASE_NEAR && behind <= HOLD_RELEASE_FAR)
            d.releaseHoverLock = true;
        const int entry = v % SECONDS_RING_SIZE;
        if (const ChartSample* sample = RingEntry(in.ring, entry))
            d.readouts = ComposeReadouts({*sample, CursorKind::Second, entry, in.programLoaded,
                                          st.programDuration, st.chartClock, st.elapsedSeconds, in.units});
    } else if (IsMinuteCursor(st.cursor) && n >= MINUTES_FOR_SPLIT) {
        const int k = MinuteOfCursor(st.cursor);
        if (k < n)
            d.readouts = ComposeReadouts({in.minutes[static_cast<std::size_t>(k)], CursorKind::Minute, k,
                                          in.programLoaded, st.programDuration, st.chartClock,
                                          st.elapsedSeconds, in.units});
    }
    return d;
}

int ClockMarkStride(double pixelsPerSample) {
    static constexpr int STRIDES[] = {1,   2,   5,    10,   15,   30,    60,    120,  300,
                                      600, 900, 1800, 3600, 7200, 14400, 28800, 86400};
    for (int stride : STRIDES) {
        if (stride * pixelsPerSample >= CLOCK_MARK_SPACING)
            return stride;
    }
    return STRIDES[std::size(STRIDES) - 1];
}

ChartDrawing DrawChart(const ChartInput& in) {
    ChartDrawing out;
    out.scene.width = in.width;
    out.scene.height = in.height;
    ChartCanvas c(in, out);
    DrawFrameAndAxes(c);
    if (!in.recording && !in.programLoaded)
        return out;

    static_cast<ChartDecisions&>(out) = DecideChart(in);
    const SecondsPart seconds = PlaceSeconds(c, out.splitView.value_or(false));
    DrawScales(c);
    if (seconds.first != nullptr)
        DrawSecondsPart(c, seconds);
    if (IsSecondsCursor(in.state.cursor))
        DrawSecondsCursor(c, seconds);
    if (in.minutes.size() >= static_cast<std::size_t>(MINUTES_FOR_SPLIT))
        DrawMinutesHalf(c);
    return out;
}

} // namespace rir
