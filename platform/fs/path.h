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

// Reads the whole of a regular file, exactly the size it has; false when it cannot be opened or read,
// or is not a regular file (a folder, a device, a FIFO: refused at once, never waited on). `out` is
// empty on failure.
bool ReadWholeFile(std::string_view name, std::vector<uint8_t>& out);

// True when the name resolves to an existing regular file.
bool FileExists(std::string_view name);

// True when the name resolves to an existing folder.
bool FolderExists(std::string_view name);

}  // namespace platform::fs
