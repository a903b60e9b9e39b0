#include "TabControl.h"

#include <QMouseEvent>
#include <QStyleOptionTab>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>

#include "app/MainLayout.h"

#include <algorithm>

namespace rir {

namespace {
constexpr int TAB_HEIGHT = 20;
constexpr int TAB_PADDING = 16;
} // namespace

TabControl::TabControl(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tab1002"));
}

void TabControl::setTabs(const QStringList& captions, int current) {
    if (captions != captions_) {
        captions_ = captions;
        MeasureTabs();
    }
    current_ = current;
    update();
}

void TabControl::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        MeasureTabs();
    QWidget::changeEvent(event);
}

void TabControl::MeasureTabs() {
    int widest = 0;
    for (int i = 0; i < count(); ++i)
        widest = std::max(widest, captionWidth(i));
    tabWidth_ = widest;
}

int TabControl::captionWidth(int index) const {
    // As wide as the style draws a tab of this caption, so the text is never cut.
    QStyleOptionTab tab;
    tab.initFrom(this);
    tab.text = captions_.value(index);
    tab.shape = QTabBar::RoundedNorth;
    const int space = style()->pixelMetric(QStyle::PM_TabBarTabHSpace, &tab, this);
    const QSize text(fontMetrics().horizontalAdvance(tab.text) + space + TAB_PADDING / 2, TAB_HEIGHT);
    return style()->sizeFromContents(QStyle::CT_TabBarTab, &tab, text, this).width();
}

int TabControl::tabWidth() const {
    return tabWidth_;
}

int TabControl::rows() const {
    return TabRows(count(), width(), tabWidth());
}

QRect TabControl::tabRect(int index) const {
    if (index < 0 || index >= count())
        return {};
    const int w = tabWidth();
    const int perRow = TabsPerRow(width(), w);
    return {TAB_ROW_INSET + (index % perRow) * w, (index / perRow) * TAB_HEIGHT, w, TAB_HEIGHT};
}

void TabControl::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = rect().adjusted(0, rows() * TAB_HEIGHT - 1, 0, 0);
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);
    for (int i = 0; i < count(); ++i) {
        QStyleOptionTab tab;
        tab.initFrom(this);
        tab.rect = tabRect(i);
        tab.text = captions_[i];
        tab.shape = QTabBar::RoundedNorth;
        tab.position = QStyleOptionTab::Middle;
        if (i == current_)
            tab.state |= QStyle::State_Selected;
        painter.drawControl(QStyle::CE_TabBarTab, tab);
    }
}

void TabControl::mousePressEvent(QMouseEvent* event) {
    for (int i = 0; i < count(); ++i) {
        if (tabRect(i).contains(event->position().toPoint())) {
            emit tabClicked(i);
            return;
        }
    }
    QWidget::mousePressEvent(event);
}

} // namespace rir
