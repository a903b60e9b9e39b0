#include "alarm/AlarmMonitor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace rir {

namespace {

std::string Fixed(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

const char* Letter(Regulated r) {
    return r == Regulated::Voltage ? "U" : r == Regulated::Current ? "I" : "";
}

const char* Genitive(Regulated r) {
    return r == Regulated::Voltage ? "напряжения" : "тока";
}

} // namespace

void AlarmMonitor::setSettings(const AlarmSettings& settings) {
    settings_ = settings;
    for (Watch& w : alarms_)
        if (w.phase == AlarmPhase::Clear)
            w.held = 0;
}

int AlarmMonitor::DelayOf(AlarmKind kind) const {
    switch (kind) {
    case AlarmKind::Silent: // the five missed replies before a page greys are its hold-off
    case AlarmKind::LinkErrors:
        return 0;
    default:
        return settings_.delaySeconds;
    }
}

void AlarmMonitor::TrackStep(const AlarmSecond& now) {
    const StepKey key{now.programActive ? now.step : -1, now.setVolts, now.setAmps, now.outputOn};
    if (stepKey_ != key) {
        stepKey_ = key;
        stepSeconds_ = 0;
        settled_ = Regulated::None;
        // A new set point is a new plan: a deviation from the old one is not held against it.
        alarms_[Index(AlarmKind::OffPlan)].held = 0;
        alarms_[Index(AlarmKind::RegulationChange)].held = 0;
        return;
    }
    if (now.online && now.measured)
        ++stepSeconds_;
    if (settled_ == Regulated::None && stepSeconds_ >= ALARM_SETTLE_SECONDS)
        settled_ = now.regulation;
}

int AlarmMonitor::RecentLinkErrors() const {
    long long sum = 0;
    for (long long n : errorRing_)
        sum += n;
    return static_cast<int>(std::min<long long>(sum, 1'000'000));
}

AlarmMonitor::Finding AlarmMonitor::Check(AlarmKind kind, const AlarmSecond& now) const {
    Finding f;
    switch (kind) {
    case AlarmKind::Silent:
        f.holds = !now.online && (now.outputOn || now.programActive);
        f.text = now.programActive ? "нет ответа во время программы" : "нет ответа при включённом выходе";
        return f;
    case AlarmKind::LinkErrors: {
        const int errors = RecentLinkErrors();
        f.holds = errors >= settings_.linkErrorsPerMinute;
        f.value = std::to_string(errors);
        f.limit = std::to_string(settings_.linkErrorsPerMinute);
        f.text = "ошибки связи: " + f.value + " за минуту";
        return f;
    }
    default:
        break;
    }
    if (!now.online || !now.measured) {
        f.known = false;
        return f;
    }
    switch (kind) {
    case AlarmKind::OffPlan: {
        const bool regulating = now.outputOn && (now.programRuns || !now.programActive);
        const Regulated quantity = settled_ != Regulated::None ? settled_ : now.regulation;
        if (!regulating || settled_ == Regulated::None || quantity == Regulated::None)
            return f;
        const bool volts = quantity == Regulated::Voltage;
        const double set = volts ? now.setVolts : now.setAmps;
        const double measured = volts ? now.volts : now.amps;
        const double tolerance =
            std::max(std::fabs(set) * settings_.tolerancePercent / 100.0, ALARM_TOLERANCE_FLOOR);
        // Values come from the supply's steps (1.10 A is 110 hundredths): a deviation of exactly the
        // tolerance must not tip over it by a rounding in the last bit.
        f.holds = std::fabs(measured - set) > tolerance + 1e-9;
        f.value = Fixed(measured, 2);
        f.limit = Fixed(set, 2);
        const char* unit = volts ? " В" : " А";
        f.text = std::string(volts ? "напряжение " : "ток ") + f.value + unit + " вместо " + f.limit + unit;
        return f;
    }
    case AlarmKind::RegulationChange: {
        // Only a program's step says which regulation it wants to hold; limits set by hand may
        // well be meant to hand over from one to the other.
        if (!now.outputOn || !now.programRuns || settled_ == Regulated::None ||
            now.regulation == Regulated::None)
            return f;
        f.holds = now.regulation != settled_;
        f.value = Letter(now.regulation);
        f.limit = Letter(settled_);
        f.text = std::string("стабилизация ") + Genitive(now.regulation) + " вместо " + Genitive(settled_);
        return f;
    }
    case AlarmKind::Temperature: {
        if (!now.temperature) {
            f.known = false;
            return f;
        }
        const double t = *now.temperature;
        const bool high = t > settings_.tempHigh;
        f.holds = high || t < settings_.tempLow;
        f.value = Fixed(t, 1);
        f.limit = Fixed(high ? settings_.tempHigh : settings_.tempLow, 1);
        f.text = "температура " + f.value + " °C вне " + Fixed(settings_.tempLow, 1) + "…" +
                 Fixed(settings_.tempHigh, 1) + " °C";
        return f;
    }
    default:
        return f;
    }
}

void AlarmMonitor::Update(AlarmKind kind, const Finding& found, std::vector<AlarmEvent>& out) {
    Watch& w = alarms_[Index(kind)];
    if (!found.known)
        return;
    if (found.holds) {
        ++w.held;
        w.text = found.text;
        if (w.phase == AlarmPhase::Clear || w.phase == AlarmPhase::ClearedUnacknowledged) {
            if (w.held > DelayOf(kind)) {
                w.phase = AlarmPhase::Active;
                w.value = found.value;
                w.limit = found.limit;
                out.push_back({kind, AlarmTransition::Raised, found.value, found.limit, {}});
            }
        }
        return;
    }
    w.held = 0;
    if (w.phase == AlarmPhase::Active || w.phase == AlarmPhase::ActiveAcknowledged) {
        w.phase = w.phase == AlarmPhase::Active ? AlarmPhase::ClearedUnacknowledged : AlarmPhase::Clear;
        out.push_back({kind, AlarmTransition::Cleared, found.value, found.limit, {}});
    }
}

std::vector<AlarmEvent> AlarmMonitor::Second(const AlarmSecond& now) {
    std::vector<AlarmEvent> out;
    if (now.online && now.measured)
        everMeasured_ = true;

    // Errors are counted in one-second slots over the last minute; a count that goes back (a
    // page set up again) starts the slots afresh.
    errorAt_ = (errorAt_ + 1) % ALARM_RATE_WINDOW_SECONDS;
    errorRing_[static_cast<std::size_t>(errorAt_)] =
        lastErrors_ && now.linkErrors >= *lastErrors_ ? now.linkErrors - *lastErrors_ : 0;
    lastErrors_ = now.linkErrors;

    TrackStep(now);
    // A page that never gave a valid measurement has nothing to raise an alarm about.
    if (!everMeasured_)
        return out;
    for (int k = 0; k < ALARM_KIND_COUNT; ++k) {
        const auto kind = static_cast<AlarmKind>(k);
        Update(kind, Check(kind, now), out);
    }
    return out;
}

std::vector<AlarmEvent> AlarmMonitor::Acknowledge(const std::string& user) {
    std::vector<AlarmEvent> out;
    for (int k = 0; k < ALARM_KIND_COUNT; ++k) {
        Watch& w = alarms_[static_cast<std::size_t>(k)];
        if (w.phase != AlarmPhase::Active && w.phase != AlarmPhase::ClearedUnacknowledged)
            continue;
        w.phase = w.phase == AlarmPhase::Active ? AlarmPhase::ActiveAcknowledged : AlarmPhase::Clear;
        out.push_back({static_cast<AlarmKind>(k), AlarmTransition::Acknowledged, w.value, w.limit, user});
    }
    return out;
}

std::vector<AlarmEvent> AlarmMonitor::ClearAll() {
    std::vector<AlarmEvent> out;
    for (int k = 0; k < ALARM_KIND_COUNT; ++k) {
        Watch& w = alarms_[static_cast<std::size_t>(k)];
        if (w.phase == AlarmPhase::Active || w.phase == AlarmPhase::ActiveAcknowledged)
            out.push_back({static_cast<AlarmKind>(k), AlarmTransition::Cleared, w.value, w.limit, {}});
        w = Watch{};
    }
    return out;
}

bool AlarmMonitor::active() const {
    return std::any_of(alarms_.begin(), alarms_.end(), [](const Watch& w) {
        return w.phase == AlarmPhase::Active || w.phase == AlarmPhase::ActiveAcknowledged;
    });
}

bool AlarmMonitor::unacknowledged() const {
    return std::any_of(alarms_.begin(), alarms_.end(), [](const Watch& w) {
        return w.phase == AlarmPhase::Active || w.phase == AlarmPhase::ClearedUnacknowledged;
    });
}

std::string AlarmMonitor::StatusText() const {
    std::string holding, gone;
    for (const Watch& w : alarms_) {
        std::string& into = w.phase == AlarmPhase::ClearedUnacknowledged ? gone : holding;
        if (w.phase == AlarmPhase::Clear)
            continue;
        if (!into.empty())
            into += "; ";
        into += w.text;
    }
    if (!holding.empty())
        return "Тревога: " + holding;
    if (!gone.empty())
        return "Тревога снята, не квитирована: " + gone;
    return {};
}

} // namespace rir
