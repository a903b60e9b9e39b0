#include "bus/BusThread.h"

#include <gtest/gtest.h>

#include "FakeBus.h"
#include "bus/FrameCodec.h"
#include "device/Requests.h"

namespace rir {
namespace {

using test::BusRig;
using Writes = std::vector<std::pair<std::uint32_t, int>>;

const BusNote STARTED{BusNote::Started};
const BusNote SENT{BusNote::Sent};
const BusNote EMPTY{BusNote::EmptyList};
const BusNote OPENED{BusNote::PortOpened};
const BusNote DONE{BusNote::CycleDone};

void SetUpBus(BusRig& rig, bool ascii, bool rs232, int address = 15) {
    rig.state.framing = rs232 ? Framing::Rs232 : ascii ? Framing::Ascii : Framing::Rtu;
    rig.state.speedIndex = 6;
    AddEntry(rig.shared.pollList, address, 0);
}

TEST(PortPath, ComNumbersFromTenGetThePrefix) {
    EXPECT_EQ(PortPath("COM9"), "COM9");
    EXPECT_EQ(PortPath("COM10"), "\\\\.\\COM10");
    EXPECT_EQ(PortPath("COM12"), "\\\\.\\COM12");
    EXPECT_EQ(PortPath("COM1"), "COM1");
    EXPECT_EQ(PortPath("/dev/ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(PortPath("/tmp/rir-sim"), "/tmp/rir-sim");
    EXPECT_EQ(PortPath("COMCOM15"), "\\\\.\\COMCOM15");
}

TEST(AutoResetEvent, TwoSetsReleaseOneWait) {
    AutoResetEvent e(false);
    e.Set();
    e.Set();
    EXPECT_TRUE(e.Wait());
    EXPECT_FALSE(e.IsSet());
    std::thread waiter([&] { EXPECT_FALSE(e.Wait()); });
    e.Cancel();
    waiter.join();
}

TEST(AutoResetEvent, CreatedSignalledReleasesTheFirstWait) {
    AutoResetEvent e(true);
    EXPECT_TRUE(e.Wait());
    EXPECT_FALSE(e.IsSet());
}

struct FramingCase {
    bool ascii, rs232;
    Writes writes;
    std::string sentText;
    LineSettings line;
};

TEST(BusThread, FirstCycleWritesIdentifyByteByByteInEachFraming) {
    const FramingCase cases[] = {
        {false,
         false,
         {{0x0F, 1}, {0x41, 1}, {0x01, 1}, {0x53B0, 2}},
         "Отправили в порт:  15 65 1 176 83",
         {9600, 8, Parity::None, 1}},
        {true,
         false,
         {{':', 1},
          {'0', 1},
          {'F', 1},
          {'4', 1},
          {'1', 1},
          {'0', 1},
          {'1', 1},
          {'A', 1},
          {'F', 1},
          {0x0D, 1},
          {0x0A, 1}},
         "Отправили в порт:  15 65 1",
         {9600, 7, Parity::None, 2}},
        {true, true, {{0x41, 1}, {0x01, 1}}, "Отправили в порт:  65 1", {9600, 8, Parity::Even, 1}},
    };
    for (const auto& c : cases) {
        BusRig rig;
        SetUpBus(rig, c.ascii, c.rs232);
        rig.Start();
        EXPECT_EQ(rig.notes.Next(), STARTED);
        EXPECT_EQ(rig.notes.Next(), OPENED);
        EXPECT_EQ(rig.TakePortEvent(), (PortEvent{BusNote::PortOpened, "COM3", {}}));
        EXPECT_EQ(rig.notes.Next(), SENT);
        EXPECT_EQ(rig.TakeSentText(), c.sentText);
        EXPECT_EQ(rig.notes.Next(), DONE);
        EXPECT_EQ(rig.port.With([&] { return rig.port.writes; }), c.writes);
        EXPECT_EQ(rig.End(), CycleEnd::NoReply);
        EXPECT_TRUE(rig.Reply().empty()) << "no reply, no values";
        EXPECT_EQ(rig.port.With([&] { return rig.port.settings.back(); }), c.line);
        EXPECT_EQ(rig.port.With([&] { return rig.port.readTimeouts.back(); }), std::make_pair(50, 10));
        EXPECT_EQ(rig.port.With([&] { return rig.port.reads; }), 2) << "a silent supply costs two reads";
        EXPECT_EQ(rig.state.requestsSent.load(), 1);
        EXPECT_EQ(rig.Sleeps(), std::vector<int>{SETTLE_AFTER_OPEN_MS});
    }
}

TEST(BusThread, ReplyIsCollectedWholeUntilSilence) {
    BusRig rig;
    SetUpBus(rig, false, false);
    const std::vector<std::uint8_t> answer{0x0F, 0x41, 2, 0x0F, 0x3C, 5,    0xDC, 0,
                                           5,    0xDC, 3, 0xE8, 0,    0x12, 0x34};
    rig.port.answer = [&](const std::vector<std::uint8_t>&) { return answer; };
    rig.Start();
    ASSERT_TRUE(rig.notes.WaitFor(DONE));
    const ReplyBuffer reply = rig.Reply();
    EXPECT_EQ(reply, ReplyBuffer(answer.begin(), answer.end()));
}

TEST(BusThread, TheLineIsClearedOnOpeningAndAfterAReplyThatDoesNotAnswerItsRequest) {
    // A reply left on the line by a station that was killed, then: a whole answer, another
    // address's frame, a whole answer again. Each request is 5 bytes on the wire (RTU identify).
    BusRig rig;
    SetUpBus(rig, false, false);
    const auto identifyFrom = [](int address) {
        return EncodeRequest(Framing::Rtu,
                             std::vector<std::uint8_t>{static_cast<std::uint8_t>(address), 0x41, 2, 0x0F,
                                                       0x3C, 0, 0xDC, 0, 5, 0xDC, 3, 0xE8, 0});
    };
    int cycle = 0;
    rig.port.answer = [&](const std::vector<std::uint8_t>&) { return identifyFrom(++cycle == 2 ? 7 : 15); };
    rig.port.Leave(identifyFrom(9));
    rig.Start();
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(rig.notes.WaitFor(DONE)) << i;
        if (i == 0) {
            const std::vector<std::uint8_t> first = identifyFrom(15);
            EXPECT_EQ(rig.Reply(), ReplyBuffer(first.begin(), first.end())) << "the stale reply is gone";
        }
        rig.eStart.Set();
    }
    const auto quiet = QuietGap(LineSettingsFor(Framing::Rtu, 9600));
    using Discard = std::pair<std::size_t, std::chrono::microseconds>;
    EXPECT_EQ(rig.port.With([&] { return rig.port.discards; }),
              (std::vector<Discard>{{0, quiet}, {10, quiet}}))
        << "before the first request, and before the one after the other address's frame only";
}

TEST(BusThread, EndlessChatterIsCutOff) {
    BusRig rig;
    SetUpBus(rig, false, false);
    rig.port.answer = [](const std::vector<std::uint8_t>&) { return std::vector<std::uint8_t>(5000, 0x55); };
    rig.Start();
    ASSERT_TRUE(rig.notes.WaitFor(DONE));
    EXPECT_EQ(rig.Reply().size(), MAX_REPLY_VALUES);
}

TEST(BusThread, EachGoAheadReleasesOneCycle) {
    BusRig rig;
    SetUpBus(rig, false, false);
    rig.Start();
    ASSERT_TRUE(rig.notes.WaitFor(DONE));
    rig.TakeSentText();
    rig.eStart.Set();
    ASSERT_TRUE(rig.notes.WaitFor(DONE));
    EXPECT_EQ(rig.state.requestsSent.load(), 2);
    // The identify poll repeats every pass while the supply is unknown.
    EXPECT_EQ(rig.TakeSentText(), "Отправили в порт:  15 65 1 176 83");
}

TEST(BusThread, EmptyPollListSendsNothingAndSaysSo) {
    BusRig rig;
    rig.Start();
    EXPECT_EQ(rig.notes.Next(), STARTED);
    EXPECT_EQ(rig.notes.Next(), OPENED);
    EXPECT_EQ(rig.notes.Next(), EMPTY);
    EXPECT_EQ(rig.notes.Next(), DONE);
    EXPECT_TRUE(rig.port.With([&] { return rig.port.writes.empty(); }));
    EXPECT_TRUE(rig.Reply().empty());
}

struct PauseCase {
    bool ascii, rs232;
    std::vector<int> command;
    bool pause;
    bool reidentify;
};

TEST(BusThread, SettlePauseAfterSwitchOffAndModuleChange) {
    const PauseCase cases[] = {
        {false, false, {15, FC_CONTROL, 0x08, 0, 0, 0, 0}, true, false},
        {true, false, {15, FC_CONTROL, 0x08, 0, 0, 0, 0}, true, false},
        {false, false, {15, FC_CONTROL, 0x09, 0, 0, 0, 0}, false, false}, // switch-on
        {false, false, {15, FC_CONTROL, 0x0F, 0, 0, 0, 0}, false, false}, // program step, output on
        {false, false, {15, FC_CONTROL, 0x0E, 0, 0, 0, 0}, true, false},  // program step, output off
        {false, false, {15, FC_CONTROL, 0x0C, 0, 0, 0, 0}, true, false},  // limits + switch-off
        {false, false, {15, FC_EXTENDED, 0x81, 1, 0, 0, 0, 0}, true, true},
        {false, false, {15, FC_EXTENDED, 0x01, 1, 0, 0, 0, 0}, false, false},
        {true, true, {FC_CONTROL, 0x08, 0, 0, 0, 0}, false, false}, // no such rule on RS-232
    };
    for (const auto& c : cases) {
        BusRig rig;
        SetUpBus(rig, c.ascii, c.rs232);
        // Queue the command for the second cycle: the queue is emptied when the port opens.
        rig.Start();
        ASSERT_TRUE(rig.notes.WaitFor(DONE));
        EnqueueCommand(rig.shared, c.command, EffectsOf(c.command));
        rig.eStart.Set();
        ASSERT_TRUE(rig.notes.WaitFor(DONE));
        std::optional<QueuedCommand> acknowledged;
        {
            std::lock_guard<BusLock> hold(rig.shared.lock);
            acknowledged = rig.shared.requestQueue.TakeHead(); // as its acknowledgement would
        }
        ASSERT_TRUE(acknowledged.has_value());
        rig.eStart.Set(); // a third cycle proves the pause, if any, came after the second
        ASSERT_TRUE(rig.notes.WaitFor(DONE));
        std::vector<int> expected{SETTLE_AFTER_OPEN_MS};
        if (c.pause)
            expected.push_back(SETTLE_AFTER_SWITCH_MS);
        EXPECT_EQ(rig.Sleeps(), expected) << c.command[1] << " " << c.command[2];
        EXPECT_EQ(acknowledged->effects.reidentifies, c.reidentify);
    }
}

TEST(BusThread, QueuedCommandPreemptsThePollAndIsRepeated) {
    BusRig rig;
    SetUpBus(rig, false, false);
    rig.Start();
    ASSERT_TRUE(rig.notes.WaitFor(DONE));
    EnqueueCommand(rig.shared, std::vector<int>{15, FC_CONTROL, 2, 0x05, 0xDC, 0, 0});
    rig.TakeSentText();
    for (int i = 0; i < 3; ++i) {
        rig.eStart.Set();
        ASSERT_TRUE(rig.notes.WaitFor(DONE));
        const std::string text = rig.TakeSentText();
        EXPECT_EQ(text.rfind("Отправили в порт:  15 67 2 5 220 0 0 ", 0), 0u) << text;
    }
    rig.eStart.Set();
    ASSERT_TRUE(rig.notes.WaitFor(DONE));
    EXPECT_EQ(rig.TakeSentText(), "Отправили в порт:  15 65 1 176 83") << "dropped after three sends";
}

TEST(BusThread, ReopenAppliesPendingProtocolAndEmptiesQueue) {
    BusRig rig;
    SetUpBus(rig, true, false);
    rig.Start();
    ASSERT_TRUE(rig.notes.WaitFor(DONE));
    EnqueueCommand(rig.shared, std::vector<int>{15, FC_CONTROL, 8, 0, 0, 0, 0});
    rig.state.SetPendingFraming(Framing::Rs232);
    rig.state.speedIndex = 8;
    rig.state.reopenRequested = true;
    rig.state.timerTicks = 77;
    rig.state.requestsSent = 50;
    // The reopen comes between cycles, never inside one: run cycles until it has happened,
    // then one more on the new connection.
    for (int i = 0; i < 3 && rig.port.With([&] { return rig.port.opens; }) < 2; ++i) {
        rig.eStart.Set();
        ASSERT_TRUE(rig.notes.WaitFor(DONE));
    }
    rig.TakeSentText();
    rig.eStart.Set();
    ASSERT_TRUE(rig.notes.WaitFor(DONE));
    EXPECT_EQ(rig.port.With([&] { return rig.port.closes; }), 1);
    EXPECT_EQ(rig.port.With([&] { return rig.port.opens; }), 2);
    EXPECT_EQ(rig.port.With([&] { return rig.port.settings.back(); }),
              (LineSettings{19200, 8, Parity::Even, 1}));
    EXPECT_EQ(rig.port.With([&] { return rig.port.readTimeouts.back(); }), std::make_pair(30, 10));
    EXPECT_EQ(rig.state.framing.load(), Framing::Rs232);
    EXPECT_FALSE(rig.state.pendingFraming().has_value());
    EXPECT_FALSE(rig.state.reopenRequested.load());
    EXPECT_LT(rig.state.timerTicks.load(), 77);
    EXPECT_LE(rig.state.requestsSent.load(), 2) << "counted afresh since the reopen";
    {
        std::lock_guard<BusLock> hold(rig.shared.lock);
        EXPECT_TRUE(rig.shared.requestQueue.empty());
    }
    EXPECT_EQ(rig.TakeSentText(), "Отправили в порт:  65 1");
}

TEST(BusThread, PortThatCannotOpenIsRetriedWithAPause) {
    BusRig rig;
    SetUpBus(rig, false, false);
    rig.port.failOpens = 3;
    rig.shared.portList = {"COM12"};
    rig.Start();
    ASSERT_TRUE(rig.notes.WaitFor(DONE));
    EXPECT_EQ(rig.Sleeps(), (std::vector<int>{OPEN_RETRY_PAUSE_MS, OPEN_RETRY_PAUSE_MS, OPEN_RETRY_PAUSE_MS,
                                              SETTLE_AFTER_OPEN_MS}));
    const auto attempts = rig.port.With([&] { return rig.port.openAttempts; });
    ASSERT_EQ(attempts.size(), 4u);
    EXPECT_EQ(attempts[0], "\\\\.\\COM12");
}

TEST(BusThread, StopEndsAThreadThatCannotOpenItsPort) {
    BusState state;
    BusShared shared;
    AutoResetEvent eStart(true);
    test::NoteQueue notes;
    test::FakeSerialPort port;
    port.failOpens = 1 << 30;
    shared.portList = {"COM1"};
    BusContext context{state, shared, eStart, notes, port, nullptr}; // real, cancellable sleeps
    std::thread t([&] { BusThreadProc(context); });
    EXPECT_EQ(notes.Next(), STARTED);
    RequestBusStop(context);
    t.join(); // returns within one retry pause, not after the thousands of attempts left
    EXPECT_LT(port.With([&] { return port.openAttempts.size(); }), 100u);
}

TEST(BusThread, StopEndsAThreadWaitingForTheGoAhead) {
    BusRig rig;
    SetUpBus(rig, false, false);
    rig.Start();
    ASSERT_TRUE(rig.notes.WaitFor(DONE));
    RequestBusStop(rig.context);
    rig.thread.join();
    EXPECT_EQ(rig.port.With([&] { return rig.port.closes; }), 1) << "the port is closed on the way out";
}

TEST(BusThread, PortIndexOutOfRangeIsTreatedAsUnopenable) {
    BusRig rig;
    SetUpBus(rig, false, false);
    rig.state.portIndex = 5;
    rig.context.sleep = [&](int ms) {
        std::lock_guard<std::mutex> hold(rig.sleepLock);
        rig.sleeps.push_back(ms);
        rig.state.portIndex = 0; // the operator picks an existing port meanwhile
        return rig.eStart.Cancelled();
    };
    rig.Start();
    ASSERT_TRUE(rig.notes.WaitFor(DONE));
    EXPECT_EQ(rig.port.With([&] { return rig.port.openAttempts.size(); }), 1u);
    EXPECT_EQ(rig.Sleeps(), (std::vector<int>{OPEN_RETRY_PAUSE_MS, SETTLE_AFTER_OPEN_MS}));
}

} // namespace
} // namespace rir
