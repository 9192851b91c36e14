// The steps of the POSIX files that each POSIX system takes its own way:
// system_disk.cpp on a system with a disk, system_web.cpp in a browser. The
// rest of system.h is in system_posix.cpp.
#pragma once

// Renames `from` over `to` and keeps the result: on a disk, the rename
// itself is synced; in a browser, the page's storage keeps the new file.
// False, with `to` as it was, when that fails.
bool renameDurably(const char *from, const char *to);

// Before `path` is opened for reading. On a disk the file is what every
// program sees; in a browser the page brings its copy of the save slot up
// to the newest save that any tab of the site kept.
void catchUpBeforeReading(const char *path);
