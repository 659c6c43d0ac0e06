// The display adapter and mode lists of the graphics screen: filled from the engine's lists, drawn
// always open with a few rows and two arrows.
#include <algorithm>
#include <cstring>

#include "engine/core/core_alloc.h"
#include "engine/display/display.h"
#include "engine/media2d/basic2d.h"
#include "engine/system/result_list.h"
#include "game/play/game_font.h"
#include "game/play/game_state.h"
#include "game/shell/settings.h"
#include "game/shell/menu_text.h"
#include "game/shell/widget.h"

namespace {

constexpr int32_t kListWidth = 202;
constexpr int32_t kArrowLeft = 188;
constexpr int32_t kArrowHeight = 14;

// Entry i (from 1) of the result list into a choice, its text cut to the choice's room.
void TakeResultEntry(DisplayChoice& choice, int32_t i) {
  char* text = GetResultListString(i);
  StoreText(choice.text, text ? text : "");
  CoreAllocFree(&text, 0);
  choice.valid = 1;
}

// Fills up to Room - 1 entries from the result list the engine has just filled.
template <int32_t Room>
int32_t TakeResultList(DisplayChoiceList<Room>& list) {
  for (DisplayChoice& choice : list.entries) choice.valid = 0;
  list.selected = -1;
  const int32_t entries = GetResultListCount();
  int32_t filled = 0;
  for (int32_t i = 1; i <= entries && filled < Room - 1; ++i) TakeResultEntry(list.entries[filled++], i);
  list.count = filled;
  return filled;
}

// Arrow step rules: the adapter list steps every pass, the mode list once per 50 ms of the game clock.
bool StepEveryPass() { return true; }
bool StepOncePer50Ms() {
  const uint32_t now = GameNow();
  if (now - Menu().modeStepTime <= kModeListStepMs) return false;
  Menu().modeStepTime = now;
  return true;
}

template <int32_t Room>
void ChoiceList(DisplayChoiceList<Room>& list, int32_t x, int32_t y, int32_t rows, bool (*mayStep)()) {
  const int32_t h = MeasureLineHeight(), bottom = y + rows * h;
  DrawRectFrame(x, y, x + kListWidth, bottom + 2, kFramePurple);
  FillRect(x + 1, y + 1, x + kListWidth - 1, bottom + 1, kChoiceBackground);

  struct Arrow {
    int32_t y1, y2, step;
  };
  const Arrow arrows[] = {{y, y + kArrowHeight, -1}, {bottom - 12, bottom + 2, +1}};
  for (const Arrow& arrow : arrows) {
    if (!MouseInside(x + kArrowLeft, arrow.y1, x + kListWidth, arrow.y2)) continue;
    if (LeftButtonHeld()) {
      if (mayStep()) list.firstVisible += arrow.step;
      FillRect(x + kArrowLeft, arrow.y1, x + kListWidth, arrow.y2, kPressedPink);
    } else {
      FillRect(x + kArrowLeft, arrow.y1, x + kListWidth, arrow.y2, kChoiceArrowHover);
    }
  }
  list.firstVisible = std::max(std::min(list.firstVisible, list.count - rows), 0);
  for (const Arrow& arrow : arrows) DrawRectFrame(x + kArrowLeft, arrow.y1, x + kListWidth, arrow.y2, kFramePurple);
  DrawMenuLine(x + kArrowLeft, y + kArrowHeight, x + kArrowLeft, bottom - 12);

  // The rows start a pixel below the frame's top line, on the background, so that a selected first
  // row does not cover the line.
  const auto rowTop = [&](int32_t i) { return y + 1 + i * h; };
  for (int32_t i = 0; i < rows; ++i)
    if (list.firstVisible + i == list.selected) FillSelectedRow(x + 1, rowTop(i), x + kArrowLeft - 1, rowTop(i) + h);

  BeginTextBatch();
  for (int32_t i = 0; i < rows && list.firstVisible + i < Room; ++i) {
    const int32_t entry = list.firstVisible + i, yy = rowTop(i);
    if (!list.entries[entry].valid) continue;
    // Long adapter names are fitted to the row, left of the arrow column.
    DrawMenuText(kItemFont, x + 4, yy, 0, list.entries[entry].text, {x + 4, x + kArrowLeft - 2});
    if (MouseInside(x + 4, yy, x + 191, yy + h) && LeftButtonHeld()) list.selected = entry;
  }
  EndTextBatch();
}

}  // namespace

void FillAdapterList() {
  DisplayChoiceList<kAdapterListRoom>& list = Menu().adapters;
  ListDisplayAdapters();
  const int32_t filled = TakeResultList(list);
  for (int32_t i = 0; i < filled; ++i)
    if (std::strcmp(list.entries[i].text, Settings().adapterName) == 0) list.selected = i;
  if (list.selected == -1) list.selected = 0;
}

void FillDisplayModeList() {
  DisplayChoiceList<kModeListRoom>& list = Menu().modes;
  ListDisplayModes();
  const int32_t filled = TakeResultList(list);
  const GameSettings& s = Settings();
  for (int32_t i = 0; i < filled; ++i) {
    DisplayChoice& mode = list.entries[i];
    mode.width = GetResultListValueA(i + 1);
    mode.height = GetResultListValueB(i + 1);
    mode.depth = GetResultListValueC(i + 1);
    if (mode.width == s.width && mode.height == s.height && mode.depth == s.depth) list.selected = i;
  }
  if (list.selected == -1) list.selected = 0;
  list.firstVisible = list.selected;
}

void DisplayAdapterDropDown(int32_t x, int32_t y) { ChoiceList(Menu().adapters, x, y, 3, StepEveryPass); }

void DisplayModeDropDown(int32_t x, int32_t y) { ChoiceList(Menu().modes, x, y, 5, StepOncePer50Ms); }
