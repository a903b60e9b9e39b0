#include "SimOptions.h"

#include "WireTiming.h"

#include <gtest/gtest.h>

namespace rir::sim {
namespace {

TEST(SimOptions, GoodCommandLines) {
    const auto p = ParseSimOptions({"--framing",
                                    "rtu",
                                    "--device",
                                    "15:2:1",
                                    "--device=20:3:6",
                                    "--device",
                                    "7:1",
                                    "--device",
                                    "8:4",
                                    "--device",
                                    "9:2:none",
                                    "--load",
                                    "15:8.5",
                                    "--load=2.5",
                                    "--link",
                                    "/tmp/rir0",
                                    "--wire-time",
                                    "-v",
                                    "--parent=4321",
                                    "--switch-on",
                                    "20:12.5",
                                    "--switch-on=7:0",
                                    "--fault",
                                    "15:late:700",
                                    "--fault=20:refuse",
                                    "--fault",
                                    "8:foreign:9",
                                    "--at",
                                    "12.5:15:load=2",
                                    "--at=30:15:silent",
                                    "--at",
                                    "40:20:answer",
                                    "--at",
                                    "5:20:temp=-3.5"});
    ASSERT_EQ(p.error, "");
    const SimOptions& o = p.options;
    EXPECT_EQ(o.framing, Framing::Rtu);
    ASSERT_EQ(o.devices.size(), 5u);
    EXPECT_EQ(o.devices[0].address, 15);
    EXPECT_EQ(o.devices[0].model, 2);
    EXPECT_EQ(o.devices[0].config, 1);
    EXPECT_EQ(o.devices[0].loadOhms, 8.5);
    EXPECT_FALSE(o.devices[0].switchOnSeconds.has_value()) << "on from the start";
    EXPECT_EQ(o.devices[1].switchOnSeconds, 12.5);
    EXPECT_EQ(o.devices[2].switchOnSeconds, 0.0);
    EXPECT_EQ(o.devices[0].fault, (SimFault{SimFault::Kind::Late, 700}));
    EXPECT_EQ(o.devices[1].fault, (SimFault{SimFault::Kind::Refuse, 5}));
    EXPECT_EQ(o.devices[3].fault, (SimFault{SimFault::Kind::Foreign, 9}));
    EXPECT_FALSE(o.devices[2].fault.has_value());
    EXPECT_EQ(o.devices[1].config, 6);
    EXPECT_FALSE(o.devices[1].loadOhms.has_value());
    EXPECT_FALSE(o.devices[2].config.has_value()); // model 1: no modules
    EXPECT_EQ(o.devices[3].config, 0);             // others: configuration 0
    EXPECT_FALSE(o.devices[4].config.has_value()); // "none"
    EXPECT_EQ(o.defaultLoadOhms, 2.5);
    EXPECT_EQ(o.linkPath, "/tmp/rir0");
    EXPECT_TRUE(o.wireTime);
    EXPECT_TRUE(o.verbose);
    EXPECT_EQ(o.parentPid, 4321);
    EXPECT_FALSE(o.help);
    EXPECT_EQ(o.events, (std::vector<SimEvent>{{12500, 15, SimEvent::Kind::Load, 2.0},
                                               {30000, 15, SimEvent::Kind::Silent, 0},
                                               {40000, 20, SimEvent::Kind::Answer, 0},
                                               {5000, 20, SimEvent::Kind::Temperature, -3.5}}));
}

TEST(SimOptions, DefaultsAreOneTimerAmpereSupplyInAscii) {
    const auto p = ParseSimOptions({});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.options.framing, Framing::Ascii);
    ASSERT_EQ(p.options.devices.size(), 1u);
    EXPECT_EQ(p.options.devices[0].address, 1);
    EXPECT_EQ(p.options.devices[0].model, 2);
    EXPECT_EQ(p.options.devices[0].config, 1);
    EXPECT_EQ(p.options.defaultLoadOhms, 10.0);
    EXPECT_EQ(p.options.parentPid, 0);
    EXPECT_TRUE(ParseSimOptions({"-h"}).options.help);
}

TEST(SimOptions, BadCommandLinesAreRefusedWithAReason) {
    struct Case {
        std::vector<std::string> args;
        const char* errorPart;
    };
    const Case cases[] = {
        {{"--device", "0:2"}, "1..127"},
        {{"--device", "128:2"}, "1..127"},
        {{"--device", "15:7"}, "model"},
        {{"--device", "15:2:7"}, "configuration"},
        {{"--device", "15:2:1:4"}, "ADDR:MODEL"},
        {{"--device", "15"}, "ADDR:MODEL"},
        {{"--device", "x:2"}, "1..127"},
        {{"--device", "15:2", "--device", "15:3"}, "twice"},
        {{"--device"}, "needs a value"},
        {{"--load", "0"}, "ohms"},
        {{"--load", "-3"}, "ohms"},
        {{"--load", "nan"}, "ohms"},
        {{"--load", "10x"}, "ohms"},
        {{"--load", "15:"}, "ohms"},
        {{"--device", "15:2", "--load", "16:5"}, "address 16"},
        {{"--framing", "RTU2"}, "framing"},
        {{"--link="}, "path"},
        {{"--verbose=1"}, "no value"},
        {{"--parent", "0"}, "process id"},
        {{"--parent", "12x"}, "process id"},
        {{"--parent"}, "needs a value"},
        {{"--device", "15:2", "--switch-on", "15"}, "ADDR:SECONDS"},
        {{"--device", "15:2", "--switch-on", "15:-1"}, "ADDR:SECONDS"},
        {{"--device", "15:2", "--switch-on", "15:90000"}, "ADDR:SECONDS"},
        {{"--device", "15:2", "--switch-on", "15:inf"}, "ADDR:SECONDS"},
        {{"--device", "15:2", "--switch-on", "0:5"}, "ADDR:SECONDS"},
        {{"--device", "15:2", "--switch-on", "16:5"}, "address 16"},
        {{"--device", "15:2", "--fault", "15:sulk"}, "ADDR:refuse"},
        {{"--device", "15:2", "--fault", "15:late"}, "ADDR:refuse"},
        {{"--device", "15:2", "--fault", "15:late:0"}, "ADDR:refuse"},
        {{"--device", "15:2", "--fault", "15:foreign:256"}, "ADDR:refuse"},
        {{"--device", "15:2", "--fault", "15:garble:1"}, "ADDR:refuse"},
        {{"--device", "15:2", "--fault", "16:refuse"}, "address 16"},
        {{"--device", "15:2", "--at", "5:15:load=0"}, "SECONDS:ADDR"},
        {{"--device", "15:2", "--at", "5:15:temp=200"}, "SECONDS:ADDR"},
        {{"--device", "15:2", "--at", "5:15:silent=1"}, "SECONDS:ADDR"},
        {{"--device", "15:2", "--at", "5:15:sulk"}, "SECONDS:ADDR"},
        {{"--device", "15:2", "--at", "-1:15:silent"}, "SECONDS:ADDR"},
        {{"--device", "15:2", "--at", "5:128:silent"}, "SECONDS:ADDR"},
        {{"--device", "15:2", "--at", "5:15"}, "SECONDS:ADDR"},
        {{"--device", "15:2", "--at", "5:16:silent"}, "address 16"},
        {{"--speed", "9600"}, "unknown option"},
        {{"15:2"}, "unknown option"},
    };
    for (const Case& c : cases) {
        const auto p = ParseSimOptions(c.args);
        EXPECT_NE(p.error.find(c.errorPart), std::string::npos) << c.args[0] << ": " << p.error;
    }
}

TEST(WireTiming, CharacterTimeFollowsSpeedAndFormat) {
    struct Case {
        LineSettings line;
        int bits;
        std::int64_t micros;
    };
    const Case cases[] = {
        {{9600, 8, false, 1}, 10, 1042}, // RTU
        {{14400, 7, false, 2}, 10, 695}, // ASCII at a custom speed
        {{56000, 8, true, 1}, 11, 197},  // RS-232 mode at the other custom speed
        {{110, 8, false, 1}, 10, 90910}, {{0, 8, false, 1}, 10, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BitsPerCharacter(c.line), c.bits) << c.line.baud;
        EXPECT_EQ(CharacterMicros(c.line), c.micros) << c.line.baud;
    }
}

} // namespace
} // namespace rir::sim
