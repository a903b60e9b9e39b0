#include "CAboutDlg.h"

#include "Resources.h"
#include "app/AboutText.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace rir {
namespace {

// The box's original size: 269 x 116 dialog units of an 8-point dialog font.
constexpr int ABOUT_WIDTH = 404;
constexpr int ABOUT_MARGIN = 11;

QLabel* CentredLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

CAboutDlg::CAboutDlg(QWidget* parent, HyperlinkLabel::Opener opener) : QDialog(parent) {
    InitStationResources();
    setWindowTitle(QStringLiteral("О программе"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);

    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(ABOUT_BACKGROUND_RGB));
    setPalette(palette);
    setAutoFillBackground(true);

    auto* logo = new QLabel(this);
    logo->setPixmap(QPixmap(QStringLiteral(":/logo.png")));
    logo->setAlignment(Qt::AlignCenter);

    programLine_ = CentredLabel(QString::fromStdString(AboutProgramLine(RIR_VERSION, __DATE__)), this);
    QFont bold = programLine_->font();
    bold.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif")});
    bold.setStyleHint(QFont::SansSerif);
    bold.setPixelSize(12);
    bold.setBold(true);
    programLine_->setFont(bold);

    webLabel_ = CentredLabel(QString::fromLatin1(MAKER_WEB_TEXT), this);
    mailLabel_ = CentredLabel(QString::fromLatin1(MAKER_EMAIL), this);
    HyperlinkLabel::Attach(webLabel_, QUrl(QString::fromLatin1(MAKER_WEB_URL)), opener);
    HyperlinkLabel::Attach(mailLabel_, QUrl(QStringLiteral("mailto:") + QString::fromLatin1(MAKER_EMAIL)),
                           opener);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setCenterButtons(true);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(ABOUT_MARGIN, ABOUT_MARGIN, ABOUT_MARGIN, ABOUT_MARGIN);
    layout->setSpacing(2);
    layout->addWidget(logo);
    layout->addSpacing(6);
    layout->addWidget(programLine_);
    layout->addSpacing(4);
    layout->addWidget(webLabel_, 0, Qt::AlignHCenter);
    layout->addWidget(mailLabel_, 0, Qt::AlignHCenter);
    layout->addSpacing(10);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // The box keeps at least its original width whatever the fonts.
    programLine_->setMinimumWidth(ABOUT_WIDTH - 2 * ABOUT_MARGIN);
}

} // namespace rir
