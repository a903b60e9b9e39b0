// What the station restores at start-up and saves at close.
#include "app/Station.h"

namespace rir {

void Station::RestoreSettings(const StoredSettings& s) {
    overviewPlacement_ = s.overview; // kept as it was by a face without the overview
    // Port: the last port of that name wins; a port that is gone leaves the first one.
    for (std::size_t i = 0; i < portList_.size(); ++i) {
        if (portList_[i] == s.port)
            bus_.portIndex = static_cast<std::uint8_t>(i);
    }
    menu_.SetChecked(ID_PORT_FIRST + bus_.portIndex, true);

    // A protocol the file does not name leaves the one the station starts with.
    if (const std::optional<Framing> framing = FramingFromSetting(s.protocol))
        bus_.framing = *framing;
    for (const FramingName& n : FRAMING_NAMES)
        menu_.SetChecked(FramingMenuId(n.framing), n.framing == bus_.framing);
    const bool rs232 = bus_.framing == Framing::Rs232;

    // A point-to-point line always runs at 9600 baud.
    const int speed = rs232 ? SpeedTable[DEFAULT_SPEED_INDEX].baud : s.speed;
    bool matched = false;
    for (std::size_t i = 0; i < SpeedTable.size(); ++i) {
        if (SpeedTable[i].baud == speed) {
            bus_.speedIndex = static_cast<int>(i);
            menu_.SetChecked(SpeedTable[i].menuId, true);
            matched = true;
        } else if (rs232) {
            menu_.SetEnabled(SpeedTable[i].menuId, false);
        }
    }
    if (!matched) {
        bus_.speedIndex = DEFAULT_SPEED_INDEX;
        menu_.SetChecked(SpeedTable[DEFAULT_SPEED_INDEX].menuId, true);
    }

    log_.setLogToScreen(s.logToScreen == 1);
    menu_.SetChecked(ID_MENU_LOG_SCREEN, s.logToScreen == 1);
    log_.setLogToFile(s.logToFile == 1);
    menu_.SetChecked(ID_MENU_LOG_FILE, s.logToFile == 1);
    NoteLog();

    bus_.fastPolling = s.fastPoll == 1;
    menu_.SetChecked(ID_MENU_FAST_POLL, s.fastPoll == 1);
    bus_.moduleIntervalS = s.moduleInterval;

    // A repeated tab would ask for one box each before the window is even shown.
    std::string repeats;
    for (const StoredSettings::Tab& tab : s.tabSections) {
        if (tab.id == 0)
            continue;
        if (FindPage(tab.id, tab.channel) != nullptr) {
            repeats += (repeats.empty() ? "" : ", ") + TabCaption(tab.id, tab.channel);
            continue;
        }
        AddDevice(tab.id, tab.channel);
        if (DevicePage* page = FindPage(tab.id, tab.channel))
            page->SetPartAreaText(tab.area);
    }
    if (!repeats.empty())
        LogLine(0, FillIn(LOG_DUPLICATE_TABS, {repeats}));
    RestoreAlarms(s);
    if (pages_.empty()) {
        AddDevice(FIRST_RUN_ADDRESS, 0); // a first run shows one supply at the usual address
    } else if (s.activeTab >= 1 && s.activeTab <= static_cast<int>(pages_.size())) {
        SelectTab(s.activeTab - 1);
    }
    NoteTabs();
    NoteMenu();
}

StoredSettings Station::SettingsToSave(const WindowPlacement& placement) const {
    StoredSettings s;
    s.overview = overviewPlacement_;
    const std::size_t index = bus_.portIndex;
    s.port = index < portList_.size() ? portList_[index] : std::string();
    // A protocol chosen while the bus waits (polling stopped) is not applied yet; it is still
    // the operator's choice and is what the next start should use.
    s.protocol = NamesOf(bus_.pendingFraming().value_or(bus_.framing)).setting;
    s.speed = SpeedRow(bus_.speedIndex).baud;
    s.tabs = static_cast<int>(pages_.size());
    s.activeTab = selected_ + 1;
    s.logToScreen = log_.logToScreen() ? 1 : 0;
    s.logToFile = log_.logToFile() ? 1 : 0;
    s.moduleInterval = bus_.moduleIntervalS;
    s.fastPoll = bus_.fastPolling ? 1 : 0;
    s.window = placement;
    for (const auto& page : pages_)
        s.tabSections.push_back({TabCaption(page->state.address, page->state.channel), page->state.address,
                                 page->state.channel, page->partAreaText()});
    SaveAlarms(s);
    return s;
}

bool Station::Start(const SettingsRead& read) {
    const NotifyBatch batch(*this);
    saveSettingsAtClose_ = !read.keepFile;
    const bool started = Start(&read.settings);
    if (!read.problem.empty()) {
        LogLine(0, read.problem);
        ModalMessage(read.problem);
    }
    return started;
}

void Station::SettingsNotSaved(const std::string& text, CloseReason reason) {
    const NotifyBatch batch(*this);
    LogLine(0, text);
    if (reason == CloseReason::Operator)
        ModalMessage(text);
}

} // namespace rir
