// The minutes half of the split view: the whole recording or program, one entry per minute,
// squeezed into the left half of the axis.
#include "chart/ChartCanvas.h"

#include <algorithm>

namespace rir {

namespace {

// The entries a loop visits: 0, step, 2 × step, ... below count. A bent walk also visits the
// last entry when the stride would jump past it, so the trace reaches the end of the history.
template <typename Visit> void Walk(int count, int step, bool bent, Visit visit) {
    for (int j = 0; j < count;) {
        visit(j);
        if (bent && j + step > count && j != count - 1)
            j = count - 1;
        else
            j += step;
    }
}

struct MinutesPart {
    const std::vector<ChartSample>& list;
    int count;
    int step;
    double perMinute; // ms

    int X(const ChartSample& e) const { return TruncPixel(e.time * perMinute + 25.0); }
    int XOfIndex(int j) const { return TruncPixel(j * perMinute + 25.0); }
    const ChartSample& operator[](int j) const { return list[static_cast<std::size_t>(j)]; }
};

void DrawDivider(ChartCanvas& c, int mid) {
    const int b = c.timeAxis;
    const int y = ChartCanvas::AXIS_TOP;
    c.Line(ChartPen::Black, {mid, b}, {mid, 15});
    c.Line(ChartPen::Black, {mid, y}, {mid - 100, y});
    c.Line(ChartPen::Black, {mid - 100, y}, {mid - 95, y - 3});
    c.Line(ChartPen::Black, {mid - 100, y}, {mid - 95, y + 3});
    c.Line(ChartPen::Black, {mid, y}, {mid + 200, y});
    c.Line(ChartPen::Black, {mid + 200, y}, {mid + 195, y - 3});
    c.Line(ChartPen::Black, {mid + 200, y}, {mid + 195, y + 3});
    c.Text(COLOUR_BLACK, {mid - 70, 10}, "Минуты");
    c.Text(COLOUR_BLACK, {mid + 30, 10}, "последние 60 секунд");
}

template <typename YOf> void LimitSeries(ChartCanvas& c, const MinutesPart& m, ChartPen pen, YOf y) {
    ChartPolyline line{pen, {}};
    line.points.reserve(static_cast<std::size_t>(m.count) / static_cast<std::size_t>(m.step) + 1);
    Walk(m.count, m.step, false, [&](int j) { line.points.push_back({m.X(m[j]), y(m[j])}); });
    if (line.points.size() >= 2)
        c.out.scene.items.emplace_back(std::move(line));
}

void OutputTrace(ChartCanvas& c, const MinutesPart& m) {
    const int b = c.timeAxis;
    ChartStepLine line{ChartPen::Black, {}};
    line.points.reserve(static_cast<std::size_t>(m.count) / static_cast<std::size_t>(m.step) + 2);
    Walk(m.count, m.step, true, [&](int j) {
        const int y = b - (m[j].output > 0 ? ChartCanvas::OUTPUT_ON_RISE : ChartCanvas::OUTPUT_OFF_RISE);
        if (line.points.empty())
            line.points.push_back({ChartCanvas::AXIS_LEFT, y});
        line.points.push_back({m.X(m[j]), y});
    });
    c.out.scene.items.emplace_back(std::move(line));
}

template <typename YOf>
void MeasuredSeries(ChartCanvas& c, const MinutesPart& m, int count, bool voltage, YOf y) {
    PenRuns runs(c.out.scene.items);
    int previous = m[0].output;
    bool first = true;
    Walk(count, m.step, false, [&](int j) {
        const ChartSample& e = m[j];
        const ChartPoint at{m.X(e), y(e)};
        if (first) {
            runs.MoveTo(at);
            first = false;
        } else {
            const bool regulated = voltage ? e.voltRegulation : !e.voltRegulation;
            const bool bold = Emphasised(regulated, e.output, previous);
            runs.LineTo(at, voltage ? (bold ? ChartPen::VoltEmphasised : ChartPen::Volt)
                                    : (bold ? ChartPen::CurrEmphasised : ChartPen::Curr));
        }
        previous = e.output;
    });
}

void Band(ChartCanvas& c, const MinutesPart& m, int count) {
    PenRuns band(c.out.scene.items);
    const int y = c.timeAxis + ChartCanvas::BAND_DROP;
    band.MoveTo({ChartCanvas::AXIS_LEFT, y});
    int previous = 1;
    // Bent like the output trace: with a long stride the band would otherwise stop up to a
    // stride short of the present minute.
    Walk(count, m.step, true, [&](int j) {
        const ChartSample& e = m[j];
        const ChartPoint at{m.X(e), y};
        if (BandRuns(e.output, previous))
            band.LineTo(at, e.voltRegulation ? ChartPen::VoltBand : ChartPen::CurrBand);
        else
            band.MoveTo(at);
        previous = e.output;
    });
}

} // namespace

int MinutesStepFor(int entries) {
    constexpr struct {
        int from;
        int step;
    } STEPS[] = {{3201, 64}, {1601, 32}, {801, 16}, {401, 8}, {201, 4}, {101, 2}};
    for (const auto& s : STEPS)
        if (entries >= s.from)
            return s.step;
    return 1;
}

void DrawMinutesHalf(ChartCanvas& c) {
    const ChartInput& in = c.in;
    const ChartState& st = in.state;
    const int b = c.timeAxis;
    const int mid = c.Middle();
    const int half = mid - ChartCanvas::AXIS_LEFT;
    const int n = static_cast<int>(in.minutes.size());
    DrawDivider(c, mid);

    const MinutesPart m{in.minutes, n, MinutesStepFor(n), static_cast<double>(half) / (n - 1)};

    Walk(n, m.step, false, [&](int j) {
        const int x = m.XOfIndex(j);
        c.Line(ChartPen::Black, {x, b - 1}, {x, b + 2});
    });
    // Minutes of the past carry their stamps; the plan ahead has none.
    const int stride = ClockMarkStride(m.perMinute);
    for (int j = 0; j < n; j += stride) {
        if (m[j].stamp)
            c.out.clockMarks.push_back({m.X(m[j]), *m[j].stamp});
    }
    if (in.series.currLimit)
        LimitSeries(c, m, ChartPen::CurrLimit, [&](const ChartSample& e) { return c.CurrY(e.currLimit); });
    if (in.series.voltLimit)
        LimitSeries(c, m, ChartPen::VoltLimit, [&](const ChartSample& e) { return c.VoltY(e.voltLimit); });
    if (in.series.output)
        OutputTrace(c, m);

    const int present = std::max(st.elapsedSeconds, 0) / SECONDS_PER_MINUTE;
    const int progressY = b + ChartCanvas::PROGRESS_DROP;
    if (in.programLoaded) {
        if (present < n)
            c.Line(ChartPen::Progress, {ChartCanvas::AXIS_LEFT, progressY}, {m.X(m[present]), progressY});
    } else {
        c.Line(ChartPen::Progress, {ChartCanvas::AXIS_LEFT, progressY}, {mid, progressY});
    }

    const int measured = std::min(present + 1, n);
    if (in.series.voltMeas)
        MeasuredSeries(c, m, measured, true, [&](const ChartSample& e) { return c.VoltY(e.voltMeas); });
    if (in.series.currMeas)
        MeasuredSeries(c, m, measured, false, [&](const ChartSample& e) { return c.CurrY(e.currMeas); });
    Band(c, m, measured);

    if (IsMinuteCursor(st.cursor)) {
        const int k = MinuteOfCursor(st.cursor);
        if (k < n) {
            const int x = m.XOfIndex(k);
            c.Line(ChartPen::Cursor, {x, b}, {x, ChartCanvas::AXIS_TOP});
        }
    }
}

} // namespace rir
