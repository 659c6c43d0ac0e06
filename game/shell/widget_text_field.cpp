// The text entry field: a box that takes the keyboard on a click and keeps what is typed.
#include <cstring>

#include "engine/core/core_alloc.h"
#include "engine/input/input.h"
#include "game/play/game_font.h"
#include "game/shell/menu_text.h"
#include "game/shell/widget.h"

namespace {

constexpr int32_t kFieldWidth = 200;
constexpr int32_t kFieldHeight = 18;
constexpr int32_t kBackspace = 14;
constexpr int32_t kReturn = 28;
// Typed text on the light fill of a focused field: white would hardly show there.
constexpr MenuColour kFocusedText{9, 24, 98};

// Adds the characters typed since the last clear, as many as fit in 255. The typed text also holds
// the codes of Backspace, Return and other control keys: they are not characters of a name.
void AppendTypedText(TextField& field) {
  char* typed = GetTypedText();
  if (!typed) return;
  size_t length = strnlen(field.text, kMenuTextSize - 1);
  for (const char* c = typed; *c && length < kMenuTextSize - 1; ++c)
    if (static_cast<unsigned char>(*c) >= 32 && *c != 127) field.text[length++] = *c;
  field.text[length] = '\0';
  CoreAllocFree(&typed, 0);
}

}  // namespace

void TextEntryField(TextField& field, int32_t x, int32_t y) {
  if (MenuClick()) {
    if (MouseInside(x, y, x + kFieldWidth, y + kFieldHeight)) {
      field.focused = 1;
      TakeClick();
    } else {
      field.focused = 0;  // the latch stays: the same click may press a button
    }
  }
  if (field.focused) {
    FillRect(x, y, x + kFieldWidth, y + kFieldHeight, kFocusedBlue);
    const size_t length = strnlen(field.text, kMenuTextSize);
    const int32_t key = GetPressedScanCode();
    if (length < size_t(kTextFieldTypingLimit) && key != 0 && key != kBackspace && key != kReturn)
      AppendTypedText(field);
    const size_t now = strnlen(field.text, kMenuTextSize);
    if (now > 0 && GetPressedScanCode() == kBackspace) field.text[now - 1] = '\0';
    if (GetPressedScanCode() == kReturn) field.focused = 0;
    ClearTypedText();
  }
  DrawRectFrame(x, y, x + kFieldWidth, y + kFieldHeight, kFramePurple);
}

void DrawFieldText(const TextField& field, int32_t x, int32_t y) {
  SetMenuTextColour(field.focused ? kFocusedText : kWhite);
  DrawMenuText(kItemFont, x + 2, y + 2, 0, field.text, {x + 2, x + kFieldWidth - 2});
  SetMenuTextColour(kWhite);
}
