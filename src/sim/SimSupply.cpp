#include "SimSupply.h"

#include "ModuleAction.h"
#include "RequestLayout.h"
#include "bus/FrameCodec.h"
#include "device/Payloads.h"
#include "device/Ratings.h"

#include <algorithm>
#include <cmath>

namespace rir::sim {

namespace {

constexpr int STEP_MS = 100;

SimReply Exception(int function, int code) {
    return {function | EXCEPTION_FLAG, {static_cast<std::uint8_t>(code)}};
}

bool ConfigIn(int config, std::initializer_list<int> configs) {
    return std::find(configs.begin(), configs.end(), config) != configs.end();
}

} // namespace

bool IsSimConfig(int config) {
    return (config >= 0 && config <= 6) || config == CONFIG_FULL;
}

SimSupply::SimSupply(const SimRatings& ratings, std::optional<int> config, double loadOhms)
    : ratings_(ratings), voltScale_(VoltScaleFromCode(ratings.voltCode)),
      currScale_(CurrScaleFromCode(ratings.currCode)), hasModules_(config.has_value()),
      config_(config.value_or(CONFIG_NONE)), loadOhms_(loadOhms > 0.0 ? loadOhms : DEFAULT_LOAD_OHMS),
      counter_(ratings.model) {
    main_.voltLimit = ratings.voltLimit;
    main_.currLimit = ratings.currLimit;
    channelB_.voltLimit = ratings.voltLimit;
    channelB_.currLimit = ratings.currLimit;
    Update();
}

bool SimSupply::HasTimer() const {
    return hasModules_ && ConfigIn(config_, {1, 2, 9});
}
bool SimSupply::HasCounter() const {
    return hasModules_ && ConfigIn(config_, {1, 3, 4, 9});
}
bool SimSupply::HasReverse() const {
    return hasModules_ && config_ == CONFIG_TIMER_REVERSE;
}
bool SimSupply::HasWatt() const {
    return hasModules_ && ConfigIn(config_, {5, 9});
}
bool SimSupply::HasChannelB() const {
    return hasModules_ && config_ == CONFIG_TWO_CHANNELS;
}
bool SimSupply::HasThermo() const {
    return hasModules_ && config_ == CONFIG_FULL;
}

void SimSupply::SetLoad(double ohms) {
    if (ohms > 0.0 && std::isfinite(ohms))
        loadOhms_ = ohms;
    Update();
}

SimReply SimSupply::Handle(int function, std::span<const std::uint8_t> data) {
    // After a change of module configuration the supply starts its new module set over and
    // wants to be identified again before it reports: polls get exception 5 until then. Writes
    // are still taken, since the station sends the new configuration's settings right behind
    // the change.
    if (awaitsIdentification_ && (function == FC_MEASURE || function == FC_MODULES))
        return Exception(function, EXCEPTION_IDENTIFY_AGAIN);
    switch (function) {
    case FC_IDENTIFY:
        return Identify(data);
    case FC_MEASURE:
        return Measure();
    case FC_CONTROL:
        return Control(data);
    case FC_MODULES:
        return Modules();
    case FC_EXTENDED:
        return Extended(data);
    default:
        return Exception(function, EXCEPTION_ILLEGAL_FUNCTION);
    }
}

SimReply SimSupply::Identify(std::span<const std::uint8_t> data) {
    // The station asks with 1 (first identification) or 2 (after a module change); the answer
    // is the same.
    if (data.empty() || (data[0] != 1 && data[0] != 2))
        return Exception(FC_IDENTIFY, EXCEPTION_ILLEGAL_DATA);
    awaitsIdentification_ = false;
    SimReply r{FC_IDENTIFY, {}};
    r.payload.push_back(static_cast<std::uint8_t>(ratings_.model));
    PutBigEndian(r.payload, static_cast<std::uint32_t>(ratings_.voltMax), 2);
    PutBigEndian(r.payload, static_cast<std::uint32_t>(main_.voltLimit), 2);
    r.payload.push_back(static_cast<std::uint8_t>(ratings_.voltCode));
    PutBigEndian(r.payload, static_cast<std::uint32_t>(ratings_.currMax), 2);
    PutBigEndian(r.payload, static_cast<std::uint32_t>(main_.currLimit), 2);
    r.payload.push_back(static_cast<std::uint8_t>(ratings_.currCode));
    return r;
}

SimReply SimSupply::Measure() const {
    SimReply r{FC_MEASURE, {}};
    PutBigEndian(r.payload, static_cast<std::uint32_t>(main_.meas.voltMeas), 2);
    PutBigEndian(r.payload, static_cast<std::uint32_t>(main_.voltLimit), 2);
    PutBigEndian(r.payload, static_cast<std::uint32_t>(main_.meas.currMeas), 2);
    PutBigEndian(r.payload, static_cast<std::uint32_t>(main_.currLimit), 2);
    r.payload.push_back(static_cast<std::uint8_t>(main_.Status()));
    return r;
}

SimReply SimSupply::Control(std::span<const std::uint8_t> data) {
    if (data.size() < CONTROL_PAYLOAD_BYTES)
        return Exception(FC_CONTROL, EXCEPTION_ILLEGAL_DATA);
    WriteOutput(main_, data, true);
    SimReply r{FC_CONTROL, {}};
    PutBigEndian(r.payload, static_cast<std::uint32_t>(main_.voltLimit), 2);
    PutBigEndian(r.payload, static_cast<std::uint32_t>(main_.currLimit), 2);
    r.payload.push_back(static_cast<std::uint8_t>(main_.Status()));
    return r;
}

SimReply SimSupply::Modules() const {
    if (!hasModules_)
        return Exception(FC_MODULES, EXCEPTION_ILLEGAL_FUNCTION);
    SimReply r{FC_MODULES, {static_cast<std::uint8_t>(config_)}};
    if (HasTimer())
        timer_.AppendRecord(r.payload);
    if (HasCounter())
        counter_.AppendRecord(r.payload);
    if (HasReverse())
        reverse_.AppendRecord(r.payload);
    if (HasWatt()) {
        r.payload.push_back(RecordHeader(RECORD_WATT, 2));
        PutBigEndian(r.payload, static_cast<std::uint32_t>(WattRaw()), 2);
    }
    if (HasChannelB()) {
        r.payload.push_back(RecordHeader(RECORD_CHANNEL_B, 9));
        PutBigEndian(r.payload, static_cast<std::uint32_t>(channelB_.meas.voltMeas), 2);
        PutBigEndian(r.payload, static_cast<std::uint32_t>(channelB_.voltLimit), 2);
        PutBigEndian(r.payload, static_cast<std::uint32_t>(channelB_.meas.currMeas), 2);
        PutBigEndian(r.payload, static_cast<std::uint32_t>(channelB_.currLimit), 2);
        r.payload.push_back(static_cast<std::uint8_t>(channelB_.Status()));
    }
    if (HasThermo())
        thermometer_.AppendRecord(r.payload);
    return r;
}

SimReply SimSupply::Extended(std::span<const std::uint8_t> data) {
    if (!hasModules_)
        return Exception(FC_EXTENDED, EXCEPTION_ILLEGAL_FUNCTION);
    if (data.empty())
        return Exception(FC_EXTENDED, EXCEPTION_ILLEGAL_DATA);
    // Everything is checked before anything is applied: a refused request changes nothing.
    const bool change = (data[0] & CONFIG_CHANGE_FLAG) != 0;
    const int newConfig = data[0] & 0x7F;
    if (change && !IsSimConfig(newConfig))
        return Exception(FC_EXTENDED, EXCEPTION_ILLEGAL_DATA);
    std::span<const std::uint8_t> block;
    int blockId = 0;
    if (data.size() >= 2) {
        blockId = data[1];
        const auto length = SettingsBlockLength(blockId);
        if (!length || data.size() < 2 + *length)
            return Exception(FC_EXTENDED, EXCEPTION_ILLEGAL_DATA);
        block = data.subspan(2, *length);
    }

    if (change && newConfig != config_) {
        // Channel B starts off whenever the two-channel configuration is entered or left, so that
        // an output write made while it was not in force cannot switch it on unseen.
        if (config_ == CONFIG_TWO_CHANNELS || newConfig == CONFIG_TWO_CHANNELS)
            channelB_.on = false;
        config_ = newConfig;
        awaitsIdentification_ = true;
    }
    // Settings are kept whatever the configuration: a module set up now runs once its
    // configuration is chosen.
    switch (blockId) {
    case BLOCK_TIMER:
        timer_.ApplyBlock(block);
        break;
    case BLOCK_COUNTER:
        counter_.ApplyBlock(block);
        break;
    case BLOCK_REVERSE:
        reverse_.ApplyBlock(block);
        break;
    case BLOCK_CHANNEL_B:
        WriteOutput(channelB_, block, false);
        break;
    case BLOCK_THERMO:
        thermometer_.ApplyBlock(block);
        break;
    default:
        break;
    }
    Update();
    // The acknowledgement carries one byte, 0: in RS-232 mode the station takes a reply of
    // fewer than two bytes for no reply at all, and would send the command again.
    return {FC_EXTENDED, {0x00}};
}

void SimSupply::WriteOutput(SimChannel& channel, std::span<const std::uint8_t> payload, bool mainChannel) {
    const int flags = payload[0];
    if ((flags & 0x02) != 0)
        channel.voltLimit = std::min(static_cast<int>(GetBigEndian(payload, 1, 2)), ratings_.voltMax);
    if ((flags & 0x04) != 0)
        channel.currLimit = std::min(static_cast<int>(GetBigEndian(payload, 3, 2)), ratings_.currMax);
    if ((flags & 0x08) != 0) {
        const bool on = (flags & 0x01) != 0;
        if (mainChannel)
            SetMainOutput(on);
        else
            channel.on = on;
    }
    Update();
}

void SimSupply::SetMainOutput(bool on) {
    if (on == main_.on)
        return;
    main_.on = on;
    if (on) {
        timer_.OnSwitchOn();
        counter_.OnSwitchOn();
    } else {
        timer_.OnSwitchOff();
        counter_.OnSwitchOff();
        reverse_.OnSwitchOff();
    }
}

void SimSupply::Apply(ModuleAction action) {
    if (action == ModuleAction::SwitchOff)
        SetMainOutput(false);
    Update(); // a reduced current shows at once
}

void SimSupply::Advance(std::int64_t milliseconds) {
    while (milliseconds > 0) {
        const int step = static_cast<int>(std::min<std::int64_t>(milliseconds, STEP_MS));
        Step(step);
        milliseconds -= step;
    }
}

void SimSupply::Step(int milliseconds) {
    Update();
    const double volts = static_cast<double>(main_.meas.voltMeas) / voltScale_;
    const double amps = static_cast<double>(main_.meas.currMeas) / currScale_;
    // The counter first, so that the charge of a step in which the timer switches off is counted.
    if (main_.on && HasCounter())
        Apply(counter_.Step(milliseconds, volts, amps));
    if (main_.on && HasReverse())
        reverse_.Step(milliseconds);
    if (main_.on && HasTimer())
        Apply(timer_.Step(milliseconds));
    if (HasThermo()) {
        const double rated = (static_cast<double>(ratings_.voltMax) / voltScale_) *
                             (static_cast<double>(ratings_.currMax) / currScale_);
        const double share = rated > 0.0 ? volts * amps / rated : 0.0;
        Apply(thermometer_.Step(milliseconds, share, main_.on));
    }
    Update();
}

RegulationOutput SimSupply::RegulateChannel(const SimChannel& channel, int currLimit, bool on) const {
    RegulationInput in;
    in.on = on;
    in.voltLimit = channel.voltLimit;
    in.currLimit = currLimit;
    in.loadOhms = loadOhms_;
    in.voltScale = voltScale_;
    in.currScale = currScale_;
    in.voltMax = ratings_.voltMax;
    in.currMax = ratings_.currMax;
    return Regulate(in);
}

void SimSupply::Update() {
    int currLimit = main_.currLimit;
    // A timer or doser that ran out in its tenth-of-the-current mode.
    if ((HasTimer() && timer_.reducesCurrent()) || (HasCounter() && counter_.reducesCurrent()))
        currLimit /= 10;
    if (HasReverse() && reverse_.PhaseCurrent() > 0)
        currLimit = std::min(currLimit, reverse_.PhaseCurrent() * currScale_);
    const bool held = HasThermo() && thermometer_.holdsOutput();
    main_.meas = RegulateChannel(main_, currLimit, main_.on && !held);
    channelB_.meas = RegulateChannel(channelB_, channelB_.currLimit, HasChannelB() && channelB_.on);
}

int SimSupply::WattRaw() const {
    const double watts = (static_cast<double>(main_.meas.voltMeas) / voltScale_) *
                         (static_cast<double>(main_.meas.currMeas) / currScale_);
    // The station reads the full configuration's wattmeter in tenths of a watt and the
    // wattmeter alone in hundredths.
    const double perWatt = config_ == CONFIG_FULL ? 10.0 : 100.0;
    const double raw = std::round(watts * perWatt);
    return raw >= 0xFFFF ? 0xFFFF : static_cast<int>(raw);
}

} // namespace rir::sim
