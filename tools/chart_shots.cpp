// Screenshots of the device page's chart for the README: the real page widget (CDevicePage
// with its chart widget) over histories filled by hand, as a recording and a program would
// fill them. Nothing talks to a supply; the supply's measurements come from a small load model.
//
//   chart_shots OUTPUT_DIR      writes chart-recording.png, chart-program-preview.png and
//                               chart-program-running.png
#include "CDevicePage.h"
#include "ChartRig.h"
#include "device/PageControls.h"
#include "device/Ratings.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>

#include <cmath>
#include <cstdio>

namespace {

using namespace rir;
using namespace rir::chartrig;

// A model-2 supply rated 39 V / 15 A, both in hundredths, with no modules, online.
void BringOnline(DevicePage& page, int address) {
    page.InitDevice(address, 0);
    page.state.model = 2;
    page.state.voltMax = 3900;
    page.state.voltScale = 100;
    page.state.currMax = 1500;
    page.state.currScale = 100;
    page.RefreshView(RefreshCode::Values, PollState::Identified);
    page.state.moduleConfig = CONFIG_NONE;
    page.RefreshView(RefreshCode::Layout, PollState::Unknown);
    page.state.status = 0x00;
    page.RefreshView(RefreshCode::Values, PollState::Complete);
}

// The supply on a resistive load of `ohms`: voltage regulation while the current limit allows
// the voltage limit, current regulation beyond.
void Measure(DevicePage& page, double ohms, int t) {
    DeviceState& s = page.state;
    if (!s.outputOn) {
        s.voltMeas = s.currMeas = 0;
        return;
    }
    const double ripple = 0.996 + 0.003 * std::sin(t * 0.7);
    const double volts = s.voltLimit / 100.0;
    const double amps = s.currLimit / 100.0;
    s.voltRegulation = volts / ohms <= amps;
    const double u = (s.voltRegulation ? volts : amps * ohms) * ripple;
    s.voltMeas = static_cast<int>(u * 100);
    s.currMeas = static_cast<int>(u / ohms * 100);
}

void Apply(CDevicePage& view, DevicePage& page) {
    page.RefreshView(RefreshCode::Values, PollState::Complete);
    view.applyView();
    for (int i = 0; i < 3; ++i) { // paint, apply the readouts, paint again
        view.grab();
        QApplication::processEvents();
    }
}

bool Save(CDevicePage& view, const QString& path) {
    const bool ok = view.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", path.toLocal8Bit().constData());
    return ok;
}

// Four minutes of a recording by hand: 15 V, 10 A limits on a load that grows heavier; the
// current limit lowered to 6 A after two minutes (current regulation from then on), and the
// output off twice, for most of the third minute and for 15 seconds in the last one.
bool Recording(const QString& dir) {
    DevicePage page;
    CDevicePage view(page);
    view.applyLayout(195, 115, 0);
    BringOnline(page, 15);
    page.state.voltLimit = 1500;
    page.state.currLimit = 1000;
    StartRecording(page);
    page.UpdateControls();
    for (int t = 1; t <= 240; ++t) {
        if (t == 120)
            page.state.currLimit = 600;
        page.state.outputOn = !(t >= 130 && t < 166) && !(t >= 200 && t < 215);
        Measure(page, 2.5 - 1.5 * t / 240.0, t);
        Tick(page);
    }
    page.state.status = 0x01 | (page.state.voltRegulation ? 0 : 0x02);
    Apply(view, page);
    return Save(view, dir + "/chart-recording.png");
}

std::vector<ChartSample> Program() {
    const struct {
        int t, amps, volts, on;
    } rows[] = {{0, 200, 1200, 1},    {60, 500, 1200, 1},   {180, 800, 1400, 1}, {300, 400, 1400, 1},
                {420, 1000, 1500, 1}, {480, 1000, 1500, 0}, {510, 300, 1000, 1}, {600, 0, 0, 0}};
    std::vector<ChartSample> steps;
    for (const auto& r : rows)
        steps.emplace_back(r.t, r.amps, r.volts, r.on, std::nullopt);
    return steps;
}

void LoadedProgramPage(DevicePage& page, CDevicePage& view, const std::vector<ChartSample>& program) {
    view.applyLayout(195, 115, 0);
    BringOnline(page, 20);
    LoadProgram(page, program);
    page.SetTextIfChanged(IDC_PROGRAM_CAPTION, "Файл-задача: anodizing.csv # Анодирование, 10 минут");
    page.UpdateControls();
}

bool ProgramPreview(const QString& dir) {
    DevicePage page;
    CDevicePage view(page);
    LoadedProgramPage(page, view, Program());
    page.chart.cursor = 0;
    Apply(view, page);
    return Save(view, dir + "/chart-program-preview.png");
}

// The same program at 200 s, the supply following its plan on a 1.6 Ω load.
bool ProgramRunning(const QString& dir) {
    const std::vector<ChartSample> program = Program();
    DevicePage page;
    CDevicePage view(page);
    LoadedProgramPage(page, view, program);
    StartProgram(page, program);
    // The pictures show what the station draws; what it would send goes nowhere.
    struct : PageCommandSink {
        bool Enqueue(const Request&) override { return true; }
        std::optional<ModuleSetupValues> RunModuleSetup(const ModuleSetupValues&) override {
            return std::nullopt;
        }
    } nowhere;
    page.RunProgram(nowhere);
    page.UpdateControls();
    for (int t = 1; t <= 200; ++t) {
        const ChartSample& plan = page.secondsRing[static_cast<std::size_t>(RingIndex(t))];
        page.state.voltLimit = plan.voltLimit;
        page.state.currLimit = plan.currLimit;
        page.state.outputOn = plan.output > 0;
        Measure(page, 1.6, t);
        Tick(page, program);
    }
    page.state.status = 0x01 | (page.state.voltRegulation ? 0 : 0x02);
    Apply(view, page);
    return Save(view, dir + "/chart-program-running.png");
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(dir);
    const bool ok = Recording(dir) && ProgramPreview(dir) && ProgramRunning(dir);
    return ok ? 0 : 1;
}
