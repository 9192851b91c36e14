// A replacement kept in the browser. The page mounts the game's folder from
// the browser's storage (IndexedDB) before the game starts; a file renamed
// there is kept only once the storage has taken the whole folder, which it
// does in one transaction, so the stored slot is the old file or the new.
#include "core/system.h"
#include "core/system_posix.h"

#include <emscripten.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace {

// A storage that has not answered by then never will (a failed transaction
// may never call back): the save has failed.
constexpr int storeWaitMilliseconds = 4000;

// 1 once the storage holds the folder; 0 when it refused or did not answer.
EM_ASYNC_JS(int, storeGameFolder, (int waitMilliseconds), {
    return await new Promise(resolve => {
        let answered = false;
        const answer = stored => {
            if (!answered) {
                answered = true;
                resolve(stored);
            }
        };
        setTimeout(() => answer(0), waitMilliseconds);
        try {
            FS.syncfs(false, error => answer(error ? 0 : 1));
        } catch (error) {
            answer(0);
        }
    });
});

bool readWhole(const char *path, std::vector<unsigned char> &bytes)
{
    std::FILE *file = std::fopen(path, "rb");
    if (!file)
        return false;
    constexpr size_t step = 65536;
    for (size_t got = step; got == step;) {
        const size_t had = bytes.size();
        bytes.resize(had + step);
        got = std::fread(bytes.data() + had, 1, step, file);
        bytes.resize(had + got);
    }
    std::fclose(file);
    return true;
}

// Puts back what stood at `path` before, or nothing when nothing did, so
// that a Load reads what the storage still holds.
void restore(const char *path, bool existed, const std::vector<unsigned char> &bytes)
{
    if (!existed) {
        std::remove(path);
        return;
    }
    if (std::FILE *file = std::fopen(path, "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
}

} // namespace

// A file is kept once its folder is stored, which renameDurably does. An
// fsync here would store the whole folder, the half-made file with it, and
// wait on the storage with no bound.
bool syncFile(SystemFile) { return true; }

bool renameDurably(const char *from, const char *to)
{
    std::vector<unsigned char> previous;
    const bool existed = readWhole(to, previous);
    if (std::rename(from, to) != 0)
        return false;
    if (storeGameFolder(storeWaitMilliseconds))
        return true;
    restore(to, existed, previous);
    errno = EIO;
    return false;
}
