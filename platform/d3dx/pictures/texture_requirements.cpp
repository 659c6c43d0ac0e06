// The size and format rules textures are made with.
#include <algorithm>
#include <bit>

#include "platform/d3dx/pictures/pixel_formats.h"
#include "platform/d3dx/pictures/texture_internal.h"

namespace platform::d3dx {
namespace {

bool Unset(uint32_t size) { return size == 0 || size >= kFromFile; }

uint32_t FullChain(uint32_t width, uint32_t height) { return uint32_t(std::bit_width(std::max(width, height))); }

}  // namespace

gfx::Format SupportedTextureFormat(gfx::Device* device, gfx::Format wanted, uint32_t usage, uint32_t resourceType) {
  gfx::Ref<gfx::Api> api;
  if (gfx::Failed(device->GetDirect3D(api.put())) || !api) return wanted;
  gfx::DisplayMode mode{};
  const uint32_t adapterFormat =
      gfx::Succeeded(device->GetDisplayMode(0, &mode)) ? mode.format : uint32_t(gfx::FMT_X8R8G8B8);
  auto accepted = [&](gfx::Format f) {
    return gfx::Succeeded(api->CheckDeviceFormat(0, gfx::DEVTYPE_HAL, adapterFormat, usage, resourceType, f));
  };
  if (wanted != gfx::FMT_UNKNOWN && accepted(wanted)) return wanted;
  // Paletted pictures may carry a colour key, so they keep an alpha channel.
  const bool alpha = wanted == gfx::FMT_UNKNOWN || wanted == gfx::FMT_P8 || FormatHasAlpha(wanted);
  const gfx::Format nearest = alpha ? gfx::FMT_A8R8G8B8 : gfx::FMT_X8R8G8B8;
  return accepted(nearest) ? nearest : gfx::FMT_A8R8G8B8;
}

void AdjustTextureSize(const gfx::Caps& caps, uint32_t* width, uint32_t* height, uint32_t* levels,
                       gfx::Format format, bool cube) {
  uint32_t w = width ? *width : 0, h = height ? *height : 0;
  if (Unset(w) && Unset(h)) w = h = 256;
  if (Unset(w)) w = h;
  if (Unset(h)) h = w;
  const uint32_t wantedLevels = levels ? *levels : 1;
  const bool singleLevel = wantedLevels == 1;
  const uint32_t pow2Cap = cube ? gfx::PTEXTURECAPS_CUBEMAP_POW2 : gfx::PTEXTURECAPS_POW2;
  const bool pow2 = (caps.textureCaps & pow2Cap) &&
                    !((caps.textureCaps & gfx::PTEXTURECAPS_NONPOW2CONDITIONAL) && singleLevel && !cube);
  if (pow2) {
    w = std::bit_ceil(w);
    h = std::bit_ceil(h);
  }
  if (cube || (caps.textureCaps & gfx::PTEXTURECAPS_SQUAREONLY)) w = h = std::max(w, h);
  if (caps.maxTextureWidth) w = std::min(w, caps.maxTextureWidth);
  if (caps.maxTextureHeight) h = std::min(h, caps.maxTextureHeight);
  if (IsBlockFormat(format)) {
    w = (w + 3) & ~3u;
    h = (h + 3) & ~3u;
  }
  if (width) *width = w;
  if (height) *height = h;
  if (levels) {
    const uint32_t full = FullChain(w, h);
    *levels = (wantedLevels == 0 || wantedLevels == kDefault || wantedLevels == kFromFile)
                  ? full
                  : std::min(wantedLevels, full);
  }
}

Result CheckTextureRequirements(gfx::Device* device, uint32_t* width, uint32_t* height, uint32_t* levels,
                                uint32_t usage, gfx::Format* format, uint32_t pool) {
  if (!device) return gfx::kInvalidCall;
  gfx::Caps caps{};
  if (Result r = device->GetDeviceCaps(&caps); gfx::Failed(r)) return r;
  gfx::Format f = format ? *format : gfx::FMT_A8R8G8B8;
  if (f == kFormatFromFile) f = gfx::FMT_UNKNOWN;
  f = SupportedTextureFormat(device, f, usage, gfx::RTYPE_TEXTURE);
  AdjustTextureSize(caps, width, height, levels, f);
  if (format) *format = f;
  return gfx::kOk;
}

Result CreateTexture(gfx::Device* device, uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                     gfx::Format format, uint32_t pool, gfx::Texture** texture) {
  if (!device || !texture) return gfx::kInvalidCall;
  *texture = nullptr;
  if (Result r = CheckTextureRequirements(device, &width, &height, &levels, usage, &format, pool); gfx::Failed(r))
    return r;
  return device->CreateTexture(width, height, levels, usage, format, pool, texture, nullptr);
}

}  // namespace platform::d3dx
