// The station without a window: a StationHost run by the Qt Core runner on rir-sim's line, as
// the headless station runs it. Nothing here touches a widget.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>
#include <fstream>

#include "QtSerialPort.h"
#include "ScratchDir.h"
#include "SimProcess.h"
#include "StationRunner.h"
#include "TempDir.h"
#include "app/StationHost.h"
#include "bus/FrameCodec.h"
#include "device/Requests.h"
#include "text/Cp1251.h"

namespace rir {
namespace {

// Nobody at a window: every question is answered "Нет", every box only kept.
class NoFace : public Prompts, public StationListener {
public:
    std::vector<std::string> messages;
    void Message(const std::string& text) override { messages.push_back(text); }
    bool Ask(const std::string&) override { return false; }
    std::optional<int> AskAddress(int) override { return std::nullopt; }
    std::optional<ModuleSetupValues> RunModuleSetup(const ModuleSetupValues&) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseProgramFile() override { return std::nullopt; }
    std::optional<std::string> ChooseSaveFile(const std::string&) override { return std::nullopt; }
    std::optional<NetworkPortFields> AskNetworkPort(const NetworkPortFields&) override { return std::nullopt; }
    void PageAdded(DevicePage&) override {}
    void PageRemoved(DevicePage&) override {}
    void PageChanged(DevicePage&) override {}
    void TabsChanged() override {}
    void MenuChanged() override {}
    void LogChanged() override {}
    void LayoutChanged() override {}
};

// Runs the event loop until `done` holds; false after a deadline a loaded machine keeps.
template <typename Pred> bool RunUntil(Pred done, int ms = 60000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

TEST(StationHostE2E, PollReplyAndALimitGivenAsAValueReachTheSupply) {
    test::SimProcess sim({"--device", "15:2:1"}, test::SimProcess::Requests::Seen);
    ASSERT_TRUE(sim.running()) << sim.error();
    test::ScratchDir scratch;
    const std::filesystem::path settings = scratch.dir / "rir-station.INI";
    NoFace face;
    StationHost host({sim.path()}, settings, face, face);
    StationRunner runner(host, [] { return std::make_unique<QtSerialPort>(); });
    ASSERT_TRUE(runner.Start());
    const auto online = [&] {
        const DevicePage* page = host.station().FindPage(FIRST_RUN_ADDRESS, 0);
        return page != nullptr && page->state.online;
    };
    ASSERT_TRUE(RunUntil(online)) << "polled, answered, and the reply taken";

    const OperationResult result = host.station().SetLimits(FIRST_RUN_ADDRESS, 0, LimitAmount{12, 500}, {});
    EXPECT_TRUE(result.ok()) << result.error;
    // 12.50 V at scale 100 taken; the current as the edit holds the supply's 10.00 A, not taken.
    const std::vector<int> expected{FIRST_RUN_ADDRESS, FC_CONTROL, TAKE_VOLT_LIMIT, 0x04, 0xE2, 0x03, 0xE8};
    EXPECT_TRUE(RunUntil([&] {
        const auto seen = sim.requests();
        return std::find(seen.begin(), seen.end(), expected) != seen.end();
    }));
    EXPECT_TRUE(RunUntil([&] {
        return host.station().FindPage(FIRST_RUN_ADDRESS, 0)->state.voltLimit == 1250;
    })) << "the supply's next reply carries the limit it took";

    runner.Close(host.restored().window, Station::CloseReason::Signal);
    EXPECT_TRUE(host.closed());
    EXPECT_NE(test::ReadBytes(settings).find("Port=" + sim.path()), std::string::npos)
        << "saved at the close";
    EXPECT_TRUE(face.messages.empty());
}

#ifdef RIR_STATION_PATH
// rir-station as a process: it refuses settings without a supply, and otherwise polls until
// SIGTERM closes it the way the window's close does.
TEST(StationHostE2E, HeadlessStationRefusesEmptySettingsAndClosesOnSigterm) {
    test::ScratchDir scratch;
    const std::filesystem::path settings = scratch.dir / "rir-station.INI";
    const auto run = [&](QProcess& station) {
        station.setWorkingDirectory(QString::fromStdString(scratch.dir.string()));
        station.start(QStringLiteral(RIR_STATION_PATH),
                      {QStringLiteral("--config"), QString::fromStdString(settings.string())});
        return station.waitForStarted(30000);
    };
    std::ofstream(settings, std::ios::binary) << "[RIR Control RS485]\r\nPort=/dev/null\r\nTabs=0\r\n";
    QProcess refused;
    ASSERT_TRUE(run(refused));
    ASSERT_TRUE(refused.waitForFinished(30000));
    EXPECT_EQ(refused.exitCode(), 1);
    EXPECT_EQ(refused.readAllStandardError().toStdString(),
              FillIn(HEADLESS_NO_SUPPLY, {settings.string()}) + "\n");

    test::SimProcess sim({"--device", "15:2:1"}, test::SimProcess::Requests::Seen);
    ASSERT_TRUE(sim.running()) << sim.error();
    std::ofstream(settings, std::ios::binary)
        << "[RIR Control RS485]\r\nPort=" << sim.path()
        << "\r\nLogToFile=1\r\nMyKey=kept\r\nTabs=1\r\n[Tab_01]\r\nName=#15\r\nId=15\r\n";
    QProcess station;
    ASSERT_TRUE(run(station));
    EXPECT_TRUE(RunUntil([&] { return !sim.requests().empty(); })) << "it polls the supply";
    station.terminate(); // SIGTERM
    ASSERT_TRUE(station.waitForFinished(30000));
    EXPECT_EQ(station.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(station.exitCode(), 0);
    const std::string ini = test::ReadBytes(settings);
    EXPECT_NE(ini.find("MyKey=kept"), std::string::npos) << "saved, unknown keys kept";
    EXPECT_NE(ini.find("FastPoll=0"), std::string::npos) << "written at the close";
    const std::string log = test::ReadBytes(scratch.dir / std::string(LOG_FILE_NAME));
    EXPECT_NE(log.find(Utf8ToCp1251("Выход из программы\r\n")), std::string::npos) << "the log closed";
}
#endif

} // namespace
} // namespace rir
