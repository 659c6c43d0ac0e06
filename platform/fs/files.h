// File operations of the engine's file module and the game, each through the path resolver. Nothing
// locks a file against other opens: several opens of one file coexist.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace platform::fs {

enum class OpenMode {
  kReadExisting,  // read; the file must exist
  kCreateNew,     // write a file that does not exist yet; an existing file is refused
  kAppend,        // write at the end; the file is created when missing
};

enum class OpenError {
  kNone,
  kNotFound,  // kReadExisting: no such file
  kExists,    // kCreateNew: a file or folder of that name exists
  kFailed,    // anything else (a missing folder on the way, permissions, a folder opened as a file)
};

// Opens the file in binary mode; null on failure, with the reason in `error` when it is given. Only
// regular files open: a FIFO, a device or a folder is refused (kFailed) without waiting.
FILE* OpenFile(std::string_view name, OpenMode mode, OpenError* error = nullptr);

// Size in bytes of the named regular file; -1 when it does not exist or is not a regular file.
int64_t FileSize(std::string_view name);
// Size in bytes of an open file; -1 on failure.
int64_t FileSize(FILE* file);

// Deletes the named file (not a folder); false when it does not exist or cannot be deleted.
bool DeleteFile(std::string_view name);

// Renames a file or folder; refused (false) when the target exists.
bool RenameFile(std::string_view source, std::string_view target);

// Copies a regular file with its permission bits; refused (false) when the source is missing or the
// target exists. A copy that fails part-way leaves no target behind.
bool CopyFileNoOverwrite(std::string_view source, std::string_view target);

// Makes one folder (its parent must exist); false when it exists already or cannot be made.
bool MakeFolder(std::string_view name);
// Removes an empty folder.
bool RemoveFolder(std::string_view name);

}  // namespace platform::fs
