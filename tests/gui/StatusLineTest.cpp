// The status line under the log box, and the port menu that looks for new ports as it opens.
#include "MainWindowFixture.h"

#include <QLabel>
#include <QStatusBar>

namespace rir {
namespace {

using StatusLineTest = MainWindowTest;

QMenu* PortMenu(CMainDlg& window) {
    return window.menuBar()->actions()[POPUP_PORT]->menu();
}

TEST_F(StatusLineTest, ShowsTheStationsTextBelowTheClientArea) {
    ASSERT_TRUE(Start());
    QLabel* line = window->statusLine();
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(line->isVisible());
    EXPECT_EQ(line->text().toStdString(), window->station().statusText());
    // The fixture's port never opens: the line says so.
    EXPECT_NE(window->station().statusText().find("COM1: MODBUS-ASCII 7N2, 9600 бод | Порт недоступен"),
              std::string::npos)
        << window->station().statusText();
    // Its own room under the client area, whose layout is unchanged: the log box keeps its place
    // at the client's bottom edge.
    const QRect bar = window->statusBar()->geometry();
    const QRect client = window->centralWidget()->geometry();
    EXPECT_GE(bar.top(), client.bottom());
    ASSERT_TRUE(ResizeClient({1000, 700}));
    EXPECT_EQ(window->logEdit()->geometry().bottom() + 1, 700 - 113 + 96);

    window->action(ID_MENU_START_STOP)->trigger();
    EXPECT_NE(line->text().toStdString().find("Порт недоступен; опрос остановлен оператором"),
              std::string::npos)
        << line->text().toStdString();
    EXPECT_EQ(LastLogLine(),
              "Опрос остановлен оператором (Старт/стоп), показания на панельках не обновляются");
    window->action(ID_MENU_START_STOP)->trigger();
    EXPECT_EQ(LastLogLine(), "Опрос возобновлен оператором (Старт/стоп)");
}

// The counters come last on the line: at the window's narrowest they must still be seen while a
// long-running bus polls, with large counts; and the longest state, the port away, fits too.
TEST_F(StatusLineTest, EveryLineFitsTheNarrowestWindow) {
    ASSERT_TRUE(Start());
    window->resize(MIN_TRACK_WIDTH, window->height());
    QApplication::processEvents();
    QLabel* line = window->statusLine();
    EXPECT_FALSE(line->toolTip().isEmpty()) << "the tool tip says what the figures count";
    for (int state = 0; state < 3; ++state) {
        LinkStatus link;
        link.port = "/dev/ttyUSB0";
        link.framing = Framing::Ascii;
        link.baud = 38400;
        link.portOpen = state != 2;
        link.portAway = state == 2; // the longest state
        link.fastPolling = state == 1;
        link.repliesPerSecond = 157;
        link.misses = 123456;
        link.badReplies = 65432;
        const QString text = QString::fromStdString(LinkStatusText(link));
        EXPECT_LE(line->fontMetrics().horizontalAdvance(text), line->width()) << text.toStdString();
    }
}

TEST_F(StatusLineTest, OpeningThePortMenuAppendsNewPortsAndKeepsTheOthers) {
    ASSERT_TRUE(Start());
    std::vector<std::string> system = {"COM4"};
    window->setPortDiscovery([&system] { return system; });
    QMenu* menu = PortMenu(*window);
    const std::vector<std::string> before = PopupTexts(POPUP_PORT);

    Q_EMIT menu->aboutToShow();
    EXPECT_EQ(PopupTexts(POPUP_PORT), before) << "nothing new";

    system = {"/dev/ttyUSB0", "COM1", "COM4", "/dev/ttyACM0"};
    Q_EMIT menu->aboutToShow();
    std::vector<std::string> expected = before;
    expected.push_back("Порт /dev/ttyUSB0");
    expected.push_back("Порт /dev/ttyACM0");
    EXPECT_EQ(PopupTexts(POPUP_PORT), expected);
    ASSERT_NE(Action(ID_PORT_FIRST + 2), nullptr);
    EXPECT_EQ(Action(ID_PORT_FIRST + 2)->text().toStdString(), "Порт /dev/ttyUSB0");
    EXPECT_EQ(Action(ID_PORT_FIRST + 1)->text().toStdString(), "Порт COM4");
    EXPECT_TRUE(Action(ID_PORT_FIRST)->isChecked());

    Action(ID_PORT_FIRST + 3)->trigger();
    EXPECT_EQ(LastLogLine(), "Смена активного порта на: /dev/ttyACM0");
    EXPECT_TRUE(Action(ID_PORT_FIRST + 3)->isChecked());
    EXPECT_FALSE(Action(ID_PORT_FIRST)->isChecked());
    // The bus thread tries the new port at once: it is refused like the others here.
    ASSERT_TRUE(WaitFor([this] { return LastLogLine() == Refused("/dev/ttyACM0"); }));
}

} // namespace
} // namespace rir
