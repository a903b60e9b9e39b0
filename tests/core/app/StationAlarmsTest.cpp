// The station's side of the alarms: a page's monitor fed once a second, each transition in the
// alarm journal and the log, the page's alarm line, "Квитировать", the tab's mark, the status
// line, a removed page's alarms cleared, and the alarm settings kept per tab.
#include "StationRig.h"

#include "PageOnline.h"
#include "TempDir.h"
#include "alarm/AlarmSetup.h"
#include "device/PageControls.h"
#include "text/Cp1251.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace rir {
namespace {

using test::StationRig;
using Strings = std::vector<std::string>;

constexpr int STATUS_OUTPUT_ON = 0x01;

// #15 with its output on, #20 with it off, both online; the port open; the alarm journal in a
// temporary folder, acknowledged by "ivan".
struct AlarmRig : StationRig {
    test::TempDir dir;
    std::filesystem::path journal = dir.path() / "alarms.csv";

    explicit AlarmRig(StoredSettings s = test::Tabs({15, 20})) {
        s.protocol = "RTU";
        station.Start(&s);
        station.SetAlarmJournal(journal);
        station.setAlarmUser("ivan");
        station.busLink().eStart().Wait();
        PortNote(BusNote::PortOpened, "COM1");
        for (const auto& page : station.pages()) {
            test::BringPageOnline(*page, 0, page->state.address == 15 ? STATUS_OUTPUT_ON : 0);
            SetEntryState(page->state.address, page->state.channel, PollState::Complete);
        }
        Second(); // a valid measurement has been seen on each page
    }
    void Second() {
        for (int i = 0; i < TIMER_TICKS_PER_SECOND; ++i)
            station.OnTimer();
    }
    DevicePage& Page(int address) { return *station.FindPage(address, 0); }
    // The journal's lines after its head, without their date and time.
    Strings Journal() const {
        std::ifstream in(journal, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        Strings lines;
        std::istringstream all(Cp1251ToUtf8(text.str()));
        std::string line;
        std::getline(all, line); // the head
        while (std::getline(all, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line.substr(line.find(';') + 1));
        }
        return lines;
    }
};

TEST(StationAlarms, ALostPortRaisesSilenceOnEveryPageWhoseOutputWasOnAndItsLifeIsJournalled) {
    AlarmRig rig;
    EXPECT_TRUE(rig.Journal().empty());
    rig.PortNote(BusNote::PortLost, "COM1", {PortErrorKind::Removed, "Input/output error"});
    rig.Second();
    EXPECT_EQ(rig.Journal(), (Strings{"15;1;нет связи;;;поднята;"}));
    EXPECT_EQ(rig.Count("Тревога #15: нет связи"), 1u);
    EXPECT_EQ(rig.Page(15).view.text(IDC_ALARM_LINE), "Тревога: нет ответа при включённом выходе");
    EXPECT_TRUE(rig.Page(15).view.enabled(IDC_ALARM_ACK));
    EXPECT_EQ(rig.Page(20).view.text(IDC_ALARM_LINE), "");
    EXPECT_EQ(rig.station.TabTitle(rig.Page(15)), "#15 (!)");
    EXPECT_EQ(rig.station.TabTitle(rig.Page(20)), "#20");
    EXPECT_NE(rig.station.statusText().find(" | Тревоги: 1"), std::string::npos) << rig.station.statusText();

    rig.station.OnPageCommand(15, 0, IDC_ALARM_ACK);
    EXPECT_EQ(rig.Count("Тревога #15 квитирована: нет связи (пользователь ivan)"), 1u);
    EXPECT_FALSE(rig.Page(15).view.enabled(IDC_ALARM_ACK));
    EXPECT_EQ(rig.station.AlarmsOf(15, 0)->phase(AlarmKind::Silent), AlarmPhase::ActiveAcknowledged);

    // The supply answers again: the alarm is cleared, the mark and the count go.
    rig.PortNote(BusNote::PortOpened, "COM1");
    test::BringPageOnline(rig.Page(15), 0, STATUS_OUTPUT_ON);
    rig.Second();
    EXPECT_EQ(rig.Journal(), (Strings{"15;1;нет связи;;;поднята;", "15;1;нет связи;;;квитирована;ivan",
                                      "15;1;нет связи;;;снята;"}));
    EXPECT_EQ(rig.Count("Тревога #15 снята: нет связи"), 1u);
    EXPECT_EQ(rig.station.TabTitle(rig.Page(15)), "#15");
    EXPECT_EQ(rig.station.statusText().find("Тревоги"), std::string::npos);
}

TEST(StationAlarms, ARemovedPageIsClearedInTheJournal) {
    AlarmRig rig;
    rig.Page(15).state.online = false;
    rig.Second();
    ASSERT_EQ(rig.Journal(), (Strings{"15;1;нет связи;;;поднята;"}));
    rig.station.DeleteDevice(15, 0);
    EXPECT_EQ(rig.Journal(), (Strings{"15;1;нет связи;;;поднята;", "15;1;нет связи;;;снята;"}));
    EXPECT_EQ(rig.station.AlarmsOf(15, 0), nullptr);
}

TEST(StationAlarms, ANewAlarmBeepsUnlessSwitchedOffAndTheSettingsAreKeptPerTab) {
    struct BeepListener : test::CountingListener {
        int beeps = 0;
        void AlarmBeep() override { ++beeps; }
    };
    StoredSettings s = test::Tabs({15, 20});
    s.tabSections[0].alarms.delaySeconds = 30;
    s.alarmBeep = 0;
    AlarmRig rig(s);
    EXPECT_EQ(rig.station.AlarmsOf(15, 0)->settings().delaySeconds, 30);
    EXPECT_FALSE(rig.station.menu().Checked(ID_MENU_ALARM_BEEP));
    rig.station.OnCommand(ID_MENU_ALARM_BEEP);
    EXPECT_TRUE(rig.station.menu().Checked(ID_MENU_ALARM_BEEP));

    // The dialog's answer replaces the page's settings and goes into its tab's section.
    AlarmSettings chosen;
    chosen.tolerancePercent = 5;
    chosen.pauseProgram = true;
    struct SetupPrompts : test::ScriptedPrompts {
        std::optional<AlarmSettings> answer;
        std::string caption;
        std::optional<AlarmSettings> RunAlarmSetup(const std::string& c, const AlarmSettings&) override {
            caption = c;
            return answer;
        }
    };
    SetupPrompts prompts;
    prompts.answer = chosen;
    BeepListener listener;
    EventLog log("/nonexistent-dir/zadida.txt");
    Station station({"COM1"}, prompts, listener, log);
    station.Start(&s);
    station.OnPageCommand(20, 0, IDC_ALARM_SETUP);
    EXPECT_EQ(prompts.caption, "#20");
    const StoredSettings saved = station.SettingsToSave({});
    EXPECT_EQ(saved.tabSections[0].alarms.delaySeconds, 30);
    EXPECT_EQ(saved.tabSections[1].alarms, chosen);
    EXPECT_EQ(saved.alarmBeep, 0);

    station.OnCommand(ID_MENU_ALARM_BEEP);
    test::BringPageOnline(*station.FindPage(20, 0), 0, STATUS_OUTPUT_ON);
    for (int i = 0; i < TIMER_TICKS_PER_SECOND; ++i)
        station.OnTimer();
    station.FindPage(20, 0)->state.online = false;
    for (int i = 0; i < TIMER_TICKS_PER_SECOND; ++i)
        station.OnTimer();
    EXPECT_EQ(listener.beeps, 1);
}

} // namespace
} // namespace rir
