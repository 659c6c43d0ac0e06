// Font rasterising for engine and game text: fonts chosen by face name and height, measured and drawn
// into 32-bit top-down pixel buffers through a drawing context, with the metrics and the look the
// engine's text layout counts on (96 pixels per inch, cell height = ascent + descent, white-on-black
// opaque cells by default in the engine's use). Byte strings are Windows-1252.
// Numeric values (qualities, character sets, options, alignments, caps indexes) keep their documented
// values because engine code passes them as numbers.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace platform::fonts {

// Logical pixels per inch of every context and of the screen.
constexpr int32_t kPixelsPerInch = 96;

// Indexes for DeviceCaps.
enum : int32_t { CAPS_LOGPIXELSX = 88, CAPS_LOGPIXELSY = 90 };

enum : int32_t { WEIGHT_DONTCARE = 0, WEIGHT_NORMAL = 400, WEIGHT_BOLD = 700 };

// Output quality: NONANTIALIASED gives one-bit glyphs (text colour or nothing); every other quality
// gives antialiased glyphs blended over what is under them.
enum : uint8_t {
  QUALITY_DEFAULT = 0, QUALITY_DRAFT = 1, QUALITY_PROOF = 2, QUALITY_NONANTIALIASED = 3,
  QUALITY_ANTIALIASED = 4, QUALITY_CLEARTYPE = 5, QUALITY_CLEARTYPE_NATURAL = 6,
};

// Character sets are accepted and reported back; every byte string is read as Windows-1252.
enum : uint8_t { CHARSET_ANSI = 0, CHARSET_DEFAULT = 1, CHARSET_SYMBOL = 2, CHARSET_GB2312 = 134 };

// Pitch (low 2 bits) and family (bits 4-7); the family picks the generic fallback for unknown faces.
enum : uint8_t {
  PITCH_DEFAULT = 0, PITCH_FIXED = 1, PITCH_VARIABLE = 2,
  FAMILY_DONTCARE = 0x00, FAMILY_ROMAN = 0x10, FAMILY_SWISS = 0x20, FAMILY_MODERN = 0x30,
  FAMILY_SCRIPT = 0x40, FAMILY_DECORATIVE = 0x50,
};

// TextOut options.
enum : uint32_t { TEXTOUT_OPAQUE = 0x2, TEXTOUT_CLIPPED = 0x4 };

// Text alignment: the reference point is the left/centre/right and top/baseline/bottom of the text.
enum : uint32_t {
  ALIGN_LEFT = 0, ALIGN_TOP = 0, ALIGN_RIGHT = 2, ALIGN_CENTER = 6, ALIGN_BOTTOM = 8, ALIGN_BASELINE = 24,
};

enum : int32_t { BKMODE_TRANSPARENT = 1, BKMODE_OPAQUE = 2 };
enum : int32_t { MAPMODE_TEXT = 1 };

// A colour as the text API takes it: red | green << 8 | blue << 16.
using ColorRef = uint32_t;
constexpr ColorRef MakeColorRef(uint8_t r, uint8_t g, uint8_t b) {
  return ColorRef(r) | ColorRef(g) << 8 | ColorRef(b) << 16;
}

struct Size {
  int32_t cx = 0;
  int32_t cy = 0;
};

struct Rect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// A caller's 32-bit top-down pixel buffer; each pixel is 0x00RRGGBB (blue in the lowest byte).
struct Bitmap32 {
  uint32_t* pixels = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  int32_t pitch = 0;  // bytes from one row to the next
};

// What the caller asks for. Height < 0: character height (em size) in pixels; height > 0: cell height
// (ascent + descent); 0: a default size. Width, escapement, orientation, underline, strike-out and the
// precisions are accepted and not applied.
struct FontSpec {
  int32_t height = 0;
  int32_t width = 0;
  int32_t escapement = 0;
  int32_t orientation = 0;
  int32_t weight = WEIGHT_NORMAL;
  uint8_t italic = 0;
  uint8_t underline = 0;
  uint8_t strikeOut = 0;
  uint8_t charSet = CHARSET_ANSI;
  uint8_t outPrecision = 0;
  uint8_t clipPrecision = 0;
  uint8_t quality = QUALITY_DEFAULT;
  uint8_t pitchAndFamily = PITCH_DEFAULT;
  std::string faceName;
};

struct TextMetrics {
  int32_t height = 0;  // cell height = ascent + descent
  int32_t ascent = 0;
  int32_t descent = 0;
  int32_t internalLeading = 0;  // cell height minus the em size
  int32_t externalLeading = 0;
  int32_t aveCharWidth = 0;  // advance of "x"
  int32_t maxCharWidth = 0;  // widest advance in the face
  int32_t weight = 0;
  uint8_t italic = 0;
  uint8_t charSet = 0;
  uint8_t pitchAndFamily = 0;
};

class Font;
class Context;

// A font made to the description. Unknown faces get the font system's substitute, "Arial" is Liberation Sans and
// "fixedsys" DejaVu Sans Mono. Null only when no font file can be loaded at all.
Font* CreateFont(const FontSpec& spec);
// Deselect a font from every context before deleting it.
void DeleteFont(Font* font);
// The family the font was resolved to, e.g. "Liberation Sans".
std::string ResolvedFamily(const Font* font);
// Whether the face has a glyph of its own for the byte (else it draws its missing-glyph shape).
bool HasGlyph(const Font* font, uint8_t byte);

// A memory drawing context with the usual defaults: text mapping, top-left alignment, black text,
// white opaque background, the default font, no bitmap.
Context* CreateContext();
void DeleteContext(Context* context);
// Each setter returns the previous value. The selected bitmap is copied (it is a view); null deselects.
Font* SelectFont(Context* context, Font* font);
void SelectBitmap(Context* context, const Bitmap32* bitmap);
ColorRef SetTextColor(Context* context, ColorRef color);
ColorRef SetBackgroundColor(Context* context, ColorRef color);
int32_t SetBackgroundMode(Context* context, int32_t mode);
uint32_t SetTextAlign(Context* context, uint32_t align);
int32_t SetMapMode(Context* context, int32_t mode);

// Draws the bytes with the reference point (x, y) into the selected bitmap. TEXTOUT_OPAQUE fills `rect`
// with the background colour; TEXTOUT_CLIPPED clips to `rect`; in opaque background mode the text's
// cells are filled with the background colour. `dx`, when given, holds one advance per byte.
// Pixels outside the bitmap are never touched. False without a context.
bool TextOut(Context* context, int32_t x, int32_t y, uint32_t options, const Rect* rect, std::string_view text,
             const int32_t* dx = nullptr);
// cx = the sum of the advances of the bytes, cy = the cell height.
bool TextExtent(Context* context, std::string_view text, Size* size);
bool GetTextMetrics(Context* context, TextMetrics* metrics);
// CAPS_LOGPIXELSX/Y give 96; other indexes 0. A null context is the screen.
int32_t DeviceCaps(const Context* context, int32_t index);

// number * numerator / denominator through 64 bits, rounded half away from zero; -1 when the
// denominator is 0 or the result does not fit in 32 bits.
int32_t MulDiv(int32_t number, int32_t numerator, int32_t denominator);

}  // namespace platform::fonts
