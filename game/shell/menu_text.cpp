// Measuring and fitting the menu's texts.
#include "game/shell/menu_text.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/display/display.h"
#include "game/play/game_font.h"
#include "game/shell/menu_layout.h"
#include "game/shell/widget.h"
#include "platform/d3dx/font.h"

namespace d3dx = platform::d3dx;

namespace {

constexpr const char* kEllipsis = "...";

std::function<void(const DrawnMenuText&)>& Observer() {
  static std::function<void(const DrawnMenuText&)> observer;
  return observer;
}

platform::gfx::Rect Measure(int32_t slot, const char* text) {
  platform::gfx::Rect rect{0, 0, 0, 0};
  d3dx::Font* font = GetGameFont(slot);
  if (font && text && *text) font->DrawText(nullptr, text, -1, &rect, d3dx::DT_CALCRECT, 0);
  return rect;
}

// The widest text the box takes at x: a centred text needs room on both sides of x.
int32_t RoomAt(int32_t x, int32_t alignment, const TextBox& box) {
  switch (alignment) {
    case 1: return 2 * std::min(x - box.left, box.right - x) + 1;
    case 2: return x - box.left + 1;
    default: return box.right - x + 1;
  }
}

}  // namespace

std::string CutTextToWidth(const char* text, int32_t room, const std::function<int32_t(const char*)>& width) {
  std::string cut(text);
  while (!cut.empty()) {
    cut.pop_back();
    const std::string candidate = cut + kEllipsis;
    if (width(candidate.c_str()) <= room) return candidate;
  }
  return width(kEllipsis) <= room ? kEllipsis : "";
}

int32_t GameTextWidth(int32_t slot, const char* text) {
  const platform::gfx::Rect rect = Measure(slot, text);
  return rect.right - rect.left;
}

int32_t GameTextHeight(int32_t slot, const char* text) {
  const platform::gfx::Rect rect = Measure(slot, text);
  return rect.bottom - rect.top;
}

void DrawMenuText(int32_t slot, int32_t x, int32_t y, int32_t alignment, const char* text, TextBox box) {
  if (!text) return;
  const int32_t room = RoomAt(x, alignment, box);
  int32_t drawSlot = slot;
  std::string drawn = text;
  if (GameTextWidth(slot, text) > room) {
    // The smaller text stands on the middle of the line the full-size text would fill.
    y += (GameTextHeight(slot, "Wg") - GameTextHeight(kSmallFont, "Wg")) / 2;
    drawSlot = kSmallFont;
    if (GameTextWidth(kSmallFont, text) > room)
      drawn = CutTextToWidth(text, room, [](const char* t) { return GameTextWidth(kSmallFont, t); });
  }
  DrawGameText(drawSlot, x, y, alignment, drawn.c_str());
  if (Observer()) Observer()({drawSlot, x, y, alignment, drawn, text, box});
  if (const int32_t width = GameTextWidth(drawSlot, drawn.c_str()); width > 0) {
    const int32_t left = alignment == 1 ? x - width / 2 : alignment == 2 ? x - width : x;
    ReportLaidOut(LaidOut::kText, left, y, left + width - 1, y + GameTextHeight(drawSlot, drawn.c_str()) - 1, drawn);
  }
}

TextBox MenuFrameBox() {
  const int32_t w = GetDisplayWidth();
  return {w - 468, w - 28};
}

TextBox DisplayBox() { return {0, GetDisplayWidth() - 1}; }

void SetMenuTextObserver(std::function<void(const DrawnMenuText&)> observer) { Observer() = std::move(observer); }
