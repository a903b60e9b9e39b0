#include "ChartWidget.h"

#include "device/DevicePage.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>

namespace rir {

ChartWidget::ChartWidget(DevicePage& page, QWidget* parent) : QWidget(parent), page_(page) {
    // The picture covers every pixel: no background fill before a paint.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setMouseTracking(true);
    if (parent != nullptr) {
        parent->setMouseTracking(true);
        parent->installEventFilter(this);
    }
}

ChartArea ChartWidget::Area() const {
    const QRect g = geometry();
    return {g.x(), g.y(), g.width(), g.height()};
}

QPoint ChartWidget::PointerInPage() const {
    const QPoint global = QCursor::pos();
    return parentWidget() != nullptr ? parentWidget()->mapFromGlobal(global)
                                     : mapToParent(mapFromGlobal(global));
}

void ChartWidget::paintEvent(QPaintEvent* /*event*/) {
    const QPoint pointer = PointerInPage();
    const ChartScene scene = page_.PaintChart(Area(), pointer.x(), pointer.y());
    const QSize size(scene.width, scene.height);
    if (image_.size() != size)
        image_ = QImage(size, QImage::Format_RGB32);
    if (!image_.isNull())
        painter_.Paint(image_, scene);
    QPainter screen(this);
    screen.drawImage(0, 0, image_);
    emit chartStateChanged();
}

void ChartWidget::Pointer(QPoint inPage) {
    page_.OnChartPointer(inPage.x(), inPage.y(), Area());
    emit chartStateChanged();
}

void ChartWidget::Button(QMouseEvent* event, bool down) {
    if (event->button() != Qt::LeftButton)
        return;
    if (down)
        page_.OnChartButtonDown();
    else
        page_.OnChartButtonUp();
    emit chartStateChanged();
}

void ChartWidget::mouseMoveEvent(QMouseEvent* event) {
    Pointer(mapToParent(event->position().toPoint()));
}

void ChartWidget::mousePressEvent(QMouseEvent* event) {
    Button(event, true);
}

void ChartWidget::mouseReleaseEvent(QMouseEvent* event) {
    Button(event, false);
}

void ChartWidget::leaveEvent(QEvent* /*event*/) {
    Pointer(PointerInPage());
}

bool ChartWidget::eventFilter(QObject* watched, QEvent* event) {
    // The parent sees every kind of event; only mouse events may be cast.
    if (watched == parentWidget()) {
        switch (event->type()) {
        case QEvent::MouseMove:
            Pointer(static_cast<QMouseEvent*>(event)->position().toPoint());
            break;
        case QEvent::MouseButtonPress:
            Button(static_cast<QMouseEvent*>(event), true);
            break;
        case QEvent::MouseButtonRelease:
            Button(static_cast<QMouseEvent*>(event), false);
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace rir
