// Bitmaps on the real device: making, selecting and deleting them, their errors, and their pixels.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/engine/media2d/basic2d/draw_fixture.h"

namespace draw_test {
namespace {

gfx::Surface* DeviceTarget() {
  gfx::Surface* target = nullptr;
  GetDirect3DDevice()->GetRenderTarget(0, &target);
  if (target) target->Release();  // only compared, the device keeps it
  return target;
}

using BitmapTest = DrawTest;

TEST_F(BitmapTest, NewBitmapIsBlackAndTheDrawingTargetUntilTheScreenIsSelected) {
  DrawBox(0, 0, 640, 480);  // a white screen
  NewBitmap(5, 64, 32);
  EXPECT_EQ(core_->currentBitmap, 5);
  EXPECT_EQ(DeviceTarget(), core_->currentRenderSurface);
  DrawBox(0, 0, 8, 8);  // drawing goes into the bitmap
  const Pixels bitmap = Target();
  EXPECT_EQ(bitmap.width, 64);
  EXPECT_EQ(bitmap.height, 32);
  EXPECT_EQ(bitmap.Lit().size(), 64u);

  SelectBitmap(0);
  EXPECT_EQ(core_->currentBitmap, 0);
  EXPECT_EQ(core_->currentRenderSurface, core_->backBufferSurface);
  EXPECT_EQ(DeviceTarget(), core_->backBufferSurface);
  EXPECT_EQ(Screen().Lit().size(), 640u * 480u);
  EXPECT_EQ(BitmapExists(5), 1);
  EXPECT_EQ(word_, 0u);
}

TEST_F(BitmapTest, NumbersAndMissingBitmapsRaiseErrors) {
  struct Case {
    const char* what;
    void (*call)();
    uint32_t code;
  } cases[] = {
      {"select the screen", [] { SelectBitmap(0); }, 0},
      {"delete the screen", [] { DeleteBitmap(0); }, 1001},
      {"new 0", [] { NewBitmap(0, 8, 8); }, 1001},
      {"new too high", [] { NewBitmap(22000001, 8, 8); }, 1001},
      {"select negative", [] { SelectBitmap(-1); }, 1001},
      {"select too high", [] { SelectBitmap(22000001); }, 1001},
      {"select missing", [] { SelectBitmap(7); }, 1002},
      {"delete missing", [] { DeleteBitmap(7); }, 1002},
      {"exists negative", [] { EXPECT_EQ(BitmapExists(-1), 0); }, 1001},
      {"exists missing", [] { EXPECT_EQ(BitmapExists(7), 0); }, 0},
      {"the screen exists", [] { EXPECT_EQ(BitmapExists(0), 1); }, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.call), c.code) << c.what;
  EXPECT_EQ(core_->currentBitmap, 0);
}

TEST_F(BitmapTest, RemakingANumberReplacesTheBitmap) {
  NewBitmap(2, 16, 16);
  DrawBox(0, 0, 16, 16);
  NewBitmap(2, 64, 32);  // over the bitmap being drawn into
  EXPECT_EQ(core_->currentBitmap, 2);
  EXPECT_EQ(DeviceTarget(), core_->currentRenderSurface);
  const Pixels bitmap = Target();
  EXPECT_EQ(bitmap.width, 64);
  EXPECT_TRUE(bitmap.Lit().empty());

  int32_t w = 0, h = 0, depth = 0, size = 0;
  uint8_t* data = nullptr;
  GetBitmapData(2, &w, &h, &depth, &data, &size, 1);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(w, 64);
  EXPECT_EQ(h, 32);
  EXPECT_EQ(depth, 32);
  EXPECT_EQ(size, 8192);
  GetBitmapData(2, nullptr, nullptr, nullptr, &data, nullptr, 0);
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(word_, 0u);
}

// A bitmap that cannot be made leaves the drawing target alone; one replaced while it was the target
// hands the drawing back to the screen first.
TEST_F(BitmapTest, AFailedBitmapClearsNothing) {
  DrawBox(0, 0, 10, 10);
  EXPECT_EQ(ErrorOf([] { NewBitmap(3, 0, 16); }), 1002u);
  EXPECT_EQ(BitmapExists(3), 0);
  EXPECT_EQ(core_->currentBitmap, 0);
  EXPECT_EQ(Screen().Lit().size(), 100u);

  NewBitmap(4, 16, 16);
  EXPECT_EQ(ErrorOf([] { NewBitmap(4, -5, 16); }), 1002u);
  EXPECT_EQ(BitmapExists(4), 0);
  EXPECT_EQ(core_->currentBitmap, 0);
  EXPECT_EQ(DeviceTarget(), core_->backBufferSurface);
  EXPECT_EQ(Screen().Lit().size(), 100u);
}

TEST_F(BitmapTest, DeletingSelectsTheScreen) {
  NewBitmap(6, 8, 8);
  DeleteBitmap(6);
  EXPECT_EQ(BitmapExists(6), 0);
  EXPECT_EQ(core_->currentBitmap, 0);
  EXPECT_EQ(DeviceTarget(), core_->backBufferSurface);
  DrawBox(0, 0, 2, 2);
  EXPECT_EQ(Screen().Lit().size(), 4u);
}

TEST_F(BitmapTest, PixelDataRoundTripsAndIsBoundsChecked) {
  uint32_t pixels[8 * 4];
  for (uint32_t i = 0; i < 32; ++i) pixels[i] = 0xFF000000u | i * 0x010305u;
  const auto* bytes = reinterpret_cast<const uint8_t*>(pixels);
  SetBitmapData(4, 8, 4, 32, bytes, sizeof pixels);
  ASSERT_EQ(BitmapExists(4), 1);
  gfx::Surface* surface = Bitmaps().list.FindAs<BitmapRecord>(4)->colour;

  int32_t w = 0, h = 0, depth = 0, size = 0;
  uint8_t* data = nullptr;
  GetBitmapData(4, &w, &h, &depth, &data, &size, 1);
  ASSERT_NE(data, nullptr);
  ASSERT_EQ(size, int32_t(sizeof pixels));
  for (int i = 0; i < 32; ++i) {
    uint32_t got;
    std::memcpy(&got, data + 4 * i, 4);
    EXPECT_EQ(got & 0xFFFFFF, pixels[i] & 0xFFFFFF) << i;
  }
  GetBitmapData(4, &w, &h, &depth, &data, &size, 0);

  // The same size keeps the surface; a block shorter than its rows or an unknown depth changes nothing.
  pixels[0] = 0xFFABCDEFu;
  SetBitmapData(4, 8, 4, 32, bytes, sizeof pixels);
  EXPECT_EQ(Bitmaps().list.FindAs<BitmapRecord>(4)->colour, surface);
  SetBitmapData(4, 8, 4, 32, bytes, sizeof pixels - 1);
  SetBitmapData(9, 8, 4, 32, bytes, 16);
  SetBitmapData(9, 8, 4, 12, bytes, sizeof pixels);
  EXPECT_EQ(BitmapExists(9), 0);
  SelectBitmap(4);
  EXPECT_EQ(Target()(0, 0) & 0xFFFFFF, 0xABCDEFu);

  // Another size remakes it.
  SetBitmapData(4, 2, 2, 32, bytes, 16);
  EXPECT_EQ(Bitmaps().list.FindAs<BitmapRecord>(4)->width, 2);
  EXPECT_EQ(core_->currentBitmap, 0);
  EXPECT_EQ(word_, 0u);
}

TEST_F(BitmapTest, ADeviceResetLosesEveryBitmap) {
  NewBitmap(1, 8, 8);
  NewBitmap(2, 8, 8);
  BitmapModule::RefreshD3D(0);
  BitmapModule::RefreshD3D(1);
  EXPECT_EQ(BitmapExists(1), 0);
  EXPECT_EQ(BitmapExists(2), 0);
  EXPECT_EQ(BitmapExists(0), 1);
  EXPECT_EQ(core_->currentBitmap, 0);
}

}  // namespace
}  // namespace draw_test
