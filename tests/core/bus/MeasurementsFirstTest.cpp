// Fast polling asks measurements at every visit and module data only when it is due.
#include "bus/PollList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "PollRig.h"

namespace rir {
namespace {

using namespace std::chrono_literals;
using Bus = test::PollRig;
using Cycles = std::vector<std::string>;

Bus FastBus() {
    Bus bus;
    bus.schedule.measurementsFirst = true;
    bus.schedule.moduleInterval = 5s;
    bus.cycleTime = 50ms;
    return bus;
}

TEST(MeasurementsFirst, ModulePollsComeOncePerIntervalSpreadOverIt) {
    constexpr int SUPPLIES = 4;
    Bus bus = FastBus();
    for (int a = 1; a <= SUPPLIES; ++a)
        bus.Add(a, 0, PollState::Complete);
    const auto interval = bus.schedule.moduleInterval;
    const auto spacing = interval / SUPPLIES;
    const auto pass = bus.cycleTime * SUPPLIES;
    std::map<int, std::vector<BusClock::time_point>> modules;
    std::vector<BusClock::time_point> all;
    for (int i = 0; i < 800; ++i) { // 40 s
        const BusClock::time_point at = bus.schedule.now;
        const RequestChoice c = bus.Cycle();
        ASSERT_EQ(c.request.size(), 2u) << "cycle " << i;
        if (c.request[1] == FC_MODULES) {
            modules[c.request[0]].push_back(at);
            all.push_back(at);
        } else {
            ASSERT_EQ(c.request[1], FC_MEASURE) << "cycle " << i;
        }
    }
    for (std::size_t k = 1; k < all.size(); ++k)
        EXPECT_GE(all[k] - all[k - 1], spacing) << "module polls " << k - 1 << " and " << k;
    for (int a = 1; a <= SUPPLIES; ++a) {
        const auto& times = modules[a];
        ASSERT_GE(times.size(), 7u) << a;
        EXPECT_LE(times.front() - BusClock::time_point{}, interval) << a;
        for (std::size_t k = 1; k < times.size(); ++k) {
            EXPECT_GE(times[k] - times[k - 1], interval) << a << ", poll " << k;
            EXPECT_LE(times[k] - times[k - 1], interval + spacing + pass) << a << ", poll " << k;
        }
    }
}

TEST(MeasurementsFirst, ASupplyIdentifiedOrReconfiguredIsAskedItsModulesAtOnce) {
    const struct {
        const char* name;
        int address;
        bool added; // a new page; else supply 2 identified again after its module change
    } cases[] = {{"just identified", 4, true}, {"configuration changed", 2, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bus bus = FastBus();
        for (int a : {1, 2, 3})
            bus.Add(a, 0, PollState::Complete);
        // Every supply has had its module poll; the latest went out just now.
        while (!bus.At(1).modulesAskedAt || !bus.At(2).modulesAskedAt || !bus.At(3).modulesAskedAt)
            bus.Cycle();
        if (c.added)
            bus.Add(c.address, 0, PollState::Identified);
        else
            bus.At(c.address).state = PollState::Identified;
        const Cycles seen = bus.Cycles(static_cast<int>(bus.list.size()) + 1); // one visit each
        const std::string supply = std::to_string(c.address);
        const auto modules = std::find(seen.begin(), seen.end(), supply + ":D");
        ASSERT_NE(modules, seen.end()) << ::testing::PrintToString(seen);
        ASSERT_NE(modules + 1, seen.end()) << ::testing::PrintToString(seen);
        EXPECT_EQ(modules[1], supply + ":B") << "its measurement right after";
        EXPECT_EQ(std::count(seen.begin(), seen.end(), supply + ":D"), 1) << ::testing::PrintToString(seen);
        // Its configuration came: measurements again.
        bus.At(c.address).state = PollState::Complete;
        for (const std::string& poll : bus.Cycles(4))
            EXPECT_EQ(poll.substr(poll.find(':')), ":B") << poll;
    }
}

TEST(MeasurementsFirst, ASupplyWithASecondChannelIsAskedItsModulesAtEveryVisit) {
    // Its second channel's measurements come in its module data; until that channel is
    // identified the supply is polled as any other.
    const struct {
        PollState second;
        Cycles polls;
    } cases[] = {
        {PollState::Complete, {"1:D", "1:B", "2:D", "2:B", "1:B", "2:D", "2:B", "1:B"}},
        {PollState::Unknown, {"1:D", "1:B", "2:B", "2:A", "1:B", "2:B", "2:A", "1:B"}},
    };
    for (const auto& c : cases) {
        Bus bus = FastBus();
        bus.Add(1, 0, PollState::Complete);
        bus.Add(2, 0, PollState::Complete);
        bus.Add(2, 1, c.second);
        bus.At(2).modulesAskedAt = bus.schedule.now; // supply 2's module data is not due
        EXPECT_EQ(bus.Cycles(8), c.polls) << static_cast<int>(c.second);
    }
}

TEST(MeasurementsFirst, CommandsGoFirstAndTheOfflineShareStaysInBothModes) {
    const struct {
        bool fast;
        Cycles polls;
        Cycles afterCommand;
    } cases[] = {
        {false,
         {"1:B", "1:D", "1:B", "1:D", "2:A", "1:B", "1:D", "1:B", "1:D", "3:A"},
         {"2:67", "2:67", "2:67", "1:B", "1:D", "1:B", "1:D", "2:A"}},
        {true,
         {"1:D", "1:B", "1:B", "1:B", "2:A", "1:B", "1:B", "1:B", "1:B", "3:A"},
         {"2:67", "2:67", "2:67", "1:B", "1:B", "1:B", "1:B", "2:A"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fast ? "fast" : "literal");
        Bus bus = FastBus();
        bus.schedule.measurementsFirst = c.fast;
        for (int a : {1, 2, 3})
            bus.Add(a, 0, PollState::Complete);
        bus.GoOffline(2);
        bus.GoOffline(3);
        EXPECT_EQ(bus.Cycles(10), c.polls);
        AppendCommand(bus.queue, std::vector<int>{2, FC_CONTROL, 8, 0, 0, 0, 0});
        EXPECT_EQ(bus.Cycles(8), c.afterCommand);
    }
}

TEST(MeasurementsFirst, FastPollingPassesOverEntriesWithNothingToSend) {
    const struct {
        bool fast;
        Cycles polls;
    } cases[] = {
        {false, {"-", "5:B", "-", "6:B", "-", "9:A", "5:B", "-", "6:B", "9:A"}},
        {true, {"5:B", "6:B", "9:A", "5:B", "6:B", "9:A", "5:B", "6:B", "9:A", "5:B"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fast ? "fast" : "literal");
        Bus bus = FastBus();
        bus.schedule.measurementsFirst = c.fast;
        bus.Add(7, 0, PollState::Complete);
        bus.Add(5, 0, PollState::Complete);
        bus.Add(5, 1, PollState::Complete); // an identified second channel
        bus.Add(6, 0, PollState::Complete);
        bus.Add(8, 0, PollState::Complete);
        bus.Add(9, 1, PollState::Unknown); // a second channel still to be identified
        MarkDeleted(bus.list, 7, 0);
        MarkDeleted(bus.list, 8, 0);
        for (int a : {5, 6})
            bus.At(a).moduleDataAllowed = false;
        EXPECT_EQ(bus.Cycles(10), c.polls);
        EXPECT_EQ(bus.list.size(), 4u) << "the deleted entries purged at the end of the pass";
    }
}

} // namespace
} // namespace rir
