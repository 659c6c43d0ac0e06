// The message box in the middle of the screen: the message's lines ("#" between them) on a framed
// panel sized to the text, in the engine's text.
#include <algorithm>
#include <cstring>

#include "engine/display/display.h"
#include "engine/media2d/basic2d.h"
#include "engine/text/text.h"
#include "game/play/game_state.h"
#include "game/play/hud.h"
#include "game/play/hud_layout.h"
#include "game/play/play_loop_input.h"
#include "game/shell/control_bindings.h"

namespace {

// The message split at "#"; empty lines are dropped. Lines point into `copy`.
struct MessageLines {
  char copy[kMessageBufferSize];
  const char* lines[kMessageBufferSize / 2 + 1];
  int32_t count = 0;
};

void SplitMessage(const char* message, MessageLines& out) {
  const size_t length = strnlen(message, sizeof out.copy - 1);
  std::memcpy(out.copy, message, length);
  out.copy[length] = '\0';
  char* start = out.copy;
  for (char* p = out.copy;; ++p) {
    const bool end = *p == '\0';
    if (end || *p == '#') {
      *p = '\0';
      if (*start) out.lines[out.count++] = start;
      if (end) break;
      start = p + 1;
    }
  }
}

}  // namespace

void DrawMessagePanel(const char* message, bool withCloseLine) {
  MessageLines text;
  SplitMessage(message, text);
  const int32_t lineHeight = GetTextHeight(message);
  int32_t widest = 0;
  for (int32_t k = 0; k < text.count; ++k) widest = std::max(widest, GetTextWidth(text.lines[k]));

  const int32_t cx = GetDisplayWidth() / 2, cy = GetDisplayHeight() / 2;
  const int32_t hw = (widest + 20) / 2, hh = (text.count * lineHeight + 70) / 2;
  const uint32_t frame = Rgb(8, 247, 244), inside = Rgb(9, 24, 98);
  FillBox(cx - hw, cy - hh, cx + hw, cy + hh, frame);
  FillBox(cx - hw + 1, cy - hh + 1, cx + hw - 1, cy + hh - 1, inside);

  // White ink for every line, the closing line included: the ink left by earlier drawing could match
  // the panel.
  SetDrawColors(Rgb(255, 255, 255), 0);
  if (withCloseLine) DrawTextCentered(cx, cy + hh - lineHeight - 2, "Press Return to Close");
  for (int32_t k = 0; k < text.count; ++k) DrawTextCentered(cx, cy - hh + 20 + k * lineHeight, text.lines[k]);
}

void ShowMessageOverlay() {
  DrawMessagePanel(Game().message, true);
  const int32_t joystick = ReadJoystickInput();
  if (PlayReturnPressed() || (joystick >= 0 && joystick <= kJoystickLastButton)) {
    Game().overlay = 0;
    IgnoreInputHeldNow();  // the button that closed it may be bound to a command
  }
}

void ShowYesNoOverlay() { DrawMessagePanel(Game().message, false); }
