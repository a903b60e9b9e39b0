#include "plant/PlantSettings.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

using Keys = std::map<std::string, std::string>;

TEST(MqttSettingsSection, ReadAndChecked) {
    const auto good = ReadMqttSettings({{"Host", "broker"},
                                        {"Station", "line1"},
                                        {"User", "st"},
                                        {"PasswordFile", "/etc/rir/pw"},
                                        {"Commands", "1"}});
    ASSERT_TRUE(std::holds_alternative<MqttSettings>(good)) << std::get<std::string>(good);
    const auto& s = std::get<MqttSettings>(good);
    EXPECT_EQ(s.port, MQTT_DEFAULT_PORT);
    EXPECT_TRUE(s.commands);
    EXPECT_EQ(
        std::get<MqttSettings>(ReadMqttSettings({{"Host", "b"}, {"Station", "s"}, {"CAFile", "/ca"}})).port,
        MQTT_DEFAULT_TLS_PORT);

    struct Case {
        Keys keys;
        const char* errorPart;
    } bad[] = {
        {{{"Station", "line1"}}, "Host"},
        {{{"Host", "b"}}, "Station"},
        {{{"Host", "b"}, {"Station", "rir/#"}}, "Station"},
        {{{"Host", "b"}, {"Station", "s"}, {"Port", "0"}}, "Port"},
        {{{"Host", "b"}, {"Station", "s"}, {"Port", "65536"}}, "Port"},
        {{{"Host", "b"}, {"Station", "s"}, {"Port", "18 83"}}, "Port"},
        {{{"Host", "b"}, {"Station", "s"}, {"User", "u"}}, "PasswordFile"},
        {{{"Host", "b"}, {"Station", "s"}, {"Commands", "yes"}}, "Commands"},
        // Commands never come through an anonymous connection.
        {{{"Host", "b"}, {"Station", "s"}, {"Commands", "1"}}, "без User"},
    };
    for (const Case& c : bad) {
        const auto read = ReadMqttSettings(c.keys);
        ASSERT_TRUE(std::holds_alternative<std::string>(read)) << c.errorPart;
        EXPECT_NE(std::get<std::string>(read).find(c.errorPart), std::string::npos)
            << std::get<std::string>(read);
    }
}

} // namespace
} // namespace rir
