// The pages' alarms as the station keeps them: one monitor per page, fed once a second from what
// the page knows; each transition journalled and logged, a new one beeped and, where the page
// asks for it, its program paused; the alarm line, "Квитировать", the tab's mark and the status
// line's count; the per-page settings dialog and the settings file's alarm values.
#include "app/Station.h"

#include "alarm/AlarmSetup.h"
#include "device/PageControls.h"
#include "device/TemperatureText.h"
#include "journal/JournalFormat.h"
#include "program/ProgramReport.h"
#include "program/ProgramRunner.h"

#include <algorithm>

namespace rir {

namespace {

// The event log's words for a transition (%s: the tab's caption, the kind, then the details).
constexpr std::string_view LOG_ALARM_RAISED = "Тревога %s: %s%s";
constexpr std::string_view LOG_ALARM_ACKNOWLEDGED = "Тревога %s квитирована: %s (пользователь %s)";
constexpr std::string_view LOG_ALARM_CLEARED = "Тревога %s снята: %s";
constexpr std::string_view LOG_ALARM_JOURNAL_FAILED = "Журнал тревог %s не записывается: %s";
// A page's program paused by its own alarm, as a lost port pauses it.
constexpr std::string_view PAGE_PAUSED_BY_ALARM = "Пауза: тревога (%s)";
constexpr std::string_view LOG_PAUSED_BY_ALARM =
    "Работа по файлу %s приостановлена: тревога (%s). Продолжение - кнопкой «Продолжить»";
// The tab's caption while an alarm of its page holds or waits for "Квитировать".
constexpr std::string_view TAB_ALARM_MARK = " (!)";
// After the status line's link part while any page has an alarm that holds.
constexpr std::string_view STATUS_ALARMS = " | Тревоги: %s";
constexpr std::string_view TIP_ALARM_SETUP = "Настройка тревог";

// The alarm line's colours: red while an alarm waits, dark red once seen, grey once gone.
constexpr Rgb ALARM_WAITING{200, 0, 0};
constexpr Rgb ALARM_SEEN{128, 0, 0};
constexpr Rgb ALARM_GONE{96, 96, 96};

Regulated RegulationOf(const DeviceState& s) {
    if (!s.online || !s.outputOn)
        return Regulated::None;
    return s.voltRegulation ? Regulated::Voltage : Regulated::Current;
}

// The program's row in force: the last step whose time has come.
int StepInForce(const DevicePage& page) {
    int step = -1;
    const std::vector<ChartSample>& steps = page.programSteps();
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (steps[i].time <= page.chart.elapsedSeconds)
            step = static_cast<int>(i);
    }
    return step;
}

std::string Details(const AlarmEvent& e) {
    if (e.value.empty())
        return {};
    return ", значение " + e.value + ", предел " + e.limit;
}

} // namespace

Station::PageAlarms* Station::FindAlarms(int address, int channel) const {
    for (const auto& a : alarms_) {
        if (a->address == address && a->channel == channel)
            return a.get();
    }
    return nullptr;
}

Station::PageAlarms& Station::AlarmsFor(const DevicePage& page) {
    if (PageAlarms* a = FindAlarms(page.state.address, page.state.channel))
        return *a;
    auto made = std::make_unique<PageAlarms>();
    made->address = page.state.address;
    made->channel = page.state.channel;
    alarms_.push_back(std::move(made));
    return *alarms_.back();
}

const AlarmMonitor* Station::AlarmsOf(int address, int channel) const {
    const PageAlarms* a = FindAlarms(address, channel);
    return a != nullptr ? &a->monitor : nullptr;
}

void Station::SetAlarmJournal(std::filesystem::path path) {
    alarmJournal_ = path.empty() ? nullptr : std::make_unique<AlarmJournal>(std::move(path));
}

void Station::CountAlarmLinkError(const DevicePage* page) {
    if (page != nullptr)
        ++AlarmsFor(*page).linkErrors;
}

void Station::AlarmSeconds() {
    for (const auto& page : pages_) {
        PageAlarms& alarms = AlarmsFor(*page);
        const DeviceState& s = page->state;
        AlarmSecond now;
        now.online = s.online;
        now.measured = s.online;
        // A page that stopped answering has had its values reset: its output is what the supply
        // last said while it answered.
        if (s.online)
            alarms.outputWasOn = s.outputOn;
        now.outputOn = alarms.outputWasOn;
        now.programRuns = page->programRunning();
        now.programActive = page->programStarted();
        now.step = now.programActive ? StepInForce(*page) : -1;
        const double voltScale = std::max(1, s.voltScale);
        const double currScale = std::max(1, s.currScale);
        now.volts = s.voltMeas / voltScale;
        now.amps = s.currMeas / currScale;
        now.setVolts = s.voltLimit / voltScale;
        now.setAmps = s.currLimit / currScale;
        // A running program's plan for this second, rather than what the supply took of it.
        if (now.programActive) {
            if (const ChartSample* plan = RingEntry(page->secondsRing, page->chart.ringIndex)) {
                now.setVolts = plan->voltLimit / voltScale;
                now.setAmps = plan->currLimit / currScale;
            }
        }
        now.regulation = RegulationOf(s);
        if (s.online && s.hasThermoRow)
            now.temperature = (s.tempRaw - TEMPERATURE_ZERO) / 10.0;
        now.linkErrors = alarms.linkErrors;
        TakeAlarmEvents(*page, alarms, alarms.monitor.Second(now));
        if (page->view.SetToolTip(IDC_ALARM_SETUP, TIP_ALARM_SETUP))
            PageUpdated(*page);
    }
    RefreshOverview();
}

void Station::RefreshOverview() {
    if (overview_.Update(pages_, selected_,
                         [this](const DevicePage& p) { return AlarmsOf(p.state.address, p.state.channel); }))
        pending_.overview = true;
}

void Station::TakeAlarmEvents(DevicePage& page, PageAlarms& alarms, const std::vector<AlarmEvent>& events) {
    const int address = page.state.address;
    const int channel = page.state.channel;
    const std::string caption = TabCaption(address, channel);
    bool raised = false;
    for (const AlarmEvent& e : events) {
        const std::string kind(AlarmKindName(e.kind));
        switch (e.what) {
        case AlarmTransition::Raised:
            LogLine(0, FormatText(LOG_ALARM_RAISED, {caption, kind, Details(e)}));
            raised = true;
            break;
        case AlarmTransition::Acknowledged:
            LogLine(0, FormatText(LOG_ALARM_ACKNOWLEDGED, {caption, kind, e.user}));
            break;
        case AlarmTransition::Cleared:
            LogLine(0, FormatText(LOG_ALARM_CLEARED, {caption, kind}));
            break;
        }
        if (!alarmJournal_)
            continue;
        const std::string reason =
            alarmJournal_->Append(AlarmJournalLine(e, address, channel, page.stampClock()));
        if (reason.empty()) {
            alarmJournalFailureSaid_ = false;
        } else if (!alarmJournalFailureSaid_) {
            // Said once: the alarms go on in the log and on the pages, and so does polling.
            alarmJournalFailureSaid_ = true;
            LogLine(0, FormatText(LOG_ALARM_JOURNAL_FAILED, {alarmJournal_->path().string(), reason}));
        }
    }
    if (raised) {
        if (alarmBeep())
            pending_.beep = true;
        if (alarms.monitor.settings().pauseProgram) {
            const std::string kinds(AlarmKindName(events.front().kind));
            if (PauseProgramForLink(page, FormatText(PAGE_PAUSED_BY_ALARM, {kinds}), *this)) {
                LogLine(0, FormatText(LOG_PAUSED_BY_ALARM, {caption, kinds}));
                MarkJournal(page, JOURNAL_MARK_PAUSE);
            }
        }
    }
    if (!events.empty() || alarms.monitor.active())
        ShowAlarms(page, alarms);
}

void Station::ShowAlarms(DevicePage& page, PageAlarms& alarms) {
    const AlarmMonitor& m = alarms.monitor;
    const std::string text = m.StatusText();
    bool changed = page.view.SetTextIfChanged(IDC_ALARM_LINE, text);
    changed |= page.view.SetToolTip(IDC_ALARM_LINE, text);
    const std::optional<Rgb> colour = m.active()           ? (m.unacknowledged() ? ALARM_WAITING : ALARM_SEEN)
                                      : m.unacknowledged() ? std::optional<Rgb>(ALARM_GONE)
                                                           : std::nullopt;
    changed |= page.view.SetColour(IDC_ALARM_LINE, colour);
    changed |= page.view.SetEnabled(IDC_ALARM_ACK, m.unacknowledged());
    if (changed)
        PageUpdated(page);
    const bool marked = m.active() || m.unacknowledged();
    if (marked != alarms.marked) {
        alarms.marked = marked;
        NoteTabs();
    }
    RefreshStatus();
}

void Station::AcknowledgeAlarms(int address, int channel) {
    const NotifyBatch batch(*this);
    DevicePage* page = FindPage(address, channel);
    PageAlarms* alarms = FindAlarms(address, channel);
    if (page == nullptr || alarms == nullptr)
        return;
    TakeAlarmEvents(*page, *alarms, alarms->monitor.Acknowledge(alarmUser_));
    ShowAlarms(*page, *alarms);
}

void Station::DropAlarms(int address, int channel) {
    PageAlarms* alarms = FindAlarms(address, channel);
    if (alarms == nullptr)
        return;
    if (DevicePage* page = FindPage(address, channel))
        TakeAlarmEvents(*page, *alarms, alarms->monitor.ClearAll());
    std::erase_if(alarms_, [&](const auto& a) { return a->address == address && a->channel == channel; });
    RefreshStatus();
}

std::string Station::TabTitle(const DevicePage& page) const {
    std::string caption = TabCaption(page.state.address, page.state.channel);
    if (const PageAlarms* a = FindAlarms(page.state.address, page.state.channel); a != nullptr && a->marked)
        caption += TAB_ALARM_MARK;
    return caption;
}

int Station::activeAlarmPages() const {
    return static_cast<int>(
        std::count_if(alarms_.begin(), alarms_.end(), [](const auto& a) { return a->monitor.active(); }));
}

std::string Station::AlarmStatusPart() const {
    const int pages = activeAlarmPages();
    return pages == 0 ? std::string() : FormatText(STATUS_ALARMS, {std::to_string(pages)});
}

bool Station::OnAlarmCommand(int id) {
    if (id != ID_MENU_ALARM_BEEP)
        return false;
    menu_.SetChecked(ID_MENU_ALARM_BEEP, !alarmBeep());
    NoteMenu();
    return true;
}

bool Station::OnAlarmPageCommand(DevicePage& page, int id) {
    const int address = page.state.address;
    const int channel = page.state.channel;
    if (id == IDC_ALARM_ACK) {
        AcknowledgeAlarms(address, channel);
        return true;
    }
    if (id != IDC_ALARM_SETUP)
        return false;
    const AlarmSettings given = AlarmsFor(page).monitor.settings();
    const std::optional<AlarmSettings> chosen =
        Modal([&] { return prompts_.RunAlarmSetup(TabCaption(address, channel), given); });
    // Found again: replies and seconds went on while the dialog was open.
    if (PageAlarms* alarms = FindAlarms(address, channel); alarms != nullptr && chosen)
        alarms->monitor.setSettings(*chosen);
    return true;
}

void Station::RestoreAlarms(const StoredSettings& s) {
    menu_.SetChecked(ID_MENU_ALARM_BEEP, s.alarmBeep != 0);
    for (const StoredSettings::Tab& tab : s.tabSections) {
        if (const DevicePage* page = FindPage(tab.id, tab.channel))
            AlarmsFor(*page).monitor.setSettings(tab.alarms);
    }
}

void Station::SaveAlarms(StoredSettings& s) const {
    s.alarmBeep = alarmBeep() ? 1 : 0;
    for (StoredSettings::Tab& tab : s.tabSections) {
        if (const AlarmMonitor* m = AlarmsOf(tab.id, tab.channel))
            tab.alarms = m->settings();
    }
}

} // namespace rir
