#include "app/Station.h"

#include "device/PageControls.h"

namespace rir {

Station::Station(std::vector<std::string> portList, Prompts& prompts, StationListener& listener,
                 EventLog& log)
    : portList_(std::move(portList)), prompts_(prompts), listener_(listener), log_(log) {
    if (portList_.size() > static_cast<std::size_t>(MAX_PORT_ITEMS))
        portList_.resize(MAX_PORT_ITEMS);
    for (std::size_t i = 0; i < portList_.size(); ++i)
        menu_.AppendPortItem(static_cast<int>(i), portList_[i]);
    log_.setAsciiFlag([this] { return bus_.asciiMode.load(); });
}

Station::~Station() = default;

void Station::LogLine(int index, const std::string& text) {
    log_.LogLine(index, text);
    if (log_.takeScreenChanged())
        listener_.LogChanged();
}

bool Station::Start(const StoredSettings* stored) {
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
    listener_.MenuChanged();
    return havePorts;
}

void Station::Shutdown() {
    LogLine(0, "Выход из программы");
    if (log_.logToFile())
        log_.CloseFile();
}

bool Station::OnCommand(int id) {
    if (id >= ID_PORT_FIRST && id < ID_PORT_FIRST + static_cast<int>(portList_.size())) {
        SelectPort(id - ID_PORT_FIRST);
        return true;
    }
    if (id >= ID_DEVICE_FIRST + 1 && id <= ID_DEVICE_LAST) {
        const int n = id - ID_DEVICE_FIRST;
        const int address = n < 128 ? n : id - 2127;
        const int channel = n < 128 ? 0 : 1;
        SelectTab(TabIndexOf(address, channel));
        return true;
    }
    if (id >= ID_MENU_SPEED_FIRST && id <= ID_MENU_SPEED_LAST) {
        SelectSpeed(id);
        return true;
    }
    switch (id) {
    case ID_MENU_START_STOP:
        pollingRunning_ = !pollingRunning_;
        if (pollingRunning_)
            eStart_.Set();
        return true;
    case ID_MENU_RTU:
    case ID_MENU_ASCII:
    case ID_MENU_RS232:
        SelectProtocol(id);
        return true;
    case ID_MENU_ADD:
        AddDevice(0, 0);
        return true;
    case ID_MENU_DELETE:
        if (const DevicePage* page = SelectedPage())
            DeleteDevice(page->state.address, page->state.channel);
        return true;
    case ID_MENU_LOG_SCREEN:
        log_.ToggleLogToScreen();
        menu_.SetChecked(ID_MENU_LOG_SCREEN, log_.logToScreen());
        listener_.MenuChanged();
        listener_.LogChanged();
        return true;
    case ID_MENU_LOG_FILE:
        log_.ToggleLogToFile();
        menu_.SetChecked(ID_MENU_LOG_FILE, log_.logToFile());
        if (log_.takeScreenChanged())
            listener_.LogChanged();
        listener_.MenuChanged();
        return true;
    case ID_MENU_SAVE:
    case ID_MENU_OPEN:
        // Program files arrive with the program runner; until then both items only exist.
        return true;
    default:
        return false;
    }
}

void Station::OnResize(int clientWidth, int clientHeight) {
    layout_ = LayoutMainWindow(clientWidth, clientHeight, log_.logToScreen());
    LayoutPages();
}

void Station::PageUpdated(DevicePage& page) {
    for (int id : page.view.takeMenuChanged()) {
        if (id == ID_MENU_FILE_OPEN || id == ID_MENU_FILE_SAVE)
            menu_.SetEnabled(id, page.view.menuEnabled(id));
    }
    listener_.PageChanged(page);
    listener_.MenuChanged();
}

} // namespace rir
