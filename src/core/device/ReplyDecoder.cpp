#include "device/ReplyDecoder.h"

#include <mutex>
#include <utility>
#include <variant>

#include "device/DevicePage.h"
#include "device/Payloads.h"
#include "device/Ratings.h"

namespace rir {

namespace {

// A measurement reply and a second channel's record carry the same five values.
void StoreMeasurement(DeviceState& s, const MeasurePayload& m) {
    s.voltMeas = m.voltMeas;
    s.voltLimit = m.voltLimit;
    s.currMeas = m.currMeas;
    s.currLimit = m.currLimit;
    s.status = m.status;
    ++s.measurements;
}

// Whether an identification gives the ratings the page already has (the limits may differ).
bool IsKnownIdentity(const DeviceState& s, const IdentifyPayload& id) {
    return s.model == id.model && s.voltMax == id.voltMax && s.currMax == id.currMax &&
           s.voltScale == VoltScaleFromCode(id.voltCode) && s.currScale == CurrScaleFromCode(id.currCode);
}

bool SameRatings(const IdentifyPayload& a, const IdentifyPayload& b) {
    return a.model == b.model && a.voltMax == b.voltMax && a.voltCode == b.voltCode &&
           a.currMax == b.currMax && a.currCode == b.currCode;
}

bool HasEntry(BusShared& shared, int address, int channel) {
    return WithEntry(
        shared, address, channel, [](PollEntry&) { return true; }, false);
}

class Decoder {
public:
    Decoder(DecodeContext& c, DevicePage& page, std::span<const int> values) : c_(c), page_(page) {
        const std::size_t functionIndex = c.framing == Framing::Rs232 ? 0 : 1;
        address_ = c.framing == Framing::Rs232 ? 0 : values[0];
        function_ = values[functionIndex];
        payload_ = values.subspan(functionIndex + 1);
    }

    DecodeOutcome Run();

private:
    // The state of the page's own entry; Unknown when it has none.
    PollState State() const;
    void SetState(PollState state);
    // Removes the head command when the queue's second value is this function code: only the
    // function is compared, the supplies answer commands strictly in turn.
    // Removes the head command when this reply acknowledges it; what it asked of the bus.
    CommandEffects Acknowledge(int function);
    void Reidentify(int data);

    DecodeResult Identify();
    DecodeResult Measure();
    DecodeResult Control();
    DecodeResult Modules();
    DecodeResult Extended();
    DecodeResult Exception();
    void ApplyRecord(const ModuleRecord& record, bool& channelBSeen);

    DecodeContext& c_;
    DevicePage& page_;
    std::span<const int> payload_;
    int address_ = 0;
    int function_ = 0;
    std::vector<PageOperation> operations_;
};

PollState Decoder::State() const {
    return WithEntry(
        c_.shared, page_.state.address, page_.state.channel, [](PollEntry& e) { return e.state; },
        PollState::Unknown);
}

void Decoder::SetState(PollState state) {
    WithEntry(c_.shared, page_.state.address, page_.state.channel, [state](PollEntry& e) {
        e.state = state;
        return true;
    });
}

CommandEffects Decoder::Acknowledge(int function) {
    std::lock_guard<BusLock> hold(c_.shared.lock);
    auto& queue = c_.shared.requestQueue;
    const QueuedCommand* head = queue.head();
    if (head == nullptr || head->bytes.size() < 2 || head->bytes[1] != function)
        return {};
    return queue.TakeHead()->effects;
}

void Decoder::Reidentify(int data) {
    PageOperation op;
    op.kind = PageOperation::Kind::Reidentify;
    op.address = address_;
    op.data = data;
    operations_.push_back(op);
}

DecodeOutcome Decoder::Run() {
    DecodeOutcome outcome;
    if (function_ > 0x7F) {
        outcome.result = Exception();
    } else {
        switch (function_) {
        case FC_IDENTIFY:
            outcome.result = Identify();
            break;
        case FC_MEASURE:
            outcome.result = Measure();
            break;
        case FC_CONTROL:
            outcome.result = Control();
            break;
        case FC_MODULES:
            outcome.result = Modules();
            break;
        case FC_EXTENDED:
            outcome.result = Extended();
            break;
        default:
            outcome.result = DecodeResult::NotDecoded;
            break;
        }
    }
    outcome.operations = std::move(operations_);
    return outcome;
}

DecodeResult Decoder::Identify() {
    const auto id = ParseIdentify(payload_);
    if (!id)
        return DecodeResult::Malformed;
    DeviceState& s = page_.state;
    if (s.model != 0 && !IsKnownIdentity(s, *id)) {
        const bool repeated = page_.identityToConfirm && SameRatings(*page_.identityToConfirm, *id);
        if (!repeated) {
            page_.identityToConfirm = *id;
            Reidentify(1);
            return DecodeResult::Decoded;
        }
    }
    page_.identityToConfirm.reset();
    s.model = id->model;
    s.voltMax = id->voltMax;
    s.voltLimit = id->voltLimit;
    s.voltScale = VoltScaleFromCode(id->voltCode);
    s.currMax = id->currMax;
    s.currLimit = id->currLimit;
    s.currScale = CurrScaleFromCode(id->currCode);
    s.voltMin = VoltMinFor(s.voltMax, s.voltScale);
    s.currMin = CurrMinFor(s.currMax);
    SetState(PollState::Identified);
    page_.RefreshView(RefreshCode::Values, PollState::Identified);
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
    PollState state = State();
    if (waitsForModules)
        state = state == PollState::Complete ? PollState::Complete : PollState::Identified;
    else
        state = PollState::Complete;
    SetState(state);
    page_.RefreshView(RefreshCode::Values, state);
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
    page_.RefreshView(RefreshCode::WriteAck, State());
    return DecodeResult::Decoded;
}

DecodeResult Decoder::Modules() {
    const auto modules = ParseModules(payload_);
    if (!modules)
        return DecodeResult::Malformed;
    const int address = page_.state.address;
    const bool channelBExisted = HasEntry(c_.shared, address, 1);
    bool channelBSeen = false;
    for (const ModuleRecord& record : modules->records)
        ApplyRecord(record, channelBSeen);
    if (modules->config != page_.state.moduleConfig) {
        page_.state.moduleConfig = modules->config;
        page_.RefreshView(RefreshCode::Layout, PollState::Unknown);
    }
    if (channelBExisted && !channelBSeen) {
        PageOperation op;
        op.kind = PageOperation::Kind::RemoveChannelB;
        op.address = address;
        operations_.push_back(op);
    }
    PollState state = State();
    if (state == PollState::Identified) {
        state = PollState::Complete;
        SetState(state);
    }
    page_.RefreshView(RefreshCode::Modules, state);
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
            page_.RefreshView(RefreshCode::Modules, PollState::Unknown);
        }
        s.counterMode = k->counterMode;
        s.counterResetOnOff = k->counterResetOnOff;
        s.counterSelect = k->counterSelect;
        s.counterTotal = k->counterTotal;
        s.counterDaily = k->counterDaily;
        if (k->counterUnits != s.counterUnits) {
            s.counterUnits = k->counterUnits;
            page_.RefreshView(RefreshCode::Modules, PollState::Unknown);
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
        s.channelBActive = true;
        PageOperation op;
        op.kind = PageOperation::Kind::ShowChannelB;
        op.address = s.address;
        op.channelB = b->values;
        operations_.push_back(op);
    } else if (const auto* th = std::get_if<ThermoRecord>(&record)) {
        s.tempRaw = th->tempRaw;
        s.thermoMode = th->thermoMode;
        s.tempTargetRaw = th->tempTargetRaw;
        s.tempDeltaRaw = th->tempDeltaRaw;
    }
}

DecodeResult Decoder::Extended() {
    // A module change takes effect with its acknowledgement; never on a point-to-point line.
    if (Acknowledge(FC_EXTENDED).reidentifies && c_.framing != Framing::Rs232)
        Reidentify(2);
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
        PollState state = State();
        if (state == PollState::Identified) {
            state = PollState::Complete;
            SetState(state);
        }
        page_.RefreshView(RefreshCode::Modules, state);
        WithEntry(c_.shared, page_.state.address, page_.state.channel, [](PollEntry& e) {
            e.moduleDataAllowed = false;
            return true;
        });
    }
    if (code == 5)
        Reidentify(1);
    return DecodeResult::Decoded;
}

} // namespace

DecodeOutcome DecodeReply(DecodeContext& context, DevicePage& page, std::span<const int> values) {
    const std::size_t minimum = context.framing == Framing::Rs232 ? 1 : 2;
    if (values.size() < minimum)
        return {DecodeResult::Malformed, {}};
    return Decoder(context, page, values).Run();
}

void ApplyChannelB(BusShared& shared, DevicePage& main, DevicePage& b, const MeasurePayload& values) {
    // The second channel learns no module configuration of its own; it has none.
    if (b.state.moduleConfig < 0)
        b.AssumeNoModules();
    DeviceState& bs = b.state;
    const DeviceState& ms = main.state;
    StoreMeasurement(bs, values);
    if (bs.voltMax != ms.voltMax) {
        bs.voltMax = ms.voltMax;
        bs.currMax = ms.currMax;
        bs.voltMin = ms.voltMin;
        bs.currMin = ms.currMin;
        bs.currScale = ms.currScale;
        bs.voltScale = ms.voltScale;
        bs.model = ms.model;
    }
    WithEntry(shared, bs.address, 1, [](PollEntry& e) {
        e.state = PollState::Complete;
        return true;
    });
    b.RefreshView(RefreshCode::Values, PollState::Complete);
    main.state.channelBActive = true;
    bs.channelBActive = true;
}

} // namespace rir
