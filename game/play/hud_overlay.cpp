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

constexpr const char* kCloseLine = "Press Return to Close";

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

// The panel of a message: its lines, their height and the half sizes of the box round the centre.
struct MessagePanel {
  MessageLines text;
  int32_t lineHeight, cx, cy, halfWidth, halfHeight;
};

void LayOutMessagePanel(const char* message, bool withCloseLine, MessagePanel& panel) {
  SplitMessage(message, panel.text);
  panel.lineHeight = GetTextHeight(message);
  // The closing line counts as well: a short message would leave it sticking out of the box.
  int32_t widest = withCloseLine ? GetTextWidth(kCloseLine) : 0;
  for (int32_t k = 0; k < panel.text.count; ++k) widest = std::max(widest, GetTextWidth(panel.text.lines[k]));
  panel.cx = GetDisplayWidth() / 2;
  panel.cy = GetDisplayHeight() / 2;
  panel.halfWidth = (widest + 20) / 2;
  panel.halfHeight = (panel.text.count * panel.lineHeight + 70) / 2;
}

}  // namespace

MessagePanelBox MessagePanelBounds(const char* message, bool withCloseLine) {
  MessagePanel p;
  LayOutMessagePanel(message, withCloseLine, p);
  // FillBox covers x1..x2 - 1 and y1..y2 - 1.
  return {p.cx - p.halfWidth, p.cy - p.halfHeight, p.cx + p.halfWidth - 1, p.cy + p.halfHeight - 1};
}

void DrawMessagePanel(const char* message, bool withCloseLine) {
  MessagePanel p;
  LayOutMessagePanel(message, withCloseLine, p);
  const int32_t cx = p.cx, cy = p.cy, hw = p.halfWidth, hh = p.halfHeight;
  const uint32_t frame = Rgb(8, 247, 244), inside = Rgb(9, 24, 98);
  FillBox(cx - hw, cy - hh, cx + hw, cy + hh, frame);
  FillBox(cx - hw + 1, cy - hh + 1, cx + hw - 1, cy + hh - 1, inside);

  // White ink for every line, the closing line included: the ink left by earlier drawing could match
  // the panel.
  SetDrawColors(Rgb(255, 255, 255), 0);
  if (withCloseLine) DrawTextCentered(cx, cy + hh - p.lineHeight - 2, kCloseLine);
  for (int32_t k = 0; k < p.text.count; ++k) DrawTextCentered(cx, cy - hh + 20 + k * p.lineHeight, p.text.lines[k]);
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
