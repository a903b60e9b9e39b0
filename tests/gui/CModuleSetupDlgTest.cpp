#include "CModuleSetupDlg.h"
#include "MainWindowFixture.h"
#include "ModalWatcher.h"
#include "ModuleSetupRig.h"

#include "device/Ratings.h"

#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace rir {
namespace {

using test::Given;

QLineEdit* Edit(const CModuleSetupDlg& d, int id) {
    auto* e = qobject_cast<QLineEdit*>(d.controlById(id));
    EXPECT_NE(e, nullptr) << id;
    return e;
}

QComboBox* Combo(const CModuleSetupDlg& d, int id) {
    auto* c = qobject_cast<QComboBox*>(d.controlById(id));
    EXPECT_NE(c, nullptr) << id;
    return c;
}

QString Title(const CModuleSetupDlg& d, int id) {
    auto* g = qobject_cast<QGroupBox*>(d.controlById(id));
    return g ? g->title() : QString();
}

bool Visible(const CModuleSetupDlg& d, int id) {
    QWidget* w = d.controlById(id);
    return w != nullptr && w->isVisibleTo(const_cast<CModuleSetupDlg*>(&d));
}

void Type(QWidget* w, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
}

void Key(QWidget* w, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
         const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(w, &press);
}

QPushButton* Button(const CModuleSetupDlg& d, int id) {
    return qobject_cast<QPushButton*>(d.controlById(id));
}

TEST(CModuleSetupDlgTest, ShowsTheGroupsOfEachModelAndModule) {
    const struct {
        int model;
        int code;
        std::vector<int> shown;
        std::vector<int> hidden;
        const char* timerTitle;
        const char* counterTitle;
        int height;
    } cases[] = {
        {MODEL_TIMER_AMPERE,
         1,
         {IDC_SETUP_TIMER_GROUP, IDC_SETUP_TIMER_VALUE, IDC_SETUP_COUNTER_GROUP, IDC_SETUP_UNITS,
          IDC_SETUP_ZEROING},
         {IDC_SETUP_TIMER_RESET, IDC_SETUP_FWD_CURRENT, IDC_SETUP_THERMO_GROUP, IDC_SETUP_TARGET},
         "Настройки таймера-секундомера",
         "Настройки счетчика ампер-часов",
         355},
        {MODEL_TIMER_AMPERE,
         4,
         {IDC_SETUP_COUNTER_GROUP, IDC_SETUP_UNITS, IDC_SETUP_ZEROING},
         {IDC_SETUP_TIMER_GROUP, IDC_SETUP_COUNTER_MODE, IDC_SETUP_COUNTER_VALUE, IDC_SETUP_THERMO_GROUP},
         nullptr,
         "Настройки счетчика ампер-часов",
         355},
        {MODEL_TIMER_AMPERE,
         5,
         {IDC_SETUP_TIMER_GROUP},
         {IDC_SETUP_TIMER_MODE, IDC_SETUP_COUNTER_GROUP, IDC_SETUP_FWD_CURRENT, IDC_SETUP_THERMO_GROUP},
         "Настройки отсутствуют",
         nullptr,
         355},
        {MODEL_PROF_REVERSE,
         2,
         {IDC_SETUP_TIMER_GROUP, IDC_SETUP_COUNTER_GROUP, IDC_SETUP_FWD_CURRENT, IDC_SETUP_BACK_TIME},
         {IDC_SETUP_COUNTER_MODE, IDC_SETUP_UNITS, IDC_SETUP_TIMER_RESET, IDC_SETUP_THERMO_GROUP},
         "Настройки таймера-секундомера",
         "Настройки реверса",
         355},
        {MODEL_PROF,
         1,
         {IDC_SETUP_COUNTER_MODE, IDC_SETUP_ZEROING},
         {IDC_SETUP_UNITS, IDC_SETUP_FWD_CURRENT},
         "Настройки таймера-секундомера",
         "Настройки счетчика ампер-часов",
         355},
        {MODEL_TFT,
         9,
         {IDC_SETUP_TIMER_RESET, IDC_SETUP_UNITS, IDC_SETUP_THERMO_GROUP, IDC_SETUP_TARGET, IDC_SETUP_DELTA},
         {IDC_SETUP_FWD_CURRENT},
         "Настройки таймера-секундомера",
         "Настройки счетчика А*час, А*мин, Вт*час:",
         455},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "model " << c.model << ", configuration " << c.code);
        CModuleSetupDlg d(Given(c.model, c.code));
        d.show();
        EXPECT_EQ(d.windowTitle().toStdString(), "Настройка модулей");
        EXPECT_EQ(d.height(), c.height);
        for (int id : c.shown)
            EXPECT_TRUE(Visible(d, id)) << id;
        for (int id : c.hidden)
            EXPECT_FALSE(Visible(d, id)) << id;
        if (c.timerTitle) {
            EXPECT_EQ(Title(d, IDC_SETUP_TIMER_GROUP).toStdString(), c.timerTitle);
        }
        if (c.counterTitle) {
            EXPECT_EQ(Title(d, IDC_SETUP_COUNTER_GROUP).toStdString(), c.counterTitle);
        }
        // Every shown control lies inside the dialog.
        for (const SetupControl& t : ModuleSetupTemplate()) {
            QWidget* w = d.controlById(t.id);
            if (w != nullptr && w->isVisibleTo(&d)) {
                EXPECT_TRUE(d.rect().contains(w->geometry())) << t.id;
            }
        }
    }
}

TEST(CModuleSetupDlgTest, ChoosingAModuleLaysTheDialogOutAgain) {
    CModuleSetupDlg d(Given(MODEL_TIMER_AMPERE, 1));
    d.show();
    QComboBox* modules = Combo(d, IDC_SETUP_MODULE);
    ASSERT_EQ(modules->count(), 5);
    EXPECT_EQ(modules->currentIndex(), 1);
    const QRect own = d.controlById(IDC_SETUP_COUNTER_GROUP)->geometry();
    Key(modules, Qt::Key_Down); // to "Счетчика ампер-часов: накопительный + дневной-дозатор"
    EXPECT_EQ(modules->currentIndex(), 2);
    EXPECT_FALSE(Visible(d, IDC_SETUP_TIMER_GROUP));
    EXPECT_EQ(d.controlById(IDC_SETUP_COUNTER_GROUP)->geometry().top(), own.top() - 121);
    EXPECT_EQ(Combo(d, IDC_SETUP_COUNTER_MODE)->count(), 4);
    Key(modules, Qt::Key_Up);
    EXPECT_EQ(d.controlById(IDC_SETUP_COUNTER_GROUP)->geometry(), own);
    EXPECT_EQ(Combo(d, IDC_SETUP_COUNTER_MODE)->count(), 2);

    // A timer variant chosen while the timer is 0 puts 60 in.
    QLineEdit* timer = Edit(d, IDC_SETUP_TIMER_VALUE);
    timer->setText(QStringLiteral("0"));
    QComboBox* modes = Combo(d, IDC_SETUP_TIMER_MODE);
    EXPECT_FALSE(timer->isEnabled());
    Key(modes, Qt::Key_Down);
    EXPECT_TRUE(timer->isEnabled());
    EXPECT_EQ(timer->text(), QStringLiteral("60"));
}

TEST(CModuleSetupDlgTest, TypingIntoTheTemperatureEditsIsFiltered) {
    ModuleSetupValues g = Given(MODEL_TFT, 9);
    g.thermoMode = 1; // a regulator: both edits enabled
    CModuleSetupDlg d(g);
    d.show();
    QLineEdit* delta = Edit(d, IDC_SETUP_DELTA);
    ASSERT_TRUE(delta->isEnabled());
    delta->clear();
    for (const char* key : {"1", ",", "5", "-", "7", ","})
        Type(delta, QString::fromLatin1(key));
    EXPECT_EQ(delta->text(), QStringLiteral("1.5"));
    Key(delta, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
    EXPECT_EQ(delta->text(), QStringLiteral("1."));

    QLineEdit* target = Edit(d, IDC_SETUP_TARGET);
    target->clear();
    for (const char* key : {"-", "5", "-", "a", ",", "5", "1"})
        Type(target, QString::fromLatin1(key));
    EXPECT_EQ(target->text(), QStringLiteral("-5.5"));
    target->selectAll();
    Type(target, QStringLiteral("2")); // replaces the selection despite the four characters
    EXPECT_EQ(target->text(), QStringLiteral("2"));
    Type(target, QString::fromUtf8("б"));
    EXPECT_EQ(target->text(), QStringLiteral("2"));
    // The core saw what the edit shows.
    EXPECT_EQ(d.logic().view.text(IDC_SETUP_TARGET), "2");
    EXPECT_EQ(d.logic().view.text(IDC_SETUP_DELTA), "1.");
}

TEST(CModuleSetupDlgTest, NothingIsPastedIntoAFilteredEdit) {
    ModuleSetupValues g = Given(MODEL_TFT, 9);
    g.thermoMode = 1;
    g.timerMode = 1;
    CModuleSetupDlg d(g);
    d.show();
    QGuiApplication::clipboard()->setText(QStringLiteral("abc"));
    QLineEdit* timer = Edit(d, IDC_SETUP_TIMER_VALUE);
    timer->clear();
    Key(timer, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    ASSERT_EQ(timer->text(), QStringLiteral("abc")) << "the clipboard does not work here";
    QLineEdit* target = Edit(d, IDC_SETUP_TARGET);
    target->clear();
    Key(target, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    Key(target, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(target->text(), QString());
}

TEST(CModuleSetupDlgTest, RefusedValuesKeepTheDialogOpen) {
    ModuleSetupValues g = Given(MODEL_TFT, 9);
    g.counterMode = 1; // a dose: the value edit is enabled
    CModuleSetupDlg d(g);
    d.show();
    Edit(d, IDC_SETUP_TARGET)->setText(QStringLiteral("95"));
    std::vector<SeenMessage> seen;
    {
        ModalWatcher watcher({ReadMessage(seen)});
        Button(d, IDOK)->click();
        EXPECT_EQ(watcher.unexpected(), "");
    }
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, "Введите правильное значение температуры: от -9.0 до 90.0!");
    EXPECT_EQ(seen[0].icon, QMessageBox::NoIcon);
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(d.values().has_value());
    EXPECT_EQ(Edit(d, IDC_SETUP_TARGET)->text(), QStringLiteral("95"));

    seen.clear();
    Edit(d, IDC_SETUP_TARGET)->setText(QStringLiteral("25.7"));
    Edit(d, IDC_SETUP_COUNTER_VALUE)->setText(QStringLiteral("4x"));
    {
        ModalWatcher watcher({ReadMessage(seen)});
        Button(d, IDOK)->click();
        EXPECT_EQ(watcher.unexpected(), "");
    }
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, "Введите число."); // the dose takes decimals
    EXPECT_EQ(d.focusWidget(), Edit(d, IDC_SETUP_COUNTER_VALUE));
    EXPECT_EQ(Edit(d, IDC_SETUP_COUNTER_VALUE)->selectedText(), QStringLiteral("4x"));

    Edit(d, IDC_SETUP_COUNTER_VALUE)->setText(QStringLiteral("1.2")); // A*h as the page shows them
    ModalWatcher none({});
    Button(d, IDOK)->click();
    EXPECT_EQ(none.unexpected(), "");
    EXPECT_EQ(d.result(), QDialog::Accepted);
    ASSERT_TRUE(d.values().has_value());
    EXPECT_EQ(d.values()->targetTemperature, 2255);
    EXPECT_EQ(d.values()->counterValue, 1200);
    EXPECT_EQ(d.values()->moduleCode, CONFIG_FULL);
}

class CModuleSetupPromptTest : public MainWindowTest {};

TEST_F(CModuleSetupPromptTest, TheMainWindowRunsTheDialogModally) {
    ASSERT_TRUE(Start());
    {
        ModalWatcher ok({[](QWidget* w) {
            auto* dialog = qobject_cast<CModuleSetupDlg*>(w);
            if (dialog == nullptr) {
                ADD_FAILURE() << "not the module dialog";
                w->close();
                return;
            }
            Key(qobject_cast<QComboBox*>(dialog->controlById(IDC_SETUP_COUNTER_MODE)), Qt::Key_Down);
            qobject_cast<QPushButton*>(dialog->controlById(IDOK))->click();
        }});
        const std::optional<ModuleSetupValues> chosen =
            window->RunModuleSetup(Given(MODEL_PROF, CONFIG_TIMER_COUNTER));
        EXPECT_EQ(ok.unexpected(), "");
        ASSERT_TRUE(chosen.has_value());
        EXPECT_EQ(chosen->counterKind, 2); // "Накопительный + дневной счетчик (прямой счет)"
        EXPECT_EQ(chosen->counterMode, 0);
    }
    ModalWatcher cancel({[](QWidget* w) {
        if (auto* dialog = qobject_cast<CModuleSetupDlg*>(w))
            qobject_cast<QPushButton*>(dialog->controlById(IDCANCEL))->click();
        else
            w->close();
    }});
    EXPECT_FALSE(window->RunModuleSetup(Given(MODEL_PROF, CONFIG_TIMER_COUNTER)).has_value());
    EXPECT_EQ(cancel.stepsTaken(), 1u);
}

} // namespace
} // namespace rir
