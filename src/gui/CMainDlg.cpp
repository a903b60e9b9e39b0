#include "CMainDlg.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <cstdlib>

#include "CAboutDlg.h"
#include "CAddDeviceDlg.h"
#include "CAlarmSetupDlg.h"
#include "CDevicePage.h"
#include "CModuleSetupDlg.h"
#include "CNetworkPortDlg.h"
#include "COverviewWnd.h"
#include "FileDialogs.h"
#include "LogLineCounter.h"
#include "MessageBox.h"
#include "TabControl.h"
#include "app/Settings.h"
#include "device/PageControls.h"
#include "device/PageLayout.h"

namespace rir {

namespace {
constexpr const char* WINDOW_TITLE = "RIR Controller";

// A menu draws a box beside every checkable item, ticked or empty; the station's menus show a
// tick beside a checked item and nothing beside the others. So an item is checkable only while
// it is checked (made checkable first, so that the state sticks either way).
void ShowCheck(QAction* a, bool checked) {
    a->setCheckable(true);
    a->setChecked(checked);
    a->setCheckable(checked);
}
} // namespace

CMainDlg::CMainDlg(std::vector<std::string> portList, std::filesystem::path settingsFile,
                   QtBusThread::PortFactory portFactory, QWidget* parent)
    : QMainWindow(parent),
      host_(std::make_unique<StationHost>(std::move(portList), std::move(settingsFile), *this, *this)),
      runner_(std::make_unique<StationRunner>(*host_, std::move(portFactory))), eventLog_(host_->log()),
      station_(&host_->station()), logTimer_(new QTimer(this)), client_(new QWidget(this)),
      tabs_(new TabControl(client_)), pageView_(new QScrollArea(client_)), pageBox_(new QWidget),
      log_(new QPlainTextEdit(client_)), status_(new QLabel(this)), notice_(new QLabel(this)),
      overview_(new COverviewWnd(this)) {
    setWindowTitle(QString::fromUtf8(WINDOW_TITLE));
    setMinimumSize(MIN_TRACK_WIDTH, MIN_TRACK_HEIGHT);
    setCentralWidget(client_);
    pageView_->setObjectName(QStringLiteral("pageView"));
    pageView_->setFrameShape(QFrame::NoFrame);
    pageView_->setWidgetResizable(false);
    pageView_->setWidget(pageBox_); // the view owns it
    // Below the client area, which keeps its layout: the status bar takes its own height.
    status_->setObjectName(QStringLiteral("statusLine"));
    status_->setTextFormat(Qt::PlainText);
    status_->setToolTip(
        QString::fromUtf8(LINK_STATUS_HINT.data(), static_cast<qsizetype>(LINK_STATUS_HINT.size())));
    statusBar()->addWidget(status_, 1);
    notice_->setObjectName(QStringLiteral("statusNotice"));
    notice_->setTextFormat(Qt::PlainText);
    notice_->hide();
    statusBar()->addPermanentWidget(notice_);
    logTimer_->setSingleShot(true);
    connect(logTimer_, &QTimer::timeout, this, &CMainDlg::ApplyLog);
    log_->setObjectName(QStringLiteral("edit%1").arg(IDC_LOG_EDIT));
    log_->setReadOnly(true);
    // Nobody can undo in a read-only box, and every appended or dropped line would otherwise
    // stay on the undo stack for as long as the station runs.
    log_->setUndoRedoEnabled(false);
    log_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    log_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    eventLog_.setLineCounter(
        [this](std::string_view line) {
            return logMeasure_.Count(line, log_->font(), log_->viewport()->width());
        },
        [this] { return logMeasure_.Revision(log_->font(), log_->viewport()->width()); });
    station_->setAlarmUser(qEnvironmentVariable("USER").toStdString());

    for (const MenuPopup& popup : station_->menu().popups()) {
        QMenu* menu = menuBar()->addMenu(QString::fromStdString(popup.title));
        popups_.push_back(menu);
        RebuildPopup(menu, popup);
        shownPopupStructure_.push_back(popup.structureRevision);
    }
    // An adapter plugged in while the station runs appears when the operator opens the menu.
    if (static_cast<std::size_t>(POPUP_PORT) < popups_.size()) {
        connect(popups_[POPUP_PORT], &QMenu::aboutToShow, this, [this] {
            if (!discoverPorts_)
                return;
            station_->PortsFound(discoverPorts_());
            MenuChanged();
        });
    }
    const MenuItem& about = station_->menu().aboutItem();
    QAction* aboutAction = menuBar()->addAction(QString::fromStdString(about.text));
    aboutAction->setShortcut(
        QKeySequence(QString::fromStdString(about.shortcut), QKeySequence::PortableText));
    actions_[about.id] = aboutAction;
    connect(aboutAction, &QAction::triggered, this, [this, id = about.id] { OnMenu(id); });

    connect(tabs_, &TabControl::tabClicked, this, [this](int index) { station_->SelectTab(index); });
    // The keys of tab rows everywhere, wherever the focus is on the window (a limit edit takes
    // none of them). Shift+Tab comes as Backtab with Shift still held.
    const auto tabKeys = [this](QList<QKeySequence> keys, int step) {
        auto* shortcut = new QShortcut(this);
        shortcut->setKeys(keys);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, step] { station_->SelectNeighbourTab(step); });
    };
    tabKeys({QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)}, +1);
    tabKeys({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
             QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
            -1);
    connect(overview_, &COverviewWnd::tileClicked, this, [this](int index) { station_->SelectTab(index); });
    connect(overview_, &COverviewWnd::acknowledgeClicked, this,
            [this](int address, int channel) { station_->AcknowledgeAlarms(address, channel); });
    resize(MIN_TRACK_WIDTH, MIN_TRACK_HEIGHT);
}

CMainDlg::~CMainDlg() = default;

bool CMainDlg::Initialise() {
    return runner_->Start();
}

void CMainDlg::ShowRestored() {
    ScreenMetrics metrics;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect work = screen->availableGeometry();
        metrics.workAreaLeft = work.left();
        metrics.workAreaTop = work.top();
        metrics.screenWidth = screen->geometry().width();
        metrics.screenHeight = screen->geometry().height();
    }
    if (const auto rect = PlaceWindow(host_->restored().window, metrics))
        setGeometry(rect->left, rect->top, std::max(rect->width, minimumWidth()),
                    std::max(rect->height, minimumHeight()));
    const StoredSettings::Overview& o = host_->restored().overview;
    overview_->setColumns(o.columns);
    if (o.width > 0 && o.height > 0 && o.width <= MAX_WINDOW_EXTENT && o.height <= MAX_WINDOW_EXTENT &&
        std::abs(o.left) <= MAX_WINDOW_COORDINATE && std::abs(o.top) <= MAX_WINDOW_COORDINATE)
        overview_->setGeometry(o.left, o.top, o.width, o.height);
    if (o.open == 1)
        ShowOverview();
    switch (StartShowState(host_->restored().window.status)) {
    case SHOW_MINIMIZED:
        showMinimized();
        break;
    case SHOW_MAXIMIZED:
        showMaximized();
        break;
    default:
        showNormal();
        break;
    }
}

QAction* CMainDlg::action(int id) const {
    const auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

CDevicePage* CMainDlg::viewOf(const DevicePage* page) const {
    const auto it = pageViews_.find(page);
    return it == pageViews_.end() ? nullptr : it->second;
}

void CMainDlg::RebuildPopup(QMenu* menu, const MenuPopup& popup) {
    // The action being triggered may be among the old ones (adding a device from this very
    // menu): let them go when control is back in the event loop, never under their own signal.
    for (QAction* a : menu->actions()) {
        std::erase_if(actions_, [a](const auto& entry) { return entry.second == a; });
        menu->removeAction(a);
        a->deleteLater();
    }
    for (const MenuItem& item : popup.items) {
        if (item.id == ID_SEPARATOR) {
            menu->addSeparator();
            continue;
        }
        QAction* a = menu->addAction(QString::fromStdString(item.text));
        a->setShortcut(QKeySequence(QString::fromStdString(item.shortcut), QKeySequence::PortableText));
        ShowCheck(a, item.checked);
        a->setEnabled(item.enabled);
        actions_[item.id] = a;
        connect(a, &QAction::triggered, this, [this, id = item.id] { OnMenu(id); });
    }
}

void CMainDlg::MenuChanged() {
    const MainMenu& menu = station_->menu();
    if (menu.revision() == shownMenuRevision_)
        return;
    const auto& popups = menu.popups();
    shownPopupStructure_.resize(popups.size(), ~0u);
    for (std::size_t p = 0; p < popups.size() && p < popups_.size(); ++p) {
        if (popups[p].structureRevision != shownPopupStructure_[p]) {
            RebuildPopup(popups_[p], popups[p]);
            shownPopupStructure_[p] = popups[p].structureRevision;
            continue;
        }
        for (const MenuItem& item : popups[p].items) {
            if (QAction* a = action(item.id)) {
                ShowCheck(a, item.checked);
                a->setEnabled(item.enabled);
            }
        }
    }
    shownMenuRevision_ = menu.revision();
}

void CMainDlg::OnMenu(int id) {
    if (QAction* a = action(id))
        a->setChecked(station_->menu().Checked(id)); // checks follow the station, not the click
    if (id == ID_MENU_ABOUT) {
        CAboutDlg about(this);
        about.exec();
        return;
    }
    if (id == ID_MENU_OVERVIEW) {
        ShowOverview();
        return;
    }
    if (id == ID_MENU_EXIT) {
        SaveAndLeave();
        close();
        return;
    }
    station_->OnCommand(id);
    MenuChanged();
}

void CMainDlg::PageAdded(DevicePage& page) {
    auto* view = new CDevicePage(page, pageBox_);
    pageViews_[&page] = view;
    // The page is named by its device, which no other page shares: a click that is still on its
    // way when the page goes finds nothing.
    const int address = page.state.address;
    const int channel = page.state.channel;
    // The limits go as values, read from the edits as the operator typed them; Enter sends its
    // own edit's limit.
    connect(view, &CDevicePage::controlClicked, this, [this, view, address, channel](int id) {
        if (id == IDC_SET_LIMITS)
            station_->SetLimits(address, channel, view->typedLimit(IDC_VOLT_EDIT),
                                view->typedLimit(IDC_CURR_EDIT));
        else
            station_->OnPageCommand(address, channel, id);
    });
    connect(view, &CDevicePage::enterPressed, this, [this, view, address, channel](int editId) {
        const LimitAmount typed = view->typedLimit(editId);
        if (editId == IDC_VOLT_EDIT)
            station_->SetLimits(address, channel, typed, std::nullopt);
        else if (editId == IDC_CURR_EDIT)
            station_->SetLimits(address, channel, std::nullopt, typed);
    });
    view->hide();
    PageChanged(page);
}

void CMainDlg::PageRemoved(DevicePage& page) {
    if (CDevicePage* view = viewOf(&page)) {
        pageViews_.erase(&page);
        view->Detach();
        view->hide();
        view->deleteLater(); // a page may be removed from inside one of its own signals
    }
}

void CMainDlg::PageChanged(DevicePage& page) {
    if (CDevicePage* view = viewOf(&page))
        view->applyView();
}

void CMainDlg::TabsChanged() {
    QStringList captions;
    for (const auto& page : station_->pages())
        captions << QString::fromStdString(station_->TabTitle(*page));
    tabs_->setTabs(captions, station_->selectedTab());
    const DevicePage* selected = station_->SelectedPage();
    for (auto& [page, view] : pageViews_) {
        view->setVisible(page == selected);
        if (page == selected)
            view->raise();
    }
    LayoutChanged();
}

void CMainDlg::LogChanged() {
    log_->setVisible(eventLog_.logToScreen());
    if (!eventLog_.logToScreen())
        return; // the delta waits: showing the box again starts from the whole text
    if (!logTimer_->isActive())
        logTimer_->start(LOG_REPAINT_MS);
}

void CMainDlg::StatusChanged() {
    status_->setText(QString::fromStdString(station_->statusText()));
    const QString notice = QString::fromStdString(station_->noticeText());
    notice_->setText(notice);
    notice_->setVisible(!notice.isEmpty());
}

void CMainDlg::ShowOverview() {
    overview_->applyOverview(station_->overview());
    overview_->show();
    overview_->raise();
    overview_->activateWindow();
}

void CMainDlg::OverviewChanged() {
    if (overview_->isVisible())
        overview_->applyOverview(station_->overview());
}

StoredSettings::Overview CMainDlg::OverviewPlacement() const {
    StoredSettings::Overview o;
    o.open = overview_->isVisible() ? 1 : 0;
    const QRect g = overview_->geometry();
    o.left = g.left();
    o.top = g.top();
    o.width = g.width();
    o.height = g.height();
    o.columns = overview_->columns();
    return o;
}

void CMainDlg::AlarmBeep() {
    QApplication::beep();
}

void CMainDlg::ApplyLog() {
    logTimer_->stop();
    if (!eventLog_.logToScreen())
        return;
    const ScreenDelta delta = eventLog_.takeScreenDelta();
    if (delta.empty())
        return;
    auto toBox = [](std::string_view s) {
        return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()))
            .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    };
    if (delta.reset) {
        log_->setPlainText(toBox(delta.appended));
    } else {
        QTextDocument* document = log_->document();
        QTextCursor cursor(document);
        // Each of the two edits in a block of its own: a cursor move inside one does not lay out
        // the line it lands on (moving line by line laid out every dropped line once more), and
        // each edit reports only its own end of the box, so the lines in view keep their layout.
        if (delta.dropped > 0) {
            const QTextBlock firstKept = document->findBlockByNumber(delta.dropped);
            cursor.beginEditBlock();
            cursor.setPosition(firstKept.isValid() ? firstKept.position() : document->characterCount() - 1,
                               QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
            cursor.endEditBlock();
        }
        cursor.beginEditBlock();
        cursor.setPosition(document->characterCount() - 1);
        cursor.insertText(toBox(delta.appended));
        cursor.endEditBlock();
    }
    log_->verticalScrollBar()->setValue(log_->verticalScrollBar()->maximum());
}

void CMainDlg::LayoutChanged() {
    const MainLayout& l = station_->layout();
    tabs_->setGeometry(l.tabControl.left, l.tabControl.top, l.tabControl.width(), l.tabControl.height());
    log_->setGeometry(l.logBox.left, l.logBox.top, l.logBox.width(), l.logBox.height());
    const PageDelta delta = PageDeltaFor(client_->width(), client_->height());
    const int rowOffset =
        TabRowOffset(static_cast<int>(station_->pages().size()), tabs_->width(), tabs_->tabWidth());
    const PageView v = PlacePageView(delta.dx, delta.dy, rowOffset);
    pageView_->setGeometry(v.viewport.x, v.viewport.y, v.viewport.width, v.viewport.height);
    const PixelRect page = PlacePageControls(v.dx, v.dy, 0).page;
    pageBox_->resize(page.width, page.height);
    for (auto& [p, view] : pageViews_) {
        view->move(0, 0);
        view->applyLayout(v.dx, v.dy, 0);
    }
    tabs_->update();
    client_->update();
}

void CMainDlg::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    station_->OnResize(client_->width(), client_->height());
}

WindowPlacement CMainDlg::CurrentPlacement() const {
    WindowPlacement p;
    p.status = isMaximized() ? SHOW_MAXIMIZED : isMinimized() ? SHOW_MINIMIZED : SHOW_NORMAL;
    const QRect normal = (isMaximized() || isMinimized()) ? normalGeometry() : geometry();
    QPoint origin;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        origin = screen->availableGeometry().topLeft();
    p.left = normal.left() - origin.x();
    p.top = normal.top() - origin.y();
    p.right = p.left + normal.width();
    p.bottom = p.top + normal.height();
    return p;
}

void CMainDlg::SaveAndLeave() {
    if (host_->closed())
        return;
    station_->SetOverviewPlacement(OverviewPlacement());
    runner_->Close(CurrentPlacement(), closeReason_);
}

void CMainDlg::CloseOnSignal() {
    closeReason_ = Station::CloseReason::Signal;
    close();
}

void CMainDlg::closeEvent(QCloseEvent* event) {
    SaveAndLeave();
    overview_->close(); // after its state is saved; a window left open would keep the station up
    event->accept();
}

void CMainDlg::Message(const std::string& text) {
    ShowMessage(isVisible() ? this : nullptr, text);
}

void CMainDlg::Notice(const std::string& text) {
    ShowNotice(isVisible() ? this : nullptr, text);
}

bool CMainDlg::Ask(const std::string& text) {
    return AskQuestion(isVisible() ? this : nullptr, text);
}

std::optional<int> CMainDlg::AskAddress(int proposed) {
    CAddDeviceDlg dialog(proposed, this);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.address();
}

std::optional<ModuleSetupValues> CMainDlg::RunModuleSetup(const ModuleSetupValues& given) {
    CModuleSetupDlg dialog(given, this);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.values();
}

namespace {

const QStringList PROGRAM_FILTERS = {QString::fromUtf8(PROGRAM_FILE_FILTER),
                                     QString::fromUtf8(ALL_FILES_FILTER)};

} // namespace

std::optional<AlarmSettings> CMainDlg::RunAlarmSetup(const std::string& caption, const AlarmSettings& given) {
    CAlarmSetupDlg dialog(caption, given, this);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.settings();
}

std::optional<std::string> CMainDlg::ChooseProgramFile() {
    return AskFileName(this, FileDialogKind::Open, PROGRAM_FILTERS, programFolder_);
}

std::optional<std::string> CMainDlg::ChooseSaveFile(const std::string& proposedName) {
    return AskFileName(this, FileDialogKind::Save, PROGRAM_FILTERS, saveFolder_,
                       QString::fromStdString(proposedName));
}

std::optional<NetworkPortFields> CMainDlg::AskNetworkPort(const NetworkPortFields& proposed) {
    CNetworkPortDlg dialog(proposed, this);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.fields();
}

void CMainDlg::setJournalFolder(const std::filesystem::path& folder) {
    station_->SetJournalFolder(folder);
}

} // namespace rir
