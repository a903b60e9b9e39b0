#include "SimBus.h"

#include "SimTestBytes.h"

#include <gtest/gtest.h>

#include <random>

namespace rir::sim {
namespace {

using test::Hex;
using test::Text;

// Address 15: model 2 in configuration 1; address 20: model 1 without modules.
SimBus MakeBus(Framing framing) {
    SimBus bus(framing);
    if (framing == Framing::Rs232) {
        EXPECT_TRUE(bus.AddSupply(20, SimSupply(*SimRatingsFor(1), std::nullopt)));
        EXPECT_TRUE(bus.AddSupply(15, SimSupply(*SimRatingsFor(2), 1)));
    } else {
        EXPECT_TRUE(bus.AddSupply(15, SimSupply(*SimRatingsFor(2), 1)));
        EXPECT_TRUE(bus.AddSupply(20, SimSupply(*SimRatingsFor(1), std::nullopt)));
    }
    return bus;
}

// The whole answer to one request: what comes at once plus what the silence after it brings.
std::vector<std::uint8_t> Exchange(SimBus& bus, const std::vector<std::uint8_t>& request) {
    std::vector<std::uint8_t> reply = bus.Receive(request);
    const auto late = bus.Advance(FRAME_GAP_MS);
    reply.insert(reply.end(), late.begin(), late.end());
    return reply;
}

struct WireCase {
    const char* name;
    std::vector<std::uint8_t> request;
    std::vector<std::uint8_t> reply;
};

// RTU CRCs and ASCII LRCs of the expected frames come from a bit-by-bit CRC-16 and a plain sum in
// Python, not from the project's codec.
TEST(SimBus, RtuRepliesByteForByte) {
    const WireCase cases[] = {
        {"identify", Hex("0F 41 01 B0 53"), Hex("0F 41 02 0F 3C 05 DC 00 05 DC 03 E8 00 45 F3")},
        {"measure", Hex("0F 42 84 71"), Hex("0F 42 00 00 05 DC 00 00 03 E8 00 6D B2")},
        {"modules", Hex("0F 44 04 73"), Hex("0F 44 01 41 00 00 00 00 92 00 00 00 00 00 00 00 00 00 D6 F1")},
        {"extended", Hex("0F 45 86 F2 F1"), Hex("0F 45 00 73 53")},
        {"no modules", Hex("14 44 0E 83"), Hex("14 C4 01 A2 C4")},
        {"unknown function", Hex("0F 50 04 7C"), Hex("0F D0 01 DD C3")},
        {"short control", Hex("0F 43 02 05 33 87"), Hex("0F C3 03 51 32")},
    };
    for (const WireCase& c : cases) {
        SimBus bus = MakeBus(Framing::Rtu);
        EXPECT_EQ(Exchange(bus, c.request), c.reply) << c.name;
    }
}

TEST(SimBus, RtuControlIsAnsweredAtOnceAndActs) {
    SimBus bus = MakeBus(Framing::Rtu);
    EXPECT_EQ(bus.Receive(Hex("0F 43 0F 03 E8 00 64 3F 69")), Hex("0F 43 03 E8 00 64 03 F1 92"));
    EXPECT_EQ(bus.Supply(15)->main().Status(), 0x03);
}

TEST(SimBus, AsciiRepliesByteForByte) {
    const WireCase cases[] = {
        {"identify", Text(":0F4101AF\r\n"), Text(":0F41020F3C05DC0005DC03E800B6\r\n")},
        {"measure", Text(":0F42AF\r\n"), Text(":0F42000005DC000003E800E3\r\n")},
        {"control", Text(":0F430F03E8006450\r\n"), Text(":0F4303E80064035C\r\n")},
        {"modules", Text(":0F44AD\r\n"), Text(":0F4401410000000092000000000000000000D9\r\n")},
        {"extended", Text(":0F458626\r\n"), Text(":0F4500AC\r\n")},
        {"no modules", Text(":1444A8\r\n"), Text(":14C40127\r\n")},
        {"no modules either", Text(":144500A7\r\n"), Text(":14C50126\r\n")},
        {"unknown function", Text(":0F50A1\r\n"), Text(":0FD00120\r\n")},
    };
    for (const WireCase& c : cases) {
        SimBus bus = MakeBus(Framing::Ascii);
        EXPECT_EQ(bus.Receive(c.request), c.reply) << c.name;
    }
}

TEST(SimBus, Rs232AnswersAsTheFirstSupplyWithoutAddress) {
    const WireCase cases[] = {
        {"identify", Hex("41 01"), Hex("41 01 0C 4E 04 B0 00 02 0D 00 64 00")},
        {"re-identify led by 0", Hex("00 41 01"), Hex("41 01 0C 4E 04 B0 00 02 0D 00 64 00")},
        {"measure", Hex("42"), Hex("42 00 00 04 B0 00 00 00 64 00")},
        {"control", Hex("43 0F 03 E8 00 64"), Hex("43 03 E8 00 64 03")},
        {"no modules", Hex("44"), Hex("C4 01")},
        {"short control", Hex("43 0F 03"), Hex("C3 03")},
        {"unknown function", Hex("50"), Hex("D0 01")},
    };
    for (const WireCase& c : cases) {
        SimBus bus = MakeBus(Framing::Rs232);
        EXPECT_EQ(Exchange(bus, c.request), c.reply) << c.name;
    }
}

TEST(SimBus, Rs232ExtendedAcknowledgementIsTwoBytes) {
    SimBus bus(Framing::Rs232);
    bus.AddSupply(3, SimSupply(*SimRatingsFor(2), 0));
    EXPECT_EQ(Exchange(bus, Hex("45 81")), Hex("45 00"));
    EXPECT_EQ(bus.Supply(3)->config(), 1);
}

TEST(SimBus, StaysSilentForBadFramesAndOtherAddresses) {
    struct Case {
        Framing framing;
        std::vector<std::uint8_t> request;
    };
    const Case cases[] = {
        {Framing::Rtu, Hex("0F 42 84 72")},    // bad CRC
        {Framing::Rtu, Hex("10 42 8C 41")},    // address 16: nobody here
        {Framing::Ascii, Text(":0F42AE\r\n")}, // bad LRC
        {Framing::Ascii, Text(":1042AE\r\n")}, // address 16
        {Framing::Ascii, Text(":0F42AF\r")},   // never ended
        {Framing::Rs232, Hex("C2")},           // not a request function
    };
    for (const Case& c : cases) {
        SimBus bus = MakeBus(c.framing);
        EXPECT_TRUE(Exchange(bus, c.request).empty());
        EXPECT_TRUE(bus.Advance(STALE_FRAME_MS).empty());
        // The line is usable again afterwards.
        const auto next = c.framing == Framing::Rtu     ? Hex("0F 42 84 71")
                          : c.framing == Framing::Ascii ? Text(":0F42AF\r\n")
                                                        : Hex("42");
        EXPECT_FALSE(Exchange(bus, next).empty());
    }
}

TEST(SimBus, SplitAndNoisyInputStillGetsOneReplyPerRequest) {
    SimBus bus = MakeBus(Framing::Rtu);
    EXPECT_TRUE(bus.Receive(Hex("00 FF 0F 42")).empty());
    bus.Advance(5);
    const auto reply = bus.Receive(Hex("84 71 14 42 8E 81"));
    const auto first = Hex("0F 42 00 00 05 DC 00 00 03 E8 00 6D B2");
    ASSERT_GT(reply.size(), first.size());
    EXPECT_TRUE(std::equal(first.begin(), first.end(), reply.begin()));
    EXPECT_EQ(reply[first.size()], 0x14); // then address 20 answers its own poll
    EXPECT_EQ(bus.Counts().noiseBytes, 2);
}

// Whatever the noise did to the supply's settings, the answer to a measurement poll is one whole
// measurement reply that the station accepts.
bool IsOneMeasureReply(Framing framing, const std::vector<std::uint8_t>& wire) {
    std::vector<int> values(wire.begin(), wire.end());
    if (framing == Framing::Ascii) {
        auto unwrapped = UnwrapAsciiFrame(values);
        if (!unwrapped)
            return false;
        values = std::move(*unwrapped);
    }
    const std::size_t expected = (framing == Framing::Rs232 ? 1 : 2) + 9 + ChecksumLength(framing);
    if (values.size() != expected || !ChecksumOk(framing, values))
        return false;
    const auto header = ReadReplyHeader(framing, values);
    return header && header->function == FC_MEASURE && (framing == Framing::Rs232 || header->address == 15);
}

TEST(SimBus, LineRecoversAfterRandomGarbage) {
    const std::pair<Framing, std::vector<std::uint8_t>> cases[] = {
        {Framing::Rtu, Hex("0F 42 84 71")},
        {Framing::Ascii, Text(":0F42AF\r\n")},
        {Framing::Rs232, Hex("42")},
    };
    std::mt19937 rng(2024);
    for (const auto& [framing, request] : cases) {
        SimBus bus = MakeBus(framing);
        for (int chunk = 0; chunk < 400; ++chunk) {
            std::vector<std::uint8_t> noise(rng() % 40);
            for (auto& b : noise)
                b = static_cast<std::uint8_t>(rng());
            bus.Receive(noise);
            bus.Advance(static_cast<std::int64_t>(rng() % 30));
        }
        bus.Advance(STALE_FRAME_MS);
        EXPECT_TRUE(IsOneMeasureReply(framing, Exchange(bus, request))) << static_cast<int>(framing);
    }
}

TEST(SimBus, ModulesRunOnTheBusClock) {
    SimBus bus = MakeBus(Framing::Ascii);
    bus.Receive(Text(":0F430B03E80000B8\r\n")); // 10 V on 10 ohms: 1 A
    EXPECT_FALSE(bus.MsUntilDeadline().has_value());
    bus.Advance(36000);
    EXPECT_EQ(bus.Supply(15)->counter().total(), 10u);
    EXPECT_EQ(bus.Supply(15)->timer().value(), 36);
}

TEST(SimBus, ASupplySwitchedOnLaterIsSilentUntilThen) {
    SimBus bus = MakeBus(Framing::Rtu);
    bus.SwitchOnAt(15, 10000);
    const auto measure = Hex("0F 42 84 71");
    EXPECT_TRUE(Exchange(bus, measure).empty()) << "at " << bus.Now() << " ms";
    EXPECT_EQ(Exchange(bus, Hex("14 44 0E 83")), Hex("14 C4 01 A2 C4")) << "the others answer";
    bus.Advance(10000 - bus.Now() - 1);
    EXPECT_TRUE(Exchange(bus, measure).empty()) << "at " << bus.Now() << " ms";
    ASSERT_GE(bus.Now(), 10000);
    const auto reply = Exchange(bus, measure);
    ASSERT_EQ(reply.size(), 13u);
    EXPECT_EQ(reply[0], 0x0F);
    EXPECT_EQ(reply[1], 0x42);
}

TEST(SimBus, EventsFallOnTheirMillisecond) {
    SimBus bus = MakeBus(Framing::Rtu);
    bus.Schedule({5000, 15, SimEvent::Kind::Silent, 0});
    bus.Schedule({2000, 15, SimEvent::Kind::Load, 2.5});
    bus.Schedule({8000, 15, SimEvent::Kind::Answer, 0});
    bus.Schedule({3000, 15, SimEvent::Kind::Temperature, 65.0});
    const double load = bus.Supply(15)->loadOhms();
    EXPECT_EQ(bus.MsUntilDeadline(), 2000);
    bus.Advance(1999);
    EXPECT_EQ(bus.Supply(15)->loadOhms(), load);
    bus.Advance(1);
    EXPECT_EQ(bus.Supply(15)->loadOhms(), 2.5);
    bus.Advance(1000 + 60000 - 1000); // held, whatever the heat does for a minute
    EXPECT_EQ(bus.Supply(15)->thermometer().TempRaw(), 2650);

    SimBus quiet = MakeBus(Framing::Rtu);
    quiet.Schedule({5000, 15, SimEvent::Kind::Silent, 0});
    quiet.Schedule({8000, 15, SimEvent::Kind::Answer, 0});
    const auto measure = Hex("0F 42 84 71");
    quiet.Advance(4990);
    EXPECT_EQ(Exchange(quiet, measure).size(), 13u) << "at " << quiet.Now() << " ms";
    quiet.Advance(5000 - quiet.Now());
    EXPECT_TRUE(Exchange(quiet, measure).empty()) << "at " << quiet.Now() << " ms";
    EXPECT_EQ(Exchange(quiet, Hex("14 44 0E 83")), Hex("14 C4 01 A2 C4")) << "the others answer";
    quiet.Advance(8000 - quiet.Now());
    EXPECT_EQ(Exchange(quiet, measure).size(), 13u) << "at " << quiet.Now() << " ms";
}

TEST(SimBus, AFaultySupplyRefusesAnswersForAnotherAddressGarblesOrComesLate) {
    const auto measure = Hex("0F 42 84 71");
    struct Case {
        const char* name;
        SimFault fault;
        std::vector<std::uint8_t> reply; // what the exchange brings back at once
    };
    const Case cases[] = {
        {"refuse", {SimFault::Kind::Refuse, 5}, EncodeRequest(Framing::Rtu, Hex("0F C2 05"))},
        {"foreign", {SimFault::Kind::Foreign, 7}, {}}, // checked below: address 7, its own values
        {"garble", {SimFault::Kind::Garble, 0}, {}},
        {"late", {SimFault::Kind::Late, 700}, {}},
    };
    for (const Case& c : cases) {
        SimBus healthy = MakeBus(Framing::Rtu);
        const auto good = Exchange(healthy, measure);
        ASSERT_EQ(good.size(), 13u);
        SimBus bus = MakeBus(Framing::Rtu);
        bus.SetFault(15, c.fault);
        const auto reply = Exchange(bus, measure);
        switch (c.fault.kind) {
        case SimFault::Kind::Refuse:
            EXPECT_EQ(reply, c.reply) << c.name;
            break;
        case SimFault::Kind::Foreign: {
            std::vector<std::uint8_t> body(good.begin(), good.end() - 2);
            body[0] = 7;
            EXPECT_EQ(reply, EncodeRequest(Framing::Rtu, body)) << c.name;
            break;
        }
        case SimFault::Kind::Garble:
            ASSERT_EQ(reply.size(), good.size()) << c.name;
            EXPECT_EQ(reply[0], 149) << c.name;
            for (std::size_t i = 0; i < reply.size(); ++i)
                EXPECT_NE(reply[i], good[i]) << c.name << " byte " << i;
            break;
        case SimFault::Kind::Late:
            EXPECT_TRUE(reply.empty()) << c.name;
            ASSERT_TRUE(bus.MsUntilDeadline().has_value()) << c.name;
            EXPECT_TRUE(bus.Advance(*bus.MsUntilDeadline() - 1).empty()) << c.name;
            EXPECT_EQ(bus.Advance(1), good) << c.name << ": the same reply, 700 ms on";
            break;
        }
        EXPECT_EQ(Exchange(bus, Hex("14 44 0E 83")), Hex("14 C4 01 A2 C4"))
            << c.name << ": the others answer";
    }
}

TEST(SimBus, RefusesBadAndDuplicateAddresses) {
    SimBus bus(Framing::Rtu);
    EXPECT_FALSE(bus.AddSupply(0, SimSupply(*SimRatingsFor(2), 0)));
    EXPECT_FALSE(bus.AddSupply(128, SimSupply(*SimRatingsFor(2), 0)));
    EXPECT_TRUE(bus.AddSupply(127, SimSupply(*SimRatingsFor(2), 0)));
    EXPECT_FALSE(bus.AddSupply(127, SimSupply(*SimRatingsFor(3), 0)));
    EXPECT_EQ(bus.Supply(127)->ratings().model, 2);
}

} // namespace
} // namespace rir::sim
