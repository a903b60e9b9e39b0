// The bytes each page command hands the request queue.
#include "device/Requests.h"

#include "bus/PollList.h"
#include "device/LimitText.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

// A model-4 supply at address 5 with 15.00 V and 10.00 A limits (scale 100).
DeviceState Supply(int channel = 0, int model = MODEL_PROF) {
    DeviceState s = MakeDeviceState(5, channel);
    s.model = model;
    s.voltScale = 100;
    s.currScale = 100;
    s.voltMax = 4200;
    s.currMax = 3150;
    s.voltMin = 40;
    s.currMin = 31;
    s.voltLimit = 1500; // 0x05DC
    s.currLimit = 1000; // 0x03E8
    return s;
}

TEST(RequestsTest, LimitRequestsOnEveryPageKind) {
    const struct {
        const char* name;
        DeviceState state;
        LimitChoice which;
        Request bytes;
    } cases[] = {
        {"main page, both", Supply(), LimitChoice::Both, {5, 0x43, 0x06, 0x05, 0xDC, 0x03, 0xE8}},
        // Enter in the voltage edit: only the voltage flag, both parsed limits still carried.
        {"main page, voltage", Supply(), LimitChoice::Voltage, {5, 0x43, 0x02, 0x05, 0xDC, 0x03, 0xE8}},
        {"main page, current", Supply(), LimitChoice::Current, {5, 0x43, 0x04, 0x05, 0xDC, 0x03, 0xE8}},
        {"channel B of address 5",
         Supply(1),
         LimitChoice::Both,
         {5, 0x45, 0x00, 0x05, 0x06, 0x05, 0xDC, 0x03, 0xE8}},
        {"model 1", Supply(0, MODEL_RS232), LimitChoice::Both, {0x43, 0x06, 0x05, 0xDC, 0x03, 0xE8}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Request r = LimitsRequest(c.state, c.which);
        EXPECT_EQ(r, c.bytes);
        EXPECT_TRUE(IsValidCommand(r));
    }
}

TEST(RequestsTest, EnterInTheVoltageEditCarriesBothTypedLimits) {
    DeviceState s = Supply();
    const LimitPair typed = LimitsFromTexts(s, "12.5", "3");
    s.voltLimit = typed.voltLimit;
    s.currLimit = typed.currLimit;
    EXPECT_EQ(LimitsRequest(s, LimitChoice::Voltage), (Request{5, 0x43, 0x02, 0x04, 0xE2, 0x01, 0x2C}));
}

TEST(RequestsTest, OutputSwitch) {
    DeviceState s = Supply();
    EXPECT_EQ(ToggleOutputRequests(s), (std::vector<Request>{{5, 0x43, 0x09, 0x05, 0xDC, 0x03, 0xE8}}));
    s.outputOn = true;
    EXPECT_EQ(ToggleOutputRequests(s), (std::vector<Request>{{5, 0x43, 0x08, 0x05, 0xDC, 0x03, 0xE8}}));

    DeviceState b = Supply(1);
    EXPECT_EQ(ToggleOutputRequests(b),
              (std::vector<Request>{{5, 0x45, 0x00, 0x05, 0x09, 0x05, 0xDC, 0x03, 0xE8}}));
    DeviceState rs232 = Supply(0, MODEL_RS232);
    rs232.outputOn = true;
    EXPECT_EQ(ToggleOutputRequests(rs232), (std::vector<Request>{{0x43, 0x08, 0x05, 0xDC, 0x03, 0xE8}}));
}

TEST(RequestsTest, SwitchingOffWithTheReverseLineRestoresTheFirstPhaseTimes) {
    DeviceState s = Supply(0, MODEL_PROF_REVERSE);
    s.hasReverseRow = true;
    s.revFwdCurrent = 300; // 0x012C
    s.revBackCurrent = 20; // 0x0014
    s.revFwdTime = 50;     // the present times are not what goes back
    s.revBackTime = 7;
    s.revFwdTimeInitial = 1000; // 0x03E8
    s.revBackTimeInitial = 258; // 0x0102
    // Switching on sends the output write alone.
    EXPECT_EQ(ToggleOutputRequests(s).size(), 1u);
    s.outputOn = true;
    const std::vector<Request> r = ToggleOutputRequests(s);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0], (Request{5, 0x43, 0x08, 0x05, 0xDC, 0x03, 0xE8}));
    EXPECT_EQ(r[1], (Request{5, 0x45, 0x00, 0x03, 0x01, 0x2C, 0x00, 0x14, 0x03, 0xE8, 0x01, 0x02}));
    s.model = MODEL_RS232;
    EXPECT_EQ(ReverseRestoreRequest(s),
              (Request{0x45, 0x00, 0x03, 0x01, 0x2C, 0x00, 0x14, 0x03, 0xE8, 0x01, 0x02}));
}

TEST(RequestsTest, OutputOffOnlyWhileOn) {
    DeviceState s = Supply();
    EXPECT_FALSE(OutputOffRequest(s).has_value());
    s.outputOn = true;
    s.hasReverseRow = true; // the program's switch-off leaves the reverse alone
    EXPECT_EQ(OutputOffRequest(s), (Request{5, 0x43, 0x08, 0x05, 0xDC, 0x03, 0xE8}));
}

TEST(RequestsTest, DoserRestart) {
    EXPECT_EQ(DoserRestartRequest(Supply()), (Request{5, 0x45, 0x00, 0x02, 0x20, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(DoserRestartRequest(Supply(0, MODEL_RS232)),
              (Request{0x45, 0x00, 0x02, 0x20, 0x00, 0x00, 0x00, 0x00}));
}

TEST(RequestsTest, ValuesOutsideTheirBytesAreClampedNeverWrapped) {
    DeviceState s = Supply();
    s.voltLimit = 70000; // would wrap to 4464 in two bytes
    s.currLimit = -3;
    const Request r = LimitsRequest(s, LimitChoice::Both);
    EXPECT_EQ(r, (Request{5, 0x43, 0x06, 0xFF, 0xFF, 0x00, 0x00}));
    EXPECT_TRUE(IsValidCommand(r));

    s.hasReverseRow = true;
    s.outputOn = true;
    s.revFwdCurrent = -1;
    s.revBackCurrent = 65536;
    for (const Request& q : ToggleOutputRequests(s))
        EXPECT_TRUE(IsValidCommand(q));
    EXPECT_EQ(ReverseRestoreRequest(s), (Request{5, 0x45, 0x00, 0x03, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0}));

    Request out;
    AppendByte(out, 256);
    AppendByte(out, -1);
    AppendTriple(out, 0x1000000);
    AppendTriple(out, 0x0A0B0C);
    EXPECT_EQ(out, (Request{0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x0A, 0x0B, 0x0C}));
}

} // namespace
} // namespace rir
