#include "journal/AlarmJournal.h"
#include "text/Cp1251.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace rir {
namespace {

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Cp1251ToUtf8(std::string(std::istreambuf_iterator<char>(in), {}));
}

StampTime At(int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 11;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&t));
}

TEST(AlarmJournalLine, EachTransitionAsOneLine) {
    struct Case {
        AlarmEvent event;
        int address, channel;
        const char* line;
    } cases[] = {
        {{AlarmKind::OffPlan, AlarmTransition::Raised, "0.52", "1.00", ""},
         15,
         0,
         "11.12.2026 14:05:03;15;1;отклонение;0.52;1.00;поднята;\r\n"},
        {{AlarmKind::Silent, AlarmTransition::Acknowledged, "", "", "ivanov"},
         7,
         1,
         "11.12.2026 14:05:03;7;2;нет связи;;;квитирована;ivanov\r\n"},
        {{AlarmKind::Temperature, AlarmTransition::Cleared, "58.0", "60.0", ""},
         127,
         0,
         "11.12.2026 14:05:03;127;1;температура;58.0;60.0;снята;\r\n"},
        // A user name from outside cannot add a field or a line.
        {{AlarmKind::LinkErrors, AlarmTransition::Acknowledged, "7", "5", "a;b\r\nc"},
         1,
         0,
         "11.12.2026 14:05:03;1;1;ошибки связи;7;5;квитирована;a b  c\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Cp1251ToUtf8(AlarmJournalLine(c.event, c.address, c.channel, At(14, 5, 3))), c.line);
}

TEST(AlarmJournalFile, HeadOnceThenLinesAndRotationAtItsSize) {
    test::TempDir dir;
    const auto path = dir.path() / "sub" / "alarms.csv";
    AlarmJournal journal(path);
    const std::string line =
        AlarmJournalLine({AlarmKind::Silent, AlarmTransition::Raised, "", "", ""}, 15, 0, At(9, 0, 0));
    ASSERT_EQ(journal.Append(line), "");
    ASSERT_EQ(journal.Append(line), "");
    const std::string head = std::string(ALARM_JOURNAL_HEAD) + "\r\n";
    const std::string one = Cp1251ToUtf8(line);
    EXPECT_EQ(Slurp(path), head + one + one);

    // A journal reopened after a restart appends without a second head.
    {
        AlarmJournal again(path);
        ASSERT_EQ(again.Append(line), "");
    }
    EXPECT_EQ(Slurp(path), head + one + one + one);

    AlarmJournal full(path);
    full.setRotateBytes(std::filesystem::file_size(path));
    ASSERT_EQ(full.Append(line), "");
    EXPECT_EQ(Slurp(RotatedAlarmJournalPath(path)), head + one + one + one);
    EXPECT_EQ(Slurp(path), head + one);
}

TEST(AlarmJournalFile, AFullDiskIsSaidAndTheNextLineTriesAgain) {
    AlarmJournal journal("/dev/full");
    EXPECT_NE(journal.Append("x\r\n"), "");
    EXPECT_NE(journal.Append("x\r\n"), "");
}

TEST(AlarmJournalPath, UnderTheStationsDataFolder) {
    EXPECT_EQ(AlarmJournalPathFor("/data", "/home/op"), "/data/rir-controller/alarms.csv");
    EXPECT_EQ(AlarmJournalPathFor(nullptr, "/home/op"), "/home/op/.local/share/rir-controller/alarms.csv");
    EXPECT_EQ(AlarmJournalPathFor("relative", "/home/op"), "/home/op/.local/share/rir-controller/alarms.csv");
}

} // namespace
} // namespace rir
