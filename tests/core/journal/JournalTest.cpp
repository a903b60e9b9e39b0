// Run journals: their exact lines, what the station writes for a recording and a program run,
// a journal loaded back as a program, a journal cut off as by a power cut, a folder that cannot
// be written, and "Сохранить".
#include "journal/JournalFormat.h"
#include "journal/RunJournal.h"

#include "../app/StationRig.h"
#include "PageOnline.h"
#include "TempDir.h"
#include "bus/BusThread.h"
#include "device/PageControls.h"
#include "device/Ratings.h"
#include "program/ProgramLimits.h"
#include "program/ProgramLoader.h"
#include "program/ProgramPreview.h"
#include "text/Cp1251.h"

#include "program/Sha256.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/resource.h>

namespace rir {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

// 2026-12-09 05:39:47 UTC.
const StampTime START = StampTime(std::chrono::seconds(1796794787));

// Local time is UTC in these tests, so that names and stamps are fixed.
class JournalTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        savedTz_ = tz ? std::optional<std::string>(tz) : std::nullopt;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override {
        if (savedTz_)
            setenv("TZ", savedTz_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> savedTz_;
};

using test::ReadBytes;

// A program run's journal: the three head lines and the run's notes (work order, part, operator,
// the file).
constexpr std::size_t PROGRAM_HEAD = 3 + 4;

Strings Lines(const std::string& cp1251) {
    Strings lines;
    std::size_t start = 0;
    while (start < cp1251.size()) {
        const std::size_t end = cp1251.find("\r\n", start);
        lines.push_back(Cp1251ToUtf8(cp1251.substr(start, end - start)));
        if (end == std::string::npos)
            break;
        start = end + 2;
    }
    return lines;
}

TEST_F(JournalTest, NamesHeadAndLinesAreExact) {
    EXPECT_EQ(JournalFileName(15, 0, START), "15_2026-12-09_05-39-47.csv");
    EXPECT_EQ(JournalFileName(20, 1, START), "20_2_2026-12-09_05-39-47.csv");
    EXPECT_EQ(SavedRunName(15, 0, START), "rir-15-2026-12-09.csv");
    EXPECT_EQ(SavedRunName(20, 1, START), "rir-20_2-2026-12-09.csv");

    SeriesSwitches series;
    series.voltMeas = false;
    EXPECT_EQ(
        Lines(JournalHead(15, 0, START, series)),
        (Strings{"#Блок #15 - запуск 09.12.2026 05:39:47;;;",
                 "Время, с;Лимит тока, А;Лимит напряжения, В;Вкл;Напряжение, В;Ток, А;Стабилизация;Дата и "
                 "время",
                 "Ur=0,Ul=1,Ir=1,Il=1,Po=1;;;"}));

    ChartSample s(12, 150, 1200, 1, START + 12s);
    s.voltMeas = 1198;
    s.currMeas = 5;
    s.voltRegulation = true;
    const JournalScales scales{100, 100};
    EXPECT_EQ(JournalLine(s, scales, START),
              Utf8ToCp1251("12;1.50;12;1;11.98;0.05;напряжения;09.12.2026 05:39:59\r\n"));
    s.voltRegulation = false;
    EXPECT_EQ(Lines(JournalLine(s, scales, START))[0], "12;1.50;12;1;11.98;0.05;тока;09.12.2026 05:39:59");
    s.output = 0;
    s.stamp.reset();
    EXPECT_EQ(Lines(JournalLine(s, {10, 1000}, START))[0],
              "12;0.150;120;0;119.8;0.005;--;09.12.2026 05:39:47");
}

TEST_F(JournalTest, ValuesReadBackExactlyAtEveryScaleASupplyCanReport) {
    // Raw values around the scale and up to the largest the two bytes of a limit carry.
    const std::vector<int> raws = {0, 1, 2, 5, 7, 99, 101, 999, 1001, 12345, 65535};
    // A wide supply: nothing is clamped.
    const ProgramLimits wide = {PROGRAM_VALUE_LIMIT, PROGRAM_VALUE_LIMIT, 0, 0, 1, 1};
    for (int code = 0; code <= 0xFF; ++code) {
        const JournalScales scales{VoltScaleFromCode(code), CurrScaleFromCode(code)};
        SCOPED_TRACE("code " + std::to_string(code));
        std::string journal = JournalHead(15, 0, START, SeriesSwitches{});
        std::vector<int> all = raws;
        for (int scale : {scales.voltScale, scales.currScale})
            all.insert(all.end(), {scale - 1, scale, scale + 1, 2 * scale - 1});
        for (std::size_t k = 0; k < all.size(); ++k) {
            ChartSample second(static_cast<int>(k), all[k], all[all.size() - 1 - k], 1, START);
            second.voltMeas = all[k];
            second.currMeas = all[all.size() - 1 - k];
            const std::string line = JournalLine(second, scales, START);
            journal += line;
            // The measured values (columns 4 and 5), as the loader reads a limit.
            std::vector<std::string> fields;
            std::stringstream in(line);
            for (std::string f; std::getline(in, f, ';');)
                fields.push_back(f);
            ASSERT_GE(fields.size(), 6u) << line;
            EXPECT_EQ(ReadProgramAmount(fields[4], scales.voltScale), second.voltMeas) << line;
            EXPECT_EQ(ReadProgramAmount(fields[5], scales.currScale), second.currMeas) << line;
        }
        ProgramLimits limits = wide;
        limits.voltScale = scales.voltScale;
        limits.currScale = scales.currScale;
        const ProgramLoad back = LoadProgramFile(journal, "j.csv", limits);
        ASSERT_EQ(back.steps.size(), all.size());
        for (std::size_t k = 0; k < all.size(); ++k) {
            EXPECT_EQ(back.steps[k].currLimit, all[k]) << "second " << k;
            EXPECT_EQ(back.steps[k].voltLimit, all[all.size() - 1 - k]) << "second " << k;
        }
    }
}

TEST_F(JournalTest, TheFolderFollowsTheDataHome) {
    EXPECT_EQ(JournalFolderFor("/data", "/home/op"), std::filesystem::path("/data/rir-controller/runs"));
    EXPECT_EQ(JournalFolderFor("relative", "/home/op"),
              std::filesystem::path("/home/op/.local/share/rir-controller/runs"));
    EXPECT_EQ(JournalFolderFor(nullptr, "/home/op"),
              std::filesystem::path("/home/op/.local/share/rir-controller/runs"));
}

// A station whose page #15 is online, its journals in a scratch folder and its clock in hand.
struct JournalStation {
    test::StationRig rig;
    test::TempDir dir;
    StampTime now = START;
    MonoTime mono{std::chrono::seconds(5000)};

    JournalStation() {
        EXPECT_TRUE(rig.station.Start(nullptr));
        rig.station.SetJournalFolder(dir / "runs");
        test::BringPageOnline(Page(), CONFIG_TIMER_COUNTER);
        Page().stampClock = [this] { return now; };
        rig.station.OnPageTicks(mono);
    }
    DevicePage& Page() { return *rig.station.FindPage(15, 0); }
    void Seconds(int n) {
        for (int i = 0; i < n; ++i) {
            now += 1s;
            mono += 1s;
            ++Page().state.measurements; // the supply is measured every second
            rig.station.OnPageTicks(mono);
        }
    }
    std::vector<std::filesystem::path> Journals() {
        std::vector<std::filesystem::path> found;
        for (const auto& e : std::filesystem::directory_iterator(dir / "runs"))
            found.push_back(e.path());
        std::sort(found.begin(), found.end());
        return found;
    }
};

TEST_F(JournalTest, ARecordingWritesOneLinePerSecondUntilTheChartIsCleared) {
    JournalStation s;
    s.rig.station.OnPageCommand(15, 0, IDC_OUTPUT_BUTTON); // on by hand
    s.Page().state.outputOn = true;
    s.rig.station.OnPageTicks(s.mono); // the tick's schedule starts
    s.Seconds(200);
    const RunJournal* journal = s.rig.station.JournalOf(15, 0);
    ASSERT_NE(journal, nullptr);
    EXPECT_EQ(journal->path().filename(), "15_2026-12-09_05-39-47.csv");
    const Strings lines = Lines(ReadBytes(journal->path()));
    ASSERT_EQ(lines.size(), 3u + 201u) << "the head, second 0 and 200 ticks";
    EXPECT_EQ(lines[0], "#Блок #15 - запуск 09.12.2026 05:39:47;;;");
    EXPECT_EQ(lines[3].substr(0, 11), "0;10;15;1;0");
    EXPECT_EQ(lines.back().substr(0, 14), "200;10;15;1;0;");
    EXPECT_NE(lines.back().find("09.12.2026 05:43:07"), std::string::npos) << lines.back();

    // Switched off and cleared: the run is over, the journal stays on the disk.
    s.Page().state.outputOn = false;
    s.Page().UpdateControls();
    s.Page().ClearChart();
    s.rig.station.OnPageCommand(15, 0, IDC_CLEAR_CHART);
    EXPECT_EQ(s.rig.station.JournalOf(15, 0), nullptr);
    EXPECT_EQ(s.Journals().size(), 1u);
}

TEST_F(JournalTest, AProgramRunsJournalLoadsBackAsTheSameProgram) {
    JournalStation s;
    const std::string plan = "0;1;12;1\r\n30;2;12;1\r\n50;2;10;1\r\n70;1;12;0\r\n";
    std::ofstream(s.dir / "p.csv", std::ios::binary) << plan;
    s.rig.prompts.programFiles.push_back((s.dir / "p.csv").string());
    s.rig.station.OnPageCommand(15, 0, IDC_OPEN_PROGRAM);
    ASSERT_TRUE(s.Page().programLoaded());
    s.rig.station.OnPageCommand(15, 0, IDC_PROGRAM_START);
    s.rig.station.OnPageTicks(s.mono);
    s.Seconds(40);
    s.rig.station.OnPageCommand(15, 0, IDC_PROGRAM_PAUSE);
    const std::filesystem::path path = s.rig.station.JournalOf(15, 0)->path();
    s.Seconds(5); // paused: no lines, the journal stays open
    ASSERT_NE(s.rig.station.JournalOf(15, 0), nullptr);
    s.rig.station.OnPageCommand(15, 0, IDC_PROGRAM_START);
    s.rig.station.OnPageTicks(s.mono);
    s.Seconds(30);
    EXPECT_FALSE(s.Page().programStarted()) << "ended";
    EXPECT_EQ(s.rig.station.JournalOf(15, 0), nullptr) << "closed with the program's end";

    const std::string journal = ReadBytes(path);
    Strings lines = Lines(journal);
    ASSERT_EQ(lines.size(), PROGRAM_HEAD + 71u + 2u + 1u)
        << "seconds 0 to 70, the pause marked, its seconds left out, the end";
    EXPECT_EQ(lines[6], "#Файл: p.csv;SHA-256 " + Sha256Hex(plan) + ";;");
    EXPECT_EQ(lines.back().rfind("#Работа закончена - заряд ", 0), 0u) << lines.back();
    EXPECT_EQ(lines[PROGRAM_HEAD + 41].rfind("#Пауза;", 0), 0u) << lines[PROGRAM_HEAD + 41];
    EXPECT_EQ(lines[PROGRAM_HEAD + 42].rfind("#Продолжение;", 0), 0u) << lines[PROGRAM_HEAD + 42];
    lines.erase(lines.begin() + PROGRAM_HEAD + 41, lines.begin() + PROGRAM_HEAD + 43);
    for (std::size_t k = 0; k < 71; ++k)
        EXPECT_EQ(lines[PROGRAM_HEAD + k].substr(0, lines[PROGRAM_HEAD + k].find(';')), std::to_string(k));

    const ProgramLoad back = LoadProgramFile(journal, "j.csv", ProgramLimitsOf(s.Page().state));
    const ProgramLoad original = LoadProgramFile(plan, "p.csv", ProgramLimitsOf(s.Page().state));
    ASSERT_TRUE(back.loaded);
    EXPECT_EQ(back.report, "");
    EXPECT_EQ(back.title, "Блок #15 - запуск 09.12.2026 05:39:47");
    // The plan second by second is the same: the journal holds every second of the original.
    const auto a = BuildProgramPreview(back.steps, std::nullopt).secondsRing;
    const auto b = BuildProgramPreview(original.steps, std::nullopt).secondsRing;
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t t = 0; t < a.size(); ++t) {
        EXPECT_EQ(a[t].currLimit, b[t].currLimit) << t;
        EXPECT_EQ(a[t].voltLimit, b[t].voltLimit) << t;
        EXPECT_EQ(a[t].output, b[t].output) << t;
    }

    // Cut anywhere, as by a power cut: what loads is the run up to a whole line, never a wrong
    // value.
    std::mt19937 random(7);
    for (int cut = 0; cut < 200; ++cut) {
        const std::size_t at = std::uniform_int_distribution<std::size_t>(0, journal.size())(random);
        const ProgramLoad part =
            LoadProgramFile(journal.substr(0, at), "cut.csv", ProgramLimitsOf(s.Page().state));
        ASSERT_LE(part.steps.size(), back.steps.size());
        for (std::size_t k = 0; k < part.steps.size(); ++k) {
            ASSERT_EQ(part.steps[k].time, back.steps[k].time) << "cut at " << at;
            ASSERT_EQ(part.steps[k].currLimit, back.steps[k].currLimit) << "cut at " << at;
            ASSERT_EQ(part.steps[k].voltLimit, back.steps[k].voltLimit) << "cut at " << at;
            ASSERT_EQ(part.steps[k].output, back.steps[k].output) << "cut at " << at;
        }
    }
}

std::size_t Requests(const test::Commands& queue) {
    return queue.size();
}

TEST_F(JournalTest, EverySecondIsDatedWhenItFellDueAndAHeldUpWindowSendsOnlyThePresentPlan) {
    JournalStation s;
    std::ofstream(s.dir / "p.csv", std::ios::binary) << "0;1;12;1\r\n10;2;12;1\r\n40;1;12;0\r\n";
    s.rig.prompts.programFiles.push_back((s.dir / "p.csv").string());
    s.rig.station.OnPageCommand(15, 0, IDC_OPEN_PROGRAM);
    s.rig.station.OnPageCommand(15, 0, IDC_PROGRAM_START);
    s.rig.station.OnPageTicks(s.mono); // the schedule starts at START
    // The timer comes late and early, as on a busy machine: 0.3 s late, then 0.95 s apart.
    for (const auto step : {1300ms, 950ms, 950ms, 950ms, 950ms}) {
        s.mono += step;
        s.now += step;
        s.rig.station.OnPageTicks(s.mono);
    }
    ASSERT_EQ(s.Page().chart.chartClock, 5);
    // Then the window is held up for twenty seconds: the supply never answers here, so every
    // present second sends its plan, but only one goes out for the twenty.
    const std::size_t before = Requests(s.rig.Queue());
    s.mono += 20s;
    s.now += 20s;
    s.rig.station.OnPageTicks(s.mono);
    ASSERT_EQ(s.Page().chart.chartClock, 25);
    EXPECT_EQ(Requests(s.rig.Queue()) - before, 1u) << "the present second's plan only";

    const Strings lines = Lines(ReadBytes(s.rig.station.JournalOf(15, 0)->path()));
    ASSERT_EQ(lines.size(), PROGRAM_HEAD + 26u);
    for (int k = 0; k <= 25; ++k) {
        const std::string& line = lines[PROGRAM_HEAD + static_cast<std::size_t>(k)];
        char date[32];
        const std::time_t at = std::chrono::system_clock::to_time_t(START + std::chrono::seconds(k));
        std::strftime(date, sizeof date, "%d.%m.%Y %H:%M:%S", std::gmtime(&at));
        EXPECT_EQ(line.substr(line.rfind(';') + 1), date) << "second " << k;
        const bool missed = k > 5 && k < 25;
        EXPECT_EQ(line.rfind(std::to_string(k) + ";;;;;;;", 0) == 0, missed) << line;
    }
}

// The journal's lines from `from` on, each without its date (the last field).
Strings Undated(const std::filesystem::path& path, std::size_t from) {
    Strings undated;
    const Strings lines = Lines(ReadBytes(path));
    for (std::size_t k = from; k < lines.size(); ++k)
        undated.push_back(lines[k].substr(0, lines[k].rfind(';') + 1));
    return undated;
}

// The status byte of a supply whose output is on (bit 0).
constexpr int OUTPUT_ON_STATUS = 0x01;

TEST_F(JournalTest, ARecordingsUnansweredSecondsAreEmptyAndThePortIsMarked) {
    JournalStation s;
    s.rig.station.OnPageCommand(15, 0, IDC_OUTPUT_BUTTON);
    s.Page().state.outputOn = true;
    s.rig.station.OnPageTicks(s.mono);
    s.Seconds(2);
    s.rig.PortNote(BusNote::PortLost, "COM1");
    s.Seconds(2);
    s.rig.PortNote(BusNote::PortOpened, "COM1");
    test::BringPageOnline(s.Page(), CONFIG_TIMER_COUNTER, OUTPUT_ON_STATUS);
    s.Seconds(1);
    const std::filesystem::path path = s.rig.station.JournalOf(15, 0)->path();
    EXPECT_EQ(Undated(path, 3),
              (Strings{"0;10;15;1;0;0;напряжения;", "1;10;15;1;0;0;напряжения;", "2;10;15;1;0;0;напряжения;",
                       "#Порт потерян;;;;;;;", "3;;;;;;;", "4;;;;;;;", "#Порт снова доступен;;;;;;;",
                       "5;10;15;1;0;0;напряжения;"}));
    // Loaded as a program it keeps the supply on through the seconds nobody measured.
    const ProgramLoad back = LoadProgramFile(ReadBytes(path), "j.csv", ProgramLimitsOf(s.Page().state));
    EXPECT_EQ(back.report, "");
    ASSERT_EQ(back.steps.size(), 4u);
    for (const ChartSample& step : back.steps)
        EXPECT_EQ(step.output, 1) << "second " << step.time;
}

TEST_F(JournalTest, AProgramsUnansweredSecondsKeepThePlanAndThePauseIsMarked) {
    JournalStation s;
    std::ofstream(s.dir / "p.csv", std::ios::binary) << "0;1;12;1\r\n60;1;12;0\r\n";
    s.rig.prompts.programFiles.push_back((s.dir / "p.csv").string());
    s.rig.station.OnPageCommand(15, 0, IDC_OPEN_PROGRAM);
    s.rig.station.OnPageCommand(15, 0, IDC_PROGRAM_START);
    s.rig.station.OnPageTicks(s.mono);
    s.Seconds(1);
    s.Page().state.online = false; // five misses in a row
    s.Page().UpdateControls();
    s.Seconds(1);
    test::BringPageOnline(s.Page(), CONFIG_TIMER_COUNTER);
    s.Seconds(1);
    s.rig.station.OnPageCommand(15, 0, IDC_PROGRAM_PAUSE);
    s.Seconds(3);
    s.rig.station.OnPageCommand(15, 0, IDC_PROGRAM_START);
    s.rig.station.OnPageTicks(s.mono);
    s.Seconds(1);
    EXPECT_EQ(Undated(s.rig.station.JournalOf(15, 0)->path(), PROGRAM_HEAD),
              (Strings{"0;1;12;1;0;0;напряжения;", "1;1;12;1;0;0;напряжения;", "2;1;12;1;;;;",
                       "3;1;12;1;0;0;напряжения;", "#Пауза;;;;;;;", "#Продолжение;;;;;;;",
                       "4;1;12;1;0;0;напряжения;"}));
}

// Files of this process may not grow past `bytes` while it lives, as on a disk that is full:
// a write past it is cut short, the next one refused.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldSignal_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*oldSignal_)(int) = nullptr;
};

TEST_F(JournalTest, AFullDiskLeavesWholeLinesOrNoFileAndSaysSoOnThePage) {
    // The journal of four seconds as a disk with room writes it.
    std::string whole;
    {
        JournalStation s;
        s.rig.station.OnPageCommand(15, 0, IDC_OUTPUT_BUTTON);
        s.rig.station.OnPageTicks(s.mono);
        s.Seconds(3);
        whole = ReadBytes(s.rig.station.JournalOf(15, 0)->path());
    }
    const std::size_t head = JournalHead(15, 0, START, SeriesSwitches{}).size();
    // Where the head and the first two seconds end.
    const std::size_t one = whole.find("\r\n", head) + 2;
    const std::size_t two = whole.find("\r\n", one) + 2;
    const struct {
        const char* name;
        std::size_t room; // bytes the disk takes
        std::size_t kept; // bytes of the journal left on the disk; 0: no file
        const char* caption;
    } cases[] = {
        {"torn in the head", head - 5, 0, "Протокол работы: [Журнал работы не ведется: File too large]"},
        {"torn in the first second", head + 5, 0,
         "Протокол работы: [Журнал работы остановлен: File too large]"},
        {"torn in the third second", two + 5, two,
         "Протокол работы: [Журнал работы остановлен: File too large]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        JournalStation s;
        s.rig.station.OnPageCommand(15, 0, IDC_OUTPUT_BUTTON);
        s.rig.station.OnPageTicks(s.mono);
        {
            const FileSizeLimit full(c.room);
            s.Seconds(3);
        }
        EXPECT_EQ(s.rig.station.JournalOf(15, 0), nullptr);
        const std::vector<std::filesystem::path> left = s.Journals();
        if (c.kept == 0) {
            EXPECT_TRUE(left.empty());
        } else {
            ASSERT_EQ(left.size(), 1u);
            EXPECT_EQ(ReadBytes(left[0]), whole.substr(0, c.kept));
        }
        EXPECT_EQ(s.Page().view.text(IDC_PROGRAM_CAPTION), c.caption);
        EXPECT_EQ(s.Page().chart.chartClock, 3) << "the recording goes on";
    }
    // The log names the supply and, for a file that went, says so.
    JournalStation s;
    s.rig.station.OnPageCommand(15, 0, IDC_OUTPUT_BUTTON);
    s.rig.station.OnPageTicks(s.mono);
    {
        const FileSizeLimit full(head + 5);
        s.Seconds(1);
    }
    EXPECT_EQ(s.rig.LastLine(),
              "Журнал работы #15 остановлен: File too large; в нем не было ни одной секунды, файл удален");
}

TEST_F(JournalTest, AFolderThatCannotBeMadeIsSaidOnceAndTheRunGoesOn) {
    JournalStation s;
    std::ofstream(s.dir / "file") << "x";
    s.rig.station.SetJournalFolder(s.dir / "file" / "runs"); // under a file: never a folder
    s.rig.station.OnPageCommand(15, 0, IDC_OUTPUT_BUTTON);
    s.Page().state.outputOn = true;
    s.rig.station.OnPageTicks(s.mono);
    s.Seconds(5);
    ASSERT_EQ(s.rig.prompts.messages.size(), 1u);
    EXPECT_EQ(
        s.rig.prompts.messages[0].rfind("Журнал работы #15 не ведется: не удалось создать файл в папке ", 0),
        0u)
        << s.rig.prompts.messages[0];
    EXPECT_EQ(s.Page().chart.chartClock, 5) << "the recording goes on";
    EXPECT_EQ(s.rig.station.JournalOf(15, 0), nullptr);

    s.rig.station.OnCommand(ID_MENU_SAVE);
    EXPECT_EQ(s.rig.prompts.messages.back(), "Журнал работы #15 не ведется: сохранить нечего.");
    EXPECT_TRUE(s.rig.prompts.proposedSaveNames.empty());
}

TEST_F(JournalTest, SaveCopiesTheRunsJournalWhole) {
    JournalStation s;
    s.rig.station.OnPageCommand(15, 0, IDC_OUTPUT_BUTTON);
    s.Page().state.outputOn = true;
    s.rig.station.OnPageTicks(s.mono);
    s.Seconds(10);
    const std::filesystem::path saved = s.dir / "saved.csv";
    s.rig.prompts.saveFiles.push_back(saved.string());
    s.rig.station.OnCommand(ID_MENU_SAVE);
    EXPECT_EQ(s.rig.prompts.proposedSaveNames, Strings{"rir-15-2026-12-09.csv"});
    EXPECT_EQ(ReadBytes(saved), ReadBytes(s.rig.station.JournalOf(15, 0)->path()));
    EXPECT_EQ(Lines(ReadBytes(saved)).size(), 3u + 11u);
    EXPECT_FALSE(std::filesystem::exists(s.dir / "saved.csv.part"));

    // A place that cannot be written: the file-error text, nothing left behind.
    s.rig.prompts.saveFiles.push_back((s.dir / "no-folder" / "x.csv").string());
    s.rig.station.OnCommand(ID_MENU_SAVE);
    EXPECT_EQ(s.rig.prompts.messages.back(), "x.csv не найден.");
    EXPECT_FALSE(std::filesystem::exists(s.dir / "no-folder"));
}

} // namespace
} // namespace rir
