#include "LogLineCounter.h"

#include <QFontMetricsF>
#include <QString>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string_view>

namespace rir {

// Laying a line out shapes it (HarfBuzz), which is most of what a log line costs the window. A
// line whose characters' advances add up to well within the width cannot wrap: that sum, from a
// table of the advances of the Latin and Cyrillic characters the log is written in, settles
// nearly every line without shaping it. The margin takes in what shaping may add (kerning moves
// a glyph by a pixel or two); lines near the edge, and any with other characters, are laid out.
namespace {
constexpr double UNWRAPPED_SHARE = 0.9;
constexpr char16_t CACHED_CHARACTERS = 0x0500; // Basic Latin to Cyrillic
} // namespace

class AdvanceTable {
public:
    // The sum of the advances of `text`, or a negative value when a character is not in the table.
    double Sum(const QString& text, const QFont& font) {
        if (font != font_ || !metrics_) {
            font_ = font;
            metrics_.emplace(font);
            advances_.fill(-1);
        }
        double sum = 0;
        for (const QChar c : text) {
            const char16_t code = c.unicode();
            if (code >= CACHED_CHARACTERS)
                return -1;
            double& advance = advances_[code];
            if (advance < 0)
                advance = metrics_->horizontalAdvance(c);
            sum += advance;
        }
        return sum;
    }

private:
    QFont font_;
    std::optional<QFontMetricsF> metrics_;
    std::array<double, CACHED_CHARACTERS> advances_{};
};

namespace {

int LinesOfPiece(std::string_view piece, const QFont& font, int width, AdvanceTable* advances) {
    if (piece.empty())
        return 1;
    const QString text = QString::fromUtf8(piece.data(), static_cast<qsizetype>(piece.size()));
    if (advances != nullptr) {
        const double sum = advances->Sum(text, font);
        if (sum >= 0 && sum <= UNWRAPPED_SHARE * width)
            return 1;
    }
    QTextLayout layout(text, font);
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

int CountWrappedLines(std::string_view text, const QFont& font, int width, AdvanceTable* advances) {
    // A box squeezed to nothing still shows a character per line, not an endless count.
    width = std::max(width, 1);
    const std::string_view all = text;
    int lines = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = all.find("\r\n", start);
        lines +=
            LinesOfPiece(all.substr(start, end == all.npos ? all.npos : end - start), font, width, advances);
        if (end == all.npos)
            return lines;
        start = end + 2;
    }
}

LineMeasure::LineMeasure() : advances_(std::make_unique<AdvanceTable>()) {}

LineMeasure::~LineMeasure() = default;

int LineMeasure::Count(std::string_view text, const QFont& font, int width) {
    return CountWrappedLines(text, font, width, advances_.get());
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
