// Menu texts measured in the game font that draws them, and drawn so that they stay inside the box
// they belong to (a list row, a table cell, the menu frame): a text too wide for its box is drawn in
// the menu's small font, and cut short with "..." when even that is too wide.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

// Width and height of a text as DrawGameText lays it out in the font of `slot`; 0 for an empty slot.
int32_t GameTextWidth(int32_t slot, const char* text);
int32_t GameTextHeight(int32_t slot, const char* text);

// The horizontal room of a text: it must lie within left..right (inclusive pixels).
struct TextBox {
  int32_t left, right;
};

// The longest start of the text that is no wider than `room` with "..." after it, as `width` measures.
std::string CutTextToWidth(const char* text, int32_t room, const std::function<int32_t(const char*)>& width);

// Draws like DrawGameText (alignment 0 left at x, 1 centred on x, 2 right at x), fitted into `box`.
void DrawMenuText(int32_t slot, int32_t x, int32_t y, int32_t alignment, const char* text, TextBox box);

// Boxes shared by the screens: the inside of the menu frame at the right (W - 468 to W - 28), and the
// whole display.
TextBox MenuFrameBox();
TextBox DisplayBox();

// Every menu text as drawn: the font and text actually used and the box it had to fit (tests).
struct DrawnMenuText {
  int32_t slot, x, y, alignment;
  std::string text;      // as drawn (cut when it had to be)
  std::string original;  // as the screen gave it
  TextBox box;
};
void SetMenuTextObserver(std::function<void(const DrawnMenuText&)> observer);
