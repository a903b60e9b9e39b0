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

// Lines logged between the box's looks, several dropped and several appended each time, long
// ones wrapping: after every look the box holds exactly the log's text, and the numbered lines it
// shows run on without a gap or a swap from one look to the next.
TEST_F(LogBoxTest, CoalescedLooksLoseAndReorderNothing) {
    ASSERT_TRUE(Start());
    Station& station = window->station();
    QPlainTextEdit* box = window->logEdit();
    const std::string longTail(160, 'w');
    int next = 0;
    for (int look = 0; look < 60; ++look) {
        const int burst = 1 + (look * 7) % 23;
        for (int i = 0; i < burst; ++i, ++next)
            station.LogLine(0, "номер " + std::to_string(next) + (next % 5 == 0 ? " " + longTail : ""));
        if (look % 2 == 0) {
            window->ApplyLog();
        } else {
            // The box's own timer takes them this time.
            ASSERT_TRUE(WaitFor(
                [&] { return box->toPlainText().contains(QStringLiteral("номер %1").arg(next - 1)); }));
        }
        ASSERT_EQ(box->toPlainText(), Expected(station.log().screenText())) << "look " << look;
        int previous = -1;
        for (const QString& line : box->toPlainText().split(QLatin1Char('\n'))) {
            const qsizetype at = line.indexOf(QStringLiteral("номер "));
            if (at < 0)
                continue;
            const int n = line.mid(at + 6).section(QLatin1Char(' '), 0, 0).toInt();
            if (previous >= 0) {
                ASSERT_EQ(n, previous + 1) << "look " << look;
            }
            previous = n;
        }
        EXPECT_EQ(previous, next - 1) << "look " << look;
    }
    EXPECT_LE(box->document()->blockCount(), LOG_SCREEN_MAX_LINES + 2);
}

// The trim rule counts the box's wrapped lines with its width of the moment: each line once as it
// comes, and all of them again after the box has changed its width.
TEST_F(LogBoxTest, DisplayedLinesFollowTheBoxWidth) {
    ASSERT_TRUE(Start());
    Station& station = window->station();
    const QPlainTextEdit* box = window->logEdit();
    std::string values = "Считали 20 байт от устройства #7 (ф. 65):";
    while (values.size() < 200)
        values += " 7 65 2 15 60 5 220";
    auto countedAfresh = [&] {
        return CountWrappedLines(station.log().screenText(), box->font(), box->viewport()->width());
    };
    auto lastLineShownAs = [&] {
        const std::string& text = station.log().screenText();
        const std::size_t start = text.rfind("\r\n", text.size() - 3) + 2;
        return CountWrappedLines(std::string_view(text).substr(start, text.size() - 2 - start), box->font(),
                                 box->viewport()->width());
    };
    for (int i = 0; i < 30; ++i)
        station.LogLine(0, values);
    const int narrowWidth = box->viewport()->width();
    const int narrowLines = lastLineShownAs();
    ASSERT_GE(narrowLines, 2) << "the line must wrap in the narrow box for this test";
    EXPECT_EQ(station.log().screenDisplayedLines(), countedAfresh());

    window->resize(MIN_TRACK_WIDTH + 1200, MIN_TRACK_HEIGHT);
    ASSERT_TRUE(WaitFor([&] { return box->viewport()->width() > narrowWidth; }));
    station.LogLine(0, values);
    EXPECT_LT(lastLineShownAs(), narrowLines);
    EXPECT_EQ(station.log().screenDisplayedLines(), countedAfresh());

    window->resize(MIN_TRACK_WIDTH, MIN_TRACK_HEIGHT);
    ASSERT_TRUE(WaitFor([&] { return box->viewport()->width() == narrowWidth; }));
    station.LogLine(0, values);
    EXPECT_EQ(station.log().screenDisplayedLines(), countedAfresh());
}

TEST(LineMeasure, ChangesWithTheFontOrTheWidthOnly) {
    LineMeasure measure;
    QFont font;
    const unsigned first = measure.Revision(font, 400);
    EXPECT_EQ(measure.Revision(font, 400), first);
    const unsigned narrower = measure.Revision(font, 120);
    EXPECT_NE(narrower, first);
    EXPECT_EQ(measure.Revision(font, 120), narrower);
    QFont bigger = font;
    bigger.setPointSize(font.pointSize() + 4);
    const unsigned larger = measure.Revision(bigger, 120);
    EXPECT_NE(larger, narrower);
    EXPECT_NE(measure.Revision(font, 400), larger) << "back to the first measure is a change too";
    // A box squeezed to nothing is measured as one pixel wide, as it is counted.
    const unsigned squeezed = measure.Revision(font, 0);
    EXPECT_EQ(measure.Revision(font, -20), squeezed);
    EXPECT_EQ(measure.Revision(font, 1), squeezed);
}

} // namespace
} // namespace rir
