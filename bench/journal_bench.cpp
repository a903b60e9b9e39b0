// Run journals: one second's line formatted and appended (flushed, forced to the disk every few
// lines), as the UI thread pays for it every second of a run; and "Сохранить" of a week-long run.
#include "journal/JournalFormat.h"
#include "journal/RunJournal.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace rir {
namespace {

using namespace std::chrono_literals;

constexpr int WEEK_SECONDS = 7 * 24 * 3600;

std::filesystem::path Scratch(const std::string& name) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("rir-journal-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    return dir / name;
}

ChartSample Second(int t, StampTime start) {
    ChartSample s(t, 150 + t % 7, 1200, 1, start + std::chrono::seconds(t));
    s.voltMeas = 1187 + t % 13;
    s.currMeas = 149 + t % 3;
    return s;
}

void BM_JournalSecond(benchmark::State& state) {
    const StampTime start = std::chrono::system_clock::now();
    const std::filesystem::path path = Scratch("second.csv");
    std::filesystem::remove(path);
    RunJournal journal;
    if (!journal.Open(path.parent_path(), path.filename().string(), JournalHead(15, 0, start, {})).empty()) {
        state.SkipWithError("cannot open the journal");
        return;
    }
    int t = 0;
    for (auto _ : state) {
        const std::string reason = journal.Append(JournalLine(Second(t, start), {100, 100}, start));
        benchmark::DoNotOptimize(reason);
        ++t;
    }
    journal.Close();
    std::filesystem::remove(path);
}
BENCHMARK(BM_JournalSecond)->Unit(benchmark::kMicrosecond);

void BM_SaveWeek(benchmark::State& state) {
    const StampTime start = std::chrono::system_clock::now();
    const std::filesystem::path path = Scratch("week.csv");
    std::filesystem::remove(path);
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        const std::string head = JournalHead(15, 0, start, {});
        std::fwrite(head.data(), 1, head.size(), f);
        for (int t = 0; t <= WEEK_SECONDS; ++t) {
            const std::string line = JournalLine(Second(t, start), {100, 100}, start);
            std::fwrite(line.data(), 1, line.size(), f);
        }
        std::fclose(f);
    }
    const std::filesystem::path to = Scratch("saved.csv");
    for (auto _ : state)
        benchmark::DoNotOptimize(SaveCopy(path, to));
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    std::filesystem::remove(path);
    std::filesystem::remove(to);
}
BENCHMARK(BM_SaveWeek)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
} // namespace rir
