#include "platform/fonts/font_face.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/charset/windows1252.h"
#include "platform/fonts/face_match.h"

namespace platform::fonts {
namespace {

// Requests outside this range are clamped: a caller's height must not make glyph bitmaps of
// gigabytes.
constexpr int64_t kMaxPixelHeight = 2000;
// Height 0 asks for the default size: 12 points at 96 pixels per inch.
constexpr int32_t kDefaultCharHeight = 16;

FT_Library Library() {
  static FT_Library library = [] {
    FT_Library lib = nullptr;
    return FT_Init_FreeType(&lib) == 0 ? lib : nullptr;
  }();
  return library;
}

// The ascent and descent the font asks the desktop to reserve, in font units: the OS/2 "win" values,
// which every glyph stays inside, or the horizontal header's when there is no OS/2 table.
void DesignExtents(FT_Face face, double& ascent, double& descent) {
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    ascent = os2->usWinAscent;
    descent = os2->usWinDescent;
  } else {
    ascent = face->ascender;
    descent = -face->descender;
  }
  if (ascent + descent <= 0) {
    ascent = face->units_per_EM * 0.8;
    descent = face->units_per_EM * 0.2;
  }
}

}  // namespace

std::unique_ptr<Font> Font::Load(const FontSpec& spec) {
  FT_Library library = Library();
  if (!library) return nullptr;
  const int32_t weight = spec.weight <= 0 ? WEIGHT_NORMAL : spec.weight;
  const std::optional<FaceFile> file = MatchFace(spec.faceName, weight, spec.italic != 0, spec.pitchAndFamily);
  if (!file) return nullptr;

  std::unique_ptr<Font> font(new Font);
  FT_Face face = nullptr;
  if (FT_New_Face(library, file->path.c_str(), file->index, &face) != 0) return nullptr;
  font->face_ = face;
  font->family_ = file->family;
  font->embolden_ = file->embolden;
  font->oblique_ = file->oblique;
  font->monochrome_ = spec.quality == QUALITY_NONANTIALIASED;
  if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) {
    font->symbolEncoding_ = FT_Select_Charmap(face, FT_ENCODING_MS_SYMBOL) == 0;
  }

  double designAscent = 0, designDescent = 0;
  DesignExtents(face, designAscent, designDescent);
  const double unitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : designAscent + designDescent;
  const double designCell = designAscent + designDescent;
  int64_t height = spec.height == 0 ? -kDefaultCharHeight : spec.height;
  int32_t pixelsPerEm = 0, ascent = 0, descent = 0;
  if (height < 0) {
    // Character height: the em square is that many pixels; the cell follows from the design extents.
    pixelsPerEm = int32_t(std::clamp<int64_t>(-height, 1, kMaxPixelHeight));
    ascent = int32_t(std::lround(designAscent * pixelsPerEm / unitsPerEm));
    descent = int32_t(std::lround(designDescent * pixelsPerEm / unitsPerEm));
  } else {
    // Cell height: ascent + descent is exactly the asked height.
    const int32_t cell = int32_t(std::min(height, kMaxPixelHeight));
    pixelsPerEm = std::max(1, int32_t(std::lround(cell * unitsPerEm / designCell)));
    ascent = int32_t(std::lround(designAscent * cell / designCell));
    descent = cell - ascent;
  }
  FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelsPerEm));

  TextMetrics& m = font->metrics_;
  m.ascent = ascent;
  m.descent = descent;
  m.height = ascent + descent;
  m.internalLeading = std::max(0, m.height - pixelsPerEm);
  m.weight = weight;
  m.italic = spec.italic ? 1 : 0;
  m.charSet = spec.charSet;
  m.pitchAndFamily = spec.pitchAndFamily;
  m.maxCharWidth = int32_t(std::lround(face->max_advance_width * pixelsPerEm / unitsPerEm));
  m.aveCharWidth = font->GlyphOf('x').advance;
  return font;
}

Font::~Font() {
  if (face_) FT_Done_Face(face_);
}

const Glyph& Font::GlyphOf(uint8_t byte) {
  std::optional<Glyph>& slot = glyphs_[byte];
  if (!slot) slot.emplace(Render(byte));
  return *slot;
}

unsigned Font::GlyphIndex(uint8_t byte) const {
  // Symbol fonts map their bytes into the private-use page.
  if (symbolEncoding_) return FT_Get_Char_Index(face_, 0xF000u | byte);
  return FT_Get_Char_Index(face_, charset::CharFromWindows1252(byte));
}

Glyph Font::Render(uint8_t byte) const {
  Glyph glyph;
  const FT_Int32 loadFlags = monochrome_ ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL;
  // A missing character draws the font's missing-glyph shape.
  if (FT_Load_Glyph(face_, GlyphIndex(byte), loadFlags) != 0 && FT_Load_Glyph(face_, 0, loadFlags) != 0) return glyph;
  FT_GlyphSlot slot = face_->glyph;
  if (oblique_) FT_GlyphSlot_Oblique(slot);
  if (embolden_) FT_GlyphSlot_Embolden(slot);
  glyph.advance = int32_t((slot->advance.x + 32) >> 6);
  if (FT_Render_Glyph(slot, monochrome_ ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) return glyph;

  const FT_Bitmap& bitmap = slot->bitmap;
  if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return glyph;
  glyph.left = slot->bitmap_left;
  glyph.top = slot->bitmap_top;
  glyph.width = int32_t(bitmap.width);
  glyph.rows = int32_t(bitmap.rows);
  glyph.coverage.resize(size_t(glyph.width) * size_t(glyph.rows));
  for (int32_t row = 0; row < glyph.rows; ++row) {
    const uint8_t* source = bitmap.buffer + ptrdiff_t(row) * bitmap.pitch;
    uint8_t* target = glyph.coverage.data() + size_t(row) * size_t(glyph.width);
    for (int32_t column = 0; column < glyph.width; ++column) {
      target[column] = bitmap.pixel_mode == FT_PIXEL_MODE_MONO
                           ? ((source[column >> 3] >> (7 - (column & 7))) & 1 ? 255 : 0)
                           : source[column];
    }
  }
  return glyph;
}

}  // namespace platform::fonts
