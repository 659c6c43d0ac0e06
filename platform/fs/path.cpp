#include "platform/fs/path.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "platform/fs/regular_file.h"

namespace platform::fs {

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool IsDriveName(std::string_view name) {
  return name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':' &&
         (name.size() == 2 || IsSeparator(name[2]));
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

bool EntryExists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// The name as the resolver returns it when every component exists as given: "\" mapped to "/", and
// each run of separators made one.
std::string MapSeparators(std::string_view name) {
  std::string path;
  path.reserve(name.size());
  for (char c : name) {
    if (!IsSeparator(c))
      path += c;
    else if (path.empty() || path.back() != '/')
      path += '/';
  }
  return path;
}

// Whether the whole name exists as given. Then so does every folder on its way (the kernel walked
// each one), so matching component by component would give the same path; one lstat instead of one
// per component.
bool ExistsAsGiven(std::string& mapped) {
  if (mapped.size() > 1 && mapped.back() == '/') {
    mapped.pop_back();
    bool exists = EntryExists(mapped);
    mapped.push_back('/');
    return exists;
  }
  return EntryExists(mapped);
}

// The entry of `folder` that matches `component` without regard to case; the first in byte order when
// several do, so the choice does not depend on the order the folder happens to list them in.
bool FindIgnoringCase(const std::string& folder, std::string_view component, std::string& match) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return false;
  bool found = false;
  while (dirent* entry = readdir(dir)) {
    std::string_view entry_name(entry->d_name);
    if (SameIgnoringCase(entry_name, component) && (!found || entry_name < match)) {
      match.assign(entry_name);
      found = true;
    }
  }
  closedir(dir);
  return found;
}

// pread() from `at` until `size` bytes are in or the file ends: the count read, or -1 on an error.
ssize_t ReadFully(int fd, uint8_t* data, size_t size, uint64_t at) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = pread(fd, data + done, size - done, off_t(at + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += size_t(n);
  }
  return ssize_t(done);
}

}  // namespace

std::string ResolvePath(std::string_view name) {
  if (name.empty() || IsDriveName(name)) return {};
  if (std::string mapped = MapSeparators(name); ExistsAsGiven(mapped)) return mapped;
  std::string path;
  if (IsSeparator(name.front())) path = "/";
  bool matching = true;  // false once a component is missing: nothing below it can exist
  size_t pos = 0;
  while (pos < name.size()) {
    while (pos < name.size() && IsSeparator(name[pos])) ++pos;
    size_t end = pos;
    while (end < name.size() && !IsSeparator(name[end])) ++end;
    if (end == pos) break;
    std::string_view component = name.substr(pos, end - pos);
    pos = end;

    // `path` is now the folder resolved so far: empty (the current folder) or ending in "/".
    if (!path.empty() && path.back() != '/') path += '/';
    std::string candidate = path + std::string(component);
    if (matching && component != "." && component != ".." && !EntryExists(candidate)) {
      std::string match;
      if (FindIgnoringCase(path, component, match))
        candidate = path + match;
      else
        matching = false;
    }
    path = std::move(candidate);
  }
  if (IsSeparator(name.back()) && !path.empty() && path.back() != '/') path += '/';
  return path;
}

FILE* OpenFile(std::string_view name, const char* mode) {
  if (!mode || !*mode) return nullptr;
  const bool both = std::strchr(mode, '+') != nullptr;
  int flags = 0;
  switch (mode[0]) {
    case 'r': flags = both ? O_RDWR : O_RDONLY; break;
    case 'w': flags = (both ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC; break;
    case 'a': flags = (both ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND; break;
    default: return nullptr;
  }
  const int fd = OpenRegularFile(ResolvePath(name).c_str(), flags);
  if (fd < 0) return nullptr;
  FILE* file = fdopen(fd, mode);
  if (!file) close(fd);
  return file;
}

bool ReadFilePart(std::string_view name, uint64_t offset, uint64_t length, uint64_t limit,
                  std::vector<uint8_t>& out, ReadFailure* why) {
  out.clear();
  ReadFailure failure = ReadFailure::kNone;
  struct stat st;
  const int fd = OpenRegularFile(ResolvePath(name).c_str(), O_RDONLY, 0, &st);
  const uint64_t size = fd >= 0 ? uint64_t(st.st_size) : 0;
  const uint64_t wanted = length ? length : size - std::min(offset, size);
  if (fd < 0)
    failure = ReadFailure::kCannotOpen;
  else if (offset > size || length > size - offset)
    failure = ReadFailure::kOutOfRange;
  else if (wanted > limit)
    failure = ReadFailure::kTooLarge;  // known from the status alone: nothing is read
  else {
    // One allocation of the part's size and one read; to the end, the read of one byte more must find
    // the end (a file that grew meanwhile is not taken half).
    out.resize(size_t(wanted));
    uint8_t past_end;
    if (ReadFully(fd, out.data(), out.size(), offset) != ssize_t(out.size()) ||
        (length == 0 && ReadFully(fd, &past_end, 1, offset + wanted) != 0))
      failure = ReadFailure::kReadError;
  }
  if (fd >= 0) close(fd);
  if (failure != ReadFailure::kNone) out.clear();
  if (why) *why = failure;
  return failure == ReadFailure::kNone;
}

bool ReadWholeFile(std::string_view name, std::vector<uint8_t>& out, uint64_t limit, ReadFailure* why) {
  return ReadFilePart(name, 0, 0, limit, out, why);
}

const char* ReadFailureText(ReadFailure failure) {
  switch (failure) {
    case ReadFailure::kNone: return "";
    case ReadFailure::kCannotOpen: return "the file is missing or not a regular file";
    case ReadFailure::kOutOfRange: return "the part asked for lies outside the file";
    case ReadFailure::kTooLarge: return "the file is larger than such a file may be";
    case ReadFailure::kReadError: return "the file cannot be read";
  }
  return "";
}

bool FileExists(std::string_view name) {
  struct stat st;
  return stat(ResolvePath(name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FolderExists(std::string_view name) {
  struct stat st;
  return stat(ResolvePath(name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace platform::fs
