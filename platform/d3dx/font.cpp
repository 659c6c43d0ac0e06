#include "platform/d3dx/font.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/d3dx/font_test_hooks.h"

namespace platform::d3dx {

using namespace platform::gfx;

namespace {

// Glyphs placed beyond this are off any target; skipping them keeps the arithmetic in range.
constexpr int64_t kFarAway = int64_t(1) << 30;

int32_t ToInt32(int64_t value) {
  return int32_t(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

int64_t LineLeft(uint32_t format, const Rect& rect, int64_t width) {
  if (format & DT_CENTER) return rect.left + (int64_t(rect.right) - rect.left - width) / 2;
  if (format & DT_RIGHT) return rect.right - width;
  return rect.left;
}

int64_t TextTop(uint32_t format, const Rect& rect, int64_t height) {
  if (format & DT_BOTTOM) return rect.bottom - height;
  if (format & DT_VCENTER) return rect.top + (int64_t(rect.bottom) - rect.top - height) / 2;
  return rect.top;
}

}  // namespace

Result CreateFont(gfx::Device* device, const FontDesc& desc, std::unique_ptr<Font>* font) {
  if (!device || !font) return kInvalidCall;
  fonts::FontSpec spec;
  spec.height = desc.height;
  spec.width = int32_t(std::min<uint32_t>(desc.width, std::numeric_limits<int32_t>::max()));
  spec.weight = int32_t(std::min<uint32_t>(desc.weight, 1000));
  spec.italic = desc.italic ? 1 : 0;
  spec.charSet = desc.charSet;
  spec.outPrecision = desc.outputPrecision;
  spec.quality = desc.quality;
  spec.pitchAndFamily = desc.pitchAndFamily;
  spec.faceName = desc.faceName;
  fonts::Font* made = fonts::CreateFont(spec);
  if (!made) return kFail;
  font->reset(new Font(device, made, desc));
  return kOk;
}

const FontWork& FontWorkDone(const Font& font) { return font.glyphs_.Work(); }

Font::~Font() = default;

Result Font::PreloadGlyphs(uint32_t first, uint32_t last) {
  if (first > last || first > 255) return kInvalidCall;
  return glyphs_.Load(uint8_t(first), uint8_t(std::min<uint32_t>(last, 255)));
}

void Font::LayOut(std::string_view text, bool singleLine) {
  lines_.clear();
  Line line{0, 0, 0};
  for (size_t i = 0; i < text.size(); ++i) {
    const uint8_t code = uint8_t(text[i]);
    if (!singleLine && (code == '\r' || code == '\n')) {
      line.length = i - line.first;
      lines_.push_back(line);
      if (code == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      line = {i + 1, 0, 0};
      continue;
    }
    line.width += glyphs_.Glyph(code).advance;
  }
  line.length = text.size() - line.first;
  lines_.push_back(line);
}

Sprite* Font::OwnBatch() {
  if (!ownSprite_ && Failed(CreateSprite(Device(), &ownSprite_))) return nullptr;
  if (Failed(ownSprite_->Begin(SPRITE_ALPHABLEND | SPRITE_SORT_TEXTURE))) return nullptr;
  return ownSprite_.get();
}

int32_t Font::DrawText(Sprite* sprite, const char* text, int32_t count, Rect* rect, uint32_t format, uint32_t color) {
  if (!text || !rect) return 0;
  const std::string_view all(text, count < 0 ? std::strlen(text) : size_t(count));
  if (all.empty()) {
    if (format & DT_CALCRECT) *rect = {rect->left, rect->top, rect->left, rect->top};
    return 0;
  }
  LayOut(all, (format & DT_SINGLELINE) != 0);
  const int64_t lineHeight = Metrics().height;
  const int64_t height = lineHeight * int64_t(lines_.size());
  int64_t widest = 0;
  for (const Line& line : lines_) widest = std::max(widest, line.width);
  const int64_t top = TextTop(format, *rect, height);
  const int32_t below = ToInt32(top - rect->top + height);

  if (format & DT_CALCRECT) {
    const int64_t left = LineLeft(format, *rect, widest);
    *rect = {ToInt32(left), ToInt32(top), ToInt32(left + widest), ToInt32(top + height)};
    return below;
  }

  const bool batched = sprite && sprite->InBatch() && sprite->Device() == Device();
  Sprite* batch = batched ? sprite : OwnBatch();
  if (!batch) return 0;
  const bool clip = !(format & DT_NOCLIP);
  for (size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    const int64_t lineTop = top + lineHeight * int64_t(i);
    int64_t pen = LineLeft(format, *rect, line.width);
    for (size_t k = line.first; k < line.first + line.length; ++k) {
      const GlyphPlace& g = glyphs_.Glyph(uint8_t(all[k]));
      const int64_t x = pen + g.left, y = lineTop + g.top;
      pen += g.advance;
      if (!g.page || x < -kFarAway || x > kFarAway || y < -kFarAway || y > kFarAway) continue;
      Rect source = g.source;
      int64_t left = x, upper = y;
      if (clip) {
        // Trim the glyph's texels to the rectangle.
        const int64_t cutLeft = std::max<int64_t>(0, rect->left - x), cutTop = std::max<int64_t>(0, rect->top - y);
        const int64_t cutRight = std::max<int64_t>(0, x + (source.right - source.left) - rect->right);
        const int64_t cutBottom = std::max<int64_t>(0, y + (source.bottom - source.top) - rect->bottom);
        if (cutLeft + cutRight >= source.right - source.left || cutTop + cutBottom >= source.bottom - source.top)
          continue;
        source = {source.left + int32_t(cutLeft), source.top + int32_t(cutTop), source.right - int32_t(cutRight),
                  source.bottom - int32_t(cutBottom)};
        left += cutLeft;
        upper += cutTop;
      }
      batch->Draw(g.page, source, int32_t(left), int32_t(upper), color);
    }
  }
  if (!batched) batch->End();
  return below;
}

Result Font::ChangeDevice(gfx::Device* device) {
  Result r = glyphs_.MoveTo(device);
  if (Succeeded(r)) ownSprite_.reset();  // made again on the new device when needed
  return r;
}

}  // namespace platform::d3dx
