// The Controls screen: the bindings table, capture, and the load and save lists.
#include "game/shell/controls_screen.h"

#include "engine/display/display.h"
#include "engine/input/input.h"
#include "engine/media2d/basic2d.h"
#include "engine/text/text.h"
#include "game/play/game_font.h"
#include "game/shell/control_bindings.h"
#include "game/shell/control_file.h"
#include "game/shell/data_file_report.h"
#include "game/shell/menu_layout.h"
#include "game/shell/menu_state.h"
#include "game/shell/menu_text.h"
#include "game/shell/settings.h"
#include "game/shell/widget.h"

namespace {

constexpr int32_t kTableWidth = 420;
constexpr int32_t kRowHeight = 20;
constexpr int32_t kTableHeight = kRowHeight * kGameCommandCount;
// Column edges: the command names, then keyboard, alternative keyboard and joystick.
constexpr int32_t kColumnEdges[] = {0, 106, 207, 309, kTableWidth};
// Centres of the binding texts, one per input column.
constexpr int32_t kColumnCentres[] = {159, 260, 364};
constexpr int32_t kInputColumns = 3;

constexpr const char* kHeadings[] = {"Command:", "Keyboard:", "Alt Keyboard:", "Joystick:"};
constexpr int32_t kHeadingX[] = {2, 109, 209, 310};

int32_t& BindingOfCell(int32_t cell) {
  ControlBindings& b = Bindings();
  const int32_t slot = cell % kBindingColumnCells;
  switch (cell / kBindingColumnCells) {
    case 0:
      return b.keyboard[slot];
    case 1:
      return b.alternative[slot];
    default:
      return b.joystick[slot];
  }
}

const char* BindingName(int32_t column, int32_t slot) {
  const ControlBindings& b = Bindings();
  if (column == 0) return GetKeyName(b.keyboard[slot]);
  if (column == 1) return GetKeyName(b.alternative[slot]);
  return GetJoystickInputName(b.joystick[slot]);
}

// The inside of a column of the table, a pixel clear of its grid lines on each side.
TextBox ColumnBox(int32_t x, int32_t column) { return {x + kColumnEdges[column] + 2, x + kColumnEdges[column + 1] - 2}; }

void DrawTable(int32_t x, int32_t y) {
  DrawRectFrame(x, y, x + kTableWidth, y + kTableHeight, kFramePurple);
  SetDrawColors(PackColour(kFramePurple), 0);
  for (int32_t i = 1; i <= kInputColumns; ++i) DrawMenuLine(x + kColumnEdges[i], y, x + kColumnEdges[i], y + kTableHeight);
  for (int32_t r = 1; r < kGameCommandCount; ++r) DrawMenuLine(x, y + kRowHeight * r, x + kTableWidth, y + kRowHeight * r);

  SetMenuTextColour(kWhite);
  for (int32_t i = 0; i < 4; ++i)
    DrawMenuText(kItemFont, x + kHeadingX[i], y - 16, 0, kHeadings[i], {x + kColumnEdges[i], x + kColumnEdges[i + 1] - 2});
  for (int32_t slot = 0; slot < kGameCommandCount; ++slot) {
    const int32_t yy = y + 2 + kRowHeight * slot;
    DrawMenuText(kItemFont, x + 2, yy, 0, GetCommandName(slot), ColumnBox(x, 0));
    for (int32_t column = 0; column < kInputColumns; ++column)
      DrawMenuText(kItemFont, x + kColumnCentres[column], yy, 1, BindingName(column, slot), ColumnBox(x, column + 1));
  }
}

// The small buttons under the table: each boxed by its own text as the small font draws it, so that
// the boxes of the three neighbours do not overlap.
bool TableButton(int32_t x, int32_t y, const char* text) {
  return TextButton(x, y, text, kSmallFont, GameTextWidth(kSmallFont, text), GameTextHeight(kSmallFont, text));
}

void OpenConfigList(ControlsMode mode) {
  MenuState& m = Menu();
  ListControlConfigFiles();
  m.configScroll = 0;
  m.controlsMode = mode;
}

void BindingsTable(int32_t x, int32_t y) {
  MenuState& m = Menu();
  const int32_t cell = BindingCellUnderMouse(x, y);
  if (cell != -1 && MenuClick()) {
    m.captureCell = cell;
    TakeClick();
  }
  CaptureInput(x, y);
  BeginTextBatch();
  DrawTable(x, y);
  if (TableButton(x + 2, y + 207, "Save Config")) {
    OpenConfigList(kSaveControlConfig);
    m.configName = TextField{};
    ClearTypedText();
  }
  if (TableButton(x + 70, y + 207, "Load Config")) OpenConfigList(kLoadControlConfig);
  if (TableButton(x + 138, y + 207, "Defaults")) SetDefaultControls();
  EndTextBatch();
}

// A click on a listed configuration puts its file name in the name field.
void ConfigList(int32_t x, int32_t top, int32_t anchorY, int32_t rows, const char* label) {
  MenuState& m = Menu();
  SetMenuTextColour(kWhite);
  DrawMenuText(kItemFont, GetDisplayWidth() - 450, ColumnY(103), 0, label, ScreenBox());
  const int32_t clicked = ScrollingFileList(m.configs, m.configScroll, x, top, anchorY, rows);
  if (clicked != -1) StoreText(m.configName.text, m.configs.names[clicked]);
}

void LoadConfigList(int32_t x, int32_t y) {
  MenuState& m = Menu();
  BeginTextBatch();
  ConfigList(x, y, y, 16, "Load Control Config:");
  if (ListButton(x + 2, y + 325, "Load")) {
    const char* entry = SelectedFileName(m.configs);
    if (*entry) {
      LoadControlConfig(entry);
      StoreText(Settings().controlConfig, entry);
      SaveConfig();
    }
    m.controlsMode = kBindingsTable;
  }
  if (ListButton(x + 52, y + 325, "Cancel")) m.controlsMode = kBindingsTable;
  EndTextBatch();
}

// "Save": the bindings under the typed (or picked) name, which gains ".cfg"; "Config.ini" then names
// it. A name that cannot be a file of the folder, or a file that cannot be written, saves nothing and
// leaves "Config.ini" as it was; the player is told.
void SaveUnderTypedName() {
  MenuState& m = Menu();
  const char* name = m.configName.text;
  if (!*name) return ShowMenuMessage("Please type a name for the control configuration.");
  if (!IsPlainFileName(name, kMaxControlConfigNameLength)) {
    DebugReport(kReportWarn, "[SaveControlConfig] \"%s\" cannot be a configuration's name.", name);
    return ShowMenuMessage("[%s] cannot be the name of a control configuration.", name);
  }
  if (!SaveControlConfig(m.configName.text)) {
    return ShowMenuMessage("The control configuration [%s] could not be saved.#"
                           "Check that the Profiles\\Configs folder can be written.", name);
  }
  StoreText(Settings().controlConfig, m.configName.text);
  SaveConfig();
}

void SaveConfigList(int32_t x, int32_t y) {
  MenuState& m = Menu();
  TextEntryField(m.configName, x, y);
  BeginTextBatch();
  DrawFieldText(m.configName, x, y);
  ConfigList(x, y + 20, y, 15, "Save Control Config:");
  if (ListButton(x + 2, y + 325, "Save")) {
    SaveUnderTypedName();
    m.controlsMode = kBindingsTable;
  }
  if (ListButton(x + 52, y + 325, "Cancel")) m.controlsMode = kBindingsTable;
  EndTextBatch();
}

}  // namespace

int32_t BindingCellUnderMouse(int32_t x, int32_t y) {
  const int32_t mx = GetMouseX(), my = GetMouseY();
  for (int32_t column = 0; column < kInputColumns; ++column) {
    if (!(x + kColumnEdges[column + 1] < mx && mx < x + kColumnEdges[column + 2])) continue;
    for (int32_t r = 0; r < kGameCommandCount; ++r)
      if (y + kRowHeight * r < my && my < y + kRowHeight * r + kRowHeight) return column * kBindingColumnCells + r;
  }
  return -1;
}

void CaptureInput(int32_t x, int32_t y) {
  MenuState& m = Menu();
  const int32_t cell = m.captureCell;
  if (cell < 0 || cell >= kBindingCells) return;
  const int32_t column = cell / kBindingColumnCells, r = cell % kBindingColumnCells;
  FillRect(x + kColumnEdges[column + 1], y + kRowHeight * r, x + kColumnEdges[column + 2], y + kRowHeight * r + kRowHeight,
           kFocusedBlue);
  // One reading: a second one could come back empty and unbind the command.
  const int32_t input = column < 2 ? GetPressedScanCode() : ReadJoystickInput();
  if (input == (column < 2 ? 0 : kJoystickNone)) return;
  BindingOfCell(cell) = input;
  m.captureCell = -1;
}

void ControlsScreen(int32_t x, int32_t y) {
  switch (Menu().controlsMode) {
    case kBindingsTable:
      return BindingsTable(x, y);
    case kLoadControlConfig:
      return LoadConfigList(x, y);
    case kSaveControlConfig:
      return SaveConfigList(x, y);
  }
}
