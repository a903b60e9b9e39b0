// An alarm as the operator meets it: a supply switched on from its page falls silent, the alarm
// journal says it was raised, "Квитировать" on the page acknowledges it, and its answer again
// clears it.
#include <gtest/gtest.h>

#include "ModalWatcher.h"
#include "StationWindowTest.h"
#include "TempDir.h"
#include "device/PageControls.h"
#include "text/Cp1251.h"

namespace rir {
namespace {

using StationAlarmsE2E = test::StationWindowTest;
using test::STATE_DEADLINE_MS;

TEST_F(StationAlarmsE2E, DISABLED_ASilentSupplyIsRaisedAcknowledgedAndClearedInTheAlarmJournal) {
    // Silent from 15 s after the simulator's start, answering again from 25 s: time enough for the
    // page to come online and the operator to switch it on first.
    sim = std::make_unique<test::SimProcess>(
        std::vector<std::string>{"--device", "15:2:1", "--at", "15:15:silent", "--at", "25:15:answer"});
    Open();
    const std::filesystem::path journal = scratch.dir / "alarms.csv";
    window->station().SetAlarmJournal(journal);
    window->station().setAlarmUser("ivan");
    ASSERT_TRUE(WaitFor([&] { return Online(15); }, STATE_DEADLINE_MS));
    Click(15, IDC_OUTPUT_BUTTON);
    ASSERT_TRUE(WaitFor([&] { return Page(15)->state.outputOn; }, STATE_DEADLINE_MS));

    const auto has = [&](const std::string& tail) {
        return Cp1251ToUtf8(test::ReadBytes(journal)).find(";15;1;нет связи;;;" + tail) != std::string::npos;
    };
    ASSERT_TRUE(WaitFor([&] { return has("поднята;\r\n"); }, STATE_DEADLINE_MS));
    EXPECT_EQ(WidgetText(15, IDC_ALARM_LINE), QString::fromUtf8("Тревога: нет ответа при включённом выходе"));
    Click(15, IDC_ALARM_ACK);
    EXPECT_TRUE(has("квитирована;ivan\r\n"));
    EXPECT_TRUE(WaitFor([&] { return has("снята;\r\n"); }, STATE_DEADLINE_MS));
    EXPECT_TRUE(Online(15));
    // Acknowledged before it went: clear. (The misses of the silence may still stand as link
    // errors for a minute.)
    EXPECT_EQ(window->station().AlarmsOf(15, 0)->phase(AlarmKind::Silent), AlarmPhase::Clear);
    window->close();
}

} // namespace
} // namespace rir
