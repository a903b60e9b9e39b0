// The line overview with 254 tiles (127 supplies, each with its channel B): one full update, as
// the station's second brings it when every supply's values moved on. The core's part (the
// tiles' texts and revisions) and the window's (copying every tile onto its widgets), offscreen;
// painted = 1 also lets the event loop paint the window.
#include "COverviewWnd.h"
#include "app/LineOverview.h"
#include "device/DevicePage.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace rir {
namespace {

constexpr int SUPPLIES = 127;

struct Line {
    std::vector<std::unique_ptr<DevicePage>> pages;
    LineOverview overview;
    int round = 0;

    Line() {
        for (int address = 1; address <= SUPPLIES; ++address) {
            for (int channel : {0, 1}) {
                auto page = std::make_unique<DevicePage>();
                page->InitDevice(address, channel);
                DeviceState& s = page->state;
                s.online = true;
                s.outputOn = true;
                s.voltScale = s.currScale = 100;
                s.voltLimit = 1500;
                s.currLimit = 1000;
                pages.push_back(std::move(page));
            }
        }
    }
    // Every supply's measurements move on, as after a second of polling.
    void NextSecond() {
        ++round;
        for (const auto& page : pages) {
            page->state.voltMeas = 1200 + round % 50;
            page->state.currMeas = 800 + round % 30;
        }
    }
    void Update() {
        overview.Update(pages, 0, [](const DevicePage&) -> const AlarmMonitor* { return nullptr; });
    }
};

void BM_OverviewTiles(benchmark::State& state) {
    Line line;
    for (auto _ : state) {
        line.NextSecond();
        line.Update();
    }
    state.counters["tiles"] = static_cast<double>(line.overview.tiles().size());
}
BENCHMARK(BM_OverviewTiles)->Unit(benchmark::kMicrosecond);

void BM_OverviewWindowUpdate(benchmark::State& state) {
    const bool painted = state.range(0) == 1;
    Line line;
    COverviewWnd window;
    window.resize(1900, 1000);
    line.NextSecond();
    line.Update();
    window.applyOverview(line.overview);
    window.show();
    QApplication::processEvents();
    for (auto _ : state) {
        line.NextSecond();
        line.Update();
        window.applyOverview(line.overview);
        if (painted)
            window.repaint();
    }
    state.counters["tiles"] = window.tileCount();
}
BENCHMARK(BM_OverviewWindowUpdate)->ArgName("painted")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace rir

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
