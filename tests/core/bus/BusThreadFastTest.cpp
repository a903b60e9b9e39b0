// The bus thread in fast polling ("Быстрый опрос"): a reply ends as soon as it is whole, what
// follows it is the next cycle's, and the line stays quiet for 3.5 characters before a request.
#include "bus/BusThread.h"

#include <gtest/gtest.h>

#include "FakeBus.h"
#include "bus/FrameCodec.h"
#include "bus/ReplyIntake.h"

namespace rir {
namespace {

using test::BusRig;
using Bytes = std::vector<std::uint8_t>;
using Waits = std::vector<std::pair<long long, std::size_t>>;

const BusNote DONE{BusNote::CycleDone};

Bytes Wire(Framing framing, const std::vector<int>& app) {
    const Bytes bytes(app.begin(), app.end());
    return EncodeRequest(framing, bytes);
}

const std::vector<int> IDENTIFY_15 = {15,   FC_IDENTIFY, 0x02, 0x0F, 0x3C, 0x05, 0xDC,
                                      0x00, 0x05,        0xDC, 0x03, 0xE8, 0x00};

ReplyBuffer Values(const Bytes& bytes) {
    return {bytes.begin(), bytes.end()};
}

ReplyBuffer Join(const Bytes& a, const Bytes& b) {
    ReplyBuffer v(a.begin(), a.end());
    v.insert(v.end(), b.begin(), b.end());
    return v;
}

void SetUpBus(BusRig& rig, Framing framing, bool fast, int speedIndex = DEFAULT_SPEED_INDEX) {
    rig.state.framing = framing;
    rig.state.speedIndex = speedIndex;
    rig.state.fastPolling = fast;
    AddEntry(rig.shared.pollList, 15, 0);
}

int Reads(BusRig& rig) {
    return rig.port.With([&] { return rig.port.reads; });
}

// Runs one more cycle and returns its reply.
ReplyBuffer NextCycle(BusRig& rig) {
    rig.eStart.Set();
    EXPECT_TRUE(rig.notes.WaitFor(DONE));
    return rig.Reply();
}

TEST(BusThread, AWholeReplyEndsAtItsLastByteAndWhatFollowsIsTheNextCyclesBadData) {
    const Bytes frame = Wire(Framing::Rtu, IDENTIFY_15);
    const Bytes garbage{0x55, 0xAA, 0x55};
    const struct {
        bool fast;
        ReplyBuffer first;
        int reads; // the first cycle's
    } cases[] = {
        // No read waits for the silence: the fifteenth byte completes the identification.
        {true, Values(frame), 15},
        // As the station always did: everything up to the silence, one read timing out.
        {false, Join(frame, garbage), 19},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fast ? "fast" : "literal");
        BusRig rig;
        SetUpBus(rig, Framing::Rtu, c.fast);
        int answers = 0;
        rig.port.answer = [&](const Bytes&) {
            ++answers;
            Bytes bytes = frame;
            bytes.insert(bytes.end(), garbage.begin(), garbage.end());
            return answers == 1 ? bytes : Bytes{};
        };
        rig.Start();
        ASSERT_TRUE(rig.notes.WaitFor(DONE));
        EXPECT_EQ(rig.Reply(), c.first);
        EXPECT_EQ(Reads(rig), c.reads);

        // The bytes left on the line are read by the next cycle, and are no reply of its own.
        const ReplyBuffer second = NextCycle(rig);
        const ClassifiedReply taken = ClassifyReply(Framing::Rtu, second, [](int) { return true; });
        if (c.fast) {
            EXPECT_EQ(second, Values(garbage));
            EXPECT_EQ(taken.kind, ReplyKind::BadChecksum);
        } else {
            EXPECT_EQ(rig.End(), CycleEnd::NoReply) << "nothing came";
            EXPECT_TRUE(second.empty());
        }
    }
}

// After each byte of a reply the port hears how many more its framing says are on their way,
// in both modes: the identification's length counts down to its end. In literal polling what
// follows the frame tells nothing (0) and the silence ends the reply as always.
TEST(BusThread, ThePortHearsAfterEachByteHowManyMoreAreOnTheirWay) {
    const Bytes frame = Wire(Framing::Rtu, IDENTIFY_15);
    ASSERT_EQ(frame.size(), 15u);
    // Before the first byte the shortest reply (5), after the address that again less one, then
    // the identification's own length.
    const std::vector<std::size_t> countdown = {5, 4, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1};
    for (bool fast : {true, false}) {
        SCOPED_TRACE(fast ? "fast" : "literal");
        BusRig rig;
        SetUpBus(rig, Framing::Rtu, fast);
        rig.port.answer = [&](const Bytes&) {
            Bytes bytes = frame;
            bytes.push_back(0x55);
            return bytes;
        };
        rig.Start();
        ASSERT_TRUE(rig.notes.WaitFor(DONE));
        std::vector<std::size_t> expected = countdown;
        if (!fast)
            expected.insert(expected.end(), {0, 0}); // after the last byte, and after the stray one
        EXPECT_EQ(rig.port.With([&] { return rig.port.expectedValues; }), expected);
    }
}

TEST(BusThread, AChanceChecksumLeavesTheRestToTheNextCycle) {
    // Module data of address 15 in configuration 3 whose CRC holds after the configuration
    // byte: the CRC bytes 0x32 0xC2 read as a counter record's header and first data byte.
    const Bytes head = Wire(Framing::Rtu, {15, FC_MODULES, 0x03});
    const Bytes full = Wire(Framing::Rtu, {15, FC_MODULES, 0x03, head[3], head[4], 0x01, 0xF4});
    BusRig rig;
    SetUpBus(rig, Framing::Rtu, true);
    {
        std::lock_guard<BusLock> hold(rig.shared.lock);
        rig.shared.pollList[0].state = PollState::Complete;
        rig.shared.pollList[0].nextFunction = FC_MODULES;
    }
    rig.port.answer = [&](const Bytes& request) {
        return request.size() >= 2 && request[1] == FC_MODULES ? full : Bytes{};
    };
    rig.Start();
    ASSERT_TRUE(rig.notes.WaitFor(DONE));
    EXPECT_EQ(rig.Reply(), ReplyBuffer(full.begin(), full.begin() + 5));

    // The measurement poll of the next cycle gets no answer, only the rest of the module data:
    // bad data the station logs and counts, not a silent loss.
    const ReplyBuffer second = NextCycle(rig);
    EXPECT_EQ(second, ReplyBuffer(full.begin() + 5, full.end()));
    const ClassifiedReply taken = ClassifyReply(Framing::Rtu, second, [](int) { return true; });
    EXPECT_EQ(taken.kind, ReplyKind::BadChecksum);
    EXPECT_EQ(taken.values, second);
}

TEST(BusThread, WhatIsNotWholeStillEndsAtTheReadTimeOut) {
    const Bytes measurement =
        Wire(Framing::Rtu, {15, FC_MEASURE, 0x05, 0xDC, 0x07, 0xD0, 0x00, 0x64, 0x01, 0xF4, 0x01});
    const struct {
        const char* what;
        Framing framing;
        Bytes answer;
    } cases[] = {
        {"a reply one byte short", Framing::Rtu, Bytes(measurement.begin(), measurement.end() - 1)},
        {"a reply with a broken CRC", Framing::Rtu,
         [&] {
             Bytes b = measurement;
             b.back() ^= 0x01;
             return b;
         }()},
        {"RS-232, which has no checksum", Framing::Rs232,
         Bytes(measurement.begin() + 1, measurement.end() - 2)},
        {"ASCII without its LF", Framing::Ascii,
         [] {
             Bytes b = Wire(Framing::Ascii, IDENTIFY_15);
             b.pop_back();
             return b;
         }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        BusRig rig;
        SetUpBus(rig, c.framing, true);
        rig.port.answer = [&](const Bytes&) { return c.answer; };
        rig.Start();
        ASSERT_TRUE(rig.notes.WaitFor(DONE));
        EXPECT_EQ(rig.Reply(), Values(c.answer));
        EXPECT_EQ(Reads(rig), static_cast<int>(c.answer.size()) + 1) << "the last read timed out";
        NextCycle(rig);
        EXPECT_TRUE(rig.QuietWaits().empty()) << "a time-out is quiet enough";
    }
}

TEST(BusThread, TheLineStaysQuietForThreeAndAHalfCharactersAfterAReplyThatEndedEarly) {
    // The writes of an RTU identification: address, function, data byte, then the CRC.
    constexpr std::size_t IDENTIFY_WRITES = 4;
    const struct {
        const char* what;
        Framing framing;
        int speedIndex;
        long long elapsedMicros; // on the bus thread's clock between the reply and the go-ahead
        bool fastAfter;          // "Быстрый опрос" still on for the second cycle
        Waits waits;
    } cases[] = {
        {"9600 baud, at once", Framing::Rtu, 6, 0, true, {{3646, IDENTIFY_WRITES}}},
        {"9600 baud, the window took 1 ms", Framing::Rtu, 6, 1000, true, {{2646, IDENTIFY_WRITES}}},
        {"9600 baud, the gap has passed", Framing::Rtu, 6, 3646, true, {}},
        {"9600 baud, long after", Framing::Rtu, 6, 20000, true, {}},
        {"38400 baud: never under 1.75 ms", Framing::Rtu, 9, 0, true, {{1750, IDENTIFY_WRITES}}},
        {"110 baud", Framing::Rtu, 0, 18182, true, {{300000, IDENTIFY_WRITES}}},
        // Switched off meanwhile: the reply that ended early still wants its quiet line.
        {"switched off after the reply", Framing::Rtu, 6, 0, false, {{3646, IDENTIFY_WRITES}}},
        // ':', 3 x 2 digits, 2 LRC digits, CR LF: eleven one-byte writes.
        {"MODBUS-ASCII 7N2 at 19200", Framing::Ascii, 8, 0, true, {{1823, 11}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        BusRig rig;
        SetUpBus(rig, c.framing, true, c.speedIndex);
        const Bytes reply = Wire(c.framing, IDENTIFY_15);
        rig.port.answer = [&](const Bytes&) { return reply; };
        rig.Start();
        ASSERT_TRUE(rig.notes.WaitFor(DONE));
        EXPECT_EQ(rig.Reply(), Values(reply));
        EXPECT_TRUE(rig.QuietWaits().empty()) << "no gap before the first request";

        rig.clockMicros = c.elapsedMicros;
        rig.state.fastPolling = c.fastAfter;
        NextCycle(rig);
        EXPECT_EQ(rig.QuietWaits(), c.waits) << "waited before the second request's first write";
        EXPECT_EQ(rig.state.requestsSent.load(), 2);
    }
}

TEST(BusThread, LiteralPollingNeverWaitsForAQuietGap) {
    BusRig rig;
    SetUpBus(rig, Framing::Rtu, false);
    const Bytes reply = Wire(Framing::Rtu, IDENTIFY_15);
    rig.port.answer = [&](const Bytes&) { return reply; };
    rig.Start();
    ASSERT_TRUE(rig.notes.WaitFor(DONE));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(NextCycle(rig), Values(reply));
    EXPECT_TRUE(rig.QuietWaits().empty());
    EXPECT_EQ(Reads(rig), 4 * static_cast<int>(reply.size() + 1)) << "every reply ends with a time-out";
}

} // namespace
} // namespace rir
