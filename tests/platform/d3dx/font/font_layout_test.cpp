// Text laid out in its rectangle: measuring, alignment, line breaks, clipping and colour.
#include "tests/platform/d3dx/font/font_fixture.h"

namespace fonttest {
namespace {

TEST_F(FontTest, MeasuredRectangleIsTheDrawnExtent) {
  d3dx::Font* font = MakeFont("Arial", -16);
  const int32_t line = font->Metrics().height;
  ASSERT_GT(line, 16);
  const struct {
    const char* text;
    int lines;
  } cases[] = {{"Hello", 1}, {"Wide WWW, gj|", 1}, {"two\nlines", 2}, {"x\r\ny\rz", 3}, {"end\n", 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    gfx::Rect measured{20, 30, 0, 0};
    const int32_t height = font->DrawText(nullptr, c.text, -1, &measured, d3dx::DT_CALCRECT, kOpaqueWhite);
    EXPECT_EQ(height, c.lines * line);
    EXPECT_EQ(measured.left, 20);
    EXPECT_EQ(measured.top, 30);
    EXPECT_EQ(measured.bottom, 30 + c.lines * line);
    const Ink ink = DrawAlone(font, c.text, 20, 30);
    ASSERT_GT(ink.count, 0);
    EXPECT_GE(ink.left, measured.left);
    EXPECT_LE(ink.right, measured.right);
    EXPECT_GE(ink.top, measured.top);
    EXPECT_LE(ink.bottom, measured.bottom);
    // The box is the advances, so it ends within a side bearing of the ink.
    EXPECT_LE(ink.left - measured.left, 3);
    EXPECT_LE(measured.right - ink.right, 3);
  }
}

TEST_F(FontTest, SingleLineDrawsLineBreaksAsCharacters) {
  d3dx::Font* font = MakeFont("Arial", -16);
  gfx::Rect rect{0, 0, 0, 0};
  EXPECT_EQ(font->DrawText(nullptr, "a\nb", -1, &rect, d3dx::DT_CALCRECT | d3dx::DT_SINGLELINE, kOpaqueWhite),
            font->Metrics().height);
  // A given length stops before the zero byte.
  gfx::Rect part{0, 0, 0, 0}, whole{0, 0, 0, 0};
  font->DrawText(nullptr, "abcdef", 3, &part, d3dx::DT_CALCRECT, kOpaqueWhite);
  font->DrawText(nullptr, "abc", -1, &whole, d3dx::DT_CALCRECT, kOpaqueWhite);
  EXPECT_EQ(part.right, whole.right);
}

TEST_F(FontTest, AlignsInTheRectangle) {
  d3dx::Font* font = MakeFont("Arial", -16);
  const gfx::Rect area{40, 20, 280, 140};
  const struct {
    uint32_t format;
    int centreX, right, centreY, bottom;  // -1: not checked
  } cases[] = {
      {d3dx::DT_LEFT, -1, -1, -1, -1},
      {d3dx::DT_CENTER, 160, -1, -1, -1},
      {d3dx::DT_RIGHT, -1, 280, -1, -1},
      {d3dx::DT_CENTER | d3dx::DT_VCENTER, 160, -1, 80, -1},
      {d3dx::DT_RIGHT | d3dx::DT_BOTTOM, -1, 280, -1, 140},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    gfx::Rect measured = area;
    font->DrawText(nullptr, "Aligned text", -1, &measured, d3dx::DT_CALCRECT | c.format, kOpaqueWhite);
    if (c.format == d3dx::DT_LEFT) {
      EXPECT_EQ(measured.left, area.left);
      EXPECT_EQ(measured.top, area.top);
    }
    if (c.centreX >= 0) {
      EXPECT_NEAR((measured.left + measured.right) / 2, c.centreX, 1);
    }
    if (c.right >= 0) {
      EXPECT_EQ(measured.right, c.right);
    }
    if (c.centreY >= 0) {
      EXPECT_NEAR((measured.top + measured.bottom) / 2, c.centreY, 1);
    }
    if (c.bottom >= 0) {
      EXPECT_EQ(measured.bottom, c.bottom);
    }

    ClearTo(0xFF000000);
    gfx::Rect rect = area;
    font->DrawText(nullptr, "Aligned text", -1, &rect, c.format, kOpaqueWhite);
    const Ink ink = InkOf(0);
    ASSERT_GT(ink.count, 0);
    // The box is the advances: a last letter may reach a pixel past its advance.
    EXPECT_GE(ink.left, measured.left);
    EXPECT_LE(ink.right, measured.right + 1);
    EXPECT_LE(ink.left - measured.left, 3);
    EXPECT_LE(measured.right - ink.right, 3);
    EXPECT_GE(ink.top, measured.top);
    EXPECT_LE(ink.bottom, measured.bottom);
  }
}

TEST_F(FontTest, ClipsToTheRectangleUnlessToldNotTo) {
  d3dx::Font* font = MakeFont("Arial", -40);
  const gfx::Rect box{50, 40, 90, 60};
  for (bool noClip : {false, true}) {
    SCOPED_TRACE(noClip);
    ClearTo(0xFF000000);
    gfx::Rect rect = box;
    font->DrawText(nullptr, "WWWW", -1, &rect, d3dx::DT_CENTER | d3dx::DT_VCENTER | (noClip ? uint32_t(d3dx::DT_NOCLIP) : 0u),
                   kOpaqueWhite);
    const Ink ink = InkOf(0);
    ASSERT_GT(ink.count, 0);
    const bool inside = ink.left >= box.left && ink.top >= box.top && ink.right <= box.right && ink.bottom <= box.bottom;
    EXPECT_EQ(inside, !noClip);
  }
}

TEST_F(FontTest, TextTakesItsColourAndAlpha) {
  d3dx::Font* font = MakeFont("Arial", -48, false, 700);
  const struct {
    uint32_t background, color, expected;
  } cases[] = {
      {0xFF000000, 0xFF20C040, 0x20C040},
      {0xFFFF0000, 0x800000FF, 0x7F0080},  // half blue over red
      {0xFF0000FF, 0x00FFFFFF, 0x0000FF},  // fully transparent text leaves the background
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.color);
    ClearTo(0xFF000000);
    gfx::Rect rect{100, 40, 0, 0};
    font->DrawText(nullptr, "I", -1, &rect, d3dx::DT_NOCLIP, kOpaqueWhite);
    const Ink stem = InkOf(0);
    ASSERT_GT(stem.count, 0);
    ClearTo(c.background);
    rect = {100, 40, 0, 0};
    font->DrawText(nullptr, "I", -1, &rect, d3dx::DT_NOCLIP, c.color);
    const std::vector<uint32_t> pixels = Read();
    const uint32_t middle = pixels[size_t((stem.top + stem.bottom) / 2) * kTargetWidth + (stem.left + stem.right) / 2];
    EXPECT_TRUE(gfxtest::Near(middle & 0xFFFFFF, c.expected)) << std::hex << middle;
  }
}

TEST_F(FontTest, DefaultQualityIsAntialiased) {
  d3dx::Font* font = MakeFont("Arial", -24);
  DrawAlone(font, "Sow");
  int partial = 0;
  for (uint32_t p : Read()) {
    const uint32_t green = p >> 8 & 0xFF;
    if (green > 20 && green < 235) ++partial;
  }
  EXPECT_GT(partial, 10);
}

}  // namespace
}  // namespace fonttest
