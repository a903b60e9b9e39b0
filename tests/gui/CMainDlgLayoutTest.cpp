// The main window's geometry, log box and settings file, as real widgets.
//
// Rectangles are in client pixels (the central widget, under the menu bar) and their right and
// bottom edges are exclusive, as the station's layout has always given them: right = x + width,
// bottom = y + height.
#include "MainWindowFixture.h"
#include "device/PageControls.h"

#include <QFile>
#include <QKeyEvent>
#include <QScrollBar>

namespace rir {
namespace {

struct Edges {
    int left, top, right, bottom;
};

Edges EdgesOf(const QRect& r) {
    return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
}

::testing::AssertionResult SameEdges(const Edges& actual, const Edges& expected) {
    if (actual.left == expected.left && actual.top == expected.top && actual.right == expected.right &&
        actual.bottom == expected.bottom)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "(" << actual.left << ", " << actual.top << ")-(" << actual.right << ", " << actual.bottom
           << ") instead of (" << expected.left << ", " << expected.top << ")-(" << expected.right << ", "
           << expected.bottom << ")";
}

using MainLayoutTest = MainWindowTest;

TEST_F(MainLayoutTest, TabControlLogBoxAndPageFollowTheClientSize) {
    ASSERT_TRUE(Start());
    const struct {
        QSize client;
        Edges tabs, log;
        QPoint pageBottomRight, chartBottomRight;
    } cases[] = {
        {{1000, 700}, {7, 7, 989, 582}, {7, 587, 989, 683}, {983, 573}, {983, 483}},
        {{1000, 600}, {7, 7, 989, 482}, {7, 487, 989, 583}, {983, 473}, {983, 383}},
        {{900, 560}, {7, 7, 889, 442}, {7, 447, 889, 543}, {883, 433}, {883, 343}},
        {{1280, 900}, {7, 7, 1269, 782}, {7, 787, 1269, 883}, {1263, 773}, {1263, 683}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.client.width() << " x " << c.client.height());
        ASSERT_TRUE(ResizeClient(c.client))
            << window->centralWidget()->width() << " x " << window->centralWidget()->height();
        EXPECT_TRUE(SameEdges(EdgesOf(window->tabControl()->geometry()), c.tabs));
        EXPECT_TRUE(SameEdges(EdgesOf(window->logEdit()->geometry()), c.log));
        EXPECT_EQ(window->logEdit()->height(), 96);

        CDevicePage* page = View(15, 0);
        ASSERT_NE(page, nullptr);
        QWidget* client = window->centralWidget();
        EXPECT_EQ(page->mapTo(client, QPoint(0, 0)), QPoint(15, 35));
        EXPECT_EQ(page->mapTo(client, QPoint(page->width(), page->height())), c.pageBottomRight);
        QWidget* chart = page->controlById(IDC_CHART);
        ASSERT_NE(chart, nullptr);
        EXPECT_EQ(chart->mapTo(client, QPoint(chart->width(), chart->height())), c.chartBottomRight);
    }
}

TEST_F(MainLayoutTest, HidingTheLogGivesItsRoomToTheTabsAtTheNextResize) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(ResizeClient({1000, 700}));
    const int shownBottom = EdgesOf(window->tabControl()->geometry()).bottom;
    ASSERT_EQ(shownBottom, 582);

    window->action(32795)->trigger();
    EXPECT_FALSE(window->action(32795)->isChecked());
    EXPECT_FALSE(window->logEdit()->isVisible());
    EXPECT_EQ(EdgesOf(window->tabControl()->geometry()).bottom, shownBottom) << "moved before a resize";

    ASSERT_TRUE(ResizeClient({1000, 650}));
    ASSERT_TRUE(ResizeClient({1000, 700}));
    EXPECT_EQ(EdgesOf(window->tabControl()->geometry()).bottom, shownBottom + 101);
    EXPECT_FALSE(window->logEdit()->isVisible());

    window->action(32795)->trigger();
    EXPECT_TRUE(window->action(32795)->isChecked());
    EXPECT_TRUE(window->logEdit()->isVisible());
    ASSERT_TRUE(ResizeClient({1000, 650}));
    ASSERT_TRUE(ResizeClient({1000, 700}));
    EXPECT_EQ(EdgesOf(window->tabControl()->geometry()).bottom, shownBottom);
}

TEST_F(MainLayoutTest, LogBoxShowsTheStationsLinesReadOnly) {
    ASSERT_TRUE(Start());
    QPlainTextEdit* log = window->logEdit();
    EXPECT_TRUE(log->isReadOnly());
    EXPECT_EQ(log->objectName().toStdString(), "edit1000");
    ASSERT_FALSE(linesAtInitialise.empty());
    EXPECT_EQ(linesAtInitialise.back(), "Найдено 2 com-порта. Используем: COM1");
    // The bus thread's notice comes through the event loop, after it.
    std::vector<std::string> expected = linesAtInitialise;
    expected.push_back("Поток работы с com-портами запущен. Протокол: MODBUS-ASCII");
    expected.push_back(Refused("COM1"));
    EXPECT_EQ(LogLines(), expected);

    // One paragraph per logged line: the CR LF ends must not leave empty lines between them.
    const std::string screen = window->station().log().screenText();
    EXPECT_EQ(log->document()->blockCount(), CountCrLfLines(screen));
    for (const std::string& line : LogLines())
        EXPECT_FALSE(line.starts_with("(no stamp)")) << line;

    const std::string before = log->toPlainText().toStdString();
    log->setFocus();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QApplication::sendEvent(log, &key);
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QApplication::sendEvent(log, &del);
    EXPECT_EQ(log->toPlainText().toStdString(), before);

    window->action(1001)->trigger();
    EXPECT_EQ(LastLogLine(), "Смена активного порта на: COM4");
}

TEST_F(MainLayoutTest, HiddenLogKeepsItsOldTextAndTakesNewLinesWhenShownAgain) {
    ASSERT_TRUE(Start());
    const std::vector<std::string> atStart = LogLines();
    window->action(32795)->trigger();
    window->action(1001)->trigger(); // logged while the box is hidden: not on screen
    window->action(32795)->trigger();
    EXPECT_TRUE(window->logEdit()->isVisible());
    EXPECT_EQ(LogLines(), atStart);

    window->action(1000)->trigger();
    std::vector<std::string> expected = atStart;
    expected.push_back("Смена активного порта на: COM1");
    EXPECT_EQ(LogLines(), expected);
}

TEST_F(MainLayoutTest, LogBoxStaysScrolledToTheNewestLine) {
    ASSERT_TRUE(Start());
    QScrollBar* bar = window->logEdit()->verticalScrollBar();
    for (int i = 0; i < 30; ++i)
        window->action(1000 + i % 2)->trigger();
    window->ApplyLog();
    EXPECT_GT(bar->maximum(), 0) << "the box should overflow";
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(LastLogLine(), "Смена активного порта на: COM4");
}

std::string ReadAll(const std::filesystem::path& path) {
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

TEST_F(MainLayoutTest, ClosingSavesTheSettingsAndTheNextStartRestoresThem) {
    const struct {
        const char* how;
        bool byExitItem;
    } ways[] = {{"close button", false}, {"menu Выход", true}};
    for (const auto& way : ways) {
        SCOPED_TRACE(way.how);
        std::filesystem::remove(settingsFile());
        ASSERT_TRUE(Start());
        EXPECT_FALSE(std::filesystem::exists(settingsFile()));
        if (way.byExitItem)
            window->action(32771)->trigger();
        else
            window->close();
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(LastLogLine(), "Выход из программы");
        const std::string saved = ReadAll(settingsFile());
        for (const char* line : {"[RIR Control RS485]", "Tabs=1", "[Tab_01]", "Name=#15", "Id=15"})
            EXPECT_NE(saved.find(line), std::string::npos) << line << " not in:\n" << saved;
    }

    // Choices made in this run come back in the next.
    ASSERT_TRUE(Start());
    window->action(1001)->trigger();
    window->action(32775)->trigger();
    window->action(32785)->trigger();
    window->station().AddDevice(5, 0);
    window->station().AddDevice(5, 1);
    ClickTab(0);
    window->close();
    EXPECT_NE(ReadAll(settingsFile()).find("Tabs=3"), std::string::npos);

    ASSERT_TRUE(Start());
    ASSERT_FALSE(linesAtInitialise.empty());
    EXPECT_EQ(linesAtInitialise.back(), "Найдено 2 com-порта. Используем: COM4");
    const std::vector<std::string> lines = LogLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "Поток работы с com-портами запущен. Протокол: MODBUS-RTU");
    EXPECT_EQ(lines.back(), Refused("COM4"));
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"#15", "#5", "#5_2"}));
    EXPECT_EQ(window->tabControl()->currentIndex(), 0);
    EXPECT_TRUE(View(15, 0)->isVisible());
    EXPECT_FALSE(View(5, 0)->isVisible());
    const std::pair<int, bool> checks[] = {{1001, true},   {1000, false}, {32775, true},
                                           {32774, false}, {32785, true}, {32783, false},
                                           {2015, true},   {2005, false}, {2132, false}};
    for (const auto& [id, checked] : checks) {
        ASSERT_NE(window->action(id), nullptr) << id;
        EXPECT_EQ(window->action(id)->isChecked(), checked) << id;
    }
}

} // namespace
} // namespace rir
