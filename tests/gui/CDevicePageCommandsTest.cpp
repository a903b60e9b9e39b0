// The real limit edits and buttons of a device page: what typing and pasting put into them, and
// that every button and Enter reach the station's request queue.
#include "CDevicePage.h"
#include "QueuedCommands.h"

#include "CModuleSetupDlg.h"
#include "KeyInput.h"
#include "MainWindowFixture.h"
#include "ModuleDialogStep.h"
#include "PageOnline.h"
#include "device/DevicePage.h"
#include "device/ModuleSetupTemplate.h"
#include "device/PageControls.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>

#include <gtest/gtest.h>

namespace rir {
namespace {

using test::Key;
using test::Type;

QString LabelText(CDevicePage& view, int id) {
    return qobject_cast<QLabel*>(view.controlById(id))->text();
}

struct LimitEditTest : ::testing::Test {
    LimitEditTest() : view(core) {
        core.InitDevice(15, 0);
        test::BringPageOnline(core, CONFIG_NONE);
        view.applyView();
        view.show();
        view.activateWindow();
    }

    // The edit, focused and emptied, as the operator starts typing into it.
    QLineEdit* Start(int id) {
        auto* edit = qobject_cast<QLineEdit*>(view.controlById(id));
        edit->setFocus();
        QApplication::processEvents();
        EXPECT_TRUE(edit->hasFocus());
        edit->clear();
        return edit;
    }

    DevicePage core;
    CDevicePage view;
};

TEST_F(LimitEditTest, TypingIsFilteredAndMarksTheEdit) {
    QLineEdit* curr = Start(IDC_CURR_EDIT);
    Type(curr, QStringLiteral("1,5"));
    EXPECT_EQ(curr->text(), QStringLiteral("1.5"));
    Type(curr, QStringLiteral(",a-В 78"));
    EXPECT_EQ(curr->text(), QStringLiteral("1.578")) << "second comma, letters, minus and blank refused";
    Type(curr, QStringLiteral("9"));
    EXPECT_EQ(curr->text(), QStringLiteral("1.578")) << "five characters";
    EXPECT_EQ(core.view.text(IDC_CURR_EDIT), "1.578") << "the core sees what the edit shows";
    EXPECT_EQ(core.state.currEdited, 1);
    EXPECT_EQ(LabelText(view, IDC_CURR_UNIT), QString::fromUtf8("А*"));
    EXPECT_EQ(LabelText(view, IDC_VOLT_UNIT), QString::fromUtf8("В"));

    // A selection may be typed over at five characters; backspace always deletes.
    Key(curr, Qt::Key_A, Qt::ControlModifier, QStringLiteral("\x01"));
    ASSERT_EQ(curr->selectedText(), QStringLiteral("1.578"));
    Type(curr, QStringLiteral("2"));
    EXPECT_EQ(curr->text(), QStringLiteral("2"));
    Key(curr, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
    EXPECT_EQ(curr->text(), QString());
    EXPECT_EQ(core.view.text(IDC_CURR_EDIT), "");
}

TEST_F(LimitEditTest, PasteGoesThroughTheFilterByEveryRoute) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    QLineEdit* volt = Start(IDC_VOLT_EDIT);
    clipboard->setText(QStringLiteral("abc"));
    Key(volt, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    Key(volt, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(volt->text(), QString());
    EXPECT_EQ(core.state.voltEdited, 0) << "nothing went in";

    clipboard->setText(QStringLiteral(" 12,5 В"));
    Key(volt, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    EXPECT_EQ(volt->text(), QStringLiteral("12.5"));
    EXPECT_EQ(core.state.voltEdited, 1);
    EXPECT_EQ(LabelText(view, IDC_VOLT_UNIT), QString::fromUtf8("В*"));

    // The context menu's paste is the filtered one too.
    volt->selectAll();
    clipboard->setText(QStringLiteral("x7,25"));
    const std::unique_ptr<QMenu> menu(view.createLimitEditMenu(volt));
    QAction* paste = nullptr;
    for (QAction* a : menu->actions()) {
        if (a->text().contains(QStringLiteral("Paste")))
            paste = a;
    }
    ASSERT_NE(paste, nullptr) << "the edit's own menu, untranslated here";
    paste->trigger();
    EXPECT_EQ(volt->text(), QStringLiteral("7.25"));

    // The middle button's selection paste and a dropped text never go in unfiltered.
    if (clipboard->supportsSelection())
        clipboard->setText(QStringLiteral("abc"), QClipboard::Selection);
    const QPoint at = volt->rect().center();
    QMouseEvent release(QEvent::MouseButtonRelease, at, volt->mapToGlobal(at), Qt::MiddleButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(volt, &release);
    EXPECT_EQ(volt->text(), QStringLiteral("7.25"));
    EXPECT_FALSE(volt->acceptDrops());

    // Input-method text is taken as typed.
    volt->clear();
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("3,3,3"));
    QApplication::sendEvent(volt, &commit);
    EXPECT_EQ(volt->text(), QStringLiteral("3.33"));
}

TEST_F(LimitEditTest, EnterIsSignalledAndEscapeDoesNothing) {
    std::vector<int> entered;
    QObject::connect(&view, &CDevicePage::enterPressed, [&](int id) { entered.push_back(id); });
    QLineEdit* volt = Start(IDC_VOLT_EDIT);
    Type(volt, QStringLiteral("12"));
    Key(volt, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QLineEdit* curr = Start(IDC_CURR_EDIT);
    Key(curr, Qt::Key_Enter, Qt::KeypadModifier, QStringLiteral("\r"));
    Key(curr, Qt::Key_Escape);
    EXPECT_EQ(entered, (std::vector<int>{IDC_VOLT_EDIT, IDC_CURR_EDIT}));
    EXPECT_EQ(volt->text(), QStringLiteral("12")) << "Enter leaves the typed text";
    EXPECT_TRUE(view.isVisible());
}

class PageButtonsTest : public MainWindowTest {
protected:
    // The first run's page #15, brought online as replies would, and shown.
    DevicePage& OnlinePage(int config = CONFIG_TIMER_COUNTER) {
        DevicePage& page = *window->station().FindPage(15, 0);
        test::BringPageOnline(page, config);
        window->PageChanged(page);
        return page;
    }
    test::Commands Queue() {
        std::lock_guard<BusLock> hold(window->station().busLink().shared().lock);
        return test::CommandsOf(window->station().busLink().shared().requestQueue);
    }
    QPushButton* Button(int id) { return qobject_cast<QPushButton*>(View(15, 0)->controlById(id)); }
};

TEST_F(PageButtonsTest, ButtonsAndEnterReachTheQueue) {
    ASSERT_TRUE(Start());
    DevicePage& page = OnlinePage();
    Button(IDC_SET_LIMITS)->click();
    auto* volt = qobject_cast<QLineEdit*>(View(15, 0)->controlById(IDC_VOLT_EDIT));
    volt->setFocus();
    volt->selectAll();
    Type(volt, QStringLiteral("12,5"));
    Key(volt, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    Button(IDC_OUTPUT_BUTTON)->click();
    EXPECT_EQ(Queue(), (test::Commands{{15, 0x43, 0x06, 0x05, 0xDC, 0x03, 0xE8},
                                       {15, 0x43, 0x02, 0x04, 0xE2, 0x03, 0xE8},
                                       {15, 0x43, 0x09, 0x04, 0xE2, 0x03, 0xE8}}));
    EXPECT_TRUE(page.recording());
    EXPECT_FALSE(View(15, 0)->controlById(IDC_READOUT_VALUES)->isHidden()) << "the view shows the recording";
    EXPECT_TRUE(Action(ID_MENU_SAVE)->isEnabled());
}

TEST_F(PageButtonsTest, ModuleSettingsRunTheDialogAndQueueItsRequests) {
    ASSERT_TRUE(Start());
    OnlinePage();
    {
        ModalWatcher cancel({[](QWidget* w) {
            auto* dialog = qobject_cast<QDialog*>(w);
            ASSERT_NE(dialog, nullptr);
            dialog->reject();
        }});
        Button(IDC_MODULE_SETUP)->click();
        EXPECT_EQ(cancel.stepsTaken(), 1u);
        EXPECT_EQ(cancel.unexpected(), "");
    }
    EXPECT_TRUE(Queue().empty());
    ModalWatcher wattmeter({ChooseModule("Ватт-метр")});
    Button(IDC_MODULE_SETUP)->click();
    EXPECT_EQ(wattmeter.unexpected(), "");
    EXPECT_EQ(Queue(), (test::Commands{{15, 0x45, 0x85}}));
}

TEST_F(PageButtonsTest, DosingRestartAndRemoval) {
    ASSERT_TRUE(Start());
    DevicePage& page = OnlinePage();
    page.state.counterMode = 3;
    page.state.doseActive = true;
    page.RefreshView(RefreshCode::Modules, PollState::Complete);
    window->PageChanged(page);
    ASSERT_TRUE(Button(IDC_DOSER_RESTART)->isVisible());
    Button(IDC_DOSER_RESTART)->click();
    EXPECT_EQ(Queue(), (test::Commands{{15, 0x45, 0x00, 0x02, 0x20, 0x00, 0x00, 0x00, 0x00}}));

    Button(IDC_REMOVE_DEVICE)->click();
    EXPECT_EQ(TabCaptions(), std::vector<std::string>{"#15"}) << "the last supply stays";
    window->station().AddDevice(20, 0);
    ASSERT_EQ(TabCaptions(), (std::vector<std::string>{"#15", "#20"}));
    QPointer<CDevicePage> gone = View(20, 0);
    qobject_cast<QPushButton*>(gone->controlById(IDC_REMOVE_DEVICE))->click();
    EXPECT_EQ(TabCaptions(), std::vector<std::string>{"#15"});
    EXPECT_EQ(window->station().FindPage(20, 0), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(gone.isNull()) << "its widget goes too";
    EXPECT_TRUE(PageShown(15, 0));
}

} // namespace
} // namespace rir
