// Whatever bytes a file holds, the loader and the preview end with a clean result: random
// bytes, near-CSV noise, endless lines, megabyte fields.
#include "ProgramRig.h"
#include "program/ProgramPreview.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

namespace rir {
namespace {

using namespace programrig;

// Lines end with LF (CR LF included); the last may end with the file.
int LinesOf(const std::string& bytes) {
    return 1 + static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n'));
}

// What holds for every result, whatever the file.
void ExpectClean(const std::string& bytes, const ProgramLimits& limits) {
    const ProgramLoad load = LoadProgramFile(bytes, "f.csv", limits);
    ASSERT_EQ(load.loaded, !load.steps.empty());
    ASSERT_FALSE(load.report.empty() && !load.loaded);
    if (!load.loaded)
        return;
    EXPECT_EQ(load.steps.front().time, 0);
    std::set<int> times;
    int voltMax = 0, currMax = 0;
    for (const ChartSample& s : load.steps) {
        EXPECT_TRUE(times.insert(s.time).second) << "time " << s.time << " twice";
        EXPECT_LE(s.time, MAX_PROGRAM_SECONDS);
        // Within the supply's range; a range upside down (minimum above maximum) holds its ends.
        EXPECT_GE(s.currLimit, std::min(limits.currMin, limits.currMax));
        EXPECT_LE(s.currLimit, std::max(limits.currMin, limits.currMax));
        EXPECT_GE(s.voltLimit, std::min(limits.voltMin, limits.voltMax));
        EXPECT_LE(s.voltLimit, std::max(limits.voltMin, limits.voltMax));
        voltMax = std::max(voltMax, s.voltLimit);
        currMax = std::max(currMax, s.currLimit);
    }
    EXPECT_EQ(load.voltLimitMax, voltMax);
    EXPECT_EQ(load.currLimitMax, currMax);
    EXPECT_LE(load.title.size(),
              2 * PROGRAM_TITLE_LENGTH + TITLE_CUT_MARK.size()); // UTF-8: two bytes a letter
    const int lines = LinesOf(bytes);
    for (const std::vector<int>* list :
         {&load.errors.duplicates, &load.errors.currAbove, &load.errors.currBelow, &load.errors.voltAbove,
          &load.errors.voltBelow, &load.errors.beyondEnd, &load.errors.fewFields, &load.errors.notANumber,
          &load.errors.negativeTime, &load.errors.badOutput, &load.errors.outOfOrder})
        for (int line : *list) {
            EXPECT_GE(line, 1);
            EXPECT_LE(line, lines);
        }
    EXPECT_EQ(load.report.empty(), !load.errors.any() && load.startShift == 0);

    const ProgramPreview p = BuildProgramPreview(load.steps, std::nullopt);
    const int last = load.steps.back().time;
    EXPECT_EQ(p.duration, last);
    EXPECT_EQ(p.secondsRing.size(),
              static_cast<std::size_t>(last < 0 ? 0 : std::min(last + 1, SECONDS_RING_SIZE)));
    EXPECT_EQ(p.minutesList.size(), static_cast<std::size_t>(last < 59 ? 0 : (last + 1) / 60 + 1));
}

TEST(ProgramFuzzTest, RandomBytes) {
    std::mt19937 rng(20240611);
    for (int n = 0; n < 2000; ++n) {
        std::string bytes(rng() % 600, '\0');
        for (char& c : bytes)
            c = static_cast<char>(rng());
        SCOPED_TRACE(n);
        ExpectClean(bytes, MODEL2);
    }
}

TEST(ProgramFuzzTest, NearCsvNoise) {
    // Bytes a program file is made of, in random order: every rule gets its turn.
    const std::string alphabet = "0123456789;;;;,,..--+ eE#=UrlIPo\r\n\r\n\r\n\n\r\t\xC0\xFF";
    const ProgramLimits scales[] = {MODEL2,
                                    {6300, 1050, 50, 10, 100, 10},
                                    {315, 1575, 5, 15, 10, 1000},
                                    {0, 0, 0, 0, 1, 1},
                                    {100, 100, 200, 200, 3, 7}};
    std::mt19937 rng(7);
    for (int n = 0; n < 4000; ++n) {
        std::string bytes(rng() % 400, '\0');
        for (char& c : bytes)
            c = alphabet[rng() % alphabet.size()];
        SCOPED_TRACE(bytes);
        ExpectClean(bytes, scales[n % 5]);
    }
}

TEST(ProgramFuzzTest, LongLinesAndFields) {
    // A line of 10,000 fields, then rows.
    std::string wide;
    for (int i = 0; i < 10000; ++i)
        wide += std::to_string(i % 2) + ";";
    wide += "\r\n5;1;12;1\r\n";
    ExpectClean(wide, MODEL2);
    EXPECT_EQ(LoadProgramFile(wide, "f.csv", MODEL2).steps.size(), 2u); // the wide line is a row too

    // Fields of a megabyte in every column, a megabyte title, a megabyte switch field.
    const std::string mb(1 << 20, '7');
    const std::string rows = mb + ";" + mb + ";" + mb + ";" + mb + "\r\n" + "#" + mb + ";;;\r\n" + "Ur=0," +
                             mb + ",Po=0\r\n0;1;12;1\r\n";
    ExpectClean(rows, MODEL2);
    const ProgramLoad load = LoadProgramFile(rows, "f.csv", MODEL2);
    EXPECT_EQ(load.title, std::string(PROGRAM_TITLE_LENGTH, '7') + "...");
    EXPECT_EQ(load.switches.voltMeas, false);
    EXPECT_EQ(load.switches.output, false);

    // A megabyte of one byte each: separators only, line ends only, stray CRs, no separator at all.
    for (char c : {';', '\r', '\n', '#', '0', '\0', ','})
        ExpectClean(std::string(1 << 20, c), MODEL2);
    std::string crlf;
    for (int i = 0; i < (1 << 19); ++i)
        crlf += "\r\n";
    ExpectClean(crlf, MODEL2);
}

TEST(ProgramFuzzTest, BinaryGarbage) {
    std::mt19937_64 rng(99);
    std::string bytes(std::size_t{4} << 20, '\0');
    for (std::size_t i = 0; i < bytes.size(); i += 8) {
        const std::uint64_t v = rng();
        for (std::size_t k = 0; k < 8 && i + k < bytes.size(); ++k)
            bytes[i + k] = static_cast<char>(v >> (8 * k));
    }
    ExpectClean(bytes, MODEL2);
}

TEST(ProgramFuzzTest, RowsOfExtremeNumbers) {
    // Numbers at and beyond every bound, in every column, many rows: never an overflow (the
    // sanitizer build checks), always a clean result.
    const char* numbers[] = {"0",
                             "1",
                             "-1",
                             "2147483647",
                             "-2147483648",
                             "2147483648",
                             "4294967296",
                             "-99999999999999999999",
                             "99999999999999999999",
                             "1e9",
                             "1e10",
                             "-1e10",
                             "1e-9",
                             "2678400",
                             "2678401",
                             "",
                             "x"};
    std::mt19937 rng(3);
    std::string bytes;
    const auto pick = [&] { return std::string(numbers[rng() % std::size(numbers)]); };
    for (int n = 0; n < 5000; ++n)
        bytes += pick() + ";" + pick() + ";" + pick() + ";" + pick() + "\r\n";
    ExpectClean(bytes, MODEL2);
}

} // namespace
} // namespace rir
