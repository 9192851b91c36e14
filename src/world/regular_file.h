// Opening files that may stand in a folder we do not control: the working
// directory, a session folder from elsewhere.
#pragma once

// Opens `path` for reading when it is a regular file, directly or through
// links; -1 for anything else. A pipe, a socket, a device or a folder at the
// name is never opened, so nothing can block or stir a device; should the
// name change between the look and the open, the open cannot block and the
// second look refuses what it found.
int openRegularFile(const char *path);
