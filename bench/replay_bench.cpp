// Replaying: 100,000 ticks with keys held over a generated world, through
// the same dispatch as the game. Reported as ticks per second; real time is
// 60 a second.
#include "program/playback.h"
#include "world/terrain.h"

#include "bench_support.h"

#include <benchmark/benchmark.h>

#include <sstream>

namespace {

constexpr int replayedTicks = 100000;

void BM_Replay100kTicks(benchmark::State &state)
{
    std::unique_ptr<Block[]> grid = allocateWorldGrid();
    fillTerrain(grid.get(), fakeBlockTypes().data(), 1);
    std::istringstream script("down 83\ndown 84\ntick " + std::to_string(replayedTicks) + "\n");
    std::vector<ScriptEvent> events;
    ScriptError error;
    parseScript(script, events, error);

    for (auto _ : state) {
        PlayContext play{grid.get(), fakeBlockTypes().data(), 0, 0};
        GameState record = newGameState(nullptr);
        benchmark::DoNotOptimize(replayEvents(events, record, play));
    }
    state.SetItemsProcessed(state.iterations() * replayedTicks);
    state.counters["timesRealTime"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * replayedTicks / 60.0, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Replay100kTicks)->Unit(benchmark::kMillisecond);

} // namespace
