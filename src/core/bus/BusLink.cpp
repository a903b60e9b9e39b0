#include "bus/BusLink.h"

#include <mutex>
#include <utility>

namespace rir {

BusContext BusLink::Context(BusNotifier& notifier, Transport& port) {
    return BusContext{state_, shared_, eStart_, notifier, port, nullptr};
}

void BusLink::GoAhead() {
    if (cycleUnderWay_)
        return;
    cycleUnderWay_ = true;
    eStart_.Set();
}

void BusLink::RequestReopen() {
    rir::RequestReopen(state_, eStart_);
}

void BusLink::AddPort(const std::string& name) {
    std::lock_guard<BusLock> hold(shared_.lock);
    shared_.portList.push_back(name);
}

std::optional<PortEvent> BusLink::TakePortEvent() {
    std::lock_guard<BusLock> hold(shared_.lock);
    if (shared_.portEvents.empty())
        return std::nullopt;
    PortEvent event = std::move(shared_.portEvents.front());
    shared_.portEvents.pop_front();
    return event;
}

std::string BusLink::TakeSentText() {
    std::string text;
    std::lock_guard<BusLock> hold(shared_.lock);
    text.swap(shared_.sentText);
    return text;
}

CycleReply BusLink::cycleReply() const {
    // The reply is the UI thread's from the end-of-cycle note until the next go-ahead.
    std::lock_guard<BusLock> hold(shared_.lock);
    return {shared_.cycleEnd, shared_.replyBuffer, shared_.cycleRequest};
}

bool BusLink::Enqueue(std::span<const int> values, CommandEffects effects) {
    return EnqueueCommand(shared_, values, effects);
}

std::optional<int> BusLink::requestRate(int ticksPerSecond) const {
    const int ticks = state_.timerTicks;
    if (ticks == 0)
        return std::nullopt;
    return state_.requestsSent * ticksPerSecond / ticks;
}

} // namespace rir
