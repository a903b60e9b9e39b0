// The operator's commands on the real window, over the real bus thread and serial adapter, to
// rir-sim: what the supply takes shows on the page only once the supply reports it.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "CModuleSetupDlg.h"
#include "KeyInput.h"
#include "ModalWatcher.h"
#include "ModuleDialogStep.h"
#include "StationWindowTest.h"
#include "TabControl.h"
#include "bus/FrameCodec.h"
#include "device/ModuleSetupTemplate.h"
#include "device/PageControls.h"
#include "device/Requests.h"
#include "text/Cp1251.h"

namespace rir {
namespace {

using StationCommandsE2E = test::StationWindowTest;
using test::STATE_DEADLINE_MS;

TEST_F(StationCommandsE2E, TypedLimitsReachTheSupplyAndTheMarksClearOnItsAnswer) {
    sim = std::make_unique<test::SimProcess>(std::vector<std::string>{"--device", "15:2:1"});
    Open();
    ASSERT_TRUE(WaitFor([&] { return Online(15); }, STATE_DEADLINE_MS));
    const DevicePage& page = *Page(15);
    ASSERT_EQ(page.state.voltLimit, 1500);

    QLineEdit* volt = StartTyping(15, IDC_VOLT_EDIT);
    test::Type(volt, QStringLiteral("12,5"));
    EXPECT_EQ(volt->text(), QStringLiteral("12.5"));
    EXPECT_EQ(WidgetText(15, IDC_VOLT_UNIT), QString::fromUtf8("В*"));
    test::Enter(volt);
    // The supply's measurements carry the limit it took; its acknowledgement clears the mark.
    EXPECT_TRUE(WaitFor(
        [&] {
            return page.state.voltLimit == 1250 && page.state.voltEdited == 0 &&
                   WidgetText(15, IDC_VOLT_UNIT) == QString::fromUtf8("В");
        },
        STATE_DEADLINE_MS));
    EXPECT_EQ(page.state.currLimit, 1000) << "Enter in the voltage edit sets the voltage only";
    EXPECT_EQ(volt->text(), QStringLiteral("12.50")) << "the edit shows what the supply took";

    QLineEdit* curr = StartTyping(15, IDC_CURR_EDIT);
    test::Type(curr, QStringLiteral("99"));
    EXPECT_EQ(WidgetText(15, IDC_CURR_UNIT), QString::fromUtf8("А*"));
    Click(15, IDC_SET_LIMITS);
    // 99 A is more than this supply has (15 A at most): sent, and shown, as its maximum.
    EXPECT_EQ(curr->text(), QStringLiteral("15.00"));
    EXPECT_TRUE(WaitFor(
        [&] {
            return page.state.currLimit == 1500 && page.state.currEdited == 0 &&
                   WidgetText(15, IDC_CURR_UNIT) == QString::fromUtf8("А");
        },
        STATE_DEADLINE_MS));
    EXPECT_EQ(page.state.voltLimit, 1250);
    window->close();
}

// Limits typed without Enter and then "Включить": the supply takes the typed limits before the
// switch-on or with it, and is never switched on at the limits it held.
TEST_F(StationCommandsE2E, SwitchingOnAfterTypingWithoutEnterNeverRunsAtTheOldLimits) {
    sim = std::make_unique<test::SimProcess>(std::vector<std::string>{"--device", "15:2:1"},
                                             test::SimProcess::Requests::Seen);
    Open();
    ASSERT_TRUE(WaitFor([&] { return Online(15); }, STATE_DEADLINE_MS));
    const DevicePage& page = *Page(15);
    const struct {
        const char* volts; // typed into the В edit, or nothing
        const char* amperes;
        int voltLimit; // what the supply then holds
        int currLimit;
    } cases[] = {
        {"30", nullptr, 3000, 1000},
        {"7,5", "2", 750, 200},
        {nullptr, "0.5", 750, 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.volts ? c.volts : "-") + " V, " + (c.amperes ? c.amperes : "-") + " A");
        ASSERT_FALSE(page.state.outputOn);
        if (c.volts)
            test::Type(StartTyping(15, IDC_VOLT_EDIT), QString::fromUtf8(c.volts));
        if (c.amperes)
            test::Type(StartTyping(15, IDC_CURR_EDIT), QString::fromUtf8(c.amperes));
        const std::size_t before = sim->requests().size();
        Click(15, IDC_OUTPUT_BUTTON);
        ASSERT_TRUE(WaitFor(
            [&] {
                return page.state.outputOn && page.state.voltLimit == c.voltLimit &&
                       page.state.currLimit == c.currLimit;
            },
            STATE_DEADLINE_MS));
        // What the supply took since the click: its output writes, the limits each one carries
        // and which of them it takes by the write's flags.
        int voltHeld = -1;
        int currHeld = -1;
        bool switchedOn = false;
        const auto seen = sim->requests();
        for (std::size_t k = before; k < seen.size() && !switchedOn; ++k) {
            const std::vector<int>& r = seen[k];
            if (r.size() != 7 || r[0] != 15 || r[1] != FC_CONTROL)
                continue;
            if ((r[2] & TAKE_VOLT_LIMIT) != 0)
                voltHeld = r[3] * 256 + r[4];
            if ((r[2] & TAKE_CURR_LIMIT) != 0)
                currHeld = r[5] * 256 + r[6];
            switchedOn = (r[2] & TAKE_OUTPUT) != 0 && (r[2] & OUTPUT_ON) != 0;
        }
        ASSERT_TRUE(switchedOn) << "the supply saw the switch-on";
        if (c.volts) {
            EXPECT_EQ(voltHeld, c.voltLimit) << "the typed voltage came before the switch-on or with it";
        }
        if (c.amperes) {
            EXPECT_EQ(currHeld, c.currLimit) << "the typed current came before the switch-on or with it";
        }
        Click(15, IDC_OUTPUT_BUTTON);
        ASSERT_TRUE(WaitFor([&] { return !page.state.outputOn; }, STATE_DEADLINE_MS));
    }
    window->close();
}

TEST_F(StationCommandsE2E, SwitchingOnChangesTheSupplysOutputAndStartsARecording) {
    sim = std::make_unique<test::SimProcess>(std::vector<std::string>{"--device", "15:2:1"});
    Open();
    ASSERT_TRUE(WaitFor([&] { return Online(15); }, STATE_DEADLINE_MS));
    const DevicePage& page = *Page(15);
    ASSERT_FALSE(page.state.outputOn);

    Click(15, IDC_OUTPUT_BUTTON);
    EXPECT_TRUE(page.recording());
    EXPECT_EQ(page.secondsRing.size(), 180u);
    ASSERT_TRUE(WaitFor(
        [&] {
            return page.state.outputOn && page.state.voltMeas > 0 &&
                   WidgetText(15, IDC_OUTPUT_STATE) == QString::fromUtf8("Включен") &&
                   WidgetText(15, IDC_OUTPUT_BUTTON) == QString::fromUtf8("Выключить");
        },
        STATE_DEADLINE_MS));
    EXPECT_FALSE(Control(15, IDC_READOUT_VALUES)->isHidden());
    EXPECT_FALSE(Control(15, IDC_MODULE_SETUP)->isEnabled()) << "no module changes while on";
    // The chart records second by second: samples carry what the supply measured.
    ASSERT_TRUE(WaitFor([&] { return page.chart.chartClock >= 2; }, STATE_DEADLINE_MS));
    const ChartSample& second = page.secondsRing[static_cast<std::size_t>(page.chart.ringIndex)];
    EXPECT_EQ(second.time, page.chart.chartClock);
    EXPECT_GT(second.voltMeas, 0);
    EXPECT_EQ(second.output, 1);
    EXPECT_FALSE(Control(15, IDC_READOUT_VALUES)->property("text").toString().isEmpty());

    Click(15, IDC_OUTPUT_BUTTON);
    ASSERT_TRUE(WaitFor(
        [&] {
            return !page.state.outputOn && WidgetText(15, IDC_OUTPUT_STATE) == QString::fromUtf8("Выключен");
        },
        STATE_DEADLINE_MS));
    EXPECT_TRUE(page.recording()) << "switching off leaves the recording on";
    EXPECT_TRUE(WaitFor([&] { return page.state.voltMeas == 0; }, STATE_DEADLINE_MS)) << "the output is down";
    window->close();
}

TEST_F(StationCommandsE2E, AModuleChangeReidentifiesTheSupplyAndLaysThePageOutAnew) {
    sim = std::make_unique<test::SimProcess>(std::vector<std::string>{"--device", "15:2:1"});
    Open("[RIR Control RS485]\r\nProtocol=ASCII\r\nLogToFile=1\r\nTabs=1\r\nActiveTab=1\r\n"
         "[Tab_01]\r\nName=#15\r\nId=15\r\n");
    ASSERT_TRUE(WaitFor([&] { return Online(15) && Page(15)->state.moduleConfig == 1; }, STATE_DEADLINE_MS));
    const DevicePage& page = *Page(15);
    ASSERT_TRUE(Control(15, IDC_LINE3_VALUE)->isVisible());

    ModalWatcher wattmeter({ChooseModule("Ватт-метр")});
    Click(15, IDC_MODULE_SETUP);
    EXPECT_EQ(wattmeter.unexpected(), "");
    ASSERT_TRUE(WaitFor(
        [&] {
            return page.state.moduleConfig == 5 && page.state.online &&
                   WidgetText(15, IDC_LINE1_LABEL) == QString::fromUtf8("Ваттметр:") &&
                   WidgetText(15, IDC_LINE1_VALUE).endsWith(QString::fromUtf8(" ватт")) &&
                   Control(15, IDC_LINE1_VALUE)->isVisible() && !Control(15, IDC_LINE2_LABEL)->isVisible() &&
                   !Control(15, IDC_LINE3_VALUE)->isVisible();
        },
        STATE_DEADLINE_MS));
    window->close();

    // The log file holds every line: the change went out with its change bit, and the station
    // asked the supply who it is once the change was acknowledged.
    std::ifstream in(scratch.dir / "zadida.txt", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    const std::string log = Cp1251ToUtf8(text.str());
    const std::size_t change = log.find("Отправили в порт:  15 69 133\r\n");
    ASSERT_NE(change, std::string::npos);
    EXPECT_NE(log.find("Отправили в порт:  15 65 2\r\n", change), std::string::npos);
}

TEST_F(StationCommandsE2E, RemoveButtonTakesTheTabAway) {
    sim = std::make_unique<test::SimProcess>(
        std::vector<std::string>{"--framing", "rtu", "--device", "15:2:1", "--device", "20:4:0"});
    Open("[RIR Control RS485]\r\nProtocol=RTU\r\nTabs=2\r\nActiveTab=2\r\n"
         "[Tab_01]\r\nName=#15\r\nId=15\r\n[Tab_02]\r\nName=#20\r\nId=20\r\n");
    ASSERT_TRUE(WaitFor([&] { return Online(15) && Online(20); }, STATE_DEADLINE_MS));
    ASSERT_EQ(window->tabControl()->count(), 2);

    Click(20, IDC_REMOVE_DEVICE);
    EXPECT_EQ(window->tabControl()->count(), 1);
    EXPECT_EQ(window->tabControl()->tabText(0), QStringLiteral("#15"));
    EXPECT_EQ(Page(20), nullptr);
    EXPECT_EQ(window->station().SelectedPage(), Page(15));
    // The remaining supply is still polled: its readings keep coming.
    const int before = window->station().busLink().state().requestsSent;
    ASSERT_TRUE(
        WaitFor([&] { return window->station().busLink().state().requestsSent >= before + 5 && Online(15); },
                STATE_DEADLINE_MS));
    window->close();
}

} // namespace
} // namespace rir
