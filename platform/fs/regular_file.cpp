#include "platform/fs/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform::fs {

int OpenRegularFile(const char* path, int flags, mode_t mode, struct stat* info) {
  const int fd = open(path, flags | O_NONBLOCK | O_CLOEXEC, mode);
  if (fd < 0) return -1;
  struct stat st;
  int error = 0;
  if (fstat(fd, &st) != 0)
    error = errno;
  else if (!S_ISREG(st.st_mode))
    error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  else if (fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)  // the status flags asked for, blocking
    error = errno;
  if (error == 0) {
    if (info) *info = st;
    return fd;
  }
  close(fd);
  errno = error;
  return -1;
}

}  // namespace platform::fs
