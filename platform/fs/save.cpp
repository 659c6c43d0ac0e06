#include "platform/fs/save.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>

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

// The file's data reach the disk before the rename, and the folder's entry after it.
bool SyncAndRename(int fd, const std::string& written, const std::string& target) {
  if (fsync(fd) != 0 || rename(written.c_str(), target.c_str()) != 0) return false;
  SyncFolder(FolderOf(target));
  return true;
}

// No part of the target's name in the temporary one: listings filtered by extension (".prf", ".qel")
// must not pick up a temporary left behind by a crash.
constexpr char kTemporaryPrefix[] = ".qel-save-";
constexpr size_t kTemporaryPrefixSize = sizeof kTemporaryPrefix - 1;
constexpr size_t kTemporaryRandomSize = 6;  // mkostemp's "XXXXXX"

bool IsTemporaryName(const char* name) {
  if (std::strncmp(name, kTemporaryPrefix, kTemporaryPrefixSize) != 0) return false;
  const char* random = name + kTemporaryPrefixSize;
  if (std::strlen(random) != kTemporaryRandomSize) return false;
  for (const char* c = random; *c; ++c)
    if (!std::isalnum(static_cast<unsigned char>(*c))) return false;
  return true;
}

// A new temporary beside the target, locked for as long as this save holds it open: the lock tells a
// live save's temporary from one a killed save left behind. -1 when none can be made.
int MakeLockedTemporary(const std::string& folder, std::string& name) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    name = folder + "/" + kTemporaryPrefix + std::string(kTemporaryRandomSize, 'X');
    const int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return -1;
    // Where the file system has no locks the save goes on unlocked; a clean-up, unable to lock the file
    // either, then leaves it alone.
    if (flock(fd, LOCK_EX) != 0) return fd;
    // Between its making and its locking, a clean-up may have taken the file for a stale one.
    struct stat st;
    if (fstat(fd, &st) == 0 && st.st_nlink > 0) return fd;
    close(fd);
  }
  return -1;
}

}  // namespace

bool ReplaceDurably(const std::string& written, const std::string& target) {
  const int fd = OpenRegularFile(written.c_str(), O_RDONLY);
  const bool ok = fd >= 0 && SyncAndRename(fd, written, target);
  if (fd >= 0) close(fd);
  if (!ok) unlink(written.c_str());
  return ok;
}

SafeSave::SafeSave(std::string_view target) : target_(ResolvePath(target)) {
  if (target_.empty() || target_.back() == '/') return;
  std::string pattern;
  int fd = MakeLockedTemporary(FolderOf(target_), pattern);
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
  // Renamed while still open, so locked: no clean-up takes it for a stale temporary meanwhile.
  const bool ok = std::fflush(file_) == 0 && !std::ferror(file_) && SyncAndRename(fileno(file_), temporary_, target_);
  if (!ok) unlink(temporary_.c_str());
  std::fclose(file_);  // everything is on disk already: closing cannot lose the save
  file_ = nullptr;
  temporary_.clear();
  return ok;
}

void SafeSave::Abandon() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  if (!temporary_.empty()) unlink(temporary_.c_str());
  temporary_.clear();
}

void RemoveStaleSaveTemporaries(std::string_view folder) {
  const std::string path = folder.empty() ? "." : ResolvePath(folder);
  DIR* dir = path.empty() ? nullptr : opendir(path.c_str());
  if (!dir) return;
  while (const dirent* entry = readdir(dir)) {
    if (!IsTemporaryName(entry->d_name)) continue;
    const std::string name = path + "/" + entry->d_name;
    // Only regular files of our own naming (a link of that name is left alone), and only when no save
    // holds them: a save that was killed released its lock with its life.
    const int fd = OpenRegularFile(name.c_str(), O_RDONLY | O_NOFOLLOW);
    if (fd < 0) continue;
    struct stat opened, named;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &opened) == 0 && lstat(name.c_str(), &named) == 0 &&
        SameFile(opened, named))
      unlink(name.c_str());
    close(fd);
  }
  closedir(dir);
}

bool SaveWholeFile(std::string_view name, const void* data, size_t size) {
  SafeSave save(name);
  if (!save.file()) return false;
  if (size > 0 && std::fwrite(data, 1, size, save.file()) != size) return false;
  return save.Commit();
}

}  // namespace platform::fs
