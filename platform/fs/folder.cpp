#include "platform/fs/folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cctype>
#include <cstdlib>

#include "platform/fs/path.h"

namespace platform::fs {

namespace {

bool IsDotEntry(std::string_view name) { return name == "." || name == ".."; }

// Case-insensitive order (ASCII letters), ties in byte order; "." and ".." first.
bool ListsBefore(const FolderEntry& a, const FolderEntry& b) {
  bool a_dot = IsDotEntry(a.name), b_dot = IsDotEntry(b.name);
  if (a_dot != b_dot) return a_dot;
  size_t n = std::min(a.name.size(), b.name.size());
  for (size_t i = 0; i < n; ++i) {
    int ca = std::tolower(static_cast<unsigned char>(a.name[i]));
    int cb = std::tolower(static_cast<unsigned char>(b.name[i]));
    if (ca != cb) return ca < cb;
  }
  if (a.name.size() != b.name.size()) return a.name.size() < b.name.size();
  return a.name < b.name;
}

FolderEntry DescribeEntry(int folder_fd, std::string name) {
  FolderEntry entry;
  struct stat st;
  // A link counts as what it points to; a dangling link as itself.
  bool known = fstatat(folder_fd, name.c_str(), &st, 0) == 0 ||
               fstatat(folder_fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
  if (known) {
    if (S_ISDIR(st.st_mode))
      entry.attributes |= kAttributeFolder;
    else
      entry.size = static_cast<uint64_t>(st.st_size);
    if (!(st.st_mode & S_IWUSR)) entry.attributes |= kAttributeReadOnly;
    entry.modified_time = st.st_mtim.tv_sec;
  }
  if (name.size() > 1 && name[0] == '.' && !IsDotEntry(name)) entry.attributes |= kAttributeHidden;
  if (entry.attributes == 0) entry.attributes = kAttributeNormal;
  entry.name = std::move(name);
  return entry;
}

// A folder we may keep files in and read them back from: a real folder (not a link) that belongs to
// us and that nobody else may enter. One another user could have written into may hold anything.
bool IsOwnFolder(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
         (st.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

bool MakeOwnFolder(const std::string& path) {
  // Checked after making it too: the mode asked for is what the folder must have.
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  return IsOwnFolder(path);
}

}  // namespace

bool ListFolder(std::string_view folder, std::vector<FolderEntry>& entries) {
  entries.clear();
  std::string path = folder.empty() ? std::string(".") : ResolvePath(folder);
  if (path.empty()) return false;
  DIR* dir = opendir(path.c_str());
  if (!dir) return false;
  int fd = dirfd(dir);
  bool has_self = false, has_parent = false;
  while (dirent* d = readdir(dir)) {
    std::string_view name(d->d_name);
    has_self |= name == ".";
    has_parent |= name == "..";
    entries.push_back(DescribeEntry(fd, std::string(name)));
  }
  // Listings always hold these two, as the engine's folder listing promises its callers; some file
  // systems leave them out.
  if (!has_self) entries.push_back(DescribeEntry(fd, "."));
  if (!has_parent) entries.push_back(DescribeEntry(fd, ".."));
  closedir(dir);
  std::sort(entries.begin(), entries.end(), ListsBefore);
  return true;
}

std::string CurrentFolder() {
  std::string buffer(256, '\0');
  for (;;) {
    if (getcwd(buffer.data(), buffer.size())) {
      buffer.resize(std::char_traits<char>::length(buffer.c_str()));
      return buffer;
    }
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
}

bool ChangeCurrentFolder(std::string_view folder) {
  std::string path = ResolvePath(folder);
  return !path.empty() && chdir(path.c_str()) == 0;
}

std::string TempFolder() {
  const char* tmpdir = std::getenv("TMPDIR");
  std::string base = tmpdir && *tmpdir ? tmpdir : "/tmp";
  struct stat st;
  if (stat(base.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) base = "/tmp";
  if (base.back() != '/') base += '/';
  for (std::string name : {std::string("tvqdata"), "tvqdata-" + std::to_string(geteuid())}) {
    std::string path = base + name;
    if (MakeOwnFolder(path)) return path + "/";
  }
  return {};
}

}  // namespace platform::fs
