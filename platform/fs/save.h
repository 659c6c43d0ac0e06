// Saving without ever losing the previous good file: the new contents go to a temporary file beside
// the target, which replaces the target by a rename only once it is completely written. The save
// holds a lock on its temporary until then, so a clean-up at start can tell the temporaries of killed
// saves from those of live ones.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace platform::fs {

class SafeSave {
 public:
  // Opens the temporary file beside the (resolved) target; file() is null when that fails.
  explicit SafeSave(std::string_view target);
  ~SafeSave();  // abandons the save unless Commit succeeded
  SafeSave(const SafeSave&) = delete;
  SafeSave& operator=(const SafeSave&) = delete;

  FILE* file() const { return file_; }
  // Flushes the new file to disk and renames it over the target. False when any write failed or the
  // rename did not happen; the target then keeps its previous contents and the temporary is gone.
  bool Commit();
  // Drops the new contents; the target is untouched.
  void Abandon();

 private:
  std::string target_;
  std::string temporary_;
  FILE* file_ = nullptr;
};

// Puts a completely written file in place of `target` (both resolved paths): the file's data reach
// the disk before the rename, and the folder's entry after it, so after a power loss the target holds
// its previous or its new contents, never a torn or empty file. False when a step failed; the written
// file is then removed and the target keeps its previous contents.
bool ReplaceDurably(const std::string& written, const std::string& target);

// Removes the temporaries that saves killed before their end left in the folder (resolved; empty: the
// current folder): regular files named as SafeSave names them that no live save holds.
void RemoveStaleSaveTemporaries(std::string_view folder);

// Replaces (or creates) the named file with `size` bytes through a SafeSave.
bool SaveWholeFile(std::string_view name, const void* data, size_t size);

}  // namespace platform::fs
