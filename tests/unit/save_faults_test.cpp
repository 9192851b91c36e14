// Faults while saving: a directory that cannot be written, a disk that fills
// up, a process killed in the middle of a save, another game saving into the
// same folder. The previous save must stay whole and loadable, and the
// console must say when a save failed.
#include "core/system.h"
#include "world/save_file.h"
#include "world/terrain.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <thread>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int childSkipped = 77;
constexpr uid_t nobody = 65534;

class SaveFaults : public testing::Test {
protected:
    SaveFaults() : grid(allocateWorldGrid())
    {
        makeFakeBlockTypes(types);
        consoleOutputOf([&] { generateTerrainFromSeed(grid.get(), types, 31); });
        state = newGameState(nullptr);
    }

    // Runs `work` in a child process; returns its exit status.
    static int inChild(const std::function<int()> &work)
    {
        std::fflush(stdout);
        pid_t child = fork();
        if (child == 0)
            _exit(work());
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    // The save at `path` loads, and holds exactly `bytes`.
    void expectIntact(const std::string &path, const std::vector<unsigned char> &bytes)
    {
        EXPECT_EQ(readFileBytes(path), bytes);
        std::unique_ptr<Block[]> target = allocateWorldGrid();
        GameState loaded = newGameState(nullptr);
        EXPECT_EQ(readWorldFile(path.c_str(), target.get(), loaded, types), LoadOutcome::loaded);
    }

    ScratchDirectory scratch;
    std::unique_ptr<Block[]> grid;
    Block types[blockTypeCount];
    GameState state;
};

TEST_F(SaveFaults, ADirectoryThatCannotBeWrittenKeepsThePreviousSave)
{
    std::string directory = scratch.path("locked");
    std::filesystem::create_directory(directory);
    std::string path = directory + "/" + saveFileName;
    ASSERT_TRUE(writeWorldFile(path.c_str(), grid.get(), state));
    const std::vector<unsigned char> previous = readFileBytes(path);
    chmod(directory.c_str(), 0555);
    state.inventory[0] = 42;

    // Permissions do not hold back the superuser: save as nobody instead.
    int status = inChild([&] {
        if (geteuid() == 0 && (setgid(nobody) != 0 || setuid(nobody) != 0))
            return 3;
        return consoleOutputOf([&] { saveWorldTo(path.c_str(), grid.get(), state); }) ==
                       "Failed to save the world!\n"
                   ? 0
                   : 4;
    });
    chmod(directory.c_str(), 0755);
    EXPECT_EQ(status, 0);
    expectIntact(path, previous);
    EXPECT_FALSE(fileExists(path + ".tmp"));
}

TEST_F(SaveFaults, AFullDiskKeepsThePreviousSave)
{
    // A tmpfs with room for one save and a little more, in a mount namespace
    // of its own; skipped where mounting is not allowed.
    std::string disk = scratch.path("disk");
    std::filesystem::create_directory(disk);
    std::string path = disk + "/" + saveFileName;
    int status = inChild([&] {
        if (unshare(CLONE_NEWNS) != 0 || mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=12m") != 0)
            return childSkipped;
        if (!writeWorldFile(path.c_str(), grid.get(), state))
            return 3;
        const std::vector<unsigned char> previous = readFileBytes(path);
        state.inventory[1] = 42;
        if (consoleOutputOf([&] { saveWorldTo(path.c_str(), grid.get(), state); }) != "Failed to save the world!\n")
            return 4;
        if (readFileBytes(path) != previous)
            return 5;
        if (fileExists(path + ".tmp"))
            return 6;
        GameState loaded = newGameState(nullptr);
        std::unique_ptr<Block[]> target = allocateWorldGrid();
        return readWorldFile(path.c_str(), target.get(), loaded, types) == LoadOutcome::loaded ? 0 : 7;
    });
    if (status == childSkipped)
        GTEST_SKIP() << "cannot mount a small disk here";
    EXPECT_EQ(status, 0);
}

TEST_F(SaveFaults, AProcessKilledWhileSavingLeavesAWholeSave)
{
    std::string path = scratch.path(saveFileName);
    std::string temporary = path + ".tmp";
    ASSERT_TRUE(writeWorldFile(path.c_str(), grid.get(), state));
    const std::vector<unsigned char> previous = readFileBytes(path);
    GameState next = state;
    next.inventory[3] = 9;

    std::vector<unsigned char> saved;
    for (int trial = 0; trial < 8; trial++) {
        std::filesystem::remove(temporary);
        std::fflush(stdout);
        pid_t child = fork();
        if (child == 0) {
            writeWorldFile(path.c_str(), grid.get(), next);
            _exit(0);
        }
        // Kill it as soon as its temporary file shows: in the middle of the save.
        for (int poll = 0; poll < 200000 && !fileExists(temporary); poll++) {
            int status;
            if (waitpid(child, &status, WNOHANG) == child) {
                child = 0;
                break;
            }
        }
        if (child != 0) {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
        }
        std::vector<unsigned char> now = readFileBytes(path);
        if (saved.empty() && now != previous)
            saved = now; // the new save made it through before the kill
        EXPECT_TRUE(now == previous || now == saved) << "trial " << trial << ": a half-written save";
        EXPECT_EQ(now.size(), saveFileSize);
        std::unique_ptr<Block[]> target = allocateWorldGrid();
        GameState loaded = newGameState(nullptr);
        EXPECT_EQ(readWorldFile(path.c_str(), target.get(), loaded, types), LoadOutcome::loaded);
        if (!saved.empty())
            break; // from here on the previous save is the new one
    }
    // A temporary file left by a killed save does not stand in the way.
    EXPECT_EQ(consoleOutputOf([&] { saveWorldTo(path.c_str(), grid.get(), state); }), "Saved the world!\n");
    expectIntact(path, previous);
}

// Another game in the middle of a save: it has claimed the temporary file
// and written half of it, and waits for a word to finish or to be killed.
class GameSavingElsewhere {
public:
    GameSavingElsewhere(const std::string &path, const std::vector<unsigned char> &world)
    {
        int ready[2], go[2];
        if (pipe(ready) != 0 || pipe(go) != 0)
            std::abort();
        std::fflush(stdout);
        child = fork();
        if (child == 0) {
            const std::string temporary = path + ".tmp";
            const SystemFile file = claimNewFile(temporary.c_str());
            char word = isOpen(file) && writeFile(file, world.data(), world.size() / 2) ? 'y' : 'n';
            if (write(ready[1], &word, 1) != 1 || read(go[0], &word, 1) != 1)
                _exit(2);
            _exit(writeFile(file, world.data() + world.size() / 2, world.size() - world.size() / 2) &&
                          replaceWithClaimedFile(file, temporary.c_str(), path.c_str())
                      ? 0
                      : 1);
        }
        char word = 'n';
        claimed = read(ready[0], &word, 1) == 1 && word == 'y';
        finishWord = go[1];
        close(ready[0]);
        close(ready[1]);
        close(go[0]);
    }
    ~GameSavingElsewhere() { close(finishWord); }

    // The exit status of the other game's save: 0 when it saved.
    int finish()
    {
        const char word = 'f';
        if (write(finishWord, &word, 1) != 1)
            return -1;
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    void kill()
    {
        ::kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }

    bool claimed = false;

private:
    pid_t child = -1;
    int finishWord = -1;
};

TEST_F(SaveFaults, GamesSavingIntoOneFolderTakeTurns)
{
    const std::string path = scratch.path(saveFileName);
    ASSERT_TRUE(writeWorldFile(path.c_str(), grid.get(), state));
    const std::vector<unsigned char> previous = readFileBytes(path);
    std::vector<unsigned char> theirs = previous;
    theirs[8] = 77; // their Dirt count

    GameSavingElsewhere other(path, theirs);
    ASSERT_TRUE(other.claimed);
    // A save that may not wait leaves the other game's file alone.
    state.inventory[0] = 5;
    EXPECT_FALSE(writeWorldFile(path.c_str(), grid.get(), state, 0));
    EXPECT_EQ(readFileBytes(path + ".tmp").size(), theirs.size() / 2);
    expectIntact(path, previous);

    // One that waits saves once the other game has: its world is the last.
    std::string lines;
    std::thread ours([&] { lines = consoleOutputOf([&] { saveWorldTo(path.c_str(), grid.get(), state); }); });
    EXPECT_EQ(other.finish(), 0) << "the other game's save failed";
    ours.join();
    EXPECT_EQ(lines, "Saved the world!\n");
    GameState loaded = newGameState(nullptr);
    std::unique_ptr<Block[]> target = allocateWorldGrid();
    ASSERT_EQ(readWorldFile(path.c_str(), target.get(), loaded, types), LoadOutcome::loaded);
    EXPECT_EQ(loaded.inventory[0], 5);
}

TEST_F(SaveFaults, AKilledSaveDoesNotHoldUpTheNext)
{
    const std::string path = scratch.path(saveFileName);
    ASSERT_TRUE(writeWorldFile(path.c_str(), grid.get(), state));
    const std::vector<unsigned char> previous = readFileBytes(path);

    GameSavingElsewhere other(path, previous);
    ASSERT_TRUE(other.claimed);
    other.kill();
    ASSERT_TRUE(fileExists(path + ".tmp"));
    // Without any wait: nothing living holds the file it left.
    state.inventory[2] = 3;
    EXPECT_TRUE(writeWorldFile(path.c_str(), grid.get(), state, 0));
    EXPECT_NE(readFileBytes(path), previous);
    EXPECT_FALSE(fileExists(path + ".tmp"));
}

} // namespace
