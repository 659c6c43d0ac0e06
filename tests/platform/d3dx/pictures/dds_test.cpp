#include "fixture_bytes.h"

namespace {

using namespace pictures_test;
namespace d3dx = platform::d3dx;
namespace gfx = platform::gfx;

enum : uint32_t { kAlphaPixels = 0x1, kAlpha = 0x2, kFourCC = 0x4, kRgb = 0x40, kLuminance = 0x20000 };

struct DdsFormat {
  uint32_t flags, fourCC, bits, r, g, b, a;
};
constexpr DdsFormat kArgb{kRgb | kAlphaPixels, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000};
constexpr DdsFormat kDxt(char n) { return {kFourCC, gfx::FourCC('D', 'X', 'T', n), 0, 0, 0, 0, 0}; }

ByteWriter DdsHeader(uint32_t w, uint32_t h, uint32_t mips, const DdsFormat& f, uint32_t caps2 = 0) {
  ByteWriter b;
  b.Text("DDS ").U32(124).U32(0x1007 | (mips > 1 ? 0x20000 : 0)).U32(h).U32(w).U32(0).U32(0).U32(mips).Zeros(44);
  b.U32(32).U32(f.flags).U32(f.fourCC).U32(f.bits).U32(f.r).U32(f.g).U32(f.b).U32(f.a);
  b.U32(0x1000).U32(caps2).U32(0).U32(0).U32(0);
  return b;
}

TEST(DdsReader, UncompressedLevelsByMasks) {
  ByteWriter b = DdsHeader(2, 2, 2, kArgb);
  b.U32(0x80112233).U32(0xFF445566).U32(0x00778899).U32(0x01ABCDEF).U32(0xFF010203);
  d3dx::PictureFile file;
  ASSERT_EQ(Decode(b.bytes, file), gfx::kOk);
  EXPECT_EQ(file.info.mipLevels, 2u);
  EXPECT_EQ(file.info.format, gfx::FMT_A8R8G8B8);
  ASSERT_EQ(file.images.size(), 2u);
  EXPECT_EQ(file.Image(0, 0).pixels, (std::vector<uint32_t>{0x80112233, 0xFF445566, 0x00778899, 0x01ABCDEF}));
  EXPECT_EQ(file.Image(0, 1).pixels, (std::vector<uint32_t>{0xFF010203}));
  ExpectTruncationsRefused(b.bytes, 128);
}

TEST(DdsReader, PlainFormatsTheFileDescribes) {
  struct Case {
    DdsFormat format;
    std::vector<uint8_t> pixel;
    uint32_t expected;
    gfx::Format reported;
  };
  const Case cases[] = {
      {{kRgb, 0, 16, 0xF800, 0x7E0, 0x1F, 0}, {0x1F, 0xF8}, 0xFFFF00FF, gfx::FMT_R5G6B5},
      {{kRgb, 0, 24, 0xFF0000, 0xFF00, 0xFF, 0}, {3, 2, 1}, 0xFF010203, gfx::FMT_R8G8B8},
      {{kRgb | kAlphaPixels, 0, 16, 0xF00, 0xF0, 0xF, 0xF000}, {0x21, 0x43}, 0x44332211, gfx::FMT_A4R4G4B4},
      {{kLuminance, 0, 8, 0xFF, 0, 0, 0}, {0x42}, 0xFF424242, gfx::FMT_L8},
      {{kLuminance | kAlphaPixels, 0, 16, 0xFF, 0, 0, 0xFF00}, {0x42, 0x80}, 0x80424242, gfx::FMT_A8L8},
      {{kAlpha, 0, 8, 0, 0, 0, 0xFF}, {0x42}, 0x42000000, gfx::FMT_A8},
      {{kFourCC, gfx::FMT_A8R8G8B8, 0, 0, 0, 0, 0}, {3, 2, 1, 0x40}, 0x40010203, gfx::FMT_A8R8G8B8},
      {{kFourCC, gfx::FMT_X1R5G5B5, 0, 0, 0, 0, 0}, {0x1F, 0x00}, 0xFF0000FF, gfx::FMT_X1R5G5B5},
  };
  for (const Case& c : cases) {
    ByteWriter b = DdsHeader(1, 1, 1, c.format);
    b.bytes.insert(b.bytes.end(), c.pixel.begin(), c.pixel.end());
    d3dx::PictureFile file;
    ASSERT_EQ(Decode(b.bytes, file), gfx::kOk) << c.reported;
    EXPECT_EQ(file.info.format, c.reported);
    EXPECT_EQ(file.Image().pixels, std::vector<uint32_t>{c.expected}) << c.reported;
  }
}

TEST(DdsReader, DxtBlocksDecodeToTheirColours) {
  // Four-colour mode: red and blue end points, row 0 uses indexes 0 to 3.
  ByteWriter dxt1 = DdsHeader(4, 4, 1, kDxt('1'));
  dxt1.U16(0xF800).U16(0x001F).Raw({0xE4, 0, 0, 0});
  std::vector<uint32_t> expected(16, 0xFFFF0000);
  expected[1] = 0xFF0000FF, expected[2] = 0xFFAA0055, expected[3] = 0xFF5500AA;
  EXPECT_EQ(DecodedPixels(dxt1.bytes), expected);

  // Three-colour mode (first end point not above the second): index 3 is transparent black.
  ByteWriter transparent = DdsHeader(4, 4, 1, kDxt('1'));
  transparent.U16(0x001F).U16(0xF800).Raw({0x3E, 0, 0, 0});
  std::vector<uint32_t> pixels = DecodedPixels(transparent.bytes);
  ASSERT_EQ(pixels.size(), 16u);
  EXPECT_EQ(pixels[0], 0xFF7F007Fu);
  EXPECT_EQ(pixels[1], 0x00000000u);
  EXPECT_EQ(pixels[4], 0xFF0000FFu);

  // Explicit four-bit alpha.
  ByteWriter dxt3 = DdsHeader(4, 4, 1, kDxt('3'));
  dxt3.Raw({0x8F, 0, 0, 0, 0, 0, 0, 0}).U16(0xFFFF).U16(0xFFFF).U32(0);
  pixels = DecodedPixels(dxt3.bytes);
  ASSERT_EQ(pixels.size(), 16u);
  EXPECT_EQ(pixels[0], 0xFFFFFFFFu);
  EXPECT_EQ(pixels[1], 0x88FFFFFFu);
  EXPECT_EQ(pixels[2], 0x00FFFFFFu);

  // Interpolated alpha: end points 255 and 0, indexes 0, 1 and 2.
  ByteWriter dxt5 = DdsHeader(4, 4, 1, kDxt('5'));
  dxt5.Raw({255, 0, 0x88, 0, 0, 0, 0, 0}).U16(0xFFFF).U16(0xFFFF).U32(0);
  pixels = DecodedPixels(dxt5.bytes);
  ASSERT_EQ(pixels.size(), 16u);
  EXPECT_EQ(pixels[0] >> 24, 255u);
  EXPECT_EQ(pixels[1] >> 24, 0u);
  EXPECT_EQ(pixels[2] >> 24, 218u);
  EXPECT_EQ(pixels[3] >> 24, 255u);
  ExpectTruncationsRefused(dxt5.bytes, 128);
}

TEST(DdsReader, PicturesThatAreNotWholeBlocks) {
  // 5 x 3 needs two blocks side by side; the second one's first column is the fifth pixel.
  ByteWriter b = DdsHeader(5, 3, 1, kDxt('1'));
  b.U16(0xF800).U16(0xF800).U32(0).U16(0x001F).U16(0x001F).U32(0);
  d3dx::PictureFile file;
  ASSERT_EQ(Decode(b.bytes, file), gfx::kOk);
  ASSERT_EQ(file.Image().width, 5u);
  EXPECT_EQ(file.Image().At(3, 2), 0xFFFF0000u);
  EXPECT_EQ(file.Image().At(4, 0), 0xFF0000FFu);
}

TEST(DdsReader, CubeMapsHoldSixFaces) {
  ByteWriter b = DdsHeader(1, 1, 1, kArgb, 0x200 | 0xFC00);
  for (uint32_t face = 0; face < 6; ++face) b.U32(0xFF000000 | face);
  d3dx::PictureFile file;
  ASSERT_EQ(Decode(b.bytes, file), gfx::kOk);
  EXPECT_EQ(file.info.resourceType, gfx::RTYPE_CUBETEXTURE);
  ASSERT_EQ(file.faces, 6u);
  for (uint32_t face = 0; face < 6; ++face) EXPECT_EQ(file.Image(face).pixels[0], 0xFF000000 | face);
}

TEST(DdsReader, DamagedFilesAreRefused) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {"more mip levels than the sides allow", DdsHeader(2, 2, 3, kArgb).Zeros(24).bytes},
      {"pixels missing", DdsHeader(2, 2, 1, kArgb).Zeros(15).bytes},
      {"blocks missing", DdsHeader(8, 8, 1, kDxt('1')).Zeros(31).bytes},
      {"unknown four-character code", DdsHeader(1, 1, 1, {kFourCC, gfx::FourCC('D', 'X', '1', '0'), 0, 0, 0, 0, 0}).Zeros(64).bytes},
      {"bit count that is no whole byte", DdsHeader(1, 1, 1, {kRgb, 0, 12, 0xF00, 0xF0, 0xF, 0}).Zeros(4).bytes},
      {"cube map with faces missing", DdsHeader(1, 1, 1, kArgb, 0x200 | 0x400).Zeros(24).bytes},
      {"wrong header size", DdsHeader(1, 1, 1, kArgb).Patch32(4, 100).Zeros(4).bytes},
      {"sides too large", DdsHeader(1, 1, 1, kArgb).Patch32(16, 0x7FFFFFFF).Zeros(4).bytes},
      {"zero height", DdsHeader(1, 1, 1, kArgb).Patch32(12, 0).Zeros(4).bytes},
  };
  for (const Case& c : cases) {
    d3dx::PictureFile out;
    EXPECT_EQ(Decode(c.bytes, out), d3dx::kInvalidData) << c.what;
  }
}

TEST(DdsReader, VolumePicturesAreDescribedButNotDecoded) {
  ByteWriter b = DdsHeader(1, 1, 1, kArgb, 0x200000);
  b.Patch32(24, 2).U32(0).U32(0);
  d3dx::ImageInfo info;
  ASSERT_EQ(d3dx::ReadPictureInfo(b.bytes.data(), b.size(), info), gfx::kOk);
  EXPECT_EQ(info.resourceType, gfx::RTYPE_VOLUMETEXTURE);
  EXPECT_EQ(info.depth, 2u);
  d3dx::PictureFile file;
  EXPECT_EQ(Decode(b.bytes, file), d3dx::kInvalidData);
}

}  // namespace
