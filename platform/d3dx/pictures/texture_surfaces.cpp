// Pictures and surfaces into surfaces, and surfaces out to files.
#include <algorithm>

#include "platform/d3dx/pictures/picture_files.h"
#include "platform/d3dx/pictures/picture_filter.h"
#include "platform/d3dx/pictures/picture_writers.h"
#include "platform/d3dx/pictures/pixel_formats.h"
#include "platform/d3dx/pictures/texture_internal.h"

namespace platform::d3dx {
namespace {

// A lock that is undone when it goes out of scope; usable only when the lock succeeded and gave rows
// long enough for the pixels asked for.
class SurfaceLock {
 public:
  SurfaceLock(gfx::Surface* surface, const gfx::Rect& rect, uint32_t flags, size_t rowBytes) : surface_(surface) {
    result_ = surface->LockRect(&locked_, &rect, flags);
    if (gfx::Failed(result_)) return;
    held_ = true;
    if (!locked_.bits || locked_.pitch <= 0 || size_t(locked_.pitch) < rowBytes) result_ = gfx::kInvalidCall;
  }
  ~SurfaceLock() {
    if (held_) surface_->UnlockRect();
  }
  Result result() const { return result_; }
  uint8_t* bits() const { return static_cast<uint8_t*>(locked_.bits); }
  size_t pitch() const { return size_t(locked_.pitch); }

 private:
  gfx::Surface* surface_;
  gfx::LockedRect locked_{};
  Result result_ = gfx::kFail;
  bool held_ = false;
};

gfx::Rect WholeSurface(const gfx::SurfaceDesc& desc) { return {0, 0, int32_t(desc.width), int32_t(desc.height)}; }

// Block formats are locked on whole blocks (clipped to the surface).
gfx::Rect LockableRect(const gfx::Rect& r, const gfx::SurfaceDesc& desc) {
  if (!IsBlockFormat(gfx::Format(desc.format))) return r;
  return {r.left & ~3, r.top & ~3, std::min<int32_t>((r.right + 3) & ~3, desc.width),
          std::min<int32_t>((r.bottom + 3) & ~3, desc.height)};
}

Result ReadRect(gfx::Surface* surface, const gfx::SurfaceDesc& desc, const gfx::Rect& rect, uint32_t flags,
                Picture& out) {
  const gfx::Format format = gfx::Format(desc.format);
  const uint32_t w = rect.right - rect.left, h = rect.bottom - rect.top;
  SurfaceLock lock(surface, rect, flags, FormatRowBytes(format, w));
  if (gfx::Failed(lock.result())) return lock.result();
  ReadPixels(format, lock.bits(), lock.pitch(), w, h, out);
  return gfx::kOk;
}

Result CheckedDesc(gfx::Surface* surface, gfx::SurfaceDesc& desc) {
  if (!surface) return gfx::kInvalidCall;
  if (Result r = surface->GetDesc(&desc); gfx::Failed(r)) return r;
  return IsConvertibleFormat(gfx::Format(desc.format)) ? gfx::kOk : gfx::kNotAvailable;
}

Result LoadDecoded(gfx::Surface* dest, const gfx::Rect* destRect, const PictureFile& file, const gfx::Rect* srcRect,
                   uint32_t filter, uint32_t colorKey, ImageInfo* srcInfo) {
  if (srcInfo) *srcInfo = file.info;
  return LoadSurfaceFromPicture(dest, destRect, file.Image(), srcRect, filter, colorKey);
}

}  // namespace

Result ReadSurface(gfx::Surface* surface, Picture* out) {
  gfx::SurfaceDesc desc{};
  if (!out) return gfx::kInvalidCall;
  if (Result r = CheckedDesc(surface, desc); gfx::Failed(r)) return r;
  return ReadRect(surface, desc, WholeSurface(desc), gfx::LOCK_READONLY, *out);
}

Result LoadSurfaceFromPicture(gfx::Surface* dest, const gfx::Rect* destRect, const Picture& src,
                              const gfx::Rect* srcRect, uint32_t filter, uint32_t colorKey) {
  gfx::SurfaceDesc desc{};
  if (Result r = CheckedDesc(dest, desc); gfx::Failed(r)) return r;
  const gfx::Rect to = destRect ? *destRect : WholeSurface(desc), from = srcRect ? *srcRect : FullRect(src);
  if (!ValidFilter(filter) || !RectInside(to, desc.width, desc.height) || !RectInside(from, src.width, src.height))
    return gfx::kInvalidCall;

  // The key is matched on the source's own pixels, before any filtering blends them.
  Picture keyed(from.right - from.left, from.bottom - from.top);
  for (uint32_t y = 0; y < keyed.height; ++y)
    std::copy_n(src.Row(from.top + y) + from.left, keyed.width, keyed.Row(y));
  ApplyColorKey(keyed, colorKey);

  const gfx::Format format = gfx::Format(desc.format);
  const gfx::Rect lockRect = LockableRect(to, desc);
  Picture region;
  if (lockRect.left != to.left || lockRect.top != to.top || lockRect.right != to.right || lockRect.bottom != to.bottom) {
    // Blocks only partly covered keep the pixels around the rectangle.
    if (Result r = ReadRect(dest, desc, lockRect, gfx::LOCK_READONLY, region); gfx::Failed(r)) return r;
  } else {
    region = Picture(lockRect.right - lockRect.left, lockRect.bottom - lockRect.top);
  }
  const gfx::Rect inRegion{to.left - lockRect.left, to.top - lockRect.top, to.right - lockRect.left,
                           to.bottom - lockRect.top};
  if (Result r = ResamplePicture(keyed, FullRect(keyed), region, inRegion, filter); gfx::Failed(r)) return r;

  SurfaceLock lock(dest, lockRect, 0, FormatRowBytes(format, region.width));
  if (gfx::Failed(lock.result())) return lock.result();
  WritePixels(format, region, lock.bits(), lock.pitch());
  return gfx::kOk;
}

Result LoadSurfaceFromFileInMemory(gfx::Surface* dest, const gfx::Rect* destRect, const void* data, size_t size,
                                   const gfx::Rect* srcRect, uint32_t filter, uint32_t colorKey, ImageInfo* srcInfo) {
  PictureFile file;
  if (Result r = DecodePicture(data, size, file); gfx::Failed(r)) return r;
  return LoadDecoded(dest, destRect, file, srcRect, filter, colorKey, srcInfo);
}

Result LoadSurfaceFromFile(gfx::Surface* dest, const gfx::Rect* destRect, std::string_view fileName,
                           const gfx::Rect* srcRect, uint32_t filter, uint32_t colorKey, ImageInfo* srcInfo) {
  std::vector<uint8_t> bytes;
  if (Result r = ReadPictureBytes(fileName, bytes); gfx::Failed(r)) return r;
  return LoadSurfaceFromFileInMemory(dest, destRect, bytes.data(), bytes.size(), srcRect, filter, colorKey, srcInfo);
}

Result LoadSurfaceFromSurface(gfx::Surface* dest, const gfx::Rect* destRect, gfx::Surface* src,
                              const gfx::Rect* srcRect, uint32_t filter, uint32_t colorKey) {
  // The source is read whole and unlocked before the destination is locked, so a surface may be
  // copied onto itself.
  Picture picture;
  if (Result r = ReadSurface(src, &picture); gfx::Failed(r)) return r;
  return LoadSurfaceFromPicture(dest, destRect, picture, srcRect, filter, colorKey);
}

Result SaveSurfaceToFile(std::string_view fileName, ImageFileFormat fileFormat, gfx::Surface* src,
                         const gfx::Rect* srcRect) {
  gfx::SurfaceDesc desc{};
  if (Result r = CheckedDesc(src, desc); gfx::Failed(r)) return r;
  const gfx::Rect rect = srcRect ? *srcRect : WholeSurface(desc);
  if (!RectInside(rect, desc.width, desc.height)) return gfx::kInvalidCall;
  Picture whole, part(rect.right - rect.left, rect.bottom - rect.top);
  if (Result r = ReadSurface(src, &whole); gfx::Failed(r)) return r;
  if (Result r = ResamplePicture(whole, rect, part, FullRect(part), FILTER_NONE); gfx::Failed(r)) return r;
  std::vector<uint8_t> bytes;
  if (Result r = EncodePicture(fileFormat, part, FormatHasAlpha(gfx::Format(desc.format)), bytes); gfx::Failed(r))
    return r;
  return WritePictureBytes(fileName, bytes);
}

}  // namespace platform::d3dx
