#include "tools/assetgen/text.h"

#include <cmath>
#include <map>
#include <tuple>
#include <vector>

#include "platform/fonts/fonts.h"
#include "tools/assetgen/output.h"

namespace fonts = platform::fonts;

namespace {

// Fonts and one context for the whole run.
class FontCache {
 public:
  ~FontCache() {
    fonts::SelectFont(context_, nullptr);
    for (auto& [key, font] : fonts_) fonts::DeleteFont(font);
    fonts::DeleteContext(context_);
  }
  fonts::Context* ContextFor(const TextStyle& style) {
    const auto key = std::make_tuple(style.face, style.pixels, style.bold, style.italic);
    fonts::Font*& font = fonts_[key];
    if (!font) {
      fonts::FontSpec spec;
      spec.height = -style.pixels;
      spec.weight = style.bold ? fonts::WEIGHT_BOLD : fonts::WEIGHT_NORMAL;
      spec.italic = style.italic ? 1 : 0;
      spec.quality = fonts::QUALITY_ANTIALIASED;
      spec.faceName = style.face;
      font = fonts::CreateFont(spec);
      if (!font) Fail("no font for " + style.face);
    }
    fonts::SelectFont(context_, font);
    return context_;
  }

 private:
  fonts::Context* context_ = fonts::CreateContext();
  std::map<std::tuple<std::string, int, bool, bool>, fonts::Font*> fonts_;
};

fonts::Context* ContextFor(const TextStyle& style) {
  static FontCache cache;
  return cache.ContextFor(style);
}

}  // namespace

int TextWidth(const std::string& text, const TextStyle& style) {
  fonts::Size size;
  fonts::TextExtent(ContextFor(style), text, &size);
  return size.cx;
}

int TextHeight(const TextStyle& style) {
  fonts::TextMetrics metrics;
  fonts::GetTextMetrics(ContextFor(style), &metrics);
  return metrics.height;
}

void DrawText(Canvas& canvas, double x, double y, const std::string& text, const TextStyle& style) {
  fonts::Context* context = ContextFor(style);
  fonts::Size size;
  fonts::TextExtent(context, text, &size);
  const int pad = style.italic ? size.cy / 2 : 2;
  const int width = size.cx + 2 * pad, height = size.cy;
  if (width <= 0 || height <= 0) return;
  std::vector<uint32_t> pixels(size_t(width) * height, 0);
  fonts::Bitmap32 bitmap{pixels.data(), width, height, width * 4};
  fonts::SelectBitmap(context, &bitmap);
  fonts::SetTextColor(context, fonts::MakeColorRef(255, 255, 255));
  fonts::SetBackgroundMode(context, fonts::BKMODE_TRANSPARENT);
  fonts::TextOut(context, pad, 0, 0, nullptr, text);
  fonts::SelectBitmap(context, nullptr);
  double left = x - pad;
  if (style.align == Align::kCentre) left -= size.cx / 2.0;
  if (style.align == Align::kRight) left -= size.cx;
  const int ox = int(std::lround(left)), oy = int(std::lround(y));
  for (int py = 0; py < height; ++py)
    for (int px = 0; px < width; ++px) {
      const float coverage = (pixels[size_t(py) * width + px] & 0xFF) / 255.0f;
      if (coverage > 0) canvas.Blend(ox + px, oy + py, style.colour, coverage);
    }
}

void DrawShadowedText(Canvas& canvas, double x, double y, const std::string& text, const TextStyle& style,
                      Colour shadow, int offset) {
  TextStyle dark = style;
  dark.colour = shadow;
  DrawText(canvas, x + offset, y + offset, text, dark);
  DrawText(canvas, x, y, text, style);
}
