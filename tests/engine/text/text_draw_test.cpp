// Strings drawn from the font atlas and read back from the back buffer.
#include <cstdlib>
#include <string>

#include "tests/engine/text/draw_counter.h"
#include "tests/engine/text/text_fixture.h"

namespace {

struct FontCase {
  const char* face;
  uint32_t size;
};
struct InkCase {
  uint32_t foreground, background;
  uint32_t drawn;  // what the glyph pixels read back as
};

// Channels within 2 of each other (4-bit texels and filtering leave no more).
bool Near(uint32_t a, uint32_t b) {
  for (int shift : {0, 8, 16})
    if (std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)) > 2) return false;
  return true;
}

TEST_F(TextTest, DrawsInTheInkColourWithinItsMeasuredBox) {
  const std::string text = "Qel 42, gyp!";
  for (const FontCase font : {FontCase{"Arial", 16}, FontCase{"fixedsys", 12}}) {
    SetTextFont(font.face);
    SetTextSize(font.size);
    // With ink background 0 the white glyphs are tinted through the vertex colour; with another the
    // foreground is baked into the texels.
    for (const InkCase ink : {InkCase{0xFF33CC66, 0, 0x33CC66}, InkCase{0xFFFF8800, 0xFF000010, 0xFF8800}}) {
      SCOPED_TRACE(std::string(font.face) + " background " + std::to_string(ink.background));
      core_->inkForeground = ink.foreground;
      core_->inkBackground = ink.background;
      const int x = 20, y = 30;
      const std::vector<uint32_t> pixels = Render([&] { DrawTextAt(x, y, text.c_str()); });
      const InkBox box = FindInk(pixels, kWidth);
      ASSERT_FALSE(box.empty());
      int off = 0;
      for (uint32_t p : pixels) off += p != 0 && !Near(p, ink.drawn);
      EXPECT_EQ(off, 0) << "pixels in another colour";
      EXPECT_GE(box.left, x);
      EXPECT_GE(box.top, y);
      EXPECT_LT(box.right, x + GetTextWidth(text.c_str()));
      EXPECT_LT(box.bottom, y + GetTextHeight(text.c_str()));
      // Glyphs of a monospaced face or a proportional one: far more than a few pixels each.
      EXPECT_GT(box.count, int(text.size()) * 8);
    }
  }
}

TEST_F(TextTest, MeasuredWidthIsWhereTheNextDrawContinues) {
  for (const FontCase font : {FontCase{"Arial", 16}, FontCase{"fixedsys", 12}}) {
    SCOPED_TRACE(font.face);
    SetTextFont(font.face);
    SetTextSize(font.size);
    const char* part = "Wavy Tj";
    const int width = GetTextWidth(part);
    ASSERT_GT(width, 0);
    const std::vector<uint32_t> whole = Render([] { DrawTextAt(10, 40, "Wavy TjWavy Tj"); });
    const std::vector<uint32_t> halves = Render([&] {
      DrawTextAt(10, 40, part);
      DrawTextAt(10 + width, 40, part);
    });
    EXPECT_EQ(whole, halves);
    EXPECT_EQ(GetTextWidth("Wavy TjWavy Tj"), 2 * width);
    EXPECT_EQ(MeasureTextWidth(part), width);
    // Centred text starts half its width to the left.
    EXPECT_EQ(Render([&] { DrawTextCentered(300, 40, part); }), Render([&] { DrawTextAt(300 - width / 2, 40, part); }));
  }
}

TEST_F(TextTest, LineFeedStartsTheNextLineAtTheStartX) {
  const int lineHeight = GetTextHeight(" ") + 1;  // the space's cell and the pixel below it
  const std::vector<uint32_t> fed = Render([] { DrawTextAt(40, 50, "ab\ncd"); });
  const std::vector<uint32_t> apart = Render([&] {
    DrawTextAt(40, 50, "ab");
    DrawTextAt(40, 50 + lineHeight, "cd");
  });
  EXPECT_EQ(fed, apart);
  // Other control codes neither draw nor advance.
  EXPECT_EQ(Render([] { DrawTextAt(40, 50, "a\tb\x01\r"); }), Render([] { DrawTextAt(40, 50, "ab"); }));
  EXPECT_EQ(GetTextWidth("\t\x01\r"), 0);
  EXPECT_EQ(GetTextHeight("\t"), 0);
  EXPECT_EQ(GetTextWidth(nullptr), 0);
  EXPECT_EQ(GetTextHeight(""), 0);
  EXPECT_TRUE(FindInk(Render([] { DrawTextAt(0, 0, nullptr); }), kWidth).empty());
}

TEST_F(TextTest, FiftyCharactersGoToOneDrawCall) {
  struct Case {
    std::string text;
    uint32_t draws;
  };
  {
    DrawCounter counter;
    for (const Case& c : {Case{std::string(50, 'x'), 1}, Case{std::string(51, 'x'), 2},
                          Case{std::string(100, 'x'), 2}, Case{std::string(101, 'x'), 3}, Case{"\n\n\t", 0}}) {
      counter.Reset();
      DrawTextAt(0, 0, c.text.c_str());
      EXPECT_EQ(counter.Count(), c.draws) << c.text.size() << " characters";
    }
  }
  // The 51st character is drawn, not dropped.
  const InkBox box = FindInk(Render([] { DrawTextAt(0, 0, std::string(51, 'W').c_str()); }), kWidth);
  EXPECT_GT(box.right, GetTextWidth(std::string(50, 'W').c_str()));
}

TEST_F(TextTest, AtlasSizeFollowsTheHeightOfG) {
  struct Case {
    uint32_t height;
    uint32_t atlas;
  };
  for (const Case c : {Case{15, 256}, Case{16, 512}, Case{40, 512}, Case{41, 1024}}) {
    // A requested character set takes the size as the cell height in pixels.
    SetTextFontCharset("Arial", 1);
    SetTextSize(c.height);
    ASSERT_EQ(uint32_t(GetTextHeight("g")), c.height);
    EXPECT_EQ(TextModuleState().textureWidth, c.atlas) << c.height;
    EXPECT_EQ(TextModuleState().textureHeight, c.atlas) << c.height;
  }
}

TEST_F(TextTest, LargeFontsGrowTheAtlasUntilEveryGlyphFits) {
  for (const FontCase font : {FontCase{"fixedsys", 12}, FontCase{"Arial", 100}}) {
    SCOPED_TRACE(font.face);
    SetTextFont(font.face);
    SetTextSize(font.size);
    for (int code = 32; code < 256; ++code) {
      const GlyphTables::Rect r = TextGlyphs().rect[code];
      ASSERT_TRUE(r.uL >= 0 && r.uL < r.uR && r.uR <= 1 && r.vT >= 0 && r.vT < r.vB && r.vB <= 1) << code;
    }
  }
  EXPECT_GE(TextModuleState().textureWidth, 2048u);
  // The last code is drawn from the atlas too.
  EXPECT_FALSE(FindInk(Render([] { DrawTextAt(10, 10, "\xFF"); }), kWidth).empty());
}

TEST_F(TextTest, TextSizeIsClampedAndAnUnchangedSizeDoesNotRebuild) {
  SetTextSize(150);
  EXPECT_EQ(TextModuleState().fontSize, 100u);
  SetTextSize(20);
  SetTextSize(uint32_t(-5));  // a negative size as the unsigned number it is
  EXPECT_EQ(TextModuleState().fontSize, 100u);

  SetTextSize(20);
  TextGlyphs().width['A'] = 12345;  // a rebuild would measure it again
  SetTextSize(20);
  EXPECT_EQ(GetTextWidth("A"), 12345);
  SetTextSize(21);
  EXPECT_NE(GetTextWidth("A"), 12345);
}

TEST_F(TextTest, FaceNamesAreCutToTheirBuffer) {
  const std::string longName(200, 'z');
  SetTextFont(longName.c_str());
  EXPECT_EQ(std::string(TextModuleState().faceName), longName.substr(0, kFaceNameSize - 1));
  SetTextFont(nullptr);
  EXPECT_EQ(std::string(TextModuleState().faceName), longName.substr(0, kFaceNameSize - 1));
  EXPECT_GT(GetTextWidth("abc"), 0);  // an unknown face gets a substitute
}

// A display-mode change makes the module anew: the font is the default again, measured as such.
TEST_F(TextTest, DeviceResetReturnsToTheDefaultFont) {
  const int defaultWidth = GetTextWidth("Hello there");
  SetTextFont("Arial");
  SetTextSize(16);
  ASSERT_NE(GetTextWidth("Hello there"), defaultWidth);
  ASSERT_EQ(ChangeDisplayMode(800, 600, 32), 1u);
  ASSERT_EQ(ChangeDisplayMode(kWidth, kHeight, 32), 1u);
  EXPECT_STREQ(TextModuleState().faceName, "fixedsys");
  EXPECT_EQ(TextModuleState().fontSize, 12u);
  EXPECT_EQ(GetTextWidth("Hello there"), defaultWidth);
  ASSERT_NE(TextModuleState().fontTexture, nullptr);
  ASSERT_NE(TextModuleState().vertexBuffer, nullptr);
  EXPECT_EQ(TextModuleState().device, GetDirect3DDevice());
  EXPECT_FALSE(FindInk(Render([] { DrawTextAt(10, 10, "Hello there"); }), kWidth).empty());
  EXPECT_EQ(word_, 0u);
}

TEST_F(TextTest, DoubleByteFontsDrawOpaqueCellsWithTheRasteriser) {
  SetTextFontCharset("Arial", kDoubleByteCharset);
  ASSERT_EQ(TextModuleState().doubleByte, 1);
  core_->inkForeground = 0xFFFFFF00;
  core_->inkBackground = 0xFF000080;
  const std::vector<uint32_t> pixels = Render([] { DrawTextAt(10, 10, "Hi"); });
  int glyph = 0, cell = 0, other = 0;
  for (uint32_t p : pixels) {
    if (p == 0xFFFF00)
      ++glyph;
    else if (p == 0x000080)
      ++cell;
    else if (p != 0)
      ++other;
  }
  EXPECT_GT(glyph, 10);
  EXPECT_GT(cell, 10);
  EXPECT_EQ(other, 0);
  const InkBox box = FindInk(pixels, kWidth);
  EXPECT_EQ(box.left, 10);
  EXPECT_EQ(box.top, 10);
}

}  // namespace
