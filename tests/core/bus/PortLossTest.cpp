// The bus thread when its port fails: a lost port is closed and said once, a refused one is
// said once per reason, the retries come once a second and stop or a port change ends their
// wait, and nothing goes out while the port is away.
#include "bus/BusThread.h"

#include <gtest/gtest.h>

#include "FakeBus.h"

namespace rir {
namespace {

using test::BusRig;
using Note = BusNote;

const Note STARTED{BusNote::Started};
const Note OPENED{BusNote::PortOpened};
const Note LOST{BusNote::PortLost};
const Note REFUSED{BusNote::PortRefused};
const Note SENT{BusNote::Sent};
const Note DONE{BusNote::CycleDone};

const PortError IO_ERROR{PortErrorKind::Removed, "Input/output error"};
const PortError NOT_FOUND{PortErrorKind::NotFound, "No such file or directory"};

void SetUpRtu(BusRig& rig) {
    rig.state.framing = Framing::Rtu;
    rig.state.speedIndex = DEFAULT_SPEED_INDEX;
    AddEntry(rig.shared.pollList, 15, 0);
    rig.gateRetries = true;
}

// Notes that are already there, without waiting for more.
std::vector<Note> NotesSoFar(BusRig& rig) {
    std::vector<Note> notes;
    Note n;
    while (rig.notes.Pop(n, std::chrono::milliseconds(0)))
        notes.push_back(n);
    return notes;
}

std::size_t Count(const std::vector<int>& sleeps, int ms) {
    return static_cast<std::size_t>(std::count(sleeps.begin(), sleeps.end(), ms));
}

struct LossCase {
    const char* name;
    bool duringWrite;
    int bytesBeforeFailure; // during the read: -1 at once, else after this many reply bytes
};

TEST(PortLoss, AFailedCycleClosesThePortSaysWhyOnceAndNothingGoesOutUntilItIsBack) {
    const LossCase cases[] = {
        {"write", true, -1},
        {"read", false, -1},
        {"read, in the middle of a reply", false, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BusRig rig;
        SetUpRtu(rig);
        rig.port.answer = [&rig, &c](const std::vector<std::uint8_t>&) {
            // The reply starts; then the adapter is pulled and the device node goes with it.
            rig.port.readsFail = c.bytesBeforeFailure < 0;
            rig.port.bytesBeforeFailure = c.bytesBeforeFailure;
            rig.port.refuseOpens = true;
            return std::vector<std::uint8_t>{0x0F, 0x41, 0x02, 0x0F, 0x3C, 0x05, 0xDC, 0x00};
        };
        rig.port.writesFail = c.duringWrite;
        if (c.duringWrite)
            rig.port.refuseOpens = false; // opened once; refused from the next attempt
        rig.Start();
        EXPECT_EQ(rig.notes.Next(), STARTED);
        EXPECT_EQ(rig.notes.Next(), OPENED);
        EXPECT_EQ(rig.TakePortEvent().note, BusNote::PortOpened);
        if (c.duringWrite) {
            rig.port.With([&] { return rig.port.refuseOpens = true; });
        } else {
            EXPECT_EQ(rig.notes.Next(), SENT) << "the request went out whole";
            EXPECT_EQ(rig.state.requestsSent.load(), 1);
        }
        EXPECT_EQ(rig.notes.Next(), LOST);
        EXPECT_EQ(rig.TakePortEvent(), (PortEvent{BusNote::PortLost, "COM3", IO_ERROR}));
        EXPECT_EQ(rig.notes.Next(), DONE) << "the cycle still ends, so the window gives its go-ahead";
        EXPECT_TRUE(rig.Reply().empty()) << "nothing of a broken cycle is a reply";
        EXPECT_EQ(rig.port.With([&] { return rig.port.closes; }), 1);
        if (c.duringWrite) {
            EXPECT_EQ(rig.state.requestsSent.load(), 0) << "a request that never went out is not counted";
            EXPECT_TRUE(rig.TakeSentText().empty());
        }

        // Away: the go-ahead comes, and every second one attempt to open, and nothing else.
        rig.eStart.Set();
        ASSERT_TRUE(rig.WaitForRetryPauses(1));
        const std::size_t wire = rig.port.With([&] { return rig.port.wire.size(); });
        for (std::size_t i = 1; i <= 3; ++i) {
            rig.ReleaseRetry();
            ASSERT_TRUE(rig.WaitForRetryPauses(i + 1));
        }
        EXPECT_EQ(rig.port.With([&] { return rig.port.openAttempts.size(); }), 4u);
        EXPECT_EQ(rig.port.With([&] { return rig.port.wire.size(); }), wire);
        EXPECT_TRUE(NotesSoFar(rig).empty()) << "the loss has been said; its refusals are not news";
        const std::vector<int> sleeps = rig.Sleeps();
        EXPECT_EQ(Count(sleeps, OPEN_RETRY_PAUSE_MS), 4u);
        EXPECT_EQ(OPEN_RETRY_PAUSE_MS, 1000);

        // Back: it opens, says so, and the next go-ahead's cycle runs at once.
        rig.port.With([&] {
            rig.port.refuseOpens = false;
            rig.port.readsFail = false;
            rig.port.writesFail = false;
            rig.port.answer = nullptr;
            return true;
        });
        rig.ReleaseRetry();
        EXPECT_EQ(rig.notes.Next(), OPENED);
        EXPECT_EQ(rig.TakePortEvent(), (PortEvent{BusNote::PortOpened, "COM3", {}}));
        EXPECT_EQ(rig.notes.Next(), SENT);
        EXPECT_EQ(rig.notes.Next(), DONE);
        EXPECT_EQ(rig.End(), CycleEnd::NoReply) << "a silent supply again, not a dead port";
    }
}

TEST(PortLoss, ARefusalIsSaidOncePerReasonAndEachAttemptWaitsASecond) {
    BusRig rig;
    SetUpRtu(rig);
    rig.port.refuseOpens = true;
    rig.port.openError = {PortErrorKind::NoPermission, "Permission denied"};
    rig.Start();
    EXPECT_EQ(rig.notes.Next(), STARTED);
    EXPECT_EQ(rig.notes.Next(), REFUSED);
    EXPECT_EQ(rig.TakePortEvent(), (PortEvent{BusNote::PortRefused, "COM3", rig.port.openError}));
    for (std::size_t i = 1; i <= 5; ++i) {
        ASSERT_TRUE(rig.WaitForRetryPauses(i));
        rig.ReleaseRetry();
    }
    ASSERT_TRUE(rig.WaitForRetryPauses(6));
    EXPECT_TRUE(NotesSoFar(rig).empty()) << "the same refusal again is not repeated";
    EXPECT_EQ(rig.Sleeps(), std::vector<int>(6, OPEN_RETRY_PAUSE_MS)) << "no attempt without its pause";

    // Another reason is news; then the port opens.
    rig.port.With([&] { return rig.port.openError = {PortErrorKind::Busy, "Device or resource busy"}; });
    rig.ReleaseRetry();
    EXPECT_EQ(rig.notes.Next(), REFUSED);
    EXPECT_EQ(rig.TakePortEvent().error.kind, PortErrorKind::Busy);
    rig.port.With([&] { return rig.port.refuseOpens = false; });
    rig.ReleaseRetry();
    EXPECT_EQ(rig.notes.Next(), OPENED);
    EXPECT_EQ(rig.notes.Next(), SENT);
}

TEST(PortLoss, APortChangeEndsTheWaitAndTheNewPortsRefusalIsNews) {
    BusRig rig;
    SetUpRtu(rig);
    rig.gateRetries = false;
    rig.context.sleep = nullptr;         // the real pauses
    rig.context.openRetryMs = 3'600'000; // an hour: only the port change can end this one
    rig.shared.portList = {"COM3", "COM5", "COM7"};
    rig.port.refuseOpens = true;
    rig.Start();
    EXPECT_EQ(rig.notes.Next(), STARTED);
    EXPECT_EQ(rig.notes.Next(), REFUSED);
    EXPECT_EQ(rig.TakePortEvent().port, "COM3");

    // Refused in the same way, but chosen by the operator: said again.
    rig.state.portIndex = 1;
    RequestReopen(rig.state, rig.eStart);
    EXPECT_EQ(rig.notes.Next(), REFUSED);
    EXPECT_EQ(rig.TakePortEvent(), (PortEvent{BusNote::PortRefused, "COM5", NOT_FOUND}));

    rig.port.With([&] { return rig.port.refuseOpens = false; });
    rig.state.portIndex = 2;
    RequestReopen(rig.state, rig.eStart);
    EXPECT_EQ(rig.notes.Next(), OPENED);
    EXPECT_EQ(rig.TakePortEvent().port, "COM7");
    EXPECT_FALSE(rig.state.reopenRequested.load()) << "honoured by the attempt it ended the wait for";
    EXPECT_EQ(rig.port.With([&] { return rig.port.openAttempts; }),
              (std::vector<std::string>{"COM3", "COM5", "COM7"}));
}

TEST(PortLoss, AStopEndsTheWaitBetweenAttempts) {
    BusRig rig;
    SetUpRtu(rig);
    rig.gateRetries = false;
    rig.context.sleep = nullptr;
    rig.context.openRetryMs = 3'600'000;
    rig.port.refuseOpens = true;
    rig.Start();
    EXPECT_EQ(rig.notes.Next(), STARTED);
    EXPECT_EQ(rig.notes.Next(), REFUSED);
    RequestBusStop(rig.context);
    rig.thread.join(); // within the hour only because the stop ends the pause
    EXPECT_EQ(rig.port.With([&] { return rig.port.openAttempts.size(); }), 1u);
}

TEST(AutoResetEvent, ANudgeEndsAPauseWhoseConditionHolds) {
    AutoResetEvent e(false);
    std::atomic<bool> changed{false};
    std::atomic<bool> cancelled{true};
    std::thread sleeper(
        [&] { cancelled = e.SleepUnlessCancelled(3'600'000, [&] { return changed.load(); }); });
    e.Nudge(); // nothing changed yet: the pause goes on (or has not begun)
    changed = true;
    e.Nudge();
    sleeper.join();
    EXPECT_FALSE(cancelled.load()) << "ended early, not stopped";
    EXPECT_FALSE(e.IsSet()) << "the go-ahead is untouched";
}

} // namespace
} // namespace rir
