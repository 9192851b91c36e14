// Shared set-up for the benchmarks.
#include "bench_support.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

const std::array<Block, blockTypeCount> &fakeBlockTypes()
{
    static const std::array<Block, blockTypeCount> table = [] {
        std::array<Block, blockTypeCount> types{};
        const uint8_t passable[] = {0, 1, 0, 0, 0, 0, 1};
        for (int type = 0; type < blockTypeCount; type++) {
            types[type].type = type;
            types[type].passable = passable[type];
            types[type].bitmap = reinterpret_cast<ALLEGRO_BITMAP *>(0x1000 + 0x10 * static_cast<uintptr_t>(type));
        }
        return types;
    }();
    return table;
}

const std::string &benchScratchDirectory()
{
    static const std::string path = [] {
        std::string pattern = "clodmere-bench-XXXXXX";
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a scratch directory");
        std::string made = std::filesystem::absolute(pattern).string();
        static std::string removeAtExit;
        removeAtExit = made;
        std::atexit([] { std::filesystem::remove_all(removeAtExit); });
        return made;
    }();
    return path;
}
