#include "bus/ReplyIntake.h"

#include <gtest/gtest.h>

#include <string>

namespace rir {
namespace {

using Values = std::vector<int>;

Values WithCrc(Values app) {
    const std::uint16_t crc = Crc16(std::span<const int>(app));
    app.push_back(crc & 0xFF);
    app.push_back(crc >> 8);
    return app;
}

Values Chars(const std::string& s) {
    return Values(s.begin(), s.end());
}

struct IntakeCase {
    const char* name;
    Framing framing;
    Values raw;
    bool hasPage;
    ReplyKind kind;
    int address;
    int function;
    Values values;
};

class TakeReplyCases : public ::testing::TestWithParam<IntakeCase> {};

TEST_P(TakeReplyCases, ClassifiesWithoutReadingPastTheEnd) {
    const IntakeCase& c = GetParam();
    const ClassifiedReply r = ClassifyReply(c.framing, c.raw, [&c](int) { return c.hasPage; });
    EXPECT_EQ(r.kind, c.kind);
    EXPECT_EQ(r.address, c.address);
    EXPECT_EQ(r.function, c.function);
    EXPECT_EQ(r.values, c.values);
}

const Values MEASURE{15, 0x42, 0x05, 0xDC, 0x07, 0xD0, 0x00, 0x64, 0x01, 0xF4, 0x01};

INSTANTIATE_TEST_SUITE_P(
    All, TakeReplyCases,
    ::testing::Values(
        IntakeCase{"Empty", Framing::Rtu, {}, true, ReplyKind::Nothing, 0, 0, {}},
        IntakeCase{"LoneRtuByte", Framing::Rtu, {15}, true, ReplyKind::Nothing, 0, 0, {}},
        IntakeCase{"RtuMarker", Framing::Rtu, {15, 0x42}, true, ReplyKind::NoReply, 15, 0x42, {15, 0x42}},
        IntakeCase{"Rs232Marker", Framing::Rs232, {0x44}, true, ReplyKind::NoReply, 0, 0x44, {0x44}},
        IntakeCase{"RtuValid", Framing::Rtu, WithCrc(MEASURE), true, ReplyKind::Valid, 15, 0x42, MEASURE},
        IntakeCase{"RtuNoPage", Framing::Rtu, WithCrc(MEASURE), false, ReplyKind::NoPage, 15, 0x42, MEASURE},
        IntakeCase{"RtuAddressAndCrcOnly", Framing::Rtu, {15, 255, 68}, true, ReplyKind::Short, 15, 0, {15}},
        IntakeCase{"RtuBadCrc",
                   Framing::Rtu,
                   {15, 0x42, 1, 2},
                   true,
                   ReplyKind::BadChecksum,
                   15,
                   0,
                   {15, 0x42, 1, 2}},
        IntakeCase{"AsciiValid", Framing::Ascii, Chars(":0F4205DC07D0006401F4019D\r\n"), true,
                   ReplyKind::Valid, 15, 0x42, MEASURE},
        IntakeCase{"AsciiAddressAndLrcOnly",
                   Framing::Ascii,
                   Chars(":0FF1\r\n"),
                   true,
                   ReplyKind::NoReply,
                   15,
                   0xF1,
                   {15, 0xF1}},
        IntakeCase{
            "AsciiNoColon", Framing::Ascii, Chars("0F42AF\r\n"), true, ReplyKind::MalformedAscii, 0, 0, {}},
        IntakeCase{"AsciiMarker", Framing::Ascii, {15, 0x42}, true, ReplyKind::NoReply, 15, 0x42, {15, 0x42}},
        IntakeCase{"Rs232Valid", Framing::Rs232, {0x44, 0x00}, true, ReplyKind::Valid, 0, 0x44, {0x44, 0x00}},
        IntakeCase{
            "Rs232Exception", Framing::Rs232, {0xC4, 0x01}, true, ReplyKind::Valid, 0, 0xC4, {0xC4, 0x01}}),
    [](const ::testing::TestParamInfo<IntakeCase>& info) { return std::string(info.param.name); });

TEST(ClassifyReply, MalformedAsciiKeepsTheRawCount) {
    const ClassifiedReply r = ClassifyReply(Framing::Ascii, Chars("0F42AF\r\n"), [](int) { return true; });
    EXPECT_EQ(r.rawCount, 8u);
}

TEST(ClassifyReply, Rs232AskedForTheSelectedPageByAddressZero) {
    int asked = -1;
    ClassifyReply(Framing::Rs232, {0x42, 1, 2}, [&asked](int a) {
        asked = a;
        return true;
    });
    EXPECT_EQ(asked, 0);
}

} // namespace
} // namespace rir
