// What the station asks before a live output is cut or left without control, which removals it
// offers at all, and which page the file items follow.
#include "StationRig.h"

#include "PageOnline.h"
#include "device/PageControls.h"

#include "PageRuns.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

using test::StationRig;
using test::Tabs;
using Strings = std::vector<std::string>;

constexpr int STATUS_ON = 0x01;
// The switch-off of a page holding the test ratings' limits (15 V, 10 A).
const Request OFF_15 = {15, 0x43, 0x08, 0x05, 0xDC, 0x03, 0xE8};
const Request OFF_5_B = {5, 0x45, 0x00, 0x05, 0x08, 0x05, 0xDC, 0x03, 0xE8};

test::Commands Queued(const std::vector<Request>& requests) {
    return {requests.begin(), requests.end()};
}

TEST(StationLiveOutput, RemovingASupplyWhoseOutputIsLiveAsksFirst) {
    enum class Live { Off, On, ProgramRuns, ChannelBOn };
    enum class Via { Button, Menu };
    const struct {
        const char* name;
        Live live;
        Via via;
        std::vector<bool> answers;
        Strings questions;
        Strings captions;
        std::vector<Request> queued;
    } cases[] = {
        {"output off: no question", Live::Off, Via::Button, {}, {}, {"#5", "#5_2", "#20"}, {}},
        {"output on, Нет",
         Live::On,
         Via::Button,
         {false},
         {"#15 - Выход включен. Выключить его и удалить устройство?"},
         {"#15", "#5", "#5_2", "#20"},
         {}},
        {"output on, Да",
         Live::On,
         Via::Button,
         {true},
         {"#15 - Выход включен. Выключить его и удалить устройство?"},
         {"#5", "#5_2", "#20"},
         {OFF_15}},
        {"from the menu",
         Live::On,
         Via::Menu,
         {true},
         {"#15 - Выход включен. Выключить его и удалить устройство?"},
         {"#5", "#5_2", "#20"},
         {OFF_15}},
        {"a program runs",
         Live::ProgramRuns,
         Via::Button,
         {true},
         {"#15 - Идет работа по файлу. Остановить ее, выключить выход и удалить устройство?"},
         {"#5", "#5_2", "#20"},
         {OFF_15}},
        {"the channel B that goes with its supply",
         Live::ChannelBOn,
         Via::Button,
         {true},
         {"#5_2 - Выход включен. Выключить его и удалить устройство?"},
         {"#15", "#20"},
         {OFF_5_B}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StationRig rig;
        StoredSettings s;
        s.tabSections = {{"#15", 15, 0}, {"#5", 5, 0}, {"#5_2", 5, 1}, {"#20", 20, 0}};
        ASSERT_TRUE(rig.station.Start(&s));
        DevicePage& main = *rig.station.FindPage(15, 0);
        test::BringPageOnline(main, CONFIG_NONE,
                              c.live == Live::On || c.live == Live::ProgramRuns ? STATUS_ON : 0);
        test::BringPageOnline(*rig.station.FindPage(5, 1), CONFIG_NONE,
                              c.live == Live::ChannelBOn ? STATUS_ON : 0);
        if (c.live == Live::ProgramRuns)
            test::EnterRun(main, PageRun::Running);
        rig.prompts.answers.assign(c.answers.begin(), c.answers.end());
        const int address = c.live == Live::ChannelBOn ? 5 : 15;
        if (c.via == Via::Button) {
            rig.station.OnPageCommand(address, 0, IDC_REMOVE_DEVICE);
        } else {
            rig.station.SelectTab(0);
            rig.station.OnCommand(ID_MENU_DELETE);
        }
        EXPECT_EQ(rig.prompts.questions, c.questions);
        EXPECT_EQ(rig.Captions(), c.captions);
        EXPECT_EQ(rig.Queue(), Queued(c.queued));
    }
}

TEST(StationLiveOutput, LoadingAProgramOverALiveOutputAsksFirst) {
    enum class Via { Button, Menu };
    const struct {
        const char* name;
        int status;
        Via via;
        std::vector<bool> answers;
        std::size_t questions;
        int fileDialogs;
    } cases[] = {
        {"output off: the file dialog at once", 0, Via::Button, {}, 0, 1},
        {"output on, Нет", STATUS_ON, Via::Button, {false}, 1, 0},
        {"output on, Да", STATUS_ON, Via::Button, {true}, 1, 1},
        {"from the menu, Нет", STATUS_ON, Via::Menu, {false}, 1, 0},
        {"from the menu, Да", STATUS_ON, Via::Menu, {true}, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StationRig rig;
        ASSERT_TRUE(rig.station.Start(nullptr));
        test::BringPageOnline(*rig.station.FindPage(15, 0), CONFIG_NONE, c.status);
        rig.prompts.answers.assign(c.answers.begin(), c.answers.end());
        if (c.via == Via::Button)
            rig.station.OnPageCommand(15, 0, IDC_OPEN_PROGRAM);
        else
            rig.station.OnCommand(ID_MENU_OPEN);
        ASSERT_EQ(rig.prompts.questions.size(), c.questions);
        if (c.questions > 0) {
            EXPECT_EQ(rig.prompts.questions[0],
                      "#15 - Выход включен. При загрузке программы он будет выключен. Загрузить программу?");
        }
        EXPECT_EQ(rig.prompts.programFileDialogs, c.fileDialogs);
    }
}

TEST(StationLiveOutput, Rs232ModeAsksBeforeItDropsTheOtherTabs) {
    const struct {
        const char* name;
        bool answer;
        Strings captions;
        bool rs232;
    } cases[] = {
        {"Нет", false, {"#1", "#2", "#3"}, false},
        {"Да", true, {"#2"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StationRig rig;
        const StoredSettings s = Tabs({1, 2, 3});
        ASSERT_TRUE(rig.station.Start(&s));
        test::BringPageOnline(*rig.station.FindPage(3, 0), CONFIG_NONE, STATUS_ON);
        rig.station.SelectTab(1);
        rig.prompts.answers = {c.answer};
        rig.station.OnCommand(ID_MENU_RS232);
        EXPECT_EQ(
            rig.prompts.questions,
            Strings{"В режиме RS-232 останется только #2, вкладки #1, #3 будут удалены. Выходы #3 останутся "
                    "включенными без управления. Перейти в режим RS-232?"});
        EXPECT_EQ(rig.Captions(), c.captions);
        EXPECT_EQ(rig.station.menu().Checked(ID_MENU_RS232), c.rs232);
        EXPECT_EQ(rig.station.menu().Checked(ID_MENU_ASCII), !c.rs232);
        EXPECT_EQ(rig.station.busLink().state().pendingFraming() == Framing::Rs232, c.rs232);
        EXPECT_TRUE(rig.Queue().empty()) << "a switch-off would reach the one supply on the line";
    }
}

TEST(StationLiveOutput, RemovalIsOfferedOnlyWhereItCanRemove) {
    StationRig rig;
    StoredSettings s;
    s.tabSections = {{"#5", 5, 0}, {"#5_2", 5, 1}, {"#9", 9, 0}};
    ASSERT_TRUE(rig.station.Start(&s));
    auto offered = [&](int address, int channel) {
        const ViewState& v = rig.station.FindPage(address, channel)->view;
        EXPECT_EQ(v.toolTip(IDC_REMOVE_DEVICE), v.enabled(IDC_REMOVE_DEVICE) ? "" : TIP_LAST_DEVICE);
        return v.enabled(IDC_REMOVE_DEVICE);
    };
    EXPECT_TRUE(offered(5, 0));
    EXPECT_TRUE(offered(5, 1));
    EXPECT_TRUE(offered(9, 0));
    EXPECT_TRUE(rig.station.menu().Enabled(ID_MENU_DELETE));

    rig.station.OnPageCommand(9, 0, IDC_REMOVE_DEVICE);
    ASSERT_EQ(rig.Captions(), (Strings{"#5", "#5_2"}));
    // The entry #9 left behind is no second supply: #5 would go and leave #5_2 unpolled.
    EXPECT_FALSE(offered(5, 0));
    EXPECT_EQ(rig.station.FindPage(5, 0)->view.toolTip(IDC_REMOVE_DEVICE),
              "Единственное устройство удалить нельзя");
    EXPECT_TRUE(offered(5, 1));
    rig.station.SelectTab(0);
    EXPECT_FALSE(rig.station.menu().Enabled(ID_MENU_DELETE)) << "the selected tab is #5";
    rig.station.OnPageCommand(5, 0, IDC_REMOVE_DEVICE);
    EXPECT_EQ(rig.Captions(), (Strings{"#5", "#5_2"}));

    rig.station.SelectTab(1);
    EXPECT_TRUE(rig.station.menu().Enabled(ID_MENU_DELETE));
    rig.station.OnCommand(ID_MENU_DELETE);
    ASSERT_EQ(rig.Captions(), Strings{"#5"});
    EXPECT_FALSE(offered(5, 0));
    EXPECT_FALSE(rig.station.menu().Enabled(ID_MENU_DELETE));

    rig.station.AddDevice(12, 0);
    EXPECT_TRUE(offered(5, 0));
    EXPECT_TRUE(offered(12, 0));
    EXPECT_TRUE(rig.station.menu().Enabled(ID_MENU_DELETE));
}

TEST(StationLiveOutput, FileItemsFollowTheSelectedTab) {
    StationRig rig;
    const StoredSettings s = Tabs({15, 20});
    ASSERT_TRUE(rig.station.Start(&s));
    DevicePage& quiet = *rig.station.FindPage(15, 0);
    DevicePage& recording = *rig.station.FindPage(20, 0);
    test::BringPageOnline(recording, CONFIG_NONE);
    rig.station.SelectTab(1);
    rig.station.OnPageCommand(20, 0, IDC_OUTPUT_BUTTON); // switched on: a recording starts
    ASSERT_TRUE(recording.recording());
    EXPECT_TRUE(rig.station.menu().Enabled(ID_MENU_SAVE));
    EXPECT_TRUE(rig.station.menu().Enabled(ID_MENU_OPEN));

    // The other page comes online and refreshes its controls: the selected tab's items stay.
    test::BringPageOnline(quiet, CONFIG_NONE);
    rig.station.OnPageEnter(15, 0, IDC_VOLT_EDIT);
    EXPECT_TRUE(rig.station.menu().Enabled(ID_MENU_SAVE));

    rig.station.SelectTab(0);
    EXPECT_FALSE(rig.station.menu().Enabled(ID_MENU_SAVE)) << "#15 records nothing";
    EXPECT_TRUE(rig.station.menu().Enabled(ID_MENU_OPEN));
    rig.station.SelectTab(1);
    quiet.state.online = false;
    quiet.UpdateControls();
    rig.station.SelectTab(0);
    EXPECT_FALSE(rig.station.menu().Enabled(ID_MENU_OPEN)) << "an offline page takes no program";
    rig.station.SelectTab(1);
    EXPECT_TRUE(rig.station.menu().Enabled(ID_MENU_SAVE));
    EXPECT_TRUE(rig.station.menu().Enabled(ID_MENU_OPEN));
}

} // namespace
} // namespace rir
