// The menu's geometry at the display size, and the record of what a pass lays out.
#include "game/shell/menu_layout.h"

#include <algorithm>
#include <utility>

#include "engine/display/display.h"
#include "engine/text/text.h"
#include "game/play/game_font.h"
#include "game/shell/menu_state.h"
#include "game/shell/menu_text.h"
#include "game/shell/widget.h"

namespace {

constexpr const char* kBuildText = "qel engine 1.0 - build 071805a";

// The frame picture round the menu column, as the column's places are given.
constexpr int32_t kFrameTop = 56, kFrameHeight = 458;
// Room kept between the window's edge or the header line and what the menu lays out.
constexpr int32_t kMargin = 2;
constexpr int32_t kHeaderX = 2, kHeaderY = 2;
// The build label's left edge, from the display's right edge.
constexpr int32_t kBuildLabelOffset = 128;
// The game mode panel reaches 250 above its centre.
constexpr int32_t kPanelAboveCentre = 250;

// How far the column moves up: 0 when the frame ends inside the window where it stands.
int32_t ColumnShift() { return std::min(0, GetDisplayHeight() - kMargin - (kFrameTop + kFrameHeight)); }

// The last row of the header line's texts.
int32_t HeaderBottom() { return kHeaderY + GameTextHeight(kSmallFont, "Active Profile:") - 1; }

std::function<void(const LaidOutBox&)>& Observer() {
  static std::function<void(const LaidOutBox&)> observer;
  return observer;
}

}  // namespace

int32_t ColumnY(int32_t y) { return y + ColumnShift(); }

int32_t PanelCentreY() { return std::max(Menu().centreY, HeaderBottom() + kMargin + 1 + kPanelAboveCentre); }

void DrawMenuHeader(const char* profileName) {
  const int32_t w = GetDisplayWidth(), buildX = w - kBuildLabelOffset;
  // The column fills the window's height: the label joins the header line instead of the corner the
  // frame would cover, and the profile's name gives way to it.
  const bool onHeaderLine = ColumnShift() < 0;
  std::string line = "Active Profile: ";
  line += profileName;
  SetMenuTextColour(kWhite);
  DrawMenuText(kSmallFont, kHeaderX, kHeaderY, 0, line.c_str(),
               onHeaderLine ? TextBox{0, buildX - 4 * kMargin} : DisplayBox());
  const int32_t buildY = onHeaderLine ? kHeaderY : GetDisplayHeight() - GetTextHeight(kBuildText);
  DrawMenuText(kSmallFont, buildX, buildY, 0, kBuildText, DisplayBox());
}

void SetMenuLayoutObserver(std::function<void(const LaidOutBox&)> observer) { Observer() = std::move(observer); }

void ReportLaidOut(LaidOut kind, int32_t left, int32_t top, int32_t right, int32_t bottom, std::string_view what) {
  if (Observer()) Observer()({kind, left, top, right, bottom, std::string(what)});
}
