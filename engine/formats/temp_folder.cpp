#include "engine/formats/temp_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/fs/folder.h"

namespace {

char g_tempFolder[kTempFolderLength] = {};

}  // namespace

void SetupTempFolder() {
  const std::string folder = platform::fs::TempFolder();  // ends in "/" when not empty
  // A path the buffer cannot hold whole would name some other folder.
  const size_t length = folder.size() < kTempFolderLength ? folder.size() : 0;
  std::memcpy(g_tempFolder, folder.data(), length);
  g_tempFolder[length] = '\0';
}

const char* ModelTempFolder() { return g_tempFolder; }

namespace {

// Whether the file at `path` holds exactly these bytes.
bool FileHolds(const std::string& path, const void* data, size_t size) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  bool same = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && uint64_t(st.st_size) == size;
  std::vector<char> held(same ? size : 0);
  for (size_t done = 0; same && done < size;) {
    const ssize_t n = read(fd, held.data() + done, size - done);
    if (n > 0) done += size_t(n);
    else same = n < 0 && errno == EINTR;
  }
  close(fd);
  return same && std::memcmp(held.data(), data, size) == 0;
}

}  // namespace

bool WriteTemporaryFile(const std::string& path, const void* data, size_t size) {
  // Mostly the name is free ("kvotemp.x" is removed after each use): one call makes the file.
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    if (errno != EEXIST) return false;
    if (FileHolds(path, data, size)) return true;
    if (unlink(path.c_str()) != 0 && errno != ENOENT) return false;
    fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
  }
  const char* bytes = static_cast<const char*>(data);
  bool ok = true;
  for (size_t done = 0; ok && done < size;) {
    const ssize_t n = write(fd, bytes + done, size - done);
    if (n > 0) done += size_t(n);
    else ok = n < 0 && errno == EINTR;
  }
  ok = close(fd) == 0 && ok;
  if (!ok) unlink(path.c_str());
  return ok;
}
