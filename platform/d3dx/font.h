// Font objects: a face chosen as the desktop text API chooses it (the font system's substitute when
// the face is missing), its glyphs kept in texture pages, and Windows-1252 text laid out in a
// rectangle and drawn through a sprite batch. Format flags keep the values callers pass.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3dx/font_glyphs.h"
#include "platform/d3dx/sprite.h"

namespace platform::d3dx {

// Text format flags. Lines break at CR, LF and CR LF unless DT_SINGLELINE; without DT_NOCLIP the
// text is clipped to the rectangle. Other bits (word breaks, tabs) are accepted and not applied.
enum : uint32_t {
  DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4, DT_BOTTOM = 0x8,
  DT_SINGLELINE = 0x20, DT_NOCLIP = 0x100,
  DT_CALCRECT = 0x400,  // nothing is drawn: the rectangle becomes the one the text would cover
};

struct FontDesc {
  int32_t height = 0;  // < 0: the character height in pixels; > 0: the cell height; 0: a default size
  uint32_t width = 0;  // accepted, not applied
  uint32_t weight = fonts::WEIGHT_NORMAL;
  uint32_t mipLevels = 1;  // text is drawn unscaled: one level is kept whatever is asked
  bool italic = false;
  uint8_t charSet = fonts::CHARSET_DEFAULT;
  uint8_t outputPrecision = 0;
  uint8_t quality = fonts::QUALITY_DEFAULT;  // NONANTIALIASED gives one-bit glyphs, the others antialiased
  uint8_t pitchAndFamily = 0;
  std::string faceName;
};

class Font {
 public:
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  const FontDesc& Desc() const { return desc_; }
  // Cell height (ascent + descent) is the height of one line.
  const fonts::TextMetrics& Metrics() const { return glyphs_.Metrics(); }
  std::string ResolvedFamily() const { return glyphs_.ResolvedFamily(); }
  // Whether the face draws the byte with a glyph of its own rather than its missing-glyph shape.
  bool HasGlyph(uint8_t code) const { return glyphs_.HasGlyph(code); }
  gfx::Device* Device() const { return glyphs_.Device(); }

  // Rasterises the byte codes first..last now, so that drawing them later costs no glyph work.
  Result PreloadGlyphs(uint32_t first, uint32_t last);
  // Lays `count` bytes of the text (-1: up to its zero byte) out in the rectangle. Drawn through the
  // sprite when it is in a batch on this font's device, else at once. Returns the height of the
  // text below the rectangle's top (the lines' height when the text starts there), 0 for no text.
  int32_t DrawText(Sprite* sprite, const char* text, int32_t count, gfx::Rect* rect, uint32_t format, uint32_t color);
  // Moves the glyph pages to another device (the engine makes a new device when the display mode
  // changes), without rasterising again.
  Result ChangeDevice(gfx::Device* device);

 private:
  friend Result CreateFont(gfx::Device* device, const FontDesc& desc, std::unique_ptr<Font>* font);
  friend const FontWork& FontWorkDone(const Font& font);
  struct Line {
    size_t first, length;
    int64_t width;
  };
  Font(gfx::Device* device, fonts::Font* font, const FontDesc& desc) : desc_(desc), glyphs_(device, font) {}
  void LayOut(std::string_view text, bool singleLine);
  Sprite* OwnBatch();

  FontDesc desc_;
  GlyphCache glyphs_;
  std::unique_ptr<Sprite> ownSprite_;  // draws text given no batch
  std::vector<Line> lines_;
};

// kInvalidCall without a device or out-pointer; kFail when no font file can be loaded.
Result CreateFont(gfx::Device* device, const FontDesc& desc, std::unique_ptr<Font>* font);

}  // namespace platform::d3dx
