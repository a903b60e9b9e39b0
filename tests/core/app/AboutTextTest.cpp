#include "app/AboutText.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

TEST(AboutText, CompilerDateBecomesDayMonthYear) {
    const struct {
        const char* compiler;
        const char* shown;
    } cases[] = {
        {"Dec  8 2026", "08.12.2026"},
        {"Jan 31 2025", "31.01.2025"},
        {"Oct 10 2030", "10.10.2030"},
        {"Sep  1 1999", "01.09.1999"},
        // Anything else is shown as the compiler wrote it.
        {"Foo  8 2026", "Foo  8 2026"},
        {"Dec 8 2026", "Dec 8 2026"},
        {"Dec  x 2026", "Dec  x 2026"},
        {"Dec  8 20a6", "Dec  8 20a6"},
        {"", ""},
        {"??? ?? ????", "??? ?? ????"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatBuildDate(c.compiler), c.shown) << c.compiler;
}

TEST(AboutText, ProgramLineNamesVersionAndDate) {
    EXPECT_EQ(AboutProgramLine("1.0.0", "Dec  8 2026"), "RIR Controller, версия 1.0.0 от 08.12.2026");
}

} // namespace
} // namespace rir
