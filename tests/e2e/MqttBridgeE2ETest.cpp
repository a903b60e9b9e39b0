// The bridge against a real mosquitto on 127.0.0.1 with a password file: the status and the
// pages' states retained, commands taken from this station's own topics only, a wrong password
// refused and said without the password, the broker restarted and the latest states published
// again.
#include "MqttBridge.h"
#include "MqttBroker.h"
#include "MqttTestClient.h"

#include <gtest/gtest.h>

#include <thread>

namespace rir {
namespace {

using namespace std::chrono_literals;

bool WaitUntil(const std::function<bool()>& done, std::chrono::seconds deadline = 20s) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

class MqttBridgeE2E : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(broker.Start()) << broker.error(); }

    MqttSettings Settings(const std::string& password) {
        MqttSettings s;
        s.host = "127.0.0.1";
        s.port = broker.port();
        s.station = "line1";
        s.user = "station";
        s.passwordFile = broker.PasswordFile(password);
        s.commands = true;
        return s;
    }

    test::MqttBroker broker{"station", "s3cret-pass"};
};

TEST_F(MqttBridgeE2E, PublishesRetainedAndTakesItsOwnCommandsOnly) {
    MqttBridge bridge(Settings("s3cret-pass"));
    bridge.PublishState({15, 0}, "{\"online\":false}"); // before the connection: kept
    ASSERT_EQ(bridge.Start(), "");
    ASSERT_TRUE(WaitUntil([&] { return bridge.link() == MqttBridge::Link::Connected; }));
    EXPECT_TRUE(WaitUntil([&] { return bridge.waitingStates() == 0; }));
    bridge.PublishState({15, 1}, "{\"online\":true}");

    // A plant system that comes later still finds the retained status and states.
    test::MqttTestClient plant;
    ASSERT_TRUE(plant.Connect(broker.port(), "station", "s3cret-pass"));
    plant.Subscribe("rir/#");
    const auto status = plant.WaitFor("rir/line1/status");
    ASSERT_TRUE(status);
    EXPECT_EQ(status->payload, "online");
    EXPECT_TRUE(status->retained);
    ASSERT_TRUE(plant.WaitFor("rir/line1/15/state"));
    EXPECT_EQ(plant.WaitFor("rir/line1/15_2/state")->payload, "{\"online\":true}");

    plant.Publish("rir/line2/15/set", "{\"output\":true}");   // another station's
    plant.Publish("rir/line1/200/set", "{\"output\":true}");  // no such address
    plant.Publish("rir/line1/15_2/set", "{\"uLimit\":12.5}"); // ours
    std::vector<MqttBridge::Command> taken;
    ASSERT_TRUE(WaitUntil([&] {
        for (auto& c : bridge.TakeCommands())
            taken.push_back(std::move(c));
        return !taken.empty();
    }));
    std::this_thread::sleep_for(200ms); // anything else would have come by now
    for (auto& c : bridge.TakeCommands())
        taken.push_back(std::move(c));
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].page, (PageRef{15, 1}));
    EXPECT_EQ(taken[0].payload, "{\"uLimit\":12.5}");

    bridge.PublishResult({15, 1}, PlantResultJson(""));
    EXPECT_EQ(plant.WaitFor("rir/line1/15_2/result")->payload, "{\"ok\":true}");

    bridge.Stop();
    EXPECT_TRUE(plant.WaitFor("rir/line1/status", [](const auto& m) { return m.payload == "offline"; }));
}

TEST_F(MqttBridgeE2E, AWrongPasswordIsRefusedAndSaidWithoutIt) {
    MqttBridge bridge(Settings("not-the-password"));
    ASSERT_EQ(bridge.Start(), "");
    ASSERT_TRUE(WaitUntil([&] { return bridge.link() == MqttBridge::Link::Refused; }));
    const auto lines = bridge.TakeLogLines();
    ASSERT_FALSE(lines.empty());
    for (const std::string& line : lines)
        EXPECT_EQ(line.find("not-the-password"), std::string::npos) << line;
    EXPECT_NE(lines.front().find("отказал во входе пользователю station"), std::string::npos)
        << lines.front();
}

TEST_F(MqttBridgeE2E, TheBrokerBackGetsTheLatestStatesOnly) {
    MqttBridge bridge(Settings("s3cret-pass"));
    ASSERT_EQ(bridge.Start(), "");
    ASSERT_TRUE(WaitUntil([&] { return bridge.link() == MqttBridge::Link::Connected; }));

    broker.Stop();
    ASSERT_TRUE(WaitUntil([&] { return bridge.link() == MqttBridge::Link::Lost; }));
    for (int second = 0; second < 100; ++second) {
        bridge.PublishState({15, 0}, "{\"second\":" + std::to_string(second) + "}");
        bridge.PublishState({20, 0}, "{\"second\":" + std::to_string(second) + "}");
    }
    EXPECT_EQ(bridge.waitingStates(), 2u) << "one state per page waits, not one per second";

    ASSERT_TRUE(broker.Start()) << broker.error();
    ASSERT_TRUE(WaitUntil([&] { return bridge.link() == MqttBridge::Link::Connected; }, 40s));
    test::MqttTestClient plant;
    ASSERT_TRUE(plant.Connect(broker.port(), "station", "s3cret-pass"));
    plant.Subscribe("rir/line1/+/state");
    EXPECT_EQ(plant.WaitFor("rir/line1/15/state")->payload, "{\"second\":99}");
    EXPECT_EQ(plant.WaitFor("rir/line1/20/state")->payload, "{\"second\":99}");
    const auto lines = bridge.TakeLogLines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.find("потеряна") != std::string::npos; }));
}

} // namespace
} // namespace rir
