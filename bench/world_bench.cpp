// World benchmarks, each beside its physical floor measured in the same run:
// generation against bare rand() calls plus filling the grid, saving against
// one write and fsync of the same bytes, loading against one read of them.
#include "world/save_file.h"
#include "world/terrain.h"

#include "bench_support.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

struct World {
    World() : grid(allocateWorldGrid()) { fillTerrain(grid.get(), fakeBlockTypes().data(), 1); }
    std::unique_ptr<Block[]> grid;
};

void BM_GenerateTerrain(benchmark::State &state)
{
    World world;
    unsigned seed = 0;
    for (auto _ : state) {
        fillTerrain(world.grid.get(), fakeBlockTypes().data(), seed++);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_GenerateTerrain)->Unit(benchmark::kMillisecond);

void BM_GenerateTerrainFloor(benchmark::State &state)
{
    World world;
    const Block air = fakeBlockTypes()[blockAir];
    unsigned seed = 0;
    for (auto _ : state) {
        std::srand(seed++);
        int sum = 0;
        for (size_t i = 0; i < worldCellCount; i++) {
            sum += std::rand();
            world.grid[i] = air;
        }
        benchmark::DoNotOptimize(sum);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_GenerateTerrainFloor)->Unit(benchmark::kMillisecond);

void BM_SaveWorld(benchmark::State &state)
{
    World world;
    std::string path = benchScratchDirectory() + "/" + saveFileName;
    GameState record = newGameState(nullptr);
    for (auto _ : state)
        benchmark::DoNotOptimize(writeWorldFile(path.c_str(), world.grid.get(), record));
}
BENCHMARK(BM_SaveWorld)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveWorldFloor(benchmark::State &state)
{
    std::vector<unsigned char> bytes(saveFileSize, 1);
    std::string path = benchScratchDirectory() + "/floor.wld";
    for (auto _ : state) {
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        benchmark::DoNotOptimize(write(fd, bytes.data(), bytes.size()));
        fsync(fd);
        close(fd);
    }
}
BENCHMARK(BM_SaveWorldFloor)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadWorld(benchmark::State &state)
{
    World world;
    std::string path = benchScratchDirectory() + "/" + saveFileName;
    GameState record = newGameState(nullptr);
    writeWorldFile(path.c_str(), world.grid.get(), record);
    for (auto _ : state) {
        GameState into = record;
        benchmark::DoNotOptimize(readWorldFile(path.c_str(), world.grid.get(), into, fakeBlockTypes().data()));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_LoadWorld)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadWorldFloor(benchmark::State &state)
{
    World world;
    std::string path = benchScratchDirectory() + "/" + saveFileName;
    writeWorldFile(path.c_str(), world.grid.get(), newGameState(nullptr));
    std::vector<unsigned char> bytes(saveFileSize);
    for (auto _ : state) {
        int fd = open(path.c_str(), O_RDONLY);
        benchmark::DoNotOptimize(read(fd, bytes.data(), bytes.size()));
        close(fd);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_LoadWorldFloor)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
