// Device tabs, their menu items and poll entries, and the port, speed and protocol commands.
#include "app/Station.h"

#include "bus/BusThread.h"
#include "device/PageControls.h"
#include "device/PageTexts.h"

#include <algorithm>
#include <cstdio>

namespace rir {

std::string Station::TabCaption(int address, int channel) {
    return SupplyCaption(address, channel);
}

int Station::TabIndexOf(int address, int channel) const {
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        const DeviceState& s = pages_[i]->state;
        if (s.address == address && s.channel == channel)
            return static_cast<int>(i);
    }
    return -1;
}

DevicePage* Station::FindPage(int address, int channel) const {
    const int i = TabIndexOf(address, channel);
    return i < 0 ? nullptr : pages_[static_cast<std::size_t>(i)].get();
}

DevicePage* Station::SelectedPage() const {
    if (selected_ < 0 || selected_ >= static_cast<int>(pages_.size()))
        return nullptr;
    return pages_[static_cast<std::size_t>(selected_)].get();
}

void Station::AddDevice(int address, int channel) {
    const NotifyBatch batch(*this);
    if (address == 0) {
        int highest = 0;
        {
            std::lock_guard<BusLock> hold(shared_.lock);
            for (const PollEntry& e : shared_.pollList)
                highest = std::max(highest, e.address);
        }
        const std::optional<int> asked = prompts_.AskAddress(std::min(highest + 1, 127));
        if (!asked) {
            LayoutPages();
            return;
        }
        address = *asked;
        channel = 0;
    }
    if (address < 1 || address > 127 || channel < 0 || channel > 1)
        return;
    bool duplicate = false;
    {
        std::lock_guard<BusLock> hold(shared_.lock);
        duplicate = FindEntry(shared_.pollList, address, channel) >= 0;
    }
    if (duplicate) {
        prompts_.Message(MSG_DUPLICATE_DEVICE);
        LayoutPages();
        return;
    }
    {
        std::lock_guard<BusLock> hold(shared_.lock);
        if (!AddEntry(shared_.pollList, address, channel))
            return; // the poll list is full: 127 addresses on two channels
    }
    pages_.push_back(std::make_unique<DevicePage>());
    DevicePage& page = *pages_.back();
    page.InitDevice(address, channel);
    listener_.PageAdded(page);
    PageUpdated(page);
    // A main page comes to the front; a second channel's page joins the row quietly.
    if (channel == 0 || selected_ < 0)
        selected_ = channel == 0 ? static_cast<int>(pages_.size()) - 1 : 0;
    NoteTabs();
    menu_.InsertDeviceItem(DeviceMenuId(address, channel), TabCaption(address, channel));
    RenewDeviceChecks();
    LayoutPages();
}

bool Station::Removable(int channel) {
    if (pages_.size() < 2)
        return false;
    if (channel != 0)
        return true;
    // The last supply on the bus cannot go: count the runs of addresses in the list. The entries
    // of removed devices do not count: a supply with its channel B and one such entry would
    // otherwise go, leaving its channel-B tab with nothing to poll it.
    std::lock_guard<BusLock> hold(shared_.lock);
    int runs = 0;
    int previous = 0;
    for (const PollEntry& e : shared_.pollList) {
        if (e.address < 0)
            continue;
        if (runs == 0 || e.address != previous)
            ++runs;
        previous = e.address;
    }
    return runs >= 2;
}

void Station::DeleteDevice(int address, int channel) {
    const NotifyBatch batch(*this);
    if (!Removable(channel))
        return;
    {
        std::lock_guard<BusLock> hold(shared_.lock);
        MarkDeleted(shared_.pollList, address, channel);
    }
    const int index = TabIndexOf(address, channel);
    if (index >= 0) {
        CloseJournal(address, channel);
        DropAlarms(address, channel);
        DevicePage* gone = pages_[static_cast<std::size_t>(index)].get();
        std::erase(pending_.pages, gone);
        listener_.PageRemoved(*gone);
        pages_.erase(pages_.begin() + index);
        // The tab before the deleted one comes forward (the first, when the first went).
        selected_ = std::max(0, index - 1);
        NoteTabs();
    }
    menu_.RemoveItem(DeviceMenuId(address, channel));
    RenewDeviceChecks();
    NoteMenu();
}

void Station::SelectTab(int index) {
    const NotifyBatch batch(*this);
    if (index < 0 || index >= static_cast<int>(pages_.size()) || index == selected_)
        return;
    selected_ = index;
    NoteTabs();
    RenewDeviceChecks();
}

void Station::SelectNeighbourTab(int step) {
    const int count = static_cast<int>(pages_.size());
    if (count == 0)
        return;
    const int from = selected_ >= 0 ? selected_ : (step > 0 ? count - 1 : 0);
    SelectTab(((from + step) % count + count) % count);
}

void Station::RenewDeviceChecks() {
    const DevicePage* page = SelectedPage();
    menu_.CheckDeviceItem(page ? DeviceMenuId(page->state.address, page->state.channel) : ID_SEPARATOR);
    RenewFileItems();
    RenewRemoval();
    NoteMenu();
}

void Station::RenewFileItems() {
    // "Открыть" and "Сохранить" act on the selected tab, so they follow its page, not the page
    // that happened to refresh its controls last.
    const DevicePage* page = SelectedPage();
    menu_.SetEnabled(ID_MENU_FILE_OPEN, page != nullptr && page->fileItems().open);
    menu_.SetEnabled(ID_MENU_FILE_SAVE, page != nullptr && page->fileItems().save);
    NoteMenu();
}

void Station::RenewRemoval() {
    // An "X" that would do nothing is greyed, with the reason in its tool tip.
    for (const auto& page : pages_) {
        const bool removable = Removable(page->state.channel);
        const bool enabled = page->view.SetEnabled(IDC_REMOVE_DEVICE, removable);
        const bool tip = page->view.SetToolTip(IDC_REMOVE_DEVICE, removable ? "" : TIP_LAST_DEVICE);
        if (enabled || tip)
            NotePageChanged(*page);
    }
    const DevicePage* selected = SelectedPage();
    menu_.SetEnabled(ID_MENU_DELETE, selected != nullptr && Removable(selected->state.channel));
}

bool Station::Ask(const std::string& text) {
    return Modal([&] { return prompts_.Ask(text); });
}

namespace {

bool OutputLive(const DevicePage& page) {
    return page.state.outputOn || page.programRunning();
}

std::string JoinCaptions(const std::vector<std::string>& captions) {
    std::string joined;
    for (const std::string& c : captions)
        joined += (joined.empty() ? "" : ", ") + c;
    return joined;
}

} // namespace

bool Station::ConfirmRemoval(int address, int channel) {
    // The supply goes with its channel B (see RemoveSupply): both outputs count.
    std::vector<DevicePage*> live;
    for (int ch : {channel, 1}) {
        DevicePage* page = FindPage(address, ch);
        if (page != nullptr && OutputLive(*page) && std::find(live.begin(), live.end(), page) == live.end())
            live.push_back(page);
        if (channel != 0)
            break;
    }
    if (live.empty())
        return true;
    std::vector<std::string> captions;
    bool running = false;
    for (const DevicePage* page : live) {
        captions.push_back(TabCaption(page->state.address, page->state.channel));
        running = running || page->programRunning();
    }
    if (!Ask(FillIn(running ? ASK_REMOVE_PROGRAM_RUNS : ASK_REMOVE_OUTPUT_ON, {JoinCaptions(captions)})))
        return false;
    // The switch-off is queued before the page goes: the bus sends it although nothing polls the
    // supply any more. Found again: replies went on while the question was open.
    for (int ch : {channel, 1}) {
        if (DevicePage* page = FindPage(address, ch))
            page->SendOutputOff(*this);
        if (channel != 0)
            break;
    }
    return true;
}

bool Station::ConfirmProgramLoad(int address, int channel) {
    // Loading switches the output off (the program starts from its own first second).
    const DevicePage* page = FindPage(address, channel);
    if (page == nullptr || !page->state.outputOn)
        return true;
    return Ask(FillIn(ASK_LOAD_OVER_OUTPUT, {TabCaption(address, channel)}));
}

bool Station::ConfirmRs232() {
    const DevicePage* keep = SelectedPage();
    if (keep == nullptr || pages_.size() < 2)
        return true;
    std::vector<std::string> dropped;
    std::vector<std::string> live;
    for (const auto& page : pages_) {
        if (page.get() == keep)
            continue;
        const std::string caption = TabCaption(page->state.address, page->state.channel);
        dropped.push_back(caption);
        if (OutputLive(*page))
            live.push_back(caption);
    }
    // Their outputs are not switched off: on the point-to-point line a queued switch-off would
    // reach the one supply that stays, whatever address it names.
    std::string text = FillIn(ASK_RS232_KEEPS,
                              {TabCaption(keep->state.address, keep->state.channel), JoinCaptions(dropped)});
    if (!live.empty())
        text += FillIn(ASK_RS232_LEAVES_ON, {JoinCaptions(live)});
    text += ASK_RS232_END;
    return Ask(text);
}

void Station::LayoutPages() {
    NoteLayout();
}

void Station::SelectPort(int index) {
    if (index < 0 || index >= static_cast<int>(portList_.size()))
        return;
    for (std::size_t i = 0; i < portList_.size(); ++i)
        menu_.SetChecked(ID_PORT_FIRST + static_cast<int>(i), static_cast<int>(i) == index);
    bus_.portIndex = static_cast<std::uint8_t>(index);
    LogLine(0, "Смена активного порта на: " + portList_[static_cast<std::size_t>(index)]);
    RequestReopen();
    NoteMenu();
}

void Station::RequestReopen() {
    // Between two cycles, or at once when the bus thread is waiting to retry a port that is away.
    busLink_.RequestReopen();
}

void Station::PortsFound(const std::vector<std::string>& found) {
    const NotifyBatch batch(*this);
    for (const std::string& name : found) {
        if (name.empty() || std::find(portList_.begin(), portList_.end(), name) != portList_.end())
            continue;
        if (!ListPort(name))
            break; // the port ids must stay below the device ids
        LogLine(0, FillIn(LOG_PORT_FOUND, {name}));
    }
}

std::optional<int> Station::ListPort(const std::string& name) {
    if (const auto at = std::find(portList_.begin(), portList_.end(), name); at != portList_.end())
        return static_cast<int>(at - portList_.begin());
    if (portList_.size() >= static_cast<std::size_t>(MAX_PORT_ITEMS))
        return std::nullopt;
    portList_.push_back(name);
    busLink_.AddPort(name);
    const int index = static_cast<int>(portList_.size()) - 1;
    menu_.AppendPortItem(index, name);
    NoteMenu();
    return index;
}

void Station::AskNetworkPort() {
    // Proposed: the gateway in use, or what the operator typed last time it was refused.
    NetworkPortFields fields;
    const std::size_t current = bus_.portIndex.load();
    if (current < portList_.size()) {
        if (const std::optional<NetworkPort> inUse = ParseNetworkPortName(portList_[current]))
            fields = {inUse->host, std::to_string(inUse->port)};
    }
    for (;;) {
        const std::optional<NetworkPortFields> typed = prompts_.AskNetworkPort(fields);
        if (!typed)
            return;
        const NetworkPortChoice choice = CheckNetworkPortFields(*typed);
        if (choice.port) {
            const std::string name = NetworkPortName(*choice.port);
            if (const std::optional<int> index = ListPort(name)) {
                SelectPort(*index);
            } else {
                prompts_.Message("Список портов полон: " + name + " не добавлен");
            }
            return;
        }
        prompts_.Message(choice.error);
        fields = *typed;
    }
}

void Station::SelectSpeed(int menuId) {
    int row = -1;
    for (std::size_t i = 0; i < SpeedTable.size(); ++i) {
        if (SpeedTable[i].menuId == menuId)
            row = static_cast<int>(i);
    }
    if (row < 0)
        return;
    const bool wasChecked = menu_.Checked(menuId);
    for (const SpeedEntry& s : SpeedTable)
        menu_.SetChecked(s.menuId, s.menuId == menuId);
    NoteMenu();
    if (wasChecked)
        return;
    bus_.speedIndex = row;
    RequestReopen();
    LogLine(0, "Смена скорости порта на " + std::to_string(SpeedTable[static_cast<std::size_t>(row)].baud) +
                   " бод");
}

void Station::SelectFraming(Framing framing) {
    const int menuId = FramingMenuId(framing);
    const bool wasChecked = menu_.Checked(menuId);
    if (framing == Framing::Rs232 && !wasChecked && !ConfirmRs232()) {
        NoteMenu(); // the item the click ticked shows its old state again
        return;
    }
    for (const FramingName& n : FRAMING_NAMES)
        menu_.SetChecked(FramingMenuId(n.framing), n.framing == framing);
    NoteMenu();
    if (wasChecked)
        return;
    bus_.SetPendingFraming(framing);
    LogLine(0, "Смена протокола работы на " + std::string(NamesOf(framing).display));

    if (framing == Framing::Rs232) {
        // One supply on a point-to-point line: keep the page that was selected, drop the rest.
        const DevicePage* keep = SelectedPage();
        const int keepAddress = keep ? keep->state.address : -1;
        const int keepChannel = keep ? keep->state.channel : -1;
        bool deleted = true;
        while (deleted) {
            deleted = false;
            const std::size_t before = pages_.size();
            for (std::size_t i = 0; i < pages_.size();) {
                const DeviceState& s = pages_[i]->state;
                if (s.address == keepAddress && s.channel == keepChannel) {
                    ++i;
                    continue;
                }
                const std::size_t count = pages_.size();
                DeleteDevice(s.address, s.channel);
                if (pages_.size() == count)
                    ++i;
            }
            deleted = pages_.size() != before;
        }
        const int keepIndex = TabIndexOf(keepAddress, keepChannel);
        if (keepIndex >= 0 && keepIndex != selected_) {
            selected_ = keepIndex;
            NoteTabs();
            RenewDeviceChecks();
        }
        const int row9600 = DEFAULT_SPEED_INDEX;
        for (std::size_t i = 0; i < SpeedTable.size(); ++i) {
            menu_.SetChecked(SpeedTable[i].menuId, static_cast<int>(i) == row9600);
            menu_.SetEnabled(SpeedTable[i].menuId, static_cast<int>(i) == row9600);
        }
        bus_.speedIndex = row9600;
    } else {
        for (const SpeedEntry& s : SpeedTable)
            menu_.SetEnabled(s.menuId, true);
    }
    {
        std::lock_guard<BusLock> hold(shared_.lock);
        for (PollEntry& e : shared_.pollList)
            e.state = PollState::Unknown; // every supply is identified afresh in the new framing
    }
    // Last: the bus thread may be waiting to retry a port that is away and opens at once, with
    // the protocol and speed as they are now.
    RequestReopen();
    NoteMenu();
}

} // namespace rir
