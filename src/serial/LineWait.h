// Waiting for a serial line's next bytes with a read time-out, without arming a kernel timer for
// every byte (POSIX).
#pragma once

#include <chrono>
#include <optional>

namespace rir {

// A reply arrives a byte at a time, and every byte ends one wait and starts the next with the
// full time-out. A poll with a time-out arms and cancels a kernel timer each time, which on a
// virtual machine costs about as much again as the wake-up itself. Here one timer stays armed
// across the waits: it fires at most once per time-out, and when it fires before the wait's own
// deadline (the wait began after a later byte), it is armed again for the rest. The wait still
// ends exactly when no byte has come for the time-out since it began.
class LineWait {
public:
    enum class Outcome {
        Readable, // bytes are there (or the line's failure is, for the read to tell)
        TimedOut, // nothing for the whole time-out
        HungUp,   // the line hung up or the descriptor is bad; no byte will come
        Failed,   // the wait itself failed (errno says why)
    };
    using Clock = std::chrono::steady_clock;

    LineWait();
    ~LineWait();
    LineWait(const LineWait&) = delete;
    LineWait& operator=(const LineWait&) = delete;

    // Waits until `fd` has bytes to read or `timeoutMs` have passed since the call.
    Outcome Wait(int fd, int timeoutMs);
    // The same up to a moment given.
    Outcome WaitUntil(int fd, Clock::time_point deadline);
    // Sleeps without looking at any line (bytes on their way gather meanwhile); EINTR does not
    // cut it short.
    static void SleepUntil(Clock::time_point at);

private:
    bool Arm(Clock::time_point at);
    Outcome PollOnly(int fd, Clock::time_point deadline);

    int timer_ = -1;                         // a timerfd on the monotonic clock; -1: plain polls
    std::optional<Clock::time_point> armed_; // when the timer fires, while it is armed
};

} // namespace rir
