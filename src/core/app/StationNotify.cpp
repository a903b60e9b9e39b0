// What the station tells its listener: the changes of one event collected and told once at its
// end, and the log file's problems said on the status line and in one box.
#include "app/Station.h"

#include <algorithm>
#include <utility>

namespace rir {

Station::NotifyBatch::~NotifyBatch() {
    if (station_.batchDepth_ == 1)
        station_.SayLogProblems(); // its notices go out with the event's own
    if (--station_.batchDepth_ != 0)
        return;
    station_.Flush();
    // Last: the event's own work is done (a reply's go-ahead given) before a box can wait.
    station_.ShowLogProblemBox();
}

void Station::SayLogProblems() {
    while (!logProblems_.empty()) {
        const std::string text = std::move(logProblems_.front());
        logProblems_.erase(logProblems_.begin());
        // The file is closed by now: the line reaches the screen only.
        LogLine(0, text);
        noticeText_ = text;
        NoteStatus();
        if (!logProblemBoxShown_)
            logProblemBox_ = text;
    }
}

void Station::ShowLogProblemBox() {
    if (logProblemBox_.empty() || logProblemBoxShown_)
        return;
    logProblemBoxShown_ = true;
    // A notice: replies and ticks run as usual while it is open.
    const std::string text = std::exchange(logProblemBox_, std::string());
    Modal([&] {
        prompts_.Notice(text);
        return true;
    });
}

void Station::NotePageChanged(DevicePage& page) {
    if (std::find(pending_.pages.begin(), pending_.pages.end(), &page) == pending_.pages.end())
        pending_.pages.push_back(&page);
    if (batchDepth_ == 0)
        Flush();
}

void Station::NoteTabs() {
    pending_.tabs = true;
    if (batchDepth_ == 0)
        Flush();
}

void Station::NoteMenu() {
    pending_.menu = true;
    if (batchDepth_ == 0)
        Flush();
}

void Station::NoteLog() {
    pending_.log = true;
    if (batchDepth_ == 0)
        Flush();
}

void Station::NoteLayout() {
    pending_.layout = true;
    if (batchDepth_ == 0)
        Flush();
}

void Station::NoteStatus() {
    pending_.status = true;
    if (batchDepth_ == 0)
        Flush();
}

void Station::Flush() {
    if (pending_.tabs)
        RefreshOverview(); // tiles follow the tabs and the selection at once
    // Taken first: a listener may call back into the station.
    const PendingChanges changes = std::exchange(pending_, PendingChanges{});
    for (DevicePage* page : changes.pages)
        listener_.PageChanged(*page);
    if (changes.tabs)
        listener_.TabsChanged();
    if (changes.layout)
        listener_.LayoutChanged();
    if (changes.menu)
        listener_.MenuChanged();
    if (changes.log)
        listener_.LogChanged();
    if (changes.status)
        listener_.StatusChanged();
    if (changes.beep)
        listener_.AlarmBeep();
    if (changes.overview)
        listener_.OverviewChanged();
}

} // namespace rir
