// Drawing contexts: the selected font and bitmap, colours and modes, and text measured and drawn with
// them.
#include <algorithm>
#include <limits>
#include <memory>
#include <utility>

#include "platform/fonts/font_face.h"
#include "platform/fonts/fonts.h"

namespace platform::fonts {

class Context {
 public:
  Font* font = nullptr;
  Bitmap32 bitmap;
  bool hasBitmap = false;
  ColorRef textColor = MakeColorRef(0, 0, 0);
  ColorRef backgroundColor = MakeColorRef(255, 255, 255);
  int32_t backgroundMode = BKMODE_OPAQUE;
  uint32_t align = ALIGN_LEFT | ALIGN_TOP;
  int32_t mapMode = MAPMODE_TEXT;
};

namespace {

// A rectangle in 64 bits, so that extreme caller coordinates cannot overflow.
struct Box {
  int64_t left, top, right, bottom;
  bool Empty() const { return left >= right || top >= bottom; }
};

Box Intersect(const Box& a, const Box& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

Box BoxOf(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

// A context without a selected font draws with this one.
Font* DefaultFont() {
  static const std::unique_ptr<Font> font = Font::Load(FontSpec{});
  return font.get();
}

Font* CurrentFont(Context* context) { return context->font ? context->font : DefaultFont(); }

uint32_t PixelOf(ColorRef color) {
  return (color & 0xFF) << 16 | (color & 0xFF00) | (color >> 16 & 0xFF);
}

uint32_t* PixelAt(const Bitmap32& bitmap, int64_t x, int64_t y) {
  return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(bitmap.pixels) + y * bitmap.pitch) + x;
}

void Fill(const Bitmap32& bitmap, const Box& box, uint32_t pixel) {
  for (int64_t y = box.top; y < box.bottom; ++y) std::fill(PixelAt(bitmap, box.left, y), PixelAt(bitmap, box.right, y), pixel);
}

uint32_t Blend(uint32_t under, uint32_t over, uint32_t coverage) {
  uint32_t result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const uint32_t a = under >> shift & 0xFF, b = over >> shift & 0xFF;
    result |= ((a * (255 - coverage) + b * coverage + 127) / 255) << shift;
  }
  return result;
}

// Draws one glyph with its origin (pen, baseline), only inside `clip`.
void DrawGlyph(const Bitmap32& bitmap, const Glyph& glyph, int64_t pen, int64_t baseline, const Box& clip,
               uint32_t pixel, bool monochrome) {
  const Box placed{pen + glyph.left, baseline - glyph.top, pen + glyph.left + glyph.width,
                   baseline - glyph.top + glyph.rows};
  const Box visible = Intersect(placed, clip);
  if (visible.Empty()) return;
  for (int64_t y = visible.top; y < visible.bottom; ++y) {
    const uint8_t* coverage = glyph.coverage.data() + (y - placed.top) * glyph.width;
    uint32_t* row = PixelAt(bitmap, 0, y);
    for (int64_t x = visible.left; x < visible.right; ++x) {
      const uint8_t c = coverage[x - placed.left];
      if (c == 0) continue;
      row[x] = monochrome || c == 255 ? pixel : Blend(row[x], pixel, c);
    }
  }
}

int64_t Advance(Font& font, std::string_view text, const int32_t* dx, size_t i) {
  return dx ? dx[i] : font.GlyphOf(static_cast<uint8_t>(text[i])).advance;
}

int32_t ClampToInt32(int64_t value) {
  return int32_t(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

}  // namespace

Font* CreateFont(const FontSpec& spec) { return Font::Load(spec).release(); }

void DeleteFont(Font* font) { delete font; }

std::string ResolvedFamily(const Font* font) { return font ? font->Family() : std::string(); }

bool HasGlyph(const Font* font, uint8_t byte) { return font && font->GlyphIndex(byte) != 0; }

Context* CreateContext() { return new Context; }

void DeleteContext(Context* context) { delete context; }

Font* SelectFont(Context* context, Font* font) {
  if (!context) return nullptr;
  return std::exchange(context->font, font);
}

void SelectBitmap(Context* context, const Bitmap32* bitmap) {
  if (!context) return;
  context->hasBitmap = bitmap && bitmap->pixels && bitmap->width > 0 && bitmap->height > 0 &&
                       bitmap->pitch >= int64_t(bitmap->width) * 4;
  context->bitmap = context->hasBitmap ? *bitmap : Bitmap32{};
}

ColorRef SetTextColor(Context* context, ColorRef color) {
  return context ? std::exchange(context->textColor, color & 0xFFFFFF) : 0;
}

ColorRef SetBackgroundColor(Context* context, ColorRef color) {
  return context ? std::exchange(context->backgroundColor, color & 0xFFFFFF) : 0;
}

int32_t SetBackgroundMode(Context* context, int32_t mode) {
  if (!context || (mode != BKMODE_OPAQUE && mode != BKMODE_TRANSPARENT)) return 0;
  return std::exchange(context->backgroundMode, mode);
}

uint32_t SetTextAlign(Context* context, uint32_t align) {
  return context ? std::exchange(context->align, align) : 0;
}

int32_t SetMapMode(Context* context, int32_t mode) {
  // Only text mapping (one unit = one pixel, y down) exists.
  if (!context || mode != MAPMODE_TEXT) return 0;
  return std::exchange(context->mapMode, mode);
}

bool TextExtent(Context* context, std::string_view text, Size* size) {
  if (!context || !size) return false;
  Font* font = CurrentFont(context);
  if (!font) return false;
  int64_t width = 0;
  for (size_t i = 0; i < text.size(); ++i) width += Advance(*font, text, nullptr, i);
  size->cx = ClampToInt32(width);
  size->cy = font->Metrics().height;
  return true;
}

bool GetTextMetrics(Context* context, TextMetrics* metrics) {
  if (!context || !metrics) return false;
  Font* font = CurrentFont(context);
  if (!font) return false;
  *metrics = font->Metrics();
  return true;
}

bool TextOut(Context* context, int32_t x, int32_t y, uint32_t options, const Rect* rect, std::string_view text,
             const int32_t* dx) {
  if (!context) return false;
  Font* font = CurrentFont(context);
  if (!font) return false;
  if (!context->hasBitmap) return true;
  const Bitmap32& bitmap = context->bitmap;
  const TextMetrics& metrics = font->Metrics();

  int64_t width = 0;
  for (size_t i = 0; i < text.size(); ++i) width += Advance(*font, text, dx, i);
  int64_t left = x, top = y;
  if ((context->align & ALIGN_CENTER) == ALIGN_CENTER) left -= width / 2;
  else if (context->align & ALIGN_RIGHT) left -= width;
  if ((context->align & ALIGN_BASELINE) == ALIGN_BASELINE) top -= metrics.ascent;
  else if (context->align & ALIGN_BOTTOM) top -= metrics.height;

  Box clip{0, 0, bitmap.width, bitmap.height};
  if ((options & TEXTOUT_CLIPPED) && rect) clip = Intersect(clip, BoxOf(*rect));
  const uint32_t background = PixelOf(context->backgroundColor);
  if ((options & TEXTOUT_OPAQUE) && rect) {
    const Box area = Intersect({0, 0, bitmap.width, bitmap.height}, BoxOf(*rect));
    if (!area.Empty()) Fill(bitmap, area, background);
  }
  // The font's cell: glyphs are kept inside the ascent and descent, as the desktop does.
  const Box cells = Intersect(clip, {left, top, left + width, top + metrics.height});
  if (context->backgroundMode == BKMODE_OPAQUE && !cells.Empty()) Fill(bitmap, cells, background);

  const Box glyphClip = Intersect(clip, {clip.left, top, clip.right, top + metrics.height});
  const uint32_t ink = PixelOf(context->textColor);
  int64_t pen = left;
  for (size_t i = 0; i < text.size(); ++i) {
    const Glyph& glyph = font->GlyphOf(static_cast<uint8_t>(text[i]));
    if (!glyphClip.Empty()) DrawGlyph(bitmap, glyph, pen, top + metrics.ascent, glyphClip, ink, font->Monochrome());
    pen += Advance(*font, text, dx, i);
  }
  return true;
}

}  // namespace platform::fonts
