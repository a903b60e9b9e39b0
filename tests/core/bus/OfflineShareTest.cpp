// The supplies that are gone (five misses in a row) share one poll cycle in five while any
// supply answers, and have every cycle when none does.
#include "bus/PollList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PollRig.h"

namespace rir {
namespace {

using Bus = test::PollRig;

TEST(PollEntry, FiveMissesMakeASupplyOfflineUntilItAnswers) {
    PollEntry e;
    e.address = 15;
    e.state = PollState::Complete;
    EXPECT_FALSE(e.offline) << "a new supply is asked like the others until it has missed five";
    for (int i = 1; i < MISSES_TO_DISCONNECT; ++i) {
        CountMiss(e);
        EXPECT_FALSE(e.offline) << i;
    }
    EXPECT_TRUE(CountMiss(e));
    EXPECT_TRUE(e.offline);
    EXPECT_EQ(e.state, PollState::Unknown);
    CountMiss(e); // still silent in its turns
    EXPECT_TRUE(e.offline);
    ClearMisses(e);
    EXPECT_FALSE(e.offline);
    EXPECT_EQ(e.missCount, 0);
    // The port lost and back: every supply is identified afresh, none counts as gone for that.
    SendBackToIdentification(e);
    EXPECT_FALSE(e.offline);
}

TEST(ChooseRequest, OfflineSuppliesTakeOneCycleInFiveInTurnWhileAnySupplyAnswers) {
    Bus bus;
    bus.Add(1, 0, PollState::Complete);
    for (int a : {2, 3, 4})
        bus.Add(a, 0, PollState::Complete);
    bus.Add(5, 0, PollState::Complete);
    for (int a : {2, 3, 4})
        bus.GoOffline(a);
    // Supplies 1 and 5 answer and alternate measurements and module data; every fifth cycle asks
    // the next gone supply to identify itself, 2, 3, 4 and round again.
    EXPECT_EQ(bus.Cycles(20), (std::vector<std::string>{"1:B", "5:B", "1:D", "5:D", "2:A", //
                                                        "1:B", "5:B", "1:D", "5:D", "3:A", //
                                                        "1:B", "5:B", "1:D", "5:D", "4:A", //
                                                        "1:B", "5:B", "1:D", "5:D", "2:A"}));
}

TEST(ChooseRequest, WithNoSupplyAnsweringTheOfflineOnesHaveEveryCycle) {
    Bus bus;
    for (int a : {7, 8, 9})
        bus.Add(a, 0, PollState::Complete);
    for (int a : {7, 8, 9})
        bus.GoOffline(a);
    EXPECT_EQ(bus.Cycles(6), (std::vector<std::string>{"7:A", "8:A", "9:A", "7:A", "8:A", "9:A"}));
}

TEST(ChooseRequest, ASupplyThatAnswersItsTurnIsPolledWithTheOthersAtOnce) {
    Bus bus;
    bus.Add(1, 0, PollState::Complete);
    bus.Add(2, 0, PollState::Complete);
    bus.Add(3, 0, PollState::Complete);
    bus.GoOffline(2);
    bus.GoOffline(3);
    EXPECT_EQ(bus.Cycles(5), (std::vector<std::string>{"1:B", "1:D", "1:B", "1:D", "2:A"}));
    // Supply 2 was switched on: its identification comes back, as reply intake and decoding take it.
    ClearMisses(bus.At(2));
    bus.At(2).state = PollState::Identified;
    // It is polled in the very next cycle, where the walk stood, and the gone supply 3 keeps
    // its turn.
    EXPECT_EQ(bus.Cycles(10), (std::vector<std::string>{"2:B", "1:B", "2:D", "1:D", "3:A", //
                                                        "2:B", "1:B", "2:D", "1:D", "3:A"}));
}

TEST(ChooseRequest, AGoneSupplysSecondChannelWaitsWithItAndDeletedEntriesStillGo) {
    Bus bus;
    bus.Add(1, 0, PollState::Complete);
    bus.Add(4, 0, PollState::Complete);
    bus.Add(4, 1, PollState::Unknown); // its channel B, not identified yet
    bus.Add(6, 0, PollState::Complete);
    bus.GoOffline(4);
    MarkDeleted(bus.list, 6, 0);
    // The deleted entry costs its one empty cycle and is purged at the end of the pass; the
    // second channel of the gone supply would only ask the same silent address.
    EXPECT_EQ(bus.Cycles(11), (std::vector<std::string>{"1:B", "-", "1:D", "1:B", "1:D", "4:A", //
                                                        "1:B", "1:D", "1:B", "1:D", "4:A"}));
    EXPECT_EQ(bus.list.size(), 3u);
}

TEST(ChooseRequest, CommandsStillGoFirstAndOfflineTurnsCountOnlyPolls) {
    Bus bus;
    bus.Add(1, 0, PollState::Complete);
    bus.Add(2, 0, PollState::Complete);
    bus.GoOffline(2);
    EXPECT_EQ(bus.Cycles(2), (std::vector<std::string>{"1:B", "1:D"}));
    AppendCommand(bus.queue, std::vector<int>{2, FC_CONTROL, 8, 0, 0, 0, 0});
    // A command to a gone supply goes out as any command does (three times unacknowledged).
    EXPECT_EQ(bus.Cycles(7), (std::vector<std::string>{"2:67", "2:67", "2:67", "1:B", "1:D", "2:A", "1:B"}));
}

TEST(ChooseRequest, EveryOfflineSupplyOfAFullBusGetsItsTurn) {
    Bus bus;
    bus.Add(1, 0, PollState::Complete);
    for (int a = 2; a <= 127; ++a) {
        bus.Add(a, 0, PollState::Complete);
        bus.GoOffline(a);
    }
    std::vector<int> asked;
    for (int i = 0; i < 5 * 126; ++i) {
        const RequestChoice c = bus.Cycle();
        ASSERT_GE(c.request.size(), 2u);
        if (c.request[0] != 1) {
            EXPECT_EQ(c.request[1], FC_IDENTIFY);
            asked.push_back(c.request[0]);
        }
    }
    ASSERT_EQ(asked.size(), 126u) << "one cycle in five";
    for (int a = 2; a <= 127; ++a)
        EXPECT_EQ(asked[static_cast<std::size_t>(a - 2)], a) << "in list order, each once";
}

} // namespace
} // namespace rir
