// Opening files the game names. A name in a map or a profile may point at a FIFO, a device or a
// folder; a plain open of a FIFO waits for a writer that never comes and hangs the game for good.
// Opening some devices acts on them. Every open of a named file therefore goes through here: the
// file's kind is checked before it is opened, so it never blocks and yields regular files only.
#pragma once
#include <sys/stat.h>
#include <sys/types.h>

namespace platform::fs {

// open(2) of a resolved path, refused (-1, errno EINVAL, or EISDIR for a folder) unless the file is a
// regular one; anything else is never opened (only looked at through a path-only descriptor). With
// O_CREAT a missing file is made; with O_NOFOLLOW a symbolic link is refused as not regular.
// `info`, when given, receives the status of the file opened.
int OpenRegularFile(const char* path, int flags, mode_t mode = 0666, struct stat* info = nullptr);

// Whether two statuses are of the same file (device and inode).
inline bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

}  // namespace platform::fs
