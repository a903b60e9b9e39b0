#include "bus/BusState.h"

namespace rir {

void BusState::SetPendingProtocol(std::string_view protocol) {
    std::lock_guard<std::mutex> hold(pendingLock_);
    pendingProtocol_ = protocol;
}

std::string BusState::TakePendingProtocol() {
    std::lock_guard<std::mutex> hold(pendingLock_);
    std::string p;
    p.swap(pendingProtocol_);
    return p;
}

std::string BusState::PendingProtocol() const {
    std::lock_guard<std::mutex> hold(pendingLock_);
    return pendingProtocol_;
}

void ApplyProtocol(BusState& state, std::string_view protocol) {
    if (protocol == PROTOCOL_ASCII) {
        state.asciiMode = true;
        state.rs232Mode = false;
    } else if (protocol == PROTOCOL_RTU) {
        state.asciiMode = false;
        state.rs232Mode = false;
    } else if (protocol == PROTOCOL_RS232) {
        state.asciiMode = true;
        state.rs232Mode = true;
    }
}

} // namespace rir
