// Pre-transformed drawing as the 2D modules use it: pixel coverage, texture formats, stage
// operations, blending and alpha test, render-target surfaces, state blocks.
#include "gfx_fixture.h"

using namespace gfxtest;

namespace {

struct Drawing2D : DeviceTest {
  void SetUp() override {
    DeviceTest::SetUp();
    dev->SetRenderState(gfx::RS_LIGHTING, 0);
    dev->SetRenderState(gfx::RS_ZENABLE, 0);
    dev->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
    dev->Clear(0, nullptr, gfx::CLEAR_TARGET, 0xFF000000, 1.0f, 0);
  }

  // A w x h texture of `format` filled from 0xAARRGGBB texels through the format's own layout.
  gfx::Texture* MakeTexture(uint32_t format, uint32_t w, uint32_t h, const std::vector<uint8_t>& texels) {
    gfx::Texture* t = nullptr;
    EXPECT_EQ(dev->CreateTexture(w, h, 1, 0, format, gfx::POOL_MANAGED, &t, nullptr), gfx::kOk);
    if (!t) return nullptr;
    gfx::LockedRect lr;
    EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), gfx::kOk);
    size_t row = texels.size() / h;
    for (uint32_t y = 0; y < h; ++y) std::memcpy(static_cast<uint8_t*>(lr.bits) + y * lr.pitch, &texels[y * row], row);
    EXPECT_EQ(t->UnlockRect(0), gfx::kOk);
    return t;
  }

  // A textured quad whose texels map one to one onto pixels at (x, y), as the sprite module draws.
  void DrawSprite(gfx::BaseTexture* t, float x, float y, float w, float h, uint32_t color = 0xFFFFFFFF) {
    TlVertex v[4] = {{x - 0.5f, y - 0.5f, 0.5f, 1, color, 0, 0},
                     {x + w - 0.5f, y - 0.5f, 0.5f, 1, color, 1, 0},
                     {x - 0.5f, y + h - 0.5f, 0.5f, 1, color, 0, 1},
                     {x + w - 0.5f, y + h - 0.5f, 0.5f, 1, color, 1, 1}};
    dev->SetTexture(0, t);
    dev->SetFVF(gfx::FVF_XYZRHW | gfx::FVF_DIFFUSE | gfx::FVF_TEX1);
    EXPECT_EQ(dev->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, v, sizeof(TlVertex)), gfx::kOk);
  }
};

}  // namespace

TEST_F(Drawing2D, QuadCoversExactlyItsPixelsUnderThePixelCentreRule) {
  FillRect(3, 5, 13, 9, 0xFFFFFFFF);  // corners at (2.5, 4.5) and (12.5, 8.5)
  std::vector<uint32_t> px = ReadTarget();
  int covered = 0;
  for (int y = 0; y < int(kHeight); ++y)
    for (int x = 0; x < int(kWidth); ++x) {
      bool inside = x >= 3 && x < 13 && y >= 5 && y < 9;
      covered += px[size_t(y) * kWidth + x] == 0xFFFFFFFF;
      if (inside != (px[size_t(y) * kWidth + x] == 0xFFFFFFFF)) ADD_FAILURE() << "pixel " << x << "," << y;
    }
  EXPECT_EQ(covered, 40);
}

// Screen-space geometry is not clipped by its depth: the 2D modules draw boxes at z = 10.
TEST_F(Drawing2D, PretransformedDepthOutsideZeroToOneStillDraws) {
  for (float z : {-3.0f, 10.0f}) {
    dev->Clear(0, nullptr, gfx::CLEAR_TARGET, 0xFF000000, 1.0f, 0);
    TlVertex v[4] = {{1.5f, 1.5f, z, 1, 0xFF00FF00, 0, 0},
                     {5.5f, 1.5f, z, 1, 0xFF00FF00, 0, 0},
                     {1.5f, 5.5f, z, 1, 0xFF00FF00, 0, 0},
                     {5.5f, 5.5f, z, 1, 0xFF00FF00, 0, 0}};
    dev->SetTexture(0, nullptr);
    dev->SetFVF(gfx::FVF_XYZRHW | gfx::FVF_DIFFUSE | gfx::FVF_TEX1);
    ASSERT_EQ(dev->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, v, sizeof(TlVertex)), gfx::kOk);
    EXPECT_EQ(ReadTarget()[size_t(3) * kWidth + 3], 0xFF00FF00u) << "z = " << z;
  }
}

TEST_F(Drawing2D, SpriteTexelsLandOnPixels) {
  // 4 x 2 texels, each a different colour; the half-pixel shift maps them one to one.
  std::vector<uint8_t> t(4 * 2 * 4);
  uint32_t colors[8] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF, 0xFF808080, 0xFFFFFFFF};
  std::memcpy(t.data(), colors, sizeof colors);
  gfx::Texture* tex = MakeTexture(gfx::FMT_A8R8G8B8, 4, 2, t);
  dev->SetSamplerState(0, gfx::SAMP_MINFILTER, gfx::TEXF_LINEAR);  // texel-exact even when filtered
  dev->SetSamplerState(0, gfx::SAMP_MAGFILTER, gfx::TEXF_LINEAR);
  DrawSprite(tex, 10, 20, 4, 2);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(Pixel(10 + i % 4, 20 + i / 4), colors[i]) << i;
  EXPECT_EQ(Pixel(9, 20), 0xFF000000u);
  EXPECT_EQ(Pixel(14, 21), 0xFF000000u);
  tex->Release();
}

TEST_F(Drawing2D, AnUploadBetweenDrawsLeavesTheStageTextureInPlace) {
  // Filling a texture binds it for its upload; the stage's own texture must come back for the next draw
  // even though the stage was never set again.
  gfx::Texture* red = MakeTexture(gfx::FMT_X8R8G8B8, 1, 1, {0x00, 0x00, 0xFF, 0xFF});
  DrawSprite(red, 0, 0, 1, 1);
  gfx::Texture* green = MakeTexture(gfx::FMT_X8R8G8B8, 1, 1, {0x00, 0xFF, 0x00, 0xFF});
  DrawSprite(red, 2, 0, 1, 1);
  EXPECT_EQ(Pixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(Pixel(2, 0), 0xFFFF0000u);
  DrawSprite(green, 4, 0, 1, 1);
  EXPECT_EQ(Pixel(4, 0), 0xFF00FF00u);
  dev->SetTexture(0, nullptr);
  green->Release();
  red->Release();
}

TEST_F(Drawing2D, EveryTextureFormatShowsItsColours) {
  struct Case {
    uint32_t format;
    std::vector<uint8_t> texel;  // one texel in the format's memory layout
    uint32_t expected;           // drawn with SELECTARG1 texture over black, no blending
  } cases[] = {
      {gfx::FMT_A8R8G8B8, {0x30, 0x20, 0x10, 0xFF}, 0xFF102030},
      {gfx::FMT_X8R8G8B8, {0x30, 0x20, 0x10, 0x00}, 0xFF102030},
      {gfx::FMT_R8G8B8, {0x30, 0x20, 0x10}, 0xFF102030},
      {gfx::FMT_A4R4G4B4, {0x4C, 0xF8}, 0xFF8844CC},        // 0xF84C
      {gfx::FMT_X4R4G4B4, {0x4C, 0x08}, 0xFF8844CC},
      {gfx::FMT_A1R5G5B5, {0x1F, 0xFC}, 0xFFFF00FF},        // a=1 r=31 g=0 b=31
      {gfx::FMT_X1R5G5B5, {0xE0, 0x03}, 0xFF00FF00},        // g=31
      {gfx::FMT_R5G6B5, {0x00, 0xF8}, 0xFFFF0000},
      {gfx::FMT_R5G6B5, {0xE0, 0x07}, 0xFF00FF00},
      {gfx::FMT_L8, {0x80}, 0xFF808080},
      {gfx::FMT_A8L8, {0x40, 0xFF}, 0xFF404040},
      {gfx::FMT_A8B8G8R8, {0x10, 0x20, 0x30, 0xFF}, 0xFF102030},
      {gfx::FMT_A8R3G3B2, {0xE0, 0xFF}, 0xFFFF0000},
      {gfx::FMT_A4L4, {0xF8}, 0xFF888888},
      {gfx::FMT_A2R10G10B10, {0x00, 0x00, 0xF0, 0xFF}, 0xFFFF0000},
  };
  dev->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_SELECTARG1);
  dev->SetTextureStageState(0, gfx::TSS_COLORARG1, gfx::TA_TEXTURE);
  for (const Case& c : cases) {
    std::vector<uint8_t> texels;
    for (int i = 0; i < 4; ++i) texels.insert(texels.end(), c.texel.begin(), c.texel.end());
    gfx::Texture* tex = MakeTexture(c.format, 2, 2, texels);
    ASSERT_NE(tex, nullptr) << c.format;
    DrawSprite(tex, 0, 0, 2, 2);
    EXPECT_TRUE(Near(Pixel(1, 1), c.expected, 1)) << "format " << c.format << ": " << std::hex << Pixel(1, 1);
    tex->Release();
  }
}

TEST_F(Drawing2D, AlphaOfTextureFormatsBlendsOverTheBackground) {
  // Engine text: white glyph texels in A4R4G4B4 with alpha, blended over the target.
  dev->Clear(0, nullptr, gfx::CLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
  dev->SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
  dev->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
  dev->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
  dev->SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_MODULATE);
  dev->SetTextureStageState(0, gfx::TSS_ALPHAARG2, gfx::TA_DIFFUSE);
  dev->SetTextureStageState(0, gfx::TSS_COLORARG2, gfx::TA_DIFFUSE);
  // Texels: opaque white, transparent, half, and A8 opaque.
  gfx::Texture* text = MakeTexture(gfx::FMT_A4R4G4B4, 3, 1, {0xFF, 0xFF, 0xFF, 0x0F, 0xFF, 0x8F});
  DrawSprite(text, 0, 0, 3, 1, 0xFFFF0000);  // tinted red by the vertex colour
  EXPECT_EQ(Pixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(Pixel(1, 0), 0xFF0000FFu);
  EXPECT_TRUE(Near(Pixel(2, 0), 0xFF890076, 2)) << std::hex << Pixel(2, 0);
  text->Release();
  gfx::Texture* a8 = MakeTexture(gfx::FMT_A8, 1, 1, {0x80});
  DrawSprite(a8, 5, 0, 1, 1, 0xFFFFFFFF);
  // Colour of an alpha-only texture is black.
  EXPECT_TRUE(Near(Pixel(5, 0), 0xFF00007F, 2)) << std::hex << Pixel(5, 0);
  a8->Release();
}

TEST_F(Drawing2D, StageOperationsCombineTextureDiffuseAndFactor) {
  gfx::Texture* tex = MakeTexture(gfx::FMT_X8R8G8B8, 1, 1, {0x40, 0x80, 0xFF, 0xFF});  // 0xFF8040
  const uint32_t diffuse = 0xFF808080;
  struct Case {
    uint32_t op, arg1, arg2;
    uint32_t expected;
  } cases[] = {
      {gfx::TOP_MODULATE, gfx::TA_TEXTURE, gfx::TA_DIFFUSE, 0xFF804020},
      {gfx::TOP_SELECTARG1, gfx::TA_TEXTURE, gfx::TA_DIFFUSE, 0xFFFF8040},
      {gfx::TOP_SELECTARG2, gfx::TA_TEXTURE, gfx::TA_DIFFUSE, 0xFF808080},
      {gfx::TOP_ADD, gfx::TA_TEXTURE, gfx::TA_DIFFUSE, 0xFFFFFFC0},
      {gfx::TOP_MODULATE2X, gfx::TA_TEXTURE, gfx::TA_DIFFUSE, 0xFFFF8040},
      {gfx::TOP_SUBTRACT, gfx::TA_TEXTURE, gfx::TA_DIFFUSE, 0xFF7F0000},
      {gfx::TOP_SELECTARG1, gfx::TA_TFACTOR, gfx::TA_DIFFUSE, 0xFF102030},
      {gfx::TOP_MODULATE, gfx::TA_TEXTURE | gfx::TA_COMPLEMENT, gfx::TA_DIFFUSE, 0xFF003F5F},
      {gfx::TOP_BLENDFACTORALPHA, gfx::TA_TEXTURE, gfx::TA_DIFFUSE, 0xFFBF8060},
  };
  dev->SetRenderState(gfx::RS_TEXTUREFACTOR, 0x80102030);
  for (const Case& c : cases) {
    dev->SetTextureStageState(0, gfx::TSS_COLOROP, c.op);
    dev->SetTextureStageState(0, gfx::TSS_COLORARG1, c.arg1);
    dev->SetTextureStageState(0, gfx::TSS_COLORARG2, c.arg2);
    DrawSprite(tex, 0, 0, 1, 1, diffuse);
    EXPECT_TRUE(Near(Pixel(0, 0), c.expected, 2)) << "op " << c.op << ": " << std::hex << Pixel(0, 0);
  }
  tex->Release();
}

TEST_F(Drawing2D, StagesWithoutTextureAndDisabledStages) {
  // Modulating with a missing texture passes the diffuse colour on (lines and boxes draw so).
  dev->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_MODULATE);
  dev->SetTextureStageState(0, gfx::TSS_COLORARG1, gfx::TA_TEXTURE);
  dev->SetTextureStageState(0, gfx::TSS_COLORARG2, gfx::TA_DIFFUSE);
  DrawSprite(nullptr, 0, 0, 2, 2, 0xFF336699);
  EXPECT_EQ(Pixel(0, 0), 0xFF336699u);
  // A second stage adds a texture; disabling it takes it out again.
  gfx::Texture* tex = MakeTexture(gfx::FMT_X8R8G8B8, 1, 1, {0x00, 0x00, 0x40, 0xFF});
  dev->SetTexture(1, tex);
  dev->SetTextureStageState(1, gfx::TSS_COLOROP, gfx::TOP_ADD);
  dev->SetTextureStageState(1, gfx::TSS_COLORARG1, gfx::TA_TEXTURE);
  dev->SetTextureStageState(1, gfx::TSS_COLORARG2, gfx::TA_CURRENT);
  dev->SetTextureStageState(1, gfx::TSS_TEXCOORDINDEX, 0);
  DrawSprite(nullptr, 0, 0, 2, 2, 0xFF336699);
  EXPECT_EQ(Pixel(0, 0), 0xFF736699u);
  dev->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_DISABLE);  // disables every later stage too
  DrawSprite(nullptr, 0, 0, 2, 2, 0xFF336699);
  EXPECT_EQ(Pixel(0, 0), 0xFF336699u);
  dev->SetTexture(1, nullptr);
  tex->Release();
}

TEST_F(Drawing2D, AlphaTestRejectsByReference) {
  gfx::Texture* tex = MakeTexture(gfx::FMT_A8R8G8B8, 3, 1, {0, 0, 255, 0x00, 0, 0, 255, 0x40, 0, 0, 255, 0xFF});
  dev->SetRenderState(gfx::RS_ALPHATESTENABLE, 1);
  dev->SetRenderState(gfx::RS_ALPHAFUNC, gfx::CMP_GREATER);
  dev->SetRenderState(gfx::RS_ALPHAREF, 0);
  DrawSprite(tex, 0, 0, 3, 1);
  EXPECT_EQ(Pixel(0, 0), 0xFF000000u);  // alpha 0 rejected
  EXPECT_EQ(Pixel(1, 0), 0xFFFF0000u);
  dev->SetRenderState(gfx::RS_ALPHAFUNC, gfx::CMP_GREATEREQUAL);
  dev->SetRenderState(gfx::RS_ALPHAREF, 0x80);
  dev->Clear(0, nullptr, gfx::CLEAR_TARGET, 0xFF000000, 1.0f, 0);
  DrawSprite(tex, 0, 0, 3, 1);
  EXPECT_EQ(Pixel(1, 0), 0xFF000000u);
  EXPECT_EQ(Pixel(2, 0), 0xFFFF0000u);
  tex->Release();
}

TEST_F(Drawing2D, LinesAndFansFollowTheirVertices) {
  TlColorVertex line[2] = {{2, 10, 0, 1, 0xFFFFFFFF}, {12, 10, 0, 1, 0xFFFFFFFF}};
  dev->SetFVF(gfx::FVF_XYZRHW | gfx::FVF_DIFFUSE);
  ASSERT_EQ(dev->DrawPrimitiveUP(gfx::PT_LINELIST, 1, line, sizeof(TlColorVertex)), gfx::kOk);
  EXPECT_EQ(Pixel(2, 10), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(11, 10), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(12, 10), 0xFF000000u);  // last pixel left out
  EXPECT_EQ(Pixel(6, 9), 0xFF000000u);
  EXPECT_EQ(Pixel(6, 11), 0xFF000000u);
  TlColorVertex fan[4] = {{19.5f, 19.5f, 0, 1, 0xFF00FF00}, {29.5f, 19.5f, 0, 1, 0xFF00FF00},
                          {29.5f, 29.5f, 0, 1, 0xFF00FF00}, {19.5f, 29.5f, 0, 1, 0xFF00FF00}};
  ASSERT_EQ(dev->DrawPrimitiveUP(gfx::PT_TRIANGLEFAN, 2, fan, sizeof(TlColorVertex)), gfx::kOk);
  EXPECT_EQ(Pixel(20, 20), 0xFF00FF00u);
  EXPECT_EQ(Pixel(29, 29), 0xFF00FF00u);
  EXPECT_EQ(Pixel(30, 29), 0xFF000000u);
  uint16_t idx[6] = {0, 1, 2, 0, 2, 3};
  TlColorVertex quad[4] = {{39.5f, 9.5f, 0, 1, 0xFFFF0000}, {49.5f, 9.5f, 0, 1, 0xFFFF0000},
                           {49.5f, 19.5f, 0, 1, 0xFFFF0000}, {39.5f, 19.5f, 0, 1, 0xFFFF0000}};
  ASSERT_EQ(dev->DrawIndexedPrimitiveUP(gfx::PT_TRIANGLELIST, 0, 4, 2, idx, gfx::FMT_INDEX16, quad,
                                        sizeof(TlColorVertex)),
            gfx::kOk);
  EXPECT_EQ(Pixel(40, 10), 0xFFFF0000u);
  EXPECT_EQ(Pixel(49, 19), 0xFFFF0000u);
  EXPECT_EQ(dev->DrawPrimitiveUP(99, 1, line, sizeof(TlColorVertex)), gfx::kInvalidCall);
}

TEST_F(Drawing2D, RenderTargetSurfaceIsDrawnIntoThenStretched) {
  gfx::Surface* rt = nullptr;
  ASSERT_EQ(dev->CreateRenderTarget(8, 8, gfx::FMT_X8R8G8B8, 0, 0, 1, &rt, nullptr), gfx::kOk);
  gfx::Surface* screen = nullptr;
  dev->GetRenderTarget(0, &screen);
  ASSERT_EQ(dev->SetRenderTarget(0, rt), gfx::kOk);
  gfx::Viewport vp;
  dev->GetViewport(&vp);
  EXPECT_EQ(vp.width, 8u);  // follows the new target
  dev->Clear(0, nullptr, gfx::CLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
  FillRect(0, 0, 4, 8, 0xFFFF0000);  // left half red
  ASSERT_EQ(dev->SetRenderTarget(0, screen), gfx::kOk);

  gfx::Rect dst{10, 10, 26, 26};  // twice the size, point-sampled
  ASSERT_EQ(dev->StretchRect(rt, nullptr, screen, &dst, gfx::TEXF_POINT), gfx::kOk);
  EXPECT_EQ(Pixel(10, 10), 0xFFFF0000u);
  EXPECT_EQ(Pixel(17, 25), 0xFFFF0000u);
  EXPECT_EQ(Pixel(18, 10), 0xFF0000FFu);
  EXPECT_EQ(Pixel(25, 25), 0xFF0000FFu);
  EXPECT_EQ(Pixel(26, 26), 0xFF000000u);
  // Part of a surface, linear.
  gfx::Rect src{2, 0, 6, 4}, dst2{40, 0, 44, 4};
  ASSERT_EQ(dev->StretchRect(rt, &src, screen, &dst2, gfx::TEXF_LINEAR), gfx::kOk);
  EXPECT_EQ(Pixel(40, 0), 0xFFFF0000u);
  EXPECT_EQ(Pixel(43, 3), 0xFF0000FFu);
  gfx::Rect bad{0, 0, 9, 9};
  EXPECT_EQ(dev->StretchRect(rt, &bad, screen, nullptr, gfx::TEXF_POINT), gfx::kInvalidCall);
  screen->Release();
  rt->Release();
}

TEST_F(Drawing2D, RenderTargetLocksReadAndWriteInTheirFormat) {
  gfx::Surface* rt = nullptr;
  ASSERT_EQ(dev->CreateRenderTarget(4, 4, gfx::FMT_R5G6B5, 0, 0, 1, &rt, nullptr), gfx::kOk);
  ASSERT_EQ(dev->ColorFill(rt, nullptr, 0xFFFF0000), gfx::kOk);
  gfx::LockedRect lr;
  ASSERT_EQ(rt->LockRect(&lr, nullptr, 0), gfx::kOk);
  uint16_t* p = static_cast<uint16_t*>(lr.bits);
  EXPECT_EQ(p[0], 0xF800);
  p[1] = 0x07E0;  // green, written back on unlock
  ASSERT_EQ(rt->UnlockRect(), gfx::kOk);
  std::vector<uint32_t> px = ReadSurface(rt);
  EXPECT_EQ(px[0], 0xFFFF0000u);
  EXPECT_EQ(px[1], 0xFF00FF00u);
  // GetRenderTargetData wants the same format and size.
  gfx::Surface* plain = nullptr;
  dev->CreateOffscreenPlainSurface(4, 4, gfx::FMT_R5G6B5, gfx::POOL_SYSTEMMEM, &plain, nullptr);
  ASSERT_EQ(dev->GetRenderTargetData(rt, plain), gfx::kOk);
  plain->LockRect(&lr, nullptr, gfx::LOCK_READONLY);
  EXPECT_EQ(static_cast<uint16_t*>(lr.bits)[1], 0x07E0);
  plain->UnlockRect();
  gfx::Surface* wrong = nullptr;
  dev->CreateOffscreenPlainSurface(4, 4, gfx::FMT_A8R8G8B8, gfx::POOL_SYSTEMMEM, &wrong, nullptr);
  EXPECT_EQ(dev->GetRenderTargetData(rt, wrong), gfx::kInvalidCall);
  wrong->Release();
  plain->Release();
  rt->Release();
}

TEST_F(Drawing2D, RenderTargetTextureIsSampledAfterDrawing) {
  gfx::Texture* target = nullptr;
  ASSERT_EQ(dev->CreateTexture(4, 4, 1, gfx::USAGE_RENDERTARGET, gfx::FMT_A8R8G8B8, gfx::POOL_DEFAULT, &target, nullptr),
            gfx::kOk);
  gfx::Surface* level = nullptr;
  ASSERT_EQ(target->GetSurfaceLevel(0, &level), gfx::kOk);
  gfx::Surface* screen = nullptr;
  dev->GetRenderTarget(0, &screen);
  dev->SetRenderTarget(0, level);
  dev->Clear(0, nullptr, gfx::CLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
  FillRect(0, 0, 4, 1, 0xFFFF0000);  // top row red
  dev->SetRenderTarget(0, screen);
  dev->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_SELECTARG1);
  DrawSprite(target, 0, 0, 4, 4);
  EXPECT_EQ(Pixel(1, 0), 0xFFFF0000u);  // the top row stays on top
  EXPECT_EQ(Pixel(1, 3), 0xFF00FF00u);
  gfx::BaseTexture* container = nullptr;
  ASSERT_EQ(level->GetContainer(&container), gfx::kOk);
  EXPECT_EQ(container, target);
  container->Release();
  dev->SetTexture(0, nullptr);
  level->Release();
  screen->Release();
  EXPECT_EQ(target->Release(), 0u);  // the level surface counted on the texture
}

TEST_F(Drawing2D, SurfaceCopiesBetweenMemoryAndTextures) {
  gfx::Surface* src = nullptr;
  ASSERT_EQ(dev->CreateOffscreenPlainSurface(4, 4, gfx::FMT_A8R8G8B8, gfx::POOL_SYSTEMMEM, &src, nullptr), gfx::kOk);
  ASSERT_EQ(dev->ColorFill(src, nullptr, 0xFF112233), gfx::kOk);
  gfx::Rect corner{0, 0, 2, 2};
  ASSERT_EQ(dev->ColorFill(src, &corner, 0xFFAABBCC), gfx::kOk);
  gfx::Texture* tex = nullptr;
  dev->CreateTexture(8, 8, 1, 0, gfx::FMT_A8R8G8B8, gfx::POOL_DEFAULT, &tex, nullptr);
  gfx::Surface* level = nullptr;
  tex->GetSurfaceLevel(0, &level);
  gfx::Point at{4, 4};
  ASSERT_EQ(dev->UpdateSurface(src, nullptr, level, &at), gfx::kOk);
  gfx::LockedRect lr;
  ASSERT_EQ(tex->LockRect(0, &lr, nullptr, gfx::LOCK_READONLY), gfx::kOk);
  auto texel = [&](int x, int y) { return static_cast<uint32_t*>(lr.bits)[y * lr.pitch / 4 + x]; };
  EXPECT_EQ(texel(4, 4), 0xFFAABBCCu);
  EXPECT_EQ(texel(7, 7), 0xFF112233u);
  EXPECT_EQ(texel(3, 3), 0u);
  tex->UnlockRect(0);
  gfx::Point outside{6, 6};
  EXPECT_EQ(dev->UpdateSurface(src, nullptr, level, &outside), gfx::kInvalidCall);
  // A texture update copies every level and is visible when drawn.
  gfx::Texture* sys = nullptr;
  dev->CreateTexture(8, 8, 0, 0, gfx::FMT_A8R8G8B8, gfx::POOL_SYSTEMMEM, &sys, nullptr);
  EXPECT_EQ(sys->GetLevelCount(), 4u);
  gfx::Surface* sysLevel = nullptr;
  sys->GetSurfaceLevel(0, &sysLevel);
  dev->ColorFill(sysLevel, nullptr, 0xFFFF00FF);
  sysLevel->Release();
  EXPECT_EQ(dev->UpdateTexture(sys, tex), gfx::kOk);
  dev->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_SELECTARG1);
  DrawSprite(tex, 0, 0, 8, 8);
  EXPECT_EQ(Pixel(5, 5), 0xFFFF00FFu);
  dev->SetTexture(0, nullptr);
  sys->Release();
  level->Release();
  tex->Release();
  src->Release();
}

TEST_F(Drawing2D, RecordedStateBlockCapturesTheCallersValuesAndAppliesItsOwn) {
  // As the text module does: record two blocks, capture one, apply the other, apply the first back.
  auto record = [&](gfx::StateBlock** block) {
    ASSERT_EQ(dev->BeginStateBlock(), gfx::kOk);
    dev->SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
    dev->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    dev->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_SELECTARG2);
    dev->SetSamplerState(0, gfx::SAMP_MINFILTER, gfx::TEXF_LINEAR);
    ASSERT_EQ(dev->EndStateBlock(block), gfx::kOk);
  };
  gfx::StateBlock *saved = nullptr, *text = nullptr;
  record(&saved);
  record(&text);
  uint32_t v = 0;
  dev->GetRenderState(gfx::RS_ALPHABLENDENABLE, &v);
  EXPECT_EQ(v, 0u);  // recording does not apply
  dev->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_DESTCOLOR);
  ASSERT_EQ(saved->Capture(), gfx::kOk);
  ASSERT_EQ(text->Apply(), gfx::kOk);
  dev->GetRenderState(gfx::RS_SRCBLEND, &v);
  EXPECT_EQ(v, uint32_t(gfx::BLEND_SRCALPHA));
  dev->GetTextureStageState(0, gfx::TSS_COLOROP, &v);
  EXPECT_EQ(v, uint32_t(gfx::TOP_SELECTARG2));
  dev->SetRenderState(gfx::RS_ZFUNC, gfx::CMP_GREATER);  // not in the blocks
  ASSERT_EQ(saved->Apply(), gfx::kOk);
  dev->GetRenderState(gfx::RS_SRCBLEND, &v);
  EXPECT_EQ(v, uint32_t(gfx::BLEND_DESTCOLOR));
  dev->GetRenderState(gfx::RS_ALPHABLENDENABLE, &v);
  EXPECT_EQ(v, 0u);
  dev->GetSamplerState(0, gfx::SAMP_MINFILTER, &v);
  EXPECT_EQ(v, uint32_t(gfx::TEXF_POINT));
  dev->GetRenderState(gfx::RS_ZFUNC, &v);
  EXPECT_EQ(v, uint32_t(gfx::CMP_GREATER));
  EXPECT_EQ(dev->EndStateBlock(&text), gfx::kInvalidCall);
  saved->Release();
  text->Release();

  // A whole-state block holds the texture it captured.
  gfx::Texture* tex = nullptr;
  dev->CreateTexture(1, 1, 1, 0, gfx::FMT_A8R8G8B8, gfx::POOL_MANAGED, &tex, nullptr);
  dev->SetTexture(0, tex);
  gfx::StateBlock* all = nullptr;
  ASSERT_EQ(dev->CreateStateBlock(gfx::SBT_ALL, &all), gfx::kOk);
  dev->SetTexture(0, nullptr);
  all->Apply();
  gfx::BaseTexture* bound = nullptr;
  dev->GetTexture(0, &bound);
  EXPECT_EQ(bound, tex);
  bound->Release();
  dev->SetTexture(0, nullptr);
  all->Release();
  EXPECT_EQ(tex->Release(), 0u);
}

TEST_F(Drawing2D, MipLevelsCompressedAndCubeTextures) {
  dev->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_SELECTARG1);
  // Three levels of different colours: a 4 x 4 texture drawn on one pixel reads the 1 x 1 level.
  gfx::Texture* mips = nullptr;
  ASSERT_EQ(dev->CreateTexture(4, 4, 0, 0, gfx::FMT_A8R8G8B8, gfx::POOL_MANAGED, &mips, nullptr), gfx::kOk);
  ASSERT_EQ(mips->GetLevelCount(), 3u);
  const uint32_t colors[3] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
  for (uint32_t l = 0; l < 3; ++l) {
    gfx::Surface* s = nullptr;
    ASSERT_EQ(mips->GetSurfaceLevel(l, &s), gfx::kOk);
    gfx::SurfaceDesc d;
    s->GetDesc(&d);
    EXPECT_EQ(d.width, 4u >> l);
    EXPECT_EQ(dev->ColorFill(s, nullptr, colors[l]), gfx::kOk);
    s->Release();
  }
  dev->SetSamplerState(0, gfx::SAMP_MIPFILTER, gfx::TEXF_POINT);
  DrawSprite(mips, 0, 0, 1, 1);
  EXPECT_EQ(Pixel(0, 0), 0xFF0000FFu);
  DrawSprite(mips, 2, 0, 4, 4);
  EXPECT_EQ(Pixel(3, 1), 0xFFFF0000u);
  dev->SetSamplerState(0, gfx::SAMP_MIPFILTER, gfx::TEXF_NONE);
  DrawSprite(mips, 0, 0, 1, 1);
  EXPECT_EQ(Pixel(0, 0), 0xFFFF0000u);
  mips->Release();

  // Made mipmaps: one level seen, the smaller ones follow level 0 (here its average).
  gfx::Texture* autoMips = nullptr;
  ASSERT_EQ(dev->CreateTexture(4, 4, 0, gfx::USAGE_AUTOGENMIPMAP, gfx::FMT_X8R8G8B8, gfx::POOL_MANAGED, &autoMips,
                               nullptr),
            gfx::kOk);
  EXPECT_EQ(autoMips->GetLevelCount(), 1u);
  gfx::LockedRect half;
  autoMips->LockRect(0, &half, nullptr, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) static_cast<uint32_t*>(half.bits)[y * half.pitch / 4 + x] = x < 2 ? 0xFFFF0000 : 0xFF0000FF;
  autoMips->UnlockRect(0);
  dev->SetSamplerState(0, gfx::SAMP_MIPFILTER, gfx::TEXF_POINT);
  DrawSprite(autoMips, 0, 0, 1, 1);
  EXPECT_TRUE(Near(Pixel(0, 0), 0xFF7F007F, 2)) << std::hex << Pixel(0, 0);
  dev->SetSamplerState(0, gfx::SAMP_MIPFILTER, gfx::TEXF_NONE);
  autoMips->Release();

  // A compressed texture keeps its blocks and draws decoded: colour 0 red, every index 0.
  gfx::Texture* dxt = nullptr;
  ASSERT_EQ(dev->CreateTexture(4, 4, 1, 0, gfx::FMT_DXT1, gfx::POOL_MANAGED, &dxt, nullptr), gfx::kOk);
  gfx::LockedRect lr;
  ASSERT_EQ(dxt->LockRect(0, &lr, nullptr, 0), gfx::kOk);
  EXPECT_EQ(lr.pitch, 8);
  const uint8_t block[8] = {0x00, 0xF8, 0x00, 0x00, 0, 0, 0, 0};
  std::memcpy(lr.bits, block, 8);
  dxt->UnlockRect(0);
  DrawSprite(dxt, 10, 0, 4, 4);
  EXPECT_EQ(Pixel(11, 1), 0xFFFF0000u);
  gfx::Rect unaligned{1, 1, 3, 3};
  EXPECT_EQ(dxt->LockRect(0, &lr, &unaligned, 0), gfx::kInvalidCall);
  dxt->Release();

  // Cube faces in their order; a camera-space normal picks the face it points at.
  gfx::CubeTexture* cube = nullptr;
  ASSERT_EQ(dev->CreateCubeTexture(2, 1, 0, gfx::FMT_X8R8G8B8, gfx::POOL_MANAGED, &cube, nullptr), gfx::kOk);
  const uint32_t faces[6] = {0xFFFF0000, 0xFF00FFFF, 0xFF00FF00, 0xFFFF00FF, 0xFF0000FF, 0xFFFFFF00};
  for (uint32_t f = 0; f < 6; ++f) {
    ASSERT_EQ(cube->LockRect(f, 0, &lr, nullptr, 0), gfx::kOk);
    for (int i = 0; i < 2; ++i) {
      static_cast<uint32_t*>(lr.bits)[i] = faces[f];
      static_cast<uint32_t*>(lr.bits)[lr.pitch / 4 + i] = faces[f];
    }
    cube->UnlockRect(f, 0);
  }
  struct V {
    float x, y, z, rhw;
    float nx, ny, nz;
  };
  dev->SetTexture(0, cube);
  for (uint32_t f = 0; f < 6; ++f) {
    float n[3] = {0, 0, 0};
    n[f / 2] = f % 2 ? -1.0f : 1.0f;
    V v[3] = {{20 - 0.5f, 20 - 0.5f, 0.5f, 1, n[0], n[1], n[2]},
              {24 - 0.5f, 20 - 0.5f, 0.5f, 1, n[0], n[1], n[2]},
              {20 - 0.5f, 24 - 0.5f, 0.5f, 1, n[0], n[1], n[2]}};
    // The normal rides in a three-component coordinate set, looked up directly.
    dev->SetFVF(gfx::FVF_XYZRHW | gfx::FVF_TEX1 | gfx::FvfTexCoordSize3(0));
    ASSERT_EQ(dev->DrawPrimitiveUP(gfx::PT_TRIANGLELIST, 1, v, sizeof(V)), gfx::kOk);
    EXPECT_EQ(Pixel(20, 20), faces[f]) << "face " << f;
  }
  dev->SetTexture(0, nullptr);
  cube->Release();
}

TEST_F(Drawing2D, AddressingModesRepeatClampMirrorAndBorder) {
  // 2 x 1 texture, red then green, drawn over 8 pixels with u from 0 to 2 (4 texels' worth).
  gfx::Texture* tex = MakeTexture(gfx::FMT_X8R8G8B8, 2, 1, {0, 0, 255, 255, 0, 255, 0, 255});
  dev->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_SELECTARG1);
  struct Case {
    uint32_t mode;
    uint32_t expected[4];  // pixels 1, 3, 5, 7
  } cases[] = {
      {gfx::TADDRESS_WRAP, {0xFFFF0000, 0xFF00FF00, 0xFFFF0000, 0xFF00FF00}},
      {gfx::TADDRESS_CLAMP, {0xFFFF0000, 0xFF00FF00, 0xFF00FF00, 0xFF00FF00}},
      {gfx::TADDRESS_MIRROR, {0xFFFF0000, 0xFF00FF00, 0xFF00FF00, 0xFFFF0000}},
      {gfx::TADDRESS_BORDER, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF0000FF}},
  };
  dev->SetSamplerState(0, gfx::SAMP_BORDERCOLOR, 0xFF0000FF);
  for (const Case& c : cases) {
    dev->SetSamplerState(0, gfx::SAMP_ADDRESSU, c.mode);
    TlVertex v[4] = {{-0.5f, -0.5f, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                     {7.5f, -0.5f, 0.5f, 1, 0xFFFFFFFF, 2, 0},
                     {-0.5f, 0.5f, 0.5f, 1, 0xFFFFFFFF, 0, 1},
                     {7.5f, 0.5f, 0.5f, 1, 0xFFFFFFFF, 2, 1}};
    dev->SetTexture(0, tex);
    dev->SetFVF(gfx::FVF_XYZRHW | gfx::FVF_DIFFUSE | gfx::FVF_TEX1);
    dev->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, v, sizeof(TlVertex));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Pixel(1 + 2 * i, 0), c.expected[i]) << "mode " << c.mode << " pixel " << i;
  }
  dev->SetTexture(0, nullptr);
  tex->Release();
}

TEST_F(Drawing2D, OneTextureOnTwoStagesSamplesWithEachStagesOwnStates) {
  // 2 x 1 texture, red then green, over 8 pixels with u from 0 to 2: stage 0 clamps it, stage 1 wraps
  // it and adds, so pixel 5 (u 1.25) is green plus red. A GL texture holds one set of parameters.
  gfx::Texture* tex = MakeTexture(gfx::FMT_X8R8G8B8, 2, 1, {0, 0, 255, 255, 0, 255, 0, 255});
  for (uint32_t s : {0u, 1u}) {
    dev->SetTexture(s, tex);
    dev->SetTextureStageState(s, gfx::TSS_COLORARG1, gfx::TA_TEXTURE);
    dev->SetTextureStageState(s, gfx::TSS_TEXCOORDINDEX, 0);
    dev->SetSamplerState(s, gfx::SAMP_MAGFILTER, gfx::TEXF_POINT);
    dev->SetSamplerState(s, gfx::SAMP_ADDRESSU, s == 0 ? gfx::TADDRESS_CLAMP : gfx::TADDRESS_WRAP);
  }
  dev->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_SELECTARG1);
  dev->SetTextureStageState(1, gfx::TSS_COLOROP, gfx::TOP_ADD);
  dev->SetTextureStageState(1, gfx::TSS_COLORARG2, gfx::TA_CURRENT);
  TlVertex v[4] = {{-0.5f, -0.5f, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                   {7.5f, -0.5f, 0.5f, 1, 0xFFFFFFFF, 2, 0},
                   {-0.5f, 0.5f, 0.5f, 1, 0xFFFFFFFF, 0, 1},
                   {7.5f, 0.5f, 0.5f, 1, 0xFFFFFFFF, 2, 1}};
  dev->SetFVF(gfx::FVF_XYZRHW | gfx::FVF_DIFFUSE | gfx::FVF_TEX1);
  auto draw = [&] { ASSERT_EQ(dev->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, v, sizeof(TlVertex)), gfx::kOk); };
  draw();
  const uint32_t both[4] = {0xFFFF0000, 0xFF00FF00, 0xFFFFFF00, 0xFF00FF00};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Pixel(1 + 2 * i, 0), both[i]) << "pixel " << 1 + 2 * i;
  // Stage 0 alone still clamps; then stage 1 takes its wrapping elsewhere.
  dev->SetTextureStageState(1, gfx::TSS_COLOROP, gfx::TOP_DISABLE);
  draw();
  EXPECT_EQ(Pixel(5, 0), 0xFF00FF00u);
  dev->SetTextureStageState(1, gfx::TSS_COLOROP, gfx::TOP_ADD);
  dev->SetSamplerState(0, gfx::SAMP_ADDRESSU, gfx::TADDRESS_WRAP);
  dev->SetSamplerState(1, gfx::SAMP_ADDRESSU, gfx::TADDRESS_CLAMP);
  draw();
  EXPECT_EQ(Pixel(5, 0), 0xFFFFFF00u);
  EXPECT_EQ(Pixel(7, 0), 0xFF00FF00u);
  dev->SetTextureStageState(1, gfx::TSS_COLOROP, gfx::TOP_DISABLE);
  for (uint32_t s : {0u, 1u}) dev->SetTexture(s, nullptr);
  tex->Release();
}

TEST_F(Drawing2D, SpecularColourIsAddedWhenEnabledAndWireframeDrawsEdges) {
  struct V {
    float x, y, z, rhw;
    uint32_t diffuse, specular;
  };
  auto quad = [&](float x, float y) {
    V v[4] = {{x, y, 0.5f, 1, 0xFF400000, 0xFF004000},
              {x + 4, y, 0.5f, 1, 0xFF400000, 0xFF004000},
              {x, y + 4, 0.5f, 1, 0xFF400000, 0xFF004000},
              {x + 4, y + 4, 0.5f, 1, 0xFF400000, 0xFF004000}};
    dev->SetFVF(gfx::FVF_XYZRHW | gfx::FVF_DIFFUSE | gfx::FVF_SPECULAR);
    dev->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, v, sizeof(V));
  };
  quad(0, 0);
  EXPECT_EQ(Pixel(1, 1), 0xFF400000u);
  dev->SetRenderState(gfx::RS_SPECULARENABLE, 1);
  quad(0, 0);
  EXPECT_EQ(Pixel(1, 1), 0xFF404000u);
  dev->SetRenderState(gfx::RS_SPECULARENABLE, 0);
  dev->SetRenderState(gfx::RS_FILLMODE, gfx::FILL_WIREFRAME);
  quad(10, 10);
  EXPECT_EQ(Pixel(12, 10), 0xFF400000u);  // on the top edge, which runs through pixel centres
  EXPECT_EQ(Pixel(11, 11), 0xFF000000u);  // inside, off the diagonal: empty
}
