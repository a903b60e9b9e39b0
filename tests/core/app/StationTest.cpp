#include "StationRig.h"

#include "app/ProfileStore.h"
#include "app/Settings.h"
#include "bus/BusThread.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace rir {
namespace {

using test::StationRig;
using Strings = std::vector<std::string>;

TEST(StationStart, FirstRunShowsAddress15InAsciiAt9600) {
    StationRig rig;
    ASSERT_TRUE(rig.station.Start(nullptr));
    EXPECT_EQ(rig.Captions(), Strings{"#15"});
    EXPECT_EQ(rig.station.selectedTab(), 0);
    EXPECT_EQ(rig.station.busLink().state().framing.load(), Framing::Ascii);
    EXPECT_EQ(rig.station.busLink().state().speedIndex.load(), 6);
    EXPECT_TRUE(rig.station.menu().Checked(ID_MENU_ASCII));
    EXPECT_FALSE(rig.station.menu().Checked(ID_MENU_RTU));
    EXPECT_TRUE(rig.station.menu().Checked(32783));
    EXPECT_TRUE(rig.station.menu().Checked(ID_PORT_FIRST));
    EXPECT_TRUE(rig.station.menu().Checked(ID_MENU_LOG_SCREEN));
    EXPECT_FALSE(rig.station.menu().Checked(ID_MENU_LOG_FILE));
    EXPECT_TRUE(rig.station.menu().Checked(DeviceMenuId(15, 0)));
    EXPECT_TRUE(rig.station.pollingRunning());
    EXPECT_EQ(rig.LastLine(), "Найдено 2 com-порта. Используем: COM1");
    EXPECT_EQ(rig.Entry(15, 0).address, 15);
}

TEST(StationStart, NoPortsSaysSoAndEnds) {
    StationRig rig(std::vector<std::string>{});
    EXPECT_FALSE(rig.station.Start(nullptr));
    EXPECT_EQ(rig.prompts.messages, Strings{"В компьютере отсутствуют COM-порты! Программа будет закрыта."});
    EXPECT_EQ(rig.LastLine(), "Com-портов не найдено!");
    EXPECT_TRUE(rig.station.pages().empty());
    EXPECT_FALSE(rig.station.pollingRunning());
}

TEST(StationStart, RestoresPortProtocolSpeedLogAndTabs) {
    StationRig rig;
    StoredSettings s;
    s.port = "COM4";
    s.protocol = "RS232";
    s.speed = 19200;
    s.logToScreen = 0;
    s.tabSections = {{"#5", 5, 0}, {"#5_2", 5, 1}, {"#9", 9, 0}};
    s.activeTab = 1;
    ASSERT_TRUE(rig.station.Start(&s));
    EXPECT_EQ(rig.station.busLink().state().portIndex.load(), 1);
    EXPECT_TRUE(rig.station.menu().Checked(1001));
    EXPECT_EQ(rig.station.busLink().state().framing.load(), Framing::Rs232);
    EXPECT_TRUE(rig.station.menu().Checked(ID_MENU_RS232));
    EXPECT_EQ(rig.station.busLink().state().speedIndex.load(), 6)
        << "a point-to-point line runs at 9600 whatever is stored";
    for (const SpeedEntry& e : SpeedTable)
        EXPECT_EQ(rig.station.menu().Enabled(e.menuId), e.baud == 9600) << e.baud;
    EXPECT_EQ(rig.Captions(), (Strings{"#5", "#5_2", "#9"}));
    EXPECT_EQ(rig.station.pages()[1]->state.channel, 1);
    EXPECT_EQ(rig.Entry(5, 1).channel, 1);
    EXPECT_EQ(rig.station.selectedTab(), 0);
    EXPECT_FALSE(rig.log.logToScreen());
    EXPECT_FALSE(rig.station.menu().Checked(ID_MENU_LOG_SCREEN));
}

TEST(StationStart, StalePortUnknownSpeedAndBadActiveTabFallBack) {
    StationRig rig;
    StoredSettings s;
    s.port = "COM77";
    s.protocol = "garbage";
    s.speed = 12345;
    s.activeTab = 40;
    s.tabSections = {{"#3", 3, 0}, {"#3", 3, 0}, {"#4", 4, 0}};
    ASSERT_TRUE(rig.station.Start(&s));
    EXPECT_EQ(rig.station.busLink().state().portIndex.load(), 0);
    EXPECT_EQ(rig.station.busLink().state().framing.load(), Framing::Ascii)
        << "an unknown protocol leaves the default";
    EXPECT_EQ(rig.station.busLink().state().speedIndex.load(), 6);
    EXPECT_TRUE(rig.station.menu().Checked(32783));
    EXPECT_EQ(rig.Captions(), (Strings{"#3", "#4"}));
    EXPECT_TRUE(rig.prompts.messages.empty());
    EXPECT_EQ(rig.Count("В файле настроек повторяются вкладки, повторы пропущены: #3"), 1u);
    EXPECT_EQ(rig.station.selectedTab(), 1) << "the last added main page stays selected";
}

TEST(StationSettings, SaveRoundTripKeepsOnlyTheTabsThatExist) {
    const auto dir = std::filesystem::temp_directory_path() / ("rir-station-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto file = dir / "rir-controller.INI";
    {
        StationRig rig;
        StoredSettings s;
        s.tabSections = {{"#1", 1, 0}, {"#2", 2, 0}, {"#3", 3, 0}, {"#4", 4, 0}, {"#5", 5, 0}};
        rig.station.Start(&s);
        ProfileStore store(file);
        ASSERT_TRUE(WriteSettings(store, rig.station.SettingsToSave({})));
        ASSERT_TRUE(store.Save());
    }
    {
        StationRig rig;
        ProfileStore store(file);
        const StoredSettings s = ReadSettings(store);
        rig.station.Start(&s);
        EXPECT_EQ(rig.Captions().size(), 5u);
        rig.station.DeleteDevice(3, 0);
        rig.station.DeleteDevice(4, 0);
        rig.station.DeleteDevice(5, 0);
        rig.station.OnCommand(ID_MENU_RTU);
        ASSERT_TRUE(WriteSettings(store, rig.station.SettingsToSave({SHOW_NORMAL, 50, 100, 650, 900})));
        ASSERT_TRUE(store.Save());
    }
    ProfileStore store(file);
    EXPECT_EQ(store.GetInt("RIR Control RS485", "Tabs", -1), 2);
    EXPECT_EQ(store.GetString("RIR Control RS485", "Protocol", ""), "RTU");
    EXPECT_EQ(store.GetString("RIR Control RS485", "Port", ""), "COM1");
    EXPECT_EQ(store.GetInt("RIR Control RS485", "Speed", 0), 9600);
    EXPECT_EQ(store.GetInt("RIR Control RS485", "ActiveTab", 0), 2);
    EXPECT_EQ(store.GetString("Tab_02", "Name", ""), "#2");
    EXPECT_EQ(store.GetInt("Tab_03", "Id", 0), 0) << "sections of tabs that are gone are deleted";
    EXPECT_EQ(store.GetInt("Window", "Right", 0), 900);
    std::filesystem::remove_all(dir);
}

TEST(StationTabs, ChannelBTabAndMenuItemWithoutChangingTheSelection) {
    StationRig rig;
    rig.station.Start(nullptr);
    rig.station.AddDevice(5, 0);
    EXPECT_EQ(rig.station.selectedTab(), 1);
    const int tabNotes = rig.listener.tabs;
    rig.station.AddDevice(5, 1);
    EXPECT_GT(rig.listener.tabs, tabNotes) << "the window must redraw its tab row";
    EXPECT_EQ(rig.Captions(), (Strings{"#15", "#5", "#5_2"}));
    EXPECT_EQ(rig.station.selectedTab(), 1);
    ASSERT_NE(rig.station.menu().Find(2132), nullptr);
    EXPECT_EQ(rig.station.menu().Find(2132)->text, "#5_2");
    EXPECT_TRUE(rig.station.menu().Checked(2005));
    EXPECT_FALSE(rig.station.menu().Checked(2132));
    rig.station.AddDevice(5, 0);
    EXPECT_EQ(rig.prompts.messages.back(), "Уже есть такое устройство!");
    EXPECT_EQ(rig.Captions().size(), 3u);
}

TEST(StationTabs, LastSupplyCannotBeDeletedButItsChannelBCan) {
    StationRig rig;
    StoredSettings s;
    s.tabSections = {{"#5", 5, 0}, {"#5_2", 5, 1}};
    rig.station.Start(&s);
    rig.station.DeleteDevice(5, 0);
    EXPECT_EQ(rig.Captions(), (Strings{"#5", "#5_2"}));
    rig.station.DeleteDevice(5, 1);
    EXPECT_EQ(rig.Captions(), Strings{"#5"});
    EXPECT_EQ(rig.station.menu().Find(2132), nullptr);
    EXPECT_EQ(rig.Entry(5, 1).address, -1);
    rig.station.DeleteDevice(5, 0); // the only tab
    EXPECT_EQ(rig.Captions(), Strings{"#5"});
}

TEST(StationTabs, DeleteSelectsTheTabBeforeAndMenuFollows) {
    StationRig rig;
    StoredSettings s;
    s.tabSections = {{"#1", 1, 0}, {"#2", 2, 0}, {"#3", 3, 0}};
    rig.station.Start(&s);
    rig.station.OnCommand(2002); // menu item of #2
    EXPECT_EQ(rig.station.selectedTab(), 1);
    EXPECT_TRUE(rig.station.menu().Checked(2002));
    rig.station.OnCommand(ID_MENU_DELETE);
    EXPECT_EQ(rig.Captions(), (Strings{"#1", "#3"}));
    EXPECT_EQ(rig.station.selectedTab(), 0);
    EXPECT_TRUE(rig.station.menu().Checked(2001));
    rig.station.SelectTab(0);
    rig.station.DeleteDevice(1, 0);
    EXPECT_EQ(rig.station.selectedTab(), 0) << "the first tab went: the new first one is selected";
    EXPECT_TRUE(rig.station.menu().Checked(2003));
}

TEST(StationTabs, AddAsksForTheNextAddress) {
    StationRig rig;
    rig.station.Start(nullptr);
    rig.prompts.addresses = {std::optional<int>(20), std::nullopt};
    rig.station.OnCommand(ID_MENU_ADD);
    EXPECT_EQ(rig.prompts.proposed, std::vector<int>{16});
    EXPECT_EQ(rig.Captions(), (Strings{"#15", "#20"}));
    rig.station.OnCommand(ID_MENU_ADD); // cancelled
    EXPECT_EQ(rig.prompts.proposed.back(), 21);
    EXPECT_EQ(rig.Captions().size(), 2u);
}

TEST(StationCommands, SpeedAndPortChoices) {
    StationRig rig;
    rig.station.Start(nullptr);
    const auto before = rig.Lines().size();
    rig.station.OnCommand(32783); // 9600, already checked
    EXPECT_EQ(rig.Lines().size(), before);
    EXPECT_FALSE(rig.station.busLink().state().reopenRequested.load());
    rig.station.OnCommand(32786);
    EXPECT_EQ(rig.LastLine(), "Смена скорости порта на 38400 бод");
    EXPECT_EQ(rig.station.busLink().state().speedIndex.load(), 9);
    EXPECT_TRUE(rig.station.menu().Checked(32786));
    EXPECT_FALSE(rig.station.menu().Checked(32783));
    EXPECT_TRUE(rig.station.busLink().state().reopenRequested.exchange(false));
    rig.station.OnCommand(ID_PORT_FIRST); // the same port again: logged and reopened all the same
    EXPECT_EQ(rig.LastLine(), "Смена активного порта на: COM1");
    EXPECT_TRUE(rig.station.busLink().state().reopenRequested.exchange(false));
    rig.station.OnCommand(ID_PORT_FIRST + 1);
    EXPECT_EQ(rig.station.busLink().state().portIndex.load(), 1);
    EXPECT_TRUE(rig.station.menu().Checked(1001));
    EXPECT_FALSE(rig.station.menu().Checked(1000));
}

TEST(StationCommands, Rs232KeepsTheSelectedPageThenRtuReenablesSpeeds) {
    StationRig rig;
    StoredSettings s;
    s.speed = 38400;
    s.tabSections = {{"#1", 1, 0}, {"#2", 2, 0}, {"#3", 3, 0}};
    rig.station.Start(&s);
    rig.station.SelectTab(1);
    rig.SetEntryState(2, 0, PollState::Complete);
    rig.prompts.answers = {true}; // the other tabs may go
    rig.station.OnCommand(ID_MENU_RS232);
    EXPECT_EQ(rig.Captions(), Strings{"#2"});
    EXPECT_EQ(rig.station.selectedTab(), 0);
    EXPECT_EQ(rig.LastLine(), "Смена протокола работы на RS232");
    EXPECT_EQ(rig.station.busLink().state().pendingFraming(), Framing::Rs232);
    EXPECT_EQ(rig.station.busLink().state().speedIndex.load(), 6);
    EXPECT_TRUE(rig.station.menu().Checked(32783));
    EXPECT_FALSE(rig.station.menu().Checked(32786));
    EXPECT_FALSE(rig.station.menu().Enabled(32786));
    EXPECT_EQ(rig.Entry(2, 0).state, PollState::Unknown) << "identified afresh in the new framing";

    rig.station.OnCommand(ID_MENU_RTU);
    EXPECT_EQ(rig.LastLine(), "Смена протокола работы на MODBUS-RTU");
    EXPECT_TRUE(rig.station.menu().Enabled(32786));
    EXPECT_EQ(rig.station.busLink().state().speedIndex.load(), 6);
    EXPECT_TRUE(rig.station.menu().Checked(ID_MENU_RTU));
    EXPECT_FALSE(rig.station.menu().Checked(ID_MENU_RS232));
    const auto lines = rig.Lines().size();
    rig.station.OnCommand(ID_MENU_RTU); // already chosen
    EXPECT_EQ(rig.Lines().size(), lines);
}

TEST(StationCommands, StartStopReleasesTheBusOnlyWhenTurnedOnAndSaysSo) {
    StationRig rig;
    rig.station.Start(nullptr);
    ASSERT_TRUE(rig.station.busLink().eStart().Wait()); // the first cycle's go-ahead, created signalled
    rig.station.OnCommand(ID_MENU_START_STOP);
    EXPECT_FALSE(rig.station.pollingRunning());
    EXPECT_EQ(rig.LastLine(),
              "Опрос остановлен оператором (Старт/стоп), показания на панельках не обновляются");
    rig.Reply({15, 0x41}); // the cycle under way when polling stopped ends
    EXPECT_FALSE(rig.station.busLink().eStart().IsSet());
    rig.station.OnCommand(ID_MENU_START_STOP);
    EXPECT_TRUE(rig.station.pollingRunning());
    EXPECT_EQ(rig.LastLine(), "Опрос возобновлен оператором (Старт/стоп)");
    EXPECT_TRUE(rig.station.busLink().eStart().IsSet());
}

TEST(StationCommands, StopAndStartDuringACycleLeaveItsReplyToReleaseTheNext) {
    // A second go-ahead while a cycle runs would start the next one as soon as this one ends,
    // emptying the reply buffer before its reply was read, and the two threads would stay a
    // cycle apart from then on.
    StationRig rig;
    rig.station.Start(nullptr);
    ASSERT_TRUE(rig.station.busLink().eStart().Wait());
    rig.station.OnCommand(ID_MENU_START_STOP);
    rig.station.OnCommand(ID_MENU_START_STOP);
    EXPECT_FALSE(rig.station.busLink().eStart().IsSet()) << "the running cycle has not been digested";
    rig.Reply({15, 0x41});
    EXPECT_TRUE(rig.station.busLink().eStart().IsSet());
    ASSERT_TRUE(rig.station.busLink().eStart().Wait());
    rig.station.OnCommand(ID_MENU_START_STOP);
    rig.station.OnCommand(ID_MENU_START_STOP);
    EXPECT_FALSE(rig.station.busLink().eStart().IsSet());
}

TEST(StationCommands, LogSwitches) {
    StationRig rig;
    rig.station.Start(nullptr);
    rig.station.OnCommand(ID_MENU_LOG_SCREEN);
    EXPECT_FALSE(rig.log.logToScreen());
    EXPECT_FALSE(rig.station.menu().Checked(ID_MENU_LOG_SCREEN));
    rig.station.OnResize(1000, 700);
    EXPECT_EQ(rig.station.layout().tabControl.bottom, 683) << "the tab control takes the log's room";
    rig.station.OnCommand(ID_MENU_LOG_SCREEN);
    rig.station.OnResize(1000, 700);
    EXPECT_EQ(rig.station.layout().tabControl.bottom, 582);
}

TEST(StationCommands, FastPollingIsSwitchedWithoutAReopenAndSaysSo) {
    StationRig rig;
    rig.station.Start(nullptr);
    ASSERT_TRUE(rig.station.busLink().eStart().Wait()); // the first cycle is under way
    rig.PortNote(BusNote::PortOpened, "COM1");
    EXPECT_FALSE(rig.station.busLink().state().fastPolling.load()) << "off on a first run";
    EXPECT_FALSE(rig.station.menu().Checked(ID_MENU_FAST_POLL));
    EXPECT_NE(rig.station.statusText().find("| Опрос идет |"), std::string::npos);

    const int menusBefore = rig.listener.menus;
    rig.station.OnCommand(ID_MENU_FAST_POLL);
    EXPECT_TRUE(rig.station.busLink().state().fastPolling.load());
    EXPECT_TRUE(rig.station.menu().Checked(ID_MENU_FAST_POLL));
    EXPECT_GT(rig.listener.menus, menusBefore);
    EXPECT_EQ(rig.LastLine(), "Быстрый опрос включен: ответ принимается, как только пришел целиком");
    EXPECT_NE(rig.station.statusText().find("| Быстрый опрос идет |"), std::string::npos);
    EXPECT_FALSE(rig.station.busLink().state().reopenRequested.load()) << "the port stays open";
    EXPECT_FALSE(rig.station.busLink().eStart().IsSet()) << "no extra go-ahead: the running cycle ends first";

    rig.Reply({15, 0x41}); // the running cycle still ends and releases the next
    EXPECT_TRUE(rig.station.busLink().eStart().IsSet());

    rig.station.OnCommand(ID_MENU_FAST_POLL);
    EXPECT_FALSE(rig.station.busLink().state().fastPolling.load());
    EXPECT_FALSE(rig.station.menu().Checked(ID_MENU_FAST_POLL));
    EXPECT_EQ(rig.LastLine(), "Быстрый опрос выключен: ответ принимается после паузы на линии");
    EXPECT_NE(rig.station.statusText().find("| Опрос идет |"), std::string::npos);
    EXPECT_FALSE(rig.station.busLink().state().reopenRequested.load());
}

TEST(StationSettings, FastPollingIsRestoredAndSavedOnlyAsStored) {
    const struct {
        int stored;
        bool on;
    } cases[] = {{0, false}, {1, true}, {2, false}, {-1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        StationRig rig;
        StoredSettings s;
        s.fastPoll = c.stored;
        rig.station.Start(&s);
        EXPECT_EQ(rig.station.busLink().state().fastPolling.load(), c.on);
        EXPECT_EQ(rig.station.menu().Checked(ID_MENU_FAST_POLL), c.on);
        EXPECT_EQ(rig.station.SettingsToSave({}).fastPoll, c.on ? 1 : 0);
        rig.station.OnCommand(ID_MENU_FAST_POLL);
        EXPECT_EQ(rig.station.SettingsToSave({}).fastPoll, c.on ? 0 : 1) << "the operator's choice is kept";
    }
}

TEST(StationSettings, TheModuleIntervalReachesTheBusAndIsSaved) {
    StationRig rig;
    StoredSettings s;
    s.moduleInterval = 12;
    rig.station.Start(&s);
    EXPECT_EQ(rig.station.busLink().state().moduleIntervalS.load(), 12);
    EXPECT_EQ(rig.station.SettingsToSave({}).moduleInterval, 12);
}

TEST(StationLog, ThreadStartLineNamesTheFraming) {
    struct Case {
        const char* protocol;
        const char* name;
    } cases[] = {{"ASCII", "MODBUS-ASCII"}, {"RTU", "MODBUS-RTU"}, {"RS232", "MODBUS-ASCII"}};
    for (const auto& c : cases) {
        StationRig rig;
        StoredSettings s;
        s.protocol = c.protocol;
        rig.station.Start(&s);
        rig.station.OnBusReply(BusNote::Started);
        EXPECT_EQ(rig.LastLine(), std::string("Поток работы с com-портами запущен. Протокол: ") + c.name);
    }
}

} // namespace
} // namespace rir

namespace rir {
namespace {

TEST(StationSettings, UnwritableFileGivesTheOperatorAMessage) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("rir-unwritable-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "rir-controller.INI"); // a folder where the file should be
    ProfileStore store(dir / "rir-controller.INI");
    StationRig rig;
    rig.station.Start(nullptr);
    const auto problem = SaveSettingsFile(store, rig.station.SettingsToSave({}));
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(*problem,
              "Не удалось сохранить настройки в файл " + (dir / "rir-controller.INI").string() + "!");
    std::filesystem::remove_all(dir);

    const auto good = std::filesystem::temp_directory_path() / ("rir-writable-" + std::to_string(::getpid()));
    ProfileStore fine(good / "rir-controller.INI");
    EXPECT_FALSE(SaveSettingsFile(fine, rig.station.SettingsToSave({})).has_value());
    std::filesystem::remove_all(good);
}

TEST(StationLog, AFailingLogFileIsSaidWithoutHoldingUpTheBus) {
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "needs /dev/full, a device on which every write fails";
    StationRig rig({"COM1"}, "/dev/full");
    StoredSettings s;
    s.protocol = "RTU";
    ASSERT_TRUE(rig.station.Start(&s));
    ASSERT_TRUE(rig.station.busLink().eStart().Wait()); // the first cycle's go-ahead, taken by the bus
    rig.log.setLogToFile(true);
    ASSERT_TRUE(rig.log.OpenFile());
    std::vector<bool> goAheadWhileShown;
    rig.prompts.whileMessage = [&] {
        goAheadWhileShown.push_back(rig.station.busLink().eStart().IsSet());
        rig.ReplyRtu({99, FC_MEASURE, 0x00}); // the bus goes on under the box
    };
    rig.ReplyRtu({99, FC_MEASURE, 0x00}); // a cycle's reply: its log line finds the disk full

    const std::string said = "Ошибка записи в файл лога /dev/full! Лог в файл записываться не будет.";
    EXPECT_EQ(rig.prompts.messages, Strings{said}) << "one box, not one per line";
    EXPECT_EQ(goAheadWhileShown, std::vector<bool>{true}) << "the next cycle was released first";
    EXPECT_EQ(rig.station.noticeText(), said);
    EXPECT_EQ(rig.Count(said), 1u) << "the screen log says it too";
    EXPECT_EQ(rig.Count("Нету панельки для устройства #99"), 2u);

    rig.ReplyRtu({99, FC_MEASURE, 0x00});
    rig.station.OnCommand(ID_MENU_LOG_FILE); // off
    rig.station.OnCommand(ID_MENU_LOG_FILE); // on again: the file fails at its first line
    EXPECT_EQ(rig.prompts.messages.size(), 1u) << "the box once a run";
    EXPECT_EQ(rig.station.noticeText(), said);
    EXPECT_EQ(rig.Count(said), 2u);
}

TEST(StationSettings, RepeatedTabsAreSaidOnceInTheLog) {
    StationRig rig;
    StoredSettings s;
    s.tabSections = {{"#5", 5, 0}, {"#9", 9, 0}, {"#5", 5, 0}, {"#5_2", 5, 1}, {"#9", 9, 0}, {"#5_2", 5, 1}};
    ASSERT_TRUE(rig.station.Start(&s));
    EXPECT_EQ(rig.Captions(), (Strings{"#5", "#9", "#5_2"}));
    EXPECT_TRUE(rig.prompts.messages.empty()) << "no box before the window is shown";
    EXPECT_EQ(rig.Count("В файле настроек повторяются вкладки, повторы пропущены: #5, #9, #5_2"), 1u);
}

TEST(StationSettings, AFileThatCouldNotBeReadIsSaidAndNotSavedOver) {
    const struct {
        const char* name;
        std::string problem;
        bool keep;
    } cases[] = {
        {"read", "", false},
        {"not read",
         "Не удалось прочитать файл настроек /x.INI! Программа работает с настройками по "
         "умолчанию, файл при выходе не перезаписывается.",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StationRig rig;
        SettingsRead read;
        read.problem = c.problem;
        read.keepFile = c.keep;
        ASSERT_TRUE(rig.station.Start(read));
        EXPECT_EQ(rig.station.saveSettingsAtClose(), !c.keep);
        EXPECT_EQ(rig.prompts.messages, c.keep ? Strings{c.problem} : Strings{});
        EXPECT_EQ(rig.Count(c.problem), c.keep ? 1u : 0u);
        EXPECT_EQ(rig.Captions(), Strings{"#15"}) << "the defaults";
    }
}

TEST(StationSettings, ASaveThatFailedOnASignalIsOnlyLogged) {
    const struct {
        Station::CloseReason reason;
        std::size_t boxes;
    } cases[] = {{Station::CloseReason::Operator, 1}, {Station::CloseReason::Signal, 0}};
    for (const auto& c : cases) {
        StationRig rig;
        ASSERT_TRUE(rig.station.Start(nullptr));
        const std::string text = "Не удалось сохранить настройки в файл /x.INI!";
        rig.station.SettingsNotSaved(text, c.reason);
        EXPECT_EQ(rig.prompts.messages.size(), c.boxes);
        EXPECT_EQ(rig.LastLine(), text);
    }
}

} // namespace
} // namespace rir
