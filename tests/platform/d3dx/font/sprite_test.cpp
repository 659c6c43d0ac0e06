// Sprite batches: text of several fonts drawn with one draw per glyph page, the device's states given
// back, text without a batch, and refused calls.
#include "tests/platform/d3dx/font/font_fixture.h"

namespace fonttest {
namespace {

class SpriteTest : public FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    if (HasFatalFailure()) return;
    for (auto [face, height, italic] : {std::tuple{"Arial", -16, false}, {"Arial", -9, false}, {"Impact", -29, true}}) {
      d3dx::Font* font = MakeFont(face, height, italic);
      font->PreloadGlyphs(32, 180);
      fonts.push_back(font);
    }
    sprite = MakeSprite();
  }

  // Six texts on separate lines, the fonts taking turns; returns the draw calls it cost.
  uint32_t DrawTurns(uint32_t flags) {
    ClearTo(0xFF000000);
    const uint32_t before = gfx::DrawCallCount(dev);
    EXPECT_EQ(sprite->Begin(flags), gfx::kOk);
    for (int i = 0; i < 6; ++i) {
      gfx::Rect rect{4, 4 + i * 25, 0, 0};
      fonts[size_t(i % 3)]->DrawText(sprite, "Score 0042", -1, &rect, d3dx::DT_NOCLIP, 0xFFFFFFFF);
    }
    EXPECT_EQ(gfx::DrawCallCount(dev), before) << "nothing is drawn before the batch ends";
    EXPECT_EQ(sprite->End(), gfx::kOk);
    return gfx::DrawCallCount(dev) - before;
  }

  std::vector<d3dx::Font*> fonts;
  d3dx::Sprite* sprite = nullptr;
};

TEST_F(SpriteTest, SortedBatchDrawsOncePerGlyphPage) {
  EXPECT_EQ(DrawTurns(d3dx::SPRITE_ALPHABLEND | d3dx::SPRITE_SORT_TEXTURE), 3u);
  const std::vector<uint32_t> sorted = Read();
  EXPECT_EQ(DrawTurns(d3dx::SPRITE_ALPHABLEND), 6u);
  EXPECT_EQ(Read(), sorted) << "texts that do not overlap look the same in either order";
}

TEST_F(SpriteTest, SortingKeepsTheOrderWithinAPage) {
  // The second text of the same font covers the first, as drawn.
  ClearTo(0xFF000000);
  sprite->Begin(d3dx::SPRITE_ALPHABLEND | d3dx::SPRITE_SORT_TEXTURE);
  gfx::Rect under{10, 10, 0, 0}, other{10, 60, 0, 0}, over{10, 10, 0, 0};
  fonts[0]->DrawText(sprite, "MMMM", -1, &under, d3dx::DT_NOCLIP, 0xFFFF0000);
  fonts[1]->DrawText(sprite, "MMMM", -1, &other, d3dx::DT_NOCLIP, 0xFFFFFFFF);
  fonts[0]->DrawText(sprite, "MMMM", -1, &over, d3dx::DT_NOCLIP, 0xFF00FF00);
  sprite->End();
  int green = 0, redOnTop = 0;
  const std::vector<uint32_t> pixels = Read();
  for (size_t i = 0; i < size_t(50 * kTargetWidth); ++i) {
    const uint32_t r = pixels[i] >> 16 & 0xFF, g = pixels[i] >> 8 & 0xFF;
    green += g > 200;
    redOnTop += r > g;
  }
  EXPECT_GT(green, 20);
  EXPECT_EQ(redOnTop, 0);
}

TEST_F(SpriteTest, GivesTheDeviceItsStatesBack) {
  gfx::Texture* texture = nullptr;
  ASSERT_EQ(dev->CreateTexture(8, 8, 1, 0, gfx::FMT_A8R8G8B8, gfx::POOL_MANAGED, &texture, nullptr), gfx::kOk);
  gfx::VertexBuffer* buffer = nullptr;
  ASSERT_EQ(dev->CreateVertexBuffer(256, 0, 0, gfx::POOL_MANAGED, &buffer, nullptr), gfx::kOk);
  const struct {
    uint32_t state, value;
  } renderStates[] = {
      {gfx::RS_ALPHABLENDENABLE, 0}, {gfx::RS_SRCBLEND, gfx::BLEND_ONE}, {gfx::RS_ZENABLE, gfx::ZB_TRUE},
      {gfx::RS_CULLMODE, gfx::CULL_CCW}, {gfx::RS_LIGHTING, 1},         {gfx::RS_FOGENABLE, 1},
      {gfx::RS_ALPHATESTENABLE, 0},  {gfx::RS_STENCILENABLE, 1},         {gfx::RS_COLORWRITEENABLE, 0x7},
  };
  for (const auto& s : renderStates) dev->SetRenderState(s.state, s.value);
  dev->SetTexture(0, texture);
  dev->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_SELECTARG2);
  dev->SetTextureStageState(1, gfx::TSS_COLOROP, gfx::TOP_ADD);
  dev->SetSamplerState(0, gfx::SAMP_MINFILTER, gfx::TEXF_LINEAR);
  dev->SetFVF(gfx::FVF_XYZ | gfx::FVF_NORMAL);
  dev->SetStreamSource(0, buffer, 0, 24);

  DrawTurns(d3dx::SPRITE_ALPHABLEND | d3dx::SPRITE_SORT_TEXTURE);

  for (const auto& s : renderStates) {
    uint32_t value = 0;
    dev->GetRenderState(s.state, &value);
    EXPECT_EQ(value, s.value) << "render state " << s.state;
  }
  gfx::BaseTexture* bound = nullptr;
  dev->GetTexture(0, &bound);
  EXPECT_EQ(bound, texture);
  if (bound) bound->Release();
  uint32_t value = 0;
  dev->GetTextureStageState(0, gfx::TSS_COLOROP, &value);
  EXPECT_EQ(value, gfx::TOP_SELECTARG2);
  dev->GetTextureStageState(1, gfx::TSS_COLOROP, &value);
  EXPECT_EQ(value, gfx::TOP_ADD);
  dev->GetSamplerState(0, gfx::SAMP_MINFILTER, &value);
  EXPECT_EQ(value, gfx::TEXF_LINEAR);
  dev->GetFVF(&value);
  EXPECT_EQ(value, gfx::FVF_XYZ | gfx::FVF_NORMAL);
  gfx::VertexBuffer* stream = nullptr;
  uint32_t offset = 0, stride = 0;
  dev->GetStreamSource(0, &stream, &offset, &stride);
  EXPECT_EQ(stream, buffer);
  EXPECT_EQ(stride, 24u);
  if (stream) stream->Release();
  buffer->Release();
  texture->Release();
}

TEST_F(SpriteTest, TextWithoutABatchIsDrawnAtOnce) {
  for (d3dx::Sprite* given : {static_cast<d3dx::Sprite*>(nullptr), sprite}) {
    ClearTo(0xFF000000);
    const uint32_t before = gfx::DrawCallCount(dev);
    gfx::Rect rect{10, 10, 0, 0};
    EXPECT_EQ(fonts[0]->DrawText(given, "Now", -1, &rect, d3dx::DT_NOCLIP, 0xFFFFFFFF), fonts[0]->Metrics().height);
    EXPECT_EQ(gfx::DrawCallCount(dev), before + 1);
    EXPECT_GT(InkOf(0).count, 0);
  }
}

TEST_F(SpriteTest, RefusesWhatItCannotDo) {
  std::unique_ptr<d3dx::Font> font;
  std::unique_ptr<d3dx::Sprite> other;
  EXPECT_EQ(d3dx::CreateFont(nullptr, d3dx::FontDesc{}, &font), gfx::kInvalidCall);
  EXPECT_EQ(d3dx::CreateSprite(nullptr, &other), gfx::kInvalidCall);
  EXPECT_EQ(fonts[0]->PreloadGlyphs(200, 100), gfx::kInvalidCall);

  gfx::Texture* page = nullptr;
  ASSERT_EQ(dev->CreateTexture(8, 8, 1, 0, gfx::FMT_A8R8G8B8, gfx::POOL_MANAGED, &page, nullptr), gfx::kOk);
  EXPECT_EQ(sprite->End(), gfx::kInvalidCall);
  EXPECT_EQ(sprite->Draw(page, {0, 0, 4, 4}, 0, 0, 0xFFFFFFFF), gfx::kInvalidCall);
  EXPECT_EQ(sprite->Begin(0), gfx::kOk);
  EXPECT_EQ(sprite->Begin(0), gfx::kInvalidCall);
  EXPECT_EQ(sprite->Draw(nullptr, {0, 0, 4, 4}, 0, 0, 0xFFFFFFFF), gfx::kInvalidCall);
  EXPECT_EQ(sprite->ChangeDevice(dev), gfx::kInvalidCall);
  EXPECT_EQ(fonts[0]->ChangeDevice(nullptr), gfx::kInvalidCall);
  EXPECT_EQ(sprite->End(), gfx::kOk);
  page->Release();

  gfx::Rect rect{5, 6, 50, 60};
  EXPECT_EQ(fonts[0]->DrawText(sprite, nullptr, -1, &rect, 0, 0xFFFFFFFF), 0);
  EXPECT_EQ(fonts[0]->DrawText(sprite, "text", -1, nullptr, 0, 0xFFFFFFFF), 0);
  EXPECT_EQ(fonts[0]->DrawText(sprite, "", -1, &rect, d3dx::DT_CALCRECT, 0xFFFFFFFF), 0);
  EXPECT_EQ(rect.right, 5);
  EXPECT_EQ(rect.bottom, 6);
}

}  // namespace
}  // namespace fonttest
