// The shared rules of the menu's widgets: the click latch, hit boxes, colours, frames and buttons.
#include "game/shell/widget.h"

#include <algorithm>

#include "engine/display/display.h"
#include "engine/input/input.h"
#include "engine/media2d/basic2d.h"
#include "engine/text/text.h"
#include "game/play/game_font.h"
#include "game/shell/menu_layout.h"
#include "game/shell/menu_text.h"

int32_t MenuColumnX() { return GetDisplayWidth() - kMenuColumnOffset; }

bool MouseInside(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  const int32_t x = GetMouseX(), y = GetMouseY();
  return x1 < x && x < x2 && y1 < y && y < y2;
}

bool LeftButtonHeld() { return GetMouseButtons() == 1; }

bool MenuClick() { return Menu().clickLatch && LeftButtonHeld(); }

void TakeClick() { Menu().clickLatch = 0; }

void UpdateClickLatch() {
  if (!LeftButtonHeld()) Menu().clickLatch = 1;
}

int32_t MeasureLineHeight() { return GetTextHeight("WOOKIE"); }

bool MouseOverMenuButton(const char* text, int32_t y) {
  const int32_t halfWidth = GetTextWidth(text) / 2, height = GetTextHeight(text);
  const int32_t centre = MenuColumnX(), mx = GetMouseX(), my = GetMouseY();
  return centre - halfWidth <= mx && mx <= centre + halfWidth && y <= my && my <= y + height;
}

bool MouseOverText(int32_t x, int32_t y, const char* text) {
  return MouseInside(x, y, x + GetTextWidth(text), y + GetTextHeight(text));
}

void SetMenuTextColour(const MenuColour& c) { SetTextColour(c.red, c.green, c.blue, c.alpha); }

uint32_t PackColour(const MenuColour& c) {
  return uint32_t(c.alpha & 255) << 24 | uint32_t(c.red & 255) << 16 | uint32_t(c.green & 255) << 8 |
         uint32_t(c.blue & 255);
}

void DrawRectFrame(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const MenuColour& colour) {
  SetDrawColors(PackColour(colour), 0);
  DrawLine(x1, y1, x2, y1);
  DrawLine(x1, y2, x2, y2);
  DrawLine(x1, y1, x1, y2);
  DrawLine(x2, y1, x2, y2);
  ReportLaidOut(LaidOut::kFrame, x1, y1, x2, y2, "frame");
}

void DrawMenuLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  DrawLine(x1, y1, x2, y2);
  ReportLaidOut(LaidOut::kLine, std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2), "line");
}

void FillGradient(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t bottomLeft, uint32_t topLeft,
                  uint32_t bottomRight, uint32_t topRight) {
  DrawGradientBox(x1, y1, x2, y2, bottomLeft, topLeft, bottomRight, topRight);
  // The fill covers the pixels from x1 and y1 up to, not including, x2 and y2.
  if (x2 > x1 && y2 > y1) ReportLaidOut(LaidOut::kFill, x1, y1, x2 - 1, y2 - 1, "fill");
}

void FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const MenuColour& colour) {
  const uint32_t c = PackColour(colour);
  FillGradient(x1, y1, x2, y2, c, c, c, c);
}

void FillSelectedRow(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  const uint32_t corner = PackColour(kFocusedBlue), other = PackColour(kSelectedRowBlue);
  FillGradient(x1, y1, x2, y2, corner, other, other, other);
}

bool MenuItem(const char* text, int32_t y) {
  const bool over = MouseOverMenuButton(text, y);
  SetMenuTextColour(over ? kHoverPurple : kWhite);
  DrawMenuText(kItemFont, MenuColumnX(), y, 1, text, ScreenBox());
  if (!over || !MenuClick()) return false;
  TakeClick();
  return true;
}

bool TextButton(int32_t x, int32_t y, const char* text, int32_t font, int32_t boxWidth, int32_t boxHeight) {
  const bool over = MouseInside(x, y, x + boxWidth, y + boxHeight);
  SetMenuTextColour(over ? kHoverPurple : kWhite);
  DrawMenuText(font, x, y, 0, text, ScreenBox());
  if (!over || !MenuClick()) return false;
  TakeClick();
  return true;
}

bool TextButton(int32_t x, int32_t y, const char* text) {
  return TextButton(x, y, text, kItemFont, GetTextWidth(text), Menu().lineHeight);
}

bool ListButton(int32_t x, int32_t y, const char* text) {
  return TextButton(x, y, text, kItemFont, GetTextWidth("Cancel"), GetTextHeight("Cancel"));
}

TextBox ScreenBox() {
  const MenuState& m = Menu();
  if (m.mainFrame) return MenuFrameBox();
  return {m.centreX - 299, m.centreX + 299};
}
