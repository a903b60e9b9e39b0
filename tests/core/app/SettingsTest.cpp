#include "app/Settings.h"

#include "app/ProfileStore.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace rir {
namespace {

class SettingsTest : public ::testing::Test {
protected:
    std::filesystem::path File() const { return dir / "rir-controller.INI"; }
    void WriteFile(const std::string& text) const { std::ofstream(File(), std::ios::binary) << text; }
    test::TempDir dir;
};

TEST(TabSection, NamesHaveAtLeastTwoDigits) {
    EXPECT_EQ(TabSectionName(1), "Tab_01");
    EXPECT_EQ(TabSectionName(9), "Tab_09");
    EXPECT_EQ(TabSectionName(10), "Tab_10");
    EXPECT_EQ(TabSectionName(127), "Tab_127");
}

TEST(TabSection, ChannelFromUnderscoreAfterFirstCharacter) {
    const struct {
        const char* name;
        int channel;
    } cases[] = {{"#5", 0}, {"#5_2", 1}, {"_5", 0}, {"", 0}, {"#_", 1}, {"_5_2", 1}, {"#127_2", 1}};
    for (const auto& c : cases)
        EXPECT_EQ(ChannelFromTabName(c.name), c.channel) << c.name;
}

TEST_F(SettingsTest, FirstRunGivesTheDefaults) {
    const StoredSettings s = ReadSettings(ProfileStore(File()));
    EXPECT_EQ(s.port, "");
    EXPECT_EQ(s.protocol, "ASCII");
    EXPECT_EQ(s.speed, 9600);
    EXPECT_EQ(s.tabs, 0);
    EXPECT_EQ(s.activeTab, 0);
    EXPECT_EQ(s.logToScreen, 1);
    EXPECT_EQ(s.logToFile, 0);
    EXPECT_EQ(s.fastPoll, 0) << "a station keeps its timing until the operator chooses";
    EXPECT_TRUE(s.tabSections.empty());
    EXPECT_EQ(s.window, (WindowPlacement{1, -1, -1, -1, -1}));
}

TEST_F(SettingsTest, StoredValuesAreRead) {
    WriteFile("[RIR Control RS485]\r\nPort=COM4\r\nProtocol=RS232\r\nSpeed=19200\r\nTabs=3\r\nActiveTab=2\r\n"
              "LogToScreen=0\r\nLogToFile=1\r\nFastPoll=1\r\n[Window]\r\nStatus=3\r\nTop=50\r\nLeft="
              "100\r\nBottom=650\r\n"
              "Right=900\r\n[Tab_01]\r\nName=#5\r\nId=5\r\n[Tab_02]\r\nName=#5_2\r\nId=5\r\n"
              "[Tab_03]\r\nName=#9\r\nId=9\r\n");
    const StoredSettings s = ReadSettings(ProfileStore(File()));
    EXPECT_EQ(s.port, "COM4");
    EXPECT_EQ(s.protocol, "RS232");
    EXPECT_EQ(s.speed, 19200);
    EXPECT_EQ(s.tabs, 3);
    EXPECT_EQ(s.activeTab, 2);
    EXPECT_EQ(s.logToScreen, 0);
    EXPECT_EQ(s.logToFile, 1);
    EXPECT_EQ(s.fastPoll, 1);
    EXPECT_EQ(s.window, (WindowPlacement{3, 50, 100, 650, 900}));
    const std::vector<StoredSettings::Tab> expected = {{"#5", 5, 0}, {"#5_2", 5, 1}, {"#9", 9, 0}};
    EXPECT_EQ(s.tabSections, expected);
}

TEST_F(SettingsTest, TabsCountAndIdsAreBounded) {
    std::string sections;
    for (int i = 1; i <= 300; ++i)
        sections += "[" + TabSectionName(i) + "]\r\nName=#" + std::to_string(i % 127 + 1) +
                    "\r\nId=" + std::to_string(i % 127 + 1) + "\r\n";
    const struct {
        const char* tabs;
        int count;
        std::size_t read;
    } cases[] = {
        {"300", 254, 254}, {"-5", 0, 0}, {"99999999999999", 254, 254}, {"abc", 0, 0}, {"2", 2, 2},
    };
    for (const auto& c : cases) {
        WriteFile("[RIR Control RS485]\r\nTabs=" + std::string(c.tabs) + "\r\n" + sections);
        const StoredSettings s = ReadSettings(ProfileStore(File()));
        EXPECT_EQ(s.tabs, c.count) << c.tabs;
        EXPECT_EQ(s.tabSections.size(), c.read) << c.tabs;
    }
}

TEST_F(SettingsTest, SectionsWithoutADeviceAddressAreSkipped) {
    WriteFile("[RIR Control RS485]\r\nTabs=7\r\n"
              "[Tab_01]\r\nName=#0\r\nId=0\r\n"
              "[Tab_02]\r\nName=#3\r\nId=3\r\n"
              "[Tab_03]\r\nName=#128\r\nId=128\r\n"
              "[Tab_04]\r\nName=#-4\r\nId=-4\r\n"
              "[Tab_05]\r\nName=junk\r\nId=junk\r\n"
              "[Tab_06]\r\nName=#127_2\r\nId=127\r\n");
    const StoredSettings s = ReadSettings(ProfileStore(File()));
    const std::vector<StoredSettings::Tab> expected = {{"#3", 3, 0}, {"#127_2", 127, 1}};
    EXPECT_EQ(s.tabSections, expected);
}

TEST_F(SettingsTest, OverlongNameIsCut) {
    WriteFile("[RIR Control RS485]\r\nTabs=1\r\n[Tab_01]\r\nName=#5" + std::string(400, 'x') +
              "_2\r\nId=5\r\n");
    const StoredSettings s = ReadSettings(ProfileStore(File()));
    ASSERT_EQ(s.tabSections.size(), 1u);
    EXPECT_EQ(s.tabSections[0].name, "#5" + std::string(253, 'x'));
    EXPECT_EQ(s.tabSections[0].channel, 0); // the '_' was beyond what is kept
}

TEST_F(SettingsTest, WritesEverythingInOrder) {
    ProfileStore store(File());
    StoredSettings s;
    s.port = "COM3";
    s.protocol = "RTU";
    s.speed = 38400;
    s.activeTab = 2;
    s.logToScreen = 1;
    s.logToFile = 0;
    s.fastPoll = 1;
    s.window = {1, 50, 100, 650, 900};
    s.alarmBeep = 0;
    s.overview = {1, 10, 20, 600, 400, 3};
    s.tabSections = {{"#15", 15, 0}, {"#15_2", 15, 1}};
    s.tabSections[1].alarms.tolerancePercent = 7.5;
    s.tabSections[1].alarms.delaySeconds = 30;
    s.tabSections[1].alarms.tempLow = -5;
    s.tabSections[1].alarms.pauseProgram = true;
    ASSERT_TRUE(WriteSettings(store, s));
    ASSERT_TRUE(store.Save()) << store.saveError();
    std::ifstream in(File(), std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(
        text,
        "[RIR Control RS485]\r\nPort=COM3\r\nProtocol=RTU\r\nSpeed=38400\r\nTabs=2\r\nActiveTab=2\r\n"
        "LogToScreen=1\r\nLogToFile=0\r\nFastPoll=1\r\nAlarmBeep=0\r\nModuleInterval=5\r\n\r\n"
        "[Window]\r\nStatus=1\r\nTop=50\r\nLeft=100\r\nBottom=650\r\nRight=900\r\n\r\n"
        "[Overview]\r\nOpen=1\r\nLeft=10\r\nTop=20\r\nWidth=600\r\nHeight=400\r\nColumns=3\r\n\r\n"
        "[Tab_01]\r\nName=#15\r\nId=15\r\nAlarmTolerance=10.0\r\nAlarmDelay=10\r\nAlarmTempLow=5.0\r\n"
        "AlarmTempHigh=60.0\r\nAlarmLinkErrors=5\r\nAlarmPause=0\r\n\r\n"
        "[Tab_02]\r\nName=#15_2\r\nId=15\r\nAlarmTolerance=7.5\r\nAlarmDelay=30\r\nAlarmTempLow=-5.0\r\n"
        "AlarmTempHigh=60.0\r\nAlarmLinkErrors=5\r\nAlarmPause=1\r\n");
    const StoredSettings back = ReadSettings(ProfileStore(File()));
    EXPECT_EQ(back.tabSections, s.tabSections);
    EXPECT_EQ(back.window, s.window);
    EXPECT_EQ(back.overview, s.overview);
    EXPECT_EQ(back.alarmBeep, 0);
}

TEST_F(SettingsTest, ModuleIntervalIsReadWithinItsBounds) {
    const struct {
        const char* line;
        int seconds;
    } cases[] = {{"", 5},
                 {"ModuleInterval=1\r\n", 1},
                 {"ModuleInterval=12\r\n", 12},
                 {"ModuleInterval=3600\r\n", 3600},
                 {"ModuleInterval=0\r\n", 5},
                 {"ModuleInterval=3601\r\n", 5},
                 {"ModuleInterval=-7\r\n", 5},
                 {"ModuleInterval=fast\r\n", 5}};
    for (const auto& c : cases) {
        WriteFile(std::string("[RIR Control RS485]\r\n") + c.line);
        EXPECT_EQ(ReadSettings(ProfileStore(File())).moduleInterval, c.seconds) << c.line;
    }
}

TEST_F(SettingsTest, FewerTabsThanLastRunLeavesOnlyTheCurrentSections) {
    StoredSettings s;
    for (int id : {5, 6, 7, 8, 9})
        s.tabSections.push_back({"#" + std::to_string(id), id, 0});
    {
        ProfileStore store(File());
        ASSERT_TRUE(WriteSettings(store, s));
        ASSERT_TRUE(store.Save());
    }
    s.tabSections.resize(2);
    ProfileStore store(File());
    ASSERT_TRUE(WriteSettings(store, s));
    ASSERT_TRUE(store.Save());

    const ProfileStore after(File());
    EXPECT_EQ(after.GetInt("RIR Control RS485", "Tabs", -1), 2);
    EXPECT_EQ(after.GetInt("Tab_01", "Id", 0), 5);
    EXPECT_EQ(after.GetInt("Tab_02", "Id", 0), 6);
    for (int i = 3; i <= 5; ++i)
        EXPECT_EQ(after.GetString(TabSectionName(i), "Name", "gone"), "gone") << i;
}

TEST_F(SettingsTest, UnknownSectionsSurviveAndStaleHighTabSectionsGo) {
    WriteFile(
        "[Operator notes]\r\nBench=3\r\n[Tab_200]\r\nName=#4\r\nId=4\r\n[RIR Control RS485]\r\nTabs=0\r\n");
    ProfileStore store(File());
    ASSERT_TRUE(WriteSettings(store, StoredSettings{}));
    EXPECT_EQ(store.GetInt("Operator notes", "Bench", 0), 3);
    EXPECT_EQ(store.GetInt("Tab_200", "Id", 0), 0);
}

TEST_F(SettingsTest, NameIsWrittenWithAtMost255Bytes) {
    ProfileStore store(File());
    StoredSettings s;
    s.tabSections = {{std::string(300, 'n'), 7, 0}, {"#" + std::string(253, 'x') + "Ж", 8, 0}};
    ASSERT_TRUE(WriteSettings(store, s));
    EXPECT_EQ(store.GetString("Tab_01", "Name", ""), std::string(255, 'n'));
    // A two-byte letter that would straddle the limit is left out whole.
    EXPECT_EQ(store.GetString("Tab_02", "Name", ""), "#" + std::string(253, 'x'));
}

TEST_F(SettingsTest, SettingsFileOfMoreThanAMegabyteRoundTripsWithItsTabs) {
    // An operator's notes of 1.5 MB in the file: read with the tabs, saved, and read again.
    std::string notes = "[Operator notes]\r\n";
    while (notes.size() < 1536 * 1024)
        notes += "; bath 3, anodes changed, current density checked at every shift change\r\n";
    StoredSettings s;
    for (int id : {15, 20, 7})
        s.tabSections.push_back({"#" + std::to_string(id), id, 0});
    s.tabSections.push_back({"#20_2", 20, 1});
    {
        ProfileStore store(File());
        ASSERT_TRUE(WriteSettings(store, s));
        ASSERT_TRUE(store.Save()) << store.saveError();
    }
    std::ofstream(File(), std::ios::binary | std::ios::app) << notes;
    ASSERT_GT(std::filesystem::file_size(File()), 1536u * 1024);

    for (int run = 0; run < 2; ++run) {
        ProfileStore store(File());
        ASSERT_EQ(store.loadResult(), ProfileStore::LoadResult::Loaded) << run;
        const StoredSettings back = ReadSettings(store);
        EXPECT_EQ(back.tabSections, s.tabSections) << run;
        ASSERT_EQ(SaveSettingsFile(store, back), std::nullopt) << run;
    }
    EXPECT_GT(std::filesystem::file_size(File()), 1536u * 1024) << "the notes are kept";
    EXPECT_EQ(ReadSettings(ProfileStore(File())).tabSections, s.tabSections);
}

} // namespace
} // namespace rir

namespace rir {
namespace {

TEST_F(SettingsTest, AFileThatCannotBeReadIsSaidAndKept) {
    enum class Kind { Missing, Good, TooLarge, Folder };
    const struct {
        const char* name;
        Kind kind;
        const char* said; // "%s" stands for the file's path; empty: nothing to say
        bool keep;
    } cases[] = {
        {"no file yet", Kind::Missing, "", false},
        {"a good file", Kind::Good, "", false},
        {"larger than the limit", Kind::TooLarge,
         "Файл настроек %s больше 64 МБ и не прочитан! Программа работает с настройками по умолчанию, файл "
         "при "
         "выходе не перезаписывается.",
         true},
        {"a folder in its place", Kind::Folder,
         "Не удалось прочитать файл настроек %s! Программа работает с настройками по умолчанию, файл при "
         "выходе "
         "не перезаписывается.",
         true},
    };
    constexpr std::uintmax_t LIMIT = 64;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::error_code ignored;
        std::filesystem::remove_all(File(), ignored);
        if (c.kind == Kind::Good)
            WriteFile("[RIR Control RS485]\r\nSpeed=19200\r\n");
        else if (c.kind == Kind::TooLarge)
            WriteFile("[RIR Control RS485]\r\nSpeed=19200\r\n" + std::string(LIMIT, ';'));
        else if (c.kind == Kind::Folder)
            std::filesystem::create_directory(File());
        const SettingsRead read = ReadSettingsFile(ProfileStore(File(), LIMIT));
        EXPECT_EQ(read.keepFile, c.keep);
        std::string said(c.said);
        if (!said.empty())
            said.replace(said.find("%s"), 2, File().string());
        EXPECT_EQ(read.problem, said);
        EXPECT_EQ(read.settings.speed, c.kind == Kind::Good ? 19200 : 9600);
    }
}

} // namespace
} // namespace rir
