#include "device/ReplyDecoder.h"

#include <mutex>
#include <variant>

#include "device/DevicePage.h"
#include "device/Payloads.h"
#include "device/Ratings.h"

namespace rir {

namespace {

// Poll states.
constexpr int STATE_UNKNOWN = 0;
constexpr int STATE_IDENTIFIED = 1;
constexpr int STATE_COMPLETE = 2;

// A measurement reply and a second channel's record carry the same five values.
void StoreMeasurement(DeviceState& s, const MeasurePayload& m) {
    s.voltMeas = m.voltMeas;
    s.voltLimit = m.voltLimit;
    s.currMeas = m.currMeas;
    s.currLimit = m.currLimit;
    s.status = m.status;
}

class Decoder {
public:
    Decoder(DecodeContext& c, DevicePage& page, std::span<const int> values) : c_(c), page_(page) {
        const std::size_t functionIndex = c.framing == Framing::Rs232 ? 0 : 1;
        address_ = c.framing == Framing::Rs232 ? 0 : values[0];
        function_ = values[functionIndex];
        payload_ = values.subspan(functionIndex + 1);
    }

    DecodeResult Run();

private:
    // The entry's state, or `fallback` when the entry is gone (the page was just deleted).
    int State(int fallback = STATE_UNKNOWN) const;
    void SetState(int state);
    // Removes the head command when the queue's second value is this function code: only the
    // function is compared, the supplies answer commands strictly in turn.
    void Acknowledge(int function);
    void Enqueue(std::initializer_list<int> values);

    DecodeResult Identify();
    DecodeResult Measure();
    DecodeResult Control();
    DecodeResult Modules();
    DecodeResult Extended();
    DecodeResult Exception();
    void ApplyRecord(const ModuleRecord& record, bool& channelBSeen);
    void ApplyChannelB(const MeasurePayload& values);

    DecodeContext& c_;
    DevicePage& page_;
    std::span<const int> payload_;
    int address_ = 0;
    int function_ = 0;
};

int Decoder::State(int fallback) const {
    std::lock_guard<BusLock> hold(c_.shared.lock);
    const int i = FindEntry(c_.shared.pollList, page_.state.address, page_.state.channel);
    return i < 0 ? fallback : c_.shared.pollList[static_cast<std::size_t>(i)].state;
}

void Decoder::SetState(int state) {
    std::lock_guard<BusLock> hold(c_.shared.lock);
    const int i = FindEntry(c_.shared.pollList, page_.state.address, page_.state.channel);
    if (i >= 0)
        c_.shared.pollList[static_cast<std::size_t>(i)].state = state;
}

void Decoder::Acknowledge(int function) {
    std::lock_guard<BusLock> hold(c_.shared.lock);
    auto& queue = c_.shared.requestQueue;
    if (queue.size() >= 2 && queue[1] == function)
        RemoveHeadCommand(queue);
}

void Decoder::Enqueue(std::initializer_list<int> values) {
    EnqueueCommand(c_.shared, std::span<const int>(values.begin(), values.size()));
}

DecodeResult Decoder::Run() {
    if (function_ > 0x7F)
        return Exception();
    switch (function_) {
    case FC_IDENTIFY:
        return Identify();
    case FC_MEASURE:
        return Measure();
    case FC_CONTROL:
        return Control();
    case FC_MODULES:
        return Modules();
    case FC_EXTENDED:
        return Extended();
    default:
        return DecodeResult::NotDecoded;
    }
}

DecodeResult Decoder::Identify() {
    const auto id = ParseIdentify(payload_);
    if (!id)
        return DecodeResult::Malformed;
    DeviceState& s = page_.state;
    s.model = id->model;
    s.voltMax = id->voltMax;
    s.voltLimit = id->voltLimit;
    s.voltScale = VoltScaleFromCode(id->voltCode);
    s.currMax = id->currMax;
    s.currLimit = id->currLimit;
    s.currScale = CurrScaleFromCode(id->currCode);
    s.voltMin = VoltMinFor(s.voltMax, s.voltScale);
    s.currMin = CurrMinFor(s.currMax);
    SetState(STATE_IDENTIFIED);
    page_.RefreshView(REFRESH_VALUES, STATE_IDENTIFIED);
    return DecodeResult::Decoded;
}

DecodeResult Decoder::Measure() {
    const auto m = ParseMeasure(payload_);
    if (!m)
        return DecodeResult::Malformed;
    DeviceState& s = page_.state;
    StoreMeasurement(s, *m);
    // Supplies with modules must report their configuration before the status is applied.
    const bool waitsForModules = s.model >= 2 && s.model <= 5 && !s.channelBActive;
    int state = State();
    if (waitsForModules)
        state = state == STATE_COMPLETE ? STATE_COMPLETE : STATE_IDENTIFIED;
    else
        state = STATE_COMPLETE;
    SetState(state);
    page_.RefreshView(REFRESH_VALUES, state);
    return DecodeResult::Decoded;
}

DecodeResult Decoder::Control() {
    const auto r = ParseControlReply(payload_);
    if (!r)
        return DecodeResult::Malformed;
    Acknowledge(FC_CONTROL);
    DeviceState& s = page_.state;
    s.voltLimit = r->voltLimit;
    s.currLimit = r->currLimit;
    s.status = r->status;
    page_.RefreshView(REFRESH_ACK, State());
    return DecodeResult::Decoded;
}

DecodeResult Decoder::Modules() {
    const auto modules = ParseModules(payload_);
    if (!modules)
        return DecodeResult::Malformed;
    const int address = page_.state.address;
    bool channelBExisted = false;
    {
        std::lock_guard<BusLock> hold(c_.shared.lock);
        channelBExisted = FindEntry(c_.shared.pollList, address, 1) >= 0;
    }
    bool channelBSeen = false;
    for (const ModuleRecord& record : modules->records)
        ApplyRecord(record, channelBSeen);
    if (modules->config != page_.state.moduleConfig) {
        page_.state.moduleConfig = modules->config;
        page_.RefreshView(REFRESH_LAYOUT, STATE_UNKNOWN);
    }
    if (channelBExisted && !channelBSeen)
        c_.pages.DeleteDevice(address, 1);
    int state = State();
    if (state == STATE_IDENTIFIED) {
        state = STATE_COMPLETE;
        SetState(state);
    }
    page_.RefreshView(REFRESH_MODULES, state);
    return DecodeResult::Decoded;
}

void Decoder::ApplyRecord(const ModuleRecord& record, bool& channelBSeen) {
    DeviceState& s = page_.state;
    if (const auto* t = std::get_if<TimerRecord>(&record)) {
        s.timerMode = t->timerMode;
        s.timerNegative = t->timerNegative;
        s.timerResetOnOff = t->timerResetOnOff;
        s.timerValue = t->timerValue;
    } else if (const auto* k = std::get_if<CounterRecord>(&record)) {
        if (k->doseActive != s.doseActive) {
            s.doseActive = k->doseActive;
            page_.RefreshView(REFRESH_MODULES, STATE_UNKNOWN);
        }
        s.counterMode = k->counterMode;
        s.counterResetOnOff = k->counterResetOnOff;
        s.counterSelect = k->counterSelect;
        s.counterTotal = k->counterTotal;
        s.counterDaily = k->counterDaily;
        if (k->counterUnits != s.counterUnits) {
            s.counterUnits = k->counterUnits;
            page_.RefreshView(REFRESH_MODULES, STATE_UNKNOWN);
        }
    } else if (const auto* r = std::get_if<ReverseRecord>(&record)) {
        s.reversePhase = r->reversePhase;
        s.revFwdCurrent = r->revFwdCurrent;
        s.revBackCurrent = r->revBackCurrent;
        s.revFwdTime = r->revFwdTime;
        s.revBackTime = r->revBackTime;
        if (s.revFwdTimeInitial == 0)
            s.revFwdTimeInitial = s.revFwdTime;
        if (s.revBackTimeInitial == 0)
            s.revBackTimeInitial = s.revBackTime;
    } else if (const auto* w = std::get_if<WattRecord>(&record)) {
        s.wattRaw = w->wattRaw;
    } else if (const auto* b = std::get_if<ChannelBRecord>(&record)) {
        channelBSeen = true;
        ApplyChannelB(b->values);
    } else if (const auto* th = std::get_if<ThermoRecord>(&record)) {
        s.tempRaw = th->tempRaw;
        s.thermoMode = th->thermoMode;
        s.tempTargetRaw = th->tempTargetRaw;
        s.tempDeltaRaw = th->tempDeltaRaw;
    }
}

void Decoder::ApplyChannelB(const MeasurePayload& values) {
    const int address = page_.state.address;
    bool exists = false;
    {
        std::lock_guard<BusLock> hold(c_.shared.lock);
        exists = FindEntry(c_.shared.pollList, address, 1) >= 0;
    }
    if (!exists)
        c_.pages.AddDevice(address, 1);
    DevicePage* b = c_.pages.FindPage(address, 1);
    if (!b)
        return;
    // The second channel learns no module configuration of its own; it has none.
    if (b->state.moduleConfig < 0)
        b->AssumeNoModules();
    DeviceState& bs = b->state;
    const DeviceState& main = page_.state;
    StoreMeasurement(bs, values);
    if (bs.voltMax != main.voltMax) {
        bs.voltMax = main.voltMax;
        bs.currMax = main.currMax;
        bs.voltMin = main.voltMin;
        bs.currMin = main.currMin;
        bs.currScale = main.currScale;
        bs.voltScale = main.voltScale;
        bs.model = main.model;
    }
    {
        std::lock_guard<BusLock> hold(c_.shared.lock);
        const int i = FindEntry(c_.shared.pollList, address, 1);
        if (i >= 0)
            c_.shared.pollList[static_cast<std::size_t>(i)].state = STATE_COMPLETE;
    }
    b->RefreshView(REFRESH_VALUES, STATE_COMPLETE);
    page_.state.channelBActive = true;
    bs.channelBActive = true;
}

DecodeResult Decoder::Extended() {
    Acknowledge(FC_EXTENDED);
    if (c_.bus.reidentifyAfterAck.exchange(false))
        Enqueue({address_, FC_IDENTIFY, 2});
    page_.state.channelBActive = false;
    return DecodeResult::Decoded;
}

DecodeResult Decoder::Exception() {
    if (payload_.empty())
        return DecodeResult::Malformed;
    const int code = payload_[0];
    const int refused = function_ - EXCEPTION_FLAG;
    if (refused == FC_MODULES && code == 1) {
        // No modules: poll measurements only from now on, and let the page come online
        // without waiting for a configuration it will never report.
        if (page_.state.moduleConfig < 0)
            page_.AssumeNoModules();
        int state = State();
        if (state == STATE_IDENTIFIED) {
            state = STATE_COMPLETE;
            SetState(state);
        }
        page_.RefreshView(REFRESH_MODULES, state);
        std::lock_guard<BusLock> hold(c_.shared.lock);
        const int i = FindEntry(c_.shared.pollList, page_.state.address, page_.state.channel);
        if (i >= 0)
            c_.shared.pollList[static_cast<std::size_t>(i)].moduleDataAllowed = false;
    }
    if (code == 5)
        Enqueue({address_, FC_IDENTIFY, 1});
    return DecodeResult::Decoded;
}

} // namespace

DecodeResult DecodeReply(DecodeContext& context, DevicePage& page, std::span<const int> values) {
    const std::size_t minimum = context.framing == Framing::Rs232 ? 1 : 2;
    if (values.size() < minimum)
        return DecodeResult::Malformed;
    return Decoder(context, page, values).Run();
}

} // namespace rir
