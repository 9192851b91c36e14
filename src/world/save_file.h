// The one save slot: the state record's stored form followed by every cell's,
// 9,677,080 bytes, little-endian, no magic number or version.
#pragma once

#include "core/game_state.h"
#include "core/system.h"
#include "world/block.h"

#include <memory>

constexpr const char *saveFileName = "ClodmereSave.wld";
constexpr size_t saveFileSize = storedStateSize + worldCellCount * storedBlockSize;

// Writes "ClodmereSave.wld" and prints "Saved the world!", or, when any step
// fails, leaves the old file as it was and prints "Failed to save the world!".
void saveWorld(const Block *grid, GameState state);

// The same for any path.
void saveWorldTo(const char *path, const Block *grid, GameState state);

// The writing alone, silent: the whole file goes to path + ".tmp", made new,
// is synced and then renamed over path, so a failure at any point keeps the
// old file. Nothing is ever written through a link: a link at path is
// replaced by the new file. Games saving into one folder at once take turns:
// another's save in progress is waited for, up to `waitSeconds`.
bool writeWorldFile(const char *path, const Block *grid, const GameState &state,
                    double waitSeconds = claimWaitSeconds);

// Reads "ClodmereSave.wld" over the grid and returns the file's record, with
// the caller's player bitmap and display size kept. A missing or damaged file
// changes nothing but `loadFailed`, which comes back as 1. Prints one line.
GameState loadWorld(Block *grid, GameState state, const Block blockTypes[blockTypeCount]);

enum class LoadOutcome { loaded, missing, damaged };

// A save file's bytes as read, before any check: `missing` when there is no
// regular file to read (a pipe, a socket, a device or a folder at the name,
// directly or through a link, is never opened), `damaged` when reading
// failed part way. At most one
// byte more than a save holds is read, so that a longer file shows itself.
struct SaveFileBytes {
    LoadOutcome outcome = LoadOutcome::missing;
    std::unique_ptr<unsigned char[]> bytes;
    size_t size = 0;
};

SaveFileBytes readSaveFileBytes(const char *path);

// Whether bytes read make a whole save: the right length, and every cell's
// type within the block-type table.
bool isWholeSave(const unsigned char *bytes, size_t size);

// The reading alone, silent. Only a loaded file changes the grid and `state`.
LoadOutcome readWorldFile(const char *path, Block *grid, GameState &state,
                          const Block blockTypes[blockTypeCount]);

// The checks and the decoding alone, on a file's bytes already in memory.
LoadOutcome decodeWorld(const unsigned char *bytes, size_t size, Block *grid, GameState &state,
                        const Block blockTypes[blockTypeCount]);

// Loading from bytes already read, with the loader's console line.
GameState loadWorldFromBytes(const SaveFileBytes &file, Block *grid, GameState state,
                             const Block blockTypes[blockTypeCount]);

// The same for any path.
GameState loadWorldFrom(const char *path, Block *grid, GameState state,
                        const Block blockTypes[blockTypeCount]);
