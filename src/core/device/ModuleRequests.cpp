#include "device/ModuleRequests.h"

#include "bus/FrameCodec.h"

#include <algorithm>

namespace rir {

namespace {

constexpr int NO_RESET_ON_OFF = 0x40; // timer flag and counter mode: keep the value at switch-off
constexpr int COUNTER_ZEROING = 0x40; // counter kind byte: zero the accumulating counter
constexpr int COUNTER_AMPERE_MINUTES = 0x80;
// Counter kind bytes of configuration 9: both counters, in the chosen units.
constexpr int COUNTER_FULL_AMPERE_HOURS = 0x03;
constexpr int COUNTER_FULL_AMPERE_MINUTES = 0x83;
constexpr int COUNTER_FULL_WATT_HOURS = 0x23;
// Model 2 knows one dosing mode, "дозатор без выключения", which the supply numbers 3.
constexpr int MODEL2_DOSE_MODE = 3;

bool IsConfigurationByte(int code) {
    return code >= 0 && code < CONFIG_CHANGE;
}

// Modes live in the two low bits of their bytes; the bits above carry flags of their own.
int TwoBits(int v) {
    return std::clamp(v, 0, 3);
}

int SentTimerValue(const ModuleSetupValues& v) {
    const int most = v.moduleCode == CONFIG_FULL ? MAX_TIMER_SECONDS_FULL : MAX_TIMER_SECONDS;
    return std::clamp(v.timerValue, 0, most);
}

// The counter value is a 24-bit count on the supply.
int SentCounterValue(const ModuleSetupValues& v) {
    return std::clamp(v.counterValue, 0, 0xFFFFFF);
}

int SentWord(int v) {
    return std::clamp(v, 0, 0xFFFF);
}

Request Extended(const DeviceState& state, bool alwaysAddressed, int configByte) {
    Request r;
    if (alwaysAddressed)
        AppendByte(r, state.address);
    else
        AppendAddress(r, state);
    r.push_back(FC_EXTENDED);
    r.push_back(configByte);
    return r;
}

void AppendTimerBlock(Request& r, const ModuleSetupValues& v) {
    int mode = TwoBits(v.timerMode);
    if (v.moduleCode == CONFIG_FULL && !v.resetOnOff)
        mode += NO_RESET_ON_OFF;
    r.push_back(BLOCK_TIMER);
    r.push_back(mode);
    AppendTriple(r, SentTimerValue(v));
}

} // namespace

std::vector<Request> ModuleSetupRequests(const DeviceState& state, const ModuleSetupValues& v) {
    const int c = v.moduleCode;
    if (!IsConfigurationByte(c))
        return {};
    std::vector<Request> out;
    Request first = Extended(state, false, c == state.moduleConfig ? c : c + CONFIG_CHANGE);
    const int units = v.units != 0 ? COUNTER_AMPERE_MINUTES : 0;
    const int zeroing = v.zeroing ? COUNTER_ZEROING : 0;
    switch (c) {
    case CONFIG_TIMER_COUNTER:
    case CONFIG_TIMER_REVERSE: {
        AppendTimerBlock(first, v);
        out.push_back(std::move(first));
        Request second = Extended(state, false, 0x00);
        if (c == CONFIG_TIMER_COUNTER) {
            int mode = TwoBits(v.counterMode);
            if (mode == 1 && state.model == MODEL_TIMER_AMPERE)
                mode = MODEL2_DOSE_MODE;
            second.insert(second.end(), {BLOCK_COUNTER, TwoBits(v.counterKind) + zeroing + units, mode});
            AppendTriple(second, SentCounterValue(v));
        } else {
            second.push_back(BLOCK_REVERSE);
            AppendWord(second, v.forwardCurrent);
            AppendWord(second, v.reverseCurrent);
            AppendWord(second, v.forwardTime);
            AppendWord(second, v.reverseTime);
        }
        out.push_back(std::move(second));
        break;
    }
    case CONFIG_COUNTERS_DOSER:
    case CONFIG_COUNTER_TOTAL:
        first.insert(first.end(), {BLOCK_COUNTER, zeroing + units, TwoBits(v.counterMode)});
        AppendTriple(first, SentCounterValue(v));
        out.push_back(std::move(first));
        break;
    case CONFIG_FULL: {
        AppendTimerBlock(first, v);
        out.push_back(std::move(first));
        // Configuration 9 belongs to the display models, which always sit on the bus.
        Request counter = Extended(state, true, 0x00);
        const int kind = v.units == 1   ? COUNTER_FULL_AMPERE_MINUTES
                         : v.units == 2 ? COUNTER_FULL_WATT_HOURS
                                        : COUNTER_FULL_AMPERE_HOURS;
        counter.insert(counter.end(),
                       {BLOCK_COUNTER, kind, TwoBits(v.counterMode) + (v.zeroing ? 0 : NO_RESET_ON_OFF)});
        AppendTriple(counter, SentCounterValue(v));
        out.push_back(std::move(counter));
        Request thermo = Extended(state, true, 0x00);
        thermo.push_back(BLOCK_THERMO);
        // Bit 7 of the thermometer mode is the relay state the supply reports, not a setting.
        thermo.push_back(std::clamp(v.thermoMode, 0, 0x7F));
        AppendWord(thermo, v.targetTemperature);
        AppendByte(thermo, v.temperatureDelta);
        out.push_back(std::move(thermo));
        break;
    }
    default:
        out.push_back(std::move(first)); // the configuration byte alone
        break;
    }
    return out;
}

void ApplyModuleSetup(DeviceState& s, const ModuleSetupValues& v) {
    switch (v.moduleCode) {
    case CONFIG_TIMER_COUNTER:
    case CONFIG_TIMER_REVERSE:
        s.timerValue = SentTimerValue(v);
        s.timerMode = TwoBits(v.timerMode);
        if (v.moduleCode == CONFIG_TIMER_COUNTER) {
            s.counterDaily = SentCounterValue(v);
        } else {
            s.revFwdCurrent = SentWord(v.forwardCurrent);
            s.revBackCurrent = SentWord(v.reverseCurrent);
            s.revFwdTime = SentWord(v.forwardTime);
            s.revBackTime = SentWord(v.reverseTime);
        }
        break;
    case CONFIG_COUNTERS_DOSER:
    case CONFIG_COUNTER_TOTAL:
        s.counterDaily = SentCounterValue(v);
        break;
    case CONFIG_FULL:
        s.timerValue = SentTimerValue(v);
        s.timerMode = TwoBits(v.timerMode);
        s.timerResetOnOff = v.resetOnOff ? 1 : 0;
        s.counterDaily = SentCounterValue(v);
        s.thermoMode = std::clamp(v.thermoMode, 0, 0x7F);
        s.tempTargetRaw = SentWord(v.targetTemperature);
        s.tempDeltaRaw = std::clamp(v.temperatureDelta, 0, 0xFF);
        break;
    default:
        break;
    }
}

} // namespace rir
