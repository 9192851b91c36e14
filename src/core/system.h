// The operating system's files and console: the one place where Linux and
// Windows differ. system_posix.cpp and system_windows.cpp each give all of
// it; the rest of the game knows nothing of either.
//
// The files are those of folders the game does not control (the working
// directory, session folders from elsewhere), so nothing is ever opened but
// a regular file, nothing is written through a link, and every new file is
// made new.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// An open file, or none.
struct SystemFile {
    intptr_t handle;
};
constexpr SystemFile noFile = {-1};
inline bool isOpen(SystemFile file) { return file.handle != noFile.handle; }

// Opens a regular file for reading, directly or through links. Anything
// else at the name (a pipe, a socket, a device, a folder) is never opened,
// so nothing can block or stir a device: noFile, as for a missing file.
SystemFile openRegularFile(const char *path);

// Makes a new file for writing; noFile when anything at all stands at the
// name, a link included.
SystemFile createNewFile(const char *path);

// Up to `size` bytes; 0 at the end of the file, -1 on an error.
int64_t readFile(SystemFile file, void *bytes, size_t size);

// All of the bytes, or false.
bool writeFile(SystemFile file, const void *bytes, size_t size);

// Onto the disk, or false.
bool syncFile(SystemFile file);

// Shortens the file to `length` bytes.
bool truncateFile(SystemFile file, int64_t length);

// Whether the file no longer has a name: its folder was deleted under it.
bool fileWasRemoved(SystemFile file);

bool closeFile(SystemFile file);

// Removes the name: a link, never what it leads to. False when nothing was
// removed.
bool removeFile(const char *path);

// Files that two programs may make at one name at the same moment (two games
// saving into one folder): they take turns. A claimed file is new, and this
// program's alone until it is replaced or discarded; no other program takes
// the name from under it meanwhile.

// How long a claim waits for another program's turn at the name, at most:
// longer than any save takes on a slow disk.
constexpr double claimWaitSeconds = 2.0;

// Makes a new file at `path` for writing and claims it. Another program's
// claimed file there is waited for, up to `waitSeconds`, and left alone;
// anything else at the name (a file that no living program holds, left by
// one that was killed; a link) is removed first, never written into. noFile
// when the wait runs out or nothing can be made there.
SystemFile claimNewFile(const char *path, double waitSeconds = claimWaitSeconds);

// Puts the claimed file at `from` in the place of `to` in one step that
// survives a crash, over whatever file or link stood there, and closes it.
// Brief holds by other programs (a virus scanner reading the old file) are
// waited out. On failure the file stays claimed.
bool replaceWithClaimedFile(SystemFile claimed, const char *from, const char *to);

// Removes a claimed file at `path` and closes it.
void discardClaimedFile(SystemFile claimed, const char *path);

// One try at a claim, for claimNewFile: each system's own part of it.
enum class ClaimStep {
    claimed, // the file is made and ours
    again,   // the name changed under the try: try again at once
    busy,    // another program holds the name: try again a little later
    failed   // nothing can be made there
};
ClaimStep tryClaimNewFile(const char *path, SystemFile &claimed);

// Why the last call above failed, in the system's words.
std::string systemError();

// Makes the player's data folder for `name` when it is missing and makes it
// the working directory: on Linux $XDG_DATA_HOME/name (by default
// ~/.local/share/name), on Windows %LOCALAPPDATA%\name. False, with the
// folder and the problem, when that cannot be done.
bool enterDataFolder(const char *name, std::string &problem);

// Keeps the console log live line by line, also through a pipe or a file.
void keepConsoleLive();
