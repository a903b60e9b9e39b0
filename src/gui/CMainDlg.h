// The main window: menu, tab control with one page per supply, log box. It shows what the
// station decides and forwards what the operator does; it decides nothing itself.
#pragma once

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "LogLineCounter.h"
#include "QtBusThread.h"
#include "StationRunner.h"
#include "app/EventLog.h"
#include "app/Station.h"
#include "app/StationHost.h"

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QScrollArea;
class QTimer;

namespace rir {

class CDevicePage;
class COverviewWnd;
class TabControl;

inline constexpr int IDC_LOG_EDIT = 1000;
inline constexpr int IDC_TAB_CONTROL = 1002;
// The log box takes what the station logged at most this often: on a busy bus it would
// otherwise repaint for every line, dozens of times a second. Lines are never lost or reordered,
// only applied together. Each look lays out and paints the lines in view afresh, the largest
// part of the window's work while it polls: at ten looks a second the window took 1.4 % of a
// core polling eight supplies, at five 0.9 %. Five a second still read as a running log.
inline constexpr int LOG_REPAINT_MS = 200;

class CMainDlg : public QMainWindow, public StationListener, public Prompts {
    Q_OBJECT
public:
    // `portFactory` makes the bus thread's port; tests may hand in their own.
    CMainDlg(std::vector<std::string> portList, std::filesystem::path settingsFile,
             QtBusThread::PortFactory portFactory, QWidget* parent = nullptr);
    ~CMainDlg() override;

    // Start-up: the runner restores the settings, starts the bus thread and the statistics
    // timer. False when there is no serial port (the operator has been told); the window is then
    // not to be shown.
    bool Initialise();
    // Shows the window at its restored place and in its restored state.
    void ShowRestored();
    // SIGTERM or Ctrl+C: closes as the close button does, but what goes wrong is only logged:
    // nobody may be at the window to answer a box.
    void CloseOnSignal();

    // Where the port menu looks for ports each time it opens (none: it keeps what it has).
    using PortDiscovery = std::function<std::vector<std::string>()>;
    void setPortDiscovery(PortDiscovery discover) { discoverPorts_ = std::move(discover); }

    Station& station() { return host_->station(); }
    StationHost& host() { return *host_; }
    // Takes the bus thread's notes for the station.
    StationRunner& runner() { return *runner_; }
    CDevicePage* viewOf(const DevicePage* page) const;
    TabControl* tabControl() const { return tabs_; }
    QScrollArea* pageView() const { return pageView_; }
    // The log box; what the station logged reaches it within LOG_REPAINT_MS, or at once
    // through ApplyLog.
    QPlainTextEdit* logEdit() const { return log_; }
    void ApplyLog();
    QLabel* statusLine() const { return status_; }
    QLabel* statusNotice() const { return notice_; }
    QAction* action(int id) const;

    // StationListener
    void PageAdded(DevicePage& page) override;
    void PageRemoved(DevicePage& page) override;
    void PageChanged(DevicePage& page) override;
    void TabsChanged() override;
    void MenuChanged() override;
    void LogChanged() override;
    void LayoutChanged() override;
    void StatusChanged() override;
    void AlarmBeep() override;
    void OverviewChanged() override;
    // "Обзор линии" (F2): shows the overview window and brings it to the front.
    void ShowOverview();
    COverviewWnd* overview() const { return overview_; }

    // Prompts
    void Message(const std::string& text) override;
    void Notice(const std::string& text) override;
    bool Ask(const std::string& text) override;
    std::optional<int> AskAddress(int proposed) override;
    std::optional<ModuleSetupValues> RunModuleSetup(const ModuleSetupValues& given) override;
    std::optional<std::string> ChooseProgramFile() override;
    std::optional<std::string> ChooseSaveFile(const std::string& proposedName) override;
    std::optional<NetworkPortFields> AskNetworkPort(const NetworkPortFields& proposed) override;
    std::optional<AlarmSettings> RunAlarmSetup(const std::string& caption,
                                               const AlarmSettings& given) override;
    // Where the runs' journals go (the station keeps none until it is told).
    void setJournalFolder(const std::filesystem::path& folder);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnMenu(int id);
    void RebuildPopup(QMenu* menu, const MenuPopup& popup);
    void SaveAndLeave();
    WindowPlacement CurrentPlacement() const;
    StoredSettings::Overview OverviewPlacement() const;

    // The open-file dialog starts where the operator last took a program from.
    QString programFolder_;
    QString saveFolder_;
    std::unique_ptr<StationHost> host_;
    // After the host: it stops the bus thread before the host goes.
    std::unique_ptr<StationRunner> runner_;
    EventLog& eventLog_;
    Station* station_;
    QTimer* logTimer_;
    QWidget* client_;
    TabControl* tabs_;
    // The pages sit in a scrolling view over the tab control's pane.
    QScrollArea* pageView_;
    QWidget* pageBox_;
    QPlainTextEdit* log_;
    QLabel* status_;
    QLabel* notice_;
    COverviewWnd* overview_;
    PortDiscovery discoverPorts_;
    std::vector<QMenu*> popups_;
    std::map<int, QAction*> actions_;
    std::map<const DevicePage*, CDevicePage*> pageViews_;
    // The menu's revision the menu bar shows (the initial value differs from any the menu has),
    // and each popup's structure revision.
    unsigned shownMenuRevision_ = ~0u;
    std::vector<unsigned> shownPopupStructure_;
    LineMeasure logMeasure_;
    Station::CloseReason closeReason_ = Station::CloseReason::Operator;
};

} // namespace rir
