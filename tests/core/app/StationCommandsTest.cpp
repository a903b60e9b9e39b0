// The pages' commands as the station carries them out: the bus queue, the module dialog, "X".
#include "StationRig.h"

#include "PageOnline.h"
#include "device/ModuleSetupValues.h"
#include "device/PageControls.h"

#include <gtest/gtest.h>

#include <functional>

namespace rir {
namespace {

using test::StationRig;
using Strings = std::vector<std::string>;

using test::Tabs;

TEST(StationCommands, ButtonsAndEnterPutWholeRequestsOnTheQueue) {
    StationRig rig;
    ASSERT_TRUE(rig.station.Start(nullptr));
    DevicePage& page = *rig.station.FindPage(15, 0);
    test::BringPageOnline(page, CONFIG_NONE);
    page.SetEditState(IDC_VOLT_EDIT, "12.5", true, {4, 4});

    const int changedBefore = rig.listener.changed;
    rig.station.OnPageEnter(15, 0, IDC_VOLT_EDIT);
    EXPECT_EQ(rig.listener.changed, changedBefore + 1) << "one event, one notice";
    rig.station.OnPageCommand(15, 0, IDC_OUTPUT_BUTTON);
    EXPECT_EQ(rig.Queue(), (test::Commands{{15, 0x43, 0x02, 0x04, 0xE2, 0x03, 0xE8},
                                           {15, 0x43, 0x09, 0x04, 0xE2, 0x03, 0xE8}}));
    EXPECT_TRUE(page.recording());
    EXPECT_TRUE(rig.station.menu().Enabled(ID_MENU_SAVE)) << "a recording can be saved";
}

TEST(StationCommands, WhatNoPageTakesChangesNothing) {
    StationRig rig;
    ASSERT_TRUE(rig.station.Start(nullptr));
    test::BringPageOnline(*rig.station.FindPage(15, 0), CONFIG_NONE);
    const int changedBefore = rig.listener.changed;
    rig.station.OnPageCommand(33, 0, IDC_OUTPUT_BUTTON); // no such page
    rig.station.OnPageCommand(15, 1, IDC_OUTPUT_BUTTON);
    rig.station.OnPageCommand(15, 0, IDOK);
    rig.station.OnPageCommand(15, 0, IDCANCEL);
    rig.station.OnPageEnter(15, 0, IDC_SET_LIMITS);
    EXPECT_TRUE(rig.Queue().empty());
    EXPECT_EQ(rig.listener.changed, changedBefore);
    EXPECT_EQ(rig.Captions(), Strings{"#15"});
}

TEST(StationCommands, RemoveButtonDeletesItsOwnDevice) {
    StationRig rig;
    const StoredSettings s = Tabs({5, 9, 12});
    ASSERT_TRUE(rig.station.Start(&s));
    rig.station.OnPageCommand(9, 0, IDC_REMOVE_DEVICE);
    EXPECT_EQ(rig.Captions(), (Strings{"#5", "#12"}));
    EXPECT_EQ(rig.Entry(9, 0).address, -1) << "the poll entry goes with the page";
    EXPECT_EQ(rig.station.selectedTab(), 0);
    EXPECT_EQ(rig.listener.removed, 1);
    rig.station.OnPageCommand(12, 0, IDC_REMOVE_DEVICE);
    rig.station.OnPageCommand(5, 0, IDC_REMOVE_DEVICE); // the last supply stays
    EXPECT_EQ(rig.Captions(), Strings{"#5"});
}

TEST(StationCommands, ASupplyGoesWithItsSecondChannel) {
    StationRig rig;
    StoredSettings s;
    s.tabSections = {{"#5", 5, 0}, {"#5_2", 5, 1}, {"#9", 9, 0}, {"#9_2", 9, 1}, {"#12", 12, 0}};
    ASSERT_TRUE(rig.station.Start(&s));
    rig.station.OnPageCommand(9, 1, IDC_REMOVE_DEVICE); // the second channel alone
    EXPECT_EQ(rig.Captions(), (Strings{"#5", "#5_2", "#9", "#12"}));
    rig.station.OnPageCommand(5, 0, IDC_REMOVE_DEVICE);
    EXPECT_EQ(rig.Captions(), (Strings{"#9", "#12"})) << "nothing would update #5_2 any more";
    EXPECT_EQ(rig.Entry(5, 1).address, -1);
    for (const MenuItem& item : rig.station.menu().popups()[POPUP_DEVICES].items)
        EXPECT_NE(item.id, DeviceMenuId(5, 1)) << "its menu item goes too";
    // The menu's "Удалить" removes the same way.
    rig.station.AddDevice(9, 1);
    rig.station.SelectTab(0);
    ASSERT_EQ(rig.station.SelectedPage(), rig.station.FindPage(9, 0));
    rig.station.OnCommand(ID_MENU_DELETE);
    EXPECT_EQ(rig.Captions(), Strings{"#12"});
}

TEST(StationCommands, ModuleSettingsGoThroughThePromptsAndOntoTheQueue) {
    StationRig rig;
    ASSERT_TRUE(rig.station.Start(nullptr));
    DevicePage& page = *rig.station.FindPage(15, 0);
    test::BringPageOnline(page, CONFIG_TIMER_COUNTER);

    rig.station.OnPageCommand(15, 0, IDC_MODULE_SETUP); // "Отменить"
    ASSERT_EQ(rig.prompts.moduleSetupsGiven.size(), 1u);
    EXPECT_EQ(rig.prompts.moduleSetupsGiven[0], ModuleSetupValuesFrom(page.state));
    EXPECT_TRUE(rig.Queue().empty());

    ModuleSetupValues watt = rig.prompts.moduleSetupsGiven[0];
    watt.moduleCode = CONFIG_WATTMETER;
    rig.prompts.moduleSetups.push_back(watt);
    rig.station.OnPageCommand(15, 0, IDC_MODULE_SETUP);
    EXPECT_EQ(rig.Queue(), (test::Commands{{15, 0x45, 0x85}}));
}

// Answers the module dialog after running something while it is "open".
struct DialogPrompts : test::ScriptedPrompts {
    std::function<void()> whileOpen;
    std::optional<ModuleSetupValues> RunModuleSetup(const ModuleSetupValues& given) override {
        if (whileOpen)
            whileOpen();
        return ScriptedPrompts::RunModuleSetup(given);
    }
};

TEST(StationCommands, TheWindowFollowsTheStationWhileTheModuleDialogIsOpen) {
    DialogPrompts prompts;
    test::CountingListener listener;
    EventLog log{"/nonexistent-dir/zadida.txt"};
    Station station({"COM1"}, prompts, listener, log);
    ASSERT_TRUE(station.Start(nullptr));
    test::BringPageOnline(*station.FindPage(15, 0), CONFIG_TIMER_COUNTER);
    int logNoticesWhileOpen = -1;
    prompts.whileOpen = [&] {
        const int before = listener.logs;
        station.LogLine(0, "пока открыт диалог"); // as a reply's log line would come in
        logNoticesWhileOpen = listener.logs - before;
    };
    station.OnPageCommand(15, 0, IDC_MODULE_SETUP);
    EXPECT_EQ(logNoticesWhileOpen, 1) << "shown at once, not when the dialog closes";
}

} // namespace
} // namespace rir
