// Throughput of the checksum and the cost of choosing one request on a full poll list.
#include "bus/FrameCodec.h"
#include "bus/PollList.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

void BM_Crc16(benchmark::State& state) {
    std::vector<std::uint8_t> data(static_cast<std::size_t>(state.range(0)));
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i * 31);
    for (auto _ : state)
        benchmark::DoNotOptimize(rir::Crc16(data));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Crc16)->Arg(16)->Arg(255)->Arg(4096);

void BM_ChooseRequestFullList(benchmark::State& state) {
    rir::PollList list;
    for (int a = 1; a <= 127; ++a) {
        rir::AddEntry(list, a, 0);
        rir::AddEntry(list, a, 1);
    }
    for (auto& e : list)
        e.state = rir::PollState::Complete;
    rir::RequestQueue queue;
    rir::PollCursor cursor;
    for (auto _ : state) {
        auto choice = rir::ChooseRequest(list, queue, cursor, false);
        benchmark::DoNotOptimize(choice);
        rir::EndOfCycle(list, cursor);
    }
}
BENCHMARK(BM_ChooseRequestFullList);

} // namespace
