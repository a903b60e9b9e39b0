// A program run on the real window against rir-sim: chosen in the file dialog, started, driven
// second by second by the page's tick, and the supply takes each step when its second comes.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>

#include "FileDialogStep.h"
#include "ModalWatcher.h"
#include "StationWindowTest.h"
#include "device/PageControls.h"
#include "text/Cp1251.h"

namespace rir {
namespace {

using StationProgramE2E = test::StationWindowTest;
using test::STATE_DEADLINE_MS;

struct Step {
    int time;
    int currLimit; // raw, scale 100
    int voltLimit;
    bool on;
};

TEST_F(StationProgramE2E, ASeventySecondProgramReachesTheSupplyStepByStep) {
    const std::vector<Step> plan = {
        {0, 100, 1200, true}, {20, 200, 1200, true}, {40, 200, 1500, true}, {69, 50, 1000, false}};
    std::string csv = Utf8ToCp1251("#Проверка;;;\r\nВремя;Ток;Напряжение;Вкл\r\n;;;\r\n");
    for (const Step& s : plan)
        csv += std::to_string(s.time) + ";" + std::to_string(s.currLimit / 100) + "," +
               std::to_string(s.currLimit % 100) + ";" + std::to_string(s.voltLimit / 100) + ";" +
               (s.on ? "1" : "0") + "\r\n";
    const std::string path = (scratch.dir / "seventy.csv").string();
    std::ofstream(path, std::ios::binary) << csv;

    sim = std::make_unique<test::SimProcess>(std::vector<std::string>{"--device", "15:2:1"});
    Open();
    ASSERT_TRUE(WaitFor([&] { return Online(15); }, STATE_DEADLINE_MS));
    const DevicePage& page = *Page(15);

    std::vector<SeenMessage> messages;
    ModalWatcher watcher({ChooseFile(path), ReadMessage(messages)});
    Click(15, IDC_OPEN_PROGRAM);
    ASSERT_TRUE(WaitFor([&] { return page.programLoaded(); }, STATE_DEADLINE_MS)) << watcher.unexpected();
    EXPECT_EQ(WidgetText(15, IDC_PROGRAM_CAPTION), QString::fromUtf8("Файл-задача: seventy.csv # Проверка"));
    EXPECT_TRUE(messages.empty()) << "a clean file shows no report";

    // What the supply reports at each second of the run, as the page sees it.
    std::map<int, Step> reported;
    Click(15, IDC_PROGRAM_START);
    EXPECT_FALSE(Control(15, IDC_PROGRAM_START)->isEnabled());
    ASSERT_TRUE(WaitFor(
        [&] {
            reported[page.chart.elapsedSeconds] = {page.chart.elapsedSeconds, page.state.currLimit,
                                                   page.state.voltLimit, page.state.outputOn};
            return !messages.empty();
        },
        plan.back().time * 1000 + STATE_DEADLINE_MS))
        << watcher.unexpected();
    EXPECT_EQ(messages[0].text, "#15 - Работа по файлу закончена!");
    EXPECT_EQ(page.chart.elapsedSeconds, plan.back().time);
    EXPECT_FALSE(page.programStarted());
    EXPECT_TRUE(page.programLoaded());

    // Each step is in force from a few seconds after its time until the next step is sent: the
    // supply took it when its second came, and not before.
    constexpr int TAKE_SECONDS = 3;
    for (std::size_t k = 0; k + 1 < plan.size(); ++k) {
        const Step& s = plan[k];
        for (int t = s.time + TAKE_SECONDS; t < plan[k + 1].time; ++t) {
            if (!reported.count(t))
                continue;
            const Step& r = reported.at(t);
            EXPECT_EQ(r.currLimit, s.currLimit) << "second " << t;
            EXPECT_EQ(r.voltLimit, s.voltLimit) << "second " << t;
            EXPECT_EQ(r.on, s.on) << "second " << t;
        }
    }
    ASSERT_TRUE(
        WaitFor([&] { return page.state.currLimit == 50 && !page.state.outputOn; }, STATE_DEADLINE_MS))
        << "the last step reaches the supply";
    EXPECT_GE(reported.size(), 60u) << "the page ticked second by second";
    window->close();
}

TEST_F(StationProgramE2E, AnEndMessageLeftOpenHoldsUpNoOtherProgram) {
    // #20 runs a three-second program and ends; its end message stays open while #15's ramp goes
    // on: each of its steps must reach the supply in its own second, not in a burst on OK.
    const auto write = [this](const std::string& name, const std::vector<Step>& plan) {
        std::string csv = Utf8ToCp1251("Время;Ток;Напряжение;Вкл\r\n");
        for (const Step& s : plan)
            csv += std::to_string(s.time) + ";" + std::to_string(s.currLimit / 100) + "," +
                   std::to_string(s.currLimit % 100) + ";" + std::to_string(s.voltLimit / 100) + ";" +
                   (s.on ? "1" : "0") + "\r\n";
        const std::string path = (scratch.dir / name).string();
        std::ofstream(path, std::ios::binary) << csv;
        return path;
    };
    const std::vector<Step> ramp = {{0, 100, 1200, true},  {4, 200, 1200, true},  {8, 300, 1200, true},
                                    {12, 400, 1200, true}, {16, 500, 1200, true}, {20, 500, 1200, false}};
    const std::string rampFile = write("ramp.csv", ramp);
    const std::string shortFile = write("short.csv", {{0, 100, 1000, true}, {3, 100, 1000, false}});

    sim = std::make_unique<test::SimProcess>(
        std::vector<std::string>{"--device", "15:2:1", "--device", "20:2:1"});
    Open("[RIR Control "
         "RS485]\r\nTabs=2\r\n[Tab_01]\r\nName=#15\r\nId=15\r\n[Tab_02]\r\nName=#20\r\nId=20\r\n");
    ASSERT_TRUE(WaitFor([&] { return Online(15) && Online(20); }, STATE_DEADLINE_MS));
    const DevicePage& page15 = *Page(15);
    const DevicePage& page20 = *Page(20);

    // The step the ramp's supply reported, by second of the ramp, while #20's message was open.
    std::map<int, int> whileOpen;
    bool open = false;
    std::vector<SeenMessage> messages;
    const ModalWatcher::Step holdOpen = [&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        messages.push_back({"", box->text().toStdString(), box->icon(), box->standardButtons()});
        open = true;
        auto* timer = new QTimer(box);
        const auto since = std::chrono::steady_clock::now();
        QObject::connect(timer, &QTimer::timeout, box, [&, box, since] {
            whileOpen[page15.chart.elapsedSeconds] = page15.state.currLimit;
            // The ramp's last current, or long past it: a held-up ramp must fail, not hang.
            if (page15.state.currLimit == 500 ||
                std::chrono::steady_clock::now() - since > std::chrono::seconds(40)) {
                open = false;
                box->button(QMessageBox::Ok)->click();
            }
        });
        timer->start(20);
    };
    ModalWatcher watcher({ChooseFile(shortFile), ChooseFile(rampFile), holdOpen});
    Click(20, IDC_OPEN_PROGRAM);
    ASSERT_TRUE(WaitFor([&] { return page20.programLoaded(); }, STATE_DEADLINE_MS)) << watcher.unexpected();
    Click(15, IDC_OPEN_PROGRAM);
    ASSERT_TRUE(WaitFor([&] { return page15.programLoaded(); }, STATE_DEADLINE_MS)) << watcher.unexpected();
    Click(15, IDC_PROGRAM_START);
    Click(20, IDC_PROGRAM_START);
    ASSERT_TRUE(WaitFor([&] { return !messages.empty() && !open; }, 30000 + STATE_DEADLINE_MS))
        << watcher.unexpected();
    EXPECT_EQ(messages[0].text, "#20 - Работа по файлу закончена!");
    // While the box was open the ramp went on: its supply took 2, 3 and 4 A each a few seconds
    // after their second (never all at once after OK, which would leave them out of the map).
    constexpr int TAKE_SECONDS = 3;
    for (std::size_t k = 1; k + 2 < ramp.size(); ++k) {
        const auto taken = std::find_if(whileOpen.begin(), whileOpen.end(),
                                        [&](const auto& seen) { return seen.second == ramp[k].currLimit; });
        ASSERT_NE(taken, whileOpen.end()) << ramp[k].currLimit << " never seen while the box was open, at "
                                          << page15.chart.elapsedSeconds << " s of the ramp";
        EXPECT_GE(taken->first, ramp[k].time) << ramp[k].currLimit;
        EXPECT_LE(taken->first, ramp[k].time + TAKE_SECONDS) << ramp[k].currLimit;
    }
    window->close();
}

// The adapter pulled during a run and plugged back in at the same path: the program pauses by
// itself, nothing of it reaches the supply before the supply is identified again, "Продолжить"
// resumes it, and "Выключить" pauses it again with the output off.
TEST_F(StationProgramE2E, ALostPortPausesTheProgramUntilTheOperatorContinues) {
    const std::string link = (scratch.dir / "rir-link").string();
    const std::vector<std::string> simArgs{"--device", "15:2:1", "--link", link};
    sim = std::make_unique<test::SimProcess>(simArgs);
    ASSERT_TRUE(sim->running()) << sim->error();
    settingsFile = scratch.dir / "rir-controller.INI";
    std::ofstream(settingsFile, std::ios::binary)
        << "[RIR Control RS485]\r\nPort=" << link
        << "\r\nTabs=1\r\nActiveTab=1\r\n[Tab_01]\r\nName=#15\r\nId=15\r\n";
    window = std::make_unique<CMainDlg>(std::vector<std::string>{link}, settingsFile,
                                        [] { return std::make_unique<QtSerialPort>(); });
    ASSERT_TRUE(window->Initialise());
    window->show();
    Station& station = window->station();
    ASSERT_TRUE(WaitFor([&] { return Online(15); }, STATE_DEADLINE_MS));
    DevicePage& page = *Page(15);

    const std::string path = (scratch.dir / "long.csv").string();
    std::ofstream(path, std::ios::binary) << "0;1;12;1\r\n3600;1;12;0\r\n";
    std::vector<SeenMessage> messages;
    ModalWatcher watcher({ChooseFile(path), ReadMessage(messages)});
    Click(15, IDC_OPEN_PROGRAM);
    ASSERT_TRUE(WaitFor([&] { return page.programLoaded(); }, STATE_DEADLINE_MS)) << watcher.unexpected();
    Click(15, IDC_PROGRAM_START);
    ASSERT_TRUE(WaitFor([&] { return page.state.outputOn; }, STATE_DEADLINE_MS)) << "the first step taken";

    sim->Stop();
    std::filesystem::remove(link);
    ASSERT_TRUE(WaitFor([&] { return station.link().portAway && page.programPaused(); }, STATE_DEADLINE_MS));
    EXPECT_EQ(WidgetText(15, IDC_PROGRAM_CAPTION),
              QString::fromUtf8("Файл-задача: long.csv [Пауза: порт потерян]"));
    EXPECT_TRUE(Control(15, IDC_PROGRAM_CANCEL)->isEnabled()) << "Отменить stays usable";
    const int pausedAt = page.chart.elapsedSeconds;

    sim = std::make_unique<test::SimProcess>(simArgs);
    ASSERT_TRUE(sim->running()) << sim->error();
    ASSERT_TRUE(WaitFor([&] { return Online(15); }, STATE_DEADLINE_MS));
    EXPECT_TRUE(page.programPaused());
    EXPECT_EQ(page.chart.elapsedSeconds, pausedAt);
    // Everything sent since the port came back: the supply asked who it is, polled, and no
    // write-output request (function 67) among it.
    const std::string& log = station.log().screenText();
    const std::size_t back = log.rfind("снова доступен");
    ASSERT_NE(back, std::string::npos) << "the port's return is logged";
    const std::string since = log.substr(back);
    const std::string identify = "Отправили в порт:  15 65";
    const std::size_t firstSent = since.find("Отправили в порт:");
    ASSERT_NE(firstSent, std::string::npos);
    EXPECT_EQ(since.compare(firstSent, identify.size(), identify), 0) << since.substr(firstSent, 60);
    EXPECT_EQ(since.find("Отправили в порт:  15 67 "), std::string::npos) << since;

    Click(15, IDC_PROGRAM_START); // "Продолжить"
    ASSERT_TRUE(WaitFor([&] { return page.state.outputOn && !page.programPaused(); }, STATE_DEADLINE_MS));
    ASSERT_TRUE(Control(15, IDC_OUTPUT_BUTTON)->isEnabled());
    Click(15, IDC_OUTPUT_BUTTON); // "Выключить"
    EXPECT_TRUE(page.programPaused());
    EXPECT_TRUE(WaitFor([&] { return !page.state.outputOn; }, STATE_DEADLINE_MS))
        << "the supply switched off";
    window->close();
}

} // namespace
} // namespace rir
