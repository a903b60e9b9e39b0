#include "ChartWidget.h"
#include "CDevicePage.h"

#include "../core/chart/ChartRig.h"
#include "ChartGeometry.h"
#include "device/PageControls.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include <gtest/gtest.h>

namespace rir {
namespace {

using namespace chartrig;

using namespace test::templatechart;

const QColor BLACK(0, 0, 0);
const QColor WHITE(255, 255, 255);
const QColor GREEN(0, 200, 0);
const QColor RED(255, 0, 0);

QColor Pixel(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

struct ChartWidgetTest : ::testing::Test {
    ChartWidgetTest() : chart(core, &parent) {
        core.repaints = &repaints;
        parent.resize(800, 400);
        chart.setGeometry(285, 19, W, H);
        Identify(core);
        core.state.voltLimit = 1500;
        core.state.currLimit = 1000;
        core.state.voltMeas = 1200;
        core.state.currMeas = 800;
        core.state.voltRegulation = true;
    }
    QImage Painted() { return chart.grab().toImage().convertToFormat(QImage::Format_RGB32); }

    RepaintCounter repaints;
    DevicePage core;
    QWidget parent;
    ChartWidget chart;
};

TEST_F(ChartWidgetTest, PaintsTheIdlePicture) {
    const QImage image = Painted();
    ASSERT_EQ(image.size(), QSize(W, H));
    EXPECT_EQ(chart.image().size(), QSize(W, H));
    const struct {
        int x, y;
        QColor colour;
    } table[] = {
        {0, 100, BLACK},   {W - 2, 100, BLACK}, {W - 1, 100, WHITE}, // the frame's right edge is exclusive
        {100, 0, BLACK},   {100, H - 1, BLACK}, {25, 100, GREEN},    {24, 100, WHITE},
        {R, 100, RED},     {R + 1, 100, WHITE}, {100, B, BLACK},     {100, B + 1, WHITE},
        {200, 100, WHITE}, {22, 30, WHITE}, // an arrowhead's end is not painted
    };
    for (const auto& row : table)
        EXPECT_EQ(Pixel(image, row.x, row.y), row.colour) << row.x << ", " << row.y;
}

TEST_F(ChartWidgetTest, PaintsARecording) {
    StartRecording(core);
    for (int i = 0; i < 30; ++i)
        Tick(core);
    const QImage image = Painted();
    const int x = 45;                                                              // between seconds 8 and 9
    EXPECT_EQ(Pixel(image, x, B + 22), GREEN);                                     // stabilisation band
    EXPECT_EQ(Pixel(image, x, B + 19), BLACK);                                     // progress bar
    EXPECT_EQ(Pixel(image, x, static_cast<int>(B - 1200 * (63.0 / 1500))), GREEN); // "U", 2 px
    EXPECT_EQ(Pixel(image, x, static_cast<int>(B - 1200 * (63.0 / 1500)) - 1), GREEN);
    EXPECT_EQ(Pixel(image, x, static_cast<int>(B - 800 * (153.0 / 1000))), RED); // "I", 1 px
    // "Iл" at full scale is dotted: red and white along its line.
    int red = 0, white = 0;
    for (int px = 30; px < 90; ++px) {
        const QColor c = Pixel(image, px, 35);
        red += c == RED ? 1 : 0;
        white += c == WHITE ? 1 : 0;
    }
    EXPECT_GT(red, 20);
    EXPECT_GT(white, 20);
    // Nothing recorded beyond the present second: no band there.
    EXPECT_EQ(Pixel(image, 200, B + 22), WHITE);
}

// The picture covers every pixel, so the widget needs no erase before a paint, and Qt is told
// not to do one.
TEST_F(ChartWidgetTest, NeverErases) {
    EXPECT_TRUE(chart.testAttribute(Qt::WA_OpaquePaintEvent));
    EXPECT_FALSE(chart.autoFillBackground());
    StartRecording(core);
    Tick(core);
    QImage target(W, H, QImage::Format_RGB32);
    target.fill(Qt::magenta);
    chart.render(&target, QPoint(), QRegion(), QWidget::RenderFlags(QWidget::DrawChildren));
    int magenta = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            magenta += target.pixelColor(x, y) == QColor(Qt::magenta) ? 1 : 0;
    EXPECT_EQ(magenta, 0);
    // An invalidation draws the same picture again.
    const QImage again = Painted();
    EXPECT_EQ(again, target);
}

TEST(ChartFontTest, ArialOrAMetricCompatibleFaceAtCellHeight14) {
    const QFont f = ChartFont();
    const QFontMetrics m(f);
    EXPECT_LE(m.ascent() + m.descent(), 14);
    EXPECT_GE(m.ascent() + m.descent(), 12);
    const QString family = QFontInfo(f).family();
    EXPECT_TRUE(family == "Arial" || family == "Liberation Sans" || family == "Arimo" ||
                family == "DejaVu Sans")
        << family.toStdString();
}

struct ChartPageTest : ::testing::Test {
    ChartPageTest() : view(core) {
        core.repaints = &repaints;
        core.InitDevice(15, 0);
        Identify(core);
        core.state.online = true;
        core.state.voltLimit = 1500;
        core.state.currLimit = 1000;
        core.state.outputOn = true;
        StartRecording(core);
        for (int i = 0; i < 20; ++i)
            Tick(core);
        view.applyView();
        chart = view.controlById(IDC_CHART);
    }
    void Send(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::NoButton) {
        QMouseEvent e(type, QPointF(at), target->mapToGlobal(QPointF(at)), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button),
                      Qt::NoModifier);
        QApplication::sendEvent(target, &e);
        QApplication::processEvents();
    }

    RepaintCounter repaints;
    DevicePage core;
    CDevicePage view;
    QWidget* chart = nullptr;
};

TEST_F(ChartPageTest, PointerReachesTheCoreAsPageCoordinates) {
    ASSERT_NE(qobject_cast<ChartWidget*>(chart), nullptr);
    Send(chart, QEvent::MouseMove, {25, 100});
    EXPECT_EQ(core.chart.cursor, 0);
    EXPECT_TRUE(core.chart.hoverLock);
    EXPECT_EQ(qobject_cast<QLabel*>(view.controlById(IDC_DIAGNOSTIC))->text(), "wf_start=0");

    Send(chart, QEvent::MouseButtonPress, {25, 100}, Qt::LeftButton);
    EXPECT_TRUE(core.chart.dragFlag);
    Send(chart, QEvent::MouseButtonRelease, {25, 100}, Qt::LeftButton);
    EXPECT_FALSE(core.chart.dragFlag);

    // A move over the page outside the chart lets the cursor go back to the latest sample.
    Send(&view, QEvent::MouseMove, {10, 10});
    EXPECT_FALSE(core.chart.hoverLock);
    EXPECT_EQ(core.chart.cursor, 20);
}

// The tick wrote them; a paint in between changes nothing.
TEST_F(ChartPageTest, ReadoutsReachTheirLabels) {
    chart->grab();
    QApplication::processEvents();
    const QString values = qobject_cast<QLabel*>(view.controlById(IDC_READOUT_VALUES))->text();
    EXPECT_TRUE(values.startsWith(QString::fromUtf8("Время: 20 / 20 с;"))) << values.toStdString();
}

TEST_F(ChartPageTest, SeriesBoxesAndClearing) {
    qobject_cast<QCheckBox*>(view.controlById(IDC_SERIES_VOLT_LIMIT))->click();
    EXPECT_FALSE(core.series.voltLimit);
    EXPECT_TRUE(core.series.voltMeas);

    core.state.outputOn = false;
    chart->grab();
    QApplication::processEvents();
    auto* clear = qobject_cast<QPushButton*>(view.controlById(IDC_CLEAR_CHART));
    core.view.SetEnabled(IDC_CLEAR_CHART, true); // as the page's refresh does with the output off
    view.applyView();
    clear->click();
    EXPECT_FALSE(core.recording());
    EXPECT_TRUE(core.secondsRing.empty());
    EXPECT_EQ(qobject_cast<QLabel*>(view.controlById(IDC_READOUT_VALUES))->text(), "");
    EXPECT_FALSE(clear->isEnabled());
}

} // namespace
} // namespace rir
