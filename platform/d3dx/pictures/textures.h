// Texture services on the device: picture information, textures made with the device's size rules,
// textures and cube textures loaded from picture files, pictures and surfaces loaded into surfaces
// (destination rectangle, filter, colour key), mip levels and saving. Sizes, level counts, filters
// and formats take kDefault / kFromFile / kFormatFromFile where the file or the rules decide.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/d3dx/pictures/picture.h"
#include "platform/gfx/device.h"

namespace platform::d3dx {

// --- information
Result GetImageInfoFromFile(std::string_view fileName, ImageInfo* info);
Result GetImageInfoFromFileInMemory(const void* data, size_t size, ImageInfo* info);

// --- sizes and formats
// The size rules alone: width and height 0 or kDefault become the other side (256 when both are
// unset), are rounded up to powers of two when the caps ask for it (POW2, unless NONPOW2CONDITIONAL
// and a single level), made square for SQUAREONLY, kept within the maximum size and, for block
// formats, to whole blocks; levels 0 or kDefault become the full chain, and no more than it.
void AdjustTextureSize(const gfx::Caps& caps, uint32_t* width, uint32_t* height, uint32_t* levels,
                       gfx::Format format, bool cube = false);
// The rules of the device, and a format it accepts in place of one it does not (the nearest of
// A8R8G8B8 and X8R8G8B8). Null arguments are left out.
Result CheckTextureRequirements(gfx::Device* device, uint32_t* width, uint32_t* height, uint32_t* levels,
                                uint32_t usage, gfx::Format* format, uint32_t pool);
Result CreateTexture(gfx::Device* device, uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                     gfx::Format format, uint32_t pool, gfx::Texture** texture);

// --- loading into surfaces
// Scales `srcRect` of the picture (null: all of it) into `destRect` of the surface (null: all of it);
// pixels exactly equal to `colorKey` (ARGB, 0 for none) become 0x00000000 first. kInvalidCall for
// rectangles outside their picture or surface and unknown filters; kNotAvailable for a surface format
// without a conversion; a failed lock is passed on.
Result LoadSurfaceFromPicture(gfx::Surface* dest, const gfx::Rect* destRect, const Picture& src,
                              const gfx::Rect* srcRect, uint32_t filter, uint32_t colorKey);
Result LoadSurfaceFromFile(gfx::Surface* dest, const gfx::Rect* destRect, std::string_view fileName,
                           const gfx::Rect* srcRect, uint32_t filter, uint32_t colorKey, ImageInfo* srcInfo);
Result LoadSurfaceFromFileInMemory(gfx::Surface* dest, const gfx::Rect* destRect, const void* data, size_t size,
                                   const gfx::Rect* srcRect, uint32_t filter, uint32_t colorKey, ImageInfo* srcInfo);
Result LoadSurfaceFromSurface(gfx::Surface* dest, const gfx::Rect* destRect, gfx::Surface* src,
                              const gfx::Rect* srcRect, uint32_t filter, uint32_t colorKey);
// A whole surface (or level) read into ARGB.
Result ReadSurface(gfx::Surface* surface, Picture* out);

// --- textures from files
// width / height: kDefault (or 0) the file's size under the device's rules, kDefaultNonPow2 or
// kFromFile the file's size; mipLevels: kDefault (or 0) the full chain, kFromFile the file's count;
// format: kFormatFromFile (or FMT_UNKNOWN) the file's own. Filters default to triangle for the picture
// and box for the mip levels; a mip filter of FILTER_NONE leaves levels 1 and up as made.
Result CreateTextureFromFileEx(gfx::Device* device, std::string_view fileName, uint32_t width, uint32_t height,
                               uint32_t mipLevels, uint32_t usage, gfx::Format format, uint32_t pool, uint32_t filter,
                               uint32_t mipFilter, uint32_t colorKey, ImageInfo* srcInfo, gfx::Texture** texture);
Result CreateTextureFromFileInMemoryEx(gfx::Device* device, const void* data, size_t size, uint32_t width,
                                       uint32_t height, uint32_t mipLevels, uint32_t usage, gfx::Format format,
                                       uint32_t pool, uint32_t filter, uint32_t mipFilter, uint32_t colorKey,
                                       ImageInfo* srcInfo, gfx::Texture** texture);
// Everything by default, managed pool.
Result CreateTextureFromFile(gfx::Device* device, std::string_view fileName, gfx::Texture** texture);
// A cube picture fills its six faces; a flat picture fills every face with itself.
Result CreateCubeTextureFromFileEx(gfx::Device* device, std::string_view fileName, uint32_t size, uint32_t mipLevels,
                                   uint32_t usage, gfx::Format format, uint32_t pool, uint32_t filter,
                                   uint32_t mipFilter, uint32_t colorKey, ImageInfo* srcInfo,
                                   gfx::CubeTexture** texture);
// Rebuilds the levels after `srcLevel` from it (filter kDefault: box), of a texture or cube texture.
Result FilterTexture(gfx::BaseTexture* texture, uint32_t srcLevel, uint32_t filter);

// --- saving (BMP and PNG; alpha is kept when the surface's format has it)
Result SaveSurfaceToFile(std::string_view fileName, ImageFileFormat fileFormat, gfx::Surface* src,
                         const gfx::Rect* srcRect);
// Level 0 (of face 0 for a cube texture).
Result SaveTextureToFile(std::string_view fileName, ImageFileFormat fileFormat, gfx::BaseTexture* src);

}  // namespace platform::d3dx
