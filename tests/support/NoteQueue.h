// The bus thread's notifications collected for a test to take one by one, in the order posted.
#pragma once

#include "bus/BusThread.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

namespace rir::test {

class NoteQueue : public BusNotifier {
public:
    void Post(BusNote note) override {
        {
            std::lock_guard<std::mutex> hold(lock_);
            notes_.push_back(note);
        }
        changed_.notify_all();
    }
    // The next note within `wait`; false when none came.
    bool Pop(BusNote& note, std::chrono::milliseconds wait) {
        std::unique_lock<std::mutex> hold(lock_);
        if (!changed_.wait_for(hold, wait, [this] { return !notes_.empty(); }))
            return false;
        note = notes_.front();
        notes_.pop_front();
        return true;
    }
    // The next note, waiting up to a generous deadline; nothing when none came.
    std::optional<BusNote> Next(std::chrono::milliseconds deadline = std::chrono::seconds(20)) {
        BusNote note{};
        if (!Pop(note, deadline))
            return std::nullopt;
        return note;
    }
    // Skips notes until `note` arrives; false on deadline.
    bool WaitFor(BusNote note) {
        while (true) {
            const auto n = Next();
            if (!n)
                return false;
            if (*n == note)
                return true;
        }
    }

private:
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<BusNote> notes_;
};

} // namespace rir::test
