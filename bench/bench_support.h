// Shared set-up for the benchmarks.
#pragma once

#include "world/block.h"

#include <array>
#include <string>

// A block-type table with made-up tiles, for benchmarks that draw nothing.
const std::array<Block, blockTypeCount> &fakeBlockTypes();

// A scratch directory under the working directory, removed at exit, so that
// file benchmarks hit the same disk as the game's own save file.
const std::string &benchScratchDirectory();
