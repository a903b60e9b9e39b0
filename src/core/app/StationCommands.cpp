// The device pages' commands as the station carries them out: the page decides what to send,
// the station puts it on the bus queue, runs the module dialog and removes a device on "X".
#include "app/Station.h"

#include "journal/JournalFormat.h"
#include "journal/RunRecord.h"
#include "program/ProgramRunner.h"

#include <utility>

namespace rir {

void Station::OnPageCommand(int address, int channel, int id) {
    const NotifyBatch batch(*this);
    DevicePage* page = FindPage(address, channel);
    if (page == nullptr || OnAlarmPageCommand(*page, id))
        return;
    FinishPageCommand(address, channel, id, page->OnCommand(id, *this));
    // Also after a command the page took for itself ("Очистить график"): a run may have ended.
    FollowRun(address, channel);
}

void Station::OnPageTicks(MonoTime now) {
    // At most this many seconds per call and page: a machine that slept catches up over a few
    // calls of the statistics timer instead of freezing the window.
    constexpr int MAX_TICKS_PER_CALL = 600;
    {
        const NotifyBatch batch(*this);
        for (const auto& page : pages_) {
            const int due =
                page->tickSchedule.TakeDue(now, page->ticking(), MAX_TICKS_PER_CALL, page->stampClock());
            for (int i = 0; i < due && page->ticking(); ++i) {
                // A second that fell due while the window was held up is recorded as missed:
                // its plan is not sent, only the present second's is.
                const bool present = !page->tickSchedule.late(i, now);
                const TickOutcome outcome = page->OnTick(*this, page->tickSchedule.dueStamp(i), present);
                JournalTick(*page, present);
                if (outcome == TickOutcome::ProgramEnded) {
                    EndJournal(*page, RunEnd::Ended);
                    CloseJournal(page->state.address, page->state.channel);
                    deferredMessages_.push_back(page->ProgramEndMessage());
                }
            }
            const bool aged = page->ShowMeasurementAge(now);
            if (due > 0 || aged)
                PageUpdated(*page);
        }
    }
    // Only once every page has had its seconds: the box is modal, and while it is open the
    // other pages' programs must go on.
    ShowDeferredMessages();
}

void Station::OnPageEnter(int address, int channel, int editId) {
    const NotifyBatch batch(*this);
    DevicePage* page = FindPage(address, channel);
    if (page == nullptr)
        return;
    FinishPageCommand(address, channel, editId, page->OnEnterKey(editId, *this));
}

void Station::FinishPageCommand(int address, int channel, int id, PageCommandResult result) {
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
    case PageCommandResult::OpenProgram:
        if (ConfirmProgramLoad(address, channel))
            OpenProgram(address, channel);
        break;
    case PageCommandResult::RunProgram:
        if (DevicePage* page = FindPage(address, channel))
            RunProgramCommand(*page, id);
        break;
    }
}

void Station::RunProgramCommand(DevicePage& page, int id) {
    const bool wasPaused = page.programPaused();
    const bool wasStarted = page.programStarted();
    RunProgramButton(page, id, *this);
    if (wasStarted && !page.programLoaded())
        EndJournal(page, RunEnd::Cancelled);
    if (page.programStarted() && page.programPaused() != wasPaused)
        MarkJournal(page, page.programPaused() ? JOURNAL_MARK_PAUSE : JOURNAL_MARK_RESUME);
    PageUpdated(page);
}

void Station::RemoveSupply(int address, int channel) {
    if (!Removable(channel) || !ConfirmRemoval(address, channel))
        return;
    DeleteDevice(address, channel);
    // A second channel is never polled itself: its page lives on the module data of the main
    // page's polls. With the main page gone nothing would update it again, and it would go on
    // showing the last readings as if they were live; so it goes with its supply.
    if (channel == 0 && FindPage(address, 0) == nullptr && FindPage(address, 1) != nullptr)
        DeleteDevice(address, 1);
}

bool Station::Enqueue(const Request& request) {
    return EnqueueCommand(shared_, request, EffectsOf(request));
}

std::optional<ModuleSetupValues> Station::RunModuleSetup(const ModuleSetupValues& given) {
    // The dialog is modal, but the bus goes on while it is open: what the replies change is shown
    // as it comes, not held back until the dialog closes.
    return Modal([&] { return prompts_.RunModuleSetup(given); });
}

} // namespace rir
