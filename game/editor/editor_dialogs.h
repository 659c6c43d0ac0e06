// The editor's three modal dialogs: Texture Selection (104), Add Entity (105) and Map Settings (106),
// their resources and procedures. The procedures write into the map in memory on OK; Cancel changes
// nothing.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/dialogs/dialogs.h"

namespace editor_dialogs {

enum : int32_t { kTextureDialog = 104, kAddEntityDialog = 105, kMapSettingsDialog = 106 };

// Control ids.
enum : int32_t {
  kTextureList = 1000,
  kEntityList = 1001,
  kAttribute1 = 1005,  // labelled by kLabel1
  kAttribute2 = 1002,
  kAttribute3 = 1003,
  kAttribute4 = 1004,
  kLabel1 = 1006,
  kLabel2 = 1007,
  kLabel3 = 1008,
  kLabel4 = 1009,
  kMapNameEdit = 1003,
  kNextMapEdit = 1004,
  kPlanningTimeEdit = 1005,
  kGameTimeEdit = 1006,
  kFileNameEdit = 1007,
  kCommentEdit = 1008,
  kGravityEdit = 1009,
  kVisIdEdit = 1010,
  kMusicEdit = 1011,
  kParTimeEdit = 1012,
};

const platform::dialogs::DialogResource& TextureDialogResource();
const platform::dialogs::DialogResource& AddEntityDialogResource();
const platform::dialogs::DialogResource& MapSettingsDialogResource();

intptr_t TextureSelectionProc(platform::dialogs::Dialog* dialog, uint32_t message, uintptr_t wParam, intptr_t lParam);
intptr_t AddEntityProc(platform::dialogs::Dialog* dialog, uint32_t message, uintptr_t wParam, intptr_t lParam);
intptr_t MapSettingsProc(platform::dialogs::Dialog* dialog, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Reloads the map's texture as images 2 and 1 and puts image 1 on the blocks.
void PreviewTexture();

// A float as a dialog shows it: the shortest text that reads back as the same float ("0.06", not
// "0.0599999986").
void FormatFloat(float value, char* buffer, size_t size);

// A dialog's text as a float: blanks skipped, the longest number at its start; 0 when there is none
// or the number is not finite (a stored map holds finite numbers only).
float ReadFloatText(const char* text);

}  // namespace editor_dialogs
