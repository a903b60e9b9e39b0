#include "CDevicePage.h"

#include "device/DevicePage.h"
#include "device/PageControls.h"
#include "device/PageTemplate.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "PageOnline.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

QString Text(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    if (auto* group = qobject_cast<QGroupBox*>(w))
        return group->title();
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit->text();
    return {};
}

struct CDevicePageTest : ::testing::Test {
    CDevicePageTest() : view(core) {
        core.InitDevice(15, 0);
        view.applyView();
    }

    // Identified as a model-2 supply with configuration 1, and a status applied.
    void BringOnline(int status) {
        test::BringPageOnline(core, 1, status);
        view.applyView();
    }

    QWidget* control(int id) {
        QWidget* w = view.controlById(id);
        EXPECT_NE(w, nullptr) << id;
        return w;
    }

    DevicePage core;
    CDevicePage view;
};

TEST_F(CDevicePageTest, OfflinePageShowsTheViewState) {
    EXPECT_EQ(view.size(), QSize(773, 323));
    EXPECT_EQ(Text(control(IDC_OUTPUT_STATE)), "-");
    EXPECT_EQ(Text(control(IDC_DESCRIPTION_GROUP)), QString::fromUtf8("Описание"));
    EXPECT_EQ(Text(control(IDC_SERIES_VOLT_LIMIT)), QString::fromUtf8("Uл"));
    EXPECT_TRUE(control(IDC_DIAGNOSTIC)->isHidden());
    EXPECT_TRUE(control(IDC_LINE1_VALUE)->isHidden());
    EXPECT_FALSE(control(IDC_VOLT_EDIT)->isEnabled());
    EXPECT_FALSE(control(IDC_OUTPUT_BUTTON)->isEnabled());
    EXPECT_FALSE(control(IDC_OUTPUT_BUTTON)->isHidden());
    EXPECT_EQ(view.controlById(IDC_STATIC), nullptr);
    EXPECT_EQ(view.controlById(4711), nullptr);
}

TEST_F(CDevicePageTest, OnlinePageShowsTextsFontsAndColours) {
    BringOnline(0x01);
    EXPECT_EQ(Text(control(IDC_DESCRIPTION_GROUP)), "#15  RIR 37V 14A timer/ampere");
    EXPECT_EQ(Text(control(IDC_OUTPUT_STATE)), QString::fromUtf8("Включен"));
    EXPECT_EQ(Text(control(IDC_OUTPUT_BUTTON)), QString::fromUtf8("Выключить"));
    EXPECT_EQ(Text(control(IDC_VOLT_EDIT)), "15.00");
    EXPECT_TRUE(control(IDC_VOLT_EDIT)->isEnabled());
    EXPECT_FALSE(control(IDC_LINE3_VALUE)->isHidden());
    EXPECT_TRUE(control(IDC_LINE4_VALUE)->isHidden());

    EXPECT_EQ(control(IDC_OUTPUT_STATE)->font().weight(), QFont::Bold);
    EXPECT_EQ(control(IDC_CURR_READING)->font().weight(), QFont::Normal);
    EXPECT_FALSE(control(IDC_CURR_READING)->font().underline());

    const auto textColour = [this](int id) {
        return control(id)->palette().color(QPalette::Active, QPalette::WindowText);
    };
    EXPECT_EQ(textColour(IDC_REGULATION), QColor(0, 200, 0));
    EXPECT_EQ(textColour(IDC_VOLT_READING), QColor(0, 200, 0));
    EXPECT_EQ(textColour(IDC_CURR_READING), QColor(255, 0, 0));

    // Current regulation turns the mode red; switching off drops its colour again.
    core.state.status = 0x03;
    core.RefreshView(RefreshCode::Values, PollState::Complete);
    view.applyView();
    EXPECT_EQ(textColour(IDC_REGULATION), QColor(255, 0, 0));
    EXPECT_EQ(control(IDC_CURR_READING)->font().weight(), QFont::Bold);
    core.state.status = 0x00;
    core.RefreshView(RefreshCode::Values, PollState::Complete);
    view.applyView();
    EXPECT_EQ(textColour(IDC_REGULATION), view.palette().color(QPalette::Active, QPalette::WindowText));
}

TEST_F(CDevicePageTest, UnderlinedCounterLabel) {
    BringOnline(0x00);
    core.state.counterSelect = 2;
    core.RefreshView(RefreshCode::Modules, PollState::Complete);
    view.applyView();
    EXPECT_TRUE(control(IDC_LINE2_LABEL)->font().underline());
    EXPECT_EQ(control(IDC_LINE2_LABEL)->font().weight(), QFont::Normal);
    EXPECT_FALSE(control(IDC_LINE3_LABEL)->font().underline());
    EXPECT_EQ(Text(control(IDC_LINE2_LABEL)), QString::fromUtf8("САЧ дневной:"));
}

TEST_F(CDevicePageTest, LayoutAtTheTestWindowSize) {
    // A 1000 × 600 client area: 195 × 115 beyond the smallest layout. In page coordinates the
    // chart's bottom-right corner (exclusive) lands on (983 - 15, 383 - 35).
    view.applyLayout(195, 115, 0);
    const QRect chart = control(IDC_CHART)->geometry();
    EXPECT_EQ(chart.x() + chart.width(), 983 - 15);
    EXPECT_EQ(chart.y() + chart.height(), 383 - 35);
    EXPECT_EQ(chart.topLeft(), QPoint(285, 19));
    EXPECT_EQ(view.size(), QSize(968, 438));
    EXPECT_EQ(control(IDC_SERIES_OUTPUT)->pos(), QPoint(746 + 195 - 15, 333 + 115 - 35));
    EXPECT_EQ(control(IDC_CLEAR_CHART)->pos(), QPoint(300 + 195 - 15, 272 + 115 - 35));
    // Controls the layout does not move stay where the template put them.
    EXPECT_EQ(control(IDC_VOLT_EDIT)->pos(), QPoint(0, 162));
}

TEST_F(CDevicePageTest, ClicksAreSignalledById) {
    BringOnline(0x00);
    std::vector<int> clicked;
    QObject::connect(&view, &CDevicePage::controlClicked, [&](int id) { clicked.push_back(id); });
    std::vector<std::pair<int, bool>> boxes;
    QObject::connect(&view, &CDevicePage::checkBoxClicked,
                     [&](int id, bool checked) { boxes.emplace_back(id, checked); });
    qobject_cast<QPushButton*>(control(IDC_SET_LIMITS))->click();
    qobject_cast<QPushButton*>(control(IDC_REMOVE_DEVICE))->click();
    qobject_cast<QCheckBox*>(control(IDC_SERIES_CURR))->click();
    EXPECT_EQ(clicked, (std::vector<int>{IDC_SET_LIMITS, IDC_REMOVE_DEVICE}));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], std::make_pair(IDC_SERIES_CURR, false));

    // The unchecked box is known to the core, so the next "all series on" reaches it.
    EXPECT_FALSE(core.view.checked(IDC_SERIES_CURR));
    core.UpdateControls();
    view.applyView();
    EXPECT_TRUE(qobject_cast<QCheckBox*>(control(IDC_SERIES_CURR))->isChecked());
}

TEST_F(CDevicePageTest, TypedTextAndCaretSurviveTheAcknowledgement) {
    BringOnline(0x00);
    view.show();
    view.activateWindow();
    auto* edit = qobject_cast<QLineEdit*>(control(IDC_VOLT_EDIT));
    edit->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(edit->hasFocus());
    edit->clear();
    for (const char* key : {"1", "2", "5"}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromLatin1(key));
        QApplication::sendEvent(edit, &press);
    }
    core.state.voltEdited = 1; // what the key filter does for an accepted digit
    EXPECT_EQ(core.view.text(IDC_VOLT_EDIT), "125");

    core.state.voltMeas = 1499;
    core.RefreshView(RefreshCode::Values, PollState::Complete);
    view.applyView();
    EXPECT_EQ(edit->text(), "125");
    EXPECT_EQ(Text(control(IDC_VOLT_UNIT)), QString::fromUtf8("В*"));

    core.state.limitsSent = 1;
    core.state.voltLimit = 1250;
    core.RefreshView(RefreshCode::WriteAck, PollState::Complete);
    view.applyView();
    EXPECT_EQ(edit->text(), "12.50");
    EXPECT_EQ(edit->cursorPosition(), 4); // still right behind the typed 5
    EXPECT_EQ(Text(control(IDC_VOLT_UNIT)), QString::fromUtf8("В"));
}

} // namespace
} // namespace rir
