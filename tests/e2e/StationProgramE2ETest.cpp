// A program run on the real window against rir-sim: chosen in the file dialog, started, driven
// second by second by the page's tick, and the supply takes each step when its second comes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "StationPort.h"
#include "FileDialogStep.h"
#include "ModalWatcher.h"
#include "StationWindowTest.h"
#include "TempDir.h"
#include "bus/FrameCodec.h"
#include "device/PageControls.h"
#include "device/Requests.h"
#include "journal/RunJournal.h"
#include "journal/RunRecord.h"
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

// A program file of whole-volt steps in `dir`; its path.
std::string WriteProgram(const std::filesystem::path& dir, const std::string& name,
                         const std::vector<Step>& plan) {
    std::string csv = Utf8ToCp1251("Время;Ток;Напряжение;Вкл\r\n");
    for (const Step& s : plan)
        csv += std::to_string(s.time) + ";" + std::to_string(s.currLimit / 100) + "," +
               std::to_string(s.currLimit % 100) + ";" + std::to_string(s.voltLimit / 100) + ";" +
               (s.on ? "1" : "0") + "\r\n";
    const std::string path = (dir / name).string();
    std::ofstream(path, std::ios::binary) << csv;
    return path;
}

// The current limit of an output write to #15 that takes it; -1 for any other request.
int CurrentTaken(const std::vector<int>& r) {
    return r.size() == 7 && r[0] == 15 && r[1] == FC_CONTROL && (r[2] & TAKE_CURR_LIMIT) != 0
               ? r[5] * 256 + r[6]
               : -1;
}

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
        return WriteProgram(scratch.dir, name, plan);
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
                                        MakeStationPort);
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

// The log file on a full disk (zadida.txt is /dev/full, where every write fails): the station
// says so beside the status line and in one box, which stays open without holding anything up:
// polling goes on and a running ramp's steps reach the supply on their seconds.
TEST_F(StationProgramE2E, ALogFileOnAFullDiskHoldsUpNeitherThePollsNorTheProgram) {
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "needs /dev/full, a device on which every write fails";
    std::filesystem::create_symlink("/dev/full", scratch.dir / "zadida.txt");
    const std::vector<Step> ramp = {{0, 100, 1200, true},
                                    {3, 150, 1200, true},
                                    {6, 200, 1200, true},
                                    {9, 250, 1200, true},
                                    {12, 250, 1200, false}};
    const std::string path = WriteProgram(scratch.dir, "ramp.csv", ramp);
    sim = std::make_unique<test::SimProcess>(std::vector<std::string>{"--device", "15:2:1"},
                                             test::SimProcess::Requests::Seen);

    QPointer<QMessageBox> logBox;
    std::vector<SeenMessage> messages;
    ModalWatcher watcher({[&](QWidget* w) { logBox = qobject_cast<QMessageBox*>(w); }, ChooseFile(path),
                          ReadMessage(messages)});
    Open("[RIR Control RS485]\r\nLogToFile=1\r\nTabs=1\r\n[Tab_01]\r\nName=#15\r\nId=15\r\n");
    const std::string said = "Ошибка записи в файл лога zadida.txt! Лог в файл записываться не будет.";
    ASSERT_TRUE(WaitFor([&] { return Online(15) && logBox != nullptr; }, STATE_DEADLINE_MS))
        << watcher.unexpected();
    EXPECT_EQ(logBox->text().toStdString(), said);
    EXPECT_EQ(window->statusNotice()->text().toStdString(), said);
    EXPECT_TRUE(window->statusNotice()->isVisible());
    const DevicePage& page = *Page(15);
    Click(15, IDC_OPEN_PROGRAM);
    ASSERT_TRUE(WaitFor([&] { return page.programLoaded(); }, STATE_DEADLINE_MS)) << watcher.unexpected();

    // The second of the run at which each request was first seen at the supply.
    std::vector<int> seenAt;
    bool modal = false;
    const std::size_t before = sim->requests().size();
    Click(15, IDC_PROGRAM_START);
    ASSERT_TRUE(WaitFor(
        [&] {
            const std::size_t now = sim->requests().size();
            if (now > before + seenAt.size())
                seenAt.resize(now - before, page.chart.elapsedSeconds);
            modal = modal || QApplication::activeModalWidget() != nullptr;
            return !messages.empty();
        },
        ramp.back().time * 1000 + STATE_DEADLINE_MS))
        << watcher.unexpected();
    EXPECT_FALSE(modal) << "no modal box while the run went on";
    EXPECT_TRUE(logBox != nullptr && logBox->isVisible()) << "the log's box stayed open throughout";
    EXPECT_EQ(messages[0].text, "#15 - Работа по файлу закончена!");

    const auto seen = sim->requests();
    int polls = 0;
    constexpr int TAKE_SECONDS = 3;
    for (std::size_t k = 1; k + 1 < ramp.size(); ++k) {
        SCOPED_TRACE(ramp[k].currLimit);
        const auto taken = std::find_if(seen.begin() + static_cast<long>(before), seen.end(),
                                        [&](const auto& r) { return CurrentTaken(r) == ramp[k].currLimit; });
        ASSERT_NE(taken, seen.end()) << "the step never reached the supply";
        const int second = seenAt[static_cast<std::size_t>(taken - seen.begin()) - before];
        EXPECT_GE(second, ramp[k].time);
        EXPECT_LE(second, ramp[k].time + TAKE_SECONDS);
    }
    for (std::size_t k = before; k < seen.size(); ++k)
        polls += seen[k].size() == 2 && seen[k][0] == 15 && seen[k][1] == FC_MEASURE;
    EXPECT_GE(polls, ramp.back().time) << "measured every second of the run at least";
    window->close();
    // Shown before the window was, the box has no parent to go with it.
    if (logBox != nullptr)
        logBox->close();
}

// The window held up for four seconds in the middle of a ramp that changes every second: the
// supply then gets the present second's plan only, none of the seconds that passed meanwhile,
// and the journal has one line per second, each dated on its own, the held-up seconds without
// measurements.
TEST_F(StationProgramE2E, AHeldUpWindowSendsOnlyThePresentSecondAndJournalsEverySecond) {
    std::vector<Step> ramp;
    for (int t = 0; t < 16; ++t)
        ramp.push_back({t, 100 + 10 * t, 1200, true});
    ramp.push_back({16, 250, 1200, false});
    const std::string path = WriteProgram(scratch.dir, "ramp.csv", ramp);
    sim = std::make_unique<test::SimProcess>(std::vector<std::string>{"--device", "15:2:1"},
                                             test::SimProcess::Requests::Seen);
    Open();
    window->setJournalFolder(scratch.dir / "runs");
    ASSERT_TRUE(WaitFor([&] { return Online(15); }, STATE_DEADLINE_MS));
    const DevicePage& page = *Page(15);
    std::vector<SeenMessage> messages;
    ModalWatcher watcher({ChooseFile(path), ReadMessage(messages)});
    Click(15, IDC_OPEN_PROGRAM);
    ASSERT_TRUE(WaitFor([&] { return page.programLoaded(); }, STATE_DEADLINE_MS)) << watcher.unexpected();
    Click(15, IDC_PROGRAM_START);
    ASSERT_TRUE(WaitFor([&] { return page.chart.elapsedSeconds >= 4; }, STATE_DEADLINE_MS));
    const RunJournal* journal = window->station().JournalOf(15, 0);
    ASSERT_NE(journal, nullptr);
    const std::filesystem::path journalPath = journal->path();

    bool held = false;
    QTimer::singleShot(0, window.get(), [&held] {
        std::this_thread::sleep_for(std::chrono::seconds(4));
        held = true;
    });
    ASSERT_TRUE(WaitFor([&] { return held; }, STATE_DEADLINE_MS));
    ASSERT_TRUE(WaitFor([&] { return !messages.empty(); }, ramp.back().time * 1000 + STATE_DEADLINE_MS))
        << watcher.unexpected();
    EXPECT_EQ(messages[0].text, "#15 - Работа по файлу закончена!");

    // time; current limit; voltage limit; output; measured V; measured A; regulation; date and time.
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(test::ReadBytes(journalPath));
    std::string line;
    // The head and the run's notes: work order, part, operator, file.
    for (int head = 0; head < 3 + 4 && std::getline(lines, line);)
        ++head;
    const std::string endLine = Utf8ToCp1251("#" + std::string(RUN_ENDED));
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind(endLine, 0) == 0)
            continue; // how the run ended, its last line
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ';');)
            fields.push_back(cell);
        ASSERT_EQ(fields.size(), 8u) << line;
        ASSERT_NE(fields[0].front(), '#') << "no mark in an undisturbed run: " << line;
        rows.push_back(fields);
    }
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(ramp.back().time + 1)) << "one line per second";
    std::set<std::string> stamps;
    std::vector<int> missed;
    for (std::size_t t = 0; t < rows.size(); ++t) {
        EXPECT_EQ(rows[t][0], std::to_string(t));
        stamps.insert(rows[t][7]);
        if (std::all_of(rows[t].begin() + 1, rows[t].begin() + 7,
                        [](const std::string& f) { return f.empty(); }))
            missed.push_back(static_cast<int>(t));
    }
    EXPECT_EQ(stamps.size(), rows.size()) << "each second dated on its own";
    ASSERT_GE(missed.size(), 2u) << "four seconds held up leave their seconds without measurements";
    for (std::size_t k = 1; k < missed.size(); ++k)
        EXPECT_EQ(missed[k], missed[k - 1] + 1) << "the held-up seconds are one stretch";

    // The supply never took the plan of a held-up second; it took the present one's after them.
    const auto seen = sim->requests();
    const auto took = [&](int current) {
        return std::any_of(seen.begin(), seen.end(),
                           [&](const auto& r) { return CurrentTaken(r) == current; });
    };
    for (int t : missed)
        EXPECT_FALSE(took(ramp[static_cast<std::size_t>(t)].currLimit)) << "second " << t;
    const std::size_t present = static_cast<std::size_t>(missed.back() + 1);
    ASSERT_LT(present, ramp.size());
    EXPECT_TRUE(took(ramp[present].currLimit)) << "second " << present;
    window->close();
}

} // namespace
} // namespace rir
