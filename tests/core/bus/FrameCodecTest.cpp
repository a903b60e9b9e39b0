#include "bus/FrameCodec.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace rir {
namespace {

std::vector<int> Chars(std::string_view s) {
    return {s.begin(), s.end()};
}

std::vector<std::uint8_t> Bytes(std::initializer_list<int> l) {
    std::vector<std::uint8_t> v;
    for (int x : l)
        v.push_back(static_cast<std::uint8_t>(x));
    return v;
}

TEST(Crc16, CheckValueGoesOnTheWireLowByteFirst) {
    const std::string digits = "123456789";
    const auto* p = reinterpret_cast<const std::uint8_t*>(digits.data());
    EXPECT_EQ(Crc16(p, digits.size()), 0x4B37);
    const auto frame = EncodeRequest(Framing::Rtu, std::span(p, digits.size()));
    ASSERT_EQ(frame.size(), 11u);
    EXPECT_EQ(frame[9], 0x37);
    EXPECT_EQ(frame[10], 0x4B);
}

// Bit-by-bit reference: the polynomial applied one bit at a time, no table.
std::uint16_t BitwiseCrc(const std::vector<std::uint8_t>& data) {
    std::uint16_t crc = 0xFFFF;
    for (std::uint8_t b : data) {
        crc ^= b;
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

TEST(Crc16, TableAgreesWithBitwiseReferenceOnRandomData) {
    std::mt19937 rng(12345);
    for (int round = 0; round < 500; ++round) {
        std::vector<std::uint8_t> data(rng() % 300);
        for (auto& b : data)
            b = static_cast<std::uint8_t>(rng());
        ASSERT_EQ(Crc16(data), BitwiseCrc(data)) << "round " << round;
        const std::vector<int> values(data.begin(), data.end());
        ASSERT_EQ(Crc16(std::span<const int>(values)), BitwiseCrc(data));
    }
}

// Vectors computed by python3-pymodbus (tools/make_checksum_vectors.py).
TEST(Checksums, MatchIndependentImplementation) {
    std::ifstream in(std::string(RIR_TEST_DATA_DIR) + "/checksum_vectors.txt");
    ASSERT_TRUE(in) << "missing checksum_vectors.txt";
    std::string line;
    int cases = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string hex, crcText, lrcText;
        fields >> hex >> crcText >> lrcText;
        std::vector<std::uint8_t> data;
        if (hex != "-") {
            for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
                data.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
        }
        EXPECT_EQ(Crc16(data), std::stoi(crcText, nullptr, 16)) << line.substr(0, 40);
        EXPECT_EQ(Lrc(data), std::stoi(lrcText, nullptr, 16)) << line.substr(0, 40);
        ++cases;
    }
    EXPECT_GE(cases, 25);
}

TEST(Lrc, Cases) {
    EXPECT_EQ(Lrc(Bytes({0x0F, 0x42})), 0xAF);
    EXPECT_EQ(Lrc(std::span<const std::uint8_t>()), 0x00);
    EXPECT_EQ(Lrc(Bytes({0x01})), 0xFF);
    EXPECT_EQ(Lrc(Bytes({0x80, 0x80})), 0x00); // the sum wraps to 0
    EXPECT_EQ(Lrc(Bytes({0xFF, 0xFF, 0xFF})), 0x03);
}

TEST(HexDigit, UppercaseNibbles) {
    struct Case {
        int byte;
        bool high;
        char digit;
    } cases[] = {{0x00, true, '0'}, {0x00, false, '0'}, {0x9A, true, '9'}, {0x9A, false, 'A'},
                 {0xF0, true, 'F'}, {0x0F, false, 'F'}, {0xAB, true, 'A'}, {0xAB, false, 'B'}};
    for (const auto& c : cases)
        EXPECT_EQ(HexDigit(static_cast<std::uint8_t>(c.byte), c.high), c.digit) << c.byte;
}

TEST(EncodeRequest, ExactFramesForAddress15) {
    struct Case {
        Framing framing;
        std::vector<std::uint8_t> request;
        std::vector<std::uint8_t> wire;
    } cases[] = {
        {Framing::Rtu, Bytes({0x0F, 0x42}), Bytes({0x0F, 0x42, 0x84, 0x71})},
        {Framing::Rtu, Bytes({0x0F, 0x41, 0x01}), Bytes({0x0F, 0x41, 0x01, 0xB0, 0x53})},
        {Framing::Ascii, Bytes({0x0F, 0x42}), Bytes({':', '0', 'F', '4', '2', 'A', 'F', 0x0D, 0x0A})},
        {Framing::Ascii, Bytes({0x0F, 0x41, 0x01}),
         Bytes({':', '0', 'F', '4', '1', '0', '1', 'A', 'F', 0x0D, 0x0A})},
        {Framing::Rs232, Bytes({0x44}), Bytes({0x44})},
        {Framing::Rs232, Bytes({0x43, 0x08, 0, 0, 0, 0}), Bytes({0x43, 0x08, 0, 0, 0, 0})},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EncodeRequest(c.framing, c.request), c.wire);
}

TEST(EncodeRequest, AsciiFrameIsTwiceTheBytesPlusFive) {
    std::vector<std::uint8_t> req(255, 0xA5);
    EXPECT_EQ(EncodeRequest(Framing::Ascii, req).size(), 2 * 255u + 5);
}

TEST(FramingFromSetting, TakesTheThreeStoredNamesExactly) {
    const std::pair<std::string_view, std::optional<Framing>> cases[] = {
        {"RTU", Framing::Rtu}, {"ASCII", Framing::Ascii}, {"RS232", Framing::Rs232},
        {"rtu", std::nullopt}, {"RS-232", std::nullopt},  {"", std::nullopt},
    };
    for (const auto& [text, framing] : cases)
        EXPECT_EQ(FramingFromSetting(text), framing) << text;
}

TEST(AsciiUnwrap, WellFormedFramesBecomeBytesWithTheLrcLast) {
    struct Case {
        std::string wire;
        std::vector<int> values;
    } cases[] = {
        // LRC missing: what is left is the no-reply marker's shape.
        {":0F42\r\n", {0x0F, 0x42}},
        {":0F42AF\r\n", {0x0F, 0x42, 0xAF}},
        {":00FF\r\n", {0x00, 0xFF}},
        {":0F4205DC07D0006401F4019D\r\n", {15, 0x42, 5, 220, 7, 208, 0, 100, 1, 244, 1, 0x9D}},
    };
    for (const auto& c : cases) {
        const auto raw = Chars(c.wire);
        EXPECT_TRUE(HasAsciiFrameShape(raw)) << c.wire;
        EXPECT_EQ(UnwrapAsciiFrame(raw), c.values) << c.wire;
        EXPECT_EQ(AsciiUnwrap(raw), c.values) << c.wire;
    }
}

TEST(AsciiUnwrap, EveryEncodedRequestUnwrapsToItsBytesAndLrc) {
    std::mt19937 rng(7);
    for (std::size_t length = 1; length <= MAX_REQUEST_BYTES; ++length) {
        std::vector<std::uint8_t> request(length);
        for (auto& b : request)
            b = static_cast<std::uint8_t>(rng());
        const auto wire = EncodeRequest(Framing::Ascii, request);
        std::vector<int> expected(request.begin(), request.end());
        expected.push_back(Lrc(request));
        EXPECT_EQ(UnwrapAsciiFrame(std::vector<int>(wire.begin(), wire.end())), expected) << length;
    }
}

// The bytes a reader would get by pairing the digits up to the first character that is not one.
std::vector<int> LeadingPairs(std::string_view wire) {
    std::vector<int> out;
    for (std::size_t i = 1; i + 1 < wire.size() && std::isxdigit(static_cast<unsigned char>(wire[i + 1])) &&
                            std::isxdigit(static_cast<unsigned char>(wire[i]));
         i += 2)
        out.push_back(std::stoi(std::string(wire.substr(i, 2)), nullptr, 16));
    return out;
}

TEST(AsciiUnwrap, MalformedFramesAreRejectedWhole) {
    // Measurement replies of address 15 that lost one digit on the line, chosen so that the
    // pairs of what is left still end in a matching LRC (one frame in 256 does): read as pairs
    // they would give a voltage limit of 0x05C0 instead of 0x05DC, or take the status for the LRC.
    const std::string droppedDigit[] = {
        ":0F4200CB05C01F403E80023\r\n", // from :0F4200CB05DC01F403E80023
        ":0F4200EE05DC01F403E8000\r\n", // from :0F4200EE05DC01F403E80000
    };
    for (const std::string& wire : droppedDigit) {
        const auto pairs = LeadingPairs(wire);
        ASSERT_GE(pairs.size(), 3u) << wire;
        ASSERT_TRUE(ChecksumOk(Framing::Ascii, pairs)) << "not a case where the LRC matches: " << wire;
    }
    std::vector<std::vector<int>> malformed;
    for (const std::string& wire : droppedDigit)
        malformed.push_back(Chars(wire));
    for (std::string wire : {
             ":0f42af\r\n", ":0F42aF\r\n",                  // lowercase digits
             ":0F42A\r\n", ":0\r\n",                        // an odd number of digits
             ":0F4 2AF\r\n", ":0F42AG\r\n", ":0F:42AF\r\n", // a character that is no digit
             ":0F42AF\r\n\r\n", ":0F42\rAF\r\n",            // line ends inside the body
             ":\r\n",                                       // nothing between start and end
             "0F42AF\r\n", ":0F42AF\r", ":0F42AF\n\r", ":0F42AF", "", ":", ":\r", // start or end missing
         })
        malformed.push_back(Chars(wire));
    // Values that are no characters at all: a digit's code plus 256, and a negative one.
    malformed.push_back({':', '0' + 256, 'F', '4', '2', 0x0D, 0x0A});
    malformed.push_back({':', '0', 'F', -1, '2', 0x0D, 0x0A});
    for (const auto& raw : malformed) {
        const std::string shown(raw.begin(), raw.end());
        EXPECT_FALSE(HasAsciiFrameShape(raw)) << shown;
        EXPECT_EQ(UnwrapAsciiFrame(raw), std::nullopt) << shown;
        EXPECT_TRUE(AsciiUnwrap(raw).empty()) << shown;
    }
}

TEST(ChecksumOk, EachFraming) {
    EXPECT_TRUE(ChecksumOk(Framing::Ascii, AsciiUnwrap(Chars(":0F42AF\r\n"))));
    EXPECT_FALSE(ChecksumOk(Framing::Ascii, std::vector<int>{0x0F, 0x42}));
    EXPECT_FALSE(ChecksumOk(Framing::Ascii, std::vector<int>{0x0F, 0x42, 0xAE}));

    std::vector<int> rtu{0x0F, 0x42, 0x84, 0x71};
    EXPECT_TRUE(ChecksumOk(Framing::Rtu, rtu));
    rtu[3] ^= 1;
    EXPECT_FALSE(ChecksumOk(Framing::Rtu, rtu));
    // Low and high swapped is wrong.
    EXPECT_FALSE(ChecksumOk(Framing::Rtu, std::vector<int>{0x0F, 0x42, 0x71, 0x84}));
    // A value that is not a byte never matches.
    EXPECT_FALSE(ChecksumOk(Framing::Rtu, std::vector<int>{0x0F, 0x42, 0x84 + 256, 0x71}));

    EXPECT_TRUE(ChecksumOk(Framing::Rs232, std::vector<int>{1, 2}));
    EXPECT_TRUE(ChecksumOk(Framing::Rs232, std::vector<int>{0xFF, 0x00, 0x13}));
    EXPECT_FALSE(ChecksumOk(Framing::Rs232, std::vector<int>{0x44}));
}

TEST(ChecksumOk, RtuCoversLongRepliesWhole) {
    std::vector<int> values(300);
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<int>(i * 7 & 0xFF);
    const std::uint16_t crc = Crc16(std::span<const int>(values));
    values.push_back(crc & 0xFF);
    values.push_back(crc >> 8);
    EXPECT_TRUE(ChecksumOk(Framing::Rtu, values));
}

TEST(ReadReplyHeader, AddressFunctionAndException) {
    const auto rtu = ReadReplyHeader(Framing::Rtu, std::vector<int>{15, 0xC4, 1});
    ASSERT_TRUE(rtu);
    EXPECT_EQ(rtu->address, 15);
    EXPECT_TRUE(rtu->exception);
    EXPECT_EQ(rtu->refusedFunction, FC_MODULES);
    EXPECT_EQ(rtu->exceptionCode, 1);

    const auto rs = ReadReplyHeader(Framing::Rs232, std::vector<int>{0x42, 1, 2});
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->address, 0);
    EXPECT_EQ(rs->function, 0x42);
    EXPECT_FALSE(rs->exception);
    EXPECT_EQ(rs->payloadOffset, 1u);

    const auto shortException = ReadReplyHeader(Framing::Ascii, std::vector<int>{15, 0xC2});
    ASSERT_TRUE(shortException);
    EXPECT_FALSE(shortException->exceptionCode.has_value());

    EXPECT_FALSE(ReadReplyHeader(Framing::Rtu, std::vector<int>{15}));
    EXPECT_FALSE(ReadReplyHeader(Framing::Rs232, std::vector<int>{}));
}

} // namespace
} // namespace rir
