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
    // Every third line wraps to two displayed lines, so the drops do not come one for one.
    log.setLineCounter([](const std::string& text) {
        int lines = 1;
        for (std::size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2))
            lines += text.compare(p - 1, 1, "3") == 0 ? 2 : 1;
        return lines;
    });
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
    }
}

} // namespace
} // namespace rir
