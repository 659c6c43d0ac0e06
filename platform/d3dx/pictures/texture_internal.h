// Shared by the texture services' files.
#pragma once
#include "platform/d3dx/pictures/textures.h"

namespace platform::d3dx {

// The format the device takes for `wanted` (FMT_UNKNOWN: any): itself when accepted, else the
// 32-bit format with alpha (for formats with alpha, palettes or none) or without.
gfx::Format SupportedTextureFormat(gfx::Device* device, gfx::Format wanted, uint32_t usage, uint32_t resourceType);

// Filters as the loaders take them: kDefault or a known kind with any flags.
inline bool ValidFilter(uint32_t filter) {
  const uint32_t kind = filter & kFilterKindMask;
  return filter == kDefault || (kind >= FILTER_NONE && kind <= FILTER_BOX);
}

}  // namespace platform::d3dx
