#include "HyperlinkLabel.h"

#include <QDesktopServices>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

#include <utility>

namespace rir {

HyperlinkLabel* HyperlinkLabel::Attach(QLabel* label, const QUrl& target, Opener opener) {
    if (label == nullptr)
        return nullptr;
    Detach(label);
    return new HyperlinkLabel(label, target, opener ? std::move(opener) : Opener(OpenWithDesktop));
}

HyperlinkLabel* HyperlinkLabel::Find(const QLabel* label) {
    return label == nullptr ? nullptr
                            : label->findChild<HyperlinkLabel*>(QString(), Qt::FindDirectChildrenOnly);
}

void HyperlinkLabel::Detach(QLabel* label) {
    if (HyperlinkLabel* helper = Find(label)) {
        helper->Restore();
        delete helper;
    }
}

void HyperlinkLabel::OpenWithDesktop(const QUrl& target) {
    QDesktopServices::openUrl(target);
}

HyperlinkLabel::HyperlinkLabel(QLabel* label, const QUrl& target, Opener opener)
    : QObject(label), label_(label), target_(target), opener_(std::move(opener)),
      originalFont_(label->font()), fontWasSet_(label->testAttribute(Qt::WA_SetFont)),
      originalPalette_(label->palette()), paletteWasSet_(label->testAttribute(Qt::WA_SetPalette)),
      originalCursor_(label->cursor()), cursorWasSet_(label->testAttribute(Qt::WA_SetCursor)) {
    QPalette palette = label->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::WindowText, QColor(LINK_TEXT_RGB));
    label->setPalette(palette);
    label->installEventFilter(this);
}

void HyperlinkLabel::SetHovered(bool hovered) {
    if (hovered == hovered_)
        return;
    hovered_ = hovered;
    if (hovered) {
        QFont underlined = label_->font();
        underlined.setUnderline(true);
        label_->setFont(underlined);
        label_->setCursor(Qt::PointingHandCursor);
    } else {
        label_->setFont(fontWasSet_ ? originalFont_ : QFont());
        if (cursorWasSet_)
            label_->setCursor(originalCursor_);
        else
            label_->unsetCursor();
    }
}

void HyperlinkLabel::Restore() {
    label_->removeEventFilter(this);
    SetHovered(false);
    label_->setPalette(paletteWasSet_ ? originalPalette_ : QPalette());
}

bool HyperlinkLabel::eventFilter(QObject* watched, QEvent* event) {
    if (watched != label_)
        return false;
    switch (event->type()) {
    case QEvent::Enter:
        SetHovered(true);
        break;
    case QEvent::Leave:
    case QEvent::Hide:
        SetHovered(false);
        break;
    case QEvent::MouseButtonPress:
        // Taken here so that the release comes back to the label.
        return static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
            break;
        // The first click of the pair has opened the address already; one double click, one
        // browser window.
        swallowRelease_ = true;
        return true;
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            break;
        const bool open =
            !std::exchange(swallowRelease_, false) && label_->rect().contains(mouse->position().toPoint());
        if (open)
            opener_(target_);
        return true;
    }
    default:
        break;
    }
    return false;
}

} // namespace rir
