#include "device/DevicePage.h"

#include "device/PageControls.h"

#include "PageOnline.h"

#include "PageRuns.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

constexpr int STATUS_ON_VOLT = 0x01;
constexpr int STATUS_ON_CURR = 0x03;
constexpr int STATUS_OFF = 0x00;

// A model-2 supply at address 15, identified: 39 V at scale 100, 15 A at scale 100.
void Identify(DevicePage& page, int model = 2) {
    test::TestRatings r;
    r.model = model;
    test::IdentifyPage(page, r);
}

// Identified, module configuration known and a first status applied: the page is online.
void BringOnline(DevicePage& page, int config, int status = STATUS_OFF, int model = 2) {
    test::TestRatings r;
    r.model = model;
    test::BringPageOnline(page, config, status, r);
}

struct DevicePageTest : ::testing::Test {
    DevicePageTest() { page.InitDevice(15, 0); }
    DevicePage page;
};

TEST_F(DevicePageTest, StartsWithTemplateTextsAllMarkedForTheView) {
    DevicePage fresh;
    const std::vector<int> changed = fresh.view.takeChanged();
    for (int id : {IDC_DESCRIPTION_GROUP, IDC_VOLT_EDIT, IDC_CHART, IDC_SERIES_OUTPUT, IDC_DIAGNOSTIC})
        EXPECT_NE(std::find(changed.begin(), changed.end(), id), changed.end()) << id;
    EXPECT_EQ(fresh.view.text(IDC_LINE1_LABEL), "Таймер-сек.");
    EXPECT_EQ(fresh.view.text(IDC_SERIES_VOLT_LIMIT), "Uл");
    EXPECT_FALSE(fresh.view.enabled(IDC_CLEAR_CHART));
    EXPECT_TRUE(fresh.view.shown(IDC_DIAGNOSTIC));
}

TEST_F(DevicePageTest, InitDeviceShowsThePageOffline) {
    EXPECT_EQ(page.state.address, 15);
    EXPECT_EQ(page.state.moduleConfig, -1);
    EXPECT_FALSE(page.view.shown(IDC_DIAGNOSTIC));
    for (int id : {IDC_OUTPUT_STATE, IDC_REGULATION, IDC_VOLT_READING, IDC_CURR_READING})
        EXPECT_EQ(page.view.text(id), "-") << id;
    for (int id : {IDC_OUTPUT_STATE, IDC_REGULATION, IDC_VOLT_EDIT, IDC_CURR_EDIT, IDC_OPEN_PROGRAM,
                   IDC_PROGRAM_START, IDC_PROGRAM_PAUSE, IDC_PROGRAM_CANCEL, IDC_VOLT_READING,
                   IDC_CURR_READING, IDC_SET_LIMITS, IDC_OUTPUT_BUTTON})
        EXPECT_FALSE(page.view.enabled(id)) << id;
    for (int id : {IDC_MODULE_SETUP, IDC_READOUT_LIMITS, IDC_READOUT_VALUES, IDC_LINE1_LABEL, IDC_LINE2_LABEL,
                   IDC_LINE3_LABEL, IDC_LINE4_LABEL, IDC_LINE1_VALUE, IDC_LINE2_VALUE, IDC_LINE3_VALUE,
                   IDC_LINE4_VALUE, IDC_DOSER_RESTART})
        EXPECT_FALSE(page.view.shown(id)) << id;
    EXPECT_TRUE(page.view.shown(IDC_SET_LIMITS));
    EXPECT_TRUE(page.view.shown(IDC_OUTPUT_BUTTON));
    EXPECT_FALSE(page.view.menuEnabled(ID_MENU_FILE_OPEN));
    EXPECT_FALSE(page.view.colour(IDC_VOLT_READING).has_value());
    EXPECT_FALSE(page.view.colour(IDC_CURR_READING).has_value());
}

TEST_F(DevicePageTest, IdentificationFillsLineAndEdits) {
    Identify(page);
    EXPECT_EQ(page.view.text(IDC_DESCRIPTION_GROUP), "#15  RIR 37V 14A timer/ampere");
    EXPECT_EQ(page.view.text(IDC_VOLT_EDIT), "15.00");
    EXPECT_EQ(page.view.text(IDC_CURR_EDIT), "10.00");
    EXPECT_EQ(page.view.text(IDC_VOLT_READING), "0.00 / 15.00 вольт");
    EXPECT_EQ(page.view.text(IDC_CURR_READING), "0.00 / 10.00 ампер");
}

TEST_F(DevicePageTest, SmallModel2SwitchesToThousandths) {
    // Rated 1 A at the scale it reported: the page takes it for the 1.5 A variant.
    page.state.model = 2;
    page.state.currMax = 150;
    page.state.currScale = 100;
    page.RefreshView(RefreshCode::Values, PollState::Identified);
    EXPECT_TRUE(page.state.current3Dec);
    EXPECT_EQ(page.state.currScale, 1000);
    EXPECT_EQ(page.view.text(IDC_DESCRIPTION_GROUP), "#15  RIR 0V 1,5A timer/ampere");

    page.state.model = 2;
    page.state.voltMax = 3150;
    page.state.voltScale = 100;
    page.state.currMax = 1500;
    page.state.currScale = 1000;
    page.state.currLimit = 1050;
    page.RefreshView(RefreshCode::Values, PollState::Identified);
    EXPECT_EQ(page.view.text(IDC_DESCRIPTION_GROUP), "#15  RIR 30V 1,5A timer/ampere");
    EXPECT_TRUE(page.state.current3Dec);
    EXPECT_EQ(page.state.currScale, 1000);
    EXPECT_EQ(page.view.text(IDC_CURR_EDIT), "1.050");
    page.state.currScale = 100;
    page.state.currLimit = 105;
    page.state.current3Dec = false;
    page.state.model = 4;
    page.RefreshView(RefreshCode::Values, PollState::Identified);
    EXPECT_EQ(page.view.text(IDC_CURR_EDIT), "1.05");
}

TEST_F(DevicePageTest, Model3WithReverseRatingBecomesReverseCapable) {
    page.state.model = 3;
    page.state.voltMax = 3150;
    page.state.voltScale = 10;
    page.state.currMax = 3158;
    page.state.currScale = 10;
    page.RefreshView(RefreshCode::Values, PollState::Identified);
    EXPECT_TRUE(page.state.reverseCapable);
    EXPECT_EQ(page.view.text(IDC_DESCRIPTION_GROUP), "#15  RIR Prof 300V 300A Reverse");
}

TEST_F(DevicePageTest, Model2StatusWaitsForPollState2) {
    Identify(page);
    page.state.status = STATUS_ON_VOLT;
    page.RefreshView(RefreshCode::Values, PollState::Identified);
    EXPECT_FALSE(page.state.online);
    EXPECT_EQ(page.state.status, STATUS_ON_VOLT);
    EXPECT_EQ(page.view.text(IDC_OUTPUT_STATE), "-");

    page.state.moduleConfig = 1;
    page.RefreshView(RefreshCode::Layout, PollState::Unknown);
    EXPECT_FALSE(page.state.online);
    page.RefreshView(RefreshCode::Modules, PollState::Complete);
    EXPECT_TRUE(page.state.online);
    EXPECT_EQ(page.state.status, -1);
    EXPECT_TRUE(page.state.outputOn);
    EXPECT_TRUE(page.state.voltRegulation);
    EXPECT_EQ(page.view.text(IDC_OUTPUT_STATE), "Включен");
    EXPECT_EQ(page.view.font(IDC_OUTPUT_STATE), FontKind::Bold);
    EXPECT_EQ(page.view.text(IDC_REGULATION), "Напряжения");
    EXPECT_EQ(page.view.font(IDC_REGULATION), FontKind::Bold);
    EXPECT_EQ(page.view.font(IDC_VOLT_READING), FontKind::Bold);
    EXPECT_EQ(page.view.font(IDC_CURR_READING), FontKind::Normal);
    EXPECT_EQ(page.view.text(IDC_OUTPUT_BUTTON), "Выключить");
    EXPECT_FALSE(page.view.enabled(IDC_MODULE_SETUP));
    EXPECT_FALSE(page.view.enabled(IDC_CLEAR_CHART));
    EXPECT_EQ(page.view.colour(IDC_REGULATION), COLOUR_GREEN);
    EXPECT_EQ(page.view.colour(IDC_VOLT_READING), COLOUR_GREEN);
    EXPECT_EQ(page.view.colour(IDC_CURR_READING), COLOUR_RED);
    // Going online laid the module lines out: configuration 1 shows three lines.
    EXPECT_TRUE(page.view.shown(IDC_LINE3_VALUE));
    EXPECT_FALSE(page.view.shown(IDC_LINE4_VALUE));
}

TEST_F(DevicePageTest, CurrentRegulationAndSwitchOff) {
    BringOnline(page, 0, STATUS_ON_CURR);
    EXPECT_EQ(page.view.text(IDC_REGULATION), "Тока");
    EXPECT_EQ(page.view.font(IDC_VOLT_READING), FontKind::Normal);
    EXPECT_EQ(page.view.font(IDC_CURR_READING), FontKind::Bold);
    EXPECT_EQ(page.view.colour(IDC_REGULATION), COLOUR_RED);
    EXPECT_FALSE(page.state.voltRegulation);

    page.state.status = STATUS_OFF;
    page.RefreshView(RefreshCode::Values, PollState::Complete);
    EXPECT_EQ(page.view.text(IDC_OUTPUT_STATE), "Выключен");
    EXPECT_EQ(page.view.text(IDC_REGULATION), "-");
    EXPECT_EQ(page.view.text(IDC_OUTPUT_BUTTON), "Включить");
    for (int id : {IDC_OUTPUT_STATE, IDC_REGULATION, IDC_VOLT_READING, IDC_CURR_READING})
        EXPECT_EQ(page.view.font(id), FontKind::Normal) << id;
    EXPECT_FALSE(page.view.colour(IDC_REGULATION).has_value());
    EXPECT_TRUE(page.view.enabled(IDC_MODULE_SETUP));
}

TEST_F(DevicePageTest, ClearChartEnabledOnlyWhileRecordingWithSamples) {
    struct Case {
        bool recording;
        bool samples;
        bool enabled;
    } cases[] = {{false, false, false}, {false, true, false}, {true, false, false}, {true, true, true}};
    for (const auto& c : cases) {
        DevicePage p;
        p.InitDevice(15, 0);
        BringOnline(p, 0, STATUS_ON_VOLT);
        if (c.recording)
            p.StartRecording();
        p.secondsRing.assign(c.samples ? 180 : 0, ChartSample());
        p.state.status = STATUS_OFF;
        p.RefreshView(RefreshCode::Values, PollState::Complete);
        EXPECT_EQ(p.view.enabled(IDC_CLEAR_CHART), c.enabled) << c.recording << c.samples;
    }
}

TEST_F(DevicePageTest, UnknownConfigurationKeepsPageOfflineUntilNoModulesAssumed) {
    Identify(page, 6);
    page.state.status = STATUS_ON_VOLT;
    page.RefreshView(RefreshCode::Values, PollState::Complete);
    EXPECT_FALSE(page.state.online);
    EXPECT_EQ(page.state.status, -1); // the status was applied, but the page cannot lay out
    page.AssumeNoModules();
    EXPECT_EQ(page.state.moduleConfig, 0);
    page.state.status = STATUS_ON_VOLT;
    page.RefreshView(RefreshCode::Values, PollState::Complete);
    EXPECT_TRUE(page.state.online);
    EXPECT_FALSE(page.view.shown(IDC_LINE1_LABEL));
    EXPECT_FALSE(page.view.shown(IDC_DOSER_RESTART));

    // A known configuration is never overwritten.
    page.state.moduleConfig = 9;
    page.AssumeNoModules();
    EXPECT_EQ(page.state.moduleConfig, 9);
}

TEST_F(DevicePageTest, ChannelBPageOnlineWithoutModuleSetup) {
    DevicePage b;
    b.InitDevice(5, 1);
    b.AssumeNoModules();
    BringOnline(b, 0, STATUS_OFF, 3);
    EXPECT_TRUE(b.state.online);
    EXPECT_FALSE(b.view.shown(IDC_MODULE_SETUP));
    EXPECT_FALSE(b.view.enabled(IDC_MODULE_SETUP));
    for (int id : {IDC_LINE1_VALUE, IDC_LINE2_VALUE, IDC_LINE3_VALUE, IDC_LINE4_VALUE})
        EXPECT_FALSE(b.view.shown(id)) << id;
}

TEST_F(DevicePageTest, ModuleSetupHiddenForRs232Model) {
    BringOnline(page, 0, STATUS_OFF, 1);
    EXPECT_FALSE(page.view.shown(IDC_MODULE_SETUP));
    DevicePage other;
    other.InitDevice(3, 0);
    BringOnline(other, 0, STATUS_OFF, 4);
    EXPECT_TRUE(other.view.shown(IDC_MODULE_SETUP));
    EXPECT_TRUE(other.view.enabled(IDC_MODULE_SETUP));
}

TEST_F(DevicePageTest, OfflineAgainClearsValuesButKeepsTexts) {
    BringOnline(page, 1, STATUS_ON_VOLT);
    page.state.timerValue = 3725;
    page.RefreshView(RefreshCode::Modules, PollState::Complete);
    page.state.online = false;
    page.UpdateControls();
    EXPECT_EQ(page.view.text(IDC_DESCRIPTION_GROUP), "#15  RIR 37V 14A timer/ampere");
    EXPECT_EQ(page.view.text(IDC_LINE1_VALUE), "1:02:05");
    EXPECT_FALSE(page.view.shown(IDC_LINE1_VALUE));
    EXPECT_EQ(page.view.text(IDC_OUTPUT_STATE), "-");
    EXPECT_EQ(page.view.text(IDC_VOLT_READING), "-");
    EXPECT_EQ(page.state.voltLimit, 0);
    EXPECT_EQ(page.state.currMeas, 0);
    EXPECT_FALSE(page.state.outputOn);
    EXPECT_EQ(page.state.status, -1);
    EXPECT_FALSE(page.view.colour(IDC_REGULATION).has_value());
    EXPECT_FALSE(page.view.colour(IDC_VOLT_READING).has_value());
}

TEST_F(DevicePageTest, OnlineWithoutProgram) {
    BringOnline(page, 0);
    for (int id : {IDC_VOLT_EDIT, IDC_CURR_EDIT, IDC_OPEN_PROGRAM, IDC_SET_LIMITS, IDC_OUTPUT_BUTTON,
                   IDC_OUTPUT_STATE, IDC_REGULATION, IDC_VOLT_READING, IDC_CURR_READING})
        EXPECT_TRUE(page.view.enabled(id)) << id;
    for (int id : {IDC_PROGRAM_START, IDC_PROGRAM_PAUSE, IDC_PROGRAM_CANCEL})
        EXPECT_FALSE(page.view.enabled(id)) << id;
    EXPECT_EQ(page.view.text(IDC_PROGRAM_CAPTION), "Протокол работы:");
    EXPECT_EQ(page.view.text(IDC_PROGRAM_START), "Старт");
    EXPECT_FALSE(page.view.shown(IDC_READOUT_VALUES));
    EXPECT_FALSE(page.view.shown(IDC_READOUT_LIMITS));
    EXPECT_TRUE(page.view.menuEnabled(ID_MENU_FILE_OPEN));
    EXPECT_FALSE(page.view.menuEnabled(ID_MENU_FILE_SAVE));

    // Without a recording every series is switched back on and the chart drawn again.
    page.series.SetAll(false);
    page.view.SetChecked(IDC_SERIES_CURR, false);
    page.takeChartInvalidated();
    page.UpdateControls();
    EXPECT_TRUE(page.series.voltMeas && page.series.voltLimit && page.series.currMeas &&
                page.series.currLimit && page.series.output);
    EXPECT_TRUE(page.view.checked(IDC_SERIES_CURR));
    EXPECT_TRUE(page.takeChartInvalidated());
    EXPECT_FALSE(page.takeChartInvalidated());

    // While recording the readouts show, the series stay as chosen and "Сохранить" is enabled.
    page.StartRecording();
    page.takeChartInvalidated();
    page.series.SetAll(false);
    page.UpdateControls();
    EXPECT_TRUE(page.view.shown(IDC_READOUT_VALUES));
    EXPECT_TRUE(page.view.shown(IDC_READOUT_LIMITS));
    EXPECT_FALSE(page.series.voltMeas);
    EXPECT_FALSE(page.takeChartInvalidated());
    EXPECT_TRUE(page.view.menuEnabled(ID_MENU_FILE_SAVE));
}

TEST_F(DevicePageTest, ProgramStatesDriveTheProgramButtons) {
    BringOnline(page, 0);
    struct Case {
        PageRun run;
        bool start, pause, cancel;
        const char* caption;
    } cases[] = {
        {PageRun::Paused, true, false, true, "Продолжить"},
        {PageRun::Running, false, true, false, "Старт"},
        {PageRun::Loaded, true, false, true, "Старт"}, // loaded again after the end: caption kept
    };
    test::DiscardSink sink;
    test::EnterRun(page, PageRun::Paused);
    for (const auto& c : cases) {
        if (c.run == PageRun::Running)
            page.RunProgram(sink);
        if (c.run == PageRun::Loaded) {
            while (page.OnTick(sink) != TickOutcome::ProgramEnded)
                ;
        }
        ASSERT_EQ(page.run(), c.run);
        page.UpdateControls();
        EXPECT_EQ(page.view.enabled(IDC_PROGRAM_START), c.start) << c.caption;
        EXPECT_EQ(page.view.enabled(IDC_PROGRAM_PAUSE), c.pause) << c.caption;
        EXPECT_EQ(page.view.enabled(IDC_PROGRAM_CANCEL), c.cancel) << c.caption;
        EXPECT_EQ(page.view.text(IDC_PROGRAM_START), c.caption);
        for (int id : {IDC_CLEAR_CHART, IDC_VOLT_EDIT, IDC_CURR_EDIT, IDC_OPEN_PROGRAM, IDC_SET_LIMITS,
                       IDC_OUTPUT_BUTTON})
            EXPECT_FALSE(page.view.enabled(id)) << id;
        EXPECT_TRUE(page.view.shown(IDC_SET_LIMITS));
        EXPECT_TRUE(page.view.shown(IDC_READOUT_VALUES));
        EXPECT_FALSE(page.view.menuEnabled(ID_MENU_FILE_OPEN));
    }
    // A paused program's caption stays until a fresh start while loaded and not started.
    page.RunProgram(sink);
    page.HoldProgram();
    test::TakeSteps(page, test::ShortProgram());
    ASSERT_EQ(page.run(), PageRun::Loaded);
    page.UpdateControls();
    EXPECT_EQ(page.view.text(IDC_PROGRAM_START), "Продолжить");

    // A loaded program keeps the readings coloured even offline.
    page.state.online = false;
    page.UpdateControls();
    EXPECT_EQ(page.view.colour(IDC_VOLT_READING), COLOUR_GREEN);
    EXPECT_EQ(page.view.colour(IDC_CURR_READING), COLOUR_RED);
}

TEST_F(DevicePageTest, UnchangedRefreshTouchesNothing) {
    BringOnline(page, 9, STATUS_ON_VOLT, 6);
    page.state.timerValue = 10;
    page.state.status = STATUS_ON_VOLT;
    page.RefreshView(RefreshCode::Modules, PollState::Complete);
    page.RefreshView(RefreshCode::Values, PollState::Complete);
    page.view.takeChanged();
    page.view.takeMenuChanged();
    page.state.status = STATUS_ON_VOLT;
    page.RefreshView(RefreshCode::Modules, PollState::Complete);
    page.RefreshView(RefreshCode::Values, PollState::Complete);
    EXPECT_TRUE(page.view.takeChanged().empty());
    page.state.timerValue = 11;
    page.RefreshView(RefreshCode::Modules, PollState::Complete);
    EXPECT_EQ(page.view.takeChanged(), std::vector<int>{IDC_LINE1_VALUE});
}

TEST_F(DevicePageTest, FirstSampleTakesMeasurementsOnTheThirdRefresh) {
    BringOnline(page, 0, STATUS_ON_VOLT);
    page.secondsRing.assign(180, ChartSample());
    page.state.firstSampleCountdown = 3;
    page.state.voltMeas = 1234;
    page.state.currMeas = 567;
    page.RefreshView(RefreshCode::Modules, PollState::Complete); // module refreshes do not count
    page.RefreshView(RefreshCode::Values, PollState::Complete);
    page.RefreshView(RefreshCode::WriteAck, PollState::Complete);
    EXPECT_EQ(page.secondsRing[0].voltMeas, 0);
    page.RefreshView(RefreshCode::Values, PollState::Complete);
    EXPECT_EQ(page.state.firstSampleCountdown, 0);
    EXPECT_EQ(page.secondsRing[0].voltMeas, 1234);
    EXPECT_EQ(page.secondsRing[0].currMeas, 567);
    page.state.voltMeas = 1;
    page.RefreshView(RefreshCode::Values, PollState::Complete);
    EXPECT_EQ(page.secondsRing[0].voltMeas, 1234);

    // An emptied ring is left alone.
    page.secondsRing.clear();
    page.state.firstSampleCountdown = 1;
    page.RefreshView(RefreshCode::Values, PollState::Complete);
    EXPECT_EQ(page.state.firstSampleCountdown, 0);
}

TEST_F(DevicePageTest, ZeroScalesFromABrokenReplyDoNotDivideByZero) {
    BringOnline(page, 0, STATUS_ON_VOLT, 4);
    page.state.voltScale = 0;
    page.state.currScale = 0;
    page.state.voltLimit = 12;
    page.state.currLimit = 5;
    page.state.voltMeas = 11;
    page.state.currMeas = 4;
    page.RefreshView(RefreshCode::Values, PollState::Complete);
    EXPECT_EQ(page.view.text(IDC_VOLT_EDIT), "12");
    EXPECT_EQ(page.view.text(IDC_CURR_EDIT), "5");
    EXPECT_EQ(page.view.text(IDC_VOLT_READING), "11 / 12 вольт");
    EXPECT_EQ(page.view.text(IDC_CURR_READING), "4 / 5 ампер");
}

} // namespace
} // namespace rir
