#include "LogLineCounter.h"

#include "app/EventLog.h"

#include <QFontMetrics>
#include <QTextLayout>
#include <QTextOption>

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

// Lines as the station logs them, short and long, at widths from a narrow box to a wide one:
// the count is always the one a full layout of the line gives (most lines are settled from the
// characters' advances without a layout; near the edge they are laid out).
TEST(LogLineCounter, TheQuickCountAgreesWithTheLayoutAtEveryWidth) {
    const QFont font;
    const std::string lines[] = {
        "08:36:32 Отправили в порт:  16 68 12 67",
        "08:36:32 Считали 18 байт от устройства #16 (ф. 68):  16 68 1 65 0 0 0 0 146 0 0 0 0 0 0 0 0 0",
        "08:36:40 Устройство 99 не ответило (ф. 65)",
        "09:00:00 Порт /dev/ttyUSB0 потерян: устройство отключено или не отвечает (Input/output error). "
        "Повторяем попытки открыть его раз в секунду",
        "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW iiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiii",
        "日本語のテキスト 08:00", // characters beyond the table: always laid out
    };
    const auto byLayout = [&font](const std::string& line, int width) {
        QTextLayout layout(QString::fromStdString(line), font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        int n = 0;
        layout.beginLayout();
        for (QTextLine l = layout.createLine(); l.isValid(); l = layout.createLine()) {
            l.setLineWidth(width);
            ++n;
        }
        layout.endLayout();
        return std::max(n, 1);
    };
    LineMeasure measure;
    for (const std::string& line : lines) {
        for (int width = 60; width <= 1400; width += 13)
            EXPECT_EQ(measure.Count(line, font, width), byLayout(line, width)) << line << " at " << width;
    }
}

TEST(LogLineCounter, ZeroOrNegativeWidthStaysFinite) {
    const QFont font;
    EXPECT_EQ(CountWrappedLines("abc", font, 0), CountWrappedLines("abc", font, -50));
    EXPECT_GE(CountWrappedLines("abc", font, 0), 1);
    EXPECT_LE(CountWrappedLines("abc", font, 0), 3);
}

} // namespace
} // namespace rir
