// Saving and loading the world. A save goes to a temporary file that replaces
// the old one only once it is complete on disk; a load checks the whole file
// before it touches the grid or the state.
#include "world/save_file.h"

#include "core/byte_order.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::vector<unsigned char> encodeWorld(const Block *grid, const GameState &state)
{
    std::vector<unsigned char> bytes(saveFileSize);
    encodeGameState(state, bytes.data());
    unsigned char *cell = bytes.data() + storedStateSize;
    for (size_t i = 0; i < worldCellCount; i++, cell += storedBlockSize)
        encodeBlock(grid[i], cell);
    return bytes;
}

bool writeAll(int fd, const unsigned char *bytes, size_t size)
{
    while (size > 0) {
        ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// Makes the rename itself durable. A directory that cannot be synced does not
// make the save fail: the file is complete and in place.
void syncDirectoryOf(const std::string &path)
{
    size_t slash = path.rfind('/');
    std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

enum class ReadOutcome { read, missing, damaged };

// Reads a whole regular file if it has exactly the save file's length.
ReadOutcome readSaveFile(const char *path, std::vector<unsigned char> &bytes)
{
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return ReadOutcome::missing;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return ReadOutcome::missing;
    }
    // One byte more than a save holds, so that a longer file shows itself.
    bytes.resize(saveFileSize + 1);
    size_t total = 0;
    while (total < bytes.size()) {
        ssize_t got = read(fd, bytes.data() + total, bytes.size() - total);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            close(fd);
            return ReadOutcome::damaged;
        }
        if (got == 0)
            break;
        total += static_cast<size_t>(got);
    }
    close(fd);
    return total == saveFileSize ? ReadOutcome::read : ReadOutcome::damaged;
}

// Every cell's type must index the block-type table.
bool cellTypesAreValid(const std::vector<unsigned char> &bytes)
{
    const unsigned char *cell = bytes.data() + storedStateSize;
    for (size_t i = 0; i < worldCellCount; i++, cell += storedBlockSize) {
        int32_t type = getI32LE(cell + storedBlockTypeOffset);
        if (type < 0 || type >= blockTypeCount)
            return false;
    }
    return true;
}

} // namespace

bool writeWorldFile(const char *path, const Block *grid, const GameState &state)
{
    std::vector<unsigned char> bytes = encodeWorld(grid, state);
    std::string temporaryPath = std::string(path) + ".tmp";
    int fd = open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool written = writeAll(fd, bytes.data(), bytes.size()) && fsync(fd) == 0;
    bool closed = close(fd) == 0;
    if (!written || !closed || rename(temporaryPath.c_str(), path) != 0) {
        unlink(temporaryPath.c_str());
        return false;
    }
    syncDirectoryOf(path);
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

GameState loadWorldFrom(const char *path, Block *grid, GameState state,
                        const Block blockTypes[blockTypeCount])
{
    std::vector<unsigned char> bytes;
    ReadOutcome outcome = readSaveFile(path, bytes);
    if (outcome == ReadOutcome::read && !cellTypesAreValid(bytes))
        outcome = ReadOutcome::damaged;
    if (outcome != ReadOutcome::read) {
        std::printf(outcome == ReadOutcome::missing ? "No save found\n" : "Save file is damaged\n");
        state.loadFailed = 1;
        return state;
    }

    GameState loaded = takeStoredState(bytes.data(), state);
    const unsigned char *cell = bytes.data() + storedStateSize;
    for (size_t i = 0; i < worldCellCount; i++, cell += storedBlockSize)
        grid[i] = decodeBlock(cell, blockTypes);
    std::printf("Loaded the world!\n");
    return loaded;
}

GameState loadWorld(Block *grid, GameState state, const Block blockTypes[blockTypeCount])
{
    return loadWorldFrom(saveFileName, grid, state, blockTypes);
}
