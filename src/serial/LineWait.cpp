#include "LineWait.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include <poll.h>
#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

namespace rir {

namespace {
constexpr short LINE_GONE = POLLHUP | POLLERR | POLLNVAL;
}

LineWait::LineWait() : timer_(::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC)) {}

LineWait::~LineWait() {
    if (timer_ >= 0)
        ::close(timer_);
}

bool LineWait::Arm(Clock::time_point at) {
    // steady_clock is CLOCK_MONOTONIC, the timer's clock, so its time points are the timer's.
    const auto sinceStart = std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch());
    itimerspec spec{};
    spec.it_value.tv_sec = static_cast<time_t>(sinceStart.count() / 1'000'000'000);
    spec.it_value.tv_nsec = static_cast<long>(sinceStart.count() % 1'000'000'000);
    if (spec.it_value.tv_sec == 0 && spec.it_value.tv_nsec == 0)
        spec.it_value.tv_nsec = 1; // all zero would disarm it
    if (::timerfd_settime(timer_, TFD_TIMER_ABSTIME, &spec, nullptr) != 0)
        return false;
    armed_ = at;
    return true;
}

void LineWait::SleepUntil(Clock::time_point at) {
    const auto sinceStart = std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch());
    timespec until{};
    until.tv_sec = static_cast<time_t>(sinceStart.count() / 1'000'000'000);
    until.tv_nsec = static_cast<long>(sinceStart.count() % 1'000'000'000);
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

LineWait::Outcome LineWait::PollOnly(int fd, Clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd line{fd, POLLIN, 0};
        const int ready = ::poll(&line, 1, static_cast<int>(left > 0 ? left : 0));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return Outcome::Failed;
        if ((line.revents & POLLIN) != 0)
            return Outcome::Readable;
        if ((line.revents & LINE_GONE) != 0)
            return Outcome::HungUp;
        if (Clock::now() >= deadline)
            return Outcome::TimedOut;
    }
}

LineWait::Outcome LineWait::Wait(int fd, int timeoutMs) {
    return WaitUntil(fd, Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0)));
}

LineWait::Outcome LineWait::WaitUntil(int fd, Clock::time_point deadline) {
    if (timer_ < 0 || deadline <= Clock::now())
        return PollOnly(fd, deadline);
    for (;;) {
        // A timer armed by an earlier wait for an earlier moment stays as it is: it only wakes
        // this wait early, once. One armed for later than this deadline is brought forward.
        if ((!armed_ || *armed_ > deadline) && !Arm(deadline))
            return PollOnly(fd, deadline);
        pollfd fds[2] = {{fd, POLLIN, 0}, {timer_, POLLIN, 0}};
        const int ready = ::poll(fds, 2, -1);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return Outcome::Failed;
        if ((fds[0].revents & POLLIN) != 0)
            return Outcome::Readable;
        if ((fds[0].revents & LINE_GONE) != 0)
            return Outcome::HungUp;
        if ((fds[1].revents & POLLIN) != 0) {
            std::uint64_t expirations = 0;
            [[maybe_unused]] const ssize_t n = ::read(timer_, &expirations, sizeof expirations);
            armed_.reset();
            if (Clock::now() >= deadline)
                return Outcome::TimedOut;
        }
    }
}

} // namespace rir
