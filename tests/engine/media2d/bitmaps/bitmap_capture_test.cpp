// The game composes generated images in bitmaps: what is drawn into a bitmap shows in the image
// captured from it.
#include <gtest/gtest.h>

#include "engine/media2d/image.h"
#include "tests/engine/media2d/basic2d/draw_fixture.h"

namespace draw_test {
namespace {

class BitmapCaptureTest : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    ImageModule::Constructor();
    ImageModule::SetErrorHandler(&word_);
    ImageModule::PassCoreData(core_);
    SetImageColorKey(0, 0, 0);
  }
  void TearDown() override {
    ImageModule::Destructor();
    DrawTest::TearDown();
  }
};

TEST_F(BitmapCaptureTest, ACapturedBitmapShowsTheDrawing) {
  DrawBox(0, 0, 640, 480);  // the screen stays out of the picture
  NewBitmap(10, 32, 16);
  SetDrawColors(Rgb(255, 0, 0), 0);
  DrawBox(0, 0, 8, 8);
  SetDrawColors(Rgb(0, 255, 0), 0);
  DrawDot(20, 10);
  SetDrawColors(Rgb(0, 0, 255), 0);
  DrawLine(0, 14, 32, 14);
  ASSERT_EQ(CaptureImage(900, 0, 0, 32, 16), 1);
  SelectBitmap(0);
  DeleteBitmap(10);

  ASSERT_EQ(GetImageWidth(900), 32);
  ASSERT_EQ(GetImageHeight(900), 16);
  gfx::Texture* texture = GetImageTexture(900);
  ASSERT_NE(texture, nullptr);
  gfx::Surface* level = nullptr;
  ASSERT_EQ(texture->GetSurfaceLevel(0, &level), gfx::kOk);
  const Pixels image = ReadPixels(level);
  level->Release();
  ASSERT_EQ(image.width, 32);
  EXPECT_EQ(image(4, 4) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(image(20, 10) & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(image(16, 14) & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(image(25, 3) & 0xFFFFFF, 0u);
  EXPECT_EQ(image(8, 8) & 0xFFFFFF, 0u);
  EXPECT_EQ(word_, 0u);
}

}  // namespace
}  // namespace draw_test
