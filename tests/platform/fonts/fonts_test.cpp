#include "platform/fonts/fonts.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace fonts = platform::fonts;

namespace {

constexpr uint32_t kUntouched = 0x00123456;
constexpr uint32_t kWhite = 0x00FFFFFF;
constexpr uint32_t kBlack = 0;

struct FontDeleter {
  void operator()(fonts::Font* f) const { fonts::DeleteFont(f); }
};
struct ContextDeleter {
  void operator()(fonts::Context* c) const { fonts::DeleteContext(c); }
};
using FontPtr = std::unique_ptr<fonts::Font, FontDeleter>;
using ContextPtr = std::unique_ptr<fonts::Context, ContextDeleter>;

FontPtr MakeFont(const std::string& face, int32_t height, uint8_t quality = fonts::QUALITY_NONANTIALIASED,
                 int32_t weight = fonts::WEIGHT_NORMAL) {
  fonts::FontSpec spec;
  spec.faceName = face;
  spec.height = height;
  spec.quality = quality;
  spec.weight = weight;
  spec.pitchAndFamily = fonts::PITCH_VARIABLE;
  return FontPtr(fonts::CreateFont(spec));
}

// A context drawing white on opaque black into a canvas pre-filled with a colour no drawing uses, as
// the engine's atlas builder sets it up.
struct Canvas {
  Canvas(fonts::Font* font, int32_t width, int32_t height)
      : width(width), height(height), pixels(size_t(width) * height, kUntouched), context(fonts::CreateContext()) {
    const fonts::Bitmap32 view{pixels.data(), width, height, width * 4};
    fonts::SelectBitmap(context.get(), &view);
    fonts::SelectFont(context.get(), font);
    fonts::SetTextColor(context.get(), fonts::MakeColorRef(255, 255, 255));
    fonts::SetBackgroundColor(context.get(), fonts::MakeColorRef(0, 0, 0));
  }
  fonts::Size Extent(std::string_view text) {
    fonts::Size size;
    EXPECT_TRUE(fonts::TextExtent(context.get(), text, &size));
    return size;
  }
  void Draw(int32_t x, int32_t y, std::string_view text) {
    EXPECT_TRUE(fonts::TextOut(context.get(), x, y, fonts::TEXTOUT_OPAQUE, nullptr, text));
  }
  uint32_t At(int32_t x, int32_t y) const { return pixels[size_t(y) * width + x]; }
  // The smallest rectangle holding every pixel the drawing changed.
  fonts::Rect Touched() const {
    fonts::Rect r{width, height, 0, 0};
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x)
        if (At(x, y) != kUntouched) r = {std::min(r.left, x), std::min(r.top, y), std::max(r.right, x + 1), std::max(r.bottom, y + 1)};
    return r;
  }
  int32_t Count(uint32_t value) const { return int32_t(std::count(pixels.begin(), pixels.end(), value)); }

  int32_t width, height;
  std::vector<uint32_t> pixels;
  ContextPtr context;
};

// The pixels one byte draws, as a picture to compare glyph shapes by.
std::vector<uint32_t> Picture(fonts::Font* font, char byte) {
  Canvas canvas(font, 40, 40);
  canvas.Draw(0, 0, std::string(1, byte));
  return canvas.pixels;
}

}  // namespace

TEST(Fonts, FaceNamesResolveAndUnknownFacesGetASubstitute) {
  struct Case {
    const char* face;
    const char* family;
  };
  for (const Case& c : {Case{"Arial", "Liberation Sans"}, Case{"fixedsys", "DejaVu Sans Mono"},
                        Case{"Fixedsys", "DejaVu Sans Mono"}}) {
    FontPtr font = MakeFont(c.face, -16);
    ASSERT_NE(font, nullptr) << c.face;
    EXPECT_EQ(fonts::ResolvedFamily(font.get()), c.family) << c.face;
  }

  FontPtr missing = MakeFont("No Such Face At All", -16);
  ASSERT_NE(missing, nullptr);
  EXPECT_FALSE(fonts::ResolvedFamily(missing.get()).empty());
  Canvas canvas(missing.get(), 120, 40);
  EXPECT_GT(canvas.Extent("Qel").cx, 0);
  canvas.Draw(2, 2, "Qel");
  EXPECT_GT(canvas.Count(kWhite), 0);
}

TEST(Fonts, HeightAsksForCellOrCharacterHeight) {
  // Positive heights are the cell (what "g" measures); negative ones the em, with the leading above it.
  struct Case {
    const char* face;
    int32_t height;
  };
  for (const Case& c : {Case{"fixedsys", 12}, Case{"Arial", 16}, Case{"Arial", 40}}) {
    FontPtr font = MakeFont(c.face, c.height);
    Canvas canvas(font.get(), 8, 8);
    EXPECT_EQ(canvas.Extent("g").cy, c.height) << c.face;
  }

  FontPtr arial = MakeFont("Arial", -16);
  Canvas canvas(arial.get(), 8, 8);
  fonts::TextMetrics metrics;
  ASSERT_TRUE(fonts::GetTextMetrics(canvas.context.get(), &metrics));
  EXPECT_EQ(metrics.height, metrics.ascent + metrics.descent);
  EXPECT_EQ(metrics.height - metrics.internalLeading, 16);
  EXPECT_EQ(canvas.Extent("g").cy, metrics.height);
}

TEST(Fonts, ExtentIsTheSumOfTheAdvances) {
  FontPtr font = MakeFont("Arial", -16);
  Canvas canvas(font.get(), 8, 8);
  const std::string text = "Hello, World! \xE9\x80";
  int32_t sum = 0;
  for (char c : text) sum += canvas.Extent(std::string(1, c)).cx;
  EXPECT_EQ(canvas.Extent(text).cx, sum);
  EXPECT_GT(sum, 0);
  EXPECT_EQ(canvas.Extent("").cx, 0);
  // Proportional: "W" is wider than "i".
  EXPECT_GT(canvas.Extent("W").cx, canvas.Extent("i").cx);
}

TEST(Fonts, DrawsMonochromeGlyphsInsideTheMeasuredCells) {
  for (const char* face : {"Arial", "fixedsys"}) {
    FontPtr font = MakeFont(face, -16);
    Canvas canvas(font.get(), 200, 40);
    const std::string text = "Hgjy|\xC9\xE7";
    const fonts::Size size = canvas.Extent(text);
    canvas.Draw(10, 7, text);

    const fonts::Rect box = canvas.Touched();
    EXPECT_EQ(box.left, 10) << face;
    EXPECT_EQ(box.top, 7) << face;
    EXPECT_EQ(box.right, 10 + size.cx) << face;
    EXPECT_EQ(box.bottom, 7 + size.cy) << face;
    // Non-antialiased: every pixel of the box is text or background.
    EXPECT_EQ(canvas.Count(kWhite) + canvas.Count(kBlack), size.cx * size.cy) << face;
    EXPECT_GT(canvas.Count(kWhite), size.cx) << face;
  }
}

TEST(Fonts, TransparentBackgroundWritesOnlyTheGlyphs) {
  FontPtr font = MakeFont("Arial", -16);
  Canvas canvas(font.get(), 100, 30);
  fonts::SetBackgroundMode(canvas.context.get(), fonts::BKMODE_TRANSPARENT);
  ASSERT_TRUE(fonts::TextOut(canvas.context.get(), 2, 2, 0, nullptr, "Text"));
  EXPECT_EQ(canvas.Count(kBlack), 0);
  EXPECT_GT(canvas.Count(kWhite), 0);
  EXPECT_EQ(canvas.Count(kWhite) + canvas.Count(kUntouched), 100 * 30);
}

TEST(Fonts, AntialiasedQualityBlendsEdges) {
  FontPtr font = MakeFont("Arial", -16, fonts::QUALITY_ANTIALIASED);
  Canvas canvas(font.get(), 100, 30);
  canvas.Draw(2, 2, "Wag");
  const fonts::Size size = canvas.Extent("Wag");
  EXPECT_LT(canvas.Count(kWhite) + canvas.Count(kBlack), size.cx * size.cy);
}

TEST(Fonts, HighBytesAreWindows1252) {
  FontPtr arial = MakeFont("Arial", -16);
  Canvas canvas(arial.get(), 8, 8);
  // The euro sign has the digits' width in this face; an unassigned byte gets the missing-glyph box.
  EXPECT_EQ(canvas.Extent("\x80").cx, canvas.Extent("0").cx);
  EXPECT_NE(canvas.Extent("\x80").cx, canvas.Extent("\x81").cx);

  EXPECT_NE(Picture(arial.get(), '\x80'), Picture(arial.get(), '\x81'));
  EXPECT_EQ(Picture(arial.get(), '\x81'), Picture(arial.get(), '\x8D'));
  for (char byte : {'\x8A', '\x99', '\xE9', '\xFF'}) {
    EXPECT_NE(Picture(arial.get(), byte), Picture(arial.get(), '\x81')) << int(uint8_t(byte));
  }
  // Every assigned printable byte has a glyph of its own; the unassigned ones and controls have not.
  for (int byte = 32; byte < 256; ++byte) {
    const bool unassigned = byte == 0x7F || byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
    EXPECT_EQ(fonts::HasGlyph(arial.get(), uint8_t(byte)), !unassigned) << byte;
  }
  EXPECT_FALSE(fonts::HasGlyph(arial.get(), 0x1A));
  EXPECT_FALSE(fonts::HasGlyph(nullptr, 'a'));
}

TEST(Fonts, AlignmentMovesTheReferencePoint) {
  FontPtr font = MakeFont("Arial", -16);
  struct Case {
    uint32_t align;
    int32_t dx, dy;  // where the cell's top-left lands, in text widths / cell heights (halves) from the point
  };
  for (const Case& c : {Case{fonts::ALIGN_LEFT | fonts::ALIGN_TOP, 0, 0}, Case{fonts::ALIGN_RIGHT, -2, 0},
                        Case{fonts::ALIGN_CENTER, -1, 0}, Case{fonts::ALIGN_BOTTOM, 0, -2}}) {
    Canvas canvas(font.get(), 200, 80);
    fonts::SetTextAlign(canvas.context.get(), c.align);
    const fonts::Size size = canvas.Extent("Mid");
    canvas.Draw(100, 40, "Mid");
    const fonts::Rect box = canvas.Touched();
    EXPECT_EQ(box.left, 100 + c.dx * size.cx / 2) << c.align;
    EXPECT_EQ(box.top, 40 + c.dy * size.cy / 2) << c.align;
  }
  Canvas canvas(font.get(), 200, 80);
  fonts::TextMetrics metrics;
  fonts::GetTextMetrics(canvas.context.get(), &metrics);
  fonts::SetTextAlign(canvas.context.get(), fonts::ALIGN_BASELINE);
  canvas.Draw(100, 40, "Mid");
  EXPECT_EQ(canvas.Touched().top, 40 - metrics.ascent);
}

TEST(Fonts, DrawingIsClippedToTheBitmapAndTheClipRectangle) {
  FontPtr font = MakeFont("Arial", -24);
  Canvas canvas(font.get(), 30, 20);
  canvas.Draw(-7, -9, "Wide text");
  canvas.Draw(22, 12, "Wide text");
  EXPECT_EQ(canvas.Count(kUntouched) + canvas.Count(kWhite) + canvas.Count(kBlack), 30 * 20);

  Canvas clipped(font.get(), 60, 40);
  const fonts::Rect rect{5, 5, 15, 12};
  ASSERT_TRUE(fonts::TextOut(clipped.context.get(), 0, 0, fonts::TEXTOUT_CLIPPED, &rect, "WWW"));
  const fonts::Rect box = clipped.Touched();
  EXPECT_GE(box.left, 5);
  EXPECT_GE(box.top, 5);
  EXPECT_LE(box.right, 15);
  EXPECT_LE(box.bottom, 12);

  // An opaque rectangle is filled even where no text falls.
  Canvas opaque(font.get(), 60, 40);
  const fonts::Rect fill{40, 30, 50, 35};
  ASSERT_TRUE(fonts::TextOut(opaque.context.get(), 0, 0, fonts::TEXTOUT_OPAQUE, &fill, ""));
  EXPECT_EQ(opaque.Count(kBlack), 10 * 5);
}

TEST(Fonts, ExtremeHeightsGiveBoundedFonts) {
  for (int32_t height : {INT_MIN, INT_MAX, 0, -1}) {
    FontPtr font = MakeFont("Arial", height);
    ASSERT_NE(font, nullptr) << height;
    Canvas canvas(font.get(), 8, 8);
    const fonts::Size size = canvas.Extent("g");
    EXPECT_GT(size.cy, 0) << height;
    EXPECT_LE(size.cy, 4000) << height;
  }
}

TEST(Fonts, BoldIsWider) {
  FontPtr normal = MakeFont("Arial", -16);
  FontPtr bold = MakeFont("Arial", -16, fonts::QUALITY_NONANTIALIASED, fonts::WEIGHT_BOLD);
  Canvas a(normal.get(), 8, 8), b(bold.get(), 8, 8);
  EXPECT_GT(b.Extent("Bold text").cx, a.Extent("Bold text").cx);
}

TEST(Fonts, DeviceCapsAndMulDivGiveTheScreenScale) {
  EXPECT_EQ(fonts::DeviceCaps(nullptr, fonts::CAPS_LOGPIXELSY), 96);
  EXPECT_EQ(fonts::DeviceCaps(nullptr, fonts::CAPS_LOGPIXELSX), 96);
  struct Case {
    int32_t a, b, c, result;
  };
  for (const Case& c : {Case{12, 96, 72, 16}, Case{22, 96, 72, 29}, Case{7, 96, 72, 9}, Case{-5, 3, 2, -8},
                        Case{5, 3, -2, -8}, Case{3, 1, 2, 2}, Case{1, 1, 0, -1}, Case{INT_MAX, 4, 2, -1}}) {
    EXPECT_EQ(fonts::MulDiv(c.a, c.b, c.c), c.result) << c.a << " " << c.b << " " << c.c;
  }
}
