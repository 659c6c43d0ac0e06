// Decoded pictures and the values the texture services share: file formats, image information,
// filters and results. The CPU layer (decoders, pixel formats, filters, writers) needs no device.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gfx/types.h"

namespace platform::d3dx {

using gfx::Result;

// Results besides the device layer's own.
constexpr Result kInvalidData = static_cast<Result>(0x88760B59);    // damaged or unknown picture
constexpr Result kFileNotFound = static_cast<Result>(0x80070002);   // the file cannot be opened
constexpr Result kFileTooLarge = static_cast<Result>(0x800700DF);   // larger than any picture may be

// "Take it from the file / use the default" in sizes, level counts, filters and formats.
constexpr uint32_t kDefault = 0xFFFFFFFFu;
constexpr uint32_t kDefaultNonPow2 = 0xFFFFFFFEu;  // the file's size without power-of-two rounding
constexpr uint32_t kFromFile = 0xFFFFFFFDu;
constexpr gfx::Format kFormatFromFile = static_cast<gfx::Format>(0xFFFFFFFDu);

// Filters: the low byte picks the kind, the rest are flags.
enum : uint32_t {
  FILTER_NONE = 1,      // no scaling: copied 1:1, what lies outside the source becomes 0
  FILTER_POINT = 2,     // nearest source pixel
  FILTER_LINEAR = 3,    // bilinear between the four nearest source pixels
  FILTER_TRIANGLE = 4,  // every source pixel weighs in by a tent of the scale's width
  FILTER_BOX = 5,       // area average of the source pixels under each destination pixel
  FILTER_MIRROR_U = 0x10000, FILTER_MIRROR_V = 0x20000, FILTER_MIRROR_W = 0x40000, FILTER_MIRROR = 0x70000,
  FILTER_DITHER = 0x80000, FILTER_DITHER_DIFFUSION = 0x100000,
  FILTER_SRGB_IN = 0x200000, FILTER_SRGB_OUT = 0x400000, FILTER_SRGB = 0x600000,
};
constexpr uint32_t kFilterKindMask = 0xFF;

enum ImageFileFormat : uint32_t {
  IFF_BMP = 0, IFF_JPG = 1, IFF_TGA = 2, IFF_PNG = 3, IFF_DDS = 4, IFF_PPM = 5, IFF_DIB = 6,
  IFF_HDR = 7, IFF_PFM = 8,
};

// What a picture file holds, read without decoding its pixels.
struct ImageInfo {
  uint32_t width = 0, height = 0;
  uint32_t depth = 1;      // slices of a volume picture, else 1
  uint32_t mipLevels = 1;  // levels stored in the file
  gfx::Format format = gfx::FMT_UNKNOWN;  // the file's own pixel format
  gfx::ResourceType resourceType = gfx::RTYPE_TEXTURE;
  ImageFileFormat imageFileFormat = IFF_BMP;
};

// Limits past which a picture is refused as damaged rather than allocated.
constexpr uint32_t kMaxPictureSide = 16384;
constexpr uint64_t kMaxPicturePixels = uint64_t(1) << 26;
// A picture file larger than this is refused before it is read: it would be a picture at the pixel
// limit in 64-bit pixels (and so holds a full mip chain of 32-bit pixels at that size with room to
// spare); the decoders would refuse it after the read anyway.
constexpr uint64_t kMaxPictureFileBytes = kMaxPicturePixels * 8;

// A decoded picture: 32-bit ARGB (0xAARRGGBB) pixels, rows top to bottom without padding.
struct Picture {
  uint32_t width = 0, height = 0;
  std::vector<uint32_t> pixels;

  Picture() = default;
  Picture(uint32_t w, uint32_t h, uint32_t fill = 0) : width(w), height(h), pixels(size_t(w) * h, fill) {}
  uint32_t& At(uint32_t x, uint32_t y) { return pixels[size_t(y) * width + x]; }
  uint32_t At(uint32_t x, uint32_t y) const { return pixels[size_t(y) * width + x]; }
  uint32_t* Row(uint32_t y) { return pixels.data() + size_t(y) * width; }
  const uint32_t* Row(uint32_t y) const { return pixels.data() + size_t(y) * width; }
};

// A whole picture file decoded: every level of every face (six faces for a cube picture).
struct PictureFile {
  ImageInfo info;
  uint32_t faces = 1;
  uint32_t levels = 1;
  std::vector<Picture> images;  // images[face * levels + level]

  const Picture& Image(uint32_t face = 0, uint32_t level = 0) const { return images[face * levels + level]; }
};

// Whole-picture rectangle.
inline gfx::Rect FullRect(const Picture& p) { return {0, 0, int32_t(p.width), int32_t(p.height)}; }

}  // namespace platform::d3dx
