// A supply page's alarms: what is watched each second, when a condition has held long enough to
// raise its alarm, and the alarm's life from raised to acknowledged and cleared. Pure logic: the
// page hands in what it knows once a second and gets back the transitions to journal and show.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace rir {

// What can go wrong on a page, in the order the page names them when several are active.
enum class AlarmKind {
    Silent,           // no answer while the output is on or a program runs
    OffPlan,          // the regulated quantity away from its set value
    RegulationChange, // the supply left the regulation it settled in for this step
    Temperature,      // the bath's thermometer outside its band
    LinkErrors,       // misses and bad replies on this supply above their rate
};
inline constexpr int ALARM_KIND_COUNT = 5;

// The usual alarm life: raised (not yet seen), acknowledged while it still holds, gone before
// anyone saw it, and clear.
enum class AlarmPhase { Clear, Active, ActiveAcknowledged, ClearedUnacknowledged };

enum class AlarmTransition { Raised, Acknowledged, Cleared };

enum class Regulated { None, Voltage, Current };

struct AlarmSettings {
    double tolerancePercent = 10.0; // of the set value, and never less than 0.1 V or 0.1 A
    int delaySeconds = 10;          // how long a deviation must hold before it is an alarm
    double tempLow = 5.0;           // degrees Celsius
    double tempHigh = 60.0;
    int linkErrorsPerMinute = 5; // this many misses or bad replies within 60 s raise the alarm
    bool pauseProgram = false;   // a new alarm pauses the page's running program
    bool operator==(const AlarmSettings&) const = default;
};

// Bounds of the settings an operator may give (the settings dialog and file are held to them).
inline constexpr double ALARM_TOLERANCE_MIN = 1.0;
inline constexpr double ALARM_TOLERANCE_MAX = 100.0;
inline constexpr int ALARM_DELAY_MIN = 1;
inline constexpr int ALARM_DELAY_MAX = 3600;
inline constexpr double ALARM_TEMP_MIN = -50.0;
inline constexpr double ALARM_TEMP_MAX = 150.0;
inline constexpr int ALARM_LINK_ERRORS_MIN = 1;
inline constexpr int ALARM_LINK_ERRORS_MAX = 60;

// The smallest tolerance, in volts or amperes: 10 % of a 0.2 A set point would be noise.
inline constexpr double ALARM_TOLERANCE_FLOOR = 0.1;
// A new set point is followed within a second or two; the regulation the supply settles in is
// taken this long after the step began.
inline constexpr int ALARM_SETTLE_SECONDS = 2;
inline constexpr int ALARM_RATE_WINDOW_SECONDS = 60;

// What the page knows at one second.
struct AlarmSecond {
    bool online = false;
    bool measured = false;            // a valid measurement has come since the page was set up
    bool outputOn = false;            // as the supply last said
    bool programRuns = false;         // running and not paused
    bool programActive = false;       // running or paused
    int step = -1;                    // the program's row in force; -1 without a program
    double volts = 0, amps = 0;       // measured
    double setVolts = 0, setAmps = 0; // the plan's or the limits in force
    Regulated regulation = Regulated::None;
    std::optional<double> temperature;
    long long linkErrors = 0; // misses and bad replies counted on this supply so far
};

struct AlarmEvent {
    AlarmKind kind = AlarmKind::Silent;
    AlarmTransition what = AlarmTransition::Raised;
    std::string value; // what was measured, as the journal writes it ("0.52", "I", "65.2")
    std::string limit; // what it should have been ("1.00", "U", "60.0")
    std::string user;  // who acknowledged
};

class AlarmMonitor {
public:
    explicit AlarmMonitor(const AlarmSettings& settings = {}) : settings_(settings) {}

    // One second of the page; returns the transitions it caused.
    std::vector<AlarmEvent> Second(const AlarmSecond& now);
    // Acknowledges every alarm that waits for it.
    std::vector<AlarmEvent> Acknowledge(const std::string& user);
    // The page goes away: every alarm not yet clear is cleared.
    std::vector<AlarmEvent> ClearAll();

    const AlarmSettings& settings() const { return settings_; }
    // New settings take effect at the next second; deviations being held off start again.
    void setSettings(const AlarmSettings& settings);

    AlarmPhase phase(AlarmKind kind) const { return alarms_[Index(kind)].phase; }
    bool active() const;         // any alarm holds
    bool unacknowledged() const; // any alarm waits for "Квитировать"
    // The page's alarm line: "Тревога: ток 0.52 А вместо 1.00 А; …", or "" when all is clear.
    std::string StatusText() const;

private:
    struct Watch {
        AlarmPhase phase = AlarmPhase::Clear;
        int held = 0; // seconds the condition has held without a break
        std::string value, limit;
        std::string text; // what the page says while it is active
    };
    static int Index(AlarmKind kind) { return static_cast<int>(kind); }

    // The condition of one kind at this second, the value and limit to journal, the page's text.
    struct Finding {
        bool holds = false;
        bool known = true; // false: nothing can be said this second; the alarm stays as it is
        std::string value, limit, text;
    };
    Finding Check(AlarmKind kind, const AlarmSecond& now) const;
    int DelayOf(AlarmKind kind) const;
    void TrackStep(const AlarmSecond& now);
    int RecentLinkErrors() const;
    void Update(AlarmKind kind, const Finding& found, std::vector<AlarmEvent>& out);

    AlarmSettings settings_;
    std::array<Watch, ALARM_KIND_COUNT> alarms_{};
    bool everMeasured_ = false;

    // The step in force: a new row, new set values or the output switched start it again.
    struct StepKey {
        int step = -1;
        double setVolts = 0, setAmps = 0;
        bool outputOn = false;
        bool operator==(const StepKey&) const = default;
    };
    std::optional<StepKey> stepKey_;
    int stepSeconds_ = 0;
    Regulated settled_ = Regulated::None; // the regulation the step settled in

    std::array<long long, ALARM_RATE_WINDOW_SECONDS> errorRing_{};
    int errorAt_ = 0;
    std::optional<long long> lastErrors_;
};

} // namespace rir
