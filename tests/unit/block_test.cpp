// The block-type table, its tiles, and a cell's stored form.
#include "world/block.h"

#include "test_support.h"

#include <allegro5/allegro.h>
#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

TEST(BlockTypes, TableHasTheSevenEntriesWithTheirNamesAndPassability)
{
    startAllegroOnce();
    Block types[blockTypeCount];
    createBlockTypes(types);

    const char *names[] = {"NULL", "Air", "Dirt", "Grass", "Stone", "Gold"};
    const uint8_t passable[] = {0, 1, 0, 0, 0, 0, 1};
    for (int type = 0; type < blockTypeCount; type++) {
        EXPECT_EQ(types[type].type, type);
        EXPECT_EQ(types[type].passable, passable[type]) << "type " << type;
        if (type < blockUnderground) {
            EXPECT_STREQ(types[type].name, names[type]);
            for (size_t i = std::strlen(names[type]); i < 8; i++)
                EXPECT_EQ(types[type].name[i], 0);
        }
    }
    EXPECT_EQ(std::memcmp(types[blockUnderground].name, "Undergro", 8), 0); // no terminator
}

TEST(BlockTypes, SixPlainTilesAndUndergroundSharesTheBlackOne)
{
    startAllegroOnce();
    Block types[blockTypeCount];
    createBlockTypes(types);

    const Rgb colours[] = {{0, 0, 0}, {125, 125, 255}, {160, 100, 25}, {0, 255, 0}, {125, 125, 125}, {255, 255, 0}};
    for (int type = 0; type < blockUnderground; type++) {
        ALLEGRO_BITMAP *tile = types[type].bitmap;
        ASSERT_NE(tile, nullptr);
        EXPECT_EQ(al_get_bitmap_width(tile), 10);
        EXPECT_EQ(al_get_bitmap_height(tile), 10);
        for (int y = 0; y < 10; y++)
            for (int x = 0; x < 10; x++)
                ASSERT_EQ(pixelOf(tile, x, y), colours[type]) << "type " << type << " at " << x << "," << y;
        for (int other = 0; other < type; other++)
            EXPECT_NE(types[other].bitmap, tile);
    }
    EXPECT_EQ(types[blockUnderground].bitmap, types[blockNull].bitmap);
}

TEST(GridIndexing, IsColumnMajorAndRunsOnAcrossColumnEnds)
{
    EXPECT_EQ(cellIndex(0, 0), 0u);
    EXPECT_EQ(cellIndex(0, 1), 1u);
    EXPECT_EQ(cellIndex(1, 0), 480u);
    EXPECT_EQ(cellIndex(3, 479) + 1, cellIndex(4, 0));
    EXPECT_EQ(cellIndex(719, 479), worldCellCount - 1);
    EXPECT_EQ(worldCellCount * storedBlockSize, 9676800u);
}

TEST(BlockStoredForm, FieldsSitAtTheirOffsetsAndTheHandleIsZero)
{
    Block types[blockTypeCount];
    makeFakeBlockTypes(types);
    Block cell = types[blockUnderground];
    cell.paddingAfterPassable[0] = 0xAA;
    cell.paddingAfterPassable[2] = 0xBB;
    cell.x = 7190.0f; // 0x45E0B000
    cell.y = 4790.0f; // 0x4595B000

    unsigned char bytes[storedBlockSize];
    std::memset(bytes, 0xCD, sizeof bytes);
    encodeBlock(cell, bytes);
    const unsigned char expected[storedBlockSize] = {
        'U', 'n', 'd', 'e', 'r', 'g', 'r', 'o', 6, 0, 0, 0, 0, 0, 0, 0,
        1, 0xAA, 0, 0xBB, 0x00, 0xB0, 0xE0, 0x45, 0x00, 0xB0, 0x95, 0x45};
    for (size_t i = 0; i < storedBlockSize; i++)
        EXPECT_EQ(bytes[i], expected[i]) << "at offset " << i;
}

TEST(BlockStoredForm, EveryByteButTheHandleSurvivesAndTheTileComesFromTheTable)
{
    Block types[blockTypeCount];
    makeFakeBlockTypes(types, 0x7000);
    std::mt19937 random(3);
    for (int round = 0; round < 200; round++) {
        unsigned char bytes[storedBlockSize];
        for (auto &byte : bytes)
            byte = static_cast<unsigned char>(random());
        int32_t type = static_cast<int32_t>(random() % blockTypeCount);
        std::memcpy(bytes + 8, &type, 4); // this host is little-endian, as the file is
        std::memset(bytes + 12, 0, 4);

        Block cell;
        decodeBlock(bytes, types, cell);
        EXPECT_EQ(cell.bitmap, types[type].bitmap);
        unsigned char again[storedBlockSize];
        encodeBlock(cell, again);
        EXPECT_EQ(std::memcmp(bytes, again, storedBlockSize), 0) << "round " << round;
    }
}

} // namespace
