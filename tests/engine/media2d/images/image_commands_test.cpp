// Commands on existing images: capture, stretching, pixel access, translucency, memory-block
// conversions, sampler settings, and what holders of an image's texture are told.
#include <cstdlib>
#include <vector>

#include "tests/engine/media2d/images/media_fixture.h"

namespace media_test {
namespace {

using ImageCommands = MediaTest;

TEST_F(ImageCommands, NextPowerOfTwo) {
  const struct { int32_t n, expected; } cases[] = {{-3, 1}, {0, 1}, {1, 1}, {2, 2}, {3, 4}, {640, 1024},
                                                   {1024, 1024}, {4096, 4096}, {4097, 4097}, {5000, 5000}};
  for (const auto& c : cases) EXPECT_EQ(NextPowerOfTwo(c.n), c.expected) << c.n;
}

TEST_F(ImageCommands, CaptureStretchesTheRectangleOverAPowerOfTwoTexture) {
  // Left half red, right half green over the top ten rows.
  FillRect(0, 0, 320, 10, 0xFFFF0000);
  FillRect(320, 0, 640, 10, 0xFF00FF00);
  FillRect(0, 10, 640, 480, 0xFF0000FF);
  ASSERT_EQ(CaptureImage(901, 0, 0, 640, 10), 1);
  EXPECT_EQ(word_, 0u);
  EXPECT_EQ(GetImageWidth(901), 640);
  EXPECT_EQ(GetImageHeight(901), 10);
  const gfx::SurfaceDesc desc = Level0Desc(901);
  EXPECT_EQ(desc.width, 1024u);
  EXPECT_EQ(desc.height, 16u);
  EXPECT_EQ(GetImageU(901), 1.0f);
  EXPECT_EQ(GetImageV(901), 1.0f);
  d3dx::Picture pixels = TexturePixels(GetImageTexture(901));
  EXPECT_TRUE(Near(pixels.At(100, 8), 0xFFFF0000u)) << std::hex << pixels.At(100, 8);
  EXPECT_TRUE(Near(pixels.At(900, 8), 0xFF00FF00u)) << std::hex << pixels.At(900, 8);
  EXPECT_TRUE(Near(pixels.At(900, 15), 0xFF00FF00u));  // no blue row: the picture fills the texture

  // The same size again keeps the image; the new picture replaces the old one whole.
  FillRect(0, 0, 320, 10, 0xFFFFFF00);
  FillRect(320, 0, 640, 10, 0xFF00FFFF);
  ASSERT_EQ(CaptureImage(901, 0, 0, 640, 10), 1);
  pixels = TexturePixels(GetImageTexture(901));
  EXPECT_EQ(Level0Desc(901).width, 1024u);
  EXPECT_EQ(GetImageU(901), 1.0f);
  for (uint32_t x : {0u, 500u}) EXPECT_TRUE(Near(pixels.At(x, 15), 0xFFFFFF00u)) << x;
  for (uint32_t x : {530u, 600u, 1023u}) EXPECT_TRUE(Near(pixels.At(x, 15), 0xFF00FFFFu)) << x;

  // Another size replaces it; a rectangle reaching the surface's edge is accepted.
  ASSERT_EQ(CaptureImage(901, 600, 470, 640, 480), 1);
  EXPECT_EQ(GetImageWidth(901), 40);
  EXPECT_EQ(Level0Desc(901).width, 64u);
  EXPECT_TRUE(Near(TexturePixels(GetImageTexture(901)).At(10, 10), 0xFF0000FFu));
}

TEST_F(ImageCommands, CaptureMakesBlackTransparentUnderTheDefaultKey) {
  FillRect(0, 0, 8, 8, 0xFF000000);
  FillRect(8, 0, 16, 8, 0xFF808080);
  ASSERT_EQ(CaptureImage(3, 0, 0, 16, 8), 1);
  const d3dx::Picture pixels = TexturePixels(GetImageTexture(3));
  EXPECT_EQ(pixels.At(2, 2) >> 24, 0u);
  EXPECT_EQ(pixels.At(12, 2), 0xFF808080u);
}

TEST_F(ImageCommands, StretchLeavesAWholePowerOfTwoTextureAloneAndFillsALargerOne) {
  gfx::Texture* square = CreateImage(1, 256, 256);
  StretchImageToTexture(1, 512, 512);
  EXPECT_EQ(GetImageTexture(1), square);

  ASSERT_NE(CreateImage(2, 3, 2), nullptr);
  LockImage(2);
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 3; ++x) WriteImagePixel(2, y, x, 255, 200, 100, 50);
  UnlockImage(2);
  StretchImageToTexture(2, 8, 4);
  EXPECT_EQ(GetImageWidth(2), 3);
  EXPECT_EQ(GetImageHeight(2), 2);
  EXPECT_EQ(Level0Desc(2).width, 8u);
  EXPECT_EQ(Level0Desc(2).height, 4u);
  EXPECT_TRUE(Near(TexturePixels(GetImageTexture(2)).At(7, 3), 0xFFC86432u));
}

TEST_F(ImageCommands, PixelWritesNeedALockAndStayInsideTheImage) {
  ASSERT_NE(CreateImage(1, 4, 4), nullptr);
  WriteImagePixel(1, 0, 0, 255, 1, 2, 3);  // not locked: nothing written
  LockImage(1);
  EXPECT_EQ(FindImage(1)->locked, 1);
  LockImage(1);  // already locked: refused, still locked once
  WriteImagePixel(1, 1, 2, 0x1FF, 0x110, 0x120, 0x130);  // low 8 bits of each
  // Outside the image: refused, nothing past a row or before the first is touched.
  for (auto [y, x] : {std::pair{0, 4}, {4, 0}, {-1, 0}, {0, -1}, {1000000, 1000000}})
    WriteImagePixel(1, y, x, 255, 255, 255, 255);
  UnlockImage(1);
  EXPECT_EQ(FindImage(1)->locked, 0);
  const d3dx::Picture pixels = TexturePixels(GetImageTexture(1));
  EXPECT_EQ(pixels.At(2, 1), 0xFF102030u);
  for (uint32_t y = 0; y < 4; ++y) {
    for (uint32_t x = 0; x < 4; ++x) {
      if (!(x == 2 && y == 1)) {
        EXPECT_EQ(pixels.At(x, y), 0u) << x << "," << y;
      }
    }
  }

  // A 16-bit image is not written as if it had 32-bit pixels.
  const uint8_t data16[8] = {};
  MakeImageFromData(2, 2, 2, 16, data16, sizeof data16);
  ASSERT_EQ(FindImage(2)->depth, 16);
  LockImage(2);
  WriteImagePixel(2, 0, 1, 255, 255, 255, 255);
  UnlockImage(2);
  uint8_t* data = nullptr;
  int32_t w = 0, h = 0, depth = 0;
  uint32_t size = 0;
  GetImageData(2, &w, &h, &depth, &data, &size, 1);
  ASSERT_EQ(size, 8u);
  EXPECT_EQ(std::vector<uint8_t>(data, data + 8), std::vector<uint8_t>(8, 0));
  GetImageData(2, nullptr, nullptr, nullptr, &data, nullptr, 0);
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(word_, 0u);  // texts only
}

TEST_F(ImageCommands, TranslucencyKeepsZeroPixelsAndSetsEveryOtherAlpha) {
  const uint32_t pixels[4] = {0x00000000u, 0xFF102030u, 0x00000001u, 0x7F405060u};
  MakeImageFromData(1, 2, 2, 32, reinterpret_cast<const uint8_t*>(pixels), sizeof pixels);
  SetImageTranslucency(1, 128);
  const d3dx::Picture after = TexturePixels(GetImageTexture(1));
  EXPECT_EQ(after.pixels, (std::vector<uint32_t>{0x00000000u, 0x80102030u, 0x80000001u, 0x80405060u}));
}

TEST_F(ImageCommands, MemoryBlockRoundTripKeepsOrReplacesTheTexture) {
  std::vector<uint32_t> pixels(6 * 3);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0xFF000000u | uint32_t(i * 0x010203);
  const auto* bytes = reinterpret_cast<const uint8_t*>(pixels.data());
  const uint32_t size = uint32_t(pixels.size() * 4);
  MakeImageFromData(1, 6, 3, 32, bytes, size);
  gfx::Texture* texture = GetImageTexture(1);
  ASSERT_NE(texture, nullptr);
  MakeImageFromData(1, 6, 3, 32, bytes, size);
  EXPECT_EQ(GetImageTexture(1), texture);  // same size and depth: refilled in place

  uint8_t* data = nullptr;
  int32_t w = 0, h = 0, depth = 0;
  uint32_t got = 0;
  GetImageData(1, &w, &h, &depth, &data, &got, 1);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(w, 6);
  EXPECT_EQ(h, 3);
  EXPECT_EQ(depth, 32);
  ASSERT_EQ(got, size);
  EXPECT_EQ(std::memcmp(data, bytes, size), 0);
  GetImageData(1, &w, &h, &depth, &data, &got, 2);

  // A block too short for its rows, or of a depth without a format, changes nothing.
  MakeImageFromData(1, 7, 3, 32, bytes, size);
  MakeImageFromData(1, 6, 3, 24, bytes, size);
  EXPECT_EQ(GetImageTexture(1), texture);
  EXPECT_EQ(GetImageWidth(1), 6);
  MakeImageFromData(1, 3, 3, 32, bytes, size);
  EXPECT_EQ(GetImageWidth(1), 3);
  gfx::SurfaceDesc desc{};
  ASSERT_NE(GetImageTexture(1), nullptr);
  ASSERT_TRUE(gfx::Succeeded(GetImageTexture(1)->GetLevelDesc(0, &desc)));
  EXPECT_EQ(desc.width, 3u);  // a new texture of the new size (its address may be the old one's)

  // A picture said to be larger than its texture hands out what the texture holds.
  const std::string bmp = WritePicture("big.bmp", d3dx::IFF_BMP, d3dx::Picture(16, 8, 0xFF123456));
  ASSERT_EQ(LoadTextureByName(bmp.c_str(), 4), -1);
  GetImageData(-1, &w, &h, &depth, &data, &got, 1);
  EXPECT_EQ(w, 4);
  EXPECT_EQ(h, 2);
  EXPECT_EQ(got, 4u * 2u * 4u);
  std::free(data);
}

TEST_F(ImageCommands, SamplerSettingsAndMemoryMode) {
  uint32_t value = 0;
  SetImageFiltering(1);
  Device()->GetSamplerState(0, gfx::SAMP_MINFILTER, &value);
  EXPECT_EQ(value, uint32_t(gfx::TEXF_LINEAR));
  SetImageFilterMode(1);
  Device()->GetSamplerState(0, gfx::SAMP_MIPFILTER, &value);
  EXPECT_EQ(value, uint32_t(gfx::TEXF_POINT));
  SetImageFilterMode(7);
  Device()->GetSamplerState(0, gfx::SAMP_MAGFILTER, &value);
  EXPECT_EQ(value, uint32_t(gfx::TEXF_POINT));
  SetImageMipBias(gfx::FloatBits(-0.5f));
  Device()->GetSamplerState(0, gfx::SAMP_MIPMAPLODBIAS, &value);
  EXPECT_EQ(gfx::BitsFloat(value), -0.5f);
  SetImageMemoryMode(5);
  EXPECT_EQ(Images().memoryMode, 5);
  EXPECT_EQ(word_, 0u);
}

gfx::Texture* g_released = nullptr;

TEST_F(ImageCommands, HoldersAreToldOfEveryTextureThatGoes) {
  SetImageReleaseHandler([](gfx::Texture* texture) { g_released = texture; });
  gfx::Texture* texture = CreateImage(1, 8, 8);
  SetSprite(1, 0, 0, 1);
  ASSERT_EQ(FindSprite(1)->texture, texture);

  // Replaced by a load that fails: the sprite no longer holds the released texture.
  EXPECT_EQ(LoadImage("no such picture.bmp", 1), 0);
  EXPECT_EQ(g_released, texture);
  EXPECT_EQ(FindSprite(1)->texture, nullptr);
  EXPECT_EQ(FindSprite(1)->width, -1);

  // Recreated: the sprite takes the new texture by its number.
  texture = CreateImage(1, 8, 8);
  EXPECT_EQ(FindSprite(1)->texture, texture);
  DeleteImage(1);
  EXPECT_EQ(g_released, texture);
  EXPECT_EQ(FindSprite(1)->texture, nullptr);
  DrawPass();  // draws the quad without a texture

  // A device reset lets go of every image, and tells the holders too.
  texture = CreateImage(2, 4, 4);
  ImageModule::RefreshD3D(0);
  EXPECT_EQ(g_released, texture);
}

}  // namespace
}  // namespace media_test
