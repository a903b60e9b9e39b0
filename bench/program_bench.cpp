// A day-long program file (86,400 one-second rows, as a spreadsheet saves them): reading it
// into steps and checking them against the supply, rendering the preview, both as the page
// does after the operator chose the file, and the same from disk through the capped reader.
//
// Arguments of the row benchmarks: errors = 1 puts every tenth row above the supply's maximum
// current, so that the clamping and the report's line lists are part of the work.
#include "program/FileRead.h"
#include "program/ProgramLoader.h"
#include "program/ProgramPreview.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace rir {
namespace {

constexpr int DAY_SECONDS = 24 * 60 * 60;
// A timer/ampere supply: 39 V and 15 A at scale 100.
constexpr ProgramLimits LIMITS = {3900, 1500, 50, 15, 100, 100};

// A title, a heading, display switches, then one row per second with a current that wanders
// between 1 and 13 A, a voltage limit of 12 or 24 V and the output switched now and then.
std::string DayProgram(bool errors) {
    std::string file =
        "#Суточная программа;;;\r\nВремя;Ток;Напряжение;Вкл\r\nUr=1,Ul=1,Ir=1,Il=1,Po=1;;;\r\n";
    file.reserve(std::size_t{24} * DAY_SECONDS);
    char row[64];
    for (int t = 0; t < DAY_SECONDS; ++t) {
        const int centiamps = errors && t % 10 == 0 ? 2000 : 100 + (t * 37) % 1200;
        const int n = std::snprintf(row, sizeof row, "%d;%d,%02d;%s;%d\r\n", t, centiamps / 100,
                                    centiamps % 100, t % 3600 < 1800 ? "12" : "24,5", t % 600 < 590 ? 1 : 0);
        file.append(row, static_cast<std::size_t>(n));
    }
    return file;
}

void BM_LoadDay(benchmark::State& state) {
    const std::string file = DayProgram(state.range(0) != 0);
    for (auto _ : state) {
        ProgramLoad load = LoadProgramFile(file, "day.csv", LIMITS);
        benchmark::DoNotOptimize(load.steps.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(file.size()));
}
BENCHMARK(BM_LoadDay)->ArgName("errors")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_PreviewDay(benchmark::State& state) {
    const ProgramLoad load = LoadProgramFile(DayProgram(false), "day.csv", LIMITS);
    for (auto _ : state) {
        ProgramPreview preview = BuildProgramPreview(load.steps, StampTime{});
        benchmark::DoNotOptimize(preview.minutesList.data());
    }
}
BENCHMARK(BM_PreviewDay)->Unit(benchmark::kMillisecond);

// What the operator waits for between choosing the file and seeing the plan.
void BM_LoadAndPreviewDay(benchmark::State& state) {
    const std::string file = DayProgram(state.range(0) != 0);
    for (auto _ : state) {
        ProgramLoad load = LoadProgramFile(file, "day.csv", LIMITS);
        ProgramPreview preview = BuildProgramPreview(load.steps, StampTime{});
        benchmark::DoNotOptimize(preview.minutesList.data());
    }
}
BENCHMARK(BM_LoadAndPreviewDay)->ArgName("errors")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ReadLoadAndPreviewDayFromDisk(benchmark::State& state) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "rir-program-bench-day.csv";
    {
        std::ofstream out(path, std::ios::binary);
        out << DayProgram(false);
    }
    for (auto _ : state) {
        const FileBytes file = ReadWholeFile(path);
        ProgramLoad load = LoadProgramFile(file.bytes, "day.csv", LIMITS);
        ProgramPreview preview = BuildProgramPreview(load.steps, StampTime{});
        benchmark::DoNotOptimize(preview.minutesList.data());
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_ReadLoadAndPreviewDayFromDisk)->Unit(benchmark::kMillisecond);

// The worst a file may be: 64 MB of rows, refused nowhere, loaded whole.
void BM_LoadLargestFile(benchmark::State& state) {
    std::string file;
    file.reserve(PROGRAM_FILE_SIZE_LIMIT);
    char row[64];
    for (int t = 0; file.size() + 32 < PROGRAM_FILE_SIZE_LIMIT; ++t) {
        const int n = std::snprintf(row, sizeof row, "%d;1,5;12;1\r\n", t % (MAX_PROGRAM_SECONDS + 1));
        file.append(row, static_cast<std::size_t>(n));
    }
    for (auto _ : state) {
        ProgramLoad load = LoadProgramFile(file, "big.csv", LIMITS);
        ProgramPreview preview = BuildProgramPreview(load.steps, StampTime{});
        benchmark::DoNotOptimize(preview.minutesList.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(file.size()));
}
BENCHMARK(BM_LoadLargestFile)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
} // namespace rir
