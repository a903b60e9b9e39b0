#include "CAboutDlg.h"
#include "HyperlinkLabel.h"

#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <vector>

namespace rir {
namespace {

void Send(QWidget* w, QEvent::Type type, Qt::MouseButton button, QPoint at) {
    QMouseEvent event(type, at, w->mapToGlobal(at), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

void Click(QWidget* w, Qt::MouseButton button = Qt::LeftButton) {
    const QPoint centre = w->rect().center();
    Send(w, QEvent::MouseButtonPress, button, centre);
    Send(w, QEvent::MouseButtonRelease, button, centre);
}

void Enter(QWidget* w) {
    const QPointF centre = w->rect().center();
    QEnterEvent event(centre, centre, w->mapToGlobal(centre));
    QApplication::sendEvent(w, &event);
}

void Leave(QWidget* w) {
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(w, &event);
}

class AboutDlgTest : public ::testing::Test {
protected:
    AboutDlgTest() : dlg(nullptr, [this](const QUrl& url) { opened.push_back(url.toString()); }) {
        dlg.show();
    }
    std::vector<QString> opened;
    CAboutDlg dlg;
};

TEST_F(AboutDlgTest, CaptionAndProgramLine) {
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("О программе"));
    const QString line = dlg.programLine()->text();
    const QRegularExpression shape(QStringLiteral("^RIR Controller, версия ") +
                                   QRegularExpression::escape(QStringLiteral(RIR_VERSION)) +
                                   QStringLiteral(" от \\d\\d\\.\\d\\d\\.\\d\\d\\d\\d$"));
    EXPECT_TRUE(shape.match(line).hasMatch()) << line.toStdString();
    EXPECT_TRUE(dlg.programLine()->font().bold());
    EXPECT_EQ(dlg.webLabel()->text(), QStringLiteral("www.example.com"));
    EXPECT_EQ(dlg.mailLabel()->text(), QStringLiteral("info@example.com"));
}

TEST_F(AboutDlgTest, BlueBackgroundAndTheLogo) {
    EXPECT_EQ(dlg.palette().color(QPalette::Window), QColor(105, 149, 220));
    EXPECT_TRUE(dlg.autoFillBackground());
    const auto labels = dlg.findChildren<QLabel*>();
    const auto logo =
        std::find_if(labels.begin(), labels.end(), [](QLabel* l) { return !l->pixmap().isNull(); });
    ASSERT_NE(logo, labels.end()) << "the logo resource is missing";
    EXPECT_EQ((*logo)->pixmap().size(), QSize(139, 50));
}

TEST_F(AboutDlgTest, HoverUnderlinesAndShowsTheHandLeavingRestores) {
    for (QLabel* label : {dlg.webLabel(), dlg.mailLabel()}) {
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 0, 192));
        EXPECT_FALSE(label->font().underline());
        EXPECT_EQ(label->cursor().shape(), Qt::ArrowCursor);

        Enter(label);
        EXPECT_TRUE(HyperlinkLabel::Find(label)->hovered());
        EXPECT_TRUE(label->font().underline());
        EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 0, 192));

        Leave(label);
        EXPECT_FALSE(HyperlinkLabel::Find(label)->hovered());
        EXPECT_FALSE(label->font().underline());
        EXPECT_EQ(label->cursor().shape(), Qt::ArrowCursor);
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 0, 192));
    }
    EXPECT_FALSE(dlg.programLine()->font().underline());
}

TEST_F(AboutDlgTest, ClickOpensTheRightAddress) {
    Click(dlg.webLabel());
    Click(dlg.mailLabel());
    EXPECT_EQ(opened, (std::vector<QString>{"https://www.example.com/", "mailto:info@example.com"}));
}

TEST_F(AboutDlgTest, DoubleClickOpensOnce) {
    QLabel* label = dlg.webLabel();
    const QPoint centre = label->rect().center();
    Send(label, QEvent::MouseButtonPress, Qt::LeftButton, centre);
    Send(label, QEvent::MouseButtonRelease, Qt::LeftButton, centre);
    Send(label, QEvent::MouseButtonDblClick, Qt::LeftButton, centre);
    Send(label, QEvent::MouseButtonRelease, Qt::LeftButton, centre);
    EXPECT_EQ(opened, (std::vector<QString>{"https://www.example.com/"}));
    Click(label); // and the next click opens again
    EXPECT_EQ(opened.size(), 2u);
}

TEST_F(AboutDlgTest, OtherButtonsAndReleasesOutsideOpenNothing) {
    QLabel* label = dlg.mailLabel();
    Click(label, Qt::RightButton);
    Click(label, Qt::MiddleButton);
    Send(label, QEvent::MouseButtonPress, Qt::LeftButton, label->rect().center());
    Send(label, QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(-5, -5)); // dragged off the label
    EXPECT_TRUE(opened.empty());
}

TEST(HyperlinkLabel, DestroyingTheLabelTakesTheHelperWithIt) {
    auto* label = new QLabel(QStringLiteral("link"));
    QPointer<HyperlinkLabel> helper =
        HyperlinkLabel::Attach(label, QUrl("https://a.example/"), [](const QUrl&) {});
    ASSERT_FALSE(helper.isNull());
    label->show();
    Enter(label); // destroyed while underlined
    delete label;
    EXPECT_TRUE(helper.isNull());
}

TEST(HyperlinkLabel, AttachingAgainReplacesAndDetachRestores) {
    QWidget window;
    auto* label = new QLabel(QStringLiteral("link"), &window);
    QFont own = label->font();
    own.setItalic(true);
    label->setFont(own);
    label->setCursor(Qt::CrossCursor);

    std::vector<QString> opened;
    HyperlinkLabel::Attach(label, QUrl("https://first.example/"),
                           [&](const QUrl& u) { opened.push_back(u.toString()); });
    HyperlinkLabel::Attach(label, QUrl("https://second.example/"),
                           [&](const QUrl& u) { opened.push_back(u.toString()); });
    EXPECT_EQ(label->findChildren<HyperlinkLabel*>().size(), 1);
    window.show();
    Click(label);
    EXPECT_EQ(opened, (std::vector<QString>{"https://second.example/"}));

    Enter(label);
    HyperlinkLabel::Detach(label);
    EXPECT_EQ(HyperlinkLabel::Find(label), nullptr);
    EXPECT_FALSE(label->font().underline());
    EXPECT_TRUE(label->font().italic());
    EXPECT_EQ(label->cursor().shape(), Qt::CrossCursor);
    EXPECT_NE(label->palette().color(QPalette::WindowText), QColor(0, 0, 192));
    Click(label); // no longer a link
    EXPECT_EQ(opened.size(), 1u);
}

} // namespace
} // namespace rir
