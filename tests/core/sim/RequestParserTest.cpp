#include "RequestParser.h"

#include "SimTestBytes.h"

#include <gtest/gtest.h>

namespace rir::sim {
namespace {

using test::Hex;
using test::Text;

std::vector<RequestFrame> FeedAll(RequestParser& p, const std::vector<std::uint8_t>& bytes, std::int64_t at) {
    std::vector<RequestFrame> out;
    p.Feed(bytes, at, out);
    return out;
}

std::vector<RequestFrame> ExpireAt(RequestParser& p, std::int64_t at) {
    std::vector<RequestFrame> out;
    p.Expire(at, out);
    return out;
}

void ExpectFrame(const RequestFrame& f, int address, int function, const std::vector<std::uint8_t>& data) {
    EXPECT_EQ(f.address, address);
    EXPECT_EQ(f.function, function);
    EXPECT_EQ(f.data, data);
}

// RTU frames below carry CRCs from a bit-by-bit CRC-16 in Python (poly 0xA001, start 0xFFFF).
TEST(RequestParserRtu, FixedLengthRequestsEndWithoutWaitingForSilence) {
    struct Case {
        const char* wire;
        int function;
        std::vector<std::uint8_t> data;
    };
    const Case cases[] = {
        {"0F 42 84 71", 0x42, {}},
        {"0F 41 01 B0 53", 0x41, {0x01}},
        {"0F 44 04 73", 0x44, {}},
        {"0F 43 0F 03 E8 00 64 3F 69", 0x43, Hex("0F 03 E8 00 64")},
        {"0F 45 00 05 0F 03 20 00 32 5B 00", 0x45, Hex("00 05 0F 03 20 00 32")},
    };
    for (const Case& c : cases) {
        RequestParser p(Framing::Rtu);
        const auto frames = FeedAll(p, Hex(c.wire), 0);
        ASSERT_EQ(frames.size(), 1u) << c.wire;
        ExpectFrame(frames[0], 15, c.function, c.data);
        EXPECT_FALSE(p.Deadline().has_value()) << c.wire;
    }
}

TEST(RequestParserRtu, FrameSplitAtEveryPointIsFoundOnce) {
    const auto wire = Hex("0F 43 0F 03 E8 00 64 3F 69");
    for (std::size_t cut = 1; cut < wire.size(); ++cut) {
        RequestParser p(Framing::Rtu);
        const std::vector<std::uint8_t> first(wire.begin(), wire.begin() + static_cast<long>(cut));
        const std::vector<std::uint8_t> rest(wire.begin() + static_cast<long>(cut), wire.end());
        EXPECT_TRUE(FeedAll(p, first, 0).empty()) << cut;
        // Even a pause longer than the gap inside the frame does not lose it.
        ExpireAt(p, FRAME_GAP_MS + 5);
        const auto frames = FeedAll(p, rest, FRAME_GAP_MS + 10);
        ASSERT_EQ(frames.size(), 1u) << cut;
        ExpectFrame(frames[0], 15, 0x43, Hex("0F 03 E8 00 64"));
    }
}

TEST(RequestParserRtu, NoiseBeforeAFrameIsDroppedAndCounted) {
    RequestParser p(Framing::Rtu);
    const auto frames = FeedAll(p, Hex("FF 00 42 0F 42 84 71"), 0);
    ASSERT_EQ(frames.size(), 1u);
    ExpectFrame(frames[0], 15, 0x42, {});
    EXPECT_EQ(p.Counts().noiseBytes, 3);
}

TEST(RequestParserRtu, TwoFramesInOneBurstGiveTwoRequests) {
    RequestParser p(Framing::Rtu);
    const auto frames = FeedAll(p, Hex("0F 42 84 71 0F 41 01 B0 53"), 0);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].function, 0x42);
    EXPECT_EQ(frames[1].function, 0x41);
}

TEST(RequestParserRtu, BadCrcIsDroppedAtTheGapAndTheNextFrameStillComes) {
    RequestParser p(Framing::Rtu);
    EXPECT_TRUE(FeedAll(p, Hex("0F 42 84 72"), 0).empty());
    EXPECT_TRUE(ExpireAt(p, FRAME_GAP_MS).empty());
    EXPECT_EQ(p.Counts().badChecksums, 1);
    EXPECT_FALSE(p.Deadline().has_value());
    EXPECT_EQ(FeedAll(p, Hex("0F 42 84 71"), 100).size(), 1u);
}

TEST(RequestParserRtu, RequestsOfOpenLengthEndWithTheSilence) {
    struct Case {
        const char* wire;
        int function;
        std::vector<std::uint8_t> data;
    };
    const Case cases[] = {
        {"0F 45 86 F2 F1", 0x45, {0x86}},          // configuration change without settings
        {"0F 43 02 05 33 87", 0x43, {0x02, 0x05}}, // short of its layout: the supply refuses it
        {"0F 44 00 72 C3", 0x44, {0x00}},          // more data than the layout: taken as it is
    };
    for (const Case& c : cases) {
        RequestParser p(Framing::Rtu);
        EXPECT_TRUE(FeedAll(p, Hex(c.wire), 0).empty()) << c.wire;
        ASSERT_EQ(p.Deadline(), FRAME_GAP_MS) << c.wire;
        EXPECT_TRUE(ExpireAt(p, FRAME_GAP_MS - 1).empty()) << c.wire;
        const auto frames = ExpireAt(p, FRAME_GAP_MS);
        ASSERT_EQ(frames.size(), 1u) << c.wire;
        ExpectFrame(frames[0], 15, c.function, c.data);
    }
}

TEST(RequestParserRtu, UnfinishedFrameGoesStaleAfterASecond) {
    RequestParser p(Framing::Rtu);
    FeedAll(p, Hex("0F 43 0F"), 0);
    ExpireAt(p, FRAME_GAP_MS);
    EXPECT_EQ(p.Deadline(), STALE_FRAME_MS);
    ExpireAt(p, STALE_FRAME_MS);
    EXPECT_EQ(p.Counts().noiseBytes, 3);
    EXPECT_FALSE(p.Deadline().has_value());
}

TEST(RequestParserAscii, FramesAreFoundBetweenNoiseAndAcrossChunks) {
    RequestParser p(Framing::Ascii);
    EXPECT_TRUE(FeedAll(p, Text("xx\r\n:0F4"), 0).empty());
    EXPECT_EQ(p.Deadline(), STALE_FRAME_MS);
    const auto frames = FeedAll(p, Text("101AF\r\n"), 5);
    ASSERT_EQ(frames.size(), 1u);
    ExpectFrame(frames[0], 15, 0x41, {0x01});
    EXPECT_EQ(p.Counts().noiseBytes, 4);
}

TEST(RequestParserAscii, BadFramesGetNoRequest) {
    struct Case {
        const char* wire;
        int badChecksums;
    };
    const Case cases[] = {
        {":0F42AE\r\n", 1}, // LRC off by one
        {":0F42AF\n", 0},   // no CR
        {":0F4AF\r\n", 0},  // odd number of digits
        {":0F42GF\r\n", 0}, // not a digit
        {":0FAF\r\n", 0},   // no function code
    };
    for (const Case& c : cases) {
        RequestParser p(Framing::Ascii);
        EXPECT_TRUE(FeedAll(p, Text(c.wire), 0).empty()) << c.wire;
        EXPECT_EQ(p.Counts().badChecksums, c.badChecksums) << c.wire;
    }
}

TEST(RequestParserAscii, NewStartCharacterResynchronisesAndLowercaseIsAccepted) {
    RequestParser p(Framing::Ascii);
    const auto frames = FeedAll(p, Text(":0F4:0f42af\r\n"), 0);
    ASSERT_EQ(frames.size(), 1u);
    ExpectFrame(frames[0], 15, 0x42, {});
    EXPECT_EQ(p.Counts().noiseBytes, 4);
}

TEST(RequestParserRs232, BareRequestsEndByTheirLength) {
    struct Case {
        const char* wire;
        int function;
        std::vector<std::uint8_t> data;
    };
    const Case cases[] = {
        {"42", 0x42, {}},
        {"44", 0x44, {}},
        {"43 06 05 DC 00 64", 0x43, Hex("06 05 DC 00 64")},
        {"00 41 01", 0x41, {0x01}},                                        // re-identification, led by 0
        {"05 45 00 05 06 03 E8 00 64", 0x45, Hex("00 05 06 03 E8 00 64")}, // led by an address
    };
    for (const Case& c : cases) {
        RequestParser p(Framing::Rs232);
        const auto frames = FeedAll(p, Hex(c.wire), 0);
        ASSERT_EQ(frames.size(), 1u) << c.wire;
        ExpectFrame(frames[0], 0, c.function, c.data);
    }
}

TEST(RequestParserRs232, SilenceEndsOpenShortAndUnknownRequests) {
    struct Case {
        const char* wire;
        int function;
        std::vector<std::uint8_t> data;
    };
    const Case cases[] = {
        {"45 86", 0x45, {0x86}},
        {"43 06 05", 0x43, {0x06, 0x05}},
        {"50", 0x50, {}},
    };
    for (const Case& c : cases) {
        RequestParser p(Framing::Rs232);
        EXPECT_TRUE(FeedAll(p, Hex(c.wire), 0).empty()) << c.wire;
        const auto frames = ExpireAt(p, FRAME_GAP_MS);
        ASSERT_EQ(frames.size(), 1u) << c.wire;
        ExpectFrame(frames[0], 0, c.function, c.data);
        EXPECT_FALSE(p.Deadline().has_value());
    }
}

} // namespace
} // namespace rir::sim
