// The chart area of a device page. Every paint asks the core for the scene, replays it into an
// off-screen image and copies the image onto the screen in one go; the widget is never erased
// first, so nothing flickers. The pointer over the page and the chart reaches the core as
// plain page coordinates.
#pragma once

#include "ChartPainter.h"
#include "chart/ChartPointer.h"

#include <QImage>
#include <QWidget>

namespace rir {

class DevicePage;

class ChartWidget : public QWidget {
    Q_OBJECT
public:
    // The parent is the page widget, whose coordinates the core reckons in; its own mouse moves
    // and clicks (outside the chart) are forwarded too.
    ChartWidget(DevicePage& page, QWidget* parent);

    // The last picture painted.
    const QImage& image() const { return image_; }

signals:
    // The core may have changed the page's view state (readouts, diagnostic line, a repaint).
    void chartStateChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ChartArea Area() const;
    QPoint PointerInPage() const;
    void Pointer(QPoint inPage);
    void Button(QMouseEvent* event, bool down);

    DevicePage& page_;
    ChartPainter painter_;
    QImage image_;
};

} // namespace rir
