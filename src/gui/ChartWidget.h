// The chart area of a device page. Every paint takes the core's scene as the page stands,
// replays it into an off-screen image and copies the image onto the screen in one go; the widget is never
// erased first, so nothing flickers. The pointer over the page and the chart reaches the core as plain page
// coordinates. The context menu saves the chart as a PNG picture.
#pragma once

#include "ChartPainter.h"
#include "chart/ChartPointer.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <optional>

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

    // Writes the chart, drawn anew from the page's scene at the widget's size with the supply,
    // the day and the clock times the core adds (chartPicture), as a PNG file.
    // The picture goes to a temporary file beside `path` that replaces it only when complete, so
    // a save that fails leaves the old file, or none, and never half a picture. A failure is
    // told in one message box; false then.
    bool SavePicture(const QString& path);
    // The context menu's item: asks for the file name (proposing one from the supply and the
    // day), then saves. Nothing on Cancel.
    void SavePictureAs();

signals:
    // The pointer or a button changed the page's view state (readouts, diagnostic line, a
    // repaint). A paint changes nothing.
    void chartStateChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ChartArea Area() const;
    QPoint PointerInPage() const;
    void Pointer(QPoint inPage);
    void Button(QMouseEvent* event, bool down);
    // The page's scene painted into `image`, which takes the scene's size.
    void Render(QImage& image);
    std::optional<QString> ChoosePictureFile();

    DevicePage& page_;
    ChartPainter painter_;
    QImage image_;
    QString pictureFolder_; // where the last picture went; the next save dialog opens there
};

} // namespace rir
