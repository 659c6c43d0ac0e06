// The font atlas: every character code 32..255 of the current font rasterised once into one texture.
#include <algorithm>
#include <string_view>
#include <vector>

#include "engine/core/errors.h"
#include "engine/display/display.h"
#include "engine/text/text.h"
#include "engine/text/text_state.h"
#include "platform/fonts/fonts.h"
#include "platform/gfx/device.h"
#include "platform/gfx/resources.h"

namespace gfx = platform::gfx;
namespace fonts = platform::fonts;

namespace {

constexpr int kFirstCode = 32;
constexpr int kCodeCount = 256 - kFirstCode;
// The largest atlas a large font may grow to (the largest size, 100, fits in half of it).
constexpr uint32_t kMaxGrownAtlas = 4096;

// Texture formats tried in order when the preferred 4-4-4-4 one is refused.
constexpr uint32_t kFormatFallbacks[] = {
    gfx::FMT_A4R4G4B4, gfx::FMT_A8R3G3B2, gfx::FMT_A1R5G5B5, gfx::FMT_X1R5G5B5, gfx::FMT_A8R8G8B8, gfx::FMT_A2B10G10R10,
    gfx::FMT_X8R8G8B8, gfx::FMT_R8G8B8,   gfx::FMT_R5G6B5,   gfx::FMT_R3G3B2,   gfx::FMT_X4R4G4B4, gfx::FMT_G16R16};

fonts::Font* CreateGdiFont(fonts::Context* context, int32_t weight, bool italic, uint32_t size, const char* face,
                           uint32_t requestedCharset) {
  TextState& s = TextModuleState();
  fonts::FontSpec spec;
  spec.weight = weight;
  spec.italic = italic ? 1 : 0;
  spec.quality = fonts::QUALITY_NONANTIALIASED;
  spec.pitchAndFamily = fonts::PITCH_VARIABLE;
  spec.faceName = face;
  if (requestedCharset != 0) {
    spec.height = int32_t(size);
    spec.charSet = uint8_t(requestedCharset);
    s.effectiveCharset = requestedCharset;
  } else if (s.effectiveCharset != 0) {
    const int32_t pixelsPerInch = int32_t(float(fonts::DeviceCaps(context, fonts::CAPS_LOGPIXELSY)) * s.scale);
    spec.height = -fonts::MulDiv(int32_t(size), pixelsPerInch, 72);
    spec.charSet = uint8_t(s.effectiveCharset);
  } else {
    spec.height = int32_t(float(size) * s.scale);
  }
  s.doubleByte = s.effectiveCharset == kDoubleByteCharset;
  return fonts::CreateFont(spec);
}

uint32_t AtlasSizeForGlyphHeight(int32_t height) {
  if (height > 40) return 1024;
  if (height >= 16) return 512;
  return 256;
}

struct Cell {
  int32_t x, y;
  bool placed;
};

// Rows of cells left to right, a new row when the next cell would cross the right edge. Cells that
// would cross the bottom are not placed. True when every cell was placed.
bool LayOutCells(const fonts::Size (&extents)[kCodeCount], uint32_t width, uint32_t height, int32_t spacing,
                 Cell (&cells)[kCodeCount]) {
  int32_t x = 0, y = 0;
  bool all = true;
  for (int i = 0; i < kCodeCount; ++i) {
    const fonts::Size e = extents[i];
    if (x + e.cx + 1 > int32_t(width)) {
      x = 0;
      y += e.cy + 2;
    }
    cells[i] = {x, y, x + e.cx + 1 <= int32_t(width) && y + e.cy + 1 <= int32_t(height)};
    all = all && cells[i].placed;
    x += e.cx + spacing;
  }
  return all;
}

// 4-4-4-4 texels from the white-on-black cells: the cell's brightness becomes the alpha.
void FillTexture(gfx::Texture* texture, const std::vector<uint32_t>& pixels, uint32_t width, uint32_t height) {
  const TextState& s = TextModuleState();
  gfx::LockedRect locked{};
  if (gfx::Failed(texture->LockRect(0, &locked, nullptr, 0))) return;
  uint16_t glyph = 0x0FFF;
  if (s.background != 0) {
    const uint32_t c = s.foreground;
    glyph = uint16_t(((c >> 16 & 0xFF) / 16) << 8 | ((c >> 8 & 0xFF) / 16) << 4 | (c & 0xFF) / 16);
  }
  constexpr uint16_t kBackground = 0;  // alpha 0: the cell around the glyph is transparent
  for (uint32_t y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(locked.bits) + size_t(y) * locked.pitch);
    const uint32_t* source = pixels.data() + size_t(y) * width;
    for (uint32_t x = 0; x < width; ++x) {
      const uint16_t alpha = uint16_t((source[x] >> 4) & 0xF);
      row[x] = alpha > 0 ? uint16_t(alpha << 12 | glyph) : kBackground;
    }
  }
  texture->UnlockRect(0);
}

}  // namespace

void ChooseFontTextureFormat() {
  TextState& s = TextModuleState();
  uint32_t surfaceFormat = gfx::FMT_X8R8G8B8;
  if (s.core && s.core->currentRenderSurface) {
    gfx::SurfaceDesc desc{};
    if (gfx::Succeeded(s.core->currentRenderSurface->GetDesc(&desc))) surfaceFormat = desc.format;
  }
  s.fontTextureFormat = gfx::FMT_G16R16;
  if (!s.api) return;
  for (uint32_t format : kFormatFallbacks) {
    if (gfx::Succeeded(s.api->CheckDeviceFormat(gfx::kAdapterDefault, gfx::DEVTYPE_HAL, surfaceFormat, 0,
                                                gfx::RTYPE_TEXTURE, format))) {
      s.fontTextureFormat = format;
      return;
    }
  }
}

void CreateFontTexture() {
  TextState& s = TextModuleState();
  GlyphTables& glyphs = TextGlyphs();

  fonts::Context* context = fonts::CreateContext();
  fonts::SetMapMode(context, fonts::MAPMODE_TEXT);
  fonts::Font* font = CreateGdiFont(context, fonts::WEIGHT_NORMAL, false, s.fontSize, s.faceName, s.requestedCharset);
  fonts::Font* defaultFont = fonts::SelectFont(context, font);
  fonts::SetTextAlign(context, fonts::ALIGN_LEFT | fonts::ALIGN_TOP);

  fonts::Size g{};
  fonts::TextExtent(context, "g", &g);
  uint32_t size = AtlasSizeForGlyphHeight(g.cy);
  s.scale = 1.0f;

  uint32_t maxWidth = size;
  if (s.device) {
    gfx::Caps caps{};
    if (gfx::Succeeded(s.device->GetDeviceCaps(&caps)) && caps.maxTextureWidth > 0) maxWidth = caps.maxTextureWidth;
  }
  fonts::Size extents[kCodeCount];
  for (int i = 0; i < kCodeCount; ++i) {
    const char c = char(kFirstCode + i);
    fonts::TextExtent(context, std::string_view(&c, 1), &extents[i]);
  }
  const int32_t spacing = s.requestedCharset == 0 ? 16 : 2;
  Cell cells[kCodeCount];
  // A large font does not fit the size its "g" suggests: the atlas grows while the device allows.
  const uint32_t growLimit = std::min(maxWidth, kMaxGrownAtlas);
  while (!LayOutCells(extents, size, size, spacing, cells) && size * 2 <= growLimit) size *= 2;
  if (size > maxWidth) {
    s.scale = float(maxWidth) / float(size);
    size = maxWidth;
    LayOutCells(extents, size, size, spacing, cells);
  }
  s.textureWidth = s.textureHeight = size;

  if (s.device && gfx::Failed(s.device->CreateTexture(size, size, 1, 0, s.fontTextureFormat, gfx::POOL_MANAGED,
                                                      &s.fontTexture, nullptr))) {
    s.fontTexture = nullptr;
  }
  if (!s.fontTexture) RaiseErrorText("Unable to create font texture in text library");

  std::vector<uint32_t> pixels(size_t(size) * size, 0);
  const fonts::Bitmap32 bitmap{pixels.data(), int32_t(size), int32_t(size), int32_t(size * 4)};
  fonts::SelectBitmap(context, &bitmap);
  fonts::SetTextColor(context, 0xFFFFFF);
  fonts::SetBackgroundColor(context, 0);

  const float w = float(size), h = float(size);
  for (int i = 0; i < kCodeCount; ++i) {
    const int code = kFirstCode + i;
    const fonts::Size e = extents[i];
    const Cell cell = cells[i];
    if (cell.placed) {
      const char c = char(code);
      fonts::TextOut(context, cell.x, cell.y, fonts::TEXTOUT_OPAQUE, nullptr, std::string_view(&c, 1));
      glyphs.rect[code] = {float(cell.x) / w, float(cell.y) / h, float(cell.x + e.cx + 1) / w,
                           float(cell.y + e.cy + 1) / h};
    } else {
      glyphs.rect[code] = {0, 0, 0, 0};  // no room left: measured, drawn as nothing
    }
    glyphs.width[code] = int32_t(float(e.cx) / s.scale);
    glyphs.height[code] = e.cy;
  }

  if (s.fontTexture && FormatToBits(s.fontTextureFormat) == 16) FillTexture(s.fontTexture, pixels, size, size);

  fonts::SelectBitmap(context, nullptr);
  fonts::SelectFont(context, defaultFont);
  if (s.font) fonts::DeleteFont(s.font);
  s.font = font;
  fonts::DeleteContext(context);
}
