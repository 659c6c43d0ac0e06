#include "platform/fs/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace platform::fs {

namespace {

// errno for a file that is not a regular one.
int NotRegular(const struct stat& st) { return S_ISDIR(st.st_mode) ? EISDIR : EINVAL; }

// Opens the file a path-only descriptor stands for, with real access. Through /proc the very file
// checked is opened, whatever the name points at by now; without /proc the name is opened again
// without blocking and must still be that file.
int Reopen(int pathFd, const char* path, int flags, const struct stat& checked) {
  const int access = flags & ~(O_CREAT | O_EXCL | O_NOFOLLOW | O_DIRECTORY);
  const std::string link = "/proc/self/fd/" + std::to_string(pathFd);
  int fd = open(link.c_str(), access | O_CLOEXEC);
  if (fd >= 0 || (errno != ENOENT && errno != ENOTDIR)) return fd;
  fd = open(path, (access & ~O_TRUNC) | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st;
  int error = fstat(fd, &st) != 0 ? errno : !SameFile(st, checked) || !S_ISREG(st.st_mode) ? EINVAL : 0;
  if (error == 0 && fcntl(fd, F_SETFL, access & ~O_NONBLOCK) != 0) error = errno;
  if (error == 0 && (access & O_TRUNC) && ftruncate(fd, 0) != 0) error = errno;
  if (error == 0) return fd;
  close(fd);
  errno = error;
  return -1;
}

// Hands the descriptor back with its status, or closes it.
int WithStatus(int fd, struct stat* info) {
  if (fd < 0 || !info || fstat(fd, info) == 0) return fd;
  const int error = errno;
  close(fd);
  errno = error;
  return -1;
}

}  // namespace

int OpenRegularFile(const char* path, int flags, mode_t mode, struct stat* info) {
  // A name that is neither there nor makeable (a link to nothing) ends the tries with EEXIST.
  for (int attempt = 0; attempt < 3; ++attempt) {
    // A path-only descriptor acts on nothing: the file's kind is known before it is really opened.
    const int pathFd = open(path, O_PATH | O_CLOEXEC | (flags & O_NOFOLLOW));
    if (pathFd < 0) {
      if (errno != ENOENT || !(flags & O_CREAT)) return -1;
      // Missing and to be made: a file this call creates is a regular one.
      const int fd = open(path, flags | O_EXCL | O_CLOEXEC, mode);
      if (fd >= 0 || errno != EEXIST || (flags & O_EXCL)) return WithStatus(fd, info);
      continue;  // made by someone else meanwhile: check what it is
    }
    struct stat st;
    int error = 0, fd = -1;
    if ((flags & O_CREAT) && (flags & O_EXCL))
      error = EEXIST;  // whatever it is
    else if (fstat(pathFd, &st) != 0)
      error = errno;
    else if (!S_ISREG(st.st_mode))
      error = NotRegular(st);
    else if ((fd = Reopen(pathFd, path, flags, st)) < 0)
      error = errno;
    close(pathFd);
    if (error == 0) return WithStatus(fd, info);
    errno = error;
    return -1;
  }
  return -1;
}

}  // namespace platform::fs
