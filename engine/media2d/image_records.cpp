// Image records: the module's state and protocol, the texture format, creation of empty images,
// deletion and the getters.
#include <algorithm>
#include <cstring>

#include "engine/core/errors.h"
#include "engine/display/display.h"
#include "engine/media2d/image_state.h"
#include "engine/media2d/sprite.h"
#include "platform/d3dx/pictures/textures.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;
namespace d3dx = platform::d3dx;

namespace {

ImageState g_images;

// Formats tried in this order when the chosen one is refused; the last one stays when none is taken.
constexpr uint32_t kFallbackFormats[] = {21, 22, 25, 31, 26, 29, 20, 23, 24, 27, 30, 34};

// Holders of the texture hear of it first, then it goes with its record.
void FreeRecord(ImageRecord* record) {
  const ImageReleaseHandler handler = Images().releaseHandler;
  if (gfx::Texture* texture = FlatTexture(*record); texture && handler) handler(texture);
  if (record->texture) record->texture->Release();
  delete record;
}

// Every image goes: textures released, records freed.
void DeleteAllImages() {
  ImageState& s = Images();
  for (IdListNode* node = s.images.Head(); node; node = node->next) FreeRecord(static_cast<ImageRecord*>(node->data));
  s.images.Clear();
  NotifyImageChange();
}

}  // namespace

ImageState& Images() { return g_images; }

ImageRecord* FindImage(int32_t image) { return Images().images.FindAs<ImageRecord>(image); }

gfx::Texture* FlatTexture(const ImageRecord& record) {
  if (!record.texture || record.texture->GetType() != gfx::RTYPE_TEXTURE) return nullptr;
  return static_cast<gfx::Texture*>(record.texture);
}

bool Level0(const ImageRecord& record, uint32_t* width, uint32_t* height, uint32_t* format) {
  gfx::Texture* texture = FlatTexture(record);
  gfx::SurfaceDesc desc{};
  if (!texture || gfx::Failed(texture->GetLevelDesc(0, &desc))) return false;
  if (width) *width = desc.width;
  if (height) *height = desc.height;
  if (format) *format = desc.format;
  return true;
}

float Extent(int32_t pictureSide, uint32_t textureSide) {
  if (textureSide == 0) return 1.0f;
  return std::min(1.0f, float(pictureSide) / float(textureSide));
}

void NotifyImageChange() {
  if (Images().changeLink) Images().changeLink();
}

void DeleteImageRecord(int32_t image) {
  ImageState& s = Images();
  ImageRecord* record = FindImage(image);
  if (!record) return;
  s.images.Remove(image);
  FreeRecord(record);
  // Sprites hold the texture without a reference: they must not keep the released one.
  NotifyImageChange();
}

void AddImageRecord(int32_t image, ImageRecord* record) {
  if (!Images().images.Add(image, record)) {
    FreeRecord(record);
    return;
  }
  NotifyImageChange();
}

gfx::Texture* CreateImageRecord(int32_t image, int32_t width, int32_t height, uint32_t format, uint32_t usage) {
  ImageState& s = Images();
  DeleteImageRecord(image);
  gfx::Texture* texture = nullptr;
  // A side of 0 would ask the texture service for its default size.
  if (!s.device || width < 1 || height < 1 ||
      gfx::Failed(d3dx::CreateTexture(s.device, uint32_t(width), uint32_t(height), 1, usage, gfx::Format(format),
                                      usage == 0 ? gfx::POOL_MANAGED : gfx::POOL_DEFAULT, &texture))) {
    RaiseErrorText("Failed to create new image");
    return nullptr;
  }
  auto* record = new ImageRecord{};
  record->texture = texture;
  record->width = width;
  record->height = height;
  uint32_t levelWidth = 0, levelHeight = 0, levelFormat = format;
  Level0(*record, &levelWidth, &levelHeight, &levelFormat);
  record->depth = int32_t(FormatToBits(levelFormat));  // the format the device actually made
  record->u = Extent(width, levelWidth);
  record->v = Extent(height, levelHeight);
  AddImageRecord(image, record);
  return texture;
}

void InitImageFormat(CoreData* coreData) {
  ImageState& s = Images();
  s.core = coreData;
  uint32_t surfaceFormat = gfx::FMT_X8R8G8B8;
  gfx::Surface* surface = coreData ? coreData->currentRenderSurface : nullptr;
  if (surface) {
    gfx::SurfaceDesc desc{};
    surface->GetDesc(&desc);
    surfaceFormat = desc.format;
    const uint32_t bits = FormatToBits(desc.format);
    if (bits == 16) s.format = gfx::FMT_A1R5G5B5;
    if (bits == 32) s.format = gfx::FMT_A8R8G8B8;
  } else {
    s.format = gfx::FMT_A8R8G8B8;
  }
  if (!s.api) return;
  auto accepted = [&](uint32_t format) {
    return gfx::Succeeded(
        s.api->CheckDeviceFormat(0, gfx::DEVTYPE_HAL, surfaceFormat, 0, gfx::RTYPE_TEXTURE, format));
  };
  if (accepted(s.format)) return;
  for (uint32_t format : kFallbackFormats) {
    s.format = format;
    if (accepted(format)) return;
  }
}

namespace ImageModule {

void Constructor() {
  ImageState& s = Images();
  s.device = GetDirect3DDevice();
  if (s.api) s.api->Release();
  s.api = nullptr;
  if (s.device) s.device->GetDirect3D(&s.api);
  s.changeLink = nullptr;
  s.pasteLink = nullptr;
}

void Destructor() {
  ImageState& s = Images();
  DeleteAllImages();
  if (s.api) s.api->Release();
  s.api = nullptr;
}

void SetErrorHandler(uint32_t* errorWord) { SetModuleErrorHandler(errorWord); }

void PassCoreData(CoreData* coreData) { InitImageFormat(coreData); }

void RefreshD3D(int mode) {
  if (mode == 0) Destructor();
  if (mode == 1) {
    Constructor();
    InitImageFormat(Images().core);
    LinkSpriteModule();
  }
}

void LinkSpriteModule() {
  Images().changeLink = RefreshSpriteImages;
  Images().pasteLink = PasteImage;
}

}  // namespace ImageModule

void SetImageReleaseHandler(ImageReleaseHandler handler) { Images().releaseHandler = handler; }

gfx::Texture* CreateImage(int32_t image, int32_t width, int32_t height) {
  return CreateImageRecord(image, width, height, Images().format, 0);
}

gfx::Texture* CreateImageWithUsage(int32_t image, int32_t width, int32_t height, uint32_t usage) {
  return CreateImageRecord(image, width, height, Images().format, usage);
}

gfx::Texture* CreateImageWithFormat(int32_t image, int32_t width, int32_t height, uint32_t format) {
  return CreateImageRecord(image, width, height, format, gfx::USAGE_RENDERTARGET);
}

void DeleteImage(int32_t image) {
  // The negative numbers the lookup by file name hands out are deleted here too (by the 3D objects).
  const bool lookupImage = image < 0 && image >= -kMaxItemNumber && FindImage(image);
  if (!InImageRange(image) && !lookupImage) return RaiseErrorCode(501);
  if (!FindImage(image)) return RaiseErrorCode(502);
  DeleteImageRecord(image);
}

bool ImageExists(int32_t image) {
  if (!InImageRange(image)) return RaiseErrorCode(501), false;
  return FindImage(image) != nullptr;
}

bool HasImage(int32_t image) { return FindImage(image) != nullptr; }

gfx::Texture* GetImageTexture(int32_t image) {
  const ImageRecord* record = FindImage(image);
  return record ? FlatTexture(*record) : nullptr;
}

int32_t GetImageWidth(int32_t image) {
  const ImageRecord* record = FindImage(image);
  return record ? record->width : -1;
}

int32_t GetImageHeight(int32_t image) {
  const ImageRecord* record = FindImage(image);
  return record ? record->height : -1;
}

float GetImageU(int32_t image) {
  const ImageRecord* record = FindImage(image);
  return record ? record->u : 1.0f;
}

float GetImageV(int32_t image) {
  const ImageRecord* record = FindImage(image);
  return record ? record->v : 1.0f;
}

const char* GetImageFileName(int32_t image) {
  if (!InImageRange(image)) return RaiseErrorCode(501), nullptr;
  const ImageRecord* record = FindImage(image);
  return record ? record->fileName : nullptr;
}

void SetImageColorKey(int32_t red, int32_t green, int32_t blue) {
  Images().colorKey = 0xFF000000u | uint32_t(red & 255) << 16 | uint32_t(green & 255) << 8 | uint32_t(blue & 255);
}

void SetImageCubeTarget(int32_t image, gfx::CubeTexture* cube, uint32_t face) {
  ImageRecord* record = FindImage(image);
  if (!record) return;
  record->cubeTarget = cube;
  record->cubeFace = face;
}

void GetImageCubeTarget(int32_t image, gfx::CubeTexture** cube, uint32_t* face) {
  const ImageRecord* record = FindImage(image);
  if (!record) return;
  if (cube) *cube = record->cubeTarget;
  if (face) *face = record->cubeFace;
}
