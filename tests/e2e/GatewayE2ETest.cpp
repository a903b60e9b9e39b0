// A bus behind a serial-to-Ethernet gateway: the whole window on "tcp://127.0.0.1:PORT", rir-sim
// serving the supplies over TCP as a gateway would.
#include <gtest/gtest.h>

#include "KeyInput.h"
#include "ModalWatcher.h"
#include "StationWindowTest.h"
#include "device/PageControls.h"
#include "device/Requests.h"

namespace rir {
namespace {

using GatewayE2E = test::StationWindowTest;
using test::STATE_DEADLINE_MS;

TEST_F(GatewayE2E, ASupplyBehindAGatewayIsPolledAndTakesItsLimitsAndALostGatewayIsReported) {
    sim = std::make_unique<test::SimProcess>(std::vector<std::string>{"--device", "15:2:1", "--listen", "0"},
                                             test::SimProcess::Requests::Seen);
    ASSERT_EQ(sim->path().rfind("tcp://127.0.0.1:", 0), 0u) << sim->path();
    Open();
    ASSERT_TRUE(WaitFor([&] { return Online(15); }, STATE_DEADLINE_MS));
    const DevicePage& page = *Page(15);

    test::Type(StartTyping(15, IDC_VOLT_EDIT), QStringLiteral("12,5"));
    test::Enter(qobject_cast<QLineEdit*>(Control(15, IDC_VOLT_EDIT)));
    ASSERT_TRUE(WaitFor([&] { return page.state.voltLimit == 1250 && page.state.voltEdited == 0; },
                        STATE_DEADLINE_MS));
    bool sawLimit = false;
    for (const std::vector<int>& r : sim->requests())
        sawLimit = sawLimit || (r.size() == 7 && r[0] == 15 && r[1] == FC_CONTROL &&
                                (r[2] & TAKE_VOLT_LIMIT) != 0 && r[3] * 256 + r[4] == 1250);
    EXPECT_TRUE(sawLimit) << "the limit went over the socket as the line would carry it";

    sim->Stop(); // the gateway goes away
    EXPECT_TRUE(WaitFor([&] { return window->station().link().portAway && !Online(15); }, STATE_DEADLINE_MS));
    window->close();
}

} // namespace
} // namespace rir
