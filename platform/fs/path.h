// Every file the engine and the game open goes through this resolver. The game names files with "\"
// as separator and in any letter case ("Art\heaven.jpg"). On Linux the
// resolver maps "\" to "/" and matches each component case-insensitively where the exact name does
// not exist.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace platform::fs {

// The path of an existing file or folder that matches `name`; when nothing matches, the name with its
// separators mapped (and the existing leading folders matched), so it can be created.
//  - Each component is taken exactly when it exists, else the first case-insensitive match (ASCII
//    letters) in byte order among the folder's entries.
//  - "/..." and "\..." are absolute; anything else is relative to the current folder. "." and ".."
//    are kept as they are, so the kernel gives them their usual meaning.
//  - A drive name ("C:", "C:\...", "c:/...") has no meaning here: the result is empty, so every open
//    of it fails. "a:b" (no separator after the colon) is an ordinary name.
std::string ResolvePath(std::string_view name);

// fopen through the resolver, of regular files only (a FIFO, device or folder is refused, never
// waited on).
FILE* OpenFile(std::string_view name, const char* mode);

// Why a read of a file failed.
enum class ReadFailure { kNone, kCannotOpen, kOutOfRange, kTooLarge, kReadError };
constexpr uint64_t kNoReadLimit = ~uint64_t(0);

// Reads `length` bytes (0: up to the end) from `offset` of a regular file into `out`, with one
// allocation and no other copy. False when the file cannot be opened or is not a regular file (a
// folder, a device, a FIFO: refused at once, never opened), when the part lies outside it, or when the
// part is larger than `limit`: that is known from the file's status, before anything is read or
// allocated. `out` is empty on failure; `why`, when given, says which failure it was.
bool ReadFilePart(std::string_view name, uint64_t offset, uint64_t length, uint64_t limit,
                  std::vector<uint8_t>& out, ReadFailure* why = nullptr);

// Reads the whole of a regular file, exactly the size it has, as ReadFilePart does.
bool ReadWholeFile(std::string_view name, std::vector<uint8_t>& out, uint64_t limit = kNoReadLimit,
                   ReadFailure* why = nullptr);

// The failure in words, for messages ("the file is missing or not a regular file", ...).
const char* ReadFailureText(ReadFailure failure);

// True when the name resolves to an existing regular file.
bool FileExists(std::string_view name);

// True when the name resolves to an existing folder.
bool FolderExists(std::string_view name);

}  // namespace platform::fs
