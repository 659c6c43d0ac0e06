// Choosing a converter by extension, and the load path shared by the loader and the tools.
#include <strings.h>

#include <algorithm>
#include <cstring>

#include "engine/formats/converter_3ds.h"
#include "engine/formats/converter_md2.h"
#include "engine/formats/converter_mdl.h"
#include "engine/formats/kvo_format.h"
#include "engine/formats/model_converters.h"
#include "engine/formats/model_loader.h"
#include "engine/formats/x_converter.h"
#include "engine/objects/object_errors.h"
#include "platform/fs/files.h"

namespace {

using ModelConvertMemoryFunction = bool (*)(const void* data, size_t size, const uint8_t** image, uint32_t* imageSize);

struct ConverterRow {
  const char* prefix;
  size_t compared;  // characters of the prefix the extension must start with
  ModelConvertFunction convert;
  ModelFreeFunction free;
  // The same conversion of the file's bytes, read by the loader already; none for a model that names
  // a folder.
  ModelConvertMemoryFunction convertMemory;
};

// Tested in this order; the prefixes exclude each other, so at most one row runs.
constexpr ConverterRow kConverters[] = {
    {"x", 1, ConvertXModel, FreeXModel, ConvertXModelFromMemory},
    {"md2", 3, ConvertMD2Model, FreeMD2Model, ConvertMD2ModelFromMemory},
    {"md3", 3, ConvertMD3Model, FreeMD3Model, nullptr},
    {"3ds", 3, Convert3DSModel, Free3DSModel, Convert3DSModelFromMemory},
    {"mdl", 3, ConvertMDLModel, FreeMDLModel, ConvertMDLModelFromMemory},
};

constexpr size_t kMaxExtensionLength = 255;

// The row the extension chooses; null for none.
const ConverterRow* FindConverter(const std::string& extension) {
  for (const ConverterRow& row : kConverters)
    if (strncasecmp(extension.c_str(), row.prefix, row.compared) == 0) return &row;
  return nullptr;
}

// Runs the converter the extension chooses (on the file's bytes when they are given and the
// converter reads a file), hands its image to `use` while the converter still holds it, and frees the
// converter's state whatever happened. False when no converter matches, the conversion fails, or
// `use` does.
template <typename Use>
bool WithConvertedImage(const char* fileName, const std::string& extension, const std::vector<uint8_t>* bytes,
                        Use use) {
  const ConverterRow* row = FindConverter(extension);
  if (!row) return false;
  const uint8_t* image = nullptr;
  uint32_t size = 0;
  bool ok = false;
  try {
    ok = (bytes && row->convertMemory ? row->convertMemory(bytes->data(), bytes->size(), &image, &size)
                                      : row->convert(fileName, &image, &size)) &&
         (image || size == 0) && use(image, size);
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  row->free(image);
  return ok;
}

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
  return WithConvertedImage(fileName, extension, nullptr, [&](const uint8_t* data, uint32_t size) {
    image->assign(data, data + size);
    return true;
  });
}

// Opening for reading refuses folders, as the test must.
bool ModelFileExists(const char* path) {
  if (!path) return false;
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
  // An MD3 model names a folder of parts, so there is no file to test. A file that something reads
  // is read here once, which also tells whether it exists, and its bytes go to the converter; one
  // that nothing reads is only tested.
  const bool folder = strcasecmp(extension.c_str(), "md3") == 0;
  const bool read = strcasecmp(extension.c_str(), "kvo") == 0 || FindConverter(extension);
  std::vector<uint8_t> bytes;
  if (!folder && !(read ? ReadWholeFile(fileName, &bytes) : ModelFileExists(fileName))) {
    *error = read && ModelFileExists(fileName) ? uint32_t(kErrorModelLoadFailed) : uint32_t(kErrorModelFileMissing);
    return false;
  }
  bool loaded;
  if (strcasecmp(extension.c_str(), "kvo") == 0) {
    loaded = LoadModelFromMemory(bytes.data(), bytes.size(), object);
  } else {
    // The converter's image is read where it lies, before the converter frees it.
    loaded = WithConvertedImage(fileName, extension, folder ? nullptr : &bytes,
                                [&](const uint8_t* image, uint32_t size) { return LoadModelFromMemory(image, size, object); });
  }
  if (!loaded) {
    *error = kErrorModelLoadFailed;
    return false;
  }
  return true;
}
