// The main window's menu bar and tab row, as real widgets, against what the station decides.
#include "CAboutDlg.h"
#include "CAddDeviceDlg.h"
#include "KeyInput.h"
#include "MainWindowFixture.h"
#include "PageOnline.h"
#include "device/PageControls.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollArea>

#include <algorithm>

namespace rir {
namespace {

constexpr int SPEED_9600 = 32783;
constexpr int SPEED_19200 = 32785;

class MainMenuTest : public MainWindowTest {
protected:
    // Only the selected page is on screen, and the device menu's check is on its item.
    void ExpectSelected(const std::vector<std::pair<int, int>>& pages, int index) const {
        EXPECT_EQ(window->tabControl()->currentIndex(), index);
        EXPECT_EQ(window->station().selectedTab(), index);
        for (std::size_t i = 0; i < pages.size(); ++i) {
            const auto [address, channel] = pages[i];
            SCOPED_TRACE(address);
            CDevicePage* view = View(address, channel);
            ASSERT_NE(view, nullptr);
            EXPECT_EQ(view->isVisible(), static_cast<int>(i) == index);
            QAction* item = Action(DeviceMenuId(address, channel));
            ASSERT_NE(item, nullptr);
            EXPECT_EQ(item->isChecked(), static_cast<int>(i) == index);
        }
    }
};

TEST_F(MainMenuTest, MenuBarWindowTitleAndMinimumSize) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(window->windowTitle().toStdString(), "RIR Controller");
    EXPECT_EQ(window->minimumSize(), QSize(810, 540));

    const auto bar = window->menuBar()->actions();
    std::vector<std::string> titles;
    for (const QAction* a : bar)
        titles.push_back(a->text().toStdString());
    EXPECT_EQ(titles,
              (std::vector<std::string>{"Файл", "Устройства", "Com-порт", "Настройки", "О программе"}));
    ASSERT_EQ(bar.size(), 5);
    for (int i = 0; i < 4; ++i)
        EXPECT_NE(bar[i]->menu(), nullptr) << i;
    EXPECT_EQ(bar[4]->menu(), nullptr) << "\"О программе\" is an item of the bar itself";
    EXPECT_EQ(window->action(32788), bar[4]);

    EXPECT_EQ(PopupTexts(0), (std::vector<std::string>{"Открыть", "Сохранить", "-", "Выход"}));
    EXPECT_EQ(PopupTexts(1),
              (std::vector<std::string>{"Добавить", "Обзор линии", "#15", "-", "Удалить"}));
    EXPECT_EQ(PopupTexts(3), (std::vector<std::string>{"Лог на экран", "В файл", "Звук при тревоге"}));
    const std::vector<std::string> port = PopupTexts(2);
    ASSERT_GE(port.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(port.end() - 3, port.end()),
              (std::vector<std::string>{"-", "Порт COM1", "Порт COM4"}));
}

TEST_F(MainMenuTest, ItemsOfAFirstRun) {
    ASSERT_TRUE(Start());
    const struct {
        int id;
        const char* text;
        bool checked;
    } items[] = {
        {1000, "Порт COM1", true},
        {1001, "Порт COM4", false},
        {32776, "Старт/стоп", false},
        {32797, "Быстрый опрос", false},
        {32775, "Протокол RTU [1]", false},
        {32774, "Протокол ASCII [2]", true},
        {32793, "Режим RS-232", false},
        {32777, "110 бод [1]", false},
        {32782, "4800 бод [6]", false},
        {SPEED_9600, "9600 бод [7]", true},
        {32784, "14400 бод [8]", false},
        {32787, "56000 бод [11]", false},
        {32795, "Лог на экран", true},
        {32796, "В файл", false},
        {32792, "Открыть", false},
        {32791, "Сохранить", false},
        {32771, "Выход", false},
        {32789, "Добавить", false},
        {32790, "Удалить", false},
        {32798, "Обзор линии", false},
        {32799, "Звук при тревоге", true},
        {2015, "#15", true},
    };
    for (const auto& item : items) {
        SCOPED_TRACE(item.id);
        QAction* a = Action(item.id);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text().toStdString(), item.text);
        EXPECT_EQ(a->isChecked(), item.checked);
    }
    for (int id = 32777; id <= 32787; ++id)
        EXPECT_TRUE(Action(id)->isEnabled()) << id;
    EXPECT_EQ(window->action(1002), nullptr) << "two ports, two port items";
}

TEST_F(MainMenuTest, ChannelBPageGoesBeforeTheSeparatorWithoutTakingTheSelection) {
    ASSERT_TRUE(Start());
    window->station().AddDevice(5, 1);

    EXPECT_EQ(PopupTexts(1),
              (std::vector<std::string>{"Добавить", "Обзор линии", "#15", "#5_2", "-", "Удалить"}));
    QAction* channelB = Action(2132);
    ASSERT_NE(channelB, nullptr);
    EXPECT_EQ(channelB->text().toStdString(), "#5_2");
    EXPECT_FALSE(channelB->isChecked());
    EXPECT_TRUE(Action(2015)->isChecked());

    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"#15", "#5_2"}));
    EXPECT_EQ(window->tabControl()->currentIndex(), 0);
    EXPECT_FALSE(PageShown(5, 1));
    EXPECT_TRUE(PageShown(15, 0));
}

TEST_F(MainMenuTest, ChecksFollowTheStationNotTheClick) {
    ASSERT_TRUE(Start());
    // A checked item flips off when clicked; the station's answer must win.
    Action(1001)->trigger();
    EXPECT_TRUE(Action(1001)->isChecked());
    EXPECT_FALSE(Action(1000)->isChecked());
    EXPECT_EQ(LastLogLine(), "Смена активного порта на: COM4");

    const std::size_t linesBefore = LogLines().size();
    Action(1001)->trigger(); // the same port again: still chosen, logged again
    EXPECT_TRUE(Action(1001)->isChecked());
    EXPECT_EQ(LogLines().size(), linesBefore + 1);

    Action(SPEED_9600)->trigger(); // the speed already in use: stays checked, nothing logged
    EXPECT_TRUE(Action(SPEED_9600)->isChecked());
    EXPECT_EQ(LogLines().size(), linesBefore + 1);

    Action(32776)->trigger(); // start/stop never shows a check
    EXPECT_FALSE(Action(32776)->isChecked());
    EXPECT_FALSE(window->station().pollingRunning());
    Action(32776)->trigger();
    EXPECT_TRUE(window->station().pollingRunning());

    Action(32797)->trigger(); // "Быстрый опрос" carries its tick while it is on
    EXPECT_TRUE(Action(32797)->isChecked());
    EXPECT_TRUE(window->station().busLink().state().fastPolling.load());
    EXPECT_EQ(LastLogLine(), "Быстрый опрос включен: ответ принимается, как только пришел целиком");
    Action(32797)->trigger();
    EXPECT_FALSE(Action(32797)->isChecked());
    EXPECT_FALSE(window->station().busLink().state().fastPolling.load());
}

// A menu draws a box beside every checkable item, ticked or empty. The station's menus show a
// tick beside a checked item and nothing at all beside the others ("Выход", "Добавить", the
// speeds not in use): an item may be checkable only while it is checked.
TEST_F(MainMenuTest, OnlyCheckedItemsShowACheckBox) {
    ASSERT_TRUE(Start());
    const auto expectMarks = [this](const char* when) {
        SCOPED_TRACE(when);
        int ticked = 0;
        for (const QAction* bar : window->menuBar()->actions()) {
            EXPECT_FALSE(bar->isCheckable()) << bar->text().toStdString();
            if (bar->menu() == nullptr)
                continue;
            for (const QAction* a : bar->menu()->actions()) {
                if (a->isSeparator())
                    continue;
                EXPECT_EQ(a->isCheckable(), a->isChecked()) << a->text().toStdString();
                ticked += a->isChecked() ? 1 : 0;
            }
        }
        EXPECT_GT(ticked, 0);
    };
    expectMarks("first run");
    window->station().AddDevice(5, 0);
    expectMarks("device added");
    ClickTab(0);
    expectMarks("tab switched");
    Action(1001)->trigger();
    expectMarks("port chosen");
    std::vector<SeenMessage> asked;
    {
        ModalWatcher watcher({AnswerQuestion(asked, true)}); // the other tab may go
        Action(32793)->trigger();
    }
    ASSERT_EQ(asked.size(), 1u);
    expectMarks("RS-232 mode");
    Action(32775)->trigger();
    expectMarks("RTU");
    Action(32795)->trigger();
    expectMarks("log hidden");
    EXPECT_FALSE(Action(32795)->isChecked());
}

TEST_F(MainMenuTest, Rs232ModeKeepsTheSelectedPageAndGreysTheOtherSpeeds) {
    ASSERT_TRUE(Start());
    window->station().AddDevice(5, 0);
    window->station().AddDevice(9, 0); // selected
    Action(SPEED_19200)->trigger();
    ASSERT_TRUE(Action(SPEED_19200)->isChecked());

    std::vector<SeenMessage> asked;
    std::vector<std::string> buttons;
    {
        ModalWatcher watcher({AnswerQuestion(asked, true, &buttons)});
        Action(32793)->trigger();
        EXPECT_EQ(watcher.unexpected(), "");
    }
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].icon, QMessageBox::NoIcon);
    std::sort(buttons.begin(), buttons.end()); // the order is the platform's
    EXPECT_EQ(buttons, (std::vector<std::string>{"Да", "Нет"}));
    EXPECT_TRUE(Action(32793)->isChecked());
    EXPECT_FALSE(Action(32774)->isChecked());
    EXPECT_FALSE(Action(32775)->isChecked());
    for (int id = 32777; id <= 32787; ++id) {
        EXPECT_EQ(Action(id)->isEnabled(), id == SPEED_9600) << id;
        EXPECT_EQ(Action(id)->isChecked(), id == SPEED_9600) << id;
    }
    EXPECT_EQ(TabCaptions(), std::vector<std::string>{"#9"});
    EXPECT_EQ(PopupTexts(1),
              (std::vector<std::string>{"Добавить", "Обзор линии", "#9", "-", "Удалить"}));
    EXPECT_TRUE(Action(2009)->isChecked());
    EXPECT_EQ(window->action(2015), nullptr);
    EXPECT_EQ(window->action(2005), nullptr);
    EXPECT_TRUE(PageShown(9, 0));
    EXPECT_EQ(LastLogLine(), "Смена протокола работы на RS232");

    Action(32775)->trigger(); // back to a bus: every speed again, 9600 kept
    EXPECT_TRUE(Action(32775)->isChecked());
    EXPECT_FALSE(Action(32793)->isChecked());
    for (int id = 32777; id <= 32787; ++id) {
        EXPECT_TRUE(Action(id)->isEnabled()) << id;
        EXPECT_EQ(Action(id)->isChecked(), id == SPEED_9600) << id;
    }
    EXPECT_EQ(LastLogLine(), "Смена протокола работы на MODBUS-RTU");
}

TEST_F(MainMenuTest, ClickingATabOrItsMenuItemSwitchesThePage) {
    ASSERT_TRUE(Start());
    window->station().AddDevice(5, 0);
    window->station().AddDevice(9, 0);
    const std::vector<std::pair<int, int>> pages{{15, 0}, {5, 0}, {9, 0}};
    ASSERT_EQ(TabCaptions(), (std::vector<std::string>{"#15", "#5", "#9"}));
    ExpectSelected(pages, 2);

    const struct {
        const char* how;
        int tab;    // click this tab, or
        int menuId; // choose this device item
        int selected;
    } steps[] = {
        {"click #15", 0, 0, 0},      {"menu #5", -1, 2005, 1},       {"click #9", 2, 0, 2},
        {"click #9 again", 2, 0, 2}, {"menu #9 again", -1, 2009, 2}, {"click #5", 1, 0, 1},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.how);
        if (step.tab >= 0)
            ClickTab(step.tab);
        else
            Action(step.menuId)->trigger();
        ExpectSelected(pages, step.selected);
    }
}

TEST_F(MainMenuTest, PagesMoveDownWhenTheTabsWrapIntoRows) {
    ASSERT_TRUE(Start());
    int address = 15;
    while (window->tabControl()->count() < 30)
        window->station().AddDevice(++address, 0);
    const TabControl* tabs = window->tabControl();
    const auto check = [&](const char* when) {
        SCOPED_TRACE(when);
        // Every tab lies inside the tab control, no two overlap, and the page starts under the
        // last row.
        int lastBottom = 0;
        for (int i = 0; i < tabs->count(); ++i) {
            const QRect r = tabs->tabRect(i);
            EXPECT_TRUE(tabs->rect().contains(r)) << i;
            for (int k = 0; k < i; ++k)
                EXPECT_FALSE(r.intersects(tabs->tabRect(k))) << i << " and " << k;
            lastBottom = std::max(lastBottom, r.bottom() + 1);
        }
        EXPECT_EQ(window->pageView()->y(), tabs->y() + lastBottom + 8);
        // The start button of the program, the lowest control, can be scrolled to.
        CDevicePage* shown = View(window->station().SelectedPage()->state.address, 0);
        QWidget* start = shown->controlById(IDC_PROGRAM_START);
        window->pageView()->ensureWidgetVisible(start);
        const QRect inView(start->mapTo(window->pageView()->viewport(), QPoint(0, 0)), start->size());
        EXPECT_TRUE(window->pageView()->viewport()->rect().contains(inView));
        return tabs->rows();
    };
    const int narrow = check("template size");
    EXPECT_LE(narrow, 3) << "the tabs take the width, not seven to a row";
    ASSERT_TRUE(ResizeClient({1280, 700}));
    EXPECT_LT(check("1280 pixels wide"), narrow);
}

TEST_F(MainMenuTest, ATabOfTheSecondRowIsHitWhereItIsDrawn) {
    ASSERT_TRUE(Start());
    int address = 15;
    while (window->tabControl()->rows() < 2)
        window->station().AddDevice(++address, 0);
    window->station().AddDevice(++address, 0); // the second row holds two
    int second = 0;                            // the first tab of the second row
    while (window->tabControl()->tabRect(second).top() < 20)
        ++second;
    const int lastAddress = address;
    address = 15 + second; // #15, then #16 on
    ClickTab(second);
    EXPECT_EQ(window->tabControl()->currentIndex(), second);
    EXPECT_EQ(window->tabControl()->tabText(second).toStdString(), "#" + std::to_string(address));
    EXPECT_TRUE(PageShown(address, 0));
    EXPECT_FALSE(PageShown(lastAddress, 0));
    EXPECT_TRUE(Action(DeviceMenuId(address, 0))->isChecked());
    EXPECT_FALSE(Action(DeviceMenuId(lastAddress, 0))->isChecked());
}

// A step for the add-device dialog: checks the proposed number, types `typed`, presses OK (or
// Cancel when `typed` is null).
ModalWatcher::Step AnswerAddress(const char* proposed, const char* typed) {
    return [proposed, typed](QWidget* w) {
        auto* dlg = qobject_cast<CAddDeviceDlg*>(w);
        if (dlg == nullptr) {
            ADD_FAILURE() << "expected the add-device dialog, got " << w->metaObject()->className();
            w->close();
            return;
        }
        EXPECT_EQ(dlg->edit()->text().toStdString(), proposed);
        EXPECT_EQ(dlg->edit()->selectedText().toStdString(), proposed);
        if (typed == nullptr) {
            dlg->reject();
            return;
        }
        dlg->edit()->setText(QString::fromUtf8(typed));
        auto* buttons = dlg->findChild<QDialogButtonBox*>();
        buttons->button(QDialogButtonBox::Ok)->click();
    };
}

TEST_F(MainMenuTest, AddAndDeleteThroughTheMenu) {
    ASSERT_TRUE(Start());
    std::vector<SeenMessage> seen;
    {
        ModalWatcher watcher({AnswerAddress("16", "42")});
        Action(32789)->trigger();
        EXPECT_EQ(watcher.stepsTaken(), 1u);
        EXPECT_EQ(watcher.unexpected(), "");
    }
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"#15", "#42"}));
    EXPECT_EQ(PopupTexts(1),
              (std::vector<std::string>{"Добавить", "Обзор линии", "#15", "#42", "-", "Удалить"}));
    ExpectSelected({{15, 0}, {42, 0}}, 1);

    {
        // A refused number first: the dialog stays up for another try, which is a duplicate.
        ModalWatcher watcher(
            {AnswerAddress("43", "500"), ReadMessage(seen), AnswerAddress("500", "15"), ReadMessage(seen)});
        Action(32789)->trigger();
        EXPECT_EQ(watcher.stepsTaken(), 4u);
        EXPECT_EQ(watcher.unexpected(), "");
    }
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].text, "Введите целое число в интервале от 1 до 127.");
    EXPECT_EQ(seen[1].text, "Уже есть такое устройство!");
    const std::string appName =
        QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString();
    EXPECT_EQ(seen[1].title, appName);
    EXPECT_EQ(seen[1].icon, QMessageBox::NoIcon);
    EXPECT_EQ(seen[1].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"#15", "#42"}));

    {
        ModalWatcher watcher({AnswerAddress("43", nullptr)});
        Action(32789)->trigger();
        EXPECT_EQ(watcher.stepsTaken(), 1u);
    }
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"#15", "#42"}));

    Action(32790)->trigger(); // deletes the selected #42; #15 comes forward
    EXPECT_EQ(TabCaptions(), std::vector<std::string>{"#15"});
    EXPECT_EQ(window->action(2042), nullptr);
    EXPECT_EQ(PopupTexts(1),
              (std::vector<std::string>{"Добавить", "Обзор линии", "#15", "-", "Удалить"}));
    ExpectSelected({{15, 0}}, 0);

    Action(32790)->trigger(); // the last page stays, silently
    EXPECT_EQ(TabCaptions(), std::vector<std::string>{"#15"});
    EXPECT_TRUE(PageShown(15, 0));
}

// Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PgDn and Ctrl+PgUp walk the tabs round, and the menu's keys
// reach their commands, with the focus in a limit edit of the page.
TEST_F(MainMenuTest, KeysSwitchTabsAndReachTheMenuFromALimitEdit) {
    ASSERT_TRUE(Start());
    window->station().AddDevice(5, 0);
    window->station().AddDevice(9, 0);
    const std::vector<std::pair<int, int>> pages{{15, 0}, {5, 0}, {9, 0}};
    for (const auto& [address, channel] : pages) {
        DevicePage& page = *window->station().FindPage(address, channel);
        test::BringPageOnline(page, CONFIG_NONE);
        window->PageChanged(page);
    }
    const auto focusEdit = [&] {
        const auto [address, channel] = pages[static_cast<std::size_t>(window->station().selectedTab())];
        auto* edit = qobject_cast<QLineEdit*>(View(address, channel)->controlById(IDC_VOLT_EDIT));
        edit->setFocus();
        EXPECT_TRUE(WaitFor([edit] { return edit->hasFocus(); }));
        return edit;
    };
    const struct {
        const char* keys;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int selected;
    } steps[] = {
        {"Ctrl+Tab from the last tab", Qt::Key_Tab, Qt::ControlModifier, 0},
        {"Ctrl+PgDn", Qt::Key_PageDown, Qt::ControlModifier, 1},
        {"Ctrl+Shift+Tab", Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, 0},
        {"Ctrl+PgUp from the first tab", Qt::Key_PageUp, Qt::ControlModifier, 2},
        {"Ctrl+Tab", Qt::Key_Tab, Qt::ControlModifier, 0},
    };
    ExpectSelected(pages, 2);
    for (const auto& step : steps) {
        SCOPED_TRACE(step.keys);
        QLineEdit* edit = focusEdit();
        const QString before = edit->text();
        test::Key(edit, step.key, step.modifiers);
        ExpectSelected(pages, step.selected);
        EXPECT_EQ(edit->text(), before) << "the edit took nothing";
    }

    const struct {
        int id;
        const char* shortcut;
    } keys[] = {{ID_MENU_OPEN, "Ctrl+O"}, {ID_MENU_SAVE, "Ctrl+S"},   {ID_MENU_EXIT, "Ctrl+Q"},
                {ID_MENU_ADD, "Ctrl+N"},  {ID_MENU_START_STOP, "F5"}, {ID_MENU_LOG_SCREEN, "Ctrl+L"},
                {ID_MENU_ABOUT, "F1"},    {ID_MENU_DELETE, ""}};
    for (const auto& k : keys)
        EXPECT_EQ(Action(k.id)->shortcut().toString(QKeySequence::PortableText).toStdString(), k.shortcut)
            << k.id;
    // "Лог на экран" by its key, typed in an edit: the box goes and comes back.
    for (const bool shown : {false, true}) {
        test::Key(focusEdit(), Qt::Key_L, Qt::ControlModifier);
        EXPECT_EQ(window->station().log().logToScreen(), shown);
        EXPECT_EQ(Action(ID_MENU_LOG_SCREEN)->isChecked(), shown);
    }
}

TEST_F(MainMenuTest, AboutItemOpensTheAboutBox) {
    ASSERT_TRUE(Start());
    std::string shown;
    ModalWatcher watcher({[&shown](QWidget* w) {
        if (qobject_cast<CAboutDlg*>(w) != nullptr)
            shown = w->windowTitle().toStdString();
        w->close();
    }});
    Action(32788)->trigger();
    EXPECT_EQ(shown, "О программе");
    EXPECT_EQ(watcher.unexpected(), "");
}

TEST_F(MainMenuTest, WithoutPortsTheOperatorIsToldAndNothingStarts) {
    std::vector<SeenMessage> seen;
    ModalWatcher watcher({ReadMessage(seen)});
    EXPECT_FALSE(Start({}));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, "В компьютере отсутствуют COM-порты! Программа будет закрыта.");
    EXPECT_EQ(LastLogLine(), "Com-портов не найдено!");
    EXPECT_EQ(window->tabControl()->count(), 0);
    EXPECT_EQ(window->action(1000), nullptr);
    EXPECT_FALSE(window->isVisible());
}

} // namespace
} // namespace rir
