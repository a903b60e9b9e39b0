// A poll list and its queue driven cycle by cycle as the bus thread drives them: choose, then
// end the cycle. Literal polling unless a test sets `schedule.measurementsFirst`; the schedule's
// clock moves on by `cycleTime` after every cycle.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bus/PollList.h"

namespace rir::test {

struct PollRig {
    PollList list;
    RequestQueue queue;
    PollCursor cursor;
    PollSchedule schedule;
    std::chrono::milliseconds cycleTime{0};

    RequestChoice Cycle() {
        RequestChoice c = ChooseRequest(list, queue, cursor, false, schedule);
        EndOfCycle(list, cursor);
        schedule.now += cycleTime;
        return c;
    }
    PollEntry& At(int address, int channel = 0) {
        return list[static_cast<std::size_t>(FindEntry(list, address, channel))];
    }
    void Add(int address, int channel, PollState state) {
        ASSERT_TRUE(AddEntry(list, address, channel));
        list.back().state = state;
    }
    // Five misses in a row, as reply intake counts them.
    void GoOffline(int address) {
        for (int i = 0; i < MISSES_TO_DISCONNECT; ++i)
            CountMiss(At(address));
    }
    // The next `n` cycles as "address:function" ("-" for a cycle that sent nothing).
    std::vector<std::string> Cycles(int n) {
        std::vector<std::string> out;
        for (int i = 0; i < n; ++i) {
            const RequestChoice c = Cycle();
            out.push_back(c.request.size() < 2 ? "-"
                                               : std::to_string(c.request[0]) + ":" + Function(c.request[1]));
        }
        return out;
    }
    static std::string Function(int f) {
        return f == FC_IDENTIFY ? "A" : f == FC_MEASURE ? "B" : f == FC_MODULES ? "D" : std::to_string(f);
    }
};

} // namespace rir::test
