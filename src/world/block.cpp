// The block-type table, its tiles, and a cell's stored form.
#include "world/block.h"

#include "core/byte_order.h"

#include <allegro5/allegro.h>

#include <cstring>
#include <iterator>

namespace {

struct TiledTypeEntry {
    const char *name;
    unsigned char red, green, blue;
    uint8_t passable;
};

// Types 0 to 5; each has its own tile of one colour.
const TiledTypeEntry tiledTypes[] = {
    {"NULL", 0, 0, 0, 0},         {"Air", 125, 125, 255, 1},  {"Dirt", 160, 100, 25, 0},
    {"Grass", 0, 255, 0, 0},      {"Stone", 125, 125, 125, 0}, {"Gold", 255, 255, 0, 0},
};

namespace StoredBlock {
constexpr size_t name = 0;
constexpr size_t type = storedBlockTypeOffset;
constexpr size_t bitmap = 12;
constexpr size_t passable = 16;
constexpr size_t paddingAfterPassable = 17;
constexpr size_t x = 20;
constexpr size_t y = 24;
} // namespace StoredBlock

} // namespace

std::unique_ptr<Block[]> allocateWorldGrid() { return std::unique_ptr<Block[]>(new Block[worldCellCount]()); }

// The six tiles are sub-bitmaps of one sheet: held drawing batches only
// consecutive draws from one parent bitmap, so a frame of mixed tiles then
// goes out in one batch. Each tile sits in a one-pixel frame of its own
// colour, so that a stretched draw never samples a neighbour's colour.
constexpr int tileFrame = 1;
constexpr int sheetCellSize = tileSize + 2 * tileFrame;

void createBlockTypes(Block blockTypes[blockTypeCount])
{
    const int tiledCount = static_cast<int>(std::size(tiledTypes));
    ALLEGRO_BITMAP *sheet = al_create_bitmap(sheetCellSize * tiledCount, sheetCellSize);
    ALLEGRO_BITMAP *tiles[std::size(tiledTypes)];
    for (int type = 0; type < tiledCount; type++)
        tiles[type] = al_create_sub_bitmap(sheet, sheetCellSize * type + tileFrame, tileFrame, tileSize, tileSize);

    al_set_target_bitmap(sheet);
    for (int type = 0; type < tiledCount; type++) {
        const TiledTypeEntry &entrySource = tiledTypes[type];
        Block &entry = blockTypes[type];
        std::memset(&entry, 0, sizeof entry);
        std::strncpy(entry.name, entrySource.name, sizeof entry.name);
        entry.type = type;
        entry.passable = entrySource.passable;
        al_set_clipping_rectangle(sheetCellSize * type, 0, sheetCellSize, sheetCellSize);
        al_clear_to_color(al_map_rgb(entrySource.red, entrySource.green, entrySource.blue));
        entry.bitmap = tiles[type];
    }
    al_reset_clipping_rectangle();
    al_set_target_bitmap(tiles[blockGold]); // where the last tile's fill leaves it

    // "Underground" cut to the field's eight bytes, with no terminator: files
    // written by every version of the game hold exactly these bytes.
    Block &underground = blockTypes[blockUnderground];
    std::memset(&underground, 0, sizeof underground);
    std::memcpy(underground.name, "Undergro", sizeof underground.name);
    underground.type = blockUnderground;
    underground.passable = 1;
    underground.bitmap = tiles[blockNull];
}

void encodeBlock(const Block &block, unsigned char out[storedBlockSize])
{
    std::memcpy(out + StoredBlock::name, block.name, sizeof block.name);
    putI32LE(out + StoredBlock::type, block.type);
    putU32LE(out + StoredBlock::bitmap, 0);
    out[StoredBlock::passable] = block.passable;
    std::memcpy(out + StoredBlock::paddingAfterPassable, block.paddingAfterPassable, 3);
    putF32LE(out + StoredBlock::x, block.x);
    putF32LE(out + StoredBlock::y, block.y);
}

void decodeBlock(const unsigned char in[storedBlockSize], const Block blockTypes[blockTypeCount], Block &block)
{
    std::memcpy(block.name, in + StoredBlock::name, sizeof block.name);
    block.type = getI32LE(in + StoredBlock::type);
    block.bitmap = blockTypes[block.type].bitmap;
    block.passable = in[StoredBlock::passable];
    std::memcpy(block.paddingAfterPassable, in + StoredBlock::paddingAfterPassable, 3);
    block.x = getF32LE(in + StoredBlock::x);
    block.y = getF32LE(in + StoredBlock::y);
}
