// Saving on Windows while another program holds the old save open, as a
// virus scanner does for a moment: the save waits briefly and succeeds; held
// for good, it fails with the game's line and the old save stays whole. And
// the temporary file: another game's, still open, is left alone; one that
// nobody holds (a killed save's) is replaced at once.
// Run under Wine by the Windows test suite; prints one line per case.
#include "core/system.h"
#include "world/save_file.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<char> bytesOf(const char *path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(file), {});
}

// Opened the way a scanner opens it: reading, without letting it be replaced.
HANDLE holdOpen(const char *path)
{
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool check(bool passed, const char *what)
{
    std::printf("%s: %s\n", passed ? "passed" : "FAILED", what);
    return passed;
}

} // namespace

int main()
{
    std::unique_ptr<Block[]> grid = allocateWorldGrid();
    GameState state = newGameState(nullptr);
    if (!writeWorldFile(saveFileName, grid.get(), state))
        return check(false, "a first save") ? 0 : 1;
    const std::vector<char> first = bytesOf(saveFileName);
    bool passed = true;

    HANDLE briefly = holdOpen(saveFileName);
    std::thread scanner([briefly] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        CloseHandle(briefly);
    });
    state.inventory[0] = 1;
    passed &= check(briefly != INVALID_HANDLE_VALUE && writeWorldFile(saveFileName, grid.get(), state) &&
                        bytesOf(saveFileName) != first,
                    "a save waits out a brief hold on the old file");
    scanner.join();

    const std::vector<char> second = bytesOf(saveFileName);
    HANDLE forGood = holdOpen(saveFileName);
    state.inventory[0] = 2;
    std::fflush(stdout);
    passed &= check(forGood != INVALID_HANDLE_VALUE && !writeWorldFile(saveFileName, grid.get(), state) &&
                        bytesOf(saveFileName) == second &&
                        GetFileAttributesA((std::string(saveFileName) + ".tmp").c_str()) == INVALID_FILE_ATTRIBUTES,
                    "a save over a file held for good fails and keeps the old save whole");
    CloseHandle(forGood);

    const std::string temporary = std::string(saveFileName) + ".tmp";
    const SystemFile theirs = claimNewFile(temporary.c_str());
    passed &= check(isOpen(theirs) && writeFile(theirs, "half", 4) &&
                        !writeWorldFile(saveFileName, grid.get(), state, 0) && bytesOf(saveFileName) == second &&
                        GetFileAttributesA(temporary.c_str()) != INVALID_FILE_ATTRIBUTES,
                    "another game's save in progress is left alone");
    closeFile(theirs);
    passed &= check(writeWorldFile(saveFileName, grid.get(), state, 0) && bytesOf(saveFileName) != second,
                    "a temporary file that nobody holds is replaced at once");
    return passed ? 0 : 1;
}
