// Folder listing, the current folder and the engine's temporary folder.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::fs {

// Attribute bits of a listed entry; the values are those the engine and game test.
enum : uint32_t {
  kAttributeReadOnly = 0x01,  // the owner may not write it
  kAttributeHidden = 0x02,    // the name starts with "." (other than "." and "..")
  kAttributeFolder = 0x10,
  kAttributeNormal = 0x80,    // none of the other bits
};

struct FolderEntry {
  std::string name;
  uint32_t attributes = 0;
  uint64_t size = 0;          // bytes; 0 for folders
  int64_t modified_time = 0;  // seconds since 1970-01-01 UTC
};

// Lists the folder (empty name: the current folder) in one pass into `entries`, so callers that walk
// the result twice see the same entries however the folder changes meanwhile. "." and ".." are always
// there and come first, as the engine's listing gives them; the rest is sorted without regard to letter case, ties in byte
// order, so lists are stable. False (and no entries) when the folder cannot be read.
bool ListFolder(std::string_view folder, std::vector<FolderEntry>& entries);

// The process's current folder, without a trailing "/"; empty when it cannot be read.
std::string CurrentFolder();
// Changes the process's current folder; false (and no change) when it fails.
bool ChangeCurrentFolder(std::string_view folder);

// The program's one temporary folder, "tvqdata" below $TMPDIR (or /tmp), made when missing (mode
// 0700), with a trailing "/". It is used only while it is a real folder of our own that no other user
// may enter; when the name is taken by anything else (another user's folder, one open to others, a
// file or a link), "tvqdata-<uid>" is used instead. Empty when no such folder can be had.
std::string TempFolder();

}  // namespace platform::fs
