// The save file: its exact bytes, round trips, the load rule, missing and
// damaged files, and saves that fail without harming the previous world.
#include "world/save_file.h"

#include "program/world_setup.h"
#include "world/terrain.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class SaveFile : public testing::Test {
protected:
    SaveFile() : grid(allocateWorldGrid()), savePath(scratch.path(saveFileName))
    {
        makeFakeBlockTypes(types);
        consoleOutputOf([&] { generateTerrainFromSeed(grid.get(), types, 5); });
        state = newGameState(fakeBitmap(0xB1));
    }

    static ALLEGRO_BITMAP *fakeBitmap(uintptr_t value) { return reinterpret_cast<ALLEGRO_BITMAP *>(value); }

    std::string save() { return consoleOutputOf([&] { saveWorldTo(savePath.c_str(), grid.get(), state); }); }

    // Loads into `target`, with its own table, and returns the console output.
    std::string load(Block *target, GameState &into, const Block *table)
    {
        return consoleOutputOf([&] { into = loadWorldFrom(savePath.c_str(), target, into, table); });
    }

    std::vector<unsigned char> storedGrid(const Block *cells) const
    {
        std::vector<unsigned char> bytes(worldCellCount * storedBlockSize);
        for (size_t i = 0; i < worldCellCount; i++)
            encodeBlock(cells[i], &bytes[i * storedBlockSize]);
        return bytes;
    }

    std::vector<unsigned char> storedState(const GameState &s) const
    {
        std::vector<unsigned char> bytes(storedStateSize);
        encodeGameState(s, bytes.data());
        return bytes;
    }

    // A file that fails a check must leave the loader's grid and state alone.
    void expectRejected(const std::string &expectedLine)
    {
        std::unique_ptr<Block[]> target = allocateWorldGrid();
        consoleOutputOf([&] { generateTerrainFromSeed(target.get(), types, 77); });
        std::vector<unsigned char> before = storedGrid(target.get());
        GameState into = newGameState(fakeBitmap(0xC2));
        into.inventory[2] = 17;
        into.keys[keyRight] = 1;
        GameState expected = into;
        expected.loadFailed = 1;

        EXPECT_EQ(load(target.get(), into, types), expectedLine);
        EXPECT_EQ(storedState(into), storedState(expected));
        EXPECT_EQ(into.playerBitmap, fakeBitmap(0xC2));
        EXPECT_EQ(storedGrid(target.get()), before);
    }

    ScratchDirectory scratch;
    std::unique_ptr<Block[]> grid;
    Block types[blockTypeCount];
    GameState state;
    std::string savePath;
};

TEST_F(SaveFile, HoldsTheHeaderThenEveryCellInColumnMajorOrder)
{
    Block &dug = grid[cellIndex(3, 200)];
    copyBlockType(dug, types[blockUnderground]);
    state.inventory[0] = 12;
    EXPECT_EQ(save(), "Saved the world!\n");

    std::vector<unsigned char> file = readFileBytes(savePath);
    ASSERT_EQ(file.size(), 9677080u);
    EXPECT_EQ(std::vector<unsigned char>(file.begin(), file.begin() + 280), storedState(state));
    const unsigned char *cell = &file[280 + (3 * 480 + 200) * 28];
    EXPECT_EQ(std::memcmp(cell, "Undergro", 8), 0);
    EXPECT_EQ(cell[8], 6);
    EXPECT_EQ(cell[16], 1);
    EXPECT_EQ(std::vector<unsigned char>(file.begin() + 280, file.end()), storedGrid(grid.get()));
    EXPECT_FALSE(fileExists(savePath + ".tmp"));
}

TEST_F(SaveFile, RoundTripRestoresEveryCellAndTheStateByTheLoadRule)
{
    grid[cellIndex(0, 0)].paddingAfterPassable[1] = 0x77;  // meaningless bytes travel too
    grid[cellIndex(719, 479)].x = -3.5f;                   // positions are taken as stored
    copyBlockType(grid[cellIndex(100, 121)], types[blockUnderground]);
    state.playerX = 1000.0f;
    state.playerY = 1190.0f;
    state.inventory[1] = 3;
    state.inventory[3] = -1;
    state.onGround = 1;
    state.selectedBlock = 3;
    state.keys[keyRight] = 1;
    state.screenWidth = 1680;
    state.screenHeight = 1050;
    save();

    Block otherTypes[blockTypeCount];
    makeFakeBlockTypes(otherTypes, 0x9000); // another run's tiles
    std::unique_ptr<Block[]> target = allocateWorldGrid();
    GameState into = newGameState(fakeBitmap(0xD3)); // 1440 by 900
    EXPECT_EQ(load(target.get(), into, otherTypes), "Loaded the world!\n");

    EXPECT_EQ(storedGrid(target.get()), storedGrid(grid.get()));
    for (size_t i = 0; i < worldCellCount; i++)
        ASSERT_EQ(target[i].bitmap, otherTypes[target[i].type].bitmap) << "cell " << i;
    EXPECT_EQ(target[cellIndex(100, 121)].bitmap, otherTypes[blockNull].bitmap);

    GameState expected = state;
    expected.playerBitmap = fakeBitmap(0xD3);
    expected.screenWidth = 1440;
    expected.screenHeight = 900;
    EXPECT_EQ(storedState(into), storedState(expected));
    EXPECT_EQ(into.playerBitmap, fakeBitmap(0xD3));
}

TEST_F(SaveFile, SavingTwiceReplacesTheFileWhole)
{
    save();
    state.inventory[0] = 5;
    EXPECT_EQ(save(), "Saved the world!\n");
    std::vector<unsigned char> file = readFileBytes(savePath);
    ASSERT_EQ(file.size(), saveFileSize);
    EXPECT_EQ(file[8], 5);
}

TEST_F(SaveFile, MissingFileChangesNothingButTheFailureFlag) { expectRejected("No save found\n"); }

TEST_F(SaveFile, ADirectoryInPlaceOfTheFileCountsAsMissing)
{
    std::filesystem::create_directory(savePath);
    expectRejected("No save found\n");
}

TEST_F(SaveFile, DamagedFilesAreRejectedWhole)
{
    save();
    const std::vector<unsigned char> good = readFileBytes(savePath);

    struct Damage {
        const char *what;
        std::vector<unsigned char> bytes;
    };
    std::vector<Damage> damages;
    damages.push_back({"empty", {}});
    damages.push_back({"header only", std::vector<unsigned char>(good.begin(), good.begin() + 280)});
    damages.push_back({"one byte short", std::vector<unsigned char>(good.begin(), good.end() - 1)});
    damages.push_back({"one byte long", good});
    damages.back().bytes.push_back(0);
    for (auto [offset, type] : {std::pair{280 + 8, -1}, {280 + 100 * 28 + 8, 7}, {good.size() - 20, 0x7FFFFFFF}}) {
        damages.push_back({"bad type", good});
        std::memcpy(&damages.back().bytes[offset], &type, 4);
    }

    for (const Damage &damage : damages) {
        SCOPED_TRACE(damage.what);
        writeFileBytes(savePath, damage.bytes);
        expectRejected("Save file is damaged\n");
    }
}

TEST_F(SaveFile, AFailedSaveKeepsThePreviousFileAndSaysSo)
{
    save();
    const std::vector<unsigned char> previous = readFileBytes(savePath);
    state.inventory[0] = 99;

    // The temporary file cannot be created.
    std::filesystem::create_directory(savePath + ".tmp");
    EXPECT_EQ(save(), "Failed to save the world!\n");
    EXPECT_EQ(readFileBytes(savePath), previous);
    std::filesystem::remove(savePath + ".tmp");

    // The directory does not exist.
    std::string nowhere = scratch.path("no-such-directory/" + std::string(saveFileName));
    EXPECT_EQ(consoleOutputOf([&] { saveWorldTo(nowhere.c_str(), grid.get(), state); }),
              "Failed to save the world!\n");

    // The target is a directory: the complete temporary file cannot replace it.
    std::string directoryTarget = scratch.path("taken");
    std::filesystem::create_directories(directoryTarget + "/inside");
    EXPECT_EQ(consoleOutputOf([&] { saveWorldTo(directoryTarget.c_str(), grid.get(), state); }),
              "Failed to save the world!\n");
    EXPECT_TRUE(std::filesystem::is_directory(directoryTarget + "/inside"));
    EXPECT_FALSE(fileExists(directoryTarget + ".tmp"));
}

TEST_F(SaveFile, ADiskThatFillsUpMidWriteKeepsThePreviousFile)
{
    save();
    const std::vector<unsigned char> previous = readFileBytes(savePath);
    state.inventory[0] = 99;

    // A file size limit makes the write stop short, as a full disk does.
    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {1 << 20, 1 << 20};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(writeWorldFile(savePath.c_str(), grid.get(), state) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the save reported success";
    EXPECT_EQ(readFileBytes(savePath), previous);
    EXPECT_FALSE(fileExists(savePath + ".tmp"));
}

TEST_F(SaveFile, StartUpLoadsOrFallsBackToANewWorld)
{
    GameState asked = newGameState(fakeBitmap(0xE4));
    asked.loadSavedWorld = 1;
    std::unique_ptr<Block[]> target = allocateWorldGrid();

    GameState result;
    WorldOrigin origin;
    auto loadOrGenerateWorld = [&](GameState state, Block *grid, const Block *types) {
        return ::loadOrGenerateWorld(state, grid, types, readSaveFileBytes(saveFileName), origin);
    };
    inDirectory(scratch.path(), [&] {
        std::string lines = consoleOutputOf([&] { result = loadOrGenerateWorld(asked, target.get(), types); });
        EXPECT_EQ(lines, "Loading a saved world\nNo save found\n"
                         "Error Loading, making a new world instead.\n"
                         "Clicked block coords: 0.000000x0.000000\n");
        EXPECT_EQ(storedState(result), storedState(asked)); // loadFailed back to 0
        EXPECT_EQ(target[cellIndex(5, 121)].type, blockGrass);

        save();
        lines = consoleOutputOf([&] { result = loadOrGenerateWorld(asked, target.get(), types); });
        EXPECT_EQ(lines, "Loading a saved world\nLoaded the world!\n");
        EXPECT_EQ(storedGrid(target.get()), storedGrid(grid.get()));

        GameState fresh = newGameState(fakeBitmap(0xE4));
        lines = consoleOutputOf([&] { result = loadOrGenerateWorld(fresh, target.get(), types); });
        EXPECT_EQ(lines, "Generating a New World\nClicked block coords: 0.000000x0.000000\n");
    });
}

} // namespace
