#include "SimSupply.h"

#include "SimTestBytes.h"
#include "bus/FrameCodec.h"
#include "device/Payloads.h"
#include "device/Ratings.h"

#include <gtest/gtest.h>

namespace rir::sim {
namespace {

using test::Hex;

SimSupply Make(int model, std::optional<int> config, double load = 10.0) {
    return SimSupply(*SimRatingsFor(model), config, load);
}

// Function byte then payload, as one run of bytes.
std::vector<std::uint8_t> Ask(SimSupply& s, int function, const std::vector<std::uint8_t>& data = {}) {
    const SimReply r = s.Handle(function, data);
    std::vector<std::uint8_t> out;
    out.reserve(1 + r.payload.size());
    out.push_back(static_cast<std::uint8_t>(r.function));
    out.insert(out.end(), r.payload.begin(), r.payload.end());
    return out;
}

// A module configuration request as the station sends it, followed by the identification the
// station asks for once the change is acknowledged.
std::vector<std::uint8_t> Reconfigure(SimSupply& s, const char* request) {
    const auto ack = Ask(s, FC_EXTENDED, Hex(request));
    Ask(s, FC_IDENTIFY, {2});
    return ack;
}

TEST(SimSupply, IdentifyReportsEachModelsRatings) {
    struct Case {
        int model;
        const char* reply;
        int voltRating;
        int currRating;
    };
    const Case cases[] = {
        {1, "41 01 0C4E 04B0 00 020D 0064 00", 30, 5},
        {2, "41 02 0F3C 05DC 00 05DC 03E8 00", 37, 14}, // the station's own example payload
        {3, "41 03 1068 04B0 00 0C4E 01F4 01", 40, 300},
        {4, "41 04 189C 0960 00 041A 00C8 01", 60, 100},
        {5, "41 05 09D8 04B0 00 0834 01F4 00", 24, 20},
        {6, "41 06 0C4E 04B0 00 041A 012C 00", 30, 10},
    };
    for (const Case& c : cases) {
        SimSupply s = Make(c.model, std::nullopt);
        const auto reply = Ask(s, FC_IDENTIFY, {1});
        ASSERT_EQ(reply, Hex(c.reply)) << "model " << c.model;
        const std::vector<int> payload(reply.begin() + 1, reply.end());
        const auto id = ParseIdentify(payload);
        ASSERT_TRUE(id);
        EXPECT_EQ(RatedValue(id->voltMax, VoltScaleFromCode(id->voltCode)), c.voltRating) << c.model;
        EXPECT_EQ(RatedValue(id->currMax, CurrScaleFromCode(id->currCode)), c.currRating) << c.model;
    }
}

TEST(SimSupply, IdentifyAnswersDataOneAndTwoAndRefusesTheRest) {
    SimSupply s = Make(2, 1);
    EXPECT_EQ(Ask(s, FC_IDENTIFY, {2}), Ask(s, FC_IDENTIFY, {1}));
    EXPECT_EQ(Ask(s, FC_IDENTIFY, {3}), Hex("C1 03"));
    EXPECT_EQ(Ask(s, FC_IDENTIFY, {}), Hex("C1 03"));
}

TEST(SimSupply, ControlTakesOnlyWhatItsFlagsSayAndClampsToTheRatings) {
    // Model 2 at power-up: 15.00 V, 10.00 A, off, 10 ohms.
    struct Case {
        const char* request;
        const char* reply;
        const char* measure;
    };
    const Case cases[] = {
        {"02 0BB8 0064", "43 0BB8 03E8 00", "42 0000 0BB8 0000 03E8 00"},
        {"04 0BB8 0064", "43 05DC 0064 00", "42 0000 05DC 0000 0064 00"},
        {"06 FFFF FFFF", "43 0F3C 05DC 00", "42 0000 0F3C 0000 05DC 00"},
        {"01 0BB8 0064", "43 05DC 03E8 00", "42 0000 05DC 0000 03E8 00"}, // on bit without 0x08
        {"09 0000 0000", "43 05DC 03E8 01", "42 05DC 05DC 0096 03E8 01"}, // 1.5 A: voltage
        {"0F 03E8 0064", "43 03E8 0064 03", "42 03E8 03E8 0064 0064 03"}, // exactly 1 A: current
    };
    for (const Case& c : cases) {
        SimSupply s = Make(2, 1);
        EXPECT_EQ(Ask(s, FC_CONTROL, Hex(c.request)), Hex(c.reply)) << c.request;
        EXPECT_EQ(Ask(s, FC_MEASURE), Hex(c.measure)) << c.request;
    }
}

TEST(SimSupply, SwitchingOffZeroesTheOutput) {
    SimSupply s = Make(4, 0);
    Ask(s, FC_CONTROL, Hex("09 0000 0000"));
    EXPECT_EQ(Ask(s, FC_MEASURE), Hex("42 0960 0960 0018 00C8 01")); // 24 V on 10 ohms: 2.4 A
    Ask(s, FC_CONTROL, Hex("08 0000 0000"));
    EXPECT_EQ(Ask(s, FC_MEASURE), Hex("42 0000 0960 0000 00C8 00"));
}

TEST(Regulation, SwitchesFromVoltageToCurrentAtTheCurrentLimit) {
    struct Case {
        double ohms;
        int voltLimit, currLimit;
        int voltMeas, currMeas;
        bool current;
    };
    const Case cases[] = {
        {10.0, 1500, 1000, 1500, 150, false},
        {10.0, 1000, 101, 1000, 100, false}, // 1.00 A under a 1.01 A limit
        {10.0, 1000, 100, 1000, 100, true},  // the load draws exactly the limit
        {10.0, 1000, 99, 990, 99, true},
        {2.0, 1500, 500, 1000, 500, true}, // 7.5 A wanted, 5 A given at 10 V
        {0.5, 3900, 1500, 750, 1500, true},
        {10.0, 1500, 0, 0, 0, true},
        {10.0, 0, 1000, 0, 0, false},
    };
    for (const Case& c : cases) {
        RegulationInput in{true, c.voltLimit, c.currLimit, c.ohms, 100, 100, 3900, 1500};
        const RegulationOutput out = Regulate(in);
        EXPECT_EQ(out.voltMeas, c.voltMeas) << c.ohms << " " << c.voltLimit << " " << c.currLimit;
        EXPECT_EQ(out.currMeas, c.currMeas) << c.ohms << " " << c.voltLimit << " " << c.currLimit;
        EXPECT_EQ(out.currentRegulation, c.current) << c.ohms << " " << c.voltLimit << " " << c.currLimit;
        EXPECT_EQ(out.Status(true), c.current ? 3 : 1);
    }
}

TEST(SimSupply, LoadChangeMovesTheSupplyIntoCurrentRegulationAndBack) {
    SimSupply s = Make(2, 1);
    Ask(s, FC_CONTROL, Hex("09 0000 0000"));
    EXPECT_EQ(Ask(s, FC_MEASURE), Hex("42 05DC 05DC 0096 03E8 01"));
    s.SetLoad(1.0); // 15 A wanted, 10 A allowed
    EXPECT_EQ(Ask(s, FC_MEASURE), Hex("42 03E8 05DC 03E8 03E8 03"));
    Ask(s, FC_CONTROL, Hex("04 0000 05DC")); // 15 A limit: the load draws exactly that
    EXPECT_EQ(Ask(s, FC_MEASURE), Hex("42 05DC 05DC 05DC 05DC 03"));
    s.SetLoad(1.25); // 12 A: the voltage holds again
    EXPECT_EQ(Ask(s, FC_MEASURE), Hex("42 05DC 05DC 04B0 05DC 01"));
    s.SetLoad(0.0); // refused: the load stays as it was
    EXPECT_EQ(Ask(s, FC_MEASURE), Hex("42 05DC 05DC 04B0 05DC 01"));
}

TEST(SimSupply, RefusesWhatItCannotDo) {
    struct Case {
        int model;
        std::optional<int> config;
        int function;
        const char* data;
        const char* reply;
    };
    const Case cases[] = {
        {1, std::nullopt, FC_MODULES, "", "C4 01"}, // no modules
        {2, std::nullopt, FC_MODULES, "", "C4 01"}, // any model given without modules
        {1, std::nullopt, FC_EXTENDED, "00", "C5 01"},
        {2, 1, 0x50, "", "D0 01"}, // unknown function
        {2, 1, 0x00, "", "80 01"},
        {2, 1, FC_CONTROL, "06 05DC 00", "C3 03"}, // one byte short
        {2, 1, FC_EXTENDED, "", "C5 03"},
        {2, 1, FC_EXTENDED, "87", "C5 03"},             // configuration 7 is not one of ours
        {2, 1, FC_EXTENDED, "00 04 00", "C5 03"},       // no block 4
        {2, 1, FC_EXTENDED, "00 01 01 00 00", "C5 03"}, // timer block one byte short
        {2, 1, FC_EXTENDED, "00 03 0000 0000 0000 00", "C5 03"},
        {2, 0, FC_MODULES, "", "44 00"}, // configuration 0: no records
    };
    for (const Case& c : cases) {
        SimSupply s = Make(c.model, c.config);
        EXPECT_EQ(Ask(s, c.function, Hex(c.data)), Hex(c.reply))
            << c.model << " " << c.function << " " << c.data;
    }
}

TEST(SimSupply, RefusedExtendedRequestChangesNothing) {
    SimSupply s = Make(2, 1);
    EXPECT_EQ(Ask(s, FC_EXTENDED, Hex("83 02 00 01 00")), Hex("C5 03")); // counter block short
    EXPECT_EQ(s.config(), 1);
}

TEST(SimSupply, ConfigurationChangesOnlyWithBit7) {
    SimSupply s = Make(2, 0);
    EXPECT_EQ(Reconfigure(s, "81"), Hex("45 00"));
    EXPECT_EQ(Ask(s, FC_MODULES), Hex("44 01 41 00 000000 92 00 00 00000000 000000"));
    EXPECT_EQ(Ask(s, FC_EXTENDED, Hex("05")), Hex("45 00")); // same code without bit 7: a no-op
    EXPECT_EQ(s.config(), 1);
    EXPECT_FALSE(s.awaitsIdentification());
    EXPECT_EQ(Reconfigure(s, "85"), Hex("45 00"));
    EXPECT_EQ(Ask(s, FC_MODULES), Hex("44 05 24 0000"));
    // A change and its settings block in one request: the block lands in the new configuration.
    EXPECT_EQ(Reconfigure(s, "83 02 00 01 000064"), Hex("45 00"));
    EXPECT_EQ(Ask(s, FC_MODULES), Hex("44 03 92 00 01 00000000 000064"));
}

TEST(SimSupply, ChannelBIsWrittenThroughBlock5AndReportedInItsRecord) {
    SimSupply s = Make(3, 6); // scales 100 and 10
    EXPECT_EQ(Ask(s, FC_MODULES), Hex("44 06 95 0000 04B0 0000 01F4 00"));
    EXPECT_EQ(Ask(s, FC_EXTENDED, Hex("00 05 0F 03E8 0064")), Hex("45 00"));
    // 10 V on 10 ohms is 1.0 A (raw 10) under a 10.0 A limit.
    EXPECT_EQ(Ask(s, FC_MODULES), Hex("44 06 95 03E8 03E8 000A 0064 01"));
    EXPECT_EQ(Ask(s, FC_EXTENDED, Hex("00 05 06 FFFF 0002")), Hex("45 00")); // clamped; 0.2 A limit
    EXPECT_EQ(Ask(s, FC_MODULES), Hex("44 06 95 00C8 1068 0002 0002 03"));
    // The main channel was not touched.
    EXPECT_EQ(Ask(s, FC_MEASURE), Hex("42 0000 04B0 0000 01F4 00"));
    // Leaving the two-channel configuration switches channel B off.
    Reconfigure(s, "82");
    Reconfigure(s, "86");
    EXPECT_EQ(Ask(s, FC_MODULES), Hex("44 06 95 0000 1068 0000 0002 00"));
    // Nor does a write made outside the two-channel configuration switch it on later.
    Reconfigure(s, "82");
    EXPECT_EQ(Ask(s, FC_EXTENDED, Hex("00 05 09 0000 0000")), Hex("45 00"));
    Reconfigure(s, "86");
    EXPECT_EQ(Ask(s, FC_MODULES), Hex("44 06 95 0000 1068 0000 0002 00"));
}

TEST(SimSupply, AChangedModuleSetWantsToBeIdentifiedAgain) {
    SimSupply s = Make(2, 1);
    EXPECT_EQ(Ask(s, FC_EXTENDED, Hex("81")), Hex("45 00")) << "the configuration in force";
    EXPECT_FALSE(s.awaitsIdentification());
    EXPECT_EQ(Ask(s, FC_MEASURE)[0], FC_MEASURE);

    EXPECT_EQ(Ask(s, FC_EXTENDED, Hex("85")), Hex("45 00"));
    EXPECT_TRUE(s.awaitsIdentification());
    EXPECT_EQ(Ask(s, FC_MEASURE), Hex("C2 05"));
    EXPECT_EQ(Ask(s, FC_MODULES), Hex("C4 05"));
    // Writes are still taken: the settings of a new configuration follow right behind it.
    EXPECT_EQ(Ask(s, FC_CONTROL, Hex("0F 03E8 0064")), Hex("43 03E8 0064 03"));
    EXPECT_EQ(Ask(s, FC_EXTENDED, Hex("00 02 00 00 000000")), Hex("45 00"));
    EXPECT_EQ(Ask(s, FC_IDENTIFY, {3}), Hex("C1 03")) << "a refused identification is none";
    EXPECT_TRUE(s.awaitsIdentification());
    EXPECT_EQ(Ask(s, FC_IDENTIFY, {2})[0], FC_IDENTIFY);
    EXPECT_FALSE(s.awaitsIdentification());
    EXPECT_EQ(Ask(s, FC_MEASURE), Hex("42 03E8 03E8 0064 0064 03"));
    EXPECT_EQ(Ask(s, FC_MODULES), Hex("44 05 24 03E8")); // 10 V at 1 A: 10.00 W
}

} // namespace
} // namespace rir::sim
