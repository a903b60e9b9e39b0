// Program files and runs as the station carries them out: the file dialog, the read, the
// report, the menu item, and the end messages that never hold up another page's seconds.
#include "QueuedCommands.h"
#include "StationRig.h"

#include "PageOnline.h"
#include "TempDir.h"
#include "app/MainMenu.h"
#include "bus/BusThread.h"
#include "device/PageControls.h"
#include "text/Cp1251.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <tuple>

namespace rir {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

using test::Tabs;

std::string Write(const test::TempDir& dir, const std::string& name, std::string_view utf8) {
    const std::filesystem::path path = dir / name;
    std::ofstream(path, std::ios::binary) << Utf8ToCp1251(utf8);
    return path.string();
}

// Message boxes that can run something while they are "open", as the window's timer does.
struct TimedPrompts : test::ScriptedPrompts {
    std::function<void(const std::string&)> whileOpen;
    void Message(const std::string& text) override {
        ScriptedPrompts::Message(text);
        if (whileOpen)
            whileOpen(text);
    }
};

struct ProgramStation {
    TimedPrompts prompts;
    test::CountingListener listener;
    EventLog log{"/nonexistent-dir/zadida.txt"};
    Station station{{"COM1"}, prompts, listener, log};
    test::TempDir dir;

    explicit ProgramStation(std::vector<int> addresses = {15}) {
        const StoredSettings s = Tabs(addresses);
        EXPECT_TRUE(station.Start(&s));
        for (int a : addresses)
            test::BringPageOnline(*station.FindPage(a, 0), CONFIG_TIMER_COUNTER);
    }
    DevicePage& Page(int address) { return *station.FindPage(address, 0); }
    test::Commands Queue() {
        std::lock_guard<BusLock> hold(station.busLink().shared().lock);
        return test::CommandsOf(station.busLink().shared().requestQueue);
    }
    void Open(int address, const std::optional<std::string>& path) {
        prompts.programFiles.push_back(path);
        station.OnPageCommand(address, 0, IDC_OPEN_PROGRAM);
    }
};

TEST(StationPrograms, TheChosenFileIsLoadedAndItsReportShownOnce) {
    ProgramStation s;
    s.Open(15, Write(s.dir, "shift.csv", "10;1;12;1\r\n70;1;12;0\r\n"));
    EXPECT_EQ(s.prompts.programFileDialogs, 1);
    const DevicePage& page = s.Page(15);
    EXPECT_TRUE(page.programLoaded());
    EXPECT_EQ(page.view.text(IDC_PROGRAM_CAPTION), "Файл-задача: shift.csv");
    EXPECT_EQ(s.prompts.messages,
              Strings{"Ошибки при чтении файла shift.csv:\nСтарт времени не с нуля, сдвиг на 10 секунд!"});
    EXPECT_TRUE(s.Queue().empty()) << "the output was off";
    EXPECT_FALSE(s.station.menu().Enabled(ID_MENU_OPEN)) << "one program per page";
}

TEST(StationPrograms, ACleanFileShowsNoBoxAndCancelChangesNothing) {
    ProgramStation s;
    s.Open(15, std::nullopt);
    EXPECT_FALSE(s.Page(15).programLoaded());
    s.Open(15, Write(s.dir, "clean.csv", "0;1;12;1\r\n"));
    EXPECT_TRUE(s.Page(15).programLoaded());
    EXPECT_TRUE(s.prompts.messages.empty());
}

TEST(StationPrograms, AFileThatCannotBeReadOrHoldsNoStepLeavesTheRecordingAlone) {
    struct Case {
        const char* what;
        std::function<std::string(const test::TempDir&)> make;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"missing", [](const test::TempDir& d) { return (d / "gone.csv").string(); }, "gone.csv не найден."},
        {"no step",
         [](const test::TempDir& d) { return Write(d, "words.csv", "Время;Ток;Напряжение;Вкл\r\n"); },
         "В файле words.csv нет ни одного шага программы (строки вида «время;ток;напряжение;вкл»)."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramStation s;
        s.station.OnPageCommand(15, 0, IDC_OUTPUT_BUTTON); // a recording by hand
        DevicePage& page = s.Page(15);
        page.state.outputOn = true;
        ASSERT_TRUE(page.recording());
        const std::size_t ringBefore = page.secondsRing.size();
        const test::Commands queueBefore = s.Queue();
        s.prompts.answers = {true}; // load over the live output
        s.Open(15, c.make(s.dir));
        EXPECT_EQ(s.prompts.messages, Strings{c.message});
        EXPECT_FALSE(page.programLoaded());
        EXPECT_TRUE(page.recording());
        EXPECT_TRUE(page.ticking());
        EXPECT_EQ(page.secondsRing.size(), ringBefore);
        EXPECT_EQ(s.Queue(), queueBefore) << "the output stays on";
    }
}

TEST(StationPrograms, TheMenuItemOpensForTheSelectedTabWhileItIsEnabled) {
    ProgramStation s({5, 9});
    s.station.SelectTab(1);
    s.prompts.programFiles.push_back(Write(s.dir, "p.csv", "0;1;12;1\r\n"));
    s.station.OnCommand(ID_MENU_OPEN);
    EXPECT_TRUE(s.Page(9).programLoaded());
    EXPECT_FALSE(s.Page(5).programLoaded());
    s.station.OnCommand(ID_MENU_OPEN); // disabled now: no dialog
    EXPECT_EQ(s.prompts.programFileDialogs, 1);

    s.station.SelectTab(0);
    s.Page(5).state.online = false;
    s.Page(5).UpdateControls();
    s.station.OnCommand(ID_MENU_OPEN);
    EXPECT_EQ(s.prompts.programFileDialogs, 1) << "a supply that does not answer takes no program";
}

TEST(StationPrograms, EndMessagesComeAfterEveryPagesTickAndNeverHoldTheOthersUp) {
    ProgramStation s({5, 9});
    s.Open(5, Write(s.dir, "short.csv", "0;1;12;1\r\n3;1;12;0\r\n"));
    s.Open(9, Write(s.dir, "long.csv", "0;1;12;1\r\n10;1;12;1\r\n"));
    s.station.OnPageCommand(5, 0, IDC_PROGRAM_START);
    s.station.OnPageCommand(9, 0, IDC_PROGRAM_START);
    const MonoTime t0{std::chrono::seconds(1000)};
    s.station.OnPageTicks(t0); // the schedules start

    // While #5's box is open the window's timer goes on, and #9's program with it.
    std::vector<int> nineWhileOpen;
    s.prompts.whileOpen = [&](const std::string& text) {
        if (text.rfind("#5", 0) != 0)
            return;
        s.station.OnPageTicks(t0 + 10s);
        nineWhileOpen.push_back(s.Page(9).chart.elapsedSeconds);
    };
    s.station.OnPageTicks(t0 + 3s); // three late seconds at once: #5 ends
    EXPECT_EQ(s.Page(5).chart.elapsedSeconds, 3);
    EXPECT_EQ(nineWhileOpen, std::vector<int>{10});
    EXPECT_EQ(s.prompts.messages, (Strings{"#5 - Работа по файлу закончена!",
                                           "#9 - Работа по файлу закончена!\nБлок остается включенным!"}))
        << "#9's box follows #5's, not inside it";
    EXPECT_FALSE(s.Page(9).ticking());
}

std::size_t Requests(const test::Commands& queue) {
    return queue.size();
}

TEST(StationPrograms, AProgramPausesItselfWhenTheLinkGoesAndGoesOnOnlyAtContinue) {
    const struct {
        const char* name;
        std::function<void(ProgramStation&)> lose;
        std::function<void(ProgramStation&)> regain;
        const char* why;
    } cases[] = {
        {"the port lost",
         [](ProgramStation& s) {
             {
                 std::lock_guard<BusLock> hold(s.station.busLink().shared().lock);
                 s.station.busLink().shared().portEvents.push_back({BusNote::PortLost, "COM1", {}});
             }
             s.station.OnBusReply(BusNote::PortLost);
         },
         [](ProgramStation& s) {
             {
                 std::lock_guard<BusLock> hold(s.station.busLink().shared().lock);
                 s.station.busLink().shared().portEvents.push_back({BusNote::PortOpened, "COM1", {}});
             }
             s.station.OnBusReply(BusNote::PortOpened);
         },
         "порт потерян"},
        {"polling stopped", [](ProgramStation& s) { s.station.OnCommand(ID_MENU_START_STOP); },
         [](ProgramStation& s) { s.station.OnCommand(ID_MENU_START_STOP); }, "опрос остановлен оператором"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramStation s;
        s.Open(15, Write(s.dir, "p.csv", "0;1;12;1\r\n60;2;12;1\r\n"));
        s.station.OnPageCommand(15, 0, IDC_PROGRAM_START);
        const MonoTime t0{std::chrono::seconds(1000)};
        s.station.OnPageTicks(t0);
        ++s.Page(15).state.measurements; // measured until the link goes
        s.station.OnPageTicks(t0 + 5s);
        c.lose(s);
        DevicePage& page = s.Page(15);
        EXPECT_TRUE(page.programPaused());
        EXPECT_EQ(page.view.text(IDC_PROGRAM_CAPTION),
                  std::string("Файл-задача: p.csv [Пауза: ") + c.why + "]");
        EXPECT_NE(s.log.screenText().find(std::string("Работа по файлу #15 приостановлена: ") + c.why +
                                          ". Продолжение - кнопкой «Продолжить»"),
                  std::string::npos);
        // Nothing of the program goes out until the operator says so, the link's return and the
        // supply's identification included.
        const std::size_t queued = Requests(s.Queue());
        s.station.OnPageTicks(t0 + 30s);
        c.regain(s);
        s.station.OnPageTicks(t0 + 40s);
        EXPECT_EQ(Requests(s.Queue()), queued);
        EXPECT_EQ(page.chart.elapsedSeconds, 5);
        test::BringPageOnline(page, CONFIG_TIMER_COUNTER);
        s.station.OnPageTicks(t0 + 50s);
        EXPECT_EQ(Requests(s.Queue()), queued);
        s.station.OnPageCommand(15, 0, IDC_PROGRAM_START);
        EXPECT_FALSE(page.programPaused()) << "Продолжить";
        EXPECT_EQ(page.view.text(IDC_PROGRAM_CAPTION), "Файл-задача: p.csv");
        EXPECT_EQ(Requests(s.Queue()), queued + 1) << "the paused second's plan again";
    }
}

TEST(StationPrograms, SwitchingOffDuringARunPausesIt) {
    ProgramStation s;
    s.Open(15, Write(s.dir, "p.csv", "0;1;12;1\r\n60;2;12;1\r\n"));
    s.station.OnPageCommand(15, 0, IDC_PROGRAM_START);
    DevicePage& page = s.Page(15);
    // The supply took the first step and reports its output on.
    page.state.status = 0x01;
    page.RefreshView(RefreshCode::Values, PollState::Complete);
    ASSERT_TRUE(page.view.enabled(IDC_OUTPUT_BUTTON));
    const std::size_t queued = Requests(s.Queue());
    s.station.OnPageCommand(15, 0, IDC_OUTPUT_BUTTON);
    EXPECT_TRUE(page.programPaused());
    ASSERT_EQ(Requests(s.Queue()), queued + 1);
    const test::Commands q = s.Queue();
    // The write-output request's flags: limits and output taken, the output off.
    ASSERT_GE(q.back().size(), 3u);
    EXPECT_EQ(q.back()[2], 0x08) << "switched off";
}

TEST(StationPrograms, ADensityFileTakesTheAreaFieldOrIsRefused) {
    const char* file = "с;А/дм2;В;Вкл\r\n0;0,5;12;1\r\n60;0,5;12;0\r\n";
    const std::vector<std::tuple<const char*, const char*, int>> cases = {
        {"",
         "В файле d.csv ток задан плотностью (А/дм2): введите площадь загрузки в дм2 в поле «Площадь» и "
         "откройте файл снова. Программа не загружена.",
         0},
        {"-2", "Площадь загрузки «-2» не принята: нужно число больше нуля и не больше 10000 (дм2).", 0},
        {"0", "Площадь загрузки «0» не принята: нужно число больше нуля и не больше 10000 (дм2).", 0},
        {"4", "", 200}};
    for (const auto& [area, message, current] : cases) {
        ProgramStation s;
        s.Page(15).SetEditState(IDC_AREA_EDIT, area, false, {});
        s.Open(15, Write(s.dir, "d.csv", file));
        EXPECT_EQ(s.prompts.messages, message[0] ? Strings{message} : Strings{}) << area;
        EXPECT_EQ(s.Page(15).programLoaded(), current != 0) << area;
        if (current != 0) {
            EXPECT_EQ(s.Page(15).programSteps()[0].currLimit, current);
            EXPECT_EQ(s.Page(15).programArea(), 4000);
        }
    }
}

} // namespace
} // namespace rir
