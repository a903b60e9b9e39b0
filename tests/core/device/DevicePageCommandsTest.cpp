// The page's commands from button, key and edit to the requests they hand the station: limits,
// the limit edits, the dosing restart, the module settings and what the page does not take.
#include "device/DevicePage.h"

#include "PageCommandsRig.h"
#include "device/ModuleSetupValues.h"
#include "device/PageControls.h"
#include "device/PageTemplate.h"
#include "device/Ratings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace rir {
namespace {

using test::Online;
using test::RecordingSink;
using test::Requests;
using test::Show;
using test::Type;

TEST(DevicePageCommands, SendLimitsOnEveryPageKind) {
    enum class Trigger { Button, EnterVolt, EnterCurr };
    const struct {
        const char* name;
        int address, channel, model;
        const char *voltText, *currText;
        Trigger trigger;
        Request bytes;
        LimitChoice sent;
    } cases[] = {
        {"Enter in the voltage edit carries both limits",
         15,
         0,
         MODEL_TIMER_AMPERE,
         "12.5",
         "3",
         Trigger::EnterVolt,
         {15, 0x43, 0x02, 0x04, 0xE2, 0x01, 0x2C},
         LimitChoice::Voltage},
        {"Enter in the current edit",
         15,
         0,
         MODEL_TIMER_AMPERE,
         "12.5",
         "3",
         Trigger::EnterCurr,
         {15, 0x43, 0x04, 0x04, 0xE2, 0x01, 0x2C},
         LimitChoice::Current},
        {"channel-B page of address 5",
         5,
         1,
         MODEL_PROF_REVERSE,
         "12.5",
         "3",
         Trigger::Button,
         {5, 0x45, 0x00, 0x05, 0x06, 0x04, 0xE2, 0x01, 0x2C},
         LimitChoice::Both},
        {"model-1 page",
         1,
         0,
         MODEL_RS232,
         "12.5",
         "3",
         Trigger::Button,
         {0x43, 0x06, 0x04, 0xE2, 0x01, 0x2C},
         LimitChoice::Both},
        {"whole volts and amperes",
         15,
         0,
         MODEL_TIMER_AMPERE,
         "12",
         "1",
         Trigger::Button,
         {15, 0x43, 0x06, 0x04, 0xB0, 0x00, 0x64},
         LimitChoice::Both},
        {"above the ratings: the maxima",
         15,
         0,
         MODEL_TIMER_AMPERE,
         "45.00",
         "20.5",
         Trigger::Button,
         {15, 0x43, 0x06, 0x0F, 0x3C, 0x05, 0xDC},
         LimitChoice::Both},
        {"empty edits: the minima",
         15,
         0,
         MODEL_TIMER_AMPERE,
         "",
         "",
         Trigger::Button,
         {15, 0x43, 0x06, 0x00, 0x32, 0x00, 0x0F},
         LimitChoice::Both},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DevicePage page;
        Online(page, c.address, c.channel, c.model, CONFIG_NONE);
        Show(page, IDC_VOLT_EDIT, c.voltText);
        Show(page, IDC_CURR_EDIT, c.currText);
        RecordingSink sink;
        PageCommandResult result = PageCommandResult::Ignored;
        switch (c.trigger) {
        case Trigger::Button:
            result = page.OnCommand(IDC_SET_LIMITS, sink);
            break;
        case Trigger::EnterVolt:
            result = page.OnEnterKey(IDC_VOLT_EDIT, sink);
            break;
        case Trigger::EnterCurr:
            result = page.OnEnterKey(IDC_CURR_EDIT, sink);
            break;
        }
        EXPECT_EQ(result, PageCommandResult::Done);
        EXPECT_EQ(sink.queued, Requests{c.bytes});
        EXPECT_EQ(page.state.limitsSent, static_cast<int>(c.sent));
        const Request& r = c.bytes;
        EXPECT_EQ(page.state.voltLimit, r[r.size() - 4] * 256 + r[r.size() - 3]);
        EXPECT_EQ(page.state.currLimit, r[r.size() - 2] * 256 + r[r.size() - 1]);
    }
}

// The simulator's supply: 37 V and 14 A, limits 10 V and 2 A, at the scales given.
void OnlineRated(DevicePage& page, int voltScale, int voltMax, int currScale, int currMax) {
    page.InitDevice(15, 0);
    test::TestRatings r;
    r.voltScale = voltScale;
    r.voltMax = voltMax;
    r.currScale = currScale;
    r.currMax = currMax;
    r.voltLimit = 10 * voltScale;
    r.currLimit = 2 * currScale;
    test::BringPageOnline(page, CONFIG_NONE, 0, r);
    page.state.voltMin = 1;
    page.state.currMin = 1;
}

TEST(DevicePageCommands, TypedNumbersAreVoltsAndAmperesClampedToTheRating) {
    const struct {
        const char* name;
        int voltScale, voltMax, currScale, currMax;
        const char *voltText, *currText;
        int voltRaw, currRaw;
        const char *voltShown, *currShown;
    } cases[] = {
        {"whole numbers above the rating", 100, 3700, 100, 1400, "50", "20", 3700, 1400, "37.00", "14.00"},
        {"far above", 100, 3700, 100, 1400, "50", "999", 3700, 1400, "37.00", "14.00"},
        {"with a point", 100, 3700, 100, 1400, "50.0", "20.0", 3700, 1400, "37.00", "14.00"},
        {"within the rating", 100, 3700, 100, 1400, "12", "3", 1200, 300, "12.00", "3.00"},
        {"at the rating", 100, 3700, 100, 1400, "37", "14", 3700, 1400, "37.00", "14.00"},
        {"tenths", 10, 370, 10, 140, "50", "20", 370, 140, "37.0", "14.0"},
        {"tenths within", 10, 370, 10, 140, "36", "13.5", 360, 135, "36.0", "13.5"},
        {"thousandths of an ampere", 100, 3700, 1000, 1500, "5", "2", 500, 1500, "5.00", "1.500"},
        {"thousandths within", 100, 3700, 1000, 1500, "5", "1", 500, 1000, "5.00", "1.000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DevicePage page;
        OnlineRated(page, c.voltScale, c.voltMax, c.currScale, c.currMax);
        Show(page, IDC_VOLT_EDIT, "");
        Type(page, IDC_VOLT_EDIT, std::u32string(c.voltText, c.voltText + std::strlen(c.voltText)));
        Show(page, IDC_CURR_EDIT, "");
        Type(page, IDC_CURR_EDIT, std::u32string(c.currText, c.currText + std::strlen(c.currText)));
        RecordingSink sink;
        page.OnCommand(IDC_SET_LIMITS, sink);
        EXPECT_EQ(sink.queued, (Requests{{15, 0x43, 0x06, c.voltRaw / 256, c.voltRaw % 256, c.currRaw / 256,
                                          c.currRaw % 256}}));
        EXPECT_EQ(page.view.text(IDC_VOLT_EDIT), c.voltShown);
        EXPECT_EQ(page.view.text(IDC_CURR_EDIT), c.currShown);
        EXPECT_EQ(page.view.text(IDC_VOLT_UNIT), "В*") << "until the supply confirms";
    }
}

TEST(DevicePageCommands, EnterShowsOnlyTheLimitItSent) {
    DevicePage page;
    OnlineRated(page, 100, 3700, 100, 1400);
    Show(page, IDC_VOLT_EDIT, "");
    Type(page, IDC_VOLT_EDIT, U"50");
    Show(page, IDC_CURR_EDIT, "");
    Type(page, IDC_CURR_EDIT, U"20");
    RecordingSink sink;
    page.OnEnterKey(IDC_VOLT_EDIT, sink);
    EXPECT_EQ(page.view.text(IDC_VOLT_EDIT), "37.00");
    EXPECT_EQ(page.view.text(IDC_CURR_EDIT), "20") << "typed, not sent: left as typed";
}

TEST(DevicePageCommands, SwitchingOnSendsTheTypedLimitsFirst) {
    const struct {
        const char* name;
        const char32_t *voltKeys, *currKeys; // nullptr: not typed into
        bool outputOn;
        Requests bytes;
        bool enterFirst = false; // the voltage sent with Enter before the switch-on
    } cases[] = {
        {"typed and sent with Enter",
         U"30",
         nullptr,
         false,
         {{15, 0x43, 0x02, 0x0B, 0xB8, 0x00, 0xC8}, {15, 0x43, 0x09, 0x0B, 0xB8, 0x00, 0xC8}},
         true},
        {"typed voltage",
         U"30",
         nullptr,
         false,
         {{15, 0x43, 0x02, 0x0B, 0xB8, 0x00, 0xC8}, {15, 0x43, 0x09, 0x0B, 0xB8, 0x00, 0xC8}}},
        {"typed current",
         nullptr,
         U"5",
         false,
         {{15, 0x43, 0x04, 0x03, 0xE8, 0x01, 0xF4}, {15, 0x43, 0x09, 0x03, 0xE8, 0x01, 0xF4}}},
        {"both typed",
         U"30",
         U"5",
         false,
         {{15, 0x43, 0x06, 0x0B, 0xB8, 0x01, 0xF4}, {15, 0x43, 0x09, 0x0B, 0xB8, 0x01, 0xF4}}},
        {"nothing typed", nullptr, nullptr, false, {{15, 0x43, 0x09, 0x03, 0xE8, 0x00, 0xC8}}},
        {"switching off sends no limits", U"30", nullptr, true, {{15, 0x43, 0x08, 0x03, 0xE8, 0x00, 0xC8}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DevicePage page;
        OnlineRated(page, 100, 3700, 100, 1400);
        if (c.outputOn) {
            page.state.status = 1;
            page.RefreshView(RefreshCode::Values, PollState::Complete);
        }
        if (c.voltKeys != nullptr) {
            Show(page, IDC_VOLT_EDIT, "");
            Type(page, IDC_VOLT_EDIT, c.voltKeys);
        }
        if (c.currKeys != nullptr) {
            Show(page, IDC_CURR_EDIT, "");
            Type(page, IDC_CURR_EDIT, c.currKeys);
        }
        RecordingSink sink;
        if (c.enterFirst)
            page.OnEnterKey(IDC_VOLT_EDIT, sink);
        EXPECT_EQ(page.OnCommand(IDC_OUTPUT_BUTTON, sink), PageCommandResult::Done);
        EXPECT_EQ(sink.queued, c.bytes);
    }
}

TEST(DevicePageCommands, TypingOneCommaFiveShowsOnePointFiveAndASecondCommaIsRefused) {
    DevicePage page;
    Online(page, 15, 0, MODEL_TIMER_AMPERE, CONFIG_NONE);
    Show(page, IDC_CURR_EDIT, "");
    EXPECT_EQ(Type(page, IDC_CURR_EDIT, U"1,5"), "1.5");
    EXPECT_EQ(page.FilterEditKey(IDC_CURR_EDIT, U','), REFUSED_KEY);
    EXPECT_EQ(page.state.currEdited, 1);
    EXPECT_EQ(page.view.text(IDC_CURR_UNIT), "А*") << "the mark shows as the operator types";
    EXPECT_EQ(page.state.voltEdited, 0);
    EXPECT_EQ(page.view.text(IDC_VOLT_UNIT), "В");
}

TEST(DevicePageCommands, RefusedKeysLeaveTheEditUnmarked) {
    DevicePage page;
    Online(page, 15, 0, MODEL_TIMER_AMPERE, CONFIG_NONE);
    Show(page, IDC_VOLT_EDIT, "15.00");
    for (char32_t k : {U'a', U'-', U' ', U'В', U'.', U'7'}) // a point already there; five characters
        EXPECT_EQ(page.FilterEditKey(IDC_VOLT_EDIT, k), REFUSED_KEY) << static_cast<int>(k);
    EXPECT_EQ(page.state.voltEdited, 0);
    EXPECT_EQ(page.view.text(IDC_VOLT_UNIT), "В");
    EXPECT_EQ(page.FilterEditKey(IDC_LINE1_VALUE, U'1'), REFUSED_KEY) << "not a limit edit";
    // Backspace is a key the edit takes: the text is the operator's from now on.
    EXPECT_EQ(page.FilterEditKey(IDC_VOLT_EDIT, KEY_BACKSPACE), (KeyDecision{true, '\b'}));
    EXPECT_EQ(page.state.voltEdited, 1);
}

TEST(DevicePageCommands, PasteIsTakenAsTypedAndMarksTheEdit) {
    DevicePage page;
    Online(page, 15, 0, MODEL_TIMER_AMPERE, CONFIG_NONE);
    page.SetEditState(IDC_VOLT_EDIT, "15.00", true, {0, 5});
    EXPECT_EQ(page.FilterEditPaste(IDC_VOLT_EDIT, U"abc"), "");
    EXPECT_EQ(page.state.voltEdited, 0) << "nothing went in";
    EXPECT_EQ(page.FilterEditPaste(IDC_VOLT_EDIT, U" 12,5 V"), "12.5");
    EXPECT_EQ(page.state.voltEdited, 1);
    EXPECT_EQ(page.view.text(IDC_VOLT_UNIT), "В*");
}

TEST(DevicePageCommands, TheAcknowledgementClearsTheMarkOfTheLimitSent) {
    DevicePage page;
    Online(page, 15, 0, MODEL_TIMER_AMPERE, CONFIG_NONE);
    Show(page, IDC_VOLT_EDIT, "");
    Type(page, IDC_VOLT_EDIT, U"12,5");
    RecordingSink sink;
    page.OnEnterKey(IDC_VOLT_EDIT, sink);
    ASSERT_EQ(page.view.text(IDC_VOLT_UNIT), "В*");
    // The supply's reply to the write: the limits it took.
    page.state.voltLimit = 1250;
    page.state.status = 0;
    page.RefreshView(RefreshCode::WriteAck, PollState::Complete);
    EXPECT_EQ(page.view.text(IDC_VOLT_UNIT), "В");
    EXPECT_EQ(page.state.voltEdited, 0);
    EXPECT_EQ(page.state.editMarks, 0);
    EXPECT_EQ(page.state.limitsSent, 0);
    EXPECT_EQ(page.view.text(IDC_VOLT_EDIT), "12.50");
}

TEST(DevicePageCommands, DosingRestartOnlyFromItsEnabledButton) {
    DevicePage page;
    Online(page, 15, 0, MODEL_TIMER_AMPERE, CONFIG_TIMER_COUNTER);
    page.state.counterMode = 3;
    page.RefreshView(RefreshCode::Modules, PollState::Complete);
    ASSERT_TRUE(page.view.shown(IDC_DOSER_RESTART));
    RecordingSink sink;
    EXPECT_EQ(page.OnCommand(IDC_DOSER_RESTART, sink), PageCommandResult::Ignored) << "no dose to restart";
    page.state.doseActive = true;
    page.RefreshView(RefreshCode::Modules, PollState::Complete);
    EXPECT_EQ(page.OnCommand(IDC_DOSER_RESTART, sink), PageCommandResult::Done);
    EXPECT_EQ(sink.queued, (Requests{{15, 0x45, 0x00, 0x02, 0x20, 0x00, 0x00, 0x00, 0x00}}));
}

TEST(DevicePageCommands, ConfigureModulesSendsWhatTheDialogReturned) {
    DevicePage page;
    Online(page, 15, 0, MODEL_TIMER_AMPERE, CONFIG_TIMER_COUNTER);
    page.state.timerValue = 30;
    page.state.counterDaily = 7;
    RecordingSink sink;

    // "Отменить": nothing goes out, nothing changes.
    EXPECT_EQ(page.OnCommand(IDC_MODULE_SETUP, sink), PageCommandResult::Done);
    ASSERT_EQ(sink.given.size(), 1u);
    EXPECT_EQ(sink.given[0], ModuleSetupValuesFrom(page.state));
    EXPECT_TRUE(sink.queued.empty());
    EXPECT_EQ(page.state.timerValue, 30);

    // The configuration already in force: its code without the change bit.
    ModuleSetupValues same = sink.given[0];
    same.timerMode = 1;
    same.timerValue = 90;
    same.counterKind = 1;
    same.counterMode = 1;
    same.counterValue = 100;
    sink.answers.push_back(same);
    page.OnCommand(IDC_MODULE_SETUP, sink);
    EXPECT_EQ(sink.queued, (Requests{{15, 0x45, 0x01, 0x01, 0x01, 0x00, 0x00, 90},
                                     {15, 0x45, 0x00, 0x02, 0x01, 0x03, 0x00, 0x00, 100}}));
    EXPECT_EQ(page.state.timerValue, 90);
    EXPECT_EQ(page.state.timerMode, 1);
    EXPECT_EQ(page.state.counterDaily, 100);

    // Another configuration: the change bit; the page keeps its layout until the supply reports it.
    ModuleSetupValues watt = same;
    watt.moduleCode = CONFIG_WATTMETER;
    sink.answers.push_back(watt);
    sink.queued.clear();
    page.OnCommand(IDC_MODULE_SETUP, sink);
    EXPECT_EQ(sink.queued, (Requests{{15, 0x45, 0x85}}));
    EXPECT_EQ(page.state.moduleConfig, CONFIG_TIMER_COUNTER);
}

TEST(DevicePageCommands, ModuleSettingsOnlyWhereTheButtonIsOffered) {
    const struct {
        const char* name;
        int channel, model, status;
    } cases[] = {
        {"channel-B page", 1, MODEL_PROF_REVERSE, 0x00},
        {"model-1 page", 0, MODEL_RS232, 0x00},
        {"output on", 0, MODEL_TIMER_AMPERE, 0x01},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DevicePage page;
        Online(page, 5, c.channel, c.model, CONFIG_NONE, c.status);
        RecordingSink sink;
        EXPECT_EQ(page.OnCommand(IDC_MODULE_SETUP, sink), PageCommandResult::Ignored);
        EXPECT_TRUE(sink.given.empty());
    }
}

TEST(DevicePageCommands, WhatThePageDoesNotTake) {
    DevicePage page;
    Online(page, 15, 0, MODEL_TIMER_AMPERE, CONFIG_NONE);
    RecordingSink sink;
    // Enter and Escape never close a page, and an id without a command does nothing.
    for (int id : {IDOK, IDCANCEL, IDC_CHART, IDC_VOLT_EDIT, 4711})
        EXPECT_EQ(page.OnCommand(id, sink), PageCommandResult::Ignored) << id;
    EXPECT_EQ(page.OnEnterKey(IDC_SET_LIMITS, sink), PageCommandResult::Ignored);
    EXPECT_EQ(page.OnCommand(IDC_REMOVE_DEVICE, sink), PageCommandResult::RemoveDevice);
    EXPECT_TRUE(sink.queued.empty());

    // Offline, the buttons and edits are disabled: a late click sends nothing.
    DevicePage offline;
    offline.InitDevice(15, 0);
    for (int id : {IDC_SET_LIMITS, IDC_OUTPUT_BUTTON, IDC_MODULE_SETUP, IDC_DOSER_RESTART})
        EXPECT_EQ(offline.OnCommand(id, sink), PageCommandResult::Ignored) << id;
    EXPECT_EQ(offline.OnEnterKey(IDC_VOLT_EDIT, sink), PageCommandResult::Ignored);
    EXPECT_EQ(offline.OnCommand(IDC_REMOVE_DEVICE, sink), PageCommandResult::RemoveDevice)
        << "a silent supply can still be removed";
    EXPECT_TRUE(sink.queued.empty());
    EXPECT_FALSE(offline.recording());
}
} // namespace
} // namespace rir
