// The run journals as the station keeps them: one per page's run, opened with the run's first
// tick, a line per second, closed when the run is over; and "Сохранить", which copies the
// selected page's journal to the operator's file.
#include "app/Station.h"

#include "device/PageControls.h"
#include "journal/JournalFormat.h"
#include "journal/RunRecord.h"
#include "program/FileRead.h"
#include "program/ProgramReport.h"

#include <algorithm>
#include <cstdlib>

namespace rir {

namespace {

bool RunActive(const DevicePage& page) {
    return page.recording() || page.programStarted();
}

std::string SupplyName(int address, int channel) {
    return Station::TabCaption(address, channel);
}

// The page says it beside its chart and the log says it with the supply's name: a full disk
// must not go unnoticed for the rest of a week's run, nor stop it with a box to close.
constexpr std::string_view PAGE_JOURNAL_STOPPED = "Журнал работы остановлен: %s";
constexpr std::string_view PAGE_JOURNAL_NOT_KEPT = "Журнал работы не ведется: %s";
constexpr std::string_view LOG_JOURNAL_STOPPED = "Журнал работы %s остановлен: %s";
constexpr std::string_view LOG_JOURNAL_REMOVED = "; в нем не было ни одной секунды, файл удален";

} // namespace

Station::PageJournal* Station::FindJournal(int address, int channel) const {
    for (const auto& j : journals_) {
        if (j->address == address && j->channel == channel)
            return j.get();
    }
    return nullptr;
}

const RunJournal* Station::JournalOf(int address, int channel) const {
    const PageJournal* j = FindJournal(address, channel);
    return j != nullptr && j->file.open() ? &j->file : nullptr;
}

void Station::CloseJournal(int address, int channel) {
    std::erase_if(journals_, [&](const auto& j) { return j->address == address && j->channel == channel; });
}

void Station::FollowRun(int address, int channel) {
    const PageJournal* j = FindJournal(address, channel);
    if (j == nullptr)
        return;
    const DevicePage* page = FindPage(address, channel);
    if (page == nullptr || !RunActive(*page) || page->runNumber() != j->run)
        CloseJournal(address, channel);
}

void Station::JournalTick(DevicePage& page, bool present) {
    // The tick that ends a program still writes its second: the run is over only after it.
    if (journalFolder_.empty() || !(page.recording() || page.programLoaded()))
        return;
    const int address = page.state.address;
    const int channel = page.state.channel;
    PageJournal* j = FindJournal(address, channel);
    if (j != nullptr && j->run != page.runNumber()) {
        CloseJournal(address, channel);
        j = nullptr;
    }
    const JournalScales scales{page.state.voltScale, page.state.currScale};
    const StampTime now = page.stampClock();
    if (j == nullptr) {
        auto made = std::make_unique<PageJournal>();
        made->address = address;
        made->channel = channel;
        made->run = page.runNumber();
        const StampTime start = page.secondsRing.empty() ? now : page.secondsRing.front().stamp.value_or(now);
        std::string head = JournalHead(address, channel, start, page.series);
        if (page.programLoaded()) {
            // The operator is the one logged in to the station's session.
            const char* user = std::getenv("USER");
            head += RunRecordLines({"", "", user != nullptr ? user : ""},
                                   {page.programFileName(), page.programSha256(), page.programArea()});
        }
        const std::string reason =
            made->file.Open(journalFolder_, JournalFileName(address, channel, start), head);
        if (!reason.empty()) {
            page.ShowRunStatus(FormatText(PAGE_JOURNAL_NOT_KEPT, {reason}));
            PageUpdated(page);
            // The run goes on without a journal; this run does not try again.
            if (!journalFailureSaid_)
                deferredMessages_.push_back("Журнал работы " + SupplyName(address, channel) +
                                            " не ведется: не удалось создать файл в папке " +
                                            journalFolder_.string() + " (" + reason + ").");
            journalFailureSaid_ = true;
        } else {
            journalFailureSaid_ = false;
            // The run's first second was sampled at its start, before this tick.
            if (!page.secondsRing.empty() && page.chart.chartClock == 1) {
                if (const std::string failed =
                        made->file.Append(JournalLine(page.secondsRing.front(), scales, now));
                    !failed.empty())
                    JournalFailed(page, made->file, failed);
            }
        }
        journals_.push_back(std::move(made));
        j = journals_.back().get();
    }
    if (!j->file.open())
        return;
    const ChartSample* second = RingEntry(page.secondsRing, page.chart.ringIndex);
    if (second == nullptr || second->time != page.chart.chartClock)
        return;
    // A supply that does not answer has been reset to zeros on its page: what it did is not
    // known, and a recording does not even know its limits.
    JournalSecond what = JournalSecond::Measured;
    if (!present)
        what = JournalSecond::Missed;
    else if (!page.state.online)
        what = page.programLoaded() ? JournalSecond::PlanOnly : JournalSecond::Missed;
    if (const std::string reason = j->file.Append(JournalLine(*second, scales, now, what)); !reason.empty())
        JournalFailed(page, j->file, reason);
}

void Station::MarkJournal(DevicePage& page, std::string_view what) {
    PageJournal* j = FindJournal(page.state.address, page.state.channel);
    if (j == nullptr || j->run != page.runNumber() || !j->file.open())
        return;
    if (const std::string reason = j->file.Append(JournalMark(what, page.stampClock())); !reason.empty())
        JournalFailed(page, j->file, reason);
}

void Station::EndJournal(DevicePage& page, RunEnd how) {
    PageJournal* j = FindJournal(page.state.address, page.state.channel);
    if (j == nullptr || !j->file.open())
        return;
    if (const std::string reason =
            j->file.Append(RunEndLine(how, page.runChargeMilliAh(), page.stampClock()));
        !reason.empty())
        JournalFailed(page, j->file, reason);
}

void Station::JournalFailed(DevicePage& page, const RunJournal& file, const std::string& reason) {
    std::string line =
        FormatText(LOG_JOURNAL_STOPPED, {SupplyName(page.state.address, page.state.channel), reason});
    if (file.removed())
        line += LOG_JOURNAL_REMOVED;
    LogLine(0, line);
    page.ShowRunStatus(FormatText(PAGE_JOURNAL_STOPPED, {reason}));
    PageUpdated(page);
}

void Station::MarkJournals(std::string_view what) {
    for (const auto& page : pages_)
        MarkJournal(*page, what);
}

void Station::SaveRun() {
    const DevicePage* page = SelectedPage();
    if (page == nullptr || !page->fileItems().save)
        return;
    const int address = page->state.address;
    const int channel = page->state.channel;
    PageJournal* j = FindJournal(address, channel);
    if (j == nullptr || j->file.path().empty()) {
        ModalMessage("Журнал работы " + SupplyName(address, channel) + " не ведется: сохранить нечего.");
        return;
    }
    const std::optional<std::string> chosen =
        Modal([&] { return prompts_.ChooseSaveFile(SavedRunName(address, channel, page->stampClock())); });
    if (!chosen)
        return;
    // The dialog let ticks in: the journal may have been closed meanwhile, its file stays.
    j = FindJournal(address, channel);
    const std::filesystem::path from = j != nullptr ? j->file.path() : std::filesystem::path();
    if (j != nullptr)
        j->file.Sync();
    if (from.empty())
        return;
    const std::filesystem::path to(*chosen);
    if (const int error = SaveCopy(from, to); error != 0)
        ModalMessage(FileErrorText(FileErrorFromErrno(error), FileDisplayName(to)));
}

} // namespace rir
