// Images from picture files: the texture made for a file, the load commands and the lookup by name.
#include <strings.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/core/errors.h"
#include "engine/display/display.h"
#include "engine/media2d/image_state.h"
#include "platform/d3dx/pictures/picture_files.h"
#include "platform/d3dx/pictures/textures.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;
namespace d3dx = platform::d3dx;

namespace {

constexpr int32_t kEmptyTextureLoadMode = 16384;  // a 1 x 1 texture in place of the picture
constexpr size_t kWorkingNameSize = 260;          // room for the media folder put in front

// Pictures that carry their own alpha are loaded without the colour key and in their own format.
bool IsKeyed(const char* name) {
  const size_t length = std::strlen(name);
  if (length < 4) return true;
  const char* extension = name + length - 4;
  return strcasecmp(extension, ".dds") != 0 && strcasecmp(extension, ".png") != 0 &&
         strcasecmp(extension, ".tga") != 0;
}

using Bytes = std::vector<uint8_t>;

// The first level of a whole file, decoded once for every level it fills.
bool DecodeFile(const Bytes& bytes, d3dx::PictureFile& file) {
  return gfx::Succeeded(d3dx::DecodePicture(bytes.data(), bytes.size(), file));
}

gfx::Result FillLevel(gfx::Texture* texture, uint32_t level, const gfx::Rect* rect, const d3dx::Picture& picture,
                      uint32_t filter, uint32_t colorKey) {
  gfx::Ref<gfx::Surface> surface;
  if (gfx::Result r = texture->GetSurfaceLevel(level, surface.put()); gfx::Failed(r)) return r;
  return d3dx::LoadSurfaceFromPicture(surface.get(), rect, picture, nullptr, filter, colorKey);
}

void CapToLevel0(gfx::Texture* texture, uint32_t& width, uint32_t& height) {
  gfx::SurfaceDesc desc{};
  if (gfx::Failed(texture->GetLevelDesc(0, &desc))) return;
  width = std::min(width, desc.width);
  height = std::min(height, desc.height);
}

// The picture unscaled in the top-left corner of a one-level texture.
gfx::Texture* LoadIntoCorner(const Bytes& bytes, uint32_t& width, uint32_t& height, gfx::Format fileFormat,
                             bool keyed) {
  ImageState& s = Images();
  gfx::Texture* texture = nullptr;
  const gfx::Format format = keyed ? gfx::Format(s.format) : fileFormat;
  if (gfx::Failed(d3dx::CreateTexture(s.device, width, height, 1, 0, format, gfx::POOL_MANAGED, &texture)))
    return nullptr;
  CapToLevel0(texture, width, height);
  d3dx::PictureFile file;
  const gfx::Rect rect{0, 0, int32_t(width), int32_t(height)};
  if (!DecodeFile(bytes, file) ||
      gfx::Failed(FillLevel(texture, 0, &rect, file.Image(), d3dx::FILTER_POINT, keyed ? s.colorKey : 0))) {
    texture->Release();  // a picture that does not decode is no image
    return nullptr;
  }
  return texture;
}

// The keyed picture stretched over every level of a full mip chain in the module's format.
gfx::Texture* LoadKeyedStretched(const Bytes& bytes, uint32_t& width, uint32_t& height) {
  ImageState& s = Images();
  gfx::Texture* texture = nullptr;
  if (gfx::Failed(d3dx::CreateTexture(s.device, width, height, 0, 0, gfx::Format(s.format), gfx::POOL_MANAGED,
                                      &texture)))
    return nullptr;
  CapToLevel0(texture, width, height);
  d3dx::PictureFile file;
  bool filled = DecodeFile(bytes, file);
  for (uint32_t level = 0; filled && level < texture->GetLevelCount(); ++level) {
    const uint32_t filter = level == 0 ? d3dx::FILTER_POINT : d3dx::kDefault;
    filled = gfx::Succeeded(FillLevel(texture, level, nullptr, file.Image(), filter, s.colorKey));
  }
  if (!filled) {
    texture->Release();
    return nullptr;
  }
  return texture;
}

// The texture for a picture file; null when it cannot be made. `byExtension`: mode 1 of the loads.
// The file is read once; `info` receives what it holds.
gfx::BaseTexture* LoadTextureFile(const char* name, bool byExtension, int32_t mode, int32_t loadMode,
                                  d3dx::ImageInfo& info) {
  ImageState& s = Images();
  if (!s.device) return nullptr;
  Bytes bytes;
  if (gfx::Failed(d3dx::ReadPictureBytes(name, bytes)) ||
      gfx::Failed(d3dx::GetImageInfoFromFileInMemory(bytes.data(), bytes.size(), &info)))
    return nullptr;
  uint32_t width = info.width, height = info.height;
  if (loadMode == kEmptyTextureLoadMode) {
    width = height = 1;
  } else if (loadMode > 0) {
    // A side divided to nothing would ask for the texture service's default size.
    width = std::max(1u, width / uint32_t(loadMode));
    height = std::max(1u, height / uint32_t(loadMode));
  }
  const bool keyed = IsKeyed(name);

  gfx::BaseTexture* texture = nullptr;
  if (loadMode == kEmptyTextureLoadMode) {
    gfx::Texture* empty = nullptr;
    d3dx::CreateTexture(s.device, 1, 1, 1, 0, gfx::Format(s.format), gfx::POOL_MANAGED, &empty);
    texture = empty;
  } else if (mode == 2) {
    gfx::CubeTexture* cube = nullptr;
    d3dx::CreateCubeTextureFromFileEx(s.device, name, width, d3dx::kDefault, 0, d3dx::kFormatFromFile,
                                      gfx::POOL_MANAGED, d3dx::kDefault, d3dx::kDefault, 0, nullptr, &cube);
    texture = cube;
  } else if (byExtension) {
    texture = LoadIntoCorner(bytes, width, height, info.format, keyed);
  } else if (keyed) {
    texture = LoadKeyedStretched(bytes, width, height);
  } else {
    gfx::Texture* plain = nullptr;
    if (gfx::Succeeded(d3dx::CreateTextureFromFileInMemoryEx(s.device, bytes.data(), bytes.size(), width, height,
                                                             d3dx::kDefault, 0, d3dx::kFormatFromFile,
                                                             gfx::POOL_MANAGED, d3dx::kDefault, d3dx::kDefault, 0,
                                                             nullptr, &plain))) {
      CapToLevel0(plain, width, height);
      texture = plain;
    }
  }
  if (!texture) RaiseErrorText("Failed to load texture for image library");
  s.lastWidth = int32_t(width);
  s.lastHeight = int32_t(height);
  return texture;
}

uint32_t Level0Format(gfx::BaseTexture* texture) {
  gfx::SurfaceDesc desc{};
  if (texture->GetType() == gfx::RTYPE_CUBETEXTURE) {
    static_cast<gfx::CubeTexture*>(texture)->GetLevelDesc(0, &desc);
  } else {
    static_cast<gfx::Texture*>(texture)->GetLevelDesc(0, &desc);
  }
  return desc.format;
}

// Loads a file into the image number. `noRangeTest` admits the lookup's negative numbers.
bool LoadImageFile(const char* name, int32_t image, int32_t mode, bool noRangeTest, int32_t loadMode) {
  ImageState& s = Images();
  if (!noRangeTest && !InImageRange(image)) return RaiseErrorCode(501), false;
  // A failed load leaves no image under the number, also when one was there.
  DeleteImageRecord(image);
  // Longer names could not be kept whole in the record, so the lookup by name could not find them.
  if (!name || std::strlen(name) >= size_t(kImageNameSize)) return false;

  auto* record = new ImageRecord{};
  std::strcpy(record->fileName, name);
  char working[kWorkingNameSize];
  std::strcpy(working, name);
  CoreData* core = s.core;
  if (core && core->resolveMediaPath) core->resolveMediaPath(working);
  if (core && core->decryptFile) core->decryptFile(working);

  d3dx::ImageInfo info;
  if (mode == 1) {
    record->texture = LoadTextureFile(working, true, 0, 0, info);
    if (record->texture) {
      uint32_t levelWidth = 0, levelHeight = 0;
      Level0(*record, &levelWidth, &levelHeight, nullptr);
      record->width = s.lastWidth;
      record->height = s.lastHeight;
      record->u = Extent(record->width, levelWidth);
      record->v = Extent(record->height, levelHeight);
    }
  } else {
    record->texture = LoadTextureFile(working, false, mode, loadMode, info);
    if (record->texture) {
      record->width = int32_t(info.width);  // the file's size, whatever the load mode made of it
      record->height = int32_t(info.height);
    }
  }
  if (core && core->encryptFile) core->encryptFile(working);
  if (!record->texture) {
    delete record;
    return false;
  }
  record->depth = int32_t(FormatToBits(Level0Format(record->texture)));
  AddImageRecord(image, record);
  return true;
}

// The first image in list order loaded from this file (any letter case) that has a texture.
int32_t FindImageByFileName(const char* name) {
  for (IdListNode* node = Images().images.Head(); node; node = node->next) {
    const auto* record = static_cast<const ImageRecord*>(node->data);
    if (record->fileName[0] && record->texture && strcasecmp(record->fileName, name) == 0) return node->id;
  }
  return 0;
}

}  // namespace

int32_t LoadImage(const char* fileName, int32_t image) {
  if (!LoadImageFile(fileName, image, 0, false, 0)) return RaiseErrorCode(506), 0;
  return 1;
}

int32_t LoadImageWithMode(const char* fileName, int32_t image, int32_t mode) {
  if (!LoadImageFile(fileName, image, mode, false, 0)) return RaiseErrorCode(506), 0;
  return 1;
}

int32_t LoadImageUnscaled(const char* fileName, int32_t image) {
  return LoadImageFile(fileName, image, 1, false, 0) ? 1 : 0;
}

int32_t LoadTextureByName(const char* fileName, int32_t loadMode) {
  if (!fileName) return 0;
  if (int32_t found = FindImageByFileName(fileName)) return found;
  int32_t image = -1;
  while (FindImage(image)) --image;
  return LoadImageFile(fileName, image, 0, true, loadMode) ? image : 0;
}
