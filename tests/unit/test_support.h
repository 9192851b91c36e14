// Helpers shared by the unit tests: a scratch directory, captured console
// output, block tables with recognisable tiles, the library started once.
#pragma once

#include "core/game_state.h"
#include "world/block.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

// A fresh directory, removed with everything in it when the object goes.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory &) = delete;
    ScratchDirectory &operator=(const ScratchDirectory &) = delete;
    std::string path(const std::string &name = "") const;

private:
    std::string root;
};

// Runs `work` with the working directory changed to `directory`.
void inDirectory(const std::string &directory, const std::function<void()> &work);

// Runs `work` and returns what it printed on standard output.
std::string consoleOutputOf(const std::function<void()> &work);

// A block-type table whose tiles are distinct made-up handles, for code that
// only passes tiles along; `tileBase` tells two tables apart.
void makeFakeBlockTypes(Block blockTypes[blockTypeCount], uintptr_t tileBase = 0x1000);

// The library's system part, started once for tests that create bitmaps.
void startAllegroOnce();

// The same, then the font addon, memory bitmaps from here on, and the
// block types with their tiles made as memory bitmaps.
void startAllegroInMemory(Block blockTypes[blockTypeCount]);

// A pixel's colour, for tests on real pixels.
struct Rgb {
    unsigned char r, g, b;
    bool operator==(const Rgb &other) const { return r == other.r && g == other.g && b == other.b; }
};
std::ostream &operator<<(std::ostream &out, const Rgb &colour);
Rgb pixelOf(ALLEGRO_BITMAP *bitmap, int x, int y);

std::vector<unsigned char> readFileBytes(const std::string &path);
void writeFileBytes(const std::string &path, const std::vector<unsigned char> &bytes);
bool fileExists(const std::string &path);

// A world grid with inaccessible memory on both sides, so that a read just
// outside it ends the test with a fault instead of passing unnoticed.
class GuardedGrid {
public:
    GuardedGrid();
    ~GuardedGrid();
    GuardedGrid(const GuardedGrid &) = delete;
    GuardedGrid &operator=(const GuardedGrid &) = delete;
    Block *get() const { return cells; }
    Block &at(int column, int row) const { return cells[cellIndex(column, row)]; }

private:
    void *mapping;
    size_t mappingSize;
    Block *cells;
};

// Fills a grid with Air everywhere, each cell with its own position.
void fillWithAir(Block *grid, const Block blockTypes[blockTypeCount]);

// Turns one cell into another type, keeping its position.
void setCell(Block *grid, const Block blockTypes[blockTypeCount], int column, int row, int32_t type);
