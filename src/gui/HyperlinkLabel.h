// Turns any QLabel of any window into a link label: dark blue text, underlined with a pointing
// hand while the pointer is over it, and a click or double click opens its address.
#pragma once

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QObject>
#include <QPalette>
#include <QUrl>

#include <functional>

class QLabel;

namespace rir {

inline constexpr QRgb LINK_TEXT_RGB = qRgb(0, 0, 192);

class HyperlinkLabel : public QObject {
    Q_OBJECT
public:
    // Opens an address; the desktop's handler by default, something harmless in tests.
    using Opener = std::function<void(const QUrl&)>;

    // Makes `label` a link to `target`. The helper lives as the label's child, so it goes with
    // the label; attaching again replaces the earlier helper. An empty opener means
    // OpenWithDesktop.
    static HyperlinkLabel* Attach(QLabel* label, const QUrl& target, Opener opener = {});
    // The label's helper, or null.
    static HyperlinkLabel* Find(const QLabel* label);
    // Gives the label back its own font, colours and cursor and removes the helper.
    static void Detach(QLabel* label);
    // QDesktopServices::openUrl; a failure to open is silent.
    static void OpenWithDesktop(const QUrl& target);

    const QUrl& target() const { return target_; }
    bool hovered() const { return hovered_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    HyperlinkLabel(QLabel* label, const QUrl& target, Opener opener);
    void SetHovered(bool hovered);
    void Restore();

    QLabel* label_;
    QUrl target_;
    Opener opener_;
    QFont originalFont_;
    bool fontWasSet_;
    QPalette originalPalette_;
    bool paletteWasSet_;
    QCursor originalCursor_;
    bool cursorWasSet_;
    bool hovered_ = false;
    bool swallowRelease_ = false; // the release that ends a double click
};

} // namespace rir
