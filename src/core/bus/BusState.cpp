#include "bus/BusState.h"

#include <utility>

namespace rir {

void BusState::SetPendingFraming(Framing framing) {
    std::lock_guard<std::mutex> hold(pendingLock_);
    pendingFraming_ = framing;
}

std::optional<Framing> BusState::TakePendingFraming() {
    std::lock_guard<std::mutex> hold(pendingLock_);
    return std::exchange(pendingFraming_, std::nullopt);
}

std::optional<Framing> BusState::pendingFraming() const {
    std::lock_guard<std::mutex> hold(pendingLock_);
    return pendingFraming_;
}

} // namespace rir
