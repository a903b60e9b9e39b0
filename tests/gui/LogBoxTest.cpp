// The log box follows the event log line by line, trim included, without being handed the whole
// text each time.
#include "MainWindowFixture.h"

#include "LogLineCounter.h"

#include <QPlainTextEdit>

namespace rir {
namespace {

using LogBoxTest = MainWindowTest;

QString Expected(const std::string& screen) {
    QString s = QString::fromStdString(screen);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

TEST_F(LogBoxTest, BoxHoldsExactlyTheLogThroughTheTrim) {
    ASSERT_TRUE(Start());
    Station& station = window->station();
    for (int i = 0; i < 250; ++i) {
        station.LogLine(0, "строка " + std::to_string(i));
        window->ApplyLog();
        ASSERT_EQ(window->logEdit()->toPlainText(), Expected(station.log().screenText())) << i;
    }
    EXPECT_LE(window->logEdit()->document()->blockCount(), 102);
    EXPECT_TRUE(window->logEdit()->toPlainText().endsWith(QStringLiteral("строка 249\n")));
    // Hidden and shown again: the box picks up what came meanwhile.
    station.OnCommand(ID_MENU_LOG_SCREEN);
    station.LogLine(0, "пока скрыт");
    station.OnCommand(ID_MENU_LOG_SCREEN);
    station.LogLine(0, "снова видно");
    window->ApplyLog();
    EXPECT_EQ(window->logEdit()->toPlainText(), Expected(station.log().screenText()));
}

TEST_F(LogBoxTest, LinesLoggedTogetherReachTheBoxTogetherInTheirOrder) {
    ASSERT_TRUE(Start());
    Station& station = window->station();
    window->ApplyLog();
    const QString before = window->logEdit()->toPlainText();
    // A burst longer than the box holds: the oldest of it are trimmed before the box sees them.
    for (int i = 0; i < 150; ++i)
        station.LogLine(0, "пачка " + std::to_string(i));
    EXPECT_EQ(window->logEdit()->toPlainText(), before) << "applied later, not line by line";
    ASSERT_TRUE(WaitFor([&] { return window->logEdit()->toPlainText() != before; }));
    EXPECT_EQ(window->logEdit()->toPlainText(), Expected(station.log().screenText()));
    // What the box shows of the burst is its newest part, every line once and in order.
    int expected = -1;
    for (const QString& line : window->logEdit()->toPlainText().split(QLatin1Char('\n'))) {
        const qsizetype at = line.indexOf(QStringLiteral("пачка "));
        if (at < 0)
            continue;
        const int n = line.mid(at + 6).toInt();
        if (expected >= 0) {
            EXPECT_EQ(n, expected);
        }
        expected = n + 1;
    }
    EXPECT_EQ(expected, 150);
}

TEST_F(LogBoxTest, KeepsNoUndoHistoryThroughAppendsAndTrims) {
    ASSERT_TRUE(Start());
    QPlainTextEdit* box = window->logEdit();
    EXPECT_TRUE(box->isReadOnly());
    EXPECT_FALSE(box->isUndoRedoEnabled());
    for (int i = 0; i < 300; ++i) {
        window->station().LogLine(0, "строка " + std::to_string(i));
        window->ApplyLog();
    }
    EXPECT_EQ(box->document()->availableUndoSteps(), 0);
    EXPECT_EQ(box->document()->availableRedoSteps(), 0);
    EXPECT_TRUE(box->toPlainText().endsWith(QStringLiteral("строка 299\n")));
}

TEST(WrappedLineCounter, AgreesWithAFreshLayoutAndFollowsTheWidth) {
    QFont font;
    WrappedLineCounter counter;
    const std::string text = "коротко\r\n" + std::string(300, 'x') + "\r\nещё одна строка с пробелами " +
                             std::string(40, 'y') + "\r\n";
    for (int width : {400, 120, 400, 37}) {
        EXPECT_EQ(counter.Count(text, font, width), CountWrappedLines(text, font, width)) << width;
    }
    EXPECT_GT(counter.Count(text, font, 120), counter.Count(text, font, 400));
}

} // namespace
} // namespace rir
