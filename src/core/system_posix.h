// The steps of the POSIX files that each POSIX system takes its own way:
// system_disk.cpp on a system with a disk, system_web.cpp in a browser. The
// rest of system.h is in system_posix.cpp.
#pragma once

// Renames `from` over `to` and keeps the result: on a disk, the rename
// itself is synced; in a browser, the folder is stored. False, with `to`
// as it was, when that fails.
bool renameDurably(const char *from, const char *to);
