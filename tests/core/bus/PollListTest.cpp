#include "bus/PollList.h"

#include <gtest/gtest.h>

#include "QueuedCommands.h"

#include <atomic>
#include <thread>

namespace rir {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Bus {
    PollList list;
    RequestQueue queue;
    PollCursor cursor;
    bool rs232 = false;

    // One bus cycle as the bus thread runs it: choose, then end the cycle.
    RequestChoice Cycle() {
        RequestChoice c = ChooseRequest(list, queue, cursor, rs232);
        EndOfCycle(list, cursor);
        return c;
    }
};

TEST(ChooseRequest, UnansweredCommandGoesThreeTimesThenIsDropped) {
    Bus bus;
    AddEntry(bus.list, 15, 0);
    AppendCommand(bus.queue, std::vector<int>{15, 0x43, 8, 0, 0, 0, 0});
    const Bytes command{15, 0x43, 8, 0, 0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        const auto c = bus.Cycle();
        EXPECT_EQ(c.request, command) << "send " << i + 1;
        EXPECT_TRUE(c.fromQueue);
    }
    const auto fourth = bus.Cycle();
    EXPECT_EQ(fourth.request, (Bytes{15, FC_IDENTIFY, 1}));
    EXPECT_TRUE(bus.queue.empty());
}

TEST(ChooseRequest, EachQueuedCommandGetsItsOwnThreeSends) {
    // Commands alike in address and function (four quick settings of one limit), and commands
    // whose address times function is the same number (65 x 66, 66 x 65): each is sent until
    // acknowledged, up to three times of its own, and none is dropped unsent.
    struct Case {
        const char* name;
        std::vector<std::vector<int>> commands;
    };
    const Case cases[] = {
        {"four settings of one limit",
         {{15, 0x43, 4, 0, 0, 0, 100},
          {15, 0x43, 4, 0, 0, 0, 200},
          {15, 0x43, 4, 0, 0, 0, 250},
          {15, 0x43, 4, 0, 0, 1, 44}}},
        {"the same key from another address", {{65, 66, 1}, {66, 65, 1}, {65, 66, 2}}},
    };
    for (const Case& c : cases) {
        Bus bus;
        AddEntry(bus.list, 15, 0);
        for (const auto& command : c.commands)
            ASSERT_TRUE(AppendCommand(bus.queue, command)) << c.name;
        for (const auto& command : c.commands) {
            const Bytes expected(command.begin(), command.end());
            // Unanswered twice, then acknowledged on the third send.
            for (int send = 1; send <= 3; ++send) {
                const auto choice = bus.Cycle();
                EXPECT_TRUE(choice.fromQueue) << c.name << ", send " << send;
                EXPECT_EQ(choice.request, expected) << c.name << ", send " << send;
            }
            RemoveHeadCommand(bus.queue);
        }
        EXPECT_TRUE(bus.queue.empty()) << c.name;
        EXPECT_FALSE(bus.Cycle().fromQueue) << c.name;
    }
}

TEST(ChooseRequest, APollBetweenCommandsRestartsTheCount) {
    Bus bus;
    AddEntry(bus.list, 15, 0);
    AppendCommand(bus.queue, std::vector<int>{15, 0x43, 2, 0, 100, 0, 0});
    bus.Cycle();
    bus.Cycle();
    RemoveHeadCommand(bus.queue);
    bus.Cycle(); // a poll
    AppendCommand(bus.queue, std::vector<int>{15, 0x43, 4, 0, 0, 0, 50});
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(bus.Cycle().fromQueue) << i;
}

TEST(ChooseRequest, CommandWithKeyZeroIsStillDroppedAfterThreeSends) {
    // RS-232 re-identification is queued with address 0, so its key is 0.
    Bus bus;
    bus.rs232 = true;
    AddEntry(bus.list, 15, 0);
    bus.Cycle(); // a poll first
    AppendCommand(bus.queue, std::vector<int>{0, FC_IDENTIFY, 1});
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(bus.Cycle().request, (Bytes{0, FC_IDENTIFY, 1})) << i;
    EXPECT_FALSE(bus.Cycle().fromQueue);
    EXPECT_TRUE(bus.queue.empty());
}

TEST(ChooseRequest, SilentSupplyIsAskedToIdentifyEveryPass) {
    Bus bus;
    AddEntry(bus.list, 15, 0);
    for (int pass = 0; pass < 12; ++pass) {
        EXPECT_EQ(bus.Cycle().request, (Bytes{15, FC_IDENTIFY, 1}));
        CountMiss(bus.list[0]);
        EXPECT_EQ(bus.list[0].state, PollState::Unknown);
        EXPECT_EQ(bus.list[0].missCount, (pass + 1) % 5);
    }
}

TEST(ChooseRequest, IdentifiedSupplyAlternatesUntilItRefusesModules) {
    Bus bus;
    AddEntry(bus.list, 15, 0);
    bus.list[0].state = PollState::Identified;
    EXPECT_EQ(bus.Cycle().request, (Bytes{15, FC_MEASURE}));
    EXPECT_EQ(bus.Cycle().request, (Bytes{15, FC_MODULES}));
    EXPECT_EQ(bus.Cycle().request, (Bytes{15, FC_MEASURE}));
    EXPECT_EQ(bus.Cycle().request, (Bytes{15, FC_MODULES}));
    bus.list[0].moduleDataAllowed = false; // exception 1 to the module poll
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(bus.Cycle().request, (Bytes{15, FC_MEASURE}));
}

TEST(ChooseRequest, Rs232PollsCarryNoAddress) {
    Bus bus;
    bus.rs232 = true;
    AddEntry(bus.list, 15, 0);
    EXPECT_EQ(bus.Cycle().request, (Bytes{FC_IDENTIFY, 1}));
    bus.list[0].state = PollState::Complete;
    EXPECT_EQ(bus.Cycle().request, (Bytes{FC_MEASURE}));
    EXPECT_EQ(bus.Cycle().request, (Bytes{FC_MODULES}));
}

TEST(ChooseRequest, SecondChannelIsIdentifiedWhileUnknownThenNeverPolled) {
    Bus bus;
    AddEntry(bus.list, 7, 1);
    EXPECT_EQ(bus.Cycle().request, (Bytes{7, FC_IDENTIFY, 1}));
    bus.list[0].state = PollState::Complete;
    const auto c = bus.Cycle();
    EXPECT_TRUE(c.request.empty());
    EXPECT_FALSE(c.pollListEmpty);
}

TEST(ChooseRequest, DeletionDuringAPass) {
    Bus bus;
    for (int a : {1, 2, 3, 4})
        AddEntry(bus.list, a, 0);
    EXPECT_EQ(bus.Cycle().request, (Bytes{1, FC_IDENTIFY, 1}));
    MarkDeleted(bus.list, 2, 0);
    const auto skipped = bus.Cycle();
    EXPECT_TRUE(skipped.request.empty());
    EXPECT_EQ(bus.list.size(), 4u) << "entries are purged only at the end of a pass";
    EXPECT_EQ(bus.Cycle().request, (Bytes{3, FC_IDENTIFY, 1}));
    EXPECT_EQ(bus.Cycle().request, (Bytes{4, FC_IDENTIFY, 1}));
    ASSERT_EQ(bus.list.size(), 3u);
    EXPECT_EQ(bus.list[0].address, 1);
    EXPECT_EQ(bus.list[1].address, 3);
    EXPECT_EQ(bus.list[2].address, 4);
    EXPECT_EQ(bus.Cycle().request, (Bytes{1, FC_IDENTIFY, 1}));
}

TEST(ChooseRequest, EmptyListAndQueueSendNothing) {
    Bus bus;
    for (int i = 0; i < 3; ++i) {
        const auto c = bus.Cycle();
        EXPECT_TRUE(c.request.empty());
        EXPECT_TRUE(c.pollListEmpty);
    }
}

TEST(ChooseRequest, CommandKeepsThePollPosition) {
    Bus bus;
    AddEntry(bus.list, 1, 0);
    AddEntry(bus.list, 2, 0);
    EXPECT_EQ(bus.Cycle().request[0], 1);
    AppendCommand(bus.queue, std::vector<int>{1, 0x43, 9, 0, 0, 0, 0});
    EXPECT_TRUE(bus.Cycle().fromQueue);
    RemoveHeadCommand(bus.queue);
    EXPECT_EQ(bus.Cycle().request[0], 2);
}

TEST(PollEntry, MissRuleAndFunctionAlternation) {
    PollEntry e;
    e.address = 15;
    e.state = PollState::Complete;
    e.nextFunction = FC_MODULES;
    for (int i = 1; i <= 4; ++i)
        EXPECT_FALSE(CountMiss(e)) << i;
    EXPECT_TRUE(CountMiss(e));
    EXPECT_EQ(e.state, PollState::Unknown);
    EXPECT_EQ(e.missCount, 0);
    EXPECT_EQ(e.nextFunction, FC_MEASURE);
    CountMiss(e);
    CountMiss(e);
    ClearMisses(e);
    EXPECT_EQ(e.missCount, 0);
}

TEST(PollList, AddFindMarkAndBounds) {
    PollList list;
    EXPECT_FALSE(AddEntry(list, 0, 0));
    EXPECT_FALSE(AddEntry(list, 128, 0));
    EXPECT_FALSE(AddEntry(list, 5, 2));
    EXPECT_TRUE(AddEntry(list, 5, 0));
    EXPECT_TRUE(AddEntry(list, 5, 1));
    EXPECT_EQ(FindEntry(list, 5, 1), 1);
    EXPECT_EQ(FindEntry(list, 5, 0), 0);
    EXPECT_EQ(FindEntry(list, 6, 0), -1);
    MarkDeleted(list, 5, 0);
    EXPECT_EQ(list[0].address, -1);
    EXPECT_EQ(FindEntry(list, 5, 0), -1);

    PollList full;
    for (int a = 1; a <= 127; ++a) {
        ASSERT_TRUE(AddEntry(full, a, 0));
        ASSERT_TRUE(AddEntry(full, a, 1));
    }
    EXPECT_EQ(LiveEntryCount(full), 254u);
    EXPECT_FALSE(AddEntry(full, 1, 0));
    MarkDeleted(full, 1, 0);
    EXPECT_TRUE(AddEntry(full, 1, 0)); // 255 entries, one of them deleted
    MarkDeleted(full, 2, 0);
    EXPECT_FALSE(AddEntry(full, 2, 0)) << "the 8-bit position must still reach the end of the list";
}

TEST(PollList, FullListWrapsAndPurges) {
    Bus bus;
    for (int a = 1; a <= 127; ++a) {
        AddEntry(bus.list, a, 0);
        AddEntry(bus.list, a, 1);
    }
    MarkDeleted(bus.list, 127, 1);
    AddEntry(bus.list, 127, 1); // 255 entries
    for (std::size_t i = 0; i < 255; ++i)
        bus.Cycle();
    EXPECT_EQ(bus.cursor.position, 0);
    EXPECT_EQ(bus.list.size(), 254u);
    EXPECT_EQ(bus.Cycle().request, (Bytes{1, FC_IDENTIFY, 1}));
}

TEST(RequestQueue, EnqueueValidatesAndRemoveHeadTakesOneCommand) {
    BusShared bus;
    EXPECT_FALSE(EnqueueCommand(bus, std::vector<int>{}));
    EXPECT_FALSE(EnqueueCommand(bus, std::vector<int>{15, 256}));
    EXPECT_FALSE(EnqueueCommand(bus, std::vector<int>{15, -1}));
    EXPECT_FALSE(EnqueueCommand(bus, std::vector<int>(256, 1)));
    EXPECT_TRUE(bus.requestQueue.empty());
    EXPECT_TRUE(EnqueueCommand(bus, std::vector<int>(255, 1)));
    EXPECT_TRUE(EnqueueCommand(bus, std::vector<int>{15, 0x45, 0}));
    RemoveHeadCommand(bus.requestQueue);
    EXPECT_EQ(test::CommandsOf(bus.requestQueue), (test::Commands{{15, 0x45, 0}}));
    RemoveHeadCommand(bus.requestQueue);
    EXPECT_TRUE(bus.requestQueue.empty());
    RemoveHeadCommand(bus.requestQueue); // harmless on an empty queue
    EXPECT_TRUE(bus.requestQueue.empty());
}

TEST(RequestQueue, ChooserNeverSeesAPartialCommand) {
    BusShared bus;
    AddEntry(bus.pollList, 15, 0);
    std::atomic<bool> done{false};
    std::thread producer([&] {
        std::vector<int> command(200);
        for (int i = 0; i < 2000; ++i) {
            for (std::size_t k = 0; k < command.size(); ++k)
                command[k] = (i + static_cast<int>(k)) & 0xFF;
            command[0] = 15;
            command[1] = FC_CONTROL;
            EnqueueCommand(bus, command);
        }
        done = true;
    });
    PollCursor cursor;
    int seen = 0;
    bool sawDone = false;
    while (!sawDone) {
        sawDone = done.load();
        std::lock_guard<BusLock> hold(bus.lock);
        const auto c = ChooseRequest(bus.pollList, bus.requestQueue, cursor, false);
        if (c.fromQueue) {
            ASSERT_EQ(c.request.size(), 200u);
            const int i = (c.request[2] - 2) & 0xFF;
            for (std::size_t k = 2; k < c.request.size(); ++k)
                ASSERT_EQ(c.request[k], (i + static_cast<int>(k)) & 0xFF);
            RemoveHeadCommand(bus.requestQueue);
            ++seen;
        }
        EndOfCycle(bus.pollList, cursor);
    }
    producer.join();
    EXPECT_GT(seen, 0);
}

} // namespace
} // namespace rir
