// The same reply intake as station_bench, but inside the real main window (offscreen): the
// page's widgets take their new texts, and the log box takes its new text after counting its
// wrapped lines with the box's font and width, as CMainDlg does for every log line.
//
// Arguments: changing = 1 gives every reply new values, 0 repeats one reply; painted = 1 also
// lets the event loop repaint what changed (as it does between two replies on a live bus),
// 0 measures the handler alone.
#include "CMainDlg.h"
#include "LogLineCounter.h"
#include "QtBusNotifier.h"
#include "ReplyFrames.h"
#include "bus/FrameCodec.h"

#include <QApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace rir {
namespace {

constexpr std::size_t FRAME_RING = 1024;
constexpr int WARM_REPLIES = 300;

// The window with its bus thread started on no port (it ends at once): every note below comes
// from the benchmark, which plays the bus thread. No settings file: the defaults, and no save.
struct Window {
    CMainDlg dlg{{"COM1"}, QDir::temp().filePath("rir-window-bench-none/settings.ini").toStdString(), [] {
                     return std::unique_ptr<SerialPort>();
                 }};

    Window() {
        dlg.Initialise();
        // What the bus thread does with the protocol when it opens the port.
        dlg.station().busLink().state().framing = Framing::Rtu;
        dlg.show();
        QApplication::processEvents();
        Reply(IdentifyFrame(), false);
        Reply(ModulesFrame(1, 0), false);
        for (int i = 0; i < WARM_REPLIES; ++i)
            Reply(MeasureFrame(static_cast<std::uint32_t>(i)), false);
        QApplication::processEvents();
    }

    bool Online() {
        const DevicePage* page = dlg.station().FindPage(SUPPLY_ADDRESS, 0);
        return page != nullptr && page->state.online;
    }

    void Note(BusNote note, bool painted) {
        if (painted) {
            QCoreApplication::postEvent(&dlg.runner(), new BusReplyEvent(note));
            QApplication::processEvents();
        } else {
            BusReplyEvent event(note);
            QCoreApplication::sendEvent(&dlg.runner(), &event);
        }
    }

    void Reply(const ReplyFrame& raw, bool painted) {
        {
            std::lock_guard<BusLock> hold(dlg.station().busLink().shared().lock);
            dlg.station().busLink().shared().replyBuffer = raw;
        }
        Note(BusNote::CycleDone, painted);
    }
};

void BM_WindowMeasureReply(benchmark::State& state) {
    const bool changing = state.range(0) != 0;
    const bool painted = state.range(1) != 0;
    Window w;
    if (!w.Online()) {
        state.SkipWithError("the supply did not come online");
        return;
    }
    std::vector<ReplyFrame> ring;
    for (std::uint32_t n = 0; n < (changing ? FRAME_RING : 1); ++n)
        ring.push_back(MeasureFrame(n + 1));
    std::size_t i = 0;
    for (auto _ : state) {
        w.Reply(ring[i], painted);
        i = i + 1 == ring.size() ? 0 : i + 1;
    }
    state.counters["log_px"] = w.dlg.logEdit()->viewport()->width();
}

// The two pieces of the log box's work per line, on a full log: the wrapped-line count the
// trim rule asks for (the whole text laid out in the box's font and width) ...
void BM_LogLineCount(benchmark::State& state) {
    Window w;
    const std::string text = w.dlg.station().log().screenText();
    const QPlainTextEdit* box = w.dlg.logEdit();
    for (auto _ : state)
        benchmark::DoNotOptimize(CountWrappedLines(text, box->font(), box->viewport()->width()));
    state.counters["lines"] = CountCrLfLines(text);
}
BENCHMARK(BM_LogLineCount)->Unit(benchmark::kMicrosecond);

// ... and the box taking the whole text anew, scrolled to its end, as CMainDlg::LogChanged does.
void BM_LogBoxSetText(benchmark::State& state) {
    Window w;
    const std::string text = w.dlg.station().log().screenText();
    QPlainTextEdit* box = w.dlg.logEdit();
    for (auto _ : state) {
        box->setPlainText(QString::fromStdString(text));
        box->verticalScrollBar()->setValue(box->verticalScrollBar()->maximum());
    }
}
BENCHMARK(BM_LogBoxSetText)->Unit(benchmark::kMicrosecond);

void Arguments(benchmark::internal::Benchmark* b) {
    b->ArgNames({"changing", "painted"});
    for (int changing : {1, 0})
        for (int painted : {0, 1})
            b->Args({changing, painted});
    b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_WindowMeasureReply)->Apply(Arguments);

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
