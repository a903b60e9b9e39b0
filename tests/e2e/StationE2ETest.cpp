// The whole station, window included, offscreen against rir-sim.
#include <gtest/gtest.h>

#include "TempDir.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "CDevicePage.h"
#include "CMainDlg.h"
#include "QtSerialPort.h"
#include "ScratchDir.h"
#include "ScriptedPty.h"
#include "SimProcess.h"
#include "TabControl.h"
#include "device/PageControls.h"
#include "text/Cp1251.h"

namespace rir {
namespace {

namespace fs = std::filesystem;

using test::ScratchDir;

template <typename Pred> bool WaitFor(Pred done, int ms = 30000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

using test::ReadBytes;

std::unique_ptr<CMainDlg> OpenStation(const std::string& port, const fs::path& settings) {
    auto window = std::make_unique<CMainDlg>(std::vector<std::string>{port}, settings,
                                             [] { return std::make_unique<QtSerialPort>(); });
    return window;
}

// The real adapter, its opening attempts counted: the tests wait for the bus thread to have
// tried again, not for a time.
class CountingPort : public SerialPort {
public:
    explicit CountingPort(std::atomic<int>& opens) : opens_(opens) {}
    bool Open(const std::string& path) override {
        ++opens_;
        return port_.Open(path);
    }
    void Configure(const LineSettings& settings) override { port_.Configure(settings); }
    void SetReadTimeout(int totalMs, int intervalMs) override { port_.SetReadTimeout(totalMs, intervalMs); }
    ReadResult ReadByte() override { return port_.ReadByte(); }
    bool WriteBytes(std::uint32_t value, int count) override { return port_.WriteBytes(value, count); }
    bool WriteFrame(std::span<const std::uint8_t> frame, std::size_t checksumBytes) override {
        return port_.WriteFrame(frame, checksumBytes);
    }
    void ExpectValues(std::size_t count) override { port_.ExpectValues(count); }
    void DiscardInput(std::chrono::microseconds quiet) override { port_.DiscardInput(quiet); }
    void Close() override { port_.Close(); }
    PortError lastError() const override { return port_.lastError(); }

private:
    QtSerialPort port_;
    std::atomic<int>& opens_;
};

// The log file's lines without their time stamps.
std::vector<std::string> LogFileLines(const fs::path& file) {
    const std::string text = Cp1251ToUtf8(ReadBytes(file));
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find("\r\n", start), text.size());
        const std::string line = text.substr(start, end - start);
        lines.push_back(line.size() > 9 ? line.substr(9) : line);
        start = end + 2;
    }
    return lines;
}

std::size_t CountStartingWith(const std::vector<std::string>& lines, const std::string& head) {
    return static_cast<std::size_t>(
        std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(head); }));
}

bool LogHas(CMainDlg& w, const QString& text) {
    w.ApplyLog();
    return w.logEdit()->toPlainText().contains(text);
}

TEST(StationE2E, FirstRunPollsAddress15AndSavesOnClose) {
    ScratchDir scratch;
    test::SimProcess sim({"--device", "15:2:1"});
    const fs::path settings = scratch.dir / "rir-controller.INI";
    {
        auto window = OpenStation(sim.path(), settings);
        ASSERT_TRUE(window->Initialise());
        window->show();
        ASSERT_TRUE(WaitFor([&] { return LogHas(*window, QStringLiteral("Отправили в порт:  15 65 1")); }));
        ASSERT_TRUE(WaitFor([&] { return window->station().FindPage(15, 0)->state.online; }));
        EXPECT_EQ(window->tabControl()->tabText(0), QStringLiteral("#15"));
        window->close();
    }
    const std::string ini = ReadBytes(settings);
    EXPECT_NE(ini.find("[RIR Control RS485]"), std::string::npos);
    EXPECT_NE(ini.find("Port=" + sim.path()), std::string::npos);
    EXPECT_NE(ini.find("Protocol=ASCII"), std::string::npos);
    EXPECT_NE(ini.find("Tabs=1"), std::string::npos);
    EXPECT_NE(ini.find("[Tab_01]"), std::string::npos);
    EXPECT_NE(ini.find("Name=#15"), std::string::npos);
    EXPECT_FALSE(fs::exists(scratch.dir / "zadida.txt")) << "logging to file is off on a first run";

    // Switch logging to file on in the settings: the next run writes the log file.
    {
        std::string edited = ini;
        edited.replace(edited.find("LogToFile=0"), 11, "LogToFile=1");
        std::ofstream(settings, std::ios::binary) << edited;
    }
    {
        auto window = OpenStation(sim.path(), settings);
        ASSERT_TRUE(window->Initialise());
        window->show();
        ASSERT_TRUE(WaitFor([&] { return window->station().FindPage(15, 0)->state.online; }));
        window->close();
    }
    const std::string log = Cp1251ToUtf8(ReadBytes(scratch.dir / "zadida.txt"));
    ASSERT_GE(log.size(), 20u);
    EXPECT_EQ(log.substr(9, log.find("\r\n") - 9), "Старт программы");
    const std::size_t lastStart = log.rfind("\r\n", log.size() - 3) + 2;
    EXPECT_EQ(log.substr(lastStart + 9), "Выход из программы\r\n");
    EXPECT_NE(log.find("Считали 13 байт от устройства #15 (ф. 65)"), std::string::npos);
}

TEST(StationE2E, PagesShowTheirSuppliesAndGreyWhenTheyFallSilent) {
    ScratchDir scratch;
    auto sim = std::make_unique<test::SimProcess>(
        std::vector<std::string>{"--framing", "rtu", "--device", "15:2:1", "--device", "20:3:6"});
    const fs::path settings = scratch.dir / "rir-controller.INI";
    std::ofstream(settings) << "[RIR Control RS485]\r\nProtocol=RTU\r\nTabs=3\r\nActiveTab=1\r\n"
                            << "[Tab_01]\r\nName=#15\r\nId=15\r\n[Tab_02]\r\nName=#20\r\nId=20\r\n"
                            << "[Tab_03]\r\nName=#33\r\nId=33\r\n";
    auto window = OpenStation(sim->path(), settings);
    ASSERT_TRUE(window->Initialise());
    window->show();
    Station& station = window->station();
    ASSERT_TRUE(WaitFor([&] {
        return station.FindPage(15, 0)->state.online && station.FindPage(20, 0)->state.online &&
               station.FindPage(20, 1) != nullptr && station.FindPage(20, 1)->state.online;
    }));
    const DevicePage& p15 = *station.FindPage(15, 0);
    EXPECT_EQ(p15.view.text(IDC_DESCRIPTION_GROUP), "#15  RIR 37V 14A timer/ampere");
    EXPECT_EQ(p15.view.text(IDC_VOLT_READING).find(" вольт") != std::string::npos, true);
    EXPECT_EQ(p15.view.text(IDC_LINE1_LABEL), "Секундомер:");
    EXPECT_TRUE(p15.view.shown(IDC_LINE1_LABEL));
    EXPECT_EQ(p15.view.text(IDC_LINE2_VALUE).find("А*час") != std::string::npos, true);
    const DevicePage& p20 = *station.FindPage(20, 0);
    EXPECT_EQ(p20.view.text(IDC_DESCRIPTION_GROUP), "#20  RIR Prof 40V 300A Reverse(канал А)");
    EXPECT_EQ(window->tabControl()->count(), 4);
    EXPECT_EQ(window->tabControl()->tabText(3), QStringLiteral("#20_2"));
    EXPECT_FALSE(station.FindPage(33, 0)->state.online);
    // The widgets show what the page's view state says.
    CDevicePage* view15 = window->viewOf(&p15);
    ASSERT_NE(view15, nullptr);
    EXPECT_TRUE(view15->isVisible());

    // The supply that is not there is counted as missing, and its page stays grey.
    ASSERT_TRUE(WaitFor([&] { return station.link().misses >= MISSES_TO_DISCONNECT; }));
    EXPECT_FALSE(station.FindPage(33, 0)->state.online);

    sim.reset(); // the line goes dead with every supply on it
    ASSERT_TRUE(WaitFor([&] {
        return station.link().portAway && !station.FindPage(15, 0)->state.online &&
               !station.FindPage(20, 0)->state.online && !station.FindPage(20, 1)->state.online;
    }));
    EXPECT_EQ(p15.view.text(IDC_OUTPUT_STATE), "-");
    EXPECT_FALSE(p15.view.shown(IDC_LINE1_LABEL));
    EXPECT_NE(station.statusText().find("Порт недоступен"), std::string::npos) << station.statusText();
    window->close();
}

// A supply on a point-to-point line, its second channel's tab selected, answering every
// request with module data that has no second channel: the channel-B page goes, the station
// stays up and keeps polling.
TEST(StationE2E, Rs232ModuleDataRemovesTheSelectedChannelBPage) {
    ScratchDir scratch;
    test::ScriptedPty pty({0x44, 0x00});
    ASSERT_TRUE(pty.ok());
    const fs::path settings = scratch.dir / "rir-controller.INI";
    std::ofstream(settings) << "[RIR Control RS485]\r\nProtocol=RS232\r\nTabs=2\r\nActiveTab=2\r\n"
                            << "[Tab_01]\r\nName=#5\r\nId=5\r\n[Tab_02]\r\nName=#5_2\r\nId=5\r\n";
    auto window = OpenStation(pty.path(), settings);
    ASSERT_TRUE(window->Initialise());
    window->show();
    Station& station = window->station();
    ASSERT_EQ(window->tabControl()->count(), 2);
    ASSERT_EQ(station.SelectedPage(), station.FindPage(5, 1));
    ASSERT_TRUE(WaitFor([&] { return station.FindPage(5, 1) == nullptr; }));
    EXPECT_EQ(window->tabControl()->count(), 1);
    EXPECT_EQ(station.SelectedPage(), station.FindPage(5, 0));
    const int seen = pty.requests();
    ASSERT_TRUE(WaitFor([&] { return pty.requests() >= seen + 3; })) << "the station keeps polling";
    window->close();
}

// The settings of a station on `port` in MODBUS-RTU, logging to the file, with `addresses`.
void WriteSettings(const fs::path& file, const std::string& port, const std::vector<int>& addresses) {
    std::ofstream out(file, std::ios::binary);
    out << "[RIR Control RS485]\r\nPort=" << port
        << "\r\nProtocol=RTU\r\nLogToFile=1\r\nTabs=" << addresses.size() << "\r\nActiveTab=1\r\n";
    for (std::size_t i = 0; i < addresses.size(); ++i)
        out << "[Tab_0" << i + 1 << "]\r\nName=#" << addresses[i] << "\r\nId=" << addresses[i] << "\r\n";
}

// The adapter pulled while the station polls, and plugged back in at the same path.
TEST(StationE2E, ALostPortIsSaidOnceNothingIsSentWhileItIsAwayAndPollingResumesWhenItIsBack) {
    ScratchDir scratch;
    const std::string link = (scratch.dir / "rir-link").string();
    const std::vector<std::string> simArgs{"--framing", "rtu",    "--device", "15:2:1",
                                           "--device",  "20:3:6", "--link",   link};
    auto sim = std::make_unique<test::SimProcess>(simArgs);
    ASSERT_TRUE(sim->running()) << sim->error();
    const fs::path settings = scratch.dir / "rir-controller.INI";
    WriteSettings(settings, link, {15, 20});
    std::atomic<int> opens{0};
    auto window = std::make_unique<CMainDlg>(std::vector<std::string>{link}, settings,
                                             [&opens] { return std::make_unique<CountingPort>(opens); });
    ASSERT_TRUE(window->Initialise());
    window->show();
    Station& station = window->station();
    auto allOffline = [&] {
        for (const auto& page : station.pages()) {
            if (page->state.online)
                return false;
        }
        return true;
    };
    ASSERT_TRUE(WaitFor(
        [&] { return station.FindPage(15, 0)->state.online && station.FindPage(20, 0)->state.online; }));

    sim->Stop();
    fs::remove(link); // gone with its adapter (the simulator removes its own; this makes sure)
    ASSERT_TRUE(WaitFor([&] { return station.link().portAway && allOffline(); }));
    const int opensWhenLost = opens;
    ASSERT_TRUE(WaitFor([&] { return opens >= opensWhenLost + 2; })) << "tried again while away";
    EXPECT_NE(station.statusText().find("Порт недоступен"), std::string::npos) << station.statusText();

    sim = std::make_unique<test::SimProcess>(simArgs);
    ASSERT_TRUE(sim->running()) << sim->error();
    // Within one retry pause and the settling after opening; 3 s leave room on a loaded machine.
    EXPECT_TRUE(
        WaitFor([&] { return station.link().portOpen && station.busLink().state().requestsSent > 0; }, 3000))
        << "polling did not resume within 3 s of the port's return";
    ASSERT_TRUE(WaitFor(
        [&] { return station.FindPage(15, 0)->state.online && station.FindPage(20, 0)->state.online; }));
    window->close();
    window.reset();

    const std::vector<std::string> lines = LogFileLines(scratch.dir / "zadida.txt");
    const std::string lostHead = "Порт " + link + " потерян: устройство отключено или не отвечает";
    EXPECT_EQ(CountStartingWith(lines, lostHead), 1u);
    const std::string back = "Порт " + link + " снова доступен, опрос продолжается";
    EXPECT_EQ(std::count(lines.begin(), lines.end(), back), 1);
    EXPECT_EQ(CountStartingWith(lines, "Порт " + link + " не открывается"), 0u) << "the loss said it all";
    const auto lost = std::find_if(lines.begin(), lines.end(),
                                   [&](const std::string& l) { return l.starts_with(lostHead); });
    const auto returned = std::find(lines.begin(), lines.end(), back);
    ASSERT_LT(lost, returned);
    for (auto it = lost + 1; it != returned; ++it)
        ADD_FAILURE() << "while the port was away: " << *it;
    ASSERT_NE(returned + 1, lines.end());
    // Whichever supply comes first, it is asked who it is.
    const std::string& first = *(returned + 1);
    EXPECT_TRUE(first.starts_with("Отправили в порт:  15 65 1 ") ||
                first.starts_with("Отправили в порт:  20 65 1 "))
        << first;
}

// A port that is not there at start-up: said once, tried every second, polled once it appears.
TEST(StationE2E, AMissingPortIsSaidOnceAndPolledWhenItAppears) {
    ScratchDir scratch;
    const std::string link = (scratch.dir / "later").string();
    const fs::path settings = scratch.dir / "rir-controller.INI";
    WriteSettings(settings, link, {15});
    std::atomic<int> opens{0};
    auto window = std::make_unique<CMainDlg>(std::vector<std::string>{link}, settings,
                                             [&opens] { return std::make_unique<CountingPort>(opens); });
    ASSERT_TRUE(window->Initialise());
    window->show();
    Station& station = window->station();
    ASSERT_TRUE(WaitFor([&] { return station.link().portAway && opens >= 3; }));
    EXPECT_EQ(station.busLink().state().requestsSent.load(), 0);

    test::SimProcess sim({"--framing", "rtu", "--device", "15:2:1", "--link", link});
    ASSERT_TRUE(sim.running()) << sim.error();
    ASSERT_TRUE(WaitFor([&] { return station.FindPage(15, 0)->state.online; }));
    window->close();
    window.reset();

    const std::vector<std::string> lines = LogFileLines(scratch.dir / "zadida.txt");
    const std::string refused =
        "Порт " + link +
        " не открывается: порт не найден (No such file or directory). Повторяем попытки раз в секунду";
    EXPECT_EQ(std::count(lines.begin(), lines.end(), refused), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Порт " + link + " снова доступен, опрос продолжается"),
              1);
}

} // namespace
} // namespace rir
