// What the parts of the chart drawing share: the geometry of one drawing and the builders of
// its primitives. Used by the drawing's own sources only.
#pragma once

#include "chart/DrawChart.h"
#include "chart/SecondsWindow.h"

namespace rir {

struct ChartCanvas {
    ChartCanvas(const ChartInput& in, ChartDrawing& out);

    // y of a raw voltage and a raw current.
    int VoltY(int raw) const { return TruncPixel(timeAxis - raw * voltScaleY); }
    int CurrY(int raw) const { return TruncPixel(timeAxis - raw * currScaleY); }
    // Middle of the axis, where the split view divides minutes from seconds.
    int Middle() const { return (currAxis - AXIS_LEFT) / 2 + AXIS_LEFT; }

    void Line(ChartPen pen, ChartPoint from, ChartPoint to);
    void Text(Rgb colour, ChartPoint at, std::string text);

    static constexpr int AXIS_LEFT = 25; // x of the voltage axis
    static constexpr int AXIS_TOP = 25;  // y of the arrow tips
    static constexpr int OUTPUT_ON_RISE = 14;
    static constexpr int OUTPUT_OFF_RISE = 6;
    static constexpr int PROGRESS_DROP = 19;
    static constexpr int BAND_DROP = 22;

    const ChartInput& in;
    ChartDrawing& out;
    int width;
    int height;
    int timeAxis; // B
    int currAxis; // R
    double voltScaleY = 0.0;
    double currScaleY = 0.0;
};

// A polyline whose segments may change pens: each run of segments with one pen becomes one
// polyline; a move ends the run.
class PenRuns {
public:
    explicit PenRuns(std::vector<ChartPrimitive>& items) : items_(items) {}
    ~PenRuns() { Flush(); }
    PenRuns(const PenRuns&) = delete;
    PenRuns& operator=(const PenRuns&) = delete;

    void MoveTo(ChartPoint p);
    void LineTo(ChartPoint p, ChartPen pen);
    void Flush();

private:
    std::vector<ChartPrimitive>& items_;
    std::vector<ChartPoint> run_;
    ChartPen pen_ = ChartPen::Black;
    ChartPoint at_;
};

// The measured curves' pen rule: a segment is emphasised when it reaches a sample, on or off,
// of the regulated quantity from a sample with the output on.
inline bool Emphasised(bool regulated, int output, int previousOutput) {
    return regulated && (output == 0 || output == 1) && previousOutput == 1;
}

// The stabilisation band runs from a sample with the output on to the next, on or off.
inline bool BandRuns(int output, int previousOutput) {
    return previousOutput == 1 && (output == 0 || output == 1);
}

void DrawMinutesHalf(ChartCanvas& c);

} // namespace rir
