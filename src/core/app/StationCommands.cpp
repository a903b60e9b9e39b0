// The device pages' commands as the station carries them out: the page decides what to send,
// the station puts it on the bus queue, runs the module dialog and removes a device on "X".
#include "app/Station.h"

#include <utility>

namespace rir {

void Station::OnPageCommand(int address, int channel, int id) {
    const NotifyBatch batch(*this);
    DevicePage* page = FindPage(address, channel);
    if (page == nullptr)
        return;
    FinishPageCommand(address, channel, page->OnCommand(id, *this));
}

void Station::OnPageTicks(MonoTime now) {
    // At most this many seconds per call and page: a machine that slept catches up over a few
    // calls of the statistics timer instead of freezing the window.
    constexpr int MAX_TICKS_PER_CALL = 600;
    const NotifyBatch batch(*this);
    for (const auto& page : pages_) {
        const int due = page->tickSchedule.TakeDue(now, page->tickTimerRunning, MAX_TICKS_PER_CALL);
        for (int i = 0; i < due && page->tickTimerRunning; ++i)
            page->OnTick();
        if (due > 0)
            PageUpdated(*page);
    }
}

void Station::OnPageEnter(int address, int channel, int editId) {
    const NotifyBatch batch(*this);
    DevicePage* page = FindPage(address, channel);
    if (page == nullptr)
        return;
    FinishPageCommand(address, channel, page->OnEnterKey(editId, *this));
}

void Station::FinishPageCommand(int address, int channel, PageCommandResult result) {
    switch (result) {
    case PageCommandResult::Ignored:
        break;
    case PageCommandResult::Done:
        // Found again: the module dialog lets replies in while it is open.
        if (DevicePage* page = FindPage(address, channel))
            PageUpdated(*page);
        break;
    case PageCommandResult::RemoveDevice:
        RemoveSupply(address, channel);
        break;
    }
}

void Station::RemoveSupply(int address, int channel) {
    DeleteDevice(address, channel);
    // A second channel is never polled itself: its page lives on the module data of the main
    // page's polls. With the main page gone nothing would update it again, and it would go on
    // showing the last readings as if they were live; so it goes with its supply.
    if (channel == 0 && FindPage(address, 0) == nullptr && FindPage(address, 1) != nullptr)
        DeleteDevice(address, 1);
}

bool Station::Enqueue(const Request& request) {
    return EnqueueCommand(shared_, request);
}

std::optional<ModuleSetupValues> Station::RunModuleSetup(const ModuleSetupValues& given) {
    // The dialog is modal, but the bus goes on while it is open: what the replies change is shown
    // as it comes, not held back until the dialog closes.
    const int depth = std::exchange(batchDepth_, 0);
    Flush();
    std::optional<ModuleSetupValues> chosen = prompts_.RunModuleSetup(given);
    batchDepth_ = depth;
    return chosen;
}

} // namespace rir
