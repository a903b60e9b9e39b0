// The station's side of the bus: the state and structures it shares with the bus thread, the
// cycle's go-ahead, the port's events and the link's counters. Whoever runs the bus thread hands
// it this link; whoever handles the thread's notes takes what they announce from it.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "bus/AutoResetEvent.h"
#include "bus/BusState.h"
#include "bus/BusThread.h"
#include "bus/PollList.h"
#include "bus/RequestQueue.h"

namespace rir {

// One cycle's outcome as the UI thread takes it after the end-of-cycle note.
struct CycleReply {
    CycleEnd end = CycleEnd::NothingSent;
    ReplyBuffer raw;          // the values read when `end` is Reply
    std::vector<int> request; // what the cycle sent, without framing; empty when it sent none
};

class BusLink {
public:
    BusLink() = default;
    BusLink(const BusLink&) = delete;
    BusLink& operator=(const BusLink&) = delete;

    BusState& state() { return state_; }
    const BusState& state() const { return state_; }
    BusShared& shared() { return shared_; }
    const BusShared& shared() const { return shared_; }
    AutoResetEvent& eStart() { return eStart_; }

    // What the bus thread works with, over `port`, telling `notifier`.
    BusContext Context(BusNotifier& notifier, Transport& port);

    // The go-ahead. A cycle is under way from the go-ahead until its end has been taken
    // (CycleTaken); while it is, no second go-ahead is given: the bus thread would start the
    // next cycle, and empty the reply buffer, before the running cycle's reply has been read.
    // The event is created signalled, so the first cycle is under way from the start.
    bool cycleUnderWay() const { return cycleUnderWay_; }
    // Gives the go-ahead unless a cycle is under way.
    void GoAhead();
    // The cycle's end has been taken; the next go-ahead may go.
    void CycleTaken() { cycleUnderWay_ = false; }

    // The port, speed or framing changed: the thread reopens the port after its cycle, or at once
    // while it waits to retry a port that is away.
    void RequestReopen();
    // A port the system lists now; its index stays valid (the list only grows).
    void AddPort(const std::string& name);

    // What a note announced, handed over once: the oldest port event (nothing when none waits),
    // the last request's log line.
    std::optional<PortEvent> TakePortEvent();
    std::string TakeSentText();
    // The cycle's reply and request: the UI thread's from the end-of-cycle note until the next
    // go-ahead.
    CycleReply cycleReply() const;

    // A whole command for the queue, under one hold of the lock; false for one that is not valid.
    bool Enqueue(std::span<const int> values, CommandEffects effects = {});

    // The link's counters: one statistics tick, and requests a second since the port opened;
    // nothing before the first tick after the port opened.
    void Tick() { ++state_.timerTicks; }
    std::optional<int> requestRate(int ticksPerSecond) const;

private:
    BusState state_;
    BusShared shared_;
    AutoResetEvent eStart_{true};
    bool cycleUnderWay_ = true;
};

} // namespace rir
