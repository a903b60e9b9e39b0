// Every command a device page sends, handed to a simulated supply as the bus would hand it: the
// supply takes it and does what it says.
#include "SimSupply.h"

#include "PageOnline.h"
#include "bus/FrameCodec.h"
#include "device/DevicePage.h"
#include "device/ModuleSetupValues.h"
#include "device/PageControls.h"
#include "device/Payloads.h"
#include "device/Ratings.h"

#include <gtest/gtest.h>

namespace rir::sim {
namespace {

// The station's side of a page wired straight to one simulated supply. Each request goes over
// as the bus thread writes it (the address byte is the bus's, the rest the supply's); the reply
// must be the request's own function, never an exception.
struct SupplyLink : PageCommandSink {
    SimSupply& supply;
    std::optional<ModuleSetupValues> answer;
    int sent = 0;

    explicit SupplyLink(SimSupply& s) : supply(s) {}

    bool Enqueue(const Request& r) override {
        const std::size_t functionAt = supply.ratings().model == MODEL_RS232 ? 0 : 1;
        EXPECT_GT(r.size(), functionAt);
        const std::vector<std::uint8_t> data(r.begin() + static_cast<std::ptrdiff_t>(functionAt + 1),
                                             r.end());
        const SimReply reply = supply.Handle(r[functionAt], data);
        EXPECT_EQ(reply.function, r[functionAt])
            << "refused with " << (reply.payload.empty() ? -1 : reply.payload[0]);
        ++sent;
        return true;
    }
    std::optional<ModuleSetupValues> RunModuleSetup(const ModuleSetupValues&) override { return answer; }
};

// A page online for the supply, with its ratings and limits as identification gives them.
void OnlineFor(DevicePage& page, const SimSupply& s, int address, int channel, int config, int status = 0) {
    page.InitDevice(address, channel);
    test::TestRatings r;
    r.model = s.ratings().model;
    r.voltMax = s.ratings().voltMax;
    r.currMax = s.ratings().currMax;
    r.voltScale = VoltScaleFromCode(s.ratings().voltCode);
    r.currScale = CurrScaleFromCode(s.ratings().currCode);
    r.voltLimit = s.ratings().voltLimit;
    r.currLimit = s.ratings().currLimit;
    test::BringPageOnline(page, config, status, r);
    page.state.voltMin = VoltMinFor(r.voltMax, r.voltScale);
    page.state.currMin = CurrMinFor(r.currMax);
}

ReverseRecord ReverseOf(SimSupply& s) {
    const SimReply r = s.Handle(FC_MODULES, {});
    const auto parsed = ParseModules(std::vector<int>(r.payload.begin(), r.payload.end()));
    if (parsed) {
        for (const ModuleRecord& m : parsed->records) {
            if (const auto* rev = std::get_if<ReverseRecord>(&m))
                return *rev;
        }
    }
    ADD_FAILURE() << "no reverse record";
    return {};
}

TEST(SimStationCommands, LimitsAreTakenAsTheFlagsSay) {
    SimSupply s(*SimRatingsFor(MODEL_TIMER_AMPERE), CONFIG_TIMER_COUNTER);
    DevicePage page;
    OnlineFor(page, s, 15, 0, CONFIG_TIMER_COUNTER);
    SupplyLink link(s);
    page.SetEditState(IDC_VOLT_EDIT, "12.5", true, {4, 4});
    page.SetEditState(IDC_CURR_EDIT, "3", false, {0, 0});
    page.OnCommand(IDC_SET_LIMITS, link);
    EXPECT_EQ(s.main().voltLimit, 1250);
    EXPECT_EQ(s.main().currLimit, 300);
    // Enter in the voltage edit carries both, but the supply takes only the voltage.
    page.SetEditState(IDC_VOLT_EDIT, "99.99", true, {5, 5});
    page.SetEditState(IDC_CURR_EDIT, "1", false, {0, 0});
    page.OnEnterKey(IDC_VOLT_EDIT, link);
    EXPECT_EQ(s.main().voltLimit, 3900) << "clamped to the rating by the station";
    EXPECT_EQ(s.main().currLimit, 300);
    EXPECT_EQ(link.sent, 2);
}

TEST(SimStationCommands, ASupplyOnItsOwnLineTakesRequestsWithoutAddress) {
    SimSupply s(*SimRatingsFor(MODEL_RS232), std::nullopt);
    DevicePage page;
    OnlineFor(page, s, 1, 0, CONFIG_NONE);
    SupplyLink link(s);
    page.SetEditState(IDC_VOLT_EDIT, "5", false, {0, 0});
    page.OnCommand(IDC_SET_LIMITS, link);
    page.OnCommand(IDC_OUTPUT_BUTTON, link);
    EXPECT_EQ(s.main().voltLimit, 500);
    EXPECT_TRUE(s.main().on);
}

TEST(SimStationCommands, OutputSwitchAndTheReverseRestore) {
    SimSupply s(*SimRatingsFor(MODEL_PROF_REVERSE), CONFIG_TIMER_REVERSE);
    DevicePage page;
    OnlineFor(page, s, 20, 0, CONFIG_TIMER_REVERSE);
    SupplyLink link(s);
    page.OnCommand(IDC_OUTPUT_BUTTON, link);
    EXPECT_TRUE(s.main().on);

    // The operator set other phase times since; switching off puts the first ones back.
    const std::vector<std::uint8_t> newTimes{0x00, 0x03, 0x00, 0x03, 0x00, 0x01, 0x00, 0x32, 0x00, 0x0A};
    ASSERT_EQ(s.Handle(FC_EXTENDED, newTimes).function, FC_EXTENDED);
    page.state.status = 0x01;
    page.state.revFwdCurrent = 3;
    page.state.revBackCurrent = 1;
    page.state.revFwdTimeInitial = 100;
    page.state.revBackTimeInitial = 20;
    page.RefreshView(RefreshCode::Values, PollState::Complete);
    page.OnCommand(IDC_OUTPUT_BUTTON, link);
    EXPECT_FALSE(s.main().on);
    const ReverseRecord rev = ReverseOf(s);
    EXPECT_EQ(rev.revFwdCurrent, 3);
    EXPECT_EQ(rev.revBackCurrent, 1);
    EXPECT_EQ(rev.revFwdTime, 100);
    EXPECT_EQ(rev.revBackTime, 20);
    EXPECT_EQ(link.sent, 3);
}

TEST(SimStationCommands, ChannelBIsSwitchedFromItsOwnPage) {
    SimSupply s(*SimRatingsFor(MODEL_PROF_REVERSE), CONFIG_TWO_CHANNELS);
    DevicePage page;
    OnlineFor(page, s, 20, 1, CONFIG_NONE);
    SupplyLink link(s);
    page.SetEditState(IDC_VOLT_EDIT, "10", false, {0, 0});
    page.OnCommand(IDC_SET_LIMITS, link);
    page.OnCommand(IDC_OUTPUT_BUTTON, link);
    EXPECT_TRUE(s.channelB().on);
    EXPECT_EQ(s.channelB().voltLimit, 1000);
    EXPECT_FALSE(s.main().on);
}

TEST(SimStationCommands, TheDosingRestartStartsACompletedDoseOver) {
    SimSupply s(*SimRatingsFor(MODEL_TIMER_AMPERE), CONFIG_TIMER_COUNTER);
    DevicePage page;
    OnlineFor(page, s, 15, 0, CONFIG_TIMER_COUNTER);
    SupplyLink link(s);
    // A dose of 0.001 A*h without switching off: 1.5 A on the 10-ohm load fills it in 2.4 s.
    ModuleSetupValues dose = ModuleSetupValuesFrom(page.state);
    dose.counterKind = 1;
    dose.counterMode = 1; // "Накопительный + дозатор без выключения [безв]"
    dose.counterValue = 1;
    link.answer = dose;
    page.OnCommand(IDC_MODULE_SETUP, link);
    page.OnCommand(IDC_OUTPUT_BUTTON, link);
    s.Advance(3000);
    ASSERT_TRUE(s.counter().doseComplete());
    EXPECT_TRUE(s.main().on);

    page.state.counterMode = 3;
    page.state.doseActive = true;
    page.RefreshView(RefreshCode::Modules, PollState::Complete);
    EXPECT_EQ(page.OnCommand(IDC_DOSER_RESTART, link), PageCommandResult::Done);
    EXPECT_FALSE(s.counter().doseComplete());
    EXPECT_EQ(s.counter().daily(), 1u);
}

TEST(SimStationCommands, ModuleSettingsChangeTheSupply) {
    SimSupply s(*SimRatingsFor(MODEL_TIMER_AMPERE), CONFIG_TIMER_COUNTER);
    DevicePage page;
    OnlineFor(page, s, 15, 0, CONFIG_TIMER_COUNTER);
    SupplyLink link(s);

    ModuleSetupValues timer = ModuleSetupValuesFrom(page.state);
    timer.timerMode = 1;
    timer.timerValue = 90;
    link.answer = timer;
    page.OnCommand(IDC_MODULE_SETUP, link);
    EXPECT_EQ(s.timer().mode(), 1);
    EXPECT_EQ(s.timer().value(), 90);
    EXPECT_FALSE(s.awaitsIdentification()) << "the configuration in force: no change";

    ModuleSetupValues watt = timer;
    watt.moduleCode = CONFIG_WATTMETER;
    link.answer = watt;
    page.OnCommand(IDC_MODULE_SETUP, link);
    EXPECT_EQ(s.config(), CONFIG_WATTMETER);
    EXPECT_TRUE(s.awaitsIdentification());
    EXPECT_EQ(link.sent, 3);
}

} // namespace
} // namespace rir::sim
