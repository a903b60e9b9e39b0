// The logic of the main window: the device tabs and their menu, the bus settings, start/stop,
// the log, start-up and shutdown, and the intake of the bus thread's notifications.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/EventLog.h"
#include "app/MainLayout.h"
#include "app/MainMenu.h"
#include "app/Prompts.h"
#include "app/Settings.h"
#include "bus/AutoResetEvent.h"
#include "bus/BusState.h"
#include "bus/PollList.h"
#include "bus/ReplyIntake.h"
#include "device/DevicePage.h"
#include "device/PageCommands.h"
#include "device/PageLayout.h"
#include "device/ReplyDecoder.h"

namespace rir {

// What the window must redraw. The station collects what changed while it handles one event
// (a reply, a command, a resize) and calls each of these at most once at its end; only
// PageAdded and PageRemoved come at once, in the order the pages come and go.
class StationListener {
public:
    virtual ~StationListener() = default;
    virtual void PageAdded(DevicePage& page) = 0;   // a new tab at the end of the tab row
    virtual void PageRemoved(DevicePage& page) = 0; // called before the page is destroyed
    virtual void PageChanged(DevicePage& page) = 0; // its view state has changes to apply
    virtual void TabsChanged() = 0;                 // selection, shown page or page positions
    virtual void MenuChanged() = 0;
    virtual void LogChanged() = 0;
    virtual void LayoutChanged() = 0;
};

inline constexpr const char* MSG_NO_PORTS = "В компьютере отсутствуют COM-порты! Программа будет закрыта.";
inline constexpr const char* MSG_DUPLICATE_DEVICE = "Уже есть такое устройство!";
// The page a first run shows.
inline constexpr int FIRST_RUN_ADDRESS = 15;
// The statistics timer counts tenths of a second (the request rate's divisor).
inline constexpr int STATS_TIMER_MS = 100;
inline constexpr int TIMER_TICKS_PER_SECOND = 1000 / STATS_TIMER_MS;

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
    // What to write to the settings store at close, in its order.
    StoredSettings SettingsToSave(const WindowPlacement& placement) const;
    // After the settings are saved: logs the exit and closes the log file.
    void Shutdown();

    void OnTimer() { ++bus_.timerTicks; }
    // Runs the one-second ticks of the pages that fell due by `now` (a monotonic time the window
    // reads); called from the statistics timer, so a held-up window catches up in order.
    void OnPageTicks(MonoTime now);
    // A menu command; true when handled here ("Выход" and "О программе" are the window's).
    bool OnCommand(int id);
    void OnResize(int clientWidth, int clientHeight);
    // The bus thread's notification, on the UI thread.
    void OnBusReply(int wParam, int lParam);
    // A push button of the page of (address, channel) was clicked, or Enter was pressed in one of
    // its limit edits (editId). Nothing for a page that is no longer there.
    void OnPageCommand(int address, int channel, int id);
    void OnPageEnter(int address, int channel, int editId);

    // Device tabs.
    void AddDevice(int address, int channel);
    void DeleteDevice(int address, int channel);
    DevicePage* FindPage(int address, int channel) const;
    DevicePage* SelectedPage() const;
    void SelectTab(int index); // a tab change by the user
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

    // The structures shared with the bus thread.
    BusState& bus() { return bus_; }
    BusShared& shared() { return shared_; }
    AutoResetEvent& eStart() { return eStart_; }

    void LogLine(int index, const std::string& text);

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
    };
    void NotePageChanged(DevicePage& page);
    void NoteTabs();
    void NoteMenu();
    void NoteLog();
    void NoteLayout();
    void Flush();

    void RestoreSettings(const StoredSettings& s);
    void SelectPort(int index);
    void SelectSpeed(int menuId);
    void SelectProtocol(int menuId);
    void ToggleLogToScreen();
    void ToggleLogToFile();
    void RenewDeviceChecks();
    int TabIndexOf(int address, int channel) const;
    void PageUpdated(DevicePage& page);

    // Reply intake.
    void DigestReply();
    DevicePage* ReplyPage(Framing framing, int address) const;
    void ShowRequestRate(DevicePage& page);
    void DecodeValid(Framing framing, DevicePage& page, const TakenReply& reply);
    void ApplyPageOperations(DevicePage& decoded, const std::vector<PageOperation>& operations);
    void CountPageMiss(DevicePage* page);
    void LogValues(std::string line, const std::vector<int>& values);

    // Page commands.
    void FinishPageCommand(int address, int channel, PageCommandResult result);
    // The operator's removal ("X", "Удалить"): the device, and with a main page its channel B.
    void RemoveSupply(int address, int channel);
    bool Enqueue(const Request& request) override;
    std::optional<ModuleSetupValues> RunModuleSetup(const ModuleSetupValues& given) override;

    std::vector<std::string> portList_;
    Prompts& prompts_;
    StationListener& listener_;
    EventLog& log_;
    MainMenu menu_;
    MainLayout layout_;

    BusState bus_;
    BusShared shared_;
    AutoResetEvent eStart_{true};
    bool pollingRunning_ = false;

    std::vector<std::unique_ptr<DevicePage>> pages_;
    int selected_ = -1;

    int batchDepth_ = 0;
    PendingChanges pending_;
};

} // namespace rir
