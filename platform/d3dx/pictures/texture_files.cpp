// Textures and cube textures from picture files, their mip levels, information and saving.
#include <algorithm>

#include "platform/d3dx/pictures/picture_files.h"
#include "platform/d3dx/pictures/picture_filter.h"
#include "platform/d3dx/pictures/texture_internal.h"

namespace platform::d3dx {
namespace {

bool IsCube(gfx::BaseTexture* texture) { return texture->GetType() == gfx::RTYPE_CUBETEXTURE; }

Result LevelSurface(gfx::BaseTexture* texture, uint32_t face, uint32_t level, gfx::Ref<gfx::Surface>& out) {
  if (IsCube(texture)) return static_cast<gfx::CubeTexture*>(texture)->GetCubeMapSurface(face, level, out.put());
  return static_cast<gfx::Texture*>(texture)->GetSurfaceLevel(level, out.put());
}

Result ReadFile(std::string_view fileName, PictureFile& file) {
  std::vector<uint8_t> bytes;
  if (Result r = ReadPictureBytes(fileName, bytes); gfx::Failed(r)) return r;
  return DecodePicture(bytes.data(), bytes.size(), file);
}

// Fills every level of every face: from the file's own levels while their sizes match, the rest
// filtered down from the last one filled.
Result FillLevels(gfx::BaseTexture* texture, const PictureFile& file, uint32_t filter, uint32_t mipFilter,
                  uint32_t colorKey) {
  const uint32_t faces = IsCube(texture) ? 6 : 1, levels = texture->GetLevelCount();
  uint32_t filled = levels;
  for (uint32_t face = 0; face < faces; ++face) {
    const uint32_t fileFace = file.faces == 6 ? face : 0;
    for (uint32_t level = 0; level < levels; ++level) {
      gfx::Ref<gfx::Surface> surface;
      gfx::SurfaceDesc desc{};
      if (Result r = LevelSurface(texture, face, level, surface); gfx::Failed(r)) return r;
      if (Result r = surface->GetDesc(&desc); gfx::Failed(r)) return r;
      const bool fromFile = level < file.levels && file.Image(fileFace, level).width == desc.width &&
                            file.Image(fileFace, level).height == desc.height;
      if (level > 0 && !fromFile) {
        filled = std::min(filled, level);
        break;
      }
      const Picture& picture = file.Image(fileFace, level);
      if (Result r = LoadSurfaceFromPicture(surface.get(), nullptr, picture, nullptr, filter, colorKey); gfx::Failed(r))
        return r;
    }
  }
  if (filled >= levels || (mipFilter != kDefault && (mipFilter & kFilterKindMask) == FILTER_NONE)) return gfx::kOk;
  return FilterTexture(texture, filled - 1, mipFilter);
}

// The file's size and level count where the caller leaves them to it.
void SizesFromFile(const ImageInfo& info, uint32_t& width, uint32_t& height, uint32_t& levels) {
  auto unset = [](uint32_t v) { return v == 0 || v >= kFromFile; };
  if (unset(width)) width = info.width;
  if (unset(height)) height = info.height;
  if (levels == kFromFile) levels = info.mipLevels;
}

gfx::Format FormatFromFile(const ImageInfo& info, gfx::Format format) {
  return (format == kFormatFromFile || format == gfx::FMT_UNKNOWN) ? info.format : format;
}

Result CreateFromDecoded(gfx::Device* device, const PictureFile& file, uint32_t width, uint32_t height,
                         uint32_t mipLevels, uint32_t usage, gfx::Format format, uint32_t pool, uint32_t filter,
                         uint32_t mipFilter, uint32_t colorKey, ImageInfo* srcInfo, gfx::Texture** texture) {
  SizesFromFile(file.info, width, height, mipLevels);
  gfx::Ref<gfx::Texture> made;
  if (Result r = CreateTexture(device, width, height, mipLevels, usage, FormatFromFile(file.info, format), pool,
                               made.put());
      gfx::Failed(r))
    return r;
  if (Result r = FillLevels(made.get(), file, filter, mipFilter, colorKey); gfx::Failed(r)) return r;
  if (srcInfo) *srcInfo = file.info;
  made.get()->AddRef();
  *texture = made.get();
  return gfx::kOk;
}

bool ValidCall(gfx::Device* device, void* out, uint32_t filter, uint32_t mipFilter) {
  return device && out && ValidFilter(filter) && ValidFilter(mipFilter);
}

}  // namespace

Result GetImageInfoFromFileInMemory(const void* data, size_t size, ImageInfo* info) {
  if (!info) return gfx::kInvalidCall;
  return ReadPictureInfo(data, size, *info);
}

Result GetImageInfoFromFile(std::string_view fileName, ImageInfo* info) {
  std::vector<uint8_t> bytes;
  if (Result r = ReadPictureBytes(fileName, bytes); gfx::Failed(r)) return r;
  return GetImageInfoFromFileInMemory(bytes.data(), bytes.size(), info);
}

Result CreateTextureFromFileInMemoryEx(gfx::Device* device, const void* data, size_t size, uint32_t width,
                                       uint32_t height, uint32_t mipLevels, uint32_t usage, gfx::Format format,
                                       uint32_t pool, uint32_t filter, uint32_t mipFilter, uint32_t colorKey,
                                       ImageInfo* srcInfo, gfx::Texture** texture) {
  if (texture) *texture = nullptr;
  if (!ValidCall(device, texture, filter, mipFilter)) return gfx::kInvalidCall;
  PictureFile file;
  if (Result r = DecodePicture(data, size, file); gfx::Failed(r)) return r;
  return CreateFromDecoded(device, file, width, height, mipLevels, usage, format, pool, filter, mipFilter, colorKey,
                           srcInfo, texture);
}

Result CreateTextureFromFileEx(gfx::Device* device, std::string_view fileName, uint32_t width, uint32_t height,
                               uint32_t mipLevels, uint32_t usage, gfx::Format format, uint32_t pool, uint32_t filter,
                               uint32_t mipFilter, uint32_t colorKey, ImageInfo* srcInfo, gfx::Texture** texture) {
  if (texture) *texture = nullptr;
  if (!ValidCall(device, texture, filter, mipFilter)) return gfx::kInvalidCall;
  PictureFile file;
  if (Result r = ReadFile(fileName, file); gfx::Failed(r)) return r;
  return CreateFromDecoded(device, file, width, height, mipLevels, usage, format, pool, filter, mipFilter, colorKey,
                           srcInfo, texture);
}

Result CreateTextureFromFile(gfx::Device* device, std::string_view fileName, gfx::Texture** texture) {
  return CreateTextureFromFileEx(device, fileName, kDefault, kDefault, kDefault, 0, kFormatFromFile,
                                 gfx::POOL_MANAGED, kDefault, kDefault, 0, nullptr, texture);
}

Result CreateCubeTextureFromFileEx(gfx::Device* device, std::string_view fileName, uint32_t size, uint32_t mipLevels,
                                   uint32_t usage, gfx::Format format, uint32_t pool, uint32_t filter,
                                   uint32_t mipFilter, uint32_t colorKey, ImageInfo* srcInfo,
                                   gfx::CubeTexture** texture) {
  if (texture) *texture = nullptr;
  if (!ValidCall(device, texture, filter, mipFilter)) return gfx::kInvalidCall;
  PictureFile file;
  if (Result r = ReadFile(fileName, file); gfx::Failed(r)) return r;
  uint32_t height = 0;
  SizesFromFile(file.info, size, height, mipLevels);
  gfx::Caps caps{};
  if (Result r = device->GetDeviceCaps(&caps); gfx::Failed(r)) return r;
  const gfx::Format chosen =
      SupportedTextureFormat(device, FormatFromFile(file.info, format), usage, gfx::RTYPE_CUBETEXTURE);
  AdjustTextureSize(caps, &size, &height, &mipLevels, chosen, true);
  gfx::Ref<gfx::CubeTexture> made;
  if (Result r = device->CreateCubeTexture(size, mipLevels, usage, chosen, pool, made.put(), nullptr); gfx::Failed(r))
    return r;
  if (Result r = FillLevels(made.get(), file, filter, mipFilter, colorKey); gfx::Failed(r)) return r;
  if (srcInfo) *srcInfo = file.info;
  made.get()->AddRef();
  *texture = made.get();
  return gfx::kOk;
}

Result FilterTexture(gfx::BaseTexture* texture, uint32_t srcLevel, uint32_t filter) {
  if (!texture || !ValidFilter(filter)) return gfx::kInvalidCall;
  const uint32_t levels = texture->GetLevelCount();
  if (srcLevel >= levels) return gfx::kInvalidCall;
  for (uint32_t face = 0; face < (IsCube(texture) ? 6u : 1u); ++face) {
    gfx::Ref<gfx::Surface> source;
    Picture picture;
    if (Result r = LevelSurface(texture, face, srcLevel, source); gfx::Failed(r)) return r;
    if (Result r = ReadSurface(source.get(), &picture); gfx::Failed(r)) return r;
    for (uint32_t level = srcLevel + 1; level < levels; ++level) {
      picture = NextMipLevel(picture, filter);
      gfx::Ref<gfx::Surface> surface;
      if (Result r = LevelSurface(texture, face, level, surface); gfx::Failed(r)) return r;
      // Same sizes copy exactly; a level the device sized otherwise is scaled onto.
      if (Result r = LoadSurfaceFromPicture(surface.get(), nullptr, picture, nullptr, kDefault, 0); gfx::Failed(r))
        return r;
    }
  }
  return gfx::kOk;
}

Result SaveTextureToFile(std::string_view fileName, ImageFileFormat fileFormat, gfx::BaseTexture* src) {
  if (!src) return gfx::kInvalidCall;
  gfx::Ref<gfx::Surface> surface;
  if (Result r = LevelSurface(src, 0, 0, surface); gfx::Failed(r)) return r;
  return SaveSurfaceToFile(fileName, fileFormat, surface.get(), nullptr);
}

}  // namespace platform::d3dx
