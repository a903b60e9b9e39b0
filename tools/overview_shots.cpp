// The line overview for the README, as an operator sees it: the station on rir-sim with eight
// supplies, every output switched on from its page, supply #3 falling silent 20 s after the
// simulator's start. Saves overview.png (and the main window, station-alarm.png) into the folder
// given. Run under xvfb-run: overview_shots docs
#include "CMainDlg.h"
#include "COverviewWnd.h"
#include "QtSerialPort.h"
#include "SimProcess.h"
#include "device/PageControls.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QThread>

#include <cstdio>
#include <fstream>

namespace {

bool WaitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(20);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: overview_shots RIR_SIM FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[2]);
    std::vector<std::string> args;
    std::string ini = "[RIR Control RS485]\r\nProtocol=ASCII\r\nSpeed=9600\r\nTabs=8\r\nActiveTab=3\r\n";
    for (int a = 1; a <= 8; ++a) {
        args.insert(args.end(), {"--device", std::to_string(a) + ":2:" + (a % 2 == 0 ? "1" : "0")});
        ini += "[Tab_0" + std::to_string(a) + "]\r\nName=#" + std::to_string(a) +
               "\r\nId=" + std::to_string(a) + "\r\n";
    }
    args.insert(args.end(), {"--at", "20:3:silent", "--load", "4:2"});
    rir::test::SimProcess sim(argv[1], args);
    if (!sim.running()) {
        std::fprintf(stderr, "rir-sim: %s\n", sim.error().c_str());
        return 1;
    }
    const std::string settings = QDir::temp().filePath("rir-overview-shots.INI").toStdString();
    std::ofstream(settings, std::ios::binary) << ini;
    rir::CMainDlg window({sim.path()}, settings, [] { return std::make_unique<rir::QtSerialPort>(); });
    if (!window.Initialise())
        return 1;
    window.ShowRestored();
    rir::Station& station = window.station();
    const auto allOnline = [&] {
        for (const auto& p : station.pages())
            if (!p->state.online)
                return false;
        return true;
    };
    if (!WaitFor(allOnline, 60000))
        return 1;
    for (const auto& p : station.pages())
        station.OnPageCommand(p->state.address, p->state.channel, rir::IDC_OUTPUT_BUTTON);
    const auto alarm = [&] {
        const rir::AlarmMonitor* m = station.AlarmsOf(3, 0);
        return m != nullptr && m->active();
    };
    if (!WaitFor(alarm, 90000))
        return 1;
    window.ShowOverview();
    window.overview()->resize(4 * (rir::OVERVIEW_TILE_WIDTH + rir::OVERVIEW_GAP) + 40,
                              2 * (rir::OVERVIEW_TILE_HEIGHT + rir::OVERVIEW_GAP) + 70);
    WaitFor([] { return false; }, 2500); // a second's update, painted
    window.overview()->grab().save(folder + QStringLiteral("/overview.png"));
    window.grab().save(folder + QStringLiteral("/station-alarm.png"));
    window.close();
    return 0;
}
