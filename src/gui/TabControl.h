// Tab control 1002: a row (or rows) of tabs over a pane. The pages are not its children: the
// main window places them over the pane, as the station always did.
#pragma once

#include <QStringList>
#include <QWidget>

namespace rir {

class TabControl : public QWidget {
    Q_OBJECT
public:
    explicit TabControl(QWidget* parent = nullptr);

    void setTabs(const QStringList& captions, int current);
    int count() const { return static_cast<int>(captions_.size()); }
    int currentIndex() const { return current_; }
    QString tabText(int index) const { return captions_.value(index); }
    // Where tab `index` is drawn, in this widget's coordinates.
    QRect tabRect(int index) const;
    // The width every tab is drawn with: that of the widest caption, so none is cut.
    int tabWidth() const;
    int rows() const;

signals:
    void tabClicked(int index);

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    int captionWidth(int index) const;
    // The widest caption's tab, worked out when the captions, the font or the style change: a
    // full bus has 254 tabs, and every tab's place depends on it.
    void MeasureTabs();
    QStringList captions_;
    int current_ = -1;
    int tabWidth_ = 0;
};

} // namespace rir
