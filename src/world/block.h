// Block types, their tiles, the world grid and a cell's 28-byte stored form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

struct ALLEGRO_BITMAP;

// A block type, and also one cell of the world: a cell is a full copy of its
// type's entry plus its own position.
// In memory the tile handle comes last, so that a cell takes 32 bytes and
// two share a cache line; the stored form has its own fixed order.
struct Block {
    char name[8]; // zero-terminated when shorter; type 6's fills all eight bytes
    int32_t type; // 0 to 6, the index into the block-type table
    uint8_t passable;
    uint8_t paddingAfterPassable[3]; // no meaning, but carried through saves
    float x; // world pixels of the cell's left edge, column * 10
    float y; // world pixels of the cell's top edge, row * 10
    ALLEGRO_BITMAP *bitmap;
};

constexpr int32_t blockNull = 0;
constexpr int32_t blockAir = 1;
constexpr int32_t blockDirt = 2;
constexpr int32_t blockGrass = 3;
constexpr int32_t blockStone = 4;
constexpr int32_t blockGold = 5;
constexpr int32_t blockUnderground = 6;
constexpr int blockTypeCount = 7;

constexpr int cellSize = 10; // world pixels a side
constexpr int tileSize = 10; // screen pixels a side

constexpr int worldColumns = 720;
constexpr int worldRows = 480;
constexpr size_t worldCellCount = static_cast<size_t>(worldColumns) * worldRows;
constexpr int worldWidth = worldColumns * cellSize;
constexpr int worldHeight = worldRows * cellSize;

// The grid is column-major: the cell below (column, row) is the next element.
inline size_t cellIndex(int column, int row)
{
    return static_cast<size_t>(column) * worldRows + static_cast<size_t>(row);
}

inline bool isInsideGrid(int column, int row)
{
    return column >= 0 && column < worldColumns && row >= 0 && row < worldRows;
}

// The grid lives on the heap, one allocation for the whole run; every cell
// starts zeroed.
std::unique_ptr<Block[]> allocateWorldGrid();

// Fills the seven entries and makes the six one-colour tiles (type 6 shares
// type 0's black tile). Needs the library started; the drawing target is
// left on the last tile made.
void createBlockTypes(Block blockTypes[blockTypeCount]);

// Turns a cell into another type: name, type, tile and passability come from
// the entry, the cell keeps its position.
inline void copyBlockType(Block &cell, const Block &entry)
{
    std::memcpy(cell.name, entry.name, sizeof cell.name);
    cell.type = entry.type;
    cell.bitmap = entry.bitmap;
    cell.passable = entry.passable;
}

constexpr size_t storedBlockSize = 28;

// The stored form. The tile handle is written as zero; it means nothing
// outside the running program.
void encodeBlock(const Block &block, unsigned char out[storedBlockSize]);

// Reads a cell's stored form into `block`, giving it the tile of its type.
// The type must already be known to lie within 0 to 6.
void decodeBlock(const unsigned char in[storedBlockSize], const Block blockTypes[blockTypeCount], Block &block);

// Where the type number sits in a stored cell, for checks before decoding.
constexpr size_t storedBlockTypeOffset = 8;
