// Sliders of the sound screen: a value from 0 to 255 with minus and plus buttons and a track.
#include <algorithm>

#include "engine/input/input.h"
#include "engine/media2d/basic2d.h"
#include "engine/text/string_commands.h"
#include "engine/core/core_alloc.h"
#include "game/play/game_font.h"
#include "game/shell/menu_text.h"
#include "game/shell/widget.h"

namespace {

constexpr int32_t kTrackLeft = 22;    // the track from x + 22
constexpr int32_t kTrackRight = 277;  // to x + 277: 255 pixels, one per value
constexpr int32_t kHeight = 15;
constexpr int32_t kButtonWidth = 20;
constexpr int32_t kPlusLeft = 279;

// A held button steps the value while the mouse is over it.
void StepButton(int32_t& value, int32_t x1, int32_t y, int32_t step) {
  if (!MouseInside(x1, y, x1 + kButtonWidth, y + kHeight)) return;
  FillRect(x1, y, x1 + kButtonWidth, y + kHeight, kPressedPink);
  if (LeftButtonHeld()) value += step;
}

}  // namespace

void Slider(int32_t& value, int32_t x, int32_t y) {
  const uint32_t start = 0, end = PackColour(kPressedPink);
  FillGradient(x + kTrackLeft, y, x + kTrackLeft + value, y + kHeight, start, start, end, end);
  DrawRectFrame(x + kTrackLeft, y, x + kTrackRight, y + kHeight, kFramePurple);

  StepButton(value, x, y, -1);
  StepButton(value, x + kPlusLeft, y, +1);
  value = std::clamp(value, 0, 255);
  DrawRectFrame(x, y, x + kButtonWidth, y + kHeight, kFramePurple);
  DrawRectFrame(x + kPlusLeft, y, x + kPlusLeft + kButtonWidth, y + kHeight, kFramePurple);

  // The drag goes on while the press lasts, as long as no control took it.
  const int32_t mx = GetMouseX(), my = GetMouseY();
  if (x + kTrackLeft <= mx && mx <= x + kTrackRight && y < my && my < y + kHeight && MenuClick())
    value = mx - x - kTrackLeft;

  char* number = IntToString(value);
  BeginTextBatch();
  SetMenuTextColour(kWhite);
  DrawMenuText(kItemFont, x + kButtonWidth / 2, y, 1, "-", {x + 1, x + kButtonWidth - 1});
  DrawMenuText(kItemFont, x + kPlusLeft + kButtonWidth / 2, y, 1, "+", {x + kPlusLeft + 1, x + kPlusLeft + kButtonWidth - 1});
  DrawMenuText(kSmallFont, x + 150, y + 2, 1, number, {x + kTrackLeft + 1, x + kTrackRight - 1});
  EndTextBatch();
  CoreAllocFree(&number, 0);
}

void MusicVolumeSlider(int32_t x, int32_t y) { Slider(Menu().musicVolume, x, y); }
void MusicPanSlider(int32_t x, int32_t y) { Slider(Menu().musicPan, x, y); }
void EffectVolumeSlider(int32_t x, int32_t y) { Slider(Menu().effectVolume, x, y); }
