// Images on a device that needs power-of-two textures: pictures sit in larger textures and their
// extents say how much of it they cover.
#include "tests/engine/media2d/images/media_fixture.h"
#include "platform/gfx/test_hooks.h"

namespace media_test {
namespace {

class Pow2Images : public MediaTest {
 protected:
  void SetUp() override {
    gfx::SetTextureCapsOverride(gfx::PTEXTURECAPS_POW2, 0);
    MediaTest::SetUp();
  }
  void TearDown() override {
    MediaTest::TearDown();
    gfx::SetTextureCapsOverride(0, 0);
  }
};

// 100 x 50, red with a green last column.
d3dx::Picture EdgedPicture() {
  d3dx::Picture p(100, 50, 0xFFFF0000);
  for (uint32_t y = 0; y < 50; ++y) p.At(99, y) = 0xFF00FF00;
  return p;
}

TEST_F(Pow2Images, UnscaledPicturesSitInTheCornerWithExtentsBelowOne) {
  const std::string bmp = WritePicture("edged.bmp", d3dx::IFF_BMP, EdgedPicture());
  ASSERT_EQ(LoadImageWithMode(bmp.c_str(), 1, 1), 1);
  EXPECT_EQ(GetImageWidth(1), 100);
  EXPECT_EQ(GetImageHeight(1), 50);
  EXPECT_EQ(Level0Desc(1).width, 128u);
  EXPECT_EQ(Level0Desc(1).height, 64u);
  EXPECT_EQ(GetImageU(1), 100.0f / 128.0f);
  EXPECT_EQ(GetImageV(1), 50.0f / 64.0f);
  const d3dx::Picture texels = TexturePixels(GetImageTexture(1));
  EXPECT_EQ(texels.At(99, 49), 0xFF00FF00u);
  EXPECT_EQ(texels.At(100, 0), 0u);  // the rest of the texture stays as made

  // A sprite of it shows the picture only, its last column included.
  SetSprite(1, 0, 0, 1);
  DrawPass();
  const d3dx::Picture screen = BackBuffer();
  EXPECT_EQ(screen.At(98, 10) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(screen.At(99, 10) & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(screen.At(100, 10) & 0xFFFFFF, 0u);

  // Mode 0 stretches the same file over the whole larger texture.
  ASSERT_EQ(LoadImage(bmp.c_str(), 2), 1);
  EXPECT_EQ(Level0Desc(2).width, 128u);
  EXPECT_EQ(GetImageU(2), 1.0f);
  EXPECT_EQ(GetImageV(2), 1.0f);
  EXPECT_EQ(TexturePixels(GetImageTexture(2)).At(127, 63), 0xFF00FF00u);
}

TEST_F(Pow2Images, EmptyImagesAndCapturesGiveTheirExtents) {
  ASSERT_NE(CreateImage(1, 100, 50), nullptr);
  EXPECT_EQ(Level0Desc(1).width, 128u);
  EXPECT_EQ(GetImageU(1), 100.0f / 128.0f);
  EXPECT_EQ(GetImageV(1), 50.0f / 64.0f);

  FillRect(0, 0, 320, 10, 0xFFFF0000);
  FillRect(320, 0, 640, 10, 0xFF00FF00);
  for (int pass = 0; pass < 2; ++pass) {  // made, then kept and refilled
    ASSERT_EQ(CaptureImage(901, 0, 0, 640, 10), 1) << pass;
    EXPECT_EQ(Level0Desc(901).width, 1024u);
    EXPECT_EQ(Level0Desc(901).height, 16u);
    EXPECT_EQ(GetImageU(901), 1.0f);
    EXPECT_EQ(GetImageV(901), 1.0f);
    const d3dx::Picture texels = TexturePixels(GetImageTexture(901));
    EXPECT_TRUE(Near(texels.At(490, 15), 0xFFFF0000u)) << pass;
    EXPECT_TRUE(Near(texels.At(530, 15), 0xFF00FF00u)) << pass;
  }
  EXPECT_EQ(word_, 0u);
}

}  // namespace
}  // namespace media_test
