#include "game/play/game_font.h"

#include <algorithm>
#include <array>
#include <limits>
#include <memory>
#include <utility>

#include "engine/display/display.h"
#include "platform/d3dx/font.h"
#include "platform/d3dx/sprite.h"
#include "platform/fonts/fonts.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;
namespace d3dx = platform::d3dx;

namespace {

constexpr int32_t kSlotCount = 21;
constexpr uint8_t kFirstPreloaded = 32, kLastPreloaded = 180;

struct GameFonts {
  // Referenced, so that a device the engine has let go cannot come back at the same address unnoticed.
  gfx::Device* device = nullptr;
  std::array<std::unique_ptr<d3dx::Font>, kSlotCount> slots;
  std::unique_ptr<d3dx::Sprite> sprite;
  int32_t red = 255, green = 255, blue = 255, alpha = 255;
};

// Never destroyed: the fonts hold device objects, which must not be released while the process
// shuts the device layer down.
GameFonts& Fonts() {
  static GameFonts* fonts = new GameFonts;
  return *fonts;
}

bool ValidSlot(int32_t slot) { return slot >= 0 && slot < kSlotCount; }

void KeepDevice(gfx::Device* device) {
  GameFonts& f = Fonts();
  if (device) device->AddRef();
  if (f.device) f.device->Release();
  f.device = device;
}

// The engine makes a new device when the display mode changes; the fonts and the batch move to it.
void FollowEngineDevice() {
  GameFonts& f = Fonts();
  gfx::Device* current = GetDirect3DDevice();
  if (!f.device || !current || current == f.device || (f.sprite && f.sprite->InBatch())) return;
  for (auto& font : f.slots)
    if (font) font->ChangeDevice(current);
  if (f.sprite) f.sprite->ChangeDevice(current);
  KeepDevice(current);
}

uint32_t PackedTextColour() {
  const GameFonts& f = Fonts();
  return uint32_t(f.alpha) * 0x1000000u + uint32_t(f.red) * 0x10000u + uint32_t(f.green) * 0x100u + uint32_t(f.blue);
}

int32_t ToInt32(int64_t value) {
  return int32_t(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

}  // namespace

void StoreDisplayDevice() { KeepDevice(GetDirect3DDevice()); }

void SetTextColour(int32_t red, int32_t green, int32_t blue, int32_t alpha) {
  GameFonts& f = Fonts();
  f.red = red;
  f.green = green;
  f.blue = blue;
  f.alpha = alpha;
}

void CreateGameFont(int32_t slot, const char* faceName, int32_t points, int32_t bold, int32_t italic) {
  if (!ValidSlot(slot)) return;
  FollowEngineDevice();
  GameFonts& f = Fonts();
  // A negative height asks for the character height: points at the screen's pixels per inch.
  const int64_t pixelsPerInch = platform::fonts::DeviceCaps(nullptr, platform::fonts::CAPS_LOGPIXELSY);
  d3dx::FontDesc desc;
  desc.height = ToInt32(-(int64_t(points) * pixelsPerInch / 72));
  desc.width = 0;
  desc.weight = bold == 1 ? platform::fonts::WEIGHT_BOLD : platform::fonts::WEIGHT_NORMAL;
  desc.mipLevels = 1;
  desc.italic = italic == 1;
  desc.charSet = platform::fonts::CHARSET_DEFAULT;
  desc.outputPrecision = 0;
  desc.quality = 0;
  desc.pitchAndFamily = 0;
  desc.faceName = faceName ? faceName : "";
  std::unique_ptr<d3dx::Font> font;
  if (f.device) d3dx::CreateFont(f.device, desc, &font);
  f.slots[size_t(slot)] = std::move(font);  // a font made before in the slot is released
  if (f.slots[size_t(slot)]) f.slots[size_t(slot)]->PreloadGlyphs(kFirstPreloaded, kLastPreloaded);
  if (!f.sprite && f.device) d3dx::CreateSprite(f.device, &f.sprite);
}

void BeginTextBatch() {
  FollowEngineDevice();
  GameFonts& f = Fonts();
  if (f.sprite) f.sprite->Begin(d3dx::SPRITE_ALPHABLEND | d3dx::SPRITE_SORT_TEXTURE);
}

void EndTextBatch() {
  GameFonts& f = Fonts();
  if (f.sprite) f.sprite->End();
}

void DrawGameText(int32_t slot, int32_t x, int32_t y, int32_t alignment, const char* text) {
  if (!ValidSlot(slot) || !text) return;
  FollowEngineDevice();
  GameFonts& f = Fonts();
  d3dx::Font* font = f.slots[size_t(slot)].get();
  if (!font) return;
  const uint32_t colour = PackedTextColour();
  gfx::Rect rect{x, y, 0, 0};
  if (alignment == 1) {
    font->DrawText(f.sprite.get(), text, -1, &rect, d3dx::DT_CALCRECT, colour);
    const int64_t half = (int64_t(rect.right) - x) / 2;
    rect.left = ToInt32(x - half);
    rect.right = ToInt32(x + half);
  } else if (alignment == 2) {
    font->DrawText(f.sprite.get(), text, -1, &rect, d3dx::DT_CALCRECT, colour);
    rect.left = ToInt32(2 * int64_t(x) - rect.right);
  }
  font->DrawText(f.sprite.get(), text, -1, &rect, d3dx::DT_NOCLIP, colour);
}

void DrawShadowedText(int32_t slot, int32_t x, int32_t y, int32_t alignment, const char* text) {
  SetTextColour(0, 0, 0, 255);
  for (auto [dx, dy] : {std::pair{-1, -1}, {-1, 1}, {1, -1}, {1, 1}})
    DrawGameText(slot, ToInt32(int64_t(x) + dx), ToInt32(int64_t(y) + dy), alignment, text);
  SetTextColour(157, 74, 248, 255);
  DrawGameText(slot, x, y, alignment, text);
}

d3dx::Font* GetGameFont(int32_t slot) { return ValidSlot(slot) ? Fonts().slots[size_t(slot)].get() : nullptr; }

void ReleaseGameFonts() {
  GameFonts& f = Fonts();
  for (auto& font : f.slots) font.reset();
  f.sprite.reset();
  KeepDevice(nullptr);
}
