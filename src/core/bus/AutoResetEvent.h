// The go-ahead from the UI thread to the bus thread ("EStart"): an auto-reset event. Each Set
// releases at most one wait; setting it twice before the wait still releases one cycle only.
#pragma once

#include <condition_variable>
#include <mutex>

namespace rir {

class AutoResetEvent {
public:
    explicit AutoResetEvent(bool signalled) : signalled_(signalled) {}

    void Set();
    // Waits until set (and resets it) or until Cancel; false when cancelled.
    bool Wait();
    // Waits at most `ms` milliseconds for Cancel; true when cancelled. Used for pauses that a
    // stop request must be able to cut short.
    bool SleepUnlessCancelled(int ms);
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
