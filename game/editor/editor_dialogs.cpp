// The dialog resources, opening the dialogs over the engine window, and the texture and map settings
// procedures.
#include "game/editor/editor_dialogs.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/core/core_alloc.h"
#include "engine/core/core_data.h"
#include "engine/display/display.h"
#include "engine/file/file_module.h"
#include "engine/media2d/image.h"
#include "engine/objects/object_commands.h"
#include "engine/objects/object_table.h"
#include "engine/system/result_list.h"
#include "game/editor/editor_internal.h"
#include "game/play/level_builder.h"
#include "game/play/map_file.h"
#include "game/shell/start_up.h"
#include "platform/fs/path.h"

namespace editor_dialogs {

namespace pd = platform::dialogs;

namespace {

using pd::ControlKind;

constexpr uint32_t kListStyle = pd::LBS_NOTIFY | pd::WS_VSCROLL | pd::WS_BORDER;
constexpr uint32_t kEditStyle = pd::ES_AUTOHSCROLL | pd::WS_BORDER;
constexpr uint32_t kNumberStyle = kEditStyle | pd::ES_NUMBER;

const pd::ControlResource kTextureControls[] = {
    {ControlKind::DefaultButton, pd::IDOK, "OK", 41, 108, 36, 11, 0},
    {ControlKind::Button, pd::IDCANCEL, "Cancel", 82, 108, 36, 11, 0},
    {ControlKind::ListBox, kTextureList, nullptr, 15, 18, 96, 81, kListStyle | pd::LBS_SORT},
    {ControlKind::Static, -1, "Choose a Texture:", 7, 7, 97, 9, 0},
};

const pd::ControlResource kAddEntityControls[] = {
    {ControlKind::ListBox, kEntityList, nullptr, 7, 19, 74, 119, kListStyle},
    {ControlKind::Edit, kAttribute1, nullptr, 93, 32, 86, 13, kEditStyle},
    {ControlKind::Edit, kAttribute2, nullptr, 93, 57, 86, 13, kEditStyle},
    {ControlKind::Edit, kAttribute3, nullptr, 93, 83, 86, 13, kEditStyle},
    {ControlKind::Edit, kAttribute4, nullptr, 93, 110, 86, 13, kEditStyle},
    {ControlKind::DefaultButton, pd::IDOK, "OK", 112, 128, 32, 10, 0},
    {ControlKind::Button, pd::IDCANCEL, "Cancel", 147, 128, 32, 10, 0},
    {ControlKind::Static, -1, "Entities:", 7, 9, 60, 8, 0},
    {ControlKind::Static, -1, "Attributes:", 93, 9, 60, 8, 0},
    {ControlKind::Static, kLabel1, "Static", 93, 21, 51, 8, 0},
    {ControlKind::Static, kLabel2, "Static", 93, 47, 51, 8, 0},
    {ControlKind::Static, kLabel3, "Static", 94, 72, 51, 8, 0},
    {ControlKind::Static, kLabel4, "Static", 94, 99, 51, 8, 0},
};

const pd::ControlResource kMapSettingsControls[] = {
    {ControlKind::Edit, kMapNameEdit, nullptr, 7, 16, 123, 12, kEditStyle},
    {ControlKind::Edit, kFileNameEdit, nullptr, 8, 39, 122, 13, kEditStyle},
    {ControlKind::Edit, kNextMapEdit, nullptr, 7, 61, 122, 13, kEditStyle},
    {ControlKind::Edit, kCommentEdit, nullptr, 8, 85, 122, 13, kEditStyle},
    {ControlKind::Edit, kMusicEdit, nullptr, 8, 109, 122, 13, kEditStyle},
    {ControlKind::Edit, kGravityEdit, nullptr, 7, 137, 60, 13, kEditStyle},
    {ControlKind::Edit, kVisIdEdit, nullptr, 89, 137, 60, 13, kNumberStyle},
    {ControlKind::Edit, kPlanningTimeEdit, nullptr, 7, 163, 60, 13, kNumberStyle},
    {ControlKind::Edit, kGameTimeEdit, nullptr, 90, 163, 60, 13, kNumberStyle},
    {ControlKind::Edit, kParTimeEdit, nullptr, 8, 189, 60, 13, kNumberStyle},
    {ControlKind::DefaultButton, pd::IDOK, "OK", 52, 213, 50, 14, 0},
    {ControlKind::Button, pd::IDCANCEL, "Cancel", 105, 213, 50, 14, 0},
    {ControlKind::Static, -1, "Map Name:", 7, 7, 94, 9, 0},
    {ControlKind::Static, -1, "Filename of this map:", 8, 30, 94, 9, 0},
    {ControlKind::Static, -1, "Filename of next map:", 7, 52, 94, 9, 0},
    {ControlKind::Static, -1, "Comment:", 8, 75, 94, 9, 0},
    {ControlKind::Static, -1, "Music Track:", 8, 99, 94, 9, 0},
    {ControlKind::Static, -1, "Gravity Force:", 7, 126, 59, 9, 0},
    {ControlKind::Static, -1, "Vis ID:", 89, 127, 59, 9, 0},
    {ControlKind::Static, -1, "Allowed planning time:", 7, 153, 71, 9, 0},
    {ControlKind::Static, -1, "Game Time:", 90, 153, 59, 9, 0},
    {ControlKind::Static, -1, "Par Time:", 8, 179, 71, 9, 0},
};

template <size_t N>
constexpr pd::DialogResource Resource(int32_t id, const char* caption, int16_t width, int16_t height,
                                      const pd::ControlResource (&controls)[N]) {
  return pd::DialogResource{id, caption, 0, 0, width, height, "MS Sans Serif", 8, controls, N};
}

const pd::DialogResource kTextureResource = Resource(kTextureDialog, "Texture Selection", 125, 126, kTextureControls);
const pd::DialogResource kAddEntityResource = Resource(kAddEntityDialog, "Add Entity", 186, 145, kAddEntityControls);
const pd::DialogResource kMapSettingsResource =
    Resource(kMapSettingsDialog, "Map Settings", 162, 234, kMapSettingsControls);

pd::DialogHost EngineWindow() { return pd::DialogHost{GetCoreDataPointer()->window, GetDirect3DDevice()}; }

void SetNumber(pd::Dialog* dialog, int32_t id, int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  pd::SetDlgItemText(dialog, id, text);
}

void SetFloat(pd::Dialog* dialog, int32_t id, float value) {
  char text[32];
  FormatFloat(value, text, sizeof text);
  pd::SetDlgItemText(dialog, id, text);
}

// The names of the level textures, while the current folder is "Textures" (a missing folder lists
// nothing rather than the game folder).
void ListTextures(pd::Dialog* dialog) {
  pd::Control* list = pd::GetDlgItem(dialog, kTextureList);
  ReturnToGameFolder();
  if (!platform::fs::FolderExists("Textures")) return;
  SetCurrentFolder("Textures");
  ListFolder();
  const int32_t entries = GetResultListCount();
  for (int32_t i = 1; i <= entries; ++i) {
    char* name = GetResultListString(i);
    if (name && (std::strstr(name, ".jpg") || std::strstr(name, ".bmp")))
      pd::SendMessage(list, pd::LB_ADDSTRING, 0, reinterpret_cast<intptr_t>(name));
    CoreAllocFree(&name, 0);
  }
  ReturnToGameFolder();
}

void UseSelectedTexture(pd::Dialog* dialog) {
  pd::Control* list = pd::GetDlgItem(dialog, kTextureList);
  const intptr_t selected = pd::SendMessage(list, pd::LB_GETCURSEL, 0, 0);
  const intptr_t length = pd::SendMessage(list, pd::LB_GETTEXTLEN, uintptr_t(selected), 0);
  if (selected < 0 || length < 0 || length >= kMapStringSize) return;
  char name[kMapStringSize];
  pd::SendMessage(list, pd::LB_GETTEXT, uintptr_t(selected), reinterpret_cast<intptr_t>(name));
  std::memcpy(CurrentMap().header.texture, name, size_t(length) + 1);
}

intptr_t EndWith(pd::Dialog* dialog, uintptr_t wParam) {
  pd::EndDialog(dialog, intptr_t(pd::CommandId(wParam)));
  return 1;
}

}  // namespace

const pd::DialogResource& TextureDialogResource() { return kTextureResource; }
const pd::DialogResource& AddEntityDialogResource() { return kAddEntityResource; }
const pd::DialogResource& MapSettingsDialogResource() { return kMapSettingsResource; }

void FormatFloat(float value, char* buffer, size_t size) {
  if (!buffer || size == 0) return;
  const std::to_chars_result written = std::to_chars(buffer, buffer + size - 1, value);
  *(written.ec == std::errc() ? written.ptr : buffer) = 0;
}

float ReadFloatText(const char* text) {
  if (!text) return 0.0f;
  const float value = std::strtof(text, nullptr);
  return std::isfinite(value) ? value : 0.0f;
}

void PreviewTexture() {
  ReturnToGameFolder();
  DeleteImage(kBaseLevelImage);
  DeleteImage(kTintedLevelImage);
  char path[kMapStringSize + 16];
  std::snprintf(path, sizeof path, "Textures\\%s", CurrentMap().header.texture);
  LoadLevelTexture(path);
  const MapTables& map = CurrentMap();
  for (int32_t i = 0; i < map.header.recordCount && i < kMapRecordCapacity; ++i) {
    const int32_t object = map.records[i].blockObject;
    if (object == -1) break;
    if (InObjectRange(object) && ObjectExists(object)) SetObjectTexture(object, kTintedLevelImage);
  }
}

intptr_t TextureSelectionProc(pd::Dialog* dialog, uint32_t message, uintptr_t wParam, intptr_t) {
  if (message == pd::WM_INITDIALOG) {
    ListTextures(dialog);
    return 0;
  }
  if (message != pd::WM_COMMAND) return 0;
  switch (pd::CommandId(wParam)) {
    case pd::IDOK:
      ReturnToGameFolder();
      UseSelectedTexture(dialog);
      PreviewTexture();
      return EndWith(dialog, wParam);
    case pd::IDCANCEL:
      ReturnToGameFolder();
      return EndWith(dialog, wParam);
    default:
      return 1;
  }
}

intptr_t MapSettingsProc(pd::Dialog* dialog, uint32_t message, uintptr_t wParam, intptr_t) {
  MapHeader& header = CurrentMap().header;
  if (message == pd::WM_INITDIALOG) {
    pd::SetDlgItemText(dialog, kMapNameEdit, header.mapName);
    pd::SetDlgItemText(dialog, kFileNameEdit, header.fileName);
    pd::SetDlgItemText(dialog, kNextMapEdit, header.nextMap);
    pd::SetDlgItemText(dialog, kCommentEdit, header.comment);
    pd::SetDlgItemText(dialog, kMusicEdit, header.music);
    SetNumber(dialog, kPlanningTimeEdit, header.planningTime);
    SetNumber(dialog, kGameTimeEdit, header.gameTime);
    SetFloat(dialog, kGravityEdit, header.gravity);
    SetNumber(dialog, kVisIdEdit, header.visId);
    SetNumber(dialog, kParTimeEdit, header.parTime);
    return 0;
  }
  if (message != pd::WM_COMMAND) return 0;
  switch (pd::CommandId(wParam)) {
    case pd::IDOK: {
      char gravity[64];
      pd::GetDlgItemText(dialog, kGravityEdit, gravity, sizeof gravity);
      header.gravity = ReadFloatText(gravity);
      pd::GetDlgItemText(dialog, kMapNameEdit, header.mapName, kMapStringSize);
      pd::GetDlgItemText(dialog, kNextMapEdit, header.nextMap, kMapStringSize);
      pd::GetDlgItemText(dialog, kFileNameEdit, header.fileName, kMapStringSize);
      pd::GetDlgItemText(dialog, kCommentEdit, header.comment, kMapStringSize);
      pd::GetDlgItemText(dialog, kMusicEdit, header.music, kMapStringSize);
      header.planningTime = int32_t(pd::GetDlgItemInt(dialog, kPlanningTimeEdit, nullptr, false));
      header.gameTime = int32_t(pd::GetDlgItemInt(dialog, kGameTimeEdit, nullptr, false));
      header.parTime = int32_t(pd::GetDlgItemInt(dialog, kParTimeEdit, nullptr, false));
      header.visId = int32_t(pd::GetDlgItemInt(dialog, kVisIdEdit, nullptr, false));
      pd::EndDialog(dialog, intptr_t(pd::CommandId(wParam)));
      return 0;
    }
    case pd::IDCANCEL:
      return EndWith(dialog, wParam);
    default:
      return 1;
  }
}

}  // namespace editor_dialogs

void OpenTextureDialog() {
  using namespace editor_dialogs;
  pd::DialogBoxParam(kTextureResource, EngineWindow(), TextureSelectionProc, 0);
  HoldInputUntilReleased();
}

void OpenAddEntityDialog() {
  using namespace editor_dialogs;
  pd::DialogBoxParam(kAddEntityResource, EngineWindow(), AddEntityProc, 0);
  HoldInputUntilReleased();
}

void OpenMapSettingsDialog() {
  using namespace editor_dialogs;
  pd::DialogBoxParam(kMapSettingsResource, EngineWindow(), MapSettingsProc, 0);
  HoldInputUntilReleased();
}
