// A loaded font: its face at the asked size, the metrics the text API reports and the glyphs of the
// 256 byte codes, each rasterised once on first use.
#pragma once
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/fonts/fonts.h"

struct FT_FaceRec_;

namespace platform::fonts {

// One rasterised byte code. Coverage is 0..255 per pixel (only 0 or 255 for one-bit glyphs).
struct Glyph {
  int32_t left = 0;  // from the pen position to the first column
  int32_t top = 0;   // from the baseline up to the first row
  int32_t width = 0;
  int32_t rows = 0;
  int32_t advance = 0;
  std::vector<uint8_t> coverage;
};

class Font {
 public:
  static std::unique_ptr<Font> Load(const FontSpec& spec);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  const TextMetrics& Metrics() const { return metrics_; }
  const std::string& Family() const { return family_; }
  bool Monochrome() const { return monochrome_; }
  const Glyph& GlyphOf(uint8_t byte);
  // The face's glyph of the byte; 0, the missing-glyph shape, when it has none.
  unsigned GlyphIndex(uint8_t byte) const;

 private:
  Font() = default;
  Glyph Render(uint8_t byte) const;

  FT_FaceRec_* face_ = nullptr;
  std::string family_;
  TextMetrics metrics_;
  bool monochrome_ = true;
  bool symbolEncoding_ = false;
  bool embolden_ = false;
  bool oblique_ = false;
  std::array<std::optional<Glyph>, 256> glyphs_;
};

}  // namespace platform::fonts
