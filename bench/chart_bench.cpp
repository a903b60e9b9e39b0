// The chart's cost for a long run: building the primitive list (core, pure) and replaying it
// into the off-screen image at 1000 × 300 (Qt, offscreen), for a full seconds ring with a week
// (10,080) or a year (525,600) of minute entries.
#include "ChartPainter.h"
#include "ChartRig.h"

#include <QApplication>

#include <algorithm>
#include <map>
#include <memory>

#include <benchmark/benchmark.h>

namespace {

using namespace rir;
using namespace rir::chartrig;

constexpr int WIDTH = 1000;
constexpr int HEIGHT = 300;
constexpr int WEEK = 7 * 24 * 60;
constexpr int YEAR = 365 * 24 * 60;

// A recording that has run for `minutes` minutes: a full ring of varied seconds and one entry
// per minute, output switched off now and then, the regulation changing with the load.
DevicePage& Recorded(int minutes) {
    static std::map<int, std::unique_ptr<DevicePage>> pages;
    std::unique_ptr<DevicePage>& page = pages[minutes];
    if (page)
        return *page;
    page = std::make_unique<DevicePage>();
    DevicePage& p = *page;
    Identify(p);
    BeginRecording(p);
    p.secondsRing.clear();
    const auto fill = [](ChartSample& e, int t) {
        e.currLimit = 1000 + (t / 600 % 5) * 100;
        e.voltLimit = 1500;
        e.output = t % 997 < 900 ? 1 : 0;
        e.voltMeas = e.output ? 1200 + t % 37 : 0;
        e.currMeas = e.output ? 800 + t % 53 : 0;
        e.voltRegulation = t / 300 % 2 == 0;
    };
    const int clock = minutes * 60;
    for (int i = 0; i < RING; ++i) {
        const int t = clock - RING + 1 + i;
        ChartSample e(t, 0, 0, 0, std::nullopt);
        fill(e, t);
        p.secondsRing.push_back(e);
    }
    // Ring entry k holds the second whose number is k mod 180.
    std::rotate(p.secondsRing.begin(), p.secondsRing.begin() + RING - (clock - RING + 1) % RING,
                p.secondsRing.end());
    for (int m = 0; m < minutes; ++m) {
        ChartSample e(m, 0, 0, 0, std::nullopt);
        fill(e, m * 60);
        p.minutesList.push_back(e);
    }
    p.chart.elapsedSeconds = p.chart.chartClock = clock;
    p.chart.ringIndex = clock % RING;
    p.chart.cursor = clock;
    p.chart.voltLimitMax = 1500;
    p.chart.currLimitMax = 1400;
    p.chart.voltMax = 1240;
    p.chart.currMax = 860;
    return p;
}

void BuildList(benchmark::State& state) {
    const DevicePage& page = Recorded(static_cast<int>(state.range(0)));
    std::size_t items = 0;
    for (auto _ : state) {
        ChartDrawing d = DrawChart(InputOf(page, WIDTH, HEIGHT));
        items = d.scene.items.size();
        benchmark::DoNotOptimize(d);
    }
    state.counters["primitives"] = static_cast<double>(items);
}

void Paint(benchmark::State& state) {
    const DevicePage& page = Recorded(static_cast<int>(state.range(0)));
    const ChartScene scene = DrawChart(InputOf(page, WIDTH, HEIGHT)).scene;
    const ChartPainter painter;
    QImage image(WIDTH, HEIGHT, QImage::Format_RGB32);
    for (auto _ : state) {
        painter.Paint(image, scene);
        benchmark::DoNotOptimize(image.constBits());
    }
}

// What one repaint of the page's chart costs: the page's drawing (list, counters) and the
// replay.
void PaintChartWhole(benchmark::State& state) {
    DevicePage& page = Recorded(static_cast<int>(state.range(0)));
    const ChartPainter painter;
    QImage image(WIDTH, HEIGHT, QImage::Format_RGB32);
    for (auto _ : state) {
        const ChartScene scene = page.chartScene(WIDTH, HEIGHT);
        page.CountChartDrawing();
        painter.Paint(image, scene);
        benchmark::DoNotOptimize(image.constBits());
    }
}

BENCHMARK(BuildList)->Arg(4)->Arg(WEEK)->Arg(YEAR)->Unit(benchmark::kMicrosecond);
BENCHMARK(Paint)->Arg(4)->Arg(WEEK)->Arg(YEAR)->Unit(benchmark::kMicrosecond);
BENCHMARK(PaintChartWhole)->Arg(WEEK)->Arg(YEAR)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
