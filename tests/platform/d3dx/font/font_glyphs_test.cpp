// Glyphs: Windows-1252 characters, preloading, and glyph pages across device resets and new devices.
#include "tests/platform/d3dx/font/font_fixture.h"

namespace fonttest {
namespace {

TEST_F(FontTest, DrawsWindows1252Characters) {
  d3dx::Font* font = MakeFont("Arial", -32);
  // An accented letter is its base letter with something above it.
  const struct {
    const char *accented, *base;
  } pairs[] = {{"\xE9", "e"}, {"\xC9", "E"}, {"\xFF", "y"}, {"\xF1", "n"}, {"\x8A", "S"}};
  for (const auto& p : pairs) {
    SCOPED_TRACE(p.accented);
    const Ink accented = DrawAlone(font, p.accented);
    const Ink base = DrawAlone(font, p.base);
    ASSERT_GT(base.count, 0);
    EXPECT_LT(accented.top, base.top);
    EXPECT_EQ(accented.bottom, base.bottom);
    EXPECT_GT(accented.count, base.count);
  }
  // The euro sign (0x80) is drawn as a glyph of its own.
  EXPECT_GT(DrawAlone(font, "\x80").count, 0);
}

TEST_F(FontTest, PreloadedTextCostsNoGlyphWork) {
  d3dx::Font* font = MakeFont("Arial", -16);
  EXPECT_EQ(d3dx::FontWorkDone(*font).glyphsRasterised, 0u);
  ASSERT_EQ(font->PreloadGlyphs(32, 180), gfx::kOk);
  const d3dx::FontWork preloaded = d3dx::FontWorkDone(*font);
  EXPECT_EQ(preloaded.glyphsRasterised, 149u);
  EXPECT_GE(preloaded.pagesCreated, 1u);
  EXPECT_EQ(preloaded.pageUploads, preloaded.pagesCreated);  // one upload a page

  std::string every;
  for (int c = 32; c <= 180; ++c) every += char(c);
  gfx::Rect rect{0, 0, 0, 0};
  font->DrawText(nullptr, every.c_str(), -1, &rect, d3dx::DT_NOCLIP | d3dx::DT_SINGLELINE, kOpaqueWhite);
  EXPECT_GT(InkOf(0).count, 0);
  const d3dx::FontWork drawn = d3dx::FontWorkDone(*font);
  EXPECT_EQ(drawn.glyphsRasterised, preloaded.glyphsRasterised);
  EXPECT_EQ(drawn.pagesCreated, preloaded.pagesCreated);
  EXPECT_EQ(drawn.pageUploads, preloaded.pageUploads);

  // A character outside the preloaded range is made once, on first use.
  DrawAlone(font, "caf\xE9");
  const d3dx::FontWork first = d3dx::FontWorkDone(*font);
  EXPECT_EQ(first.glyphsRasterised, drawn.glyphsRasterised + 1);
  EXPECT_EQ(first.pageUploads, drawn.pageUploads + 1);
  DrawAlone(font, "\xE9t\xE9");
  EXPECT_EQ(d3dx::FontWorkDone(*font).glyphsRasterised, first.glyphsRasterised);
  EXPECT_EQ(d3dx::FontWorkDone(*font).pageUploads, first.pageUploads);
}

TEST_F(FontTest, EveryByteOfALargeItalicFontIsMade) {
  d3dx::Font* font = MakeFont("Arial", -120, true);
  ASSERT_EQ(font->PreloadGlyphs(0, 255), gfx::kOk);
  EXPECT_EQ(d3dx::FontWorkDone(*font).glyphsRasterised, 256u);
  EXPECT_GT(DrawAlone(font, "\xC6g", 10, 10).count, 0);
}

TEST_F(FontTest, KeepsDrawingAfterADeviceReset) {
  d3dx::Font* font = MakeFont("Arial", -16);
  font->PreloadGlyphs(32, 180);
  d3dx::Sprite* sprite = MakeSprite();
  const auto drawBatch = [&] { return DrawInBatch(font, sprite, "Still here", 0xFF30A0F0); };
  const std::vector<uint32_t> before = drawBatch();
  gfx::PresentParams params = gfxtest::WindowedParams(kTargetWidth, kTargetHeight);
  ASSERT_EQ(dev->Reset(&params), gfx::kOk);
  EXPECT_EQ(drawBatch(), before);
}

TEST_F(FontTest, MovesToANewDeviceWithoutRasterisingAgain) {
  d3dx::Font* font = MakeFont("Arial", -16);
  font->PreloadGlyphs(32, 180);
  d3dx::Sprite* sprite = MakeSprite();
  const auto drawBatch = [&] { return DrawInBatch(font, sprite, "New device", 0xFFF0A030); };
  const std::vector<uint32_t> onFirst = drawBatch();
  const uint32_t rasterised = d3dx::FontWorkDone(*font).glyphsRasterised;

  gfxtest::TestWindow window(64, 48);
  gfx::PresentParams params = gfxtest::WindowedParams(kTargetWidth, kTargetHeight);
  params.deviceWindow = &window;
  gfx::Device* second = nullptr;
  ASSERT_EQ(api_->CreateDevice(0, gfx::DEVTYPE_HAL, &window, gfx::CREATE_HARDWARE_VERTEXPROCESSING, &params, &second),
            gfx::kOk);
  EXPECT_EQ(font->ChangeDevice(second), gfx::kOk);
  EXPECT_EQ(sprite->ChangeDevice(second), gfx::kOk);
  std::swap(dev, second);  // read back from the new device
  EXPECT_EQ(drawBatch(), onFirst);
  std::swap(dev, second);
  EXPECT_EQ(d3dx::FontWorkDone(*font).glyphsRasterised, rasterised);

  // The fonts let the first device go (TearDown checks nothing else holds it); the second goes with them.
  fonts_.clear();
  sprite_.reset();
  EXPECT_EQ(second->Release(), 0u);
}

}  // namespace
}  // namespace fonttest
