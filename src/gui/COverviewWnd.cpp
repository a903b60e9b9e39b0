#include "COverviewWnd.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

namespace rir {

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLabel* TileLabel(QWidget* parent, int pixelSize, bool bold) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    QFont f = label->font();
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    label->setFont(f);
    return label;
}

void SetIfChanged(QLabel* label, const std::string& text) {
    const QString shown = FromUtf8(text);
    if (label->text() != shown)
        label->setText(shown);
}

} // namespace

COverviewTile::COverviewTile(QWidget* parent)
    : QWidget(parent), caption_(TileLabel(this, 18, true)), state_(TileLabel(this, 13, false)),
      regulation_(TileLabel(this, 13, false)), volts_(TileLabel(this, 34, true)),
      voltLimit_(TileLabel(this, 13, false)), amps_(TileLabel(this, 34, true)),
      currLimit_(TileLabel(this, 13, false)), run_(TileLabel(this, 12, false)),
      counter_(TileLabel(this, 12, false)), temperature_(TileLabel(this, 12, false)),
      alarm_(TileLabel(this, 12, true)), ack_(new QPushButton(QStringLiteral("Квитировать"), this)) {
    setFixedSize(OVERVIEW_TILE_WIDTH, OVERVIEW_TILE_HEIGHT);
    setAutoFillBackground(true);
    alarm_->setWordWrap(true);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 6, 8, 6);
    grid->setVerticalSpacing(1);
    grid->addWidget(caption_, 0, 0);
    grid->addWidget(state_, 0, 1, Qt::AlignRight);
    grid->addWidget(regulation_, 1, 1, Qt::AlignRight);
    grid->addWidget(volts_, 2, 0, Qt::AlignRight);
    grid->addWidget(voltLimit_, 2, 1);
    grid->addWidget(amps_, 3, 0, Qt::AlignRight);
    grid->addWidget(currLimit_, 3, 1);
    grid->addWidget(run_, 4, 0, 1, 2);
    grid->addWidget(counter_, 5, 0);
    grid->addWidget(temperature_, 5, 1);
    grid->addWidget(alarm_, 6, 0, 1, 2);
    grid->addWidget(ack_, 7, 1, Qt::AlignRight);
    grid->setRowStretch(6, 1);
    ack_->setAutoDefault(false);
    connect(ack_, &QPushButton::clicked, this, &COverviewTile::acknowledgeClicked);
}

void COverviewTile::apply(const OverviewTile& t) {
    if (t.revision == revision_)
        return;
    revision_ = t.revision;
    SetIfChanged(caption_, t.caption);
    SetIfChanged(state_, t.state);
    SetIfChanged(regulation_, t.regulation);
    SetIfChanged(volts_, t.volts);
    SetIfChanged(voltLimit_, t.voltLimit);
    SetIfChanged(amps_, t.amps);
    SetIfChanged(currLimit_, t.currLimit);
    SetIfChanged(run_, t.run);
    SetIfChanged(counter_, t.counter);
    SetIfChanged(temperature_, t.temperature);
    SetIfChanged(alarm_, t.alarm);
    ack_->setEnabled(t.canAcknowledge);
    setEnabled(true);
    for (QLabel* l :
         {caption_, state_, regulation_, volts_, voltLimit_, amps_, currLimit_, run_, counter_, temperature_})
        l->setEnabled(t.online);
    QPalette p = palette();
    p.setColor(QPalette::Window, t.background ? QColor(t.background->r, t.background->g, t.background->b)
                                              : QPalette().color(QPalette::Base));
    setPalette(p);
    const auto colour = [](const std::optional<Rgb>& c) {
        return c ? QStringLiteral("color: rgb(%1,%2,%3)").arg(c->r).arg(c->g).arg(c->b) : QString();
    };
    volts_->setStyleSheet(colour(t.voltColour));
    amps_->setStyleSheet(colour(t.currColour));
    QFont f = caption_->font();
    f.setUnderline(t.selected);
    caption_->setFont(f);
}

void COverviewTile::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit clicked();
    QWidget::mousePressEvent(event);
}

COverviewWnd::COverviewWnd(QWidget* parent)
    : QWidget(parent, Qt::Window), columns_(new QSpinBox(this)), scroll_(new QScrollArea(this)),
      board_(new QWidget) {
    setWindowTitle(QStringLiteral("Обзор линии"));
    setObjectName(QStringLiteral("overview"));
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("Столбцов:"), this));
    columns_->setRange(0, OVERVIEW_MAX_COLUMNS);
    columns_->setSpecialValueText(QStringLiteral("по ширине"));
    bar->addWidget(columns_);
    bar->addStretch(1);
    layout->addLayout(bar);
    scroll_->setWidget(board_);
    scroll_->setWidgetResizable(false);
    layout->addWidget(scroll_, 1);
    connect(columns_, &QSpinBox::valueChanged, this, &COverviewWnd::layOut);
    resize(2 * (OVERVIEW_TILE_WIDTH + OVERVIEW_GAP) + 40, OVERVIEW_TILE_HEIGHT * 2 + 80);
}

int COverviewWnd::columns() const {
    return columns_->value();
}

void COverviewWnd::setColumns(int columns) {
    columns_->setValue(columns);
}

COverviewTile* COverviewWnd::tile(int index) const {
    return index >= 0 && index < tileCount() ? tiles_[static_cast<std::size_t>(index)] : nullptr;
}

void COverviewWnd::applyOverview(const LineOverview& overview) {
    const std::vector<OverviewTile>& tiles = overview.tiles();
    while (tiles_.size() > tiles.size()) {
        tiles_.back()->deleteLater();
        tiles_.pop_back();
    }
    while (tiles_.size() < tiles.size()) {
        auto* t = new COverviewTile(board_);
        const int index = static_cast<int>(tiles_.size());
        connect(t, &COverviewTile::clicked, this, [this, index] { emit tileClicked(index); });
        connect(t, &COverviewTile::acknowledgeClicked, this, [this, index] {
            if (const COverviewTile* shown = tile(index))
                emit acknowledgeClicked(shown->property("address").toInt(),
                                        shown->property("channel").toInt());
        });
        t->show();
        tiles_.push_back(t);
    }
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        tiles_[i]->setProperty("address", tiles[i].address);
        tiles_[i]->setProperty("channel", tiles[i].channel);
        tiles_[i]->apply(tiles[i]);
    }
    if (overview.structure() != shownStructure_) {
        shownStructure_ = overview.structure();
        layOut();
    }
}

void COverviewWnd::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOut();
}

void COverviewWnd::layOut() {
    const int count = tileCount();
    const int columns = OverviewColumns(scroll_->viewport()->width(), columns_->value(), count);
    const int rows = (count + columns - 1) / columns;
    for (int i = 0; i < count; ++i)
        tiles_[static_cast<std::size_t>(i)]->move(
            OVERVIEW_GAP + (i % columns) * (OVERVIEW_TILE_WIDTH + OVERVIEW_GAP),
            OVERVIEW_GAP + (i / columns) * (OVERVIEW_TILE_HEIGHT + OVERVIEW_GAP));
    board_->resize(OVERVIEW_GAP + columns * (OVERVIEW_TILE_WIDTH + OVERVIEW_GAP),
                   OVERVIEW_GAP + rows * (OVERVIEW_TILE_HEIGHT + OVERVIEW_GAP));
}

} // namespace rir
