// Gateway port names and what the operator types for one: what is taken, and what is refused.
#include "bus/NetworkPort.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

TEST(NetworkPort, NamesAreReadOnlyWhenWhole) {
    struct Case {
        const char* name;
        std::optional<NetworkPort> parsed;
    };
    const Case cases[] = {
        {"tcp://127.0.0.1:4001", NetworkPort{"127.0.0.1", 4001}},
        {"tcp://gateway-3.line_a:1", NetworkPort{"gateway-3.line_a", 1}},
        {"tcp://fe80::1:65535", NetworkPort{"fe80::1", 65535}},
        {"tcp://host:0", std::nullopt},
        {"tcp://host:65536", std::nullopt},
        {"tcp://host:", std::nullopt},
        {"tcp://host", std::nullopt},
        {"tcp://:502", std::nullopt},
        {"tcp://bad host:502", std::nullopt},
        {"tcp://host:50x", std::nullopt},
        {"tcp://host:0000502", std::nullopt},
        {"/dev/ttyUSB0", std::nullopt},
        {"COM3", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseNetworkPortName(c.name), c.parsed) << c.name;
        if (c.parsed) {
            EXPECT_EQ(NetworkPortName(*c.parsed), c.name) << "the name comes back as it was";
        }
    }
}

TEST(NetworkPort, TheDialogsFieldsAreCheckedWithAClearWord) {
    const std::string badPort = "Номер порта должен быть целым числом от 1 до 65535";
    struct Case {
        NetworkPortFields typed;
        std::optional<NetworkPort> port;
        std::string error;
    };
    const Case cases[] = {
        {{" 10.0.0.7 ", " 4001 "}, NetworkPort{"10.0.0.7", 4001}, ""},
        {{"", "4001"}, std::nullopt, "Неверное имя или адрес шлюза: \"\""},
        {{"gate;rm", "4001"}, std::nullopt, "Неверное имя или адрес шлюза: \"gate;rm\""},
        {{std::string(254, 'a'), "4001"},
         std::nullopt,
         "Неверное имя или адрес шлюза: \"" + std::string(254, 'a') + "\""},
        {{"gate", ""}, std::nullopt, badPort},
        {{"gate", "0"}, std::nullopt, badPort},
        {{"gate", "65536"}, std::nullopt, badPort},
        {{"gate", "-1"}, std::nullopt, badPort},
        {{"gate", "4001.5"}, std::nullopt, badPort},
    };
    for (const Case& c : cases) {
        const NetworkPortChoice choice = CheckNetworkPortFields(c.typed);
        EXPECT_EQ(choice.port, c.port) << c.typed.host << ":" << c.typed.port;
        EXPECT_EQ(choice.error, c.error) << c.typed.host << ":" << c.typed.port;
    }
}

} // namespace
} // namespace rir

namespace rir {
namespace {

TEST(NetworkPort, AListOfPortsKeepsAGatewaysNameWhole) {
    using Names = std::vector<std::string>;
    struct Case {
        const char* list;
        Names names;
    };
    const Case cases[] = {
        {"/tmp/rir0:/tmp/rir1", {"/tmp/rir0", "/tmp/rir1"}},
        {"::/tmp/rir0:", {"/tmp/rir0"}},
        {"tcp://127.0.0.1:4001", {"tcp://127.0.0.1:4001"}},
        {"/tmp/rir0:tcp://gw:502:/tmp/rir1", {"/tmp/rir0", "tcp://gw:502", "/tmp/rir1"}},
        {"tcp://gw", {"tcp://gw"}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitPortNames(c.list), c.names) << c.list;
}

} // namespace
} // namespace rir
