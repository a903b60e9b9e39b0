#include "LogLineCounter.h"

#include "app/EventLog.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

namespace rir {
namespace {

TEST(LogLineCounter, ShortLinesCountAsTheUnwrappedBoxCountsThem) {
    const QFont font;
    for (const std::string text : {"", "a", "09:05:03 Старт программы\r\n", "a\r\nb\r\n", "\r\n\r\n\r\n"})
        EXPECT_EQ(CountWrappedLines(text, font, 2000), CountCrLfLines(text)) << text;
}

TEST(LogLineCounter, LongLinesWrapIntoSeveral) {
    const QFont font;
    const QFontMetrics metrics(font);
    const std::string word = "Считали";
    std::string sentence;
    for (int i = 0; i < 12; ++i)
        sentence += word + " ";
    const int width = metrics.horizontalAdvance(QString::fromStdString(word + " ")) * 4 + 2;
    // About four words per line: three lines or more, never one.
    const int wrapped = CountWrappedLines(sentence + "\r\n", font, width);
    EXPECT_GE(wrapped, 1 + 3);
    EXPECT_LE(wrapped, 1 + 6);
    // A word longer than the line is broken inside, not left running off the edge.
    EXPECT_GE(CountWrappedLines(std::string(200, 'x'), font, width), 2);
}

TEST(LogLineCounter, ZeroOrNegativeWidthStaysFinite) {
    const QFont font;
    EXPECT_EQ(CountWrappedLines("abc", font, 0), CountWrappedLines("abc", font, -50));
    EXPECT_GE(CountWrappedLines("abc", font, 0), 1);
    EXPECT_LE(CountWrappedLines("abc", font, 0), 3);
}

} // namespace
} // namespace rir
