// What a face of the station redraws when the station has changed something.
#pragma once

namespace rir {

class DevicePage;

// What the window must redraw. The station collects what changed while it handles one event
// (a reply, a command, a resize) and calls each of these at most once at its end; only
// PageAdded and PageRemoved come at once, in the order the pages come and go.
class StationListener {
public:
    virtual ~StationListener() = default;
    virtual void PageAdded(DevicePage& page) = 0;   // a new tab at the end of the tab row
    virtual void PageRemoved(DevicePage& page) = 0; // called before the page is destroyed
    virtual void PageChanged(DevicePage& page) = 0; // its view state has changes to apply
    virtual void TabsChanged() = 0;                 // selection, shown page or page positions
    virtual void MenuChanged() = 0;
    virtual void LogChanged() = 0;
    virtual void LayoutChanged() = 0;
    // The status line's text changed (at most a few times a second). Views without a status
    // line need not listen.
    virtual void StatusChanged() {}
    // A new alarm was raised and the beep is on: the window sounds it. Views without a speaker
    // need not listen.
    virtual void AlarmBeep() {}
    // The line overview's tiles changed (at most once a second, and when tabs come and go).
    virtual void OverviewChanged() {}
};

} // namespace rir
