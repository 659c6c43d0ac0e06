// Scaling a rectangle of one picture into a rectangle of another, the colour key and mip levels.
#pragma once
#include <cstdint>

#include "platform/d3dx/pictures/picture.h"

namespace platform::d3dx {

// Copies `srcRect` of `src` into `dstRect` of `dst`, scaled with the filter (FILTER_* kind in the low
// byte, kDefault for the triangle filter; flags are accepted and ignored). Pixels of `dst` outside
// `dstRect` keep their values. kInvalidCall for a rectangle that is empty or leaves its picture, or an
// unknown filter.
Result ResamplePicture(const Picture& src, const gfx::Rect& srcRect, Picture& dst, const gfx::Rect& dstRect,
                       uint32_t filter);

// Every pixel exactly equal to `key` (ARGB) becomes 0x00000000. A key of 0 is no key.
void ApplyColorKey(Picture& picture, uint32_t key);

// The next smaller mip level: each side halved (at least 1), scaled with the filter (kDefault: box).
Picture NextMipLevel(const Picture& level, uint32_t filter);

// True when the rectangle is non-empty and lies inside a width x height picture.
bool RectInside(const gfx::Rect& rect, uint32_t width, uint32_t height);

}  // namespace platform::d3dx
