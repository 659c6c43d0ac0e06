#include "platform/fs/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/fs/path.h"
#include "platform/fs/regular_file.h"

namespace platform::fs {

namespace {

void SetError(OpenError* error, OpenError value) {
  if (error) *error = value;
}

// write() until every byte is out; false on any failure.
bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool CopyContents(int from, int to) {
  char buffer[65536];
  for (;;) {
    ssize_t n = read(from, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (!WriteAll(to, buffer, static_cast<size_t>(n))) return false;
  }
}

}  // namespace

FILE* OpenFile(std::string_view name, OpenMode mode, OpenError* error) {
  std::string path = ResolvePath(name);
  int flags = 0;
  const char* stdio_mode = "rb";
  switch (mode) {
    case OpenMode::kReadExisting: flags |= O_RDONLY; break;
    case OpenMode::kCreateNew: flags |= O_WRONLY | O_CREAT | O_EXCL; stdio_mode = "wb"; break;
    case OpenMode::kAppend: flags |= O_WRONLY | O_CREAT | O_APPEND; stdio_mode = "ab"; break;
  }
  int fd = path.empty() ? -1 : OpenRegularFile(path.c_str(), flags);
  if (fd < 0) {
    if (errno == ENOENT && mode == OpenMode::kReadExisting)
      SetError(error, OpenError::kNotFound);
    else if (errno == EEXIST)
      SetError(error, OpenError::kExists);
    else
      SetError(error, OpenError::kFailed);
    return nullptr;
  }
  FILE* file = fdopen(fd, stdio_mode);
  if (!file) {
    close(fd);
    SetError(error, OpenError::kFailed);
    return nullptr;
  }
  SetError(error, OpenError::kNone);
  return file;
}

int64_t FileSize(std::string_view name) {
  struct stat st;
  if (stat(ResolvePath(name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return st.st_size;
}

int64_t FileSize(FILE* file) {
  struct stat st;
  if (!file || std::fflush(file) != 0 || fstat(fileno(file), &st) != 0) return -1;
  return st.st_size;
}

bool DeleteFile(std::string_view name) {
  std::string path = ResolvePath(name);
  struct stat st;
  if (lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  return unlink(path.c_str()) == 0;
}

bool RenameFile(std::string_view source, std::string_view target) {
  std::string from = ResolvePath(source), to = ResolvePath(target);
  if (from.empty() || to.empty()) return false;
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without the no-replace flag: test first (racy, but nothing else is possible there).
  struct stat st;
  if (lstat(to.c_str(), &st) == 0) return false;
  return rename(from.c_str(), to.c_str()) == 0;
}

bool CopyFileNoOverwrite(std::string_view source, std::string_view target) {
  std::string from = ResolvePath(source), to = ResolvePath(target);
  if (from.empty() || to.empty()) return false;
  int in = OpenRegularFile(from.c_str(), O_RDONLY);
  if (in < 0) return false;
  struct stat st;
  if (fstat(in, &st) != 0) {
    close(in);
    return false;
  }
  int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 0777);
  if (out < 0) {
    close(in);
    return false;
  }
  bool ok = CopyContents(in, out);
  ok = (close(out) == 0) && ok;
  close(in);
  if (!ok) unlink(to.c_str());
  return ok;
}

bool MakeFolder(std::string_view name) {
  std::string path = ResolvePath(name);
  return !path.empty() && mkdir(path.c_str(), 0777) == 0;
}

bool RemoveFolder(std::string_view name) {
  std::string path = ResolvePath(name);
  return !path.empty() && rmdir(path.c_str()) == 0;
}

}  // namespace platform::fs
