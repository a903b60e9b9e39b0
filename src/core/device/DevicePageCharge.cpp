// Steps that end by charge: the page counts the ampere-seconds the supply reports in each second
// of such a step and moves the rest of the program when the step ends sooner or later than
// its expected length at the set current. The count is the station's own, so a supply without
// the counter module runs such programs as well.
#include "device/DevicePage.h"

#include <algorithm>

namespace rir {

namespace {

// The ring is refilled up to 119 seconds ahead of the present one (the minute step's refill).
constexpr int PLAN_AHEAD = 2 * SECONDS_PER_MINUTE - 1;

} // namespace

void DevicePage::BeginChargeRun() {
    programCharges_.resize(programSteps_.size());
    runSteps_ = programSteps_;
    stepCharge_ = 0;
    runCharge_ = 0;
    if (std::any_of(programCharges_.begin(), programCharges_.end(),
                    [](const auto& c) { return c.has_value(); }))
        RenderPlanFrom(0);
}

std::optional<std::size_t> DevicePage::StepAt(int second) const {
    std::optional<std::size_t> at;
    for (std::size_t k = 0; k < runSteps_.size(); ++k) {
        if (runSteps_[k].time <= second)
            at = k;
    }
    return at;
}

ChartSample DevicePage::PlanAt(int second) const {
    const std::optional<std::size_t> k = StepAt(second);
    ChartSample plan;
    if (k)
        plan = ChartSample(second, runSteps_[*k].currLimit, runSteps_[*k].voltLimit, runSteps_[*k].output,
                           std::nullopt);
    plan.time = second;
    return plan;
}

void DevicePage::RenderPlanFrom(int second) {
    if (secondsRing.size() < static_cast<std::size_t>(SECONDS_RING_SIZE)) {
        for (int r = static_cast<int>(secondsRing.size()); r < SECONDS_RING_SIZE; ++r)
            secondsRing.push_back(PlanAt(r));
    }
    const int last = std::max(SECONDS_RING_SIZE - 1, second + PLAN_AHEAD);
    for (int r = second; r <= last; ++r) {
        ChartSample* entry = RingEntry(secondsRing, RingIndex(r));
        if (entry == nullptr)
            continue;
        const ChartSample plan = PlanAt(r);
        entry->time = r;
        entry->currLimit = plan.currLimit;
        entry->voltLimit = plan.voltLimit;
        entry->output = plan.output;
    }
    // The minutes still ahead: entry m holds the plan's means over the seconds (m-1)*60 to
    // m*60-1, as the preview lays them out.
    const int duration = chart.programDuration;
    const std::size_t recorded = static_cast<std::size_t>(second / SECONDS_PER_MINUTE + 1);
    const std::size_t wanted = duration >= SECONDS_PER_MINUTE - 1
                                   ? static_cast<std::size_t>((duration + 1) / SECONDS_PER_MINUTE + 1)
                                   : 0;
    if (minutesList.size() > std::max(recorded, wanted))
        minutesList.resize(std::max(recorded, wanted));
    for (std::size_t m = std::max<std::size_t>(recorded, 1); m < wanted; ++m) {
        long long curr = 0, volt = 0, output = 0;
        const int from = static_cast<int>(m - 1) * SECONDS_PER_MINUTE;
        for (int r = from; r < from + SECONDS_PER_MINUTE; ++r) {
            const ChartSample plan = PlanAt(r);
            curr += plan.currLimit;
            volt += plan.voltLimit;
            output += plan.output;
        }
        const ChartSample mean(static_cast<int>(m), static_cast<int>(curr / SECONDS_PER_MINUTE),
                               static_cast<int>(volt / SECONDS_PER_MINUTE),
                               output > SECONDS_PER_MINUTE / 2 ? 1 : 0, std::nullopt);
        if (m < minutesList.size())
            minutesList[m] = mean;
        else
            minutesList.push_back(mean);
    }
}

void DevicePage::CountCharge() {
    const int now = chart.elapsedSeconds;
    if (state.online)
        runCharge_ += std::max(state.currMeas, 0);
    const std::optional<std::size_t> k = StepAt(now - 1);
    if (!k || *k >= programCharges_.size() || !programCharges_[*k])
        return;
    if (state.online) {
        stepCharge_ += std::max(state.currMeas, 0);
        if (runStatus_ == CHARGE_NO_CURRENT_TEXT)
            ShowRunStatus("");
    } else if (runStatus_.empty()) {
        ShowRunStatus(CHARGE_NO_CURRENT_TEXT);
    }
    const std::size_t next = *k + 1;
    if (next >= runSteps_.size())
        return; // the loader closes a program that ends by charge with a step of its own
    // Raw ampere-seconds against thousandths of an ampere-hour: both sides in whole numbers.
    const long long target = static_cast<long long>(*programCharges_[*k]) * SECONDS_PER_HOUR_OF_CHARGE *
                             std::max(state.currScale, 1);
    const bool reached = stepCharge_ * CHARGE_MILLI >= target;
    const int due = runSteps_[next].time;
    int delta = 0;
    if (reached && due > now)
        delta = now - due; // the step ended early: what follows moves up to the present second
    else if (!reached && due <= now)
        delta = now + 1 - due; // held: what follows waits one more second
    if (reached)
        stepCharge_ = 0;
    if (delta == 0)
        return;
    for (std::size_t i = next; i < runSteps_.size(); ++i)
        runSteps_[i].time += delta;
    chart.programDuration += delta;
    RenderPlanFrom(now);
}

long long DevicePage::runChargeMilliAh() const {
    const long long scale = std::max(state.currScale, 1);
    return runCharge_ * CHARGE_MILLI / (SECONDS_PER_HOUR_OF_CHARGE * scale);
}

long long DevicePage::stepChargeMilliAh() const {
    const long long scale = std::max(state.currScale, 1);
    return stepCharge_ * CHARGE_MILLI / (SECONDS_PER_HOUR_OF_CHARGE * scale);
}

} // namespace rir
