// The link to the supplies: the bus thread's notes about its port, "Старт/стоп", and the status
// line. A port that is lost or refused is said once in the log and takes every page offline;
// its return is said once too, and the pages come back through identification by themselves.
#include "app/Station.h"

#include "bus/BusThread.h"
#include "journal/JournalFormat.h"
#include "program/ProgramReport.h"
#include "program/ProgramRunner.h"

namespace rir {

namespace {

// A program that cannot reach its supply does not run on blind: it pauses, says why on its page
// and in the log, and waits for the operator's "Продолжить" once the supply answers again.
constexpr std::string_view PAUSE_PORT_LOST = "порт потерян";
constexpr std::string_view PAUSE_POLLING_STOPPED = "опрос остановлен оператором";
constexpr std::string_view PAGE_PROGRAM_PAUSED = "Пауза: %s";
constexpr std::string_view LOG_PROGRAM_PAUSED =
    "Работа по файлу %s приостановлена: %s. Продолжение - кнопкой «Продолжить»";

} // namespace

void Station::OnTimer() {
    const NotifyBatch batch(*this);
    busLink_.Tick();
    ++ticks_;
    if (ticks_ % TIMER_TICKS_PER_SECOND == 0) {
        link_.repliesPerSecond = replies_ - repliesAtLastSecond_;
        repliesAtLastSecond_ = replies_;
        AlarmSeconds();
    }
    if (ticks_ % STATUS_REFRESH_TICKS == 0)
        RefreshStatus();
}

void Station::OnPortEvent(BusNote note) {
    const std::optional<PortEvent> taken = busLink_.TakePortEvent();
    if (!taken)
        return;
    const PortEvent& event = *taken;
    if (event.note != note)
        return; // notes and events go in step; a stray note has nothing to tell
    link_.port = event.port;
    switch (note) {
    case BusNote::PortOpened: {
        if (link_.portAway) {
            LogLine(0, FillIn(pollingRunning_ ? LOG_PORT_BACK : LOG_PORT_BACK_STOPPED, {event.port}));
            MarkJournals(JOURNAL_MARK_PORT_BACK);
        }
        link_.portOpen = true;
        link_.portAway = false;
        // The bus thread has applied the protocol and the speed it opened with.
        link_.framing = bus_.framing.load();
        link_.baud = SpeedRow(bus_.speedIndex).baud;
        link_.misses = 0;
        link_.badReplies = 0;
        link_.repliesPerSecond = 0;
        replies_ = 0;
        repliesAtLastSecond_ = 0;
        break;
    }
    case BusNote::PortLost:
        LogLine(0, FillIn(LOG_PORT_LOST, {event.port, PortErrorText(event.error)}));
        MarkJournals(JOURNAL_MARK_PORT_LOST);
        PauseProgramsForLink(PAUSE_PORT_LOST);
        link_.portOpen = false;
        link_.portAway = true;
        link_.repliesPerSecond = 0;
        AllPagesOffline();
        break;
    case BusNote::PortRefused:
        LogLine(0, FillIn(LOG_PORT_REFUSED, {event.port, PortErrorText(event.error)}));
        if (!link_.portAway) {
            MarkJournals(JOURNAL_MARK_PORT_LOST);
            PauseProgramsForLink(PAUSE_PORT_LOST);
        }
        link_.portOpen = false;
        link_.portAway = true;
        link_.repliesPerSecond = 0;
        AllPagesOffline(); // after a port change, the supplies on the old port are gone too
        break;
    default:
        break;
    }
    RefreshStatus();
}

void Station::AllPagesOffline() {
    // As on each supply's fifth miss: identification first when the line is back. A second
    // channel's entry is never polled on its own; its page follows its supply's replies.
    {
        std::lock_guard<BusLock> hold(shared_.lock);
        for (PollEntry& e : shared_.pollList) {
            if (e.address != -1 && e.channel == 0)
                SendBackToIdentification(e);
        }
    }
    for (const auto& page : pages_) {
        if (!page->state.online)
            continue;
        page->state.online = false;
        page->UpdateControls();
        PageUpdated(*page);
    }
}

void Station::PauseProgramsForLink(std::string_view why) {
    for (const auto& page : pages_) {
        if (!PauseProgramForLink(*page, FormatText(PAGE_PROGRAM_PAUSED, {why}), *this))
            continue;
        LogLine(0,
                FormatText(LOG_PROGRAM_PAUSED, {TabCaption(page->state.address, page->state.channel), why}));
        MarkJournal(*page, JOURNAL_MARK_PAUSE);
        PageUpdated(*page);
    }
}

void Station::TogglePolling() {
    pollingRunning_ = !pollingRunning_;
    LogLine(0, std::string(pollingRunning_ ? LOG_POLLING_RESUMED : LOG_POLLING_STOPPED));
    if (!pollingRunning_)
        PauseProgramsForLink(PAUSE_POLLING_STOPPED);
    if (pollingRunning_)
        busLink_.GoAhead();
    RefreshStatus();
}

void Station::ToggleFastPolling() {
    // No reopen: the bus thread reads the switch as each cycle begins, and the cycle under way
    // ends as it began, so no reply is cut short or lost.
    const bool on = !bus_.fastPolling;
    bus_.fastPolling = on;
    menu_.SetChecked(ID_MENU_FAST_POLL, on);
    NoteMenu();
    LogLine(0, std::string(on ? LOG_FAST_POLL_ON : LOG_FAST_POLL_OFF));
    RefreshStatus();
}

void Station::RefreshStatus() {
    if (!link_.portOpen && !link_.portAway) {
        // Until the bus thread says which port it opened: the one chosen, as it will be set.
        const std::size_t index = bus_.portIndex.load();
        link_.port = index < portList_.size() ? portList_[index] : std::string();
        link_.framing = bus_.framing.load();
        link_.baud = SpeedRow(bus_.speedIndex).baud;
    }
    link_.pollingRunning = pollingRunning_;
    link_.fastPolling = bus_.fastPolling;
    std::string text = LinkStatusText(link_) + AlarmStatusPart();
    if (text == statusText_)
        return;
    statusText_ = std::move(text);
    NoteStatus();
}

} // namespace rir
