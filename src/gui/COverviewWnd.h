// "Обзор линии": a top-level window of its own (it may live on a second monitor) with one tile
// per page, in tab order, reflowing with the window's width. The tiles' texts and colours are
// the core's (LineOverview); a tile is copied onto its widgets only when its revision moved on.
// A click on a tile selects its page's tab; "Квитировать" on a tile acknowledges its alarms.
#pragma once

#include "app/LineOverview.h"

#include <QWidget>

#include <vector>

class QLabel;
class QPushButton;
class QScrollArea;
class QSpinBox;

namespace rir {

class COverviewTile;

class COverviewWnd : public QWidget {
    Q_OBJECT
public:
    explicit COverviewWnd(QWidget* parent = nullptr);

    // Copies what changed in the overview onto the tiles, and lays them out anew when tiles came
    // or went.
    void applyOverview(const LineOverview& overview);
    // The stored column count (0: as many as the width takes).
    int columns() const;
    void setColumns(int columns);
    int tileCount() const { return static_cast<int>(tiles_.size()); }
    COverviewTile* tile(int index) const;

signals:
    void tileClicked(int index);
    void acknowledgeClicked(int address, int channel);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOut();

    QSpinBox* columns_;
    QScrollArea* scroll_;
    QWidget* board_;
    std::vector<COverviewTile*> tiles_;
    unsigned shownStructure_ = ~0u;
};

// One page's tile.
class COverviewTile : public QWidget {
    Q_OBJECT
public:
    explicit COverviewTile(QWidget* parent);
    void apply(const OverviewTile& tile);
    unsigned revision() const { return revision_; }
    QLabel* caption() const { return caption_; }
    QLabel* alarm() const { return alarm_; }
    QLabel* volts() const { return volts_; }
    QPushButton* acknowledge() const { return ack_; }

signals:
    void clicked();
    void acknowledgeClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QLabel* caption_;
    QLabel* state_;
    QLabel* regulation_;
    QLabel* volts_;
    QLabel* voltLimit_;
    QLabel* amps_;
    QLabel* currLimit_;
    QLabel* run_;
    QLabel* counter_;
    QLabel* temperature_;
    QLabel* alarm_;
    QPushButton* ack_;
    unsigned revision_ = 0;
};

} // namespace rir
