// A replacement kept on a disk: Linux, and the replay tool under Node, whose
// files are the real ones.
#include "core/system.h"
#include "core/system_posix.h"

#include <cstdio>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Makes a rename itself durable. A folder that cannot be synced does not
// make the replacement fail: the file is complete and in place.
void syncFolderOf(const std::string &path)
{
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

} // namespace

void catchUpBeforeReading(const char *) {}

bool syncFile(SystemFile file) { return fsync(static_cast<int>(file.handle)) == 0; }

bool renameDurably(const char *from, const char *to)
{
    if (std::rename(from, to) != 0)
        return false;
    syncFolderOf(to);
    return true;
}
