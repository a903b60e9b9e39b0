#include "LogLineCounter.h"

#include <QString>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <string_view>

namespace rir {
namespace {

int LinesOfPiece(std::string_view piece, const QFont& font, int width) {
    if (piece.empty())
        return 1;
    QTextLayout layout(QString::fromUtf8(piece.data(), static_cast<qsizetype>(piece.size())), font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    int lines = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        ++lines;
    }
    layout.endLayout();
    return std::max(lines, 1);
}

} // namespace

int CountWrappedLines(std::string_view text, const QFont& font, int width) {
    // A box squeezed to nothing still shows a character per line, not an endless count.
    width = std::max(width, 1);
    const std::string_view all = text;
    int lines = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = all.find("\r\n", start);
        lines += LinesOfPiece(all.substr(start, end == all.npos ? all.npos : end - start), font, width);
        if (end == all.npos)
            return lines;
        start = end + 2;
    }
}

unsigned LineMeasure::Revision(const QFont& font, int width) {
    width = std::max(width, 1); // as CountWrappedLines takes it
    if (width != width_ || font != font_) {
        width_ = width;
        font_ = font;
        ++revision_;
    }
    return revision_;
}

} // namespace rir
