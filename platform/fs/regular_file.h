// Opening files the game names. A name in a map or a profile may point at a FIFO, a device or a
// folder; a plain open of a FIFO waits for a writer that never comes and hangs the game for good.
// Every open of a named file therefore goes through here: it never blocks and yields regular files
// only.
#pragma once
#include <sys/stat.h>
#include <sys/types.h>

namespace platform::fs {

// open(2) of a resolved path with O_NONBLOCK added, refused (-1, errno EINVAL, or EISDIR for a folder)
// unless the file is a regular one; the descriptor returned blocks again as usual.
// `info`, when given, receives the file's status as the check read it.
int OpenRegularFile(const char* path, int flags, mode_t mode = 0666, struct stat* info = nullptr);

}  // namespace platform::fs
