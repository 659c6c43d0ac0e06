// When the CPU pixels of a texture travel to GL: what locks change is gathered and sent once, before
// the next draw that uses the texture, whatever stage it is on and across a device reset.
#include "gfx_fixture.h"

using namespace gfxtest;

namespace {

constexpr uint32_t kSize = 16;
constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF;
constexpr uint32_t kBlack = 0xFF000000;

struct TextureUploads : DeviceTest {
  void SetUp() override {
    DeviceTest::SetUp();
    ASSERT_EQ(dev->CreateTexture(kSize, kSize, 1, 0, gfx::FMT_A8R8G8B8, gfx::POOL_MANAGED, &tex, nullptr), gfx::kOk);
    Prepare();
  }
  void TearDown() override {
    if (tex) tex->Release();
    DeviceTest::TearDown();
  }
  // The states a reset puts back to their defaults: the texture's texels straight onto the pixels.
  void Prepare() {
    dev->SetRenderState(gfx::RS_LIGHTING, 0);
    dev->SetRenderState(gfx::RS_ZENABLE, 0);
    dev->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
    dev->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_SELECTARG1);
    dev->SetTextureStageState(0, gfx::TSS_COLORARG1, gfx::TA_TEXTURE);
    dev->Clear(0, nullptr, gfx::CLEAR_TARGET, kBlack, 1.0f, 0);
  }

  // Pixels x0 to x1 - 1 of row y, written through a lock of just that run (as the game draws lines).
  void WriteRun(uint32_t y, uint32_t x0, uint32_t x1, uint32_t colour) {
    const gfx::Rect run{int32_t(x0), int32_t(y), int32_t(x1), int32_t(y + 1)};
    gfx::LockedRect locked{};
    ASSERT_EQ(tex->LockRect(0, &locked, &run, 0), gfx::kOk);
    for (uint32_t x = 0; x < x1 - x0; ++x) static_cast<uint32_t*>(locked.bits)[x] = colour;
    ASSERT_EQ(tex->UnlockRect(0), gfx::kOk);
  }

  // The texture's texels one to one onto the pixels from (0, 0).
  void Draw() {
    TlVertex v[4] = {{-0.5f, -0.5f, 0.5f, 1, kWhite, 0, 0},
                     {kSize - 0.5f, -0.5f, 0.5f, 1, kWhite, 1, 0},
                     {-0.5f, kSize - 0.5f, 0.5f, 1, kWhite, 0, 1},
                     {kSize - 0.5f, kSize - 0.5f, 0.5f, 1, kWhite, 1, 1}};
    dev->SetFVF(gfx::FVF_XYZRHW | gfx::FVF_DIFFUSE | gfx::FVF_TEX1);
    EXPECT_EQ(dev->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, v, sizeof(TlVertex)), gfx::kOk);
  }

  // Uploads the draw in `step` made.
  template <typename Step>
  uint32_t UploadsOf(Step step) {
    const uint32_t before = gfx::TextureUploadCount(dev);
    step();
    return gfx::TextureUploadCount(dev) - before;
  }

  gfx::Texture* tex = nullptr;
};

}  // namespace

TEST_F(TextureUploads, LinesWrittenInOneFrameGoToGlOnceAndShowOnTheNextDraw) {
  dev->SetTexture(0, tex);
  EXPECT_EQ(UploadsOf([&] { Draw(); }), 1u) << "a new texture sends its zeroed pixels with its first draw";
  EXPECT_EQ(UploadsOf([&] {
              WriteRun(1, 0, 15, kRed);
              WriteRun(3, 2, 5, kGreen);
              WriteRun(3, 8, 9, kBlue);
              WriteRun(14, 0, 1, kGreen);
              WriteRun(1, 4, 6, kBlue);  // over an earlier line
            }),
            0u)
      << "locks alone send nothing";
  EXPECT_EQ(UploadsOf([&] { Draw(); }), 1u);
  std::vector<uint32_t> px = ReadTarget();
  auto at = [&](uint32_t x, uint32_t y) { return px[size_t(y) * kWidth + x]; };
  EXPECT_EQ(at(0, 1), kRed);
  EXPECT_EQ(at(4, 1), kBlue);
  EXPECT_EQ(at(6, 1), kRed);
  EXPECT_EQ(at(14, 1), kRed);
  EXPECT_EQ(at(15, 1), kBlack);
  EXPECT_EQ(at(2, 3), kGreen);
  EXPECT_EQ(at(5, 3), kBlack);
  EXPECT_EQ(at(8, 3), kBlue);
  EXPECT_EQ(at(0, 14), kGreen);
  EXPECT_EQ(at(0, 2), kBlack);
  EXPECT_EQ(UploadsOf([&] { Draw(); }), 0u) << "nothing changed since the last draw";
}

TEST_F(TextureUploads, ReadOnlyLocksSendNothingAndWholeLocksSendEverything) {
  dev->SetTexture(0, tex);
  Draw();
  gfx::LockedRect locked{};
  ASSERT_EQ(tex->LockRect(0, &locked, nullptr, gfx::LOCK_READONLY), gfx::kOk);
  // Written against the lock's word, to see what travels: a read-only lock marks nothing.
  static_cast<uint32_t*>(locked.bits)[0] = kRed;
  ASSERT_EQ(tex->UnlockRect(0), gfx::kOk);
  EXPECT_EQ(UploadsOf([&] { Draw(); }), 0u);
  EXPECT_EQ(Pixel(0, 0), kBlack);

  // Only the rows a lock touched travel: row 0 still waits for a lock that covers it.
  WriteRun(5, 0, 2, kBlue);
  EXPECT_EQ(UploadsOf([&] { Draw(); }), 1u);
  EXPECT_EQ(Pixel(0, 5), kBlue);
  EXPECT_EQ(Pixel(0, 0), kBlack);

  // A lock of the whole texture without a rectangle may have written anywhere.
  ASSERT_EQ(tex->LockRect(0, &locked, nullptr, 0), gfx::kOk);
  ASSERT_EQ(tex->UnlockRect(0), gfx::kOk);
  EXPECT_EQ(UploadsOf([&] { Draw(); }), 1u);
  EXPECT_EQ(Pixel(0, 0), kRed);
}

TEST_F(TextureUploads, ATextureOnAnotherStageAndAfterAResetStillShowsItsLines) {
  // Stage 0 passes the diffuse colour on; stage 1 shows the texture.
  auto useStageOne = [&] {
    dev->SetTextureStageState(0, gfx::TSS_COLORARG1, gfx::TA_DIFFUSE);
    dev->SetTextureStageState(1, gfx::TSS_COLOROP, gfx::TOP_SELECTARG1);
    dev->SetTextureStageState(1, gfx::TSS_COLORARG1, gfx::TA_TEXTURE);
    dev->SetTextureStageState(1, gfx::TSS_TEXCOORDINDEX, 0);
    dev->SetTexture(1, tex);
  };
  useStageOne();
  WriteRun(2, 0, 3, kGreen);
  EXPECT_EQ(UploadsOf([&] { Draw(); }), 1u);
  EXPECT_EQ(Pixel(1, 2), kGreen);
  EXPECT_EQ(Pixel(1, 3), kBlack);

  // Lines written while the texture is bound, then the device reset before it is drawn again.
  WriteRun(3, 0, 3, kRed);
  gfx::PresentParams params = WindowedParams(kWidth, kHeight);
  params.deviceWindow = window_;
  ASSERT_EQ(dev->Reset(&params), gfx::kOk);
  WriteRun(4, 0, 3, kBlue);
  Prepare();
  useStageOne();
  EXPECT_EQ(UploadsOf([&] { Draw(); }), 1u);
  EXPECT_EQ(Pixel(1, 2), kGreen);
  EXPECT_EQ(Pixel(1, 3), kRed);
  EXPECT_EQ(Pixel(1, 4), kBlue);
  EXPECT_EQ(Pixel(1, 5), kBlack);
  dev->SetTexture(1, nullptr);
}
