#include "platform/fs/save.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/fs/path.h"
#include "platform/fs/regular_file.h"

namespace platform::fs {

namespace {

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The rename is only durable once the folder entry is on disk too.
void SyncFolder(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

bool ReplaceDurably(const std::string& written, const std::string& target) {
  const int fd = OpenRegularFile(written.c_str(), O_RDONLY);
  bool ok = fd >= 0 && fsync(fd) == 0;
  if (fd >= 0) close(fd);
  ok = ok && rename(written.c_str(), target.c_str()) == 0;
  if (!ok) {
    unlink(written.c_str());
    return false;
  }
  SyncFolder(FolderOf(target));
  return true;
}

SafeSave::SafeSave(std::string_view target) : target_(ResolvePath(target)) {
  if (target_.empty() || target_.back() == '/') return;
  // No part of the target's name in the temporary one: listings filtered by extension (".prf",
  // ".qel") must not pick up a temporary left behind by a crash.
  std::string pattern = FolderOf(target_) + "/.qel-save-XXXXXX";
  int fd = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) return;
  struct stat st;
  fchmod(fd, stat(target_.c_str(), &st) == 0 ? (st.st_mode & 0777) : 0644);
  file_ = fdopen(fd, "wb");
  if (!file_) {
    close(fd);
    unlink(pattern.c_str());
    return;
  }
  temporary_ = std::move(pattern);
}

SafeSave::~SafeSave() { Abandon(); }

bool SafeSave::Commit() {
  if (!file_) return false;
  bool ok = std::fflush(file_) == 0 && !std::ferror(file_);
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  if (ok) ok = ReplaceDurably(temporary_, target_);
  else unlink(temporary_.c_str());
  temporary_.clear();
  return ok;
}

void SafeSave::Abandon() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  if (!temporary_.empty()) unlink(temporary_.c_str());
  temporary_.clear();
}

bool SaveWholeFile(std::string_view name, const void* data, size_t size) {
  SafeSave save(name);
  if (!save.file()) return false;
  if (size > 0 && std::fwrite(data, 1, size, save.file()) != size) return false;
  return save.Commit();
}

}  // namespace platform::fs
