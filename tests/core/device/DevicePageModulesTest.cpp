// The module lines of the device page: which lines each configuration shows and what goes where.
#include "device/DevicePage.h"

#include "device/PageControls.h"

#include "PageOnline.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

constexpr int LABELS[] = {IDC_LINE1_LABEL, IDC_LINE2_LABEL, IDC_LINE3_LABEL, IDC_LINE4_LABEL};
constexpr int VALUES[] = {IDC_LINE1_VALUE, IDC_LINE2_VALUE, IDC_LINE3_VALUE, IDC_LINE4_VALUE};

// A fresh page for address 15, identified as `model`, online with `config` and the output off.
struct OnlinePage {
    OnlinePage(int config, int model = 2, int status = 0) {
        page.InitDevice(15, 0);
        test::TestRatings r{model, 4200, 100, 3150, 100, 0, 0};
        test::BringPageOnline(page, config, status, r);
    }
    DevicePage page;
};

TEST(DevicePageModules, LayoutByConfiguration) {
    struct Case {
        int config;
        int lines; // lines 1..n shown, the rest hidden
        bool button;
        bool timer, counter, reverse, watt, thermo;
    } cases[] = {
        {0, 0, false, false, false, false, false, false}, {1, 3, false, true, true, false, false, false},
        {2, 3, false, true, false, true, false, false},   {3, 2, false, false, true, false, false, false},
        {4, 1, false, false, true, false, false, false},  {5, 1, false, false, false, false, true, false},
        {6, 0, false, false, false, false, false, false}, {7, 4, true, false, false, false, false, false},
        {8, 4, true, false, false, false, false, false},  {9, 4, false, true, true, false, true, true},
    };
    for (const auto& c : cases) {
        OnlinePage p(c.config);
        const DevicePage& page = p.page;
        for (int line = 0; line < 4; ++line) {
            EXPECT_EQ(page.view.shown(LABELS[line]), line < c.lines)
                << "config " << c.config << " line " << line;
            EXPECT_EQ(page.view.shown(VALUES[line]), line < c.lines)
                << "config " << c.config << " line " << line;
        }
        EXPECT_EQ(page.view.shown(IDC_DOSER_RESTART), c.button) << "config " << c.config;
        EXPECT_EQ(page.state.hasTimerRow, c.timer) << "config " << c.config;
        EXPECT_EQ(page.state.hasCounterRow, c.counter) << "config " << c.config;
        EXPECT_EQ(page.state.hasReverseRow, c.reverse) << "config " << c.config;
        EXPECT_EQ(page.state.hasWattRow, c.watt) << "config " << c.config;
        EXPECT_EQ(page.state.hasThermoRow, c.thermo) << "config " << c.config;
        for (int id : {IDC_LINE1_LABEL, IDC_LINE2_LABEL, IDC_LINE3_LABEL})
            EXPECT_EQ(page.view.font(id), FontKind::Normal) << "config " << c.config;
    }
}

TEST(DevicePageModules, UnknownConfigurationShowsTemplateTexts) {
    OnlinePage p(7);
    const char* expected[][2] = {{"Таймер-сек.", "Значение т-с"},
                                 {"Дневной:", "Значение"},
                                 {"Накопит.", "Значение"},
                                 {"Термометр:", "Значение"}};
    for (int line = 0; line < 4; ++line) {
        EXPECT_EQ(p.page.view.text(LABELS[line]), expected[line][0]);
        EXPECT_EQ(p.page.view.text(VALUES[line]), expected[line][1]);
    }
    EXPECT_EQ(p.page.view.text(IDC_DOSER_RESTART), "Перезапуск дозатора");
}

TEST(DevicePageModules, LayoutLabels) {
    EXPECT_EQ(OnlinePage(5).page.view.text(IDC_LINE1_LABEL), "Ваттметр:");
    EXPECT_EQ(OnlinePage(9, 6).page.view.text(IDC_LINE3_LABEL), "Ваттметр:");
}

TEST(DevicePageModules, ThermoRowSurvivesOtherConfigurations) {
    OnlinePage p(9, 6);
    p.page.state.moduleConfig = 1;
    p.page.RefreshView(RefreshCode::Layout, PollState::Unknown);
    EXPECT_TRUE(p.page.state.hasThermoRow);
    EXPECT_FALSE(p.page.view.shown(IDC_LINE4_VALUE));
}

TEST(DevicePageModules, TimerCounterConfiguration) {
    OnlinePage p(1);
    DevicePage& page = p.page;
    page.state.timerValue = 3725;
    page.state.timerMode = 2;
    page.state.counterUnits = 1;
    page.state.counterDaily = 125;
    page.state.counterTotal = 7384;
    page.state.counterMode = 3;
    page.state.counterSelect = 2;
    page.state.doseActive = true;
    page.RefreshView(RefreshCode::Modules, PollState::Complete);
    EXPECT_EQ(page.view.text(IDC_LINE1_VALUE), "1:02:05");
    EXPECT_EQ(page.view.text(IDC_LINE1_LABEL), "Таймер [т10%]:");
    EXPECT_EQ(page.view.text(IDC_LINE2_VALUE), "002.05 А*минут");
    EXPECT_EQ(page.view.text(IDC_LINE3_VALUE), "0.123.04 А*минут");
    EXPECT_EQ(page.view.text(IDC_LINE2_LABEL), "Дозатор [безв]:");
    EXPECT_EQ(page.view.text(IDC_LINE3_LABEL), "САЧ общий:");
    EXPECT_EQ(page.view.font(IDC_LINE2_LABEL), FontKind::Underlined);
    EXPECT_EQ(page.view.font(IDC_LINE3_LABEL), FontKind::Normal);
    EXPECT_TRUE(page.view.shown(IDC_DOSER_RESTART));
    EXPECT_TRUE(page.view.enabled(IDC_DOSER_RESTART));

    page.state.counterSelect = 1;
    page.state.doseActive = false;
    page.RefreshView(RefreshCode::Modules, PollState::Complete);
    EXPECT_EQ(page.view.font(IDC_LINE2_LABEL), FontKind::Normal);
    EXPECT_EQ(page.view.font(IDC_LINE3_LABEL), FontKind::Underlined);
    EXPECT_FALSE(page.view.enabled(IDC_DOSER_RESTART));

    page.state.counterMode = 1;
    page.RefreshView(RefreshCode::Modules, PollState::Complete);
    EXPECT_EQ(page.view.text(IDC_LINE2_LABEL), "Дозатор [выкл]:");
    EXPECT_FALSE(page.view.shown(IDC_DOSER_RESTART));

    // The button belongs to model 2's doser only.
    OnlinePage prof(1, 4);
    prof.page.state.counterMode = 3;
    prof.page.RefreshView(RefreshCode::Modules, PollState::Complete);
    EXPECT_FALSE(prof.page.view.shown(IDC_DOSER_RESTART));
    EXPECT_EQ(prof.page.view.text(IDC_LINE2_VALUE), "0.000.00 А*час");
}

TEST(DevicePageModules, CounterConfigurations3And4) {
    OnlinePage three(3, 4);
    three.page.state.counterDaily = 1234567;
    three.page.state.counterTotal = 100;
    three.page.state.counterSelect = 2;
    three.page.RefreshView(RefreshCode::Modules, PollState::Complete);
    EXPECT_EQ(three.page.view.text(IDC_LINE1_VALUE), "12.345.67 А*час");
    EXPECT_EQ(three.page.view.text(IDC_LINE2_VALUE), "0.001.00 А*час");
    EXPECT_EQ(three.page.view.text(IDC_LINE1_LABEL), "САЧ дневной:");
    EXPECT_EQ(three.page.view.text(IDC_LINE2_LABEL), "САЧ общий:");
    EXPECT_EQ(three.page.view.font(IDC_LINE1_LABEL), FontKind::Underlined);
    EXPECT_EQ(three.page.view.font(IDC_LINE2_LABEL), FontKind::Normal);

    OnlinePage four(4, 2);
    four.page.state.counterTotal = 1234567;
    four.page.RefreshView(RefreshCode::Modules, PollState::Complete);
    EXPECT_EQ(four.page.view.text(IDC_LINE1_LABEL), "САЧ общий:");
    EXPECT_EQ(four.page.view.text(IDC_LINE1_VALUE), "1.234.567 А*час");
}

TEST(DevicePageModules, FullConfiguration) {
    OnlinePage p(9, 6);
    DevicePage& page = p.page;
    page.state.timerValue = 59;
    page.state.timerNegative = 1;
    page.state.timerMode = 1;
    page.state.timerResetOnOff = 1;
    page.state.counterMode = 0x41;
    page.state.counterResetOnOff = 0;
    page.state.counterUnits = 2;
    page.state.counterDaily = 1234567;
    page.state.wattRaw = 12345;
    page.state.tempRaw = 2250;
    page.state.thermoMode = 0x83;
    page.state.tempTargetRaw = 2400;
    page.RefreshView(RefreshCode::Modules, PollState::Complete);
    EXPECT_EQ(page.view.text(IDC_LINE1_VALUE), "-00:00:59 c");
    EXPECT_EQ(page.view.text(IDC_LINE1_LABEL), "Таймер [выкл] [сб]:");
    EXPECT_EQ(page.view.text(IDC_LINE2_LABEL), "Дозатор [выкл]:");
    EXPECT_EQ(page.view.text(IDC_LINE2_VALUE), "1.234.567 Вт*час");
    EXPECT_EQ(page.view.text(IDC_LINE3_VALUE), "1234.5 ватт");
    EXPECT_EQ(page.view.text(IDC_LINE3_LABEL), "Ваттметр:");
    EXPECT_EQ(page.view.text(IDC_LINE4_LABEL), "Терморег. [контр]:");
    EXPECT_EQ(page.view.text(IDC_LINE4_VALUE), "25.0 °С (40.0) (Р)");
}

TEST(DevicePageModules, WattmeterConfiguration) {
    OnlinePage p(5);
    p.page.state.wattRaw = 12345;
    p.page.RefreshView(RefreshCode::Modules, PollState::Complete);
    EXPECT_EQ(p.page.view.text(IDC_LINE1_VALUE), "123.45 ватт");
    EXPECT_EQ(p.page.view.text(IDC_LINE1_LABEL), "Ваттметр:");
}

TEST(DevicePageModules, ReversePhasesInBoldWhileOn) {
    struct Case {
        int status;
        bool phase;
        FontKind forward, back;
    } cases[] = {
        {1, true, FontKind::Bold, FontKind::Normal},
        {1, false, FontKind::Normal, FontKind::Bold},
        {0, false, FontKind::Normal, FontKind::Normal}, // off: the layout's normal fonts stay
    };
    for (const auto& c : cases) {
        OnlinePage p(2, 3, c.status);
        DevicePage& page = p.page;
        page.state.reversePhase = c.phase;
        page.state.revFwdCurrent = 100;
        page.state.revFwdTime = 125;
        page.state.revBackCurrent = 20;
        page.state.revBackTime = 7;
        page.RefreshView(RefreshCode::Modules, PollState::Complete);
        EXPECT_EQ(page.view.font(IDC_LINE2_LABEL), c.forward) << c.status << c.phase;
        EXPECT_EQ(page.view.font(IDC_LINE3_LABEL), c.back) << c.status << c.phase;
        EXPECT_EQ(page.view.text(IDC_LINE2_VALUE), "100 А (12.5 с)");
        EXPECT_EQ(page.view.text(IDC_LINE3_VALUE), "20 А (0.7 c)");
        // The labels of the phase lines keep their template texts.
        EXPECT_EQ(page.view.text(IDC_LINE2_LABEL), "Дневной:");
        EXPECT_EQ(page.view.text(IDC_LINE1_VALUE), "0:00:00");
    }
}

TEST(DevicePageModules, ModuleValuesOnlyOnModuleRefresh) {
    OnlinePage p(1);
    p.page.state.timerValue = 3725;
    p.page.RefreshView(RefreshCode::Values, PollState::Complete);
    p.page.RefreshView(RefreshCode::WriteAck, PollState::Complete);
    EXPECT_EQ(p.page.view.text(IDC_LINE1_VALUE), "0:00:00");
    p.page.RefreshView(RefreshCode::Modules,
                       PollState::Unknown); // module values show whatever the poll state
    EXPECT_EQ(p.page.view.text(IDC_LINE1_VALUE), "1:02:05");
}

} // namespace
} // namespace rir
