// The go-ahead from the UI thread to the bus thread ("EStart"): an auto-reset event. Each Set
// releases at most one wait; setting it twice before the wait still releases one cycle only.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace rir {

class AutoResetEvent {
public:
    explicit AutoResetEvent(bool signalled) : signalled_(signalled) {}

    void Set();
    // Waits until set (and resets it) or until Cancel; false when cancelled.
    bool Wait();
    // Waits at most `ms` milliseconds for Cancel; true when cancelled. Used for pauses that a
    // stop request must be able to cut short. A pause that something else may end too (a port
    // change ends the wait between attempts to open a port) passes `endEarly`: it is looked at
    // when the pause begins and at every Nudge, and the pause ends once it holds.
    bool SleepUnlessCancelled(int ms, const std::function<bool()>& endEarly = {});
    // The same to the microsecond, for pauses of a few character times.
    bool SleepUnlessCancelled(std::chrono::microseconds duration);
    // Makes a running pause look at its `endEarly` again: call it after changing what that
    // reads, so the change is not missed between the pause's look and its wait.
    void Nudge();
    // Wakes every waiter for good: used to stop the bus thread.
    void Cancel();
    bool Cancelled() const;
    bool IsSet() const;

private:
    mutable std::mutex lock_;
    std::condition_variable changed_;
    bool signalled_;
    bool cancelled_ = false;
};

} // namespace rir
