#include <cstdlib>

#include <gtest/gtest.h>

#include "platform/d3dx/pictures/dxt_blocks.h"
#include "platform/d3dx/pictures/pixel_formats.h"

namespace {

namespace d3dx = platform::d3dx;
namespace gfx = platform::gfx;
using gfx::Format;

uint32_t ReadOne(Format f, std::vector<uint8_t> bytes) {
  d3dx::Picture p;
  EXPECT_TRUE(d3dx::ReadPixels(f, bytes.data(), bytes.size(), 1, 1, p));
  return p.pixels[0];
}

std::vector<uint8_t> WriteOne(Format f, uint32_t argb) {
  std::vector<uint8_t> bytes(d3dx::FormatBits(f) / 8);
  EXPECT_TRUE(d3dx::WritePixels(f, d3dx::Picture(1, 1, argb), bytes.data(), bytes.size()));
  return bytes;
}

TEST(PixelFormats, KnownValuesInEachPlainFormat) {
  struct Case {
    Format format;
    uint32_t argb;                // written
    std::vector<uint8_t> bytes;   // what the format stores
    uint32_t readBack;            // what reading those bytes gives
  };
  const Case cases[] = {
      {gfx::FMT_A8R8G8B8, 0x80112233, {0x33, 0x22, 0x11, 0x80}, 0x80112233},
      {gfx::FMT_X8R8G8B8, 0x80112233, {0x33, 0x22, 0x11, 0xFF}, 0xFF112233},
      {gfx::FMT_R8G8B8, 0x80112233, {0x33, 0x22, 0x11}, 0xFF112233},
      {gfx::FMT_R5G6B5, 0xFFFF8000, {0x00, 0xFC}, 0xFFFF8200},
      {gfx::FMT_X1R5G5B5, 0x00FF0000, {0x00, 0xFC}, 0xFFFF0000},
      {gfx::FMT_A1R5G5B5, 0x7F0000FF, {0x1F, 0x00}, 0x000000FF},
      {gfx::FMT_A4R4G4B4, 0x88FF0011, {0x01, 0x8F}, 0x88FF0011},
      {gfx::FMT_X4R4G4B4, 0x00FFFFFF, {0xFF, 0xFF}, 0xFFFFFFFF},
      {gfx::FMT_A8, 0x42FFFFFF, {0x42}, 0x42000000},
      {gfx::FMT_R3G3B2, 0xFFFF00FF, {0xE3}, 0xFFFF00FF},
      {gfx::FMT_A8R3G3B2, 0x40FF00FF, {0xE3, 0x40}, 0x40FF00FF},
      {gfx::FMT_A8B8G8R8, 0x80112233, {0x11, 0x22, 0x33, 0x80}, 0x80112233},
      {gfx::FMT_A2R10G10B10, 0xFFFF0000, {0x00, 0x00, 0xF0, 0xFF}, 0xFFFF0000},
      {gfx::FMT_A2B10G10R10, 0x00FF0000, {0xFF, 0x03, 0x00, 0x00}, 0x00FF0000},
      {gfx::FMT_G16R16, 0xFF00FF00, {0x00, 0x00, 0xFF, 0xFF}, 0xFF00FF00},
      {gfx::FMT_A16B16G16R16, 0xFFFF0000, {0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0xFF}, 0xFFFF0000},
      {gfx::FMT_L8, 0xFF808080, {0x80}, 0xFF808080},
      {gfx::FMT_A8L8, 0x40FFFFFF, {0xFF, 0x40}, 0x40FFFFFF},
      {gfx::FMT_A4L4, 0xFF000000, {0xF0}, 0xFF000000},
      {gfx::FMT_L16, 0xFFFFFFFF, {0xFF, 0xFF}, 0xFFFFFFFF},
      {gfx::FMT_A16B16G16R16F, 0x80FF0000, {0x00, 0x3C, 0, 0, 0, 0, 0x04, 0x38}, 0x80FF0000},
      {gfx::FMT_A32B32G32R32F, 0xFF0000FF, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x3F, 0, 0, 0x80, 0x3F}, 0xFF0000FF},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WriteOne(c.format, c.argb), c.bytes) << c.format;
    EXPECT_EQ(ReadOne(c.format, c.bytes), c.readBack) << c.format;
  }
}

// A stored value read and written back is bit for bit the same, so filling part of a surface never
// changes the pixels around it.
TEST(PixelFormats, EveryStoredValueSurvivesARoundTrip) {
  for (Format f : {gfx::FMT_R5G6B5, gfx::FMT_A1R5G5B5, gfx::FMT_A4R4G4B4, gfx::FMT_A8R3G3B2, gfx::FMT_A8L8}) {
    for (uint32_t v = 0; v < 0x10000; ++v) {
      const std::vector<uint8_t> bytes = {uint8_t(v), uint8_t(v >> 8)};
      ASSERT_EQ(WriteOne(f, ReadOne(f, bytes)), bytes) << f << " value " << v;
    }
  }
  for (Format f : {gfx::FMT_L8, gfx::FMT_A8, gfx::FMT_R3G3B2, gfx::FMT_A4L4})
    for (uint32_t v = 0; v < 0x100; ++v) ASSERT_EQ(WriteOne(f, ReadOne(f, {uint8_t(v)})), std::vector<uint8_t>{uint8_t(v)}) << f;
  // Floating-point formats hold every 8-bit channel value exactly.
  for (Format f : {gfx::FMT_A16B16G16R16F, gfx::FMT_A32B32G32R32F})
    for (uint32_t v = 0; v < 0x100; ++v) ASSERT_EQ(ReadOne(f, WriteOne(f, v * 0x01010101u)), v * 0x01010101u) << f;
}

TEST(PixelFormats, SizesOfRowsAndBlocks) {
  EXPECT_EQ(d3dx::FormatRowBytes(gfx::FMT_R8G8B8, 5), 15u);
  EXPECT_EQ(d3dx::FormatRowBytes(gfx::FMT_DXT1, 5), 16u);
  EXPECT_EQ(d3dx::FormatRowBytes(gfx::FMT_DXT5, 4), 16u);
  EXPECT_EQ(d3dx::FormatRowCount(gfx::FMT_DXT3, 5), 2u);
  EXPECT_EQ(d3dx::FormatSurfaceBytes(gfx::FMT_DXT1, 1, 1), 8u);
  EXPECT_EQ(d3dx::FormatBits(gfx::FMT_P8), 8u);
  EXPECT_EQ(d3dx::FormatBits(gfx::FMT_R16F), 0u);
  EXPECT_FALSE(d3dx::IsConvertibleFormat(gfx::FMT_P8));
  d3dx::Picture p;
  uint8_t byte = 0;
  EXPECT_FALSE(d3dx::ReadPixels(gfx::FMT_R32F, &byte, 4, 1, 1, p));
}

int Distance(uint32_t a, uint32_t b) {
  int worst = 0;
  for (int shift = 0; shift < 32; shift += 8) worst = std::max(worst, std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)));
  return worst;
}

// A 5 x 6 picture (partial blocks on both edges) through each block format and back.
d3dx::Picture ThroughBlocks(Format f, const d3dx::Picture& in) {
  std::vector<uint8_t> bytes(d3dx::FormatSurfaceBytes(f, in.width, in.height));
  EXPECT_TRUE(d3dx::WritePixels(f, in, bytes.data(), d3dx::FormatRowBytes(f, in.width)));
  d3dx::Picture out;
  EXPECT_TRUE(d3dx::ReadPixels(f, bytes.data(), d3dx::FormatRowBytes(f, in.width), in.width, in.height, out));
  return out;
}

TEST(DxtBlocks, EncodedBlocksDecodeCloseToTheirSource) {
  d3dx::Picture gradient(5, 6);
  for (uint32_t y = 0; y < 6; ++y)
    for (uint32_t x = 0; x < 5; ++x) gradient.At(x, y) = (x + y) * 25 << 24 | (x + y) * 25 << 16 | (x + y) * 20 << 8 | 0x40;
  for (Format f : {gfx::FMT_DXT2, gfx::FMT_DXT3, gfx::FMT_DXT4, gfx::FMT_DXT5}) {
    d3dx::Picture out = ThroughBlocks(f, gradient);
    for (size_t i = 0; i < out.pixels.size(); ++i) {
      uint32_t want = gradient.pixels[i];
      // Colours of nearly transparent pixels are lost when stored multiplied by alpha.
      if ((f == gfx::FMT_DXT2 || f == gfx::FMT_DXT4) && (want >> 24) < 128) want &= 0xFF000000, out.pixels[i] &= 0xFF000000;
      EXPECT_LE(Distance(out.pixels[i], want), 40) << f << " pixel " << i;
    }
  }

  // Solid colours that 5:6:5 can hold come back exactly, and so do two of them in one block, also
  // when their difference is at right angles to grey (red against blue).
  d3dx::Picture twoColours(4, 4, 0xFFFF0000);
  for (uint32_t i = 0; i < 16; i += 3) twoColours.pixels[i] = 0xFF0000FF;
  for (Format f : {gfx::FMT_DXT1, gfx::FMT_DXT3, gfx::FMT_DXT5}) {
    EXPECT_EQ(ThroughBlocks(f, d3dx::Picture(5, 6, 0xFFFF0000)).pixels, d3dx::Picture(5, 6, 0xFFFF0000).pixels) << f;
    EXPECT_EQ(ThroughBlocks(f, twoColours).pixels, twoColours.pixels) << f;
  }
}

TEST(DxtBlocks, DxtOneKeepsTransparentTexelsTransparent) {
  d3dx::Picture keyed(4, 4, 0xFF20C040);
  keyed.At(1, 1) = 0;
  keyed.At(3, 0) = 0x10FFFFFF;
  keyed.At(0, 3) = 0xFF208040;
  d3dx::Picture out = ThroughBlocks(gfx::FMT_DXT1, keyed);
  EXPECT_EQ(out.At(1, 1), 0u);
  EXPECT_EQ(out.At(3, 0), 0u);
  EXPECT_EQ(out.At(0, 0) >> 24, 0xFFu);
  EXPECT_LE(Distance(out.At(0, 3), 0xFF208040), 12);
  EXPECT_LE(Distance(out.At(2, 2), 0xFF20C040), 12);
}

}  // namespace
