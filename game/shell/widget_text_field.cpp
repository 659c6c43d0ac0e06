// The text entry field: a box that takes the keyboard on a click and keeps what is typed.
#include <cstring>

#include "engine/core/core_alloc.h"
#include "engine/input/input.h"
#include "game/play/game_font.h"
#include "game/shell/menu_text.h"
#include "game/shell/widget.h"
#include "platform/charset/windows1252.h"
#include "platform/d3dx/font.h"

namespace {

constexpr int32_t kFieldWidth = 200;
constexpr int32_t kFieldHeight = 18;
constexpr int32_t kBackspace = 14;
constexpr int32_t kReturn = 28;
// Typed text on the light fill of a focused field: white would hardly show there.
constexpr MenuColour kFocusedText{9, 24, 98};

// Whether the field's font draws the character with a glyph of its own.
bool FieldFontDraws(unsigned char c) {
  const platform::d3dx::Font* font = GetGameFont(kItemFont);
  return !font || font->HasGlyph(c);
}

// Adds the characters typed since the last pass, as many as fit in 255. The typed text also holds the
// codes of Backspace, Return and other control keys: they are not characters of a name and are passed
// over. A character the game's text cannot hold (the window layer hands it over as the substitute
// byte) or the field's font cannot draw is refused: left out, and the player is told.
void AppendTypedText(TextField& field) {
  char* typed = GetTypedText();
  if (!typed) return;
  size_t length = strnlen(field.text, kMenuTextSize - 1);
  bool refused = false;
  for (const char* c = typed; *c && length < kMenuTextSize - 1; ++c) {
    const auto byte = static_cast<unsigned char>(*c);
    if (byte < 32 || byte == 127)
      refused |= *c == platform::charset::kSubstitute;
    else if (!FieldFontDraws(byte))
      refused = true;
    else
      field.text[length++] = *c;
  }
  field.text[length] = '\0';
  CoreAllocFree(&typed, 0);
  if (refused)
    ShowMenuMessage("That character cannot be part of a name.#"
                    "Names take the letters, digits and signs of Western European text.");
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
    // The menu drops typed text at the end of every pass, so all there is was typed since the last one,
    // while the field had the keyboard: a key tapped between two passes counts as well, and so does
    // text that no held key stands for (a composed or remapped character).
    if (strnlen(field.text, kMenuTextSize) < size_t(kTextFieldTypingLimit)) AppendTypedText(field);
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
