// The page's commands from button, key and edit to the requests they hand the station, and what
// each changes on the page.
#include "device/DevicePage.h"

#include "bus/PollList.h"
#include "device/ModuleSetupValues.h"
#include "device/PageControls.h"
#include "device/PageTemplate.h"
#include "device/Ratings.h"

#include "PageOnline.h"

#include <gtest/gtest.h>

#include <deque>

namespace rir {
namespace {

using Requests = std::vector<Request>;

// The station's side as the page sees it: requests are kept in order, module dialogs answered
// from a script.
struct RecordingSink : PageCommandSink {
    std::vector<Request> queued;
    std::deque<std::optional<ModuleSetupValues>> answers;
    std::vector<ModuleSetupValues> given;

    bool Enqueue(const Request& r) override {
        EXPECT_TRUE(IsValidCommand(r)) << "the queue would refuse it";
        queued.push_back(r);
        return true;
    }
    std::optional<ModuleSetupValues> RunModuleSetup(const ModuleSetupValues& g) override {
        given.push_back(g);
        if (answers.empty())
            return std::nullopt;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
};

// A model-`model` supply online with 39 V and 15 A ratings at scale 100, limits 15 V and 10 A,
// and the minimum limits identification gives those ratings (0.50 V, 0.15 A).
void Online(DevicePage& page, int address, int channel, int model, int config, int status = 0) {
    page.InitDevice(address, channel);
    test::TestRatings r;
    r.model = model;
    test::BringPageOnline(page, config, status, r);
    page.state.voltMin = 50;
    page.state.currMin = 15;
}

// What the Qt page reports while the operator types into an edit that has the focus.
void Show(DevicePage& page, int id, const std::string& text) {
    const int end = static_cast<int>(text.size());
    page.SetEditState(id, text, true, {end, end});
}

// Types `keys` one by one as the Qt page does: the filter first, then the edit's new text.
std::string Type(DevicePage& page, int id, std::u32string_view keys) {
    std::string text = page.view.text(id);
    for (char32_t k : keys) {
        Show(page, id, text);
        const KeyDecision d = page.FilterEditKey(id, k);
        if (d.accepted && d.character != '\b')
            text += d.character;
    }
    Show(page, id, text);
    return text;
}

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

TEST(DevicePageCommands, SwitchingOnStartsARecording) {
    DevicePage page;
    Online(page, 15, 0, MODEL_TIMER_AMPERE, CONFIG_TIMER_COUNTER);
    page.takeChartInvalidated();
    ASSERT_FALSE(page.view.shown(IDC_READOUT_VALUES));
    RecordingSink sink;
    EXPECT_EQ(page.OnCommand(IDC_OUTPUT_BUTTON, sink), PageCommandResult::Done);
    EXPECT_EQ(sink.queued, (Requests{{15, 0x43, 0x09, 0x05, 0xDC, 0x03, 0xE8}}));

    EXPECT_TRUE(page.recording);
    EXPECT_TRUE(page.tickTimerRunning);
    EXPECT_EQ(page.state.firstSampleCountdown, 3);
    EXPECT_TRUE(page.takeChartInvalidated());
    EXPECT_TRUE(page.view.shown(IDC_READOUT_VALUES));
    EXPECT_TRUE(page.view.shown(IDC_READOUT_LIMITS));
    EXPECT_TRUE(page.view.menuEnabled(ID_MENU_FILE_SAVE));
    ASSERT_EQ(page.secondsRing.size(), 180u);
    const ChartSample& first = page.secondsRing.front();
    EXPECT_EQ(first.time, 0);
    EXPECT_EQ(first.voltLimit, 1500);
    EXPECT_EQ(first.currLimit, 1000);
    EXPECT_EQ(first.output, 1);
    EXPECT_FALSE(first.stamp.empty());
    for (int t = 1; t < 180; ++t) {
        const ChartSample& s = page.secondsRing[static_cast<std::size_t>(t)];
        ASSERT_EQ(s.time, t);
        ASSERT_EQ(s.voltLimit + s.currLimit + s.output + s.voltMeas + s.currMeas, 0) << t;
        ASSERT_TRUE(s.stamp.empty()) << t;
    }

    // The third reply after the start puts the measured values into the first sample.
    page.state.voltMeas = 1498;
    page.state.currMeas = 150;
    for (int reply = 0; reply < 3; ++reply) {
        EXPECT_EQ(page.secondsRing.front().voltMeas, 0) << reply;
        page.RefreshView(RefreshCode::Values, PollState::Complete);
    }
    EXPECT_EQ(page.secondsRing.front().voltMeas, 1498);
    EXPECT_EQ(page.secondsRing.front().currMeas, 150);
}

TEST(DevicePageCommands, ARecordingGoesOnAcrossSwitchingOffAndOn) {
    DevicePage page;
    Online(page, 15, 0, MODEL_TIMER_AMPERE, CONFIG_TIMER_COUNTER);
    RecordingSink sink;
    page.OnCommand(IDC_OUTPUT_BUTTON, sink);
    page.secondsRing[42].currMeas = 777; // what the tick recorded meanwhile
    page.state.firstSampleCountdown = 0;

    page.state.status = 0x01; // the supply reports the output on
    page.RefreshView(RefreshCode::Values, PollState::Complete);
    page.OnCommand(IDC_OUTPUT_BUTTON, sink);
    EXPECT_EQ(sink.queued.back(), (Request{15, 0x43, 0x08, 0x05, 0xDC, 0x03, 0xE8}));
    EXPECT_TRUE(page.recording) << "switching off leaves the recording on";

    page.state.status = 0x00;
    page.RefreshView(RefreshCode::Values, PollState::Complete);
    page.takeChartInvalidated();
    page.OnCommand(IDC_OUTPUT_BUTTON, sink);
    EXPECT_EQ(sink.queued.back(), (Request{15, 0x43, 0x09, 0x05, 0xDC, 0x03, 0xE8}));
    EXPECT_EQ(page.secondsRing[42].currMeas, 777) << "switching on while recording keeps the chart";
    EXPECT_EQ(page.state.firstSampleCountdown, 0);
    EXPECT_FALSE(page.takeChartInvalidated());
    EXPECT_EQ(sink.queued.size(), 3u);
}

TEST(DevicePageCommands, SwitchingOnWithAProgramLoadedRecordsNothing) {
    DevicePage page;
    Online(page, 15, 0, MODEL_TIMER_AMPERE, CONFIG_TIMER_COUNTER);
    page.programLoaded = true;
    RecordingSink sink;
    page.ToggleOutput(sink);
    EXPECT_EQ(sink.queued, (Requests{{15, 0x43, 0x09, 0x05, 0xDC, 0x03, 0xE8}}));
    EXPECT_FALSE(page.recording);
    EXPECT_FALSE(page.tickTimerRunning);
    EXPECT_TRUE(page.secondsRing.empty());
}

TEST(DevicePageCommands, SwitchingOffWithTheReverseLineRestoresTheFirstPhaseTimes) {
    DevicePage page;
    Online(page, 20, 0, MODEL_PROF_REVERSE, CONFIG_TIMER_REVERSE, 0x01);
    ASSERT_TRUE(page.state.hasReverseRow);
    page.state.revFwdCurrent = 12;
    page.state.revBackCurrent = 3;
    page.state.revFwdTime = 150; // as the supply counts down now
    page.state.revBackTime = 25;
    page.state.revFwdTimeInitial = 300; // as it first reported them
    page.state.revBackTimeInitial = 40;
    RecordingSink sink;
    page.OnCommand(IDC_OUTPUT_BUTTON, sink);
    EXPECT_EQ(sink.queued, (Requests{{20, 0x43, 0x08, 0x05, 0xDC, 0x03, 0xE8},
                                     {20, 0x45, 0x00, 0x03, 0, 12, 0, 3, 0x01, 0x2C, 0, 40}}));
}

TEST(DevicePageCommands, OutputSwitchOnEveryPageKind) {
    const struct {
        const char* name;
        int address, channel, model, status;
        Request bytes;
    } cases[] = {
        {"channel-B page of address 5 switching on",
         5,
         1,
         MODEL_PROF_REVERSE,
         0x00,
         {5, 0x45, 0x00, 0x05, 0x09, 0x05, 0xDC, 0x03, 0xE8}},
        {"channel-B page switching off",
         5,
         1,
         MODEL_PROF_REVERSE,
         0x01,
         {5, 0x45, 0x00, 0x05, 0x08, 0x05, 0xDC, 0x03, 0xE8}},
        {"model-1 page switching on", 1, 0, MODEL_RS232, 0x00, {0x43, 0x09, 0x05, 0xDC, 0x03, 0xE8}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DevicePage page;
        Online(page, c.address, c.channel, c.model, CONFIG_NONE, c.status);
        RecordingSink sink;
        EXPECT_EQ(page.OnCommand(IDC_OUTPUT_BUTTON, sink), PageCommandResult::Done);
        EXPECT_EQ(sink.queued, Requests{c.bytes});
    }
}

TEST(DevicePageCommands, SendOutputOffOnlyWhileOn) {
    DevicePage page;
    Online(page, 15, 0, MODEL_TIMER_AMPERE, CONFIG_NONE);
    RecordingSink sink;
    page.SendOutputOff(sink);
    EXPECT_TRUE(sink.queued.empty()) << "a supply that is off is left alone";
    page.state.status = 0x03;
    page.RefreshView(RefreshCode::Values, PollState::Complete);
    page.SendOutputOff(sink);
    EXPECT_EQ(sink.queued, (Requests{{15, 0x43, 0x08, 0x05, 0xDC, 0x03, 0xE8}}));
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
    EXPECT_FALSE(offline.recording);
}

} // namespace
} // namespace rir
