#include "app/ProfileStore.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace rir {
namespace {

namespace fs = std::filesystem;

using test::ReadBytes;

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

int FilesIn(const fs::path& dir) {
    return static_cast<int>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

TEST(ProfileInt, ReadsLeadingDecimalLikeThePlatform) {
    constexpr int MAX = std::numeric_limits<int>::max();
    constexpr int MIN = std::numeric_limits<int>::min();
    const struct {
        const char* text;
        int value;
    } cases[] = {
        {"9600", 9600},
        {"  42", 42},
        {"\t-7", -7},
        {"+15", 15},
        {"12abc", 12},
        {"3.7", 3},
        {"abc", 0},
        {"-", 0},
        {"+-3", 0},
        {"- 3", 0},
        {"0x1F", 0},
        {"2147483647", MAX},
        {"2147483648", MAX},
        {"-2147483648", MIN},
        {"-2147483649", MIN},
        {"99999999999999999999999999999999", MAX},
        {"-99999999999999999999999999999999", MIN},
        {"000000000000000000000000000000012", 12},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseProfileInt(c.text), c.value) << c.text;
}

TEST(ProfilePath, XdgConfigHomeThenHomeConfig) {
    EXPECT_EQ(ProfilePathFor("rir-controller", "/cfg", "/home/op"), fs::path("/cfg/rir-controller.INI"));
    EXPECT_EQ(ProfilePathFor("rir-controller", nullptr, "/home/op"),
              fs::path("/home/op/.config/rir-controller.INI"));
    EXPECT_EQ(ProfilePathFor("rir-controller", "", "/home/op"),
              fs::path("/home/op/.config/rir-controller.INI"));
    // A relative XDG_CONFIG_HOME is to be ignored.
    EXPECT_EQ(ProfilePathFor("rir-controller", "cfg", "/home/op"),
              fs::path("/home/op/.config/rir-controller.INI"));
}

class ProfileStoreTest : public ::testing::Test {
protected:
    fs::path File() const { return dir / "rir-controller.INI"; }
    test::TempDir dir;
};

TEST_F(ProfileStoreTest, MissingFileGivesDefaults) {
    ProfileStore store(File());
    EXPECT_EQ(store.loadResult(), ProfileStore::LoadResult::Missing);
    EXPECT_EQ(store.GetString("RIR Control RS485", "Protocol", "ASCII"), "ASCII");
    EXPECT_EQ(store.GetInt("Window", "Top", -1), -1);
}

TEST_F(ProfileStoreTest, RoundTripThroughTheFile) {
    {
        ProfileStore store(File());
        ASSERT_TRUE(store.WriteString("RIR Control RS485", "Port", "/dev/ttyUSB0"));
        ASSERT_TRUE(store.WriteInt("RIR Control RS485", "Speed", 19200));
        ASSERT_TRUE(store.WriteInt("Window", "Top", -8));
        ASSERT_TRUE(store.WriteString("Tab_01", "Name", "#5_2"));
        ASSERT_TRUE(store.WriteString("Tab_01", "Note", "  padded  "));
        ASSERT_TRUE(store.WriteString("Tab_01", "Quoted", "\"q\""));
        ASSERT_TRUE(store.WriteString("Tab_01", "Empty", ""));
        ASSERT_TRUE(store.Save()) << store.saveError();
    }
    EXPECT_EQ(ReadBytes(File()),
              "[RIR Control RS485]\r\nPort=/dev/ttyUSB0\r\nSpeed=19200\r\n\r\n"
              "[Window]\r\nTop=-8\r\n\r\n"
              "[Tab_01]\r\nName=#5_2\r\nNote=\"  padded  \"\r\nQuoted=\"\"q\"\"\r\nEmpty=\r\n");
    ProfileStore again(File());
    EXPECT_EQ(again.loadResult(), ProfileStore::LoadResult::Loaded);
    EXPECT_EQ(again.GetString("RIR Control RS485", "Port", ""), "/dev/ttyUSB0");
    EXPECT_EQ(again.GetInt("RIR Control RS485", "Speed", 0), 19200);
    EXPECT_EQ(again.GetInt("Window", "Top", 0), -8);
    EXPECT_EQ(again.GetString("Tab_01", "Name", ""), "#5_2");
    EXPECT_EQ(again.GetString("Tab_01", "Note", ""), "  padded  ");
    EXPECT_EQ(again.GetString("Tab_01", "Quoted", ""), "\"q\"");
    EXPECT_EQ(again.GetString("Tab_01", "Empty", "default"), "");
    EXPECT_EQ(again.GetInt("Tab_01", "Empty", 7), 7);
}

TEST_F(ProfileStoreTest, NamesMatchWithoutRegardToCase) {
    WriteBytes(File(), "[rir control rs485]\nPORT=COM3\n[WINDOW]\nstatus = 3\n");
    ProfileStore store(File());
    EXPECT_EQ(store.GetString("RIR Control RS485", "Port", ""), "COM3");
    EXPECT_EQ(store.GetInt("Window", "Status", 1), 3);
    // Only ASCII letters fold: Cyrillic names must match exactly.
    ASSERT_TRUE(store.WriteString("Раздел", "Ключ", "1"));
    EXPECT_EQ(store.GetString("раздел", "ключ", "none"), "none");
    // Writing with another case replaces the value in place, under its stored name.
    ASSERT_TRUE(store.WriteString("Rir Control Rs485", "port", "COM4"));
    EXPECT_EQ(store.Text(),
              "[rir control rs485]\r\nPORT=COM4\r\n[WINDOW]\r\nstatus = 3\r\n\r\n[Раздел]\r\nКлюч=1\r\n");
}

TEST_F(ProfileStoreTest, ToleratesBomCrLfGarbageAndKeepsUnknownLines) {
    const std::string original = "\xEF\xBB\xBF"
                                 "; settings of the station\r\n"
                                 "stray line before any section\r\n"
                                 "[RIR Control RS485]\r\n"
                                 "  Port  =  COM7  \r\n"
                                 "garbage without equals\r\n"
                                 "=no name\r\n"
                                 "Speed=4800\n"
                                 "Speed=1200\r\n"
                                 "[Other]\r\n"
                                 "Kept=yes\r\n"
                                 "[broken header\r\n"
                                 "Last=1"; // no line end at all
    WriteBytes(File(), original);
    ProfileStore store(File());
    EXPECT_EQ(store.GetString("RIR Control RS485", "Port", ""), "COM7");
    EXPECT_EQ(store.GetInt("RIR Control RS485", "Speed", 0), 4800); // the first one counts
    EXPECT_EQ(store.GetString("Other", "Kept", ""), "yes");
    EXPECT_EQ(store.GetString("Other", "Last", ""), "1");
    EXPECT_EQ(store.GetString("RIR Control RS485", "garbage without equals", "d"), "d");

    ASSERT_TRUE(store.WriteInt("RIR Control RS485", "Tabs", 2));
    ASSERT_TRUE(store.Save()) << store.saveError();
    EXPECT_EQ(ReadBytes(File()), "\xEF\xBB\xBF"
                                 "; settings of the station\r\n"
                                 "stray line before any section\r\n"
                                 "[RIR Control RS485]\r\n"
                                 "  Port  =  COM7  \r\n"
                                 "garbage without equals\r\n"
                                 "=no name\r\n"
                                 "Speed=4800\r\n"
                                 "Speed=1200\r\n"
                                 "Tabs=2\r\n"
                                 "[Other]\r\n"
                                 "Kept=yes\r\n"
                                 "[broken header\r\n"
                                 "Last=1\r\n");
}

TEST_F(ProfileStoreTest, GarbageHugeAndNegativeNumbers) {
    WriteBytes(File(), "[S]\nA=abc\nB=99999999999999999999\nC=-99999999999999999999\nD= -12 \nE=\"42\"\nF=\n"
                       "G=   \n");
    ProfileStore store(File());
    const struct {
        const char* key;
        int value;
    } cases[] = {
        {"A", 0}, {"B", 2147483647}, {"C", -2147483647 - 1}, {"D", -12}, {"E", 42}, {"F", 5},
        {"G", 5}, {"H", 5},
    };
    for (const auto& c : cases)
        EXPECT_EQ(store.GetInt("S", c.key, 5), c.value) << c.key;
}

TEST_F(ProfileStoreTest, DeleteSectionRemovesItAndItsDuplicates) {
    WriteBytes(File(),
               "[Tab_01]\r\nName=#5\r\nId=5\r\n[Keep]\r\nA=1\r\n[tab_01]\r\nId=9\r\n[Tab_02]\r\nId=7\r\n");
    ProfileStore store(File());
    store.DeleteSection("TAB_01");
    store.DeleteSection("Tab_99"); // absent: nothing happens
    EXPECT_EQ(store.GetInt("Tab_01", "Id", 0), 0);
    EXPECT_EQ(store.Text(), "[Keep]\r\nA=1\r\n[Tab_02]\r\nId=7\r\n");
}

TEST_F(ProfileStoreTest, NewValuesGoBeforeTheSectionsTrailingBlankLines) {
    WriteBytes(File(), "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
    ProfileStore store(File());
    ASSERT_TRUE(store.WriteInt("A", "z", 3));
    EXPECT_EQ(store.Text(), "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n");
}

TEST_F(ProfileStoreTest, RefusesWhatCouldNotBeReadBack) {
    ProfileStore store(File());
    const struct {
        std::string section, key, value;
    } refused[] = {
        {"", "k", "v"},
        {" S", "k", "v"},
        {"S\n", "k", "v"},
        {"S", "", "v"},
        {"S", "a=b", "v"},
        {"S", "[k", "v"},
        {"S", ";k", "v"},
        {"S", "k ", "v"},
        {"S", "k", "line\r\nbreak"},
        {"S", "k", std::string("zero\0byte", 9)},
    };
    for (const auto& r : refused)
        EXPECT_FALSE(store.WriteString(r.section, r.key, r.value)) << r.section << "/" << r.key;
    EXPECT_EQ(store.Text(), "");
}

TEST_F(ProfileStoreTest, FileUpToTheLimitIsReadAndOneByteMoreIsNot) {
    const std::string head = "[S]\r\nA=1\r\n";
    const struct {
        std::size_t size;
        ProfileStore::LoadResult result;
        int a;
    } cases[] = {
        {1000, ProfileStore::LoadResult::Loaded, 1},
        {1001, ProfileStore::LoadResult::TooLarge, 0},
    };
    for (const auto& c : cases) {
        WriteBytes(File(), head + std::string(c.size - head.size(), ';'));
        ProfileStore store(File(), 1000);
        EXPECT_EQ(store.loadResult(), c.result) << c.size;
        EXPECT_EQ(store.GetInt("S", "A", 0), c.a) << c.size;
    }
}

TEST_F(ProfileStoreTest, WhatSaveWritesIsAlwaysReadBack) {
    // 175 bytes of lines the station does not know, under a limit of 200: read, then saved with
    // more values than fit. The foreign lines give way; the written values are all there.
    const std::string foreign = "; notes\r\n" + std::string(150, 'n') + "\r\n[Other]\r\nX=1\r\n";
    WriteBytes(File(), foreign + "[S]\r\nOld=1\r\n");
    {
        ProfileStore store(File(), 200);
        ASSERT_EQ(store.loadResult(), ProfileStore::LoadResult::Loaded);
        ASSERT_TRUE(store.WriteString("S", "Port", "/dev/ttyUSB0"));
        ASSERT_TRUE(store.WriteInt("S", "Old", 2));
        ASSERT_TRUE(store.WriteInt("T", "Id", 15));
        ASSERT_GT(store.Text().size(), 200u);
        ASSERT_TRUE(store.Save()) << store.saveError();
    }
    EXPECT_EQ(ReadBytes(File()), "[S]\r\nOld=2\r\nPort=/dev/ttyUSB0\r\n\r\n[T]\r\nId=15\r\n");
    const ProfileStore again(File(), 200);
    EXPECT_EQ(again.loadResult(), ProfileStore::LoadResult::Loaded);
    EXPECT_EQ(again.GetInt("T", "Id", 0), 15);

    // Within the limit nothing is dropped.
    WriteBytes(File(), "; notes\r\n[S]\r\nOld=1\r\n");
    ProfileStore small(File(), 200);
    ASSERT_TRUE(small.WriteInt("S", "Old", 3));
    ASSERT_TRUE(small.Save());
    EXPECT_EQ(ReadBytes(File()), "; notes\r\n[S]\r\nOld=3\r\n");
}

TEST_F(ProfileStoreTest, ValuesTooLargeToReadBackAreNotSavedAtAll) {
    WriteBytes(File(), "[S]\r\nA=1\r\n");
    ProfileStore store(File(), 100);
    ASSERT_TRUE(store.WriteString("S", "Long", std::string(100, 'x')));
    EXPECT_FALSE(store.Save());
    EXPECT_FALSE(store.saveError().empty());
    EXPECT_EQ(ReadBytes(File()), "[S]\r\nA=1\r\n");
    EXPECT_EQ(FilesIn(dir.path()), 1);
}

TEST_F(ProfileStoreTest, TemporaryFilesOfAnInterruptedSaveAreRemovedAtTheNextStart) {
    WriteBytes(File(), "[S]\r\nA=1\r\n");
    WriteBytes(dir / ".rir-controller.INI.Ab12Cd", "[S]\r\nA="); // a save cut short
    WriteBytes(dir / ".rir-controller.INI.zzzzzz", "");          // one cut shorter still
    const char* kept[] = {
        ".rir-controller.INI.bak",    ".rir-controller.INI.Ab12C", ".rir-controller.INI.Ab12Cde",
        ".rir-controller.INI.Ab-2Cd", "rir-controller.INI.Ab12Cd", ".other.INI.Ab12Cd",
    };
    for (const char* name : kept)
        WriteBytes(dir / name, "x");
    // A save running in another station at this moment holds its file locked.
    const fs::path running = dir / ".rir-controller.INI.Run123";
    WriteBytes(running, "[S]");
    const int runningFd = open(running.c_str(), O_RDONLY);
    ASSERT_GE(runningFd, 0);
    ASSERT_EQ(flock(runningFd, LOCK_EX), 0);
    // A link of that name is not followed, and not removed.
    WriteBytes(dir / "elsewhere", "keep");
    fs::create_symlink(dir / "elsewhere", dir / ".rir-controller.INI.Link00");

    const ProfileStore store(File());
    EXPECT_EQ(store.GetInt("S", "A", 0), 1);
    EXPECT_FALSE(fs::exists(dir / ".rir-controller.INI.Ab12Cd"));
    EXPECT_FALSE(fs::exists(dir / ".rir-controller.INI.zzzzzz"));
    for (const char* name : kept)
        EXPECT_TRUE(fs::exists(dir / name)) << name;
    EXPECT_TRUE(fs::exists(running));
    EXPECT_TRUE(fs::is_symlink(dir / ".rir-controller.INI.Link00"));
    EXPECT_EQ(ReadBytes(dir / "elsewhere"), "keep");
    close(runningFd);

    // Once its writer is gone the same file is left over, and goes at the next start.
    const ProfileStore next(File());
    EXPECT_FALSE(fs::exists(running));
}

TEST_F(ProfileStoreTest, LongLinesAndBinaryGarbageAreHarmless) {
    std::string content = "[S]\r\nLong=" + std::string(200000, '7') + "\r\n";
    for (int b = 0; b < 256; ++b)
        content.push_back(static_cast<char>(b));
    content += "\r\nAfter=1\r\n";
    WriteBytes(File(), content);
    ProfileStore store(File());
    EXPECT_EQ(store.GetInt("S", "Long", 0), 2147483647);
    EXPECT_EQ(store.GetString("S", "Long", "").size(), 200000u);
    EXPECT_EQ(store.GetInt("S", "After", 0), 1);
}

TEST_F(ProfileStoreTest, SaveCreatesTheDirectoryAndLeavesNoTemporaryFile) {
    const fs::path nested = dir / "config" / "deeper" / "rir-controller.INI";
    ProfileStore store(nested);
    ASSERT_TRUE(store.WriteInt("S", "A", 1));
    ASSERT_TRUE(store.Save()) << store.saveError();
    EXPECT_EQ(ReadBytes(nested), "[S]\r\nA=1\r\n");
    EXPECT_EQ(FilesIn(nested.parent_path()), 1);
}

TEST_F(ProfileStoreTest, FailedRenameLeavesTheTargetIntact) {
    // A directory where the file should be: the rename fails even for root.
    fs::create_directory(File());
    WriteBytes(File() / "inside.txt", "precious");
    ProfileStore store(File());
    EXPECT_EQ(store.loadResult(), ProfileStore::LoadResult::Unreadable);
    ASSERT_TRUE(store.WriteInt("S", "A", 1));
    EXPECT_FALSE(store.Save());
    EXPECT_FALSE(store.saveError().empty());
    EXPECT_TRUE(fs::is_directory(File()));
    EXPECT_EQ(ReadBytes(File() / "inside.txt"), "precious");
    EXPECT_EQ(FilesIn(dir.path()), 1); // the temporary file is gone
}

TEST_F(ProfileStoreTest, UncreatableDirectoryFailsTheSave) {
    WriteBytes(dir / "plain file", "x");
    ProfileStore store(dir / "plain file" / "rir-controller.INI");
    ASSERT_TRUE(store.WriteInt("S", "A", 1));
    EXPECT_FALSE(store.Save());
    EXPECT_FALSE(store.saveError().empty());
    EXPECT_EQ(ReadBytes(dir / "plain file"), "x");
}

TEST_F(ProfileStoreTest, ReadOnlyDirectoryLeavesTheOldFileIntact) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only directories; FailedRenameLeavesTheTargetIntact covers it";
    WriteBytes(File(), "[S]\r\nA=1\r\n");
    ProfileStore store(File());
    ASSERT_TRUE(store.WriteInt("S", "A", 2));
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(store.Save());
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_EQ(ReadBytes(File()), "[S]\r\nA=1\r\n");
    EXPECT_EQ(FilesIn(dir.path()), 1);
}

TEST_F(ProfileStoreTest, SaveKeepsTheOldFilesPermissions) {
    WriteBytes(File(), "[S]\r\nA=1\r\n");
    fs::permissions(File(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ProfileStore store(File());
    ASSERT_TRUE(store.WriteInt("S", "A", 2));
    ASSERT_TRUE(store.Save()) << store.saveError();
    EXPECT_EQ(fs::status(File()).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(ReadBytes(File()), "[S]\r\nA=2\r\n");
}

} // namespace
} // namespace rir
