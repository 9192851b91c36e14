// Files and the console on Linux and other POSIX systems, the browser's
// among them. Each finishes a replacement its own way (system_posix.h).
#include "core/system.h"
#include "core/system_posix.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int fdOf(SystemFile file) { return static_cast<int>(file.handle); }

// Whether `path` still names the open file.
bool namesFile(const char *path, int fd)
{
    struct stat atName, opened;
    return lstat(path, &atName) == 0 && fstat(fd, &opened) == 0 && atName.st_dev == opened.st_dev &&
           atName.st_ino == opened.st_ino;
}

// A claim is an advisory lock on the file itself, which the system lets go
// when its holder dies: a killed save never blocks the next one. Where the
// file system keeps no locks, a file is claimed by being made.
enum class LockResult { locked, heldByAnother, unsupported };

LockResult lockFile(int fd)
{
    if (flock(fd, LOCK_EX | LOCK_NB) == 0)
        return LockResult::locked;
    return errno == EWOULDBLOCK ? LockResult::heldByAnother : LockResult::unsupported;
}

ClaimStep failedUnlessGone() { return errno == ENOENT ? ClaimStep::again : ClaimStep::failed; }

// Something other than a claimed file stands at the name. Only a regular
// file with no other name can be a game's; anything else (a link, a pipe, a
// device, a second name of someone's file) is removed, never opened. A file
// is removed only by whoever holds its lock, so never under a living claim.
ClaimStep clearTheName(const char *path)
{
    struct stat info;
    if (lstat(path, &info) != 0)
        return failedUnlessGone();
    if (!S_ISREG(info.st_mode) || info.st_nlink != 1)
        return unlink(path) == 0 ? ClaimStep::again : failedUnlessGone();
    const int other = open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (other < 0)
        return errno == ENOENT || errno == ELOOP ? ClaimStep::again : ClaimStep::failed;
    if (lockFile(other) == LockResult::heldByAnother) {
        close(other);
        return ClaimStep::busy;
    }
    // No living program holds it: a killed save left it.
    if (namesFile(path, other))
        unlink(path);
    close(other);
    return ClaimStep::again;
}

} // namespace

SystemFile openRegularFile(const char *path)
{
    catchUpBeforeReading(path);
    // Look first, open only a regular file. Should the name change between
    // the look and the open, the open cannot block, and the second look
    // refuses what it found.
    struct stat info;
    if (stat(path, &info) != 0)
        return noFile;
    if (!S_ISREG(info.st_mode)) {
        errno = EINVAL;
        return noFile;
    }
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return noFile;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        errno = EINVAL;
        return noFile;
    }
    return {fd};
}

SystemFile createNewFile(const char *path)
{
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    return fd < 0 ? noFile : SystemFile{fd};
}

int64_t readFile(SystemFile file, void *bytes, size_t size)
{
    for (;;) {
        ssize_t got = read(fdOf(file), bytes, size);
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

bool writeFile(SystemFile file, const void *bytes, size_t size)
{
    const char *next = static_cast<const char *>(bytes);
    while (size > 0) {
        ssize_t written = write(fdOf(file), next, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        next += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool truncateFile(SystemFile file, int64_t length) { return ftruncate(fdOf(file), length) == 0; }

bool fileWasRemoved(SystemFile file)
{
    struct stat info;
    return fstat(fdOf(file), &info) == 0 && info.st_nlink == 0;
}

bool closeFile(SystemFile file) { return close(fdOf(file)) == 0; }

bool removeFile(const char *path) { return unlink(path) == 0; }

ClaimStep tryClaimNewFile(const char *path, SystemFile &claimed)
{
    const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return errno == EEXIST ? clearTheName(path) : ClaimStep::failed;
    // Between the making and the lock another program may have found the
    // new file unheld and removed it: it is ours only if it still has the name.
    const LockResult lock = lockFile(fd);
    if (lock != LockResult::heldByAnother && namesFile(path, fd)) {
        claimed = {fd};
        return ClaimStep::claimed;
    }
    close(fd);
    return lock == LockResult::heldByAnother ? ClaimStep::busy : ClaimStep::again;
}

bool replaceWithClaimedFile(SystemFile claimed, const char *from, const char *to)
{
    if (!namesFile(from, fdOf(claimed))) {
        errno = ENOENT;
        return false;
    }
    if (!renameDurably(from, to))
        return false;
    close(fdOf(claimed));
    return true;
}

void discardClaimedFile(SystemFile claimed, const char *path)
{
    if (namesFile(path, fdOf(claimed)))
        unlink(path);
    close(fdOf(claimed));
}

std::string systemError() { return std::strerror(errno); }

namespace {

// Makes every missing folder of an absolute path, as the data folders'
// rule says: readable by their owner alone.
bool makeFolders(const std::string &path)
{
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

} // namespace

bool enterDataFolder(const char *name, std::string &problem)
{
    // A relative XDG_DATA_HOME counts as unset.
    const char *dataHome = std::getenv("XDG_DATA_HOME");
    const char *home = std::getenv("HOME");
    std::string folder;
    if (dataHome && dataHome[0] == '/')
        folder = dataHome;
    else if (home && home[0] == '/')
        folder = std::string(home) + "/.local/share";
    else {
        problem = "neither XDG_DATA_HOME nor HOME names a folder";
        return false;
    }
    folder += std::string("/") + name;
    if (!makeFolders(folder) || chdir(folder.c_str()) != 0) {
        problem = folder + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void keepConsoleLive() { std::setvbuf(stdout, nullptr, _IOLBF, 0); }
