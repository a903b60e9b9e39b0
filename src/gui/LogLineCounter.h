// How many lines the log box displays for a text, wrapped lines counted: the count the event
// log's trim rule asks of its view.
#pragma once

#include <QFont>

#include <string>
#include <unordered_map>

#include <QFont>

#include <string>

namespace rir {

// Lines of `text` (UTF-8, CR LF line ends) laid out in `font` within `width` pixels, wrapping at
// word boundaries and inside words too long for a line, as a multi-line edit box does. Each
// CR LF-separated piece counts at least once, the empty piece after the last CR LF included.
int CountWrappedLines(const std::string& text, const QFont& font, int width);

// The same count for the log box, which asks it for every new line: each line's count is kept
// until the font or the width changes, so only new lines are laid out.
class WrappedLineCounter {
public:
    int Count(const std::string& text, const QFont& font, int width);

private:
    QFont font_;
    int width_ = -1;
    std::unordered_map<std::string, int> known_;
};

} // namespace rir
