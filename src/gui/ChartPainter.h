// Replays the core's chart scene with QPainter: the pens of the chart's pen table, texts in
// the chart font on a white ground. Only pixels happen here; the geometry comes from the core.
#pragma once

#include "chart/ChartScene.h"

#include <QFont>
#include <QImage>
#include <QPen>

#include <array>

namespace rir {

// "Arial" at a cell height of 14 pixels, thin. Where Arial is missing, the metric-compatible
// Liberation Sans (or Arimo) keeps every text the width the chart's layout expects; any sans
// serif face does after that.
QFont ChartFont();

class ChartPainter {
public:
    ChartPainter();

    // Paints the scene into the image, which is first filled white; the image keeps its size.
    void Paint(QImage& image, const ChartScene& scene) const;

    const QFont& font() const { return font_; }

private:
    QFont font_;
    std::array<QPen, CHART_PEN_COUNT> pens_;
};

} // namespace rir
