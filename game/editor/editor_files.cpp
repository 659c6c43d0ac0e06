// The map opened from a file, and the test run: the saved map played by a second copy of the game
// while the editor waits.
#include <cstdio>
#include <string>

#include "engine/core/core_data.h"
#include "engine/display/display.h"
#include "engine/file/file_module.h"
#include "game/editor/editor_internal.h"
#include "game/play/level_builder.h"
#include "game/play/map_file.h"
#include "game/shell/start_up.h"
#include "platform/dialogs/open_file.h"
#include "platform/window/message_box.h"
#include "platform/window/messages.h"

namespace pd = platform::dialogs;
namespace pw = platform::window;

bool OpenMapFromDialog() {
  char file[260] = {};
  pd::OpenFileName request;
  request.filter = "qel Maps\0*.qel\0";
  request.filterIndex = 1;
  request.file = file;
  request.fileSize = sizeof file;
  request.flags = pd::OFN_PATHMUSTEXIST | pd::OFN_FILEMUSTEXIST;
  const bool chosen = pd::GetOpenFileName(request, pd::DialogHost{GetCoreDataPointer()->window, GetDirect3DDevice()});
  HoldInputUntilReleased();
  if (!chosen) return false;
  if (LoadMapForEditor(file)) NoteMapSaved();  // a damaged file leaves the map as it was
  return true;
}

void TestRunMap() {
  // A map that could not be saved is not run: the game would play the previous file as if it were this.
  // The save also refuses file names that would break the quoted argument below.
  if (!SaveEditorMap()) return;
  char parameters[kMapStringSize + 32];
  std::snprintf(parameters, sizeof parameters, "-map \"In Progress\\%s.qel\"", CurrentMap().header.fileName);
  if (!ExecuteFileAndWait("qel.exe", parameters, GameFolder(), 0)) {
    const std::string text = std::string("The test run could not start: ") + ProgramStartFailure() + ".";
    pw::MessageBox(GetCoreDataPointer()->window, text.c_str(), "Qel", pw::MB_OK | pw::MB_ICONERROR);
  }
  HoldInputUntilReleased();  // F5 and what was pressed in the game are let go first
}
