// Where a reply ends in fast polling, and the quiet gap before the next request.
#include "bus/ReplyEnd.h"

#include "bus/BusState.h"
#include "bus/BusThread.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rir {
namespace {

using Values = std::vector<int>;

// A reply as a supply puts it on the wire: framed exactly as a request is.
Values Wire(Framing framing, const Values& app) {
    const std::vector<std::uint8_t> bytes(app.begin(), app.end());
    const std::vector<std::uint8_t> wire = EncodeRequest(framing, bytes);
    return {wire.begin(), wire.end()};
}

struct ReplyCase {
    const char* name;
    Values app; // address, function, payload
};

// Every reply kind a supply sends, model 2 at address 15.
const ReplyCase REPLIES[] = {
    {"Identification", {15, FC_IDENTIFY, 0x02, 0x0F, 0x3C, 0x05, 0xDC, 0x00, 0x05, 0xDC, 0x03, 0xE8, 0x00}},
    {"Measurement", {15, FC_MEASURE, 0x05, 0xDC, 0x07, 0xD0, 0x00, 0x64, 0x01, 0xF4, 0x01}},
    {"OutputWrite", {15, FC_CONTROL, 0x07, 0xD0, 0x01, 0xF4, 0x01}},
    {"Exception", {15, FC_MODULES | EXCEPTION_FLAG, 0x01}},
    // Configuration 1: timer (4 data bytes) and ampere-hour counter (9).
    {"ModuleData",
     {15, FC_MODULES, 0x01, 0x41, 0x01, 0x00, 0x0E, 0x10, 0x92, 0, 0, 0, 0, 0x2E, 0xE0, 0, 0x01, 0xF4}},
    // Configuration 9: timer, counter, wattmeter, thermometer.
    {"ModuleDataOfFourModules",
     {15,   FC_MODULES, 0x09, 0x41, 0x01, 0x00, 0x0E, 0x10, 0x92, 0,    0,    0,    0,    0x2E,
      0xE0, 0,          0x01, 0xF4, 0x24, 0x00, 0xB4, 0x66, 0x08, 0xCA, 0x01, 0x09, 0x60, 5}},
    {"ModuleDataWithoutModules", {15, FC_MODULES, 0x00}},
    // A record that carries no data bytes at all.
    {"ModuleDataEmptyRecord", {15, FC_MODULES, 0x05, 0x04}},
    {"Acknowledgement", {15, FC_EXTENDED, 0x00}},
};

class CompleteReplies : public ::testing::TestWithParam<std::tuple<ReplyCase, Framing>> {};

// However the bytes come (one read each, so a frame is split over as many reads as it has
// bytes), the reply is whole at its last byte and not one byte before.
TEST_P(CompleteReplies, WholeAtTheLastByteAndNotBefore) {
    const auto& [reply, framing] = GetParam();
    const Values wire = Wire(framing, reply.app);
    for (std::size_t n = 0; n < wire.size(); ++n)
        EXPECT_FALSE(ReplyIsComplete(framing, std::span(wire).first(n))) << n << " of " << wire.size();
    EXPECT_TRUE(ReplyIsComplete(framing, wire));
}

// Bytes after a whole reply do not belong to it: read byte by byte, the first whole prefix is
// the frame itself, so the read ends before them.
TEST_P(CompleteReplies, AFrameFollowedByGarbageEndsAtTheFrame) {
    const auto& [reply, framing] = GetParam();
    const Values wire = Wire(framing, reply.app);
    for (int garbage : {0x00, 0x55, 0x0D, 0x0A, 0xFF}) {
        Values more = wire;
        more.insert(more.end(), {garbage, garbage, 0x3A});
        std::size_t first = 0;
        while (first <= more.size() && !ReplyIsComplete(framing, std::span(more).first(first)))
            ++first;
        EXPECT_EQ(first, wire.size()) << garbage;
    }
}

// One value altered anywhere: the checksum fails, and the reply ends at the read time-out.
TEST_P(CompleteReplies, AnAlteredByteIsNeverWhole) {
    const auto& [reply, framing] = GetParam();
    const Values wire = Wire(framing, reply.app);
    // In ASCII the frame characters stay, and a digit becomes another digit.
    const std::size_t first = framing == Framing::Ascii ? 1 : 0;
    const std::size_t end = framing == Framing::Ascii ? wire.size() - 2 : wire.size();
    for (std::size_t i = first; i < end; ++i) {
        Values bad = wire;
        bad[i] = framing == Framing::Ascii ? (bad[i] == '0' ? '1' : '0') : bad[i] ^ 0x20;
        EXPECT_FALSE(ReplyIsComplete(framing, bad)) << "value " << i;
    }
}

// What the port is told is still to come never reaches past the reply's end, so a port that
// lets those values gather never sleeps through the end. Where the function fixes the length it
// is exact; module data count to their next record boundary.
TEST_P(CompleteReplies, StillDueNeverReachesPastTheEnd) {
    const auto& [reply, framing] = GetParam();
    const Values wire = Wire(framing, reply.app);
    for (std::size_t n = 1; n <= wire.size(); ++n) {
        const std::size_t due = ValuesStillDue(framing, std::span(wire).first(n));
        EXPECT_LE(n + due, wire.size()) << n << " of " << wire.size();
        if (ReplyIsComplete(framing, std::span(wire).first(n))) {
            EXPECT_EQ(due, 0u) << n;
        }
    }
    EXPECT_EQ(ValuesStillDue(framing, wire), 0u);
    // Once the function is known (RTU: two values; ASCII: the colon and four digits), a fixed
    // length is told exactly, in ASCII up to the CR (the LF then needs no gathering).
    const int function = reply.app[1];
    const bool fixed = function == FC_IDENTIFY || function == FC_MEASURE || function == FC_CONTROL ||
                       (function & EXCEPTION_FLAG) != 0;
    const std::size_t known = framing == Framing::Rtu ? 2 : 5;
    const std::size_t last = framing == Framing::Rtu ? wire.size() : wire.size() - 2;
    for (std::size_t n = known; fixed && n <= last; ++n)
        EXPECT_EQ(ValuesStillDue(framing, std::span(wire).first(n)), wire.size() - n) << n;
}

INSTANTIATE_TEST_SUITE_P(EveryKind, CompleteReplies,
                         ::testing::Combine(::testing::ValuesIn(REPLIES),
                                            ::testing::Values(Framing::Rtu, Framing::Ascii)),
                         [](const ::testing::TestParamInfo<std::tuple<ReplyCase, Framing>>& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) == Framing::Rtu ? "Rtu" : "Ascii");
                         });

TEST(ReplyIsComplete, WhatNothingProvesWholeEndsAtTheTimeOut) {
    const Values measurement = REPLIES[1].app;
    const struct {
        const char* what;
        Framing framing;
        Values values;
    } cases[] = {
        // No checksum and no end character on a point-to-point line.
        {"RS-232 measurement", Framing::Rs232, Values(measurement.begin() + 1, measurement.end())},
        {"RS-232 acknowledgement", Framing::Rs232, {FC_EXTENDED, 0}},
        // A function the supplies do not send: its length is unknown.
        {"unknown function", Framing::Rtu, Wire(Framing::Rtu, {15, 0x46, 1, 2})},
        // A measurement's CRC over fewer bytes than its layout: short, not whole.
        {"short measurement", Framing::Rtu, Wire(Framing::Rtu, {15, FC_MEASURE, 1, 2, 3})},
        // An identification whose length is that of a measurement.
        {"identification of a measurement's length", Framing::Rtu,
         Wire(Framing::Rtu, {15, FC_IDENTIFY, 1, 2, 3, 4, 5, 6, 7, 8, 9})},
        // Module data whose CRC comes inside a record, not at its end.
        {"module data cut inside a record", Framing::Rtu,
         Wire(Framing::Rtu, {15, FC_MODULES, 1, 0x41, 1, 0})},
        {"marker-sized RTU", Framing::Rtu, {15, FC_MEASURE}},
        // An acknowledgement with nothing after its function code has no record boundary: its
        // checksum bytes would be taken for a configuration byte and a record.
        {"acknowledgement without payload", Framing::Rtu, Wire(Framing::Rtu, {15, FC_EXTENDED})},
        // ASCII: the LRC missing, lowercase digits, no start character, nothing at all.
        {"ASCII without LRC", Framing::Ascii, {':', '0', 'F', '4', '2', 0x0D, 0x0A}},
        {"ASCII lowercase", Framing::Ascii, {':', '0', 'f', '4', '2', 'a', 'f', 0x0D, 0x0A}},
        {"ASCII without colon", Framing::Ascii, {'0', 'F', '4', '2', 'A', 'F', 0x0D, 0x0A}},
        {"ASCII CR LF alone", Framing::Ascii, {0x0D, 0x0A}},
        {"nothing", Framing::Rtu, {}},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(ReplyIsComplete(c.framing, c.values)) << c.what;
}

// Module data whose CRC happens to hold at its first record boundary: the bytes so far are a
// whole reply by every rule the station has, so the read ends there (what follows is read by
// the next cycle as bad data: BusThread.AChanceChecksumLeavesTheRestToTheNextCycle).
Values ChanceModuleData() {
    // Address 15, configuration 3: the CRC of these three bytes is 0xC232, and its low byte,
    // first on the wire, reads as the header of a counter record with three data bytes.
    const Values head = Wire(Framing::Rtu, {15, FC_MODULES, 0x03});
    Values meant = {15, FC_MODULES, 0x03, head[3], head[4], 0x01, 0xF4};
    return Wire(Framing::Rtu, meant);
}

TEST(ReplyIsComplete, AChanceChecksumAtAnEarlyRecordBoundaryEndsTheReply) {
    const Values full = ChanceModuleData();
    ASSERT_EQ(full[3], 0x32);
    ASSERT_EQ(full[4], 0xC2);
    EXPECT_TRUE(ReplyIsComplete(Framing::Rtu, std::span(full).first(5)));
    EXPECT_FALSE(ReplyIsComplete(Framing::Rtu, std::span(full).first(4)));
    EXPECT_TRUE(ReplyIsComplete(Framing::Rtu, full)) << "the reply the supply meant is whole too";
}

TEST(ValuesStillDue, WhatTheValuesSoFarTell) {
    const struct {
        const char* what;
        Framing framing;
        Values seen;
        std::size_t due;
    } cases[] = {
        {"nothing yet: the shortest reply", Framing::Rtu, {}, 5},
        {"nothing yet in ASCII: the shortest frame", Framing::Ascii, {}, 11},
        {"an address: the shortest reply has five values", Framing::Rtu, {15}, 4},
        {"a measurement's header", Framing::Rtu, {15, FC_MEASURE}, 11},
        {"an exception's header", Framing::Rtu, {15, FC_MODULES | EXCEPTION_FLAG}, 3},
        {"module data: the configuration byte may end it", Framing::Rtu, {15, FC_MODULES}, 3},
        {"module data after the configuration byte", Framing::Rtu, {15, FC_MODULES, 0x01}, 2},
        // The configuration boundary passed (its checksum did not hold): the timer's record,
        // header 0x41 and four data bytes, has two of them still to come, then the CRC.
        {"module data inside the first record", Framing::Rtu, {15, FC_MODULES, 0x01, 0x41, 0x01, 0x00}, 4},
        {"a function the supplies do not send", Framing::Rtu, {15, 0x10, 0x00}, 0},
        {"RS-232 replies have no length to tell", Framing::Rs232, {FC_MEASURE, 0x05}, 0},
        {"ASCII before the colon", Framing::Ascii, {'0'}, 0},
        {"ASCII colon: the shortest frame has eleven characters", Framing::Ascii, {':'}, 10},
        {"ASCII measurement after its function", Framing::Ascii, {':', '0', 'F', '4', '2'}, 22},
        {"ASCII measurement, half a pair more", Framing::Ascii, {':', '0', 'F', '4', '2', '0'}, 21},
        {"ASCII with a lowercase digit", Framing::Ascii, {':', '0', 'f', '4', '2'}, 0},
        {"ASCII with a lone lowercase digit", Framing::Ascii, {':', '0', 'F', '4', '2', 'a'}, 0},
        {"ASCII at its CR", Framing::Ascii, {':', '0', 'F', '4', '2', 0x0D}, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ValuesStillDue(c.framing, c.seen), c.due) << c.what;
}

// 3.5 characters of the line's format at every speed of the menu, never below 1.75 ms.
TEST(QuietGap, ThreeAndAHalfCharactersPerSpeed) {
    const struct {
        int baud;
        long long rtuMicros;   // 10 bits a character (8N1; MODBUS-ASCII's 7N2 too)
        long long rs232Micros; // 11 bits (8E1)
    } cases[] = {
        {110, 318182, 350000}, {300, 116667, 128334}, {600, 58334, 64167}, {1200, 29167, 32084},
        {2400, 14584, 16042},  {4800, 7292, 8021},    {9600, 3646, 4011},  {14400, 2431, 2674},
        {19200, 1823, 2006},   {38400, 1750, 1750},   {56000, 1750, 1750},
    };
    ASSERT_EQ(std::size(cases), SpeedTable.size());
    for (std::size_t i = 0; i < SpeedTable.size(); ++i) {
        const auto& c = cases[i];
        ASSERT_EQ(SpeedTable[i].baud, c.baud);
        EXPECT_EQ(QuietGap(LineSettingsFor(Framing::Rtu, c.baud)).count(), c.rtuMicros) << c.baud;
        EXPECT_EQ(QuietGap(LineSettingsFor(Framing::Ascii, c.baud)).count(), c.rtuMicros) << c.baud;
        EXPECT_EQ(QuietGap(LineSettingsFor(Framing::Rs232, c.baud)).count(), c.rs232Micros) << c.baud;
    }
    EXPECT_EQ(QuietGap(LineSettingsFor(Framing::Rtu, 0)), MIN_QUIET_GAP);
    EXPECT_EQ(QuietGap(LineSettingsFor(Framing::Rtu, -9600)), MIN_QUIET_GAP);
}

} // namespace
} // namespace rir
