#include "ChartPainter.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

#include <variant>

namespace rir {

namespace {

// The station's chart font is given as a cell height: ascent and descent together.
constexpr int CELL_HEIGHT = 14;
// A dotted line: three pixels on, three off, carried on from one segment to the next.
const QList<qreal> DOTS = {3, 3};

QColor ToQColor(Rgb c) {
    return {c.r, c.g, c.b};
}

QPen PenFor(ChartPen pen) {
    const PenStyle& s = PenStyleOf(pen);
    QPen p(ToQColor(s.colour));
    p.setWidth(s.width);
    // A line leaves its end point to the next one, as the chart's polylines expect. At two
    // pixels round ends and joins look no different, and their arcs would cost a year-long
    // history most of its painting time.
    p.setCapStyle(Qt::FlatCap);
    p.setJoinStyle(Qt::MiterJoin);
    if (s.dotted)
        p.setDashPattern(DOTS);
    return p;
}

QPoint ToQPoint(ChartPoint p) {
    return {p.x, p.y};
}

} // namespace

QFont ChartFont() {
    QFont f;
    f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                   QStringLiteral("DejaVu Sans")});
    f.setStyleHint(QFont::SansSerif);
    f.setWeight(QFont::Thin);
    f.setHintingPreference(QFont::PreferFullHinting);
    for (int px = CELL_HEIGHT; px > 1; --px) {
        f.setPixelSize(px);
        const QFontMetrics m(f);
        if (m.ascent() + m.descent() <= CELL_HEIGHT)
            break;
    }
    return f;
}

ChartPainter::ChartPainter() : font_(ChartFont()) {
    for (int i = 0; i < CHART_PEN_COUNT; ++i)
        pens_[static_cast<std::size_t>(i)] = PenFor(static_cast<ChartPen>(i));
}

void ChartPainter::Paint(QImage& image, const ChartScene& scene) const {
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setFont(font_);
    const QFontMetrics metrics(font_);
    const auto pen = [this](ChartPen id) -> const QPen& {
        const auto i = static_cast<std::size_t>(id);
        return pens_[i < pens_.size() ? i : 0];
    };
    QPolygon polygon;
    // Runs of lines with one pen (the ticks of a long history: thousands) go to the painter in
    // one call.
    QList<QLine> lines;
    ChartPen linePen = ChartPen::Black;
    const auto flushLines = [&] {
        if (lines.isEmpty())
            return;
        p.setPen(pen(linePen));
        p.drawLines(lines);
        lines.resize(0);
    };
    for (const ChartPrimitive& item : scene.items) {
        if (const auto* l = std::get_if<ChartLine>(&item)) {
            if (l->pen != linePen)
                flushLines();
            linePen = l->pen;
            lines.append(QLine(ToQPoint(l->from), ToQPoint(l->to)));
            continue;
        }
        flushLines();
        if (const auto* pl = std::get_if<ChartPolyline>(&item)) {
            polygon.resize(0);
            for (const ChartPoint& pt : pl->points)
                polygon << ToQPoint(pt);
            p.setPen(pen(pl->pen));
            p.drawPolyline(polygon);
        } else if (const auto* s = std::get_if<ChartStepLine>(&item)) {
            // Along at the previous height to the next x, then to the next point.
            polygon.resize(0);
            for (std::size_t i = 0; i < s->points.size(); ++i) {
                if (i > 0)
                    polygon << QPoint(s->points[i].x, s->points[i - 1].y);
                polygon << ToQPoint(s->points[i]);
            }
            p.setPen(pen(s->pen));
            p.drawPolyline(polygon);
        } else if (const auto* t = std::get_if<ChartText>(&item)) {
            const QString text = QString::fromUtf8(t->text.data(), static_cast<qsizetype>(t->text.size()));
            p.fillRect(QRect(t->at.x, t->at.y, metrics.horizontalAdvance(text),
                             metrics.ascent() + metrics.descent()),
                       Qt::white);
            p.setPen(ToQColor(t->colour));
            p.drawText(QPoint(t->at.x, t->at.y + metrics.ascent()), text);
        } else if (const auto* r = std::get_if<ChartRectangle>(&item)) {
            // Right and bottom exclusive: the outline's last column and row are right - 1 and
            // bottom - 1.
            p.setPen(pen(r->pen));
            p.setBrush(Qt::white);
            p.drawRect(QRect(r->left, r->top, r->right - r->left - 1, r->bottom - r->top - 1));
            p.setBrush(Qt::NoBrush);
        }
    }
    flushLines();
}

} // namespace rir
