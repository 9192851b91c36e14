// Saving and loading the world. A save goes to a temporary file that replaces
// the old one only once it is complete on disk; a load checks the whole file
// before it touches the grid or the state.
#include "world/save_file.h"

#include "core/byte_order.h"
#include "core/system.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

// A whole file's bytes. Left uninitialised: every byte is written or read
// before it is used, and zeroing 9 MB would cost as much as reading them.
using FileBytes = std::unique_ptr<unsigned char[]>;

FileBytes encodeWorld(const Block *grid, const GameState &state)
{
    FileBytes bytes(new unsigned char[saveFileSize]);
    encodeGameState(state, bytes.get());
    unsigned char *cell = bytes.get() + storedStateSize;
    for (size_t i = 0; i < worldCellCount; i++, cell += storedBlockSize)
        encodeBlock(grid[i], cell);
    return bytes;
}

// Every cell's type must index the block-type table.
bool cellTypesAreValid(const unsigned char *bytes)
{
    const unsigned char *cell = bytes + storedStateSize;
    for (size_t i = 0; i < worldCellCount; i++, cell += storedBlockSize) {
        int32_t type = getI32LE(cell + storedBlockTypeOffset);
        if (type < 0 || type >= blockTypeCount)
            return false;
    }
    return true;
}

} // namespace

SaveFileBytes readSaveFileBytes(const char *path)
{
    SaveFileBytes file;
    const SystemFile opened = openRegularFile(path);
    if (!isOpen(opened))
        return file;
    const size_t capacity = saveFileSize + 1;
    file.bytes.reset(new unsigned char[capacity]);
    file.outcome = LoadOutcome::loaded;
    while (file.size < capacity) {
        const int64_t got = readFile(opened, file.bytes.get() + file.size, capacity - file.size);
        if (got < 0)
            file.outcome = LoadOutcome::damaged;
        if (got <= 0)
            break;
        file.size += static_cast<size_t>(got);
    }
    closeFile(opened);
    return file;
}

bool isWholeSave(const unsigned char *bytes, size_t size)
{
    return size == saveFileSize && cellTypesAreValid(bytes);
}

bool writeWorldFile(const char *path, const Block *grid, const GameState &state, double waitSeconds)
{
    FileBytes bytes = encodeWorld(grid, state);
    std::string temporaryPath = std::string(path) + ".tmp";
    // Another game saving into the same folder has its turn first; what a
    // killed save left, or a link planted at the name, is removed, never
    // written into.
    const SystemFile temporary = claimNewFile(temporaryPath.c_str(), waitSeconds);
    if (!isOpen(temporary))
        return false;
    if (!writeFile(temporary, bytes.get(), saveFileSize) || !syncFile(temporary) ||
        !replaceWithClaimedFile(temporary, temporaryPath.c_str(), path)) {
        discardClaimedFile(temporary, temporaryPath.c_str());
        return false;
    }
    return true;
}

void saveWorldTo(const char *path, const Block *grid, GameState state)
{
    if (writeWorldFile(path, grid, state))
        std::printf("Saved the world!\n");
    else
        std::printf("Failed to save the world!\n");
}

void saveWorld(const Block *grid, GameState state) { saveWorldTo(saveFileName, grid, state); }

LoadOutcome decodeWorld(const unsigned char *bytes, size_t size, Block *grid, GameState &state,
                        const Block blockTypes[blockTypeCount])
{
    if (!isWholeSave(bytes, size))
        return LoadOutcome::damaged;
    state = takeStoredState(bytes, state);
    const unsigned char *cell = bytes + storedStateSize;
    for (size_t i = 0; i < worldCellCount; i++, cell += storedBlockSize)
        decodeBlock(cell, blockTypes, grid[i]);
    return LoadOutcome::loaded;
}

LoadOutcome readWorldFile(const char *path, Block *grid, GameState &state,
                          const Block blockTypes[blockTypeCount])
{
    SaveFileBytes file = readSaveFileBytes(path);
    if (file.outcome != LoadOutcome::loaded)
        return file.outcome;
    return decodeWorld(file.bytes.get(), file.size, grid, state, blockTypes);
}

GameState loadWorldFromBytes(const SaveFileBytes &file, Block *grid, GameState state,
                             const Block blockTypes[blockTypeCount])
{
    LoadOutcome outcome = file.outcome;
    if (outcome == LoadOutcome::loaded)
        outcome = decodeWorld(file.bytes.get(), file.size, grid, state, blockTypes);
    switch (outcome) {
    case LoadOutcome::loaded:
        std::printf("Loaded the world!\n");
        break;
    case LoadOutcome::missing:
        std::printf("No save found\n");
        state.loadFailed = 1;
        break;
    case LoadOutcome::damaged:
        std::printf("Save file is damaged\n");
        state.loadFailed = 1;
        break;
    }
    return state;
}

GameState loadWorldFrom(const char *path, Block *grid, GameState state,
                        const Block blockTypes[blockTypeCount])
{
    return loadWorldFromBytes(readSaveFileBytes(path), grid, state, blockTypes);
}

GameState loadWorld(Block *grid, GameState state, const Block blockTypes[blockTypeCount])
{
    return loadWorldFrom(saveFileName, grid, state, blockTypes);
}
