// The glyphs of one font object: each byte code rasterised once by the font service (when preloaded
// or on first use) and packed row by row into texture pages of white texels whose alpha is the
// glyph's coverage, so text is drawn by modulating with its colour.
#pragma once
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/fonts/fonts.h"
#include "platform/gfx/device.h"

namespace platform::d3dx {

using gfx::Result;

// Work a font has done, for tests: drawing preloaded text must add none.
struct FontWork {
  uint32_t glyphsRasterised = 0;
  uint32_t pagesCreated = 0;
  uint32_t pageUploads = 0;  // locked page rectangles sent to the device
};

struct GlyphPlace {
  gfx::Texture* page = nullptr;  // null: no ink (a space), or no room for it
  gfx::Rect source{};            // its texels in the page
  int32_t left = 0, top = 0;     // the ink's top-left from the pen position on the line's top edge
  int32_t advance = 0;
};

class GlyphCache {
 public:
  // Takes over the font; the pages are made on the device as glyphs arrive.
  GlyphCache(gfx::Device* device, fonts::Font* font);
  ~GlyphCache();
  GlyphCache(const GlyphCache&) = delete;
  GlyphCache& operator=(const GlyphCache&) = delete;

  gfx::Device* Device() const { return device_; }
  const fonts::TextMetrics& Metrics() const { return metrics_; }
  std::string ResolvedFamily() const { return fonts::ResolvedFamily(font_); }
  bool HasGlyph(uint8_t code) const { return fonts::HasGlyph(font_, code); }
  const FontWork& Work() const { return work_; }

  // The glyph of a byte code, rasterised and uploaded now when it is new.
  const GlyphPlace& Glyph(uint8_t code) {
    if (!done_[code]) Load(code, code);
    return glyphs_[code];
  }
  // Rasterises the new codes of first..last, with one upload per page they land in.
  Result Load(uint8_t first, uint8_t last);
  // Copies the pages to textures of another device and lets the old ones go.
  Result MoveTo(gfx::Device* device);

 private:
  struct Raster {
    uint8_t code;
    int32_t width, height;
    std::vector<uint8_t> coverage;
    size_t page;
    int32_t x, y;  // in the page
  };
  bool Rasterise(uint8_t code, Raster* out);
  bool Place(Raster* glyph);
  bool StartPage();
  void Upload(size_t page, const std::vector<Raster*>& glyphs);

  gfx::Device* device_;  // referenced
  fonts::Font* font_;
  fonts::Context* context_;
  fonts::TextMetrics metrics_{};
  int32_t pageSide_ = 0;
  std::vector<gfx::Texture*> pages_;  // referenced
  int32_t penX_ = 0, penY_ = 0, rowHeight_ = 0;  // next free place in the last page
  std::array<GlyphPlace, 256> glyphs_{};
  std::array<bool, 256> done_{};
  std::vector<uint32_t> scratch_;
  FontWork work_;
};

}  // namespace platform::d3dx
