// Choosing a converter by extension, and the load path shared by the loader and the tools.
#include <strings.h>

#include <algorithm>
#include <cstring>

#include "engine/formats/kvo_format.h"
#include "engine/formats/model_converters.h"
#include "engine/formats/model_loader.h"
#include "engine/objects/object_errors.h"
#include "platform/fs/files.h"
#include "platform/fs/path.h"

namespace {

struct ConverterRow {
  const char* prefix;
  size_t compared;  // characters of the prefix the extension must start with
  ModelConvertFunction convert;
  ModelFreeFunction free;
};

// Tested in this order; the prefixes exclude each other, so at most one row runs.
constexpr ConverterRow kConverters[] = {
    {"x", 1, ConvertXModel, FreeXModel},
    {"md2", 3, ConvertMD2Model, FreeMD2Model},
    {"md3", 3, ConvertMD3Model, FreeMD3Model},
    {"3ds", 3, Convert3DSModel, Free3DSModel},
    {"mdl", 3, ConvertMDLModel, FreeMDLModel},
};

constexpr size_t kMaxExtensionLength = 255;

}  // namespace

std::string ModelFileExtension(const char* fileName) {
  if (!fileName) return {};
  const size_t length = std::strlen(fileName);
  for (size_t i = length; i-- > 1;)
    if (fileName[i] == '.') return std::string(fileName + i + 1, std::min(length - i - 1, kMaxExtensionLength));
  return {};
}

bool ConvertModelFile(const char* fileName, const std::string& extension, std::vector<uint8_t>* image) {
  if (!image) return false;
  image->clear();
  for (const ConverterRow& row : kConverters) {
    if (strncasecmp(extension.c_str(), row.prefix, row.compared) != 0) continue;
    const uint8_t* converted = nullptr;
    uint32_t size = 0;
    bool ok = row.convert(fileName, &converted, &size) && (converted || size == 0);
    if (ok) {
      try {
        image->assign(converted, converted + size);
      } catch (const std::bad_alloc&) {
        ok = false;
      }
    }
    row.free(converted);
    return ok;
  }
  return false;
}

bool ModelFileExists(const char* path) {
  if (!path || !platform::fs::FileExists(path)) return false;
  FILE* file = platform::fs::OpenFile(path, platform::fs::OpenMode::kReadExisting);
  if (!file) return false;
  std::fclose(file);
  return true;
}

bool TryLoadModelFile(const char* fileName, std::unique_ptr<ObjectRecord>* object, uint32_t* error) {
  uint32_t unused;
  if (!error) error = &unused;
  *error = 0;
  if (object) object->reset();
  if (!object || !fileName) {
    *error = kErrorModelLoadFailed;
    return false;
  }
  const std::string extension = ModelFileExtension(fileName);
  // An MD3 model names a folder of parts, so there is no file to test.
  if (strcasecmp(extension.c_str(), "md3") != 0 && !ModelFileExists(fileName)) {
    *error = kErrorModelFileMissing;
    return false;
  }
  std::vector<uint8_t> image;
  const bool read = strcasecmp(extension.c_str(), "kvo") == 0 ? ReadWholeFile(fileName, &image)
                                                                : ConvertModelFile(fileName, extension, &image);
  if (!read || !LoadModelFromMemory(image.data(), image.size(), object)) {
    *error = kErrorModelLoadFailed;
    return false;
  }
  return true;
}
