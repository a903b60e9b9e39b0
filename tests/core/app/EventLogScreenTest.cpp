// The screen delta: what the log box must drop and append to show the log's text, however
// many lines were written between two looks.
#include "app/EventLog.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace rir {
namespace {

// A box that only does what the deltas tell it.
struct Box {
    std::string text;
    void Apply(const ScreenDelta& d) {
        if (d.reset)
            text.clear();
        for (int i = 0; i < d.dropped; ++i) {
            const std::size_t end = text.find("\r\n");
            ASSERT_NE(end, std::string::npos) << "told to drop a line the box does not have";
            text.erase(0, end + 2);
        }
        text += d.appended;
    }
};

// The lines a counter gives a whole text, counted afresh: its pieces between CR LF pairs, and one
// for the empty line after the last.
int DisplayedBy(const EventLog::LineCounter& counter, const std::string& text) {
    int lines = 1;
    for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines += counter(std::string_view(text).substr(start, end - start));
    return lines;
}

class EventLogScreen : public ::testing::Test {
protected:
    EventLogScreen() {
        log.setClock([] { return std::tm{}; });
    }
    void Write(int n) {
        for (int i = 0; i < n; ++i)
            log.LogLine(0, "line " + std::to_string(next++));
    }
    EventLog log{"/nonexistent-dir/zadida.txt"};
    int next = 0;
};

TEST_F(EventLogScreen, LinesBelowTheLimitAreAppendedOnly) {
    Write(3);
    const ScreenDelta d = log.takeScreenDelta();
    EXPECT_FALSE(d.reset);
    EXPECT_EQ(d.dropped, 0);
    EXPECT_EQ(d.appended, "00:00:00 line 0\r\n00:00:00 line 1\r\n00:00:00 line 2\r\n");
    EXPECT_TRUE(log.takeScreenDelta().empty()) << "taken once";
}

TEST_F(EventLogScreen, FullBoxDropsOneOldLinePerNewLine) {
    Write(LOG_SCREEN_MAX_LINES + 1);
    log.takeScreenDelta();
    Write(2);
    const ScreenDelta d = log.takeScreenDelta();
    EXPECT_FALSE(d.reset);
    EXPECT_EQ(d.dropped, 2);
    EXPECT_EQ(d.appended, "00:00:00 line 101\r\n00:00:00 line 102\r\n");
}

TEST_F(EventLogScreen, LinesDroppedBeforeTheBoxSawThemAreNeverSent) {
    Write(LOG_SCREEN_MAX_LINES + 1);
    const int held = CountCrLfLines(log.takeScreenDelta().appended) - 1;
    // More new lines than the box holds: every old line goes, and the first new ones with them.
    Write(2 * LOG_SCREEN_MAX_LINES);
    const ScreenDelta d = log.takeScreenDelta();
    EXPECT_EQ(d.dropped, held);
    EXPECT_EQ(d.appended, log.screenText());
}

TEST_F(EventLogScreen, ShowingTheBoxAgainStartsFromTheWholeText) {
    Write(5);
    log.takeScreenDelta();
    log.ToggleLogToScreen();
    Write(2); // not on screen while hidden
    log.ToggleLogToScreen();
    const ScreenDelta d = log.takeScreenDelta();
    EXPECT_TRUE(d.reset);
    EXPECT_EQ(d.appended, log.screenText());
}

// Any mix of lines, looks and switching: the box always ends up holding the log's text.
TEST_F(EventLogScreen, BoxFollowingTheDeltasAlwaysShowsTheScreenText) {
    std::mt19937 random(7);
    // Lines ending in 3 wrap to two displayed lines, so the drops do not come one for one.
    const EventLog::LineCounter counter = [](std::string_view line) {
        return !line.empty() && line.back() == '3' ? 2 : 1;
    };
    log.setLineCounter(counter);
    Box box;
    for (int step = 0; step < 3000; ++step) {
        const unsigned r = random() % 100;
        if (r < 2) {
            log.ToggleLogToScreen();
        } else if (r < 20) {
            if (log.logToScreen()) {
                box.Apply(log.takeScreenDelta());
                ASSERT_EQ(box.text, log.screenText()) << "step " << step;
            }
        } else {
            Write(static_cast<int>(random() % 40));
        }
        ASSERT_EQ(log.screenDisplayedLines(), DisplayedBy(counter, log.screenText())) << "step " << step;
    }
}

// The count the trim rule needs is kept line by line: a new line is counted once, not the whole
// text again, and everything is counted afresh only when the box's measure changes.
TEST_F(EventLogScreen, EachLineIsCountedOnceUntilTheMeasureChanges) {
    int calls = 0;
    unsigned measure = 1;
    int perLine = 1;
    log.setLineCounter(
        [&](std::string_view) {
            ++calls;
            return perLine;
        },
        [&] { return measure; });
    Write(250);
    EXPECT_EQ(calls, 250);
    EXPECT_EQ(log.screenDisplayedLines(), LOG_SCREEN_MAX_LINES + 1);
    EXPECT_EQ(CountCrLfLines(log.screenText()), LOG_SCREEN_MAX_LINES + 1);

    // The box gets narrower: every line now wraps to two, counted again at the next line.
    measure = 2;
    perLine = 2;
    calls = 0;
    Write(1);
    EXPECT_EQ(calls, LOG_SCREEN_MAX_LINES + 1) << "the lines on screen, then the new one";
    EXPECT_EQ(log.screenDisplayedLines(), 2 * LOG_SCREEN_MAX_LINES + 1);
    // Still one old line out for each new one, as the trim rule has it.
    Write(10);
    EXPECT_EQ(calls, LOG_SCREEN_MAX_LINES + 1 + 10);
    EXPECT_EQ(CountCrLfLines(log.screenText()), LOG_SCREEN_MAX_LINES + 1);
    EXPECT_EQ(log.screenText().rfind("00:00:00 line 161\r\n", 0), 0u);

    // Wider again: one displayed line each, counted afresh before the trim looks at them.
    measure = 3;
    perLine = 1;
    Write(1);
    EXPECT_EQ(log.screenDisplayedLines(), LOG_SCREEN_MAX_LINES + 1);
    EXPECT_EQ(log.screenText().rfind("00:00:00 line 162\r\n", 0), 0u);
}

// A text logged with a CR LF of its own shows as two lines of the box and is trimmed as two, one
// at a time, as the box would trim them.
TEST_F(EventLogScreen, ATextWithItsOwnLineBreakCountsAndLeavesAsTwoLines) {
    log.LogLine(0, "first\r\nsecond");
    EXPECT_EQ(log.screenDisplayedLines(), 3);
    Write(LOG_SCREEN_MAX_LINES - 2);
    EXPECT_EQ(log.screenDisplayedLines(), LOG_SCREEN_MAX_LINES + 1);
    EXPECT_EQ(log.screenText().rfind("00:00:00 first\r\nsecond\r\n", 0), 0u);
    Write(1);
    EXPECT_EQ(log.screenText().rfind("second\r\n00:00:00 line 0\r\n", 0), 0u);
    Write(1);
    EXPECT_EQ(log.screenText().rfind("00:00:00 line 0\r\n", 0), 0u);
    EXPECT_EQ(log.screenDisplayedLines(), CountCrLfLines(log.screenText()));
}

// Whatever the view answers, a line takes at least one displayed line and at most one a byte.
TEST_F(EventLogScreen, CountsFromTheViewAreKeptInBounds) {
    struct Case {
        const char* name;
        int answer;
        int expected; // for "00:00:00 line 0", 15 bytes
    };
    for (const Case& c : {Case{"zero", 0, 1}, Case{"negative", -7, 1}, Case{"plausible", 3, 3},
                          Case{"more than the bytes", 1000000, 15}}) {
        EventLog fresh{"/nonexistent-dir/zadida.txt"};
        fresh.setClock([] { return std::tm{}; });
        fresh.setLineCounter([&](std::string_view) { return c.answer; });
        fresh.LogLine(0, "line 0");
        EXPECT_EQ(fresh.screenDisplayedLines(), 1 + c.expected) << c.name;
    }
}

} // namespace
} // namespace rir
