#include "app/EventLog.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace rir {
namespace {

std::tm At(int hour, int minute, int second) {
    std::tm t{};
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

using test::ReadBytes;

class EventLogTest : public ::testing::Test {
protected:
    EventLogTest() : log((dir / "zadida.txt").string()) {
        log.setClock([this] { return now; });
        log.setFileProblem([this](const std::string& text) { problems.push_back(text); });
    }
    std::string FileText() const { return ReadBytes(dir / "zadida.txt"); }

    test::TempDir dir;
    std::tm now = At(9, 5, 3);
    std::vector<std::string> problems;
    EventLog log;
};

TEST(LogStamp, TwoDigitsEachAndOneBlank) {
    const struct {
        std::tm time;
        const char* expected;
    } cases[] = {
        {At(9, 5, 3), "09:05:03 "},    {At(0, 0, 0), "00:00:00 "},    {At(23, 59, 59), "23:59:59 "},
        {At(12, 30, 60), "12:30:60 "}, {At(-4, 75, 99), "00:59:60 "}, {At(1000, -1, 7), "23:00:07 "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatLogStamp(c.time), c.expected);
}

TEST(LogScreenLines, CountsPiecesBetweenCrLf) {
    const struct {
        std::string text;
        int lines;
    } cases[] = {{"", 1}, {"a", 1}, {"a\r\n", 2}, {"a\r\nb\r\n", 3}, {"a\nb\rc", 1}, {"\r\n\r\n\r\n", 4}};
    for (const auto& c : cases)
        EXPECT_EQ(CountCrLfLines(c.text), c.lines) << c.text;
}

TEST_F(EventLogTest, LineCarriesStampTextAndCrLf) {
    log.LogLine(0, "Старт программы");
    EXPECT_EQ(log.screenText(), "09:05:03 Старт программы\r\n");
    now = At(14, 0, 9);
    log.LogLine(0, "Выход из программы");
    EXPECT_EQ(log.screenText(), "09:05:03 Старт программы\r\n14:00:09 Выход из программы\r\n");
}

TEST_F(EventLogTest, TableIndexReplacesTextAndIndexOneNamesTheFraming) {
    bool ascii = false;
    log.setAsciiFlag([&] { return ascii; });
    const struct {
        int index;
        bool ascii;
        const char* expected;
    } cases[] = {
        {1, false, "09:05:03 Поток работы с com-портами запущен. Протокол: MODBUS-RTU\r\n"},
        {1, true, "09:05:03 Поток работы с com-портами запущен. Протокол: MODBUS-ASCII\r\n"},
        {2, true, "09:05:03 Поток работы с com-портами завершен\r\n"},
        {3, false, "09:05:03 Нету ни одного устройства в списке\r\n"},
        {4, true, "09:05:03 ignored?\r\n"},  // past the table: the given text
        {-1, true, "09:05:03 ignored?\r\n"}, // a negative index never reads outside the table
        {0, true, "09:05:03 ignored?\r\n"},
    };
    for (const auto& c : cases) {
        EventLog fresh;
        fresh.setClock([this] { return now; });
        fresh.setAsciiFlag([&] { return c.ascii; });
        fresh.LogLine(c.index, "ignored?");
        EXPECT_EQ(fresh.screenText(), c.expected) << "index " << c.index;
    }
}

TEST_F(EventLogTest, ScreenKeepsOneHundredLinesDroppingTheOldest) {
    for (int i = 1; i <= 150; ++i)
        log.LogLine(0, "line " + std::to_string(i));
    const std::string& text = log.screenText();
    EXPECT_EQ(CountCrLfLines(text), 101); // 100 lines and the empty piece after the last CR LF
    EXPECT_EQ(text.rfind("09:05:03 line 51\r\n", 0), 0u) << text.substr(0, 40);
    EXPECT_NE(text.find("line 150\r\n"), std::string::npos);
}

TEST_F(EventLogTest, BelowTheLimitNothingIsDropped) {
    for (int i = 1; i <= 100; ++i)
        log.LogLine(0, "line " + std::to_string(i));
    EXPECT_EQ(log.screenText().rfind("09:05:03 line 1\r\n", 0), 0u);
    log.LogLine(0, "line 101");
    EXPECT_EQ(log.screenText().rfind("09:05:03 line 2\r\n", 0), 0u);
}

TEST_F(EventLogTest, WrappedLinesCountSeveralTimes) {
    // A box 40 characters wide: a 100-character line takes three displayed lines.
    log.setLineCounter([](std::string_view line) { return static_cast<int>((line.size() + 39) / 40); });
    const std::string longText(91, 'x'); // 100 characters with the stamp
    for (int i = 0; i < 200; ++i)
        log.LogLine(0, longText);
    // 34 long lines display as 102 lines plus the empty last one, so each new line drops one;
    // counted unwrapped the box would have kept 100.
    EXPECT_EQ(CountCrLfLines(log.screenText()), 35);
}

TEST_F(EventLogTest, ChangedMarkFollowsScreenUpdates) {
    EXPECT_FALSE(log.takeScreenChanged());
    log.LogLine(0, "a");
    EXPECT_TRUE(log.screenChanged());
    EXPECT_TRUE(log.takeScreenChanged());
    EXPECT_FALSE(log.takeScreenChanged());
    log.ToggleLogToScreen();
    EXPECT_TRUE(log.takeScreenChanged()); // the view hides the box
    log.LogLine(0, "b");
    EXPECT_FALSE(log.takeScreenChanged()); // the hidden box is not updated
}

TEST_F(EventLogTest, ScreenOffStillWritesTheFileAndKeepsTheHiddenText) {
    log.ToggleLogToFile();
    log.LogLine(0, "shown");
    log.ToggleLogToScreen();
    EXPECT_FALSE(log.logToScreen());
    log.LogLine(0, "hidden");
    EXPECT_EQ(log.screenText(), "09:05:03 Включение логирование в файл\r\n09:05:03 shown\r\n");
    log.ToggleLogToScreen();
    log.LogLine(0, "again");
    EXPECT_EQ(log.screenText(),
              "09:05:03 Включение логирование в файл\r\n09:05:03 shown\r\n09:05:03 again\r\n");
    const std::string file = FileText();
    EXPECT_NE(file.find("09:05:03 hidden\r\n"), std::string::npos);
    EXPECT_NE(file.find("09:05:03 again\r\n"), std::string::npos);
}

TEST_F(EventLogTest, FileSwitchOffWritesLastLineAndOnStartsAnEmptiedFile) {
    log.ToggleLogToFile();
    EXPECT_TRUE(log.logToFile());
    EXPECT_TRUE(log.fileOpen());
    log.LogLine(0, "first run");
    log.ToggleLogToFile();
    EXPECT_FALSE(log.logToFile());
    EXPECT_FALSE(log.fileOpen());
    log.LogLine(0, "not in the file");
    const std::string off =
        "09:05:03 \xCE\xF2\xEA\xEB\xFE\xF7\xE5\xED\xE8\xE5 \xEB\xEE\xE3\xE8\xF0\xEE\xE2\xE0\xED\xE8"
        "\xE5 \xE2 \xF4\xE0\xE9\xEB\r\n"; // "Отключение логирование в файл" in cp1251
    std::string file = FileText();
    ASSERT_GE(file.size(), off.size());
    EXPECT_EQ(file.substr(file.size() - off.size()), off);
    EXPECT_EQ(file.find("not in the file"), std::string::npos);

    now = At(10, 0, 0);
    log.ToggleLogToFile();
    log.LogLine(0, "second run");
    file = FileText();
    EXPECT_EQ(file,
              "10:00:00 \xC2\xEA\xEB\xFE\xF7\xE5\xED\xE8\xE5 \xEB\xEE\xE3\xE8\xF0\xEE\xE2\xE0\xED\xE8\xE5 "
              "\xE2 \xF4\xE0\xE9\xEB\r\n10:00:00 second run\r\n");
    EXPECT_TRUE(problems.empty());
}

TEST_F(EventLogTest, FileBytesAreWindows1251) {
    log.ToggleLogToFile();
    now = At(23, 1, 2);
    log.LogLine(0, "Устройство 15 не ответило (ф. 66) №Ёё");
    const std::string expected = "23:01:02 \xD3\xF1\xF2\xF0\xEE\xE9\xF1\xF2\xE2\xEE 15 \xED\xE5 "
                                 "\xEE\xF2\xE2\xE5\xF2\xE8\xEB\xEE (\xF4. 66) \xB9\xA8\xB8\r\n";
    const std::string file = FileText();
    ASSERT_GE(file.size(), expected.size());
    EXPECT_EQ(file.substr(file.size() - expected.size()), expected);
}

TEST_F(EventLogTest, RestoredFileSwitchOpensOnlyWhenAsked) {
    log.setLogToFile(true);
    log.LogLine(0, "before opening");
    EXPECT_FALSE(std::filesystem::exists(dir / "zadida.txt"));
    ASSERT_TRUE(log.OpenFile());
    log.LogLine(0, "Старт программы");
    EXPECT_EQ(FileText(), "09:05:03 \xD1\xF2\xE0\xF0\xF2 \xEF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB\r\n");
}

TEST_F(EventLogTest, OpeningKeepsTheLastFileAsThePreviousGeneration) {
    std::ofstream(dir / "zadida.1.txt", std::ios::binary) << "older\r\n";
    std::ofstream(dir / "zadida.txt", std::ios::binary) << "old contents\r\n";
    ASSERT_TRUE(log.OpenFile());
    EXPECT_EQ(FileText(), "");
    EXPECT_EQ(ReadBytes(dir / "zadida.1.txt"), "old contents\r\n");
    // An empty file (a start that logged nothing) does not push out what the one before said.
    log.CloseFile();
    ASSERT_TRUE(log.OpenFile());
    EXPECT_EQ(ReadBytes(dir / "zadida.1.txt"), "old contents\r\n");
}

TEST(EventLogFile, UncreatableFileIsReportedOnceAndScreenLoggingGoesOn) {
    test::TempDir dir;
    const std::string path = (dir / "no such directory" / "zadida.txt").string();
    EventLog log(path);
    log.setClock([] { return At(9, 5, 3); });
    std::vector<std::string> problems;
    log.setFileProblem([&](const std::string& text) { problems.push_back(text); });

    log.ToggleLogToFile();
    for (int i = 0; i < 5; ++i)
        log.LogLine(0, "line");
    EXPECT_TRUE(log.logToFile());
    EXPECT_FALSE(log.fileOpen());
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0], "Не удалось создать файл лога " + path + "! Лог в файл записываться не будет.");
    EXPECT_EQ(CountCrLfLines(log.screenText()), 7);
    EXPECT_EQ(log.screenText().rfind("09:05:03 Включение логирование в файл\r\n", 0), 0u);

    log.ToggleLogToFile(); // off: nothing to close, no new message
    EXPECT_FALSE(log.logToFile());
    EXPECT_EQ(problems.size(), 1u);
}

TEST(LogRotation, PreviousGenerationKeepsTheExtension) {
    const struct {
        const char* path;
        const char* rotated;
    } cases[] = {
        {"zadida.txt", "zadida.1.txt"},
        {"/var/log/rir/zadida.txt", "/var/log/rir/zadida.1.txt"},
        {"log", "log.1"},
        {"run.d/log", "run.d/log.1"},
        {".zadida", ".zadida.1"},
        {"zadida.old.txt", "zadida.old.1.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RotatedLogPath(c.path), c.rotated) << c.path;
}

// Lines of exactly 20 bytes on a file that rotates at 60.
class LogRotationTest : public EventLogTest {
protected:
    LogRotationTest() {
        log.setRotateBytes(60);
        log.setLogToFile(true);
        EXPECT_TRUE(log.OpenFile());
    }
    static std::string Text(int i) { return (i < 10 ? "line 0" : "line ") + std::to_string(i) + "xx"; }
    void Line(int i) { log.LogLine(0, Text(i)); } // stamp 9, text 9, CR LF
    static std::string Lines(int from, int to) {
        std::string s;
        for (int i = from; i <= to; ++i)
            s += "09:05:03 " + Text(i) + "\r\n";
        return s;
    }
    std::string OlderText() const { return ReadBytes(dir / "zadida.1.txt"); }
};

TEST_F(LogRotationTest, FullFileBecomesThePreviousGenerationAndTheNextLineStartsAFreshOne) {
    for (int i = 1; i <= 3; ++i)
        Line(i);
    EXPECT_EQ(FileText(), Lines(1, 3)) << "exactly at the limit: no rotation yet";
    EXPECT_FALSE(std::filesystem::exists(dir / "zadida.1.txt"));
    Line(4);
    EXPECT_EQ(OlderText(), Lines(1, 3));
    EXPECT_EQ(FileText(), Lines(4, 4));
    for (int i = 5; i <= 7; ++i)
        Line(i);
    // One generation is kept: the second rotation replaces the first.
    EXPECT_EQ(OlderText(), Lines(4, 6));
    EXPECT_EQ(FileText(), Lines(7, 7));
    EXPECT_TRUE(problems.empty());
    // The screen is not touched by any of it.
    EXPECT_EQ(log.screenText(), Lines(1, 7));
}

TEST_F(LogRotationTest, ReopeningStartsTheCountAfresh) {
    Line(1);
    Line(2);
    ASSERT_TRUE(log.OpenFile()); // emptied: its 40 bytes no longer count
    Line(3);
    Line(4);
    Line(5);
    EXPECT_EQ(FileText(), Lines(3, 5));
    EXPECT_EQ(OlderText(), Lines(1, 2)) << "the file before the reopening is kept";
}

TEST_F(LogRotationTest, ALineLongerThanTheLimitGoesWholeIntoAFreshFile) {
    Line(1);
    const std::string longText(100, 'y');
    log.LogLine(0, longText);
    EXPECT_EQ(OlderText(), Lines(1, 1));
    EXPECT_EQ(FileText(), "09:05:03 " + longText + "\r\n");
    Line(2);
    EXPECT_EQ(FileText(), Lines(2, 2));
}

TEST_F(LogRotationTest, AnOlderGenerationThatCannotBeReplacedStillBoundsTheFile) {
    // A directory in the way of the rename: the file starts anew without it.
    std::filesystem::create_directory(dir / "zadida.1.txt");
    std::ofstream(dir / "zadida.1.txt" / "keep") << "x";
    for (int i = 1; i <= 20; ++i) {
        Line(i);
        ASSERT_LE(std::filesystem::file_size(dir / "zadida.txt"), 60u) << i;
    }
    EXPECT_EQ(FileText(), Lines(19, 20));
    EXPECT_TRUE(log.fileOpen());
    EXPECT_TRUE(problems.empty());
}

TEST(EventLogFile, WriteFailureClosesTheFileAndIsReportedOnce) {
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "needs /dev/full, a device on which every write fails";
    EventLog log("/dev/full");
    std::vector<std::string> problems;
    log.setFileProblem([&](const std::string& text) { problems.push_back(text); });
    log.ToggleLogToFile();
    log.LogLine(0, "a");
    log.LogLine(0, "b");
    EXPECT_TRUE(log.logToFile());
    EXPECT_FALSE(log.fileOpen());
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0], "Ошибка записи в файл лога /dev/full! Лог в файл записываться не будет.");
    EXPECT_EQ(CountCrLfLines(log.screenText()), 4);
}

} // namespace
} // namespace rir
