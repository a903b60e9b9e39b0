#include "ChartWidget.h"

#include "FileDialogs.h"
#include "MessageBox.h"
#include "chart/ChartPicture.h"
#include "device/DevicePage.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QFile>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QSaveFile>

namespace rir {

namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

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

void ChartWidget::Render(QImage& image) {
    const ChartScene scene = page_.chartScene(width(), height());
    page_.CountChartDrawing();
    const QSize size(scene.width, scene.height);
    if (image.size() != size)
        image = QImage(size, QImage::Format_RGB32);
    if (!image.isNull())
        painter_.Paint(image, scene);
}

void ChartWidget::paintEvent(QPaintEvent* /*event*/) {
    Render(image_);
    QPainter screen(this);
    screen.drawImage(0, 0, image_);
}

bool ChartWidget::SavePicture(const QString& path) {
    const ChartScene scene = page_.chartPicture(width(), height());
    page_.CountChartDrawing();
    QImage picture(scene.width, scene.height, QImage::Format_RGB32);
    if (!picture.isNull())
        painter_.Paint(picture, scene);
    // QSaveFile writes a temporary file and renames it over the target at commit; it never falls
    // back to writing the target in place.
    QSaveFile file(path);
    const bool saved =
        !picture.isNull() && file.open(QIODevice::WriteOnly) && picture.save(&file, "PNG") && file.commit();
    if (!saved) {
        file.cancelWriting();
        ShowMessage(this, ChartPictureFailedText(path.toStdString()));
    }
    return saved;
}

std::optional<QString> ChartWidget::ChoosePictureFile() {
    const DeviceState& supply = page_.state;
    const std::string proposed =
        ChartPictureName(supply.address, supply.channel, LocalDate(page_.stampClock()));
    const std::optional<std::string> chosen =
        AskFileName(this, FileDialogKind::Save, {FromUtf8(CHART_PICTURE_FILTER)}, pictureFolder_,
                    FromUtf8(proposed), FromUtf8(CHART_PICTURE_SUFFIX));
    if (!chosen)
        return std::nullopt;
    return QFile::decodeName(QByteArray::fromStdString(*chosen));
}

void ChartWidget::SavePictureAs() {
    if (const std::optional<QString> path = ChoosePictureFile())
        SavePicture(*path);
}

void ChartWidget::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    const QAction* save = menu.addAction(FromUtf8(CHART_SAVE_PICTURE_ITEM));
    if (menu.exec(event->globalPos()) == save)
        SavePictureAs();
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
