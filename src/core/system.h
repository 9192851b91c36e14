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

// Puts `from` in the place of `to` in one step that survives a crash, over
// whatever file or link stood there. Brief holds by other programs (a virus
// scanner reading the old file) are waited out.
bool replaceFile(const char *from, const char *to);

// Why the last call above failed, in the system's words.
std::string systemError();

// Keeps the console log live line by line, also through a pipe or a file.
void keepConsoleLive();
