// How many lines the log box displays for a text, wrapped lines counted: the count the event
// log's trim rule asks of its view.
#pragma once

#include <QFont>

#include <memory>
#include <string_view>

namespace rir {

// The advances of a font's characters, remembered between counts (LogLineCounter.cpp).
class AdvanceTable;

// Lines of `text` (UTF-8, CR LF line ends) laid out in `font` within `width` pixels, wrapping at
// word boundaries and inside words too long for a line, as a multi-line edit box does. Each
// CR LF-separated piece counts at least once, the empty piece after the last CR LF included.
// With `advances`, a piece that plainly fits is counted from its characters' advances without
// a layout; the count is the same.
int CountWrappedLines(std::string_view text, const QFont& font, int width, AdvanceTable* advances = nullptr);

// The log box's counts: each line counted with the box's advance table, and the measure those
// counts depend on, as a number for the event log: it changes whenever the font or the width
// does, and only then, so that the log counts each line once and counts them all again after a
// change. Owned by the window, so that the table and its font go before the application does.
class LineMeasure {
public:
    LineMeasure();
    ~LineMeasure();
    LineMeasure(const LineMeasure&) = delete;
    LineMeasure& operator=(const LineMeasure&) = delete;

    int Count(std::string_view text, const QFont& font, int width);
    unsigned Revision(const QFont& font, int width);

private:
    QFont font_;
    int width_ = -1;
    unsigned revision_ = 0;
    std::unique_ptr<AdvanceTable> advances_;
};

} // namespace rir
