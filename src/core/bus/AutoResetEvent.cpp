#include "bus/AutoResetEvent.h"

#include <chrono>

namespace rir {

void AutoResetEvent::Set() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        signalled_ = true;
    }
    changed_.notify_one();
}

bool AutoResetEvent::Wait() {
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [this] { return signalled_ || cancelled_; });
    if (cancelled_)
        return false;
    signalled_ = false;
    return true;
}

bool AutoResetEvent::SleepUnlessCancelled(int ms, const std::function<bool()>& endEarly) {
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait_for(hold, std::chrono::milliseconds(ms),
                      [this, &endEarly] { return cancelled_ || (endEarly && endEarly()); });
    return cancelled_;
}

bool AutoResetEvent::SleepUnlessCancelled(std::chrono::microseconds duration) {
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait_for(hold, duration, [this] { return cancelled_; });
    return cancelled_;
}

void AutoResetEvent::Nudge() {
    // Taking the lock orders the caller's change before the pause's next look: either the
    // pause looked before (and is waiting, so the notification reaches it) or it looks after.
    { const std::lock_guard<std::mutex> hold(lock_); }
    changed_.notify_all();
}

void AutoResetEvent::Cancel() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        cancelled_ = true;
    }
    changed_.notify_all();
}

bool AutoResetEvent::Cancelled() const {
    std::lock_guard<std::mutex> hold(lock_);
    return cancelled_;
}

bool AutoResetEvent::IsSet() const {
    std::lock_guard<std::mutex> hold(lock_);
    return signalled_;
}

} // namespace rir
