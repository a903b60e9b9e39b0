#include "StationRig.h"

#include "device/PageControls.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

using test::StationRig;
using Values = std::vector<int>;

// A model-2 supply at address 15: 39 V, 15 A, scale codes 0.
const Values IDENTIFY_15{15, 0x41, 0x02, 0x0F, 0x3C, 0x05, 0xDC, 0x00, 0x05, 0xDC, 0x03, 0xE8, 0x00};
const Values MEASURE_15{15, 0x42, 0x05, 0xDC, 0x07, 0xD0, 0x00, 0x64, 0x01, 0xF4, 0x01};

std::string Joined(const std::string& head, const Values& values) {
    std::string s = head;
    for (int v : values)
        s += " " + std::to_string(v);
    return s;
}

struct RtuRig : StationRig {
    RtuRig() {
        StoredSettings s;
        s.protocol = "RTU";
        station.Start(&s);
        station.busLink().eStart().Wait(); // take the initial go-ahead
    }
    DevicePage& Page15() { return *station.FindPage(15, 0); }
};

// Pages for 15 and 7 on an RTU bus, 15 online (identified, measured, its modules read).
struct TwoSupplyRig : StationRig {
    TwoSupplyRig() {
        StoredSettings s;
        s.protocol = "RTU";
        s.tabSections = {{"#15", 15, 0}, {"#7", 7, 0}};
        station.Start(&s);
        station.busLink().eStart().Wait();
        ReplyRtu(IDENTIFY_15, {15, FC_IDENTIFY, 1});
        ReplyRtu(MEASURE_15, {15, FC_MEASURE});
        ReplyRtu({15, FC_MODULES, 1, 0x41, 0x00, 0x00, 0x00, 0x05}, {15, FC_MODULES});
    }
    DevicePage& Page(int address) { return *station.FindPage(address, 0); }
};

TEST(ReplyIntake, AReplyIsTakenOnlyForTheRequestItAnswersAndAnythingElseIsTheAskedSupplysMiss) {
    auto withCrc = [](Values v) {
        const std::uint16_t crc = Crc16(std::span<const int>(v));
        v.push_back(crc & 0xFF);
        v.push_back(crc >> 8);
        return v;
    };
    Values measure7 = MEASURE_15;
    measure7[0] = 7;
    struct Case {
        const char* name;
        Values raw;
        std::string line;
    };
    const Case cases[] = {
        {"another supply's measurement", withCrc(measure7),
         Joined("Ответ не на тот запрос: ждали от устройства #15 (ф. 66), считали от #7 (ф. 66), игнорируем:",
                measure7)},
        {"an identification left on the line", withCrc(IDENTIFY_15),
         Joined(
             "Ответ не на тот запрос: ждали от устройства #15 (ф. 66), считали от #15 (ф. 65), игнорируем:",
             IDENTIFY_15)},
        {"two bytes of noise",
         {149, 7},
         Joined("Считали данные от устройства, но неверная контрольная сумма!", {149, 7})},
        {"a frame with a broken checksum from another address",
         {7, 0x42, 1, 2},
         Joined("Считали данные от устройства, но неверная контрольная сумма!", {7, 0x42, 1, 2})},
    };
    for (const Case& c : cases) {
        TwoSupplyRig rig;
        rig.Reply(c.raw, {15, FC_MEASURE});
        EXPECT_EQ(rig.LastLine(), c.line) << c.name;
        EXPECT_EQ(rig.Entry(15, 0).missCount, 1) << c.name;
        EXPECT_EQ(rig.Entry(7, 0).missCount, 0) << c.name;
        EXPECT_EQ(rig.Page(15).state.model, 2) << c.name << ": the identity stands";
        EXPECT_EQ(rig.Page(7).state.voltMeas, 0) << c.name << ": nothing decoded for #7";
        EXPECT_TRUE(rig.station.busLink().eStart().IsSet()) << c.name;
    }
    TwoSupplyRig rig;
    rig.Reply({15, FC_MEASURE}, {15, FC_MEASURE});
    EXPECT_EQ(rig.LastLine(), "Устройство 15 не ответило (ф. 66)") << "the marker is what was asked";
}

TEST(ReplyIntake, ASupplyThatRefusesItsPollsBacksOffOnceAndReturnsWithItsFirstData) {
    TwoSupplyRig rig;
    const std::string backOff =
        "Устройство 15 отвечает на опрос отказом (код 5), опрашиваем его реже, пока не ответит данными";
    for (int i = 1; i <= 8; ++i) {
        rig.ReplyRtu({15, FC_MEASURE + EXCEPTION_FLAG, 5}, {15, FC_MEASURE});
        RemoveHeadCommand(rig.station.busLink().shared().requestQueue); // as the queued identification's send
        EXPECT_EQ(rig.Entry(15, 0).offline, i >= REFUSALS_TO_BACK_OFF) << i;
        EXPECT_EQ(rig.Page(15).state.online, i < MISSES_TO_DISCONNECT) << i;
    }
    EXPECT_EQ(rig.Count(backOff), 1u);
    rig.ReplyRtu({15, FC_MEASURE + EXCEPTION_FLAG, 5}, {15, FC_MEASURE});
    EXPECT_TRUE(rig.Queue().empty()) << "no re-identification jumps the queue while it refuses";
    rig.ReplyRtu(IDENTIFY_15, {15, FC_IDENTIFY, 1});
    EXPECT_TRUE(rig.Entry(15, 0).offline) << "an identification alone brings no data";
    rig.ReplyRtu(MEASURE_15, {15, FC_MEASURE});
    EXPECT_FALSE(rig.Entry(15, 0).offline);
    EXPECT_EQ(rig.Entry(15, 0).refusals, 0);
    EXPECT_EQ(rig.Entry(15, 0).missCount, 0);
    // Identified again and again without data in between: the same share.
    for (int i = 1; i <= REFUSALS_TO_BACK_OFF; ++i)
        rig.ReplyRtu(IDENTIFY_15, {15, FC_IDENTIFY, 1});
    EXPECT_TRUE(rig.Entry(15, 0).offline);
    EXPECT_EQ(rig.LastLine(),
              "Устройство 15 отвечает только на опознание, опрашиваем его реже, пока не ответит данными");
    rig.ReplyRtu(MEASURE_15, {15, FC_MEASURE});
    EXPECT_FALSE(rig.Entry(15, 0).offline);
    // A supply without modules says so with exception 1: an answer, not a refusal.
    rig.ReplyRtu({15, FC_MODULES + EXCEPTION_FLAG, 1}, {15, FC_MODULES});
    EXPECT_EQ(rig.Entry(15, 0).refusals, 0);
    EXPECT_EQ(rig.Entry(15, 0).missCount, 0);
}

// A supply that answers without data greys like a silent one; its page says how it answers,
// from the reply that greys it until its next reply with data.
TEST(ReplyIntake, APageGreyedByAnswersWithoutDataSaysHowItIsAnswered) {
    Values foreign = MEASURE_15;
    foreign[0] = 7;
    const struct {
        const char* name;
        Values reply;
        const char* caption;
    } cases[] = {
        {"exception 5 to its polls",
         {15, FC_MEASURE + EXCEPTION_FLAG, 5},
         "Протокол работы: [Отвечает отказом, код 5]"},
        {"exception 1 to its measurements",
         {15, FC_MEASURE + EXCEPTION_FLAG, 1},
         "Протокол работы: [Отвечает отказом, код 1]"},
        {"another supply's replies", foreign, "Протокол работы: [Отвечает устройство #7]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TwoSupplyRig rig;
        const auto caption = [&] { return rig.Page(15).view.text(IDC_PROGRAM_CAPTION); };
        for (int i = 1; i < MISSES_TO_DISCONNECT; ++i) {
            rig.ReplyRtu(c.reply, {15, FC_MEASURE});
            EXPECT_EQ(caption(), "Протокол работы:") << "still online after " << i;
        }
        rig.ReplyRtu(c.reply, {15, FC_MEASURE});
        ASSERT_FALSE(rig.Page(15).state.online);
        EXPECT_EQ(caption(), c.caption);
        rig.station.busLink().shared().requestQueue.clear();
        rig.ReplyRtu(c.reply, {15, FC_MEASURE});
        EXPECT_EQ(caption(), c.caption) << "said once: the same text while it goes on";
        rig.ReplyRtu(IDENTIFY_15, {15, FC_IDENTIFY, 1});
        EXPECT_EQ(caption(), c.caption) << "an identification brings no data";
        rig.ReplyRtu(MEASURE_15, {15, FC_MEASURE});
        EXPECT_EQ(caption(), "Протокол работы:") << "its data takes the text away";
        EXPECT_EQ(rig.Page(7).view.text(IDC_PROGRAM_CAPTION), "Протокол работы:")
            << "the other page says nothing";
    }
}

TEST(ReplyIntake, ThePageTellsTheAgeOfItsReadingsOnceTheyAreOverTwoSecondsOld) {
    using namespace std::chrono_literals;
    const struct {
        std::chrono::milliseconds at; // since the last look before the measurement stopped
        bool measured;                // a measurement came just before
        std::string caption15;
    } steps[] = {
        {0ms, false, "Протокол работы:"},
        {2900ms, false, "Протокол работы:"},
        {3000ms, false, "Протокол работы: [Замер 3 с назад]"},
        {12500ms, false, "Протокол работы: [Замер 12 с назад]"},
        {12600ms, true, "Протокол работы:"},
        {15500ms, false, "Протокол работы:"},
        {15600ms, false, "Протокол работы: [Замер 3 с назад]"},
    };
    TwoSupplyRig rig;
    const MonoTime start{};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.at.count());
        if (step.measured)
            rig.ReplyRtu(MEASURE_15, {15, FC_MEASURE});
        rig.station.OnPageTicks(start + step.at);
        EXPECT_EQ(rig.Page(15).view.text(IDC_PROGRAM_CAPTION), step.caption15);
        EXPECT_EQ(rig.Page(7).view.text(IDC_PROGRAM_CAPTION), "Протокол работы:") << "never online";
    }
}

TEST(ReplyIntake, AKnownSupplysNewIdentityIsBelievedOnlyWhenItsRepeated) {
    const Values other{15, 0x41, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    TwoSupplyRig rig;
    rig.ReplyRtu(other, {15, FC_IDENTIFY, 1});
    EXPECT_EQ(rig.Page(15).state.voltMax, 0x0F3C) << "a lone stale identity changes nothing";
    EXPECT_EQ(rig.Queue(), (test::Commands{{15, FC_IDENTIFY, 1}})) << "it is asked again";
    RemoveHeadCommand(rig.station.busLink().shared().requestQueue);
    rig.ReplyRtu(IDENTIFY_15, {15, FC_IDENTIFY, 1});
    EXPECT_EQ(rig.Page(15).state.voltMax, 0x0F3C);
    EXPECT_TRUE(rig.Queue().empty());
    rig.ReplyRtu(other, {15, FC_IDENTIFY, 1});
    RemoveHeadCommand(rig.station.busLink().shared().requestQueue);
    rig.ReplyRtu(other, {15, FC_IDENTIFY, 1});
    EXPECT_EQ(rig.Page(15).state.voltMax, 0) << "the same new identity twice in a row is another supply";
    EXPECT_EQ(rig.Page(15).state.model, 0);
}

TEST(ReplyIntake, ValidRtuReplyIsLoggedDecodedAndClearsMisses) {
    RtuRig rig;
    rig.SetEntryState(15, 0, PollState::Complete);
    rig.Reply({15, 0x42}); // one miss first
    EXPECT_EQ(rig.LastLine(), "Устройство 15 не ответило (ф. 66)");
    EXPECT_EQ(rig.Entry(15, 0).missCount, 1);
    rig.ReplyRtu(MEASURE_15);
    Values logged = MEASURE_15;
    EXPECT_EQ(rig.LastLine(), Joined("Считали 11 байт от устройства #15 (ф. 66): ", logged));
    EXPECT_EQ(rig.Entry(15, 0).missCount, 0);
    EXPECT_EQ(rig.Page15().state.voltMeas, 1500);
    EXPECT_EQ(rig.Page15().state.currLimit, 500);
    EXPECT_TRUE(rig.station.busLink().eStart().IsSet());
}

TEST(ReplyIntake, AlteredCrcIsLoggedWithAllValuesAndCountsAMiss) {
    RtuRig rig;
    Values raw = MEASURE_15;
    const std::uint16_t crc = Crc16(std::span<const int>(raw));
    raw.push_back(crc & 0xFF);
    raw.push_back((crc >> 8) ^ 0x01);
    rig.Reply(raw);
    EXPECT_EQ(rig.LastLine(), Joined("Считали данные от устройства, но неверная контрольная сумма!", raw));
    EXPECT_EQ(rig.Entry(15, 0).missCount, 1);
    EXPECT_EQ(rig.Page15().state.voltMeas, 0) << "nothing decoded";
}

TEST(ReplyIntake, FifthSilentCycleTakesThePageOffline) {
    RtuRig rig;
    rig.ReplyRtu(IDENTIFY_15);
    rig.ReplyRtu({15, 0x44, 1, 0x41, 0x00, 0x00, 0x00, 0x05});
    rig.ReplyRtu(MEASURE_15);
    ASSERT_TRUE(rig.Page15().state.online);
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(rig.Page15().state.online) << i;
        rig.Reply({15, 0x42});
        EXPECT_EQ(rig.LastLine(), "Устройство 15 не ответило (ф. 66)");
    }
    EXPECT_FALSE(rig.Page15().state.online);
    EXPECT_EQ(rig.Entry(15, 0).state, PollState::Unknown);
    EXPECT_EQ(rig.Page15().view.text(IDC_OUTPUT_STATE), "-");
    EXPECT_FALSE(rig.Page15().view.enabled(IDC_VOLT_EDIT));
}

TEST(ReplyIntake, AcknowledgementRemovesOnlyAHeadOfItsOwnFunction) {
    RtuRig rig;
    EnqueueCommand(rig.station.busLink().shared(), Values{15, FC_EXTENDED, 0, 5, 0, 0, 0, 0, 0});
    rig.ReplyRtu({15, FC_CONTROL, 0x05, 0xDC, 0x01, 0xF4, 0x01});
    EXPECT_EQ(rig.Queue(), (test::Commands{{15, FC_EXTENDED, 0, 5, 0, 0, 0, 0, 0}}))
        << "a write-output acknowledgement leaves the module write queued";
    rig.ReplyRtu({15, FC_EXTENDED});
    EXPECT_TRUE(rig.Queue().empty());
    EnqueueCommand(rig.station.busLink().shared(), Values{15, FC_CONTROL, 2, 0x05, 0xDC, 0, 0});
    rig.ReplyRtu({15, FC_CONTROL, 0x05, 0xDC, 0x01, 0xF4, 0x01});
    EXPECT_TRUE(rig.Queue().empty());
    EXPECT_EQ(rig.Page15().state.voltLimit, 1500);
}

TEST(ReplyIntake, ExceptionOneToModulesIsLoggedAndStopsModulePolls) {
    RtuRig rig;
    rig.SetEntryState(15, 0, PollState::Identified);
    rig.ReplyRtu({15, 0xC4, 0x01});
    EXPECT_EQ(rig.LastLine(), "Считали 3 байт от устройства #15 (ф. !68!):  15 196 1");
    EXPECT_FALSE(rig.Entry(15, 0).moduleDataAllowed);
    EXPECT_EQ(rig.Entry(15, 0).state, PollState::Complete);
    EXPECT_EQ(rig.Page15().state.moduleConfig, 0)
        << "a supply without modules is brought online without them";
}

TEST(ReplyIntake, ExceptionFiveAndModuleChangeQueueReidentification) {
    RtuRig rig;
    rig.ReplyRtu({15, 0xC2, 0x05});
    EXPECT_EQ(rig.Queue(), (test::Commands{{15, FC_IDENTIFY, 1}}));
    RemoveHeadCommand(rig.station.busLink().shared().requestQueue);
    const std::vector<int> change{15, FC_EXTENDED, 0x81};
    EnqueueCommand(rig.station.busLink().shared(), change, EffectsOf(change));
    rig.ReplyRtu({15, FC_EXTENDED});
    EXPECT_EQ(rig.Queue(), (test::Commands{{15, FC_IDENTIFY, 2}}));
    rig.ReplyRtu({15, FC_EXTENDED});
    EXPECT_EQ(rig.Queue(), (test::Commands{{15, FC_IDENTIFY, 2}})) << "a second acknowledgement asks nothing";
}

TEST(ReplyIntake, ModelTwoStatusWaitsForModuleData) {
    RtuRig rig;
    rig.ReplyRtu(IDENTIFY_15);
    EXPECT_EQ(rig.Entry(15, 0).state, PollState::Identified);
    rig.ReplyRtu(MEASURE_15);
    EXPECT_EQ(rig.Entry(15, 0).state, PollState::Identified);
    EXPECT_FALSE(rig.Page15().state.online);
    EXPECT_NE(rig.Page15().state.status, -1) << "the status waits";
    rig.ReplyRtu({15, 0x44, 1, 0x41, 0x00, 0x00, 0x0E, 0x8D});
    EXPECT_EQ(rig.Entry(15, 0).state, PollState::Complete);
    EXPECT_TRUE(rig.Page15().state.online);
    EXPECT_TRUE(rig.Page15().state.outputOn);
    EXPECT_EQ(rig.Page15().state.timerValue, 3725);
    EXPECT_EQ(rig.Page15().view.text(IDC_OUTPUT_STATE), "Включен");
}

TEST(ReplyIntake, ChannelBIsCreatedUpdatedAndRemoved) {
    RtuRig rig;
    rig.ReplyRtu({15, 0x41, 0x03, 0x10, 0x68, 0x05, 0xDC, 0x00, 0x0C, 0x4E, 0x03, 0xE8, 0x01});
    const Values withB{15, 0x44, 6, 0x95, 0x01, 0xF4, 0x02, 0x58, 0x00, 0x0A, 0x00, 0x14, 0x01};
    rig.ReplyRtu(withB);
    ASSERT_NE(rig.station.FindPage(15, 1), nullptr);
    EXPECT_EQ(rig.Captions(), (std::vector<std::string>{"#15", "#15_2"}));
    EXPECT_EQ(rig.station.selectedTab(), 0);
    DevicePage& b = *rig.station.FindPage(15, 1);
    EXPECT_EQ(b.state.voltMeas, 500);
    EXPECT_EQ(b.state.voltMax, 4200) << "ratings copied from the main page";
    EXPECT_EQ(b.state.voltScale, 100);
    EXPECT_TRUE(b.state.online) << "channel B comes online at its first status";
    EXPECT_TRUE(rig.Page15().state.channelBActive);
    EXPECT_EQ(rig.Entry(15, 1).state, PollState::Complete);

    Values update = withB;
    update[4] = 0x02; // voltage measured 0x0258 = 600
    update[5] = 0x58;
    rig.ReplyRtu(update);
    EXPECT_EQ(rig.Captions().size(), 2u);
    EXPECT_EQ(rig.station.FindPage(15, 1)->state.voltMeas, 600);

    rig.ReplyRtu({15, 0x44, 6});
    EXPECT_EQ(rig.station.FindPage(15, 1), nullptr);
    EXPECT_EQ(rig.Captions(), std::vector<std::string>{"#15"});
}

TEST(ReplyIntake, PollingStoppedStillHandlesTheRunningCycle) {
    RtuRig rig;
    rig.station.OnCommand(ID_MENU_START_STOP);
    rig.ReplyRtu(MEASURE_15);
    EXPECT_EQ(rig.LastLine().rfind("Считали 11 байт", 0), 0u);
    EXPECT_FALSE(rig.station.busLink().eStart().IsSet());
}

TEST(ReplyIntake, ShortPayloadIsNotDecodedAndCountsAMiss) {
    RtuRig rig;
    rig.ReplyRtu({15, 0x42, 0x05, 0xDC, 0x07});
    EXPECT_EQ(rig.LastLine(), "Считали неполные данные от устройства #15 (ф. 66), игнорируем: 15 66 5 220 7");
    EXPECT_EQ(rig.Entry(15, 0).missCount, 1);
    EXPECT_EQ(rig.Page15().state.voltMeas, 0);
    rig.ReplyRtu({15, 0x41, 1, 2});
    EXPECT_EQ(rig.Page15().state.model, 0);
    EXPECT_EQ(rig.Entry(15, 0).missCount, 2);
}

TEST(ReplyIntake, UnknownAddressAndUnknownFunction) {
    RtuRig rig;
    rig.ReplyRtu({7, 0x42, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    EXPECT_EQ(rig.LastLine(), "Нету панельки для устройства #7");
    rig.ReplyRtu({15, 0x30, 1});
    EXPECT_EQ(rig.LastLine(), "Считали 3 байт от устройства #15 (ф. 48):  15 48 1");
}

TEST(ReplyIntake, RateLineAfterTheFirstTick) {
    RtuRig rig;
    rig.station.busLink().state().requestsSent = 25;
    rig.ReplyRtu(MEASURE_15);
    EXPECT_EQ(rig.Page15().view.text(IDC_DIAGNOSTIC), "Test") << "no tick yet: no rate";
    for (int i = 0; i < 10; ++i)
        rig.station.OnTimer();
    rig.ReplyRtu(MEASURE_15);
    EXPECT_EQ(rig.Page15().view.text(IDC_DIAGNOSTIC), "Скорость: 25 пакетов в секунду");
}

TEST(ReplyIntake, AsciiFramesAreUnwrappedOrRejectedWhole) {
    StationRig rig;
    rig.station.Start(nullptr); // ASCII
    auto chars = [](std::string s) { return Values(s.begin(), s.end()); };
    // A valid frame without the measurement payload: checked, but too short to decode.
    rig.Reply(chars(":0F42AF\r\n"));
    EXPECT_EQ(rig.LastLine(), "Считали неполные данные от устройства #15 (ф. 66), игнорируем: 15 66");
    EXPECT_EQ(rig.Entry(15, 0).missCount, 1);
    rig.Reply(chars("0F42AF\r\n"));
    EXPECT_EQ(rig.LastLine(), "ASCII, считали неправильные данные (8 байт), игнорируем");
    EXPECT_EQ(rig.Entry(15, 0).missCount, 1) << "a malformed frame is dropped without a miss";
    rig.Reply(chars(":0F4205DC07D0006401F4019D\r\n"));
    EXPECT_EQ(rig.LastLine(), "Считали 11 байт от устройства #15 (ф. 66):  15 66 5 220 7 208 0 100 1 244 1");
    EXPECT_EQ(rig.Entry(15, 0).missCount, 0);
    rig.Reply(chars(":0F42\r\n")); // LRC missing: the marker's shape
    EXPECT_EQ(rig.LastLine(), "Устройство 15 не ответило (ф. 66)");
    EXPECT_EQ(rig.Entry(15, 0).missCount, 1);
    // Lowercase digits, and a digit lost on the line whose shifted pairs would still pass the
    // LRC: malformed, so nothing of them reaches the page and no miss is counted.
    const struct {
        const char* wire;
        const char* line;
    } malformed[] = {
        {":0f42af\r\n", "ASCII, считали неправильные данные (9 байт), игнорируем"},
        {":0F4200CB05C01F403E80023\r\n", "ASCII, считали неправильные данные (26 байт), игнорируем"},
    };
    const DeviceState before = rig.station.FindPage(15, 0)->state;
    for (const auto& m : malformed) {
        rig.Reply(chars(m.wire));
        EXPECT_EQ(rig.LastLine(), m.line);
        EXPECT_EQ(rig.Entry(15, 0).missCount, 1) << m.wire;
        const DeviceState& after = rig.station.FindPage(15, 0)->state;
        EXPECT_EQ(after.voltLimit, before.voltLimit) << m.wire;
        EXPECT_EQ(after.currLimit, before.currLimit) << m.wire;
        EXPECT_EQ(after.voltMeas, before.voltMeas) << m.wire;
    }
}

TEST(ReplyIntake, Rs232RepliesUseTheSelectedPage) {
    StationRig rig;
    StoredSettings s;
    s.protocol = "RS232";
    rig.station.Start(&s);
    rig.Reply({0x42, 0x05, 0xDC, 0x07, 0xD0, 0x00, 0x64, 0x01, 0xF4, 0x01});
    EXPECT_EQ(rig.LastLine(), "Считали 10 байт от устройства #0 (ф. 66):  66 5 220 7 208 0 100 1 244 1");
    EXPECT_EQ(rig.station.FindPage(15, 0)->state.voltMeas, 1500);
    rig.Reply({0x42});
    EXPECT_EQ(rig.LastLine(), "Устройство 0 не ответило (ф. 66)");
    EXPECT_EQ(rig.Entry(15, 0).missCount, 1);
}

TEST(ReplyIntake, BusThreadNotesAreLogged) {
    RtuRig rig;
    {
        std::lock_guard<BusLock> hold(rig.station.busLink().shared().lock);
        rig.station.busLink().shared().sentText = "Отправили в порт:  15 66 132 113";
    }
    rig.station.OnBusReply(BusNote::Sent);
    EXPECT_EQ(rig.LastLine(), "Отправили в порт:  15 66 132 113");
    EXPECT_TRUE(rig.station.busLink().shared().sentText.empty());
    rig.station.OnBusReply(BusNote::EmptyList);
    EXPECT_EQ(rig.LastLine(), "Нету ни одного устройства в списке");
}

// A supply on a point-to-point line with its second channel's tab open and selected, the way an
// operator leaves it after looking at channel B. Module data without a channel-B record removes
// the second channel: the very page decoding writes into.
TEST(ReplyIntake, Rs232ModuleDataRemovesTheSelectedChannelBPageAfterDecoding) {
    StationRig rig;
    StoredSettings s;
    s.protocol = "RS232";
    s.tabSections = {{"#5", 5, 0}, {"#5_2", 5, 1}};
    s.activeTab = 2;
    rig.station.Start(&s);
    ASSERT_EQ(rig.Captions(), (std::vector<std::string>{"#5", "#5_2"}));
    ASSERT_EQ(rig.station.SelectedPage(), rig.station.FindPage(5, 1));

    rig.Reply({0x44, 0x00}); // configuration 0, no records
    EXPECT_EQ(rig.Captions(), (std::vector<std::string>{"#5"}));
    EXPECT_EQ(rig.Entry(5, 1).address, -1) << "the channel-B entry is gone";
    EXPECT_EQ(rig.LastLine(), "Считали 2 байт от устройства #0 (ф. 68):  68 0");
    EXPECT_EQ(rig.station.SelectedPage(), rig.station.FindPage(5, 0));
}

// On a point-to-point line the decoder, the miss count and the miss reset all use the selected
// page's own entry.
TEST(ReplyIntake, Rs232MissesAndTheirResetUseTheSelectedPagesEntry) {
    StationRig rig;
    StoredSettings s;
    s.protocol = "RS232";
    s.tabSections = {{"#5", 5, 0}, {"#7", 7, 0}};
    s.activeTab = 2;
    rig.station.Start(&s);
    ASSERT_EQ(rig.station.SelectedPage(), rig.station.FindPage(7, 0));
    rig.Reply({0x42});
    rig.Reply({0x42});
    EXPECT_EQ(rig.Entry(7, 0).missCount, 2);
    EXPECT_EQ(rig.Entry(5, 0).missCount, 0);
    rig.Reply({0x42, 0x05, 0xDC, 0x07, 0xD0, 0x00, 0x64, 0x01, 0xF4, 0x01});
    EXPECT_EQ(rig.Entry(7, 0).missCount, 0);
    EXPECT_EQ(rig.station.FindPage(7, 0)->state.voltMeas, 1500);
}

// Three values whose last two are the CRC of the first: the checksum holds, but nothing is
// left after the address. Logged and counted as bad data, never read past its end.
TEST(ReplyIntake, RtuReplyOfAddressAndChecksumOnlyIsBadData) {
    RtuRig rig;
    rig.Reply({15, 255, 68});
    EXPECT_EQ(rig.LastLine(), "Считали неполные данные от устройства #15, игнорируем: 15 255 68");
    EXPECT_EQ(rig.Entry(15, 0).missCount, 1);
    for (int i = 0; i < MISSES_TO_DISCONNECT - 1; ++i)
        rig.Reply({15, 255, 68});
    EXPECT_FALSE(rig.Page15().state.online);
    EXPECT_EQ(rig.Entry(15, 0).state, PollState::Unknown);
}

// One reply, however much it changes, reaches the window as one call per kind of change.
TEST(ReplyIntake, OneReplyIsOneNotificationOfEachKind) {
    RtuRig rig;
    rig.ReplyRtu({15, 0x41, 0x03, 0x10, 0x68, 0x05, 0xDC, 0x00, 0x0C, 0x4E, 0x03, 0xE8, 0x01});
    rig.listener = {};
    // Module data that brings the second channel: a page is added, both pages change, the
    // tabs, the layout and the menu too, and the log gets its line.
    rig.ReplyRtu({15, 0x44, 6, 0x95, 0x01, 0xF4, 0x02, 0x58, 0x00, 0x0A, 0x00, 0x14, 0x01});
    EXPECT_EQ(rig.listener.added, 1);
    EXPECT_EQ(rig.listener.changed, 2) << "#15 and #15_2, each once";
    EXPECT_EQ(rig.listener.tabs, 1);
    EXPECT_EQ(rig.listener.layouts, 1);
    EXPECT_EQ(rig.listener.menus, 1);
    EXPECT_EQ(rig.listener.logs, 1);
}

} // namespace
} // namespace rir
