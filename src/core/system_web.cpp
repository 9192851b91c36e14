// Files in a browser. The game's folder lives in memory; the page keeps
// the save slot in the browser's storage (tools/web/page/slot.js) and
// answers for it here: a replacement counts once the page has stored the
// new file and read it back, and a read first takes the newest save any
// tab of the site stored. A page without that store keeps nothing.
#include "core/system.h"
#include "core/system_posix.h"

#include <emscripten.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace {

// 1 once the page has kept the file at `path`, or keeps nothing there; 0
// when its storage refused or did not answer in time (the page bounds
// every wait).
EM_ASYNC_JS(int, pageKeepsFile, (const char *path), {
    if (!Module.keepFile)
        return 1;
    try {
        return (await Module.keepFile(UTF8ToString(path))) ? 1 : 0;
    } catch (error) {
        return 0;
    }
});

// When the storage cannot be read, the copy in memory is what there is.
EM_ASYNC_JS(void, pageCatchesUp, (const char *path), {
    if (!Module.catchUpFile)
        return;
    try {
        await Module.catchUpFile(UTF8ToString(path));
    } catch (error) {
    }
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
// that the copy in memory is what the storage still holds.
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

void catchUpBeforeReading(const char *path) { pageCatchesUp(path); }

// A file is kept once the page has stored it, which renameDurably asks for.
bool syncFile(SystemFile) { return true; }

bool renameDurably(const char *from, const char *to)
{
    std::vector<unsigned char> previous;
    const bool existed = readWhole(to, previous);
    if (std::rename(from, to) != 0)
        return false;
    if (pageKeepsFile(to))
        return true;
    restore(to, existed, previous);
    errno = EIO;
    return false;
}
