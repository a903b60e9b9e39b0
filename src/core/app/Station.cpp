#include "app/Station.h"

#include "device/PageControls.h"
#include "device/Payloads.h"

#include <algorithm>
#include <utility>

namespace rir {

Station::Station(std::vector<std::string> portList, Prompts& prompts, StationListener& listener,
                 EventLog& log)
    : portList_(std::move(portList)), prompts_(prompts), listener_(listener), log_(log) {
    if (portList_.size() > static_cast<std::size_t>(MAX_PORT_ITEMS))
        portList_.resize(MAX_PORT_ITEMS);
    for (std::size_t i = 0; i < portList_.size(); ++i)
        menu_.AppendPortItem(static_cast<int>(i), portList_[i]);
    shared_.portList = portList_; // the bus thread's copy, before the thread exists
    RegisterSupplyReplies();      // the bus thread reads them from its first reply on
    log_.setAsciiFlag([this] { return bus_.framing != Framing::Rtu; });
    // Only kept here: the log reports from inside a line's write, and the line's event goes on.
    log_.setFileProblem([this](const std::string& text) { logProblems_.push_back(text); });
}

Station::~Station() = default;

void Station::LogLine(int index, const std::string& text) {
    log_.LogLine(index, text);
    if (log_.takeScreenChanged())
        NoteLog();
}

bool Station::Start(const StoredSettings* stored) {
    const NotifyBatch batch(*this);
    // A gateway is never discovered: the one the station last used is listed from the settings.
    if (stored != nullptr && ParseNetworkPortName(stored->port))
        ListPort(stored->port);
    const bool havePorts = !portList_.empty();
    if (!havePorts) {
        prompts_.Message(MSG_NO_PORTS);
    } else {
        RestoreSettings(stored ? *stored : StoredSettings{});
        pollingRunning_ = true;
    }
    if (log_.logToFile()) {
        log_.OpenFile();
        LogLine(0, "Старт программы");
    }
    if (havePorts) {
        const std::size_t index = bus_.portIndex.load();
        const std::string& name = index < portList_.size() ? portList_[index] : portList_.front();
        LogLine(0, "Найдено " + std::to_string(portList_.size()) + " com-порта. Используем: " + name);
    } else {
        LogLine(0, "Com-портов не найдено!");
    }
    NoteMenu();
    RefreshStatus();
    return havePorts;
}

void Station::Shutdown() {
    const NotifyBatch batch(*this);
    LogLine(0, "Выход из программы");
    // Every run's journal is complete on the disk before the station goes.
    journals_.clear();
    if (log_.logToFile())
        log_.CloseFile();
}

bool Station::OnCommand(int id) {
    const NotifyBatch batch(*this);
    if (id >= ID_PORT_FIRST && id < ID_PORT_FIRST + static_cast<int>(portList_.size())) {
        SelectPort(id - ID_PORT_FIRST);
        return true;
    }
    if (id >= ID_DEVICE_FIRST + 1 && id <= ID_DEVICE_LAST) {
        const DeviceOfMenu device = DeviceOfMenuId(id);
        SelectTab(TabIndexOf(device.address, device.channel));
        return true;
    }
    if (OnAlarmCommand(id))
        return true;
    if (id >= ID_MENU_SPEED_FIRST && id <= ID_MENU_SPEED_LAST) {
        SelectSpeed(id);
        return true;
    }
    switch (id) {
    case ID_MENU_START_STOP:
        TogglePolling();
        return true;
    case ID_MENU_FAST_POLL:
        ToggleFastPolling();
        return true;
    case ID_MENU_NETWORK_PORT:
        AskNetworkPort();
        return true;
    case ID_MENU_RTU:
    case ID_MENU_ASCII:
    case ID_MENU_RS232:
        SelectFraming(*MenuFraming(id));
        return true;
    case ID_MENU_ADD:
        AddDevice(0, 0);
        return true;
    case ID_MENU_DELETE:
        if (const DevicePage* page = SelectedPage())
            RemoveSupply(page->state.address, page->state.channel);
        return true;
    case ID_MENU_LOG_SCREEN:
        log_.ToggleLogToScreen();
        menu_.SetChecked(ID_MENU_LOG_SCREEN, log_.logToScreen());
        NoteMenu();
        NoteLog();
        return true;
    case ID_MENU_LOG_FILE:
        log_.ToggleLogToFile();
        menu_.SetChecked(ID_MENU_LOG_FILE, log_.logToFile());
        // Switched off, or on again with a file that takes the lines: the notice has had its day.
        if (!noticeText_.empty() && (!log_.logToFile() || log_.fileOpen())) {
            noticeText_.clear();
            NoteStatus();
        }
        if (log_.takeScreenChanged())
            NoteLog();
        NoteMenu();
        return true;
    case ID_MENU_OPEN:
        // For the selected tab's page while it answers and holds no program (what enables the
        // item), asked of the page itself, not of the item.
        if (const DevicePage* page = SelectedPage();
            page != nullptr && page->state.online && !page->programLoaded() &&
            ConfirmProgramLoad(page->state.address, page->state.channel))
            OpenProgram(page->state.address, page->state.channel);
        return true;
    case ID_MENU_SAVE:
        SaveRun();
        return true;
    default:
        return false;
    }
}

void Station::OnResize(int clientWidth, int clientHeight) {
    const NotifyBatch batch(*this);
    layout_ = LayoutMainWindow(clientWidth, clientHeight, log_.logToScreen());
    LayoutPages();
}

void Station::PageUpdated(DevicePage& page) {
    // The page's file items are read from the selected page whenever any page changed.
    page.view.takeMenuChanged();
    RenewFileItems();
    NotePageChanged(page);
}

} // namespace rir
