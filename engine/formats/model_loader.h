// The one entry by which every model reaches the 3D objects: a KVO file is read whole, any other file
// is converted to a KVO image by the converter its extension chooses, and the image is read into a
// new record tree.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/objects/records.h"

enum : uint32_t {
  kErrorModelFileMissing = 105,  // the file module's "file missing"
};

// Sets *object to null, then loads the file into a new tree owned by the caller. On failure raises
// 105 (the file is missing or unreadable; not tested for an "md3" extension, which names a folder)
// or 7018 (no converter, a failed conversion, or an image that does not read) and returns false.
bool LoadModelFile(const char* fileName, std::unique_ptr<ObjectRecord>* object);
// The same without raising: *error receives 105 or 7018 on failure, 0 on success. For tools.
bool TryLoadModelFile(const char* fileName, std::unique_ptr<ObjectRecord>* object, uint32_t* error);

// The text after the last '.' found scanning from the last character down to the second (a leading
// dot does not start an extension), at most 255 characters; empty when there is none.
std::string ModelFileExtension(const char* fileName);
// Converts the file with the converter whose prefix the extension starts with ("x" matches "X" and
// "xof" alike). False, with *image empty, when no converter matches or the conversion fails.
bool ConvertModelFile(const char* fileName, const std::string& extension, std::vector<uint8_t>* image);
// Whether the file can be opened for reading.
bool ModelFileExists(const char* path);
