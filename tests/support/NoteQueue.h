// The bus thread's notifications collected for a test to take one by one, in the order posted.
#pragma once

#include "bus/BusThread.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>

namespace rir::test {

class NoteQueue : public BusNotifier {
public:
    void Post(int wParam, int lParam) override {
        {
            std::lock_guard<std::mutex> hold(lock_);
            notes_.emplace_back(wParam, lParam);
        }
        changed_.notify_all();
    }
    // The next note within `wait`; false when none came.
    bool Pop(std::pair<int, int>& note, std::chrono::milliseconds wait) {
        std::unique_lock<std::mutex> hold(lock_);
        if (!changed_.wait_for(hold, wait, [this] { return !notes_.empty(); }))
            return false;
        note = notes_.front();
        notes_.pop_front();
        return true;
    }
    // The next note, waiting up to a generous deadline; (0, 0) when none came.
    std::pair<int, int> Next(std::chrono::milliseconds deadline = std::chrono::seconds(20)) {
        std::pair<int, int> note{0, 0};
        Pop(note, deadline);
        return note;
    }
    // Skips notes until (wParam, lParam) arrives; false on deadline.
    bool WaitFor(int wParam, int lParam) {
        while (true) {
            const auto n = Next();
            if (n.first == 0)
                return false;
            if (n == std::make_pair(wParam, lParam))
                return true;
        }
    }

private:
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<std::pair<int, int>> notes_;
};

} // namespace rir::test
