// The logic of the main window: the device tabs and their menu, the bus settings, start/stop,
// the log, start-up and shutdown, and the intake of the bus thread's notifications.
#pragma once

#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "alarm/AlarmMonitor.h"
#include "app/EventLog.h"
#include "app/LineOverview.h"
#include "app/LinkStatus.h"
#include "app/MainLayout.h"
#include "app/MainMenu.h"
#include "app/Prompts.h"
#include "app/Settings.h"
#include "app/StationListener.h"
#include "app/StationOperations.h"
#include "app/StationTexts.h"
#include "bus/AutoResetEvent.h"
#include "bus/BusLink.h"
#include "bus/BusState.h"
#include "bus/PollList.h"
#include "bus/ReplyIntake.h"
#include "device/DevicePage.h"
#include "device/PageCommands.h"
#include "device/PageLayout.h"
#include "device/ReplyDecoder.h"
#include "journal/AlarmJournal.h"
#include "journal/RunJournal.h"
#include "journal/RunRecord.h"

namespace rir {

// The page a first run shows.
inline constexpr int FIRST_RUN_ADDRESS = 15;
// The statistics timer counts tenths of a second (the request rate's divisor).
inline constexpr int STATS_TIMER_MS = 100;
inline constexpr int TIMER_TICKS_PER_SECOND = 1000 / STATS_TIMER_MS;
// The status line's counters are brought up to date twice a second; its state at once.
inline constexpr int STATUS_REFRESH_TICKS = TIMER_TICKS_PER_SECOND / 2;

// The station carries out what the pages' commands decide (the PageCommandSink side lives in
// StationCommands.cpp).
class Station : private PageCommandSink {
public:
    Station(std::vector<std::string> portList, Prompts& prompts, StationListener& listener, EventLog& log);
    ~Station() override;
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    // Start-up after the window exists, with the settings read from the store (nothing: the
    // defaults). False when there is no port: the window then closes after the message (the
    // log lines of the start still run). The caller starts the bus thread when it is true.
    bool Start(const StoredSettings* stored);
    // The same with what was read from the settings file: a file that could not be read is said
    // in a box and in the log, and saveSettingsAtClose() is then false.
    bool Start(const SettingsRead& read);
    bool saveSettingsAtClose() const { return saveSettingsAtClose_; }
    // How the station is being closed: by the operator, or by a signal (SIGTERM, Ctrl+C), with
    // nobody at the window to answer a box.
    enum class CloseReason { Operator, Signal };
    // The settings could not be saved: the log says so, and the operator in a box unless the
    // station closes on a signal (a box would hold the close up for as long as nobody looks).
    void SettingsNotSaved(const std::string& text, CloseReason reason);
    // What to write to the settings store at close, in its order.
    StoredSettings SettingsToSave(const WindowPlacement& placement) const;
    // The line overview's window as the face last had it; saved with the settings. A face
    // without the overview leaves it as the file had it.
    void SetOverviewPlacement(const StoredSettings::Overview& placement) { overviewPlacement_ = placement; }
    // After the settings are saved: logs the exit and closes the log file.
    void Shutdown();

    // Runs the one-second ticks of the pages that fell due by `now` (a monotonic time the window
    // reads); called from the statistics timer, so a held-up window catches up in order.
    void OnPageTicks(MonoTime now);
    // The statistics timer's tick (every STATS_TIMER_MS).
    void OnTimer();
    // A menu command; true when handled here ("Выход" and "О программе" are the window's).
    bool OnCommand(int id);
    void OnResize(int clientWidth, int clientHeight);
    // The bus thread's notification, on the UI thread.
    void OnBusReply(BusNote note);
    // A push button of the page of (address, channel) was clicked, or Enter was pressed in one of
    // its limit edits (editId). Nothing for a page that is no longer there.
    void OnPageCommand(int address, int channel, int id);
    void OnPageEnter(int address, int channel, int editId);
    // Operations with values (StationOperations.cpp): the window calls them with what the
    // operator typed, the plant's bridge with what a command asks. Each refuses what the click on
    // its control could not do (the control disabled) and otherwise goes the click's way, with
    // the same requests, clamps and log lines.
    // The limits given (one may be left out: it goes as its edit holds it, not taken).
    OperationResult SetLimits(int address, int channel, std::optional<LimitAmount> volts,
                              std::optional<LimitAmount> amps);
    // The same with the plant's numbers: a value that is no limit at all (below zero, far above
    // any rating, not a number) is refused as out of range, and nothing is sent.
    OperationResult SetLimitValues(int address, int channel, std::optional<double> volts,
                                   std::optional<double> amps);
    // The output on or off; nothing to do when the supply reports it so already.
    OperationResult SwitchOutput(int address, int channel, bool on);
    OperationResult RunProgram(int address, int channel, ProgramStep step);
    // The ports the system lists now (the port menu is about to open): names not yet in the
    // menu are appended to it, so the ports already there keep their places and ids.
    void PortsFound(const std::vector<std::string>& found);

    // Device tabs.
    void AddDevice(int address, int channel);
    void DeleteDevice(int address, int channel);
    DevicePage* FindPage(int address, int channel) const;
    DevicePage* SelectedPage() const;
    void SelectTab(int index); // a tab change by the user
    // The keyboard's tab change: the next tab (step +1) or the previous one (-1), the last
    // wrapping round to the first and the first to the last.
    void SelectNeighbourTab(int step);
    void LayoutPages();

    // Read-only views for the window and tests.
    const std::vector<std::unique_ptr<DevicePage>>& pages() const { return pages_; }
    int selectedTab() const { return selected_; }
    static std::string TabCaption(int address, int channel);
    const MainMenu& menu() const { return menu_; }
    const MainLayout& layout() const { return layout_; }
    bool pollingRunning() const { return pollingRunning_; }
    const std::vector<std::string>& portList() const { return portList_; }
    EventLog& log() { return log_; }
    const LinkStatus& link() const { return link_; }
    const std::string& statusText() const { return statusText_; }
    // A standing notice beside the status line (a log file that cannot be written); empty: none.
    const std::string& noticeText() const { return noticeText_; }

    // The link to the bus thread: whoever runs the thread hands it this.
    BusLink& busLink() { return busLink_; }

    void LogLine(int index, const std::string& text);

    // Run journals (StationJournal.cpp) go into this folder; none while it is empty.
    void SetJournalFolder(std::filesystem::path folder) { journalFolder_ = std::move(folder); }
    // The journal of the page's present run; nullptr when it has none.
    const RunJournal* JournalOf(int address, int channel) const;

    // Alarms (StationAlarms.cpp): one monitor per page, fed once a second by OnTimer.
    const AlarmMonitor* AlarmsOf(int address, int channel) const;
    // "Квитировать" on the page or its overview tile: every alarm of the page that waits for it,
    // acknowledged by the user the window was told.
    void AcknowledgeAlarms(int address, int channel);
    // The alarm journal's file (none: the transitions go to the log only) and who acknowledges.
    void SetAlarmJournal(std::filesystem::path path);
    void setAlarmUser(std::string user) { alarmUser_ = std::move(user); }
    bool alarmBeep() const { return menu_.Checked(ID_MENU_ALARM_BEEP); }
    // The tab's caption: the supply's name, marked while one of its alarms holds or waits.
    std::string TabTitle(const DevicePage& page) const;
    // Pages with an alarm that holds.
    int activeAlarmPages() const;
    // The line overview's tiles, brought up to date once a second and when the tabs change.
    const LineOverview& overview() const { return overview_; }

private:
    // Holds the listener's calls back until the outermost batch of one event ends.
    class NotifyBatch {
    public:
        explicit NotifyBatch(Station& station) : station_(station) { ++station_.batchDepth_; }
        ~NotifyBatch();
        NotifyBatch(const NotifyBatch&) = delete;
        NotifyBatch& operator=(const NotifyBatch&) = delete;

    private:
        Station& station_;
    };
    struct PendingChanges {
        std::vector<DevicePage*> pages; // in the order they first changed, each once
        bool tabs = false;
        bool menu = false;
        bool log = false;
        bool layout = false;
        bool status = false;
        bool beep = false;
        bool overview = false;
    };
    void NotePageChanged(DevicePage& page);
    void NoteTabs();
    void NoteMenu();
    void NoteLog();
    void NoteLayout();
    void NoteStatus();
    void Flush();

    void RestoreSettings(const StoredSettings& s);
    void SelectPort(int index);
    // "Сетевой порт...": asks for a gateway until what was typed holds or the operator cancels,
    // then adds it to the port menu (once) and switches the bus to it.
    void AskNetworkPort();
    // A port the menu does not list yet goes at its end; its index either way, nothing when the
    // menu is full.
    std::optional<int> ListPort(const std::string& name);
    void SelectSpeed(int menuId);
    void SelectFraming(Framing framing);
    void RequestReopen();
    void ToggleLogToScreen();
    void ToggleLogToFile();
    // After every change of the tabs or of the selection: the device menu's check marks, the
    // file items of the selected page, and which pages can be removed.
    void RenewDeviceChecks();
    void RenewFileItems();
    void RenewRemoval();
    // Whether DeleteDevice would take a page of that channel: never the last tab, and a main
    // page only while another supply stays on the bus.
    bool Removable(int channel);
    // The operator's "Да" before a live output is cut or left without control.
    bool Ask(const std::string& text);
    bool ConfirmRemoval(int address, int channel);
    bool ConfirmProgramLoad(int address, int channel);
    bool ConfirmRs232();
    int TabIndexOf(int address, int channel) const;
    void PageUpdated(DevicePage& page);

    // Reply intake.
    void DigestReply();
    DevicePage* ReplyPage(Framing framing, int address) const;
    void ShowRequestRate(DevicePage& page);
    void DecodeValid(Framing framing, DevicePage& page, const ClassifiedReply& reply);
    void ApplyPageOperations(DevicePage& decoded, const std::vector<PageOperation>& operations);
    void CountPageMiss(DevicePage* page);
    void LogValues(std::string line, const std::vector<int>& values);
    // Gives the bus thread its next go-ahead while polling runs.
    void ReleaseNextCycle();

    // The link: the port's notes, start/stop and the status line.
    void OnPortEvent(BusNote note);
    void AllPagesOffline();
    // Every running program pauses: the port is gone or polling stopped (`why`, for the texts).
    void PauseProgramsForLink(std::string_view why);
    void TogglePolling();
    void ToggleFastPolling();
    void RefreshStatus();

    // Page commands.
    void FinishPageCommand(int address, int channel, int id, PageCommandResult result);
    // A program's button (or "Выключить" with a program loaded) on the page, as clicked.
    void RunProgramCommand(DevicePage& page, int id);
    // Program files and runs (StationPrograms.cpp): the file dialog, the read, the load and its
    // report for one page; the end messages of the runs, shown after the ticks.
    void OpenProgram(int address, int channel);
    // Messages that come up during the ticks (a program's end, a journal that cannot be made),
    // shown once every page has had its seconds, in the order they came.
    void ShowDeferredMessages();
    // The journal follows the page's run: a new run opens one, each tick adds its second, a run
    // that is over closes it. "Сохранить" copies it.
    struct PageJournal {
        int address = 0;
        int channel = 0;
        int run = 0;
        RunJournal file;
    };
    PageJournal* FindJournal(int address, int channel) const;
    void JournalTick(DevicePage& page, bool present);
    // A line that marks what happened to the page's run between two seconds (JOURNAL_MARK_...);
    // MarkJournals marks every run that has a journal.
    void MarkJournal(DevicePage& page, std::string_view what);
    // A journal that could not take a line: said in the log and on the page.
    void JournalFailed(DevicePage& page, const RunJournal& file, const std::string& reason);
    void MarkJournals(std::string_view what);
    // The run's last line: how it ended and the charge delivered.
    void EndJournal(DevicePage& page, RunEnd how);
    void FollowRun(int address, int channel);
    void CloseJournal(int address, int channel);
    void SaveRun();
    // A modal prompt: the window keeps showing what the bus brings while it is open, so what
    // was held back for the present event goes out first and nothing is held while it is open.
    template <typename Prompt> auto Modal(Prompt prompt) {
        const int depth = std::exchange(batchDepth_, 0);
        Flush();
        auto answer = prompt();
        batchDepth_ = depth;
        return answer;
    }
    void ModalMessage(const std::string& text);
    // A log file that failed is said at the end of the event that found it: on the status line
    // and the screen log at once, in a box once a run, after the bus has its go-ahead, so the
    // box never holds up polling or the programs.
    void SayLogProblems();
    void ShowLogProblemBox();
    // The operator's removal ("X", "Удалить"): the device, and with a main page its channel B.
    void RemoveSupply(int address, int channel);

    // Alarms (StationAlarms.cpp).
    struct PageAlarms {
        int address = 0;
        int channel = 0;
        AlarmMonitor monitor;
        bool outputWasOn = false; // as the supply last said while it answered
        long long linkErrors = 0; // misses and bad replies counted on the supply
        bool marked = false;      // the tab's caption shows the mark
    };
    PageAlarms* FindAlarms(int address, int channel) const;
    PageAlarms& AlarmsFor(const DevicePage& page);
    void AlarmSeconds();
    void TakeAlarmEvents(DevicePage& page, PageAlarms& alarms, const std::vector<AlarmEvent>& events);
    void CountAlarmLinkError(const DevicePage* page);
    // The page goes: its alarms are cleared in the journal, not left standing.
    void DropAlarms(int address, int channel);
    void ShowAlarms(DevicePage& page, PageAlarms& alarms);
    bool OnAlarmCommand(int id);
    bool OnAlarmPageCommand(DevicePage& page, int id);
    std::string AlarmStatusPart() const;
    void RefreshOverview();
    void RestoreAlarms(const StoredSettings& s);
    void SaveAlarms(StoredSettings& s) const;
    bool Enqueue(const Request& request) override;
    std::optional<ModuleSetupValues> RunModuleSetup(const ModuleSetupValues& given) override;

    std::vector<std::string> portList_;
    Prompts& prompts_;
    StationListener& listener_;
    EventLog& log_;
    MainMenu menu_;
    MainLayout layout_;

    BusLink busLink_;
    BusState& bus_ = busLink_.state();
    BusShared& shared_ = busLink_.shared();
    bool pollingRunning_ = false;

    LinkStatus link_;
    std::string statusText_;
    std::string noticeText_;
    bool saveSettingsAtClose_ = true;
    StoredSettings::Overview overviewPlacement_;
    std::vector<std::string> logProblems_; // reported by the log, not yet said
    std::string logProblemBox_;            // to be shown in a box at the end of the event
    bool logProblemBoxShown_ = false;
    int ticks_ = 0;
    int replies_ = 0;             // valid replies since the port opened
    int repliesAtLastSecond_ = 0; // replies_ at the last whole second

    std::vector<std::unique_ptr<DevicePage>> pages_;
    int selected_ = -1;

    int batchDepth_ = 0;
    PendingChanges pending_;

    std::deque<std::string> deferredMessages_;

    std::filesystem::path journalFolder_;
    std::vector<std::unique_ptr<PageJournal>> journals_;
    // The folder's failure is said once, until a journal opens there again.
    bool journalFailureSaid_ = false;

    std::vector<std::unique_ptr<PageAlarms>> alarms_;
    std::unique_ptr<AlarmJournal> alarmJournal_;
    bool alarmJournalFailureSaid_ = false;
    std::string alarmUser_;
    LineOverview overview_;
};

} // namespace rir
