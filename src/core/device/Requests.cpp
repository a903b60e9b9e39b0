#include "device/Requests.h"

#include "bus/FrameCodec.h"

#include <algorithm>

namespace rir {

void AppendAddress(Request& r, const DeviceState& state) {
    if (state.model != MODEL_RS232)
        AppendByte(r, state.address);
}

void AppendByte(Request& r, int value) {
    r.push_back(std::clamp(value, 0, 0xFF));
}

void AppendWord(Request& r, int value) {
    const int v = std::clamp(value, 0, 0xFFFF);
    r.push_back(v / 256);
    r.push_back(v % 256);
}

void AppendTriple(Request& r, int value) {
    const int v = std::clamp(value, 0, 0xFFFFFF);
    r.push_back(v / 65536);
    r.push_back(v / 256 % 256);
    r.push_back(v % 256);
}

Request WriteOutputRequest(const DeviceState& state, int outputFlags) {
    Request r;
    AppendAddress(r, state);
    if (state.channel == 0) {
        r.push_back(FC_CONTROL);
    } else {
        // The second channel has no function of its own: its output travels as a settings block.
        r.push_back(FC_EXTENDED);
        r.push_back(0x00);
        r.push_back(BLOCK_CHANNEL_B);
    }
    AppendByte(r, outputFlags);
    AppendWord(r, state.voltLimit);
    AppendWord(r, state.currLimit);
    return r;
}

Request PlannedOutputRequest(const DeviceState& state, int voltLimit, int currLimit, bool outputOn) {
    DeviceState planned = state;
    planned.voltLimit = voltLimit;
    planned.currLimit = currLimit;
    return WriteOutputRequest(planned,
                              TAKE_VOLT_LIMIT | TAKE_CURR_LIMIT | TAKE_OUTPUT | (outputOn ? OUTPUT_ON : 0));
}

Request LimitsRequest(const DeviceState& state, LimitChoice which) {
    int flags = 0;
    switch (which) {
    case LimitChoice::Voltage:
        flags = TAKE_VOLT_LIMIT;
        break;
    case LimitChoice::Current:
        flags = TAKE_CURR_LIMIT;
        break;
    case LimitChoice::Both:
        flags = TAKE_VOLT_LIMIT | TAKE_CURR_LIMIT;
        break;
    }
    return WriteOutputRequest(state, flags);
}

std::vector<Request> ToggleOutputRequests(const DeviceState& state) {
    const int on = state.outputOn ? 0 : OUTPUT_ON;
    std::vector<Request> requests{WriteOutputRequest(state, TAKE_OUTPUT + on)};
    if (state.hasReverseRow && state.outputOn)
        requests.push_back(ReverseRestoreRequest(state));
    return requests;
}

std::optional<Request> OutputOffRequest(const DeviceState& state) {
    if (!state.outputOn)
        return std::nullopt;
    return WriteOutputRequest(state, TAKE_OUTPUT);
}

Request ReverseRestoreRequest(const DeviceState& state) {
    Request r;
    AppendAddress(r, state);
    r.insert(r.end(), {FC_EXTENDED, 0x00, BLOCK_REVERSE});
    AppendWord(r, state.revFwdCurrent);
    AppendWord(r, state.revBackCurrent);
    AppendWord(r, state.revFwdTimeInitial);
    AppendWord(r, state.revBackTimeInitial);
    return r;
}

Request DoserRestartRequest(const DeviceState& state) {
    Request r;
    AppendAddress(r, state);
    // Counter block: the restart flag, counter mode 0, counter value 0.
    r.insert(r.end(), {FC_EXTENDED, 0x00, BLOCK_COUNTER, DOSER_RESTART, 0x00});
    AppendTriple(r, 0);
    return r;
}

CommandEffects EffectsOf(std::span<const int> request) {
    // Byte 0 is the address, 1 the function, 2 the output flags or the configuration byte.
    CommandEffects effects;
    if (request.size() < 3)
        return effects;
    if (request[1] == FC_CONTROL && (request[2] & (OUTPUT_ON | TAKE_OUTPUT)) == TAKE_OUTPUT) {
        effects.settles = true;
    } else if (request[1] == FC_EXTENDED && (request[2] & CONFIG_CHANGE) != 0) {
        effects.settles = true;
        effects.reidentifies = true;
    }
    return effects;
}

} // namespace rir
