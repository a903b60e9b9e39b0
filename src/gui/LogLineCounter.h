// How many lines the log box displays for a text, wrapped lines counted: the count the event
// log's trim rule asks of its view.
#pragma once

#include <QFont>

#include <string_view>

namespace rir {

// Lines of `text` (UTF-8, CR LF line ends) laid out in `font` within `width` pixels, wrapping at
// word boundaries and inside words too long for a line, as a multi-line edit box does. Each
// CR LF-separated piece counts at least once, the empty piece after the last CR LF included.
int CountWrappedLines(std::string_view text, const QFont& font, int width);

// The measure those counts depend on, as a number for the event log: it changes whenever the
// font or the width does, and only then, so that the log counts each line once and counts them
// all again after a change.
class LineMeasure {
public:
    unsigned Revision(const QFont& font, int width);

private:
    QFont font_;
    int width_ = -1;
    unsigned revision_ = 0;
};

} // namespace rir
