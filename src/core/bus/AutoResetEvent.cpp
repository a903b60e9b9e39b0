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

bool AutoResetEvent::SleepUnlessCancelled(int ms) {
    std::unique_lock<std::mutex> hold(lock_);
    return changed_.wait_for(hold, std::chrono::milliseconds(ms), [this] { return cancelled_; });
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
