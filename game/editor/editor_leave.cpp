// Leaving the editor never loses work without a word: a map that differs from what was last saved or
// opened is asked about first, and only an answer that keeps or gives up the work on purpose leaves.
#include <cstdio>
#include <string>

#include "engine/core/core.h"
#include "engine/core/core_data.h"
#include "game/editor/editor_internal.h"
#include "game/play/map_file.h"
#include "platform/window/message_box.h"
#include "platform/window/messages.h"

namespace {

namespace pw = platform::window;

// The bytes F1 would have written when the map was last saved or opened: the map has changed exactly
// when what F1 would write now is different.
std::string g_savedBytes;

// "Save changes to <file name>?" with Yes, No and Cancel, Yes the default.
int AskToSave() {
  const char* name = CurrentMap().header.fileName;
  char text[kMapStringSize + 32];
  std::snprintf(text, sizeof text, "Save changes to %.*s?", int(kMapStringSize - 1), *name ? name : "this map");
  return pw::MessageBox(GetCoreDataPointer()->window, text, "Qel", pw::MB_YESNOCANCEL | pw::MB_ICONWARNING);
}

}  // namespace

void NoteMapSaved() { g_savedBytes = MapFileBytes(CurrentMap()); }

bool MapChangedSinceSaved() { return MapFileBytes(CurrentMap()) != g_savedBytes; }

bool SaveEditorMap() {
  if (!SaveMap()) return false;
  NoteMapSaved();
  return true;
}

bool MayLeaveEditor() {
  if (!MapChangedSinceSaved()) return true;
  // A close already asked for is held back while the question is open: its quit would end the question
  // at once. A close while the question is open answers Cancel.
  const bool closing = WithdrawQuitRequest();
  const int answer = AskToSave();
  HoldInputUntilReleased();  // the key or click that answered acts no further
  const bool leave = answer == pw::IDNO || (answer == pw::IDYES && SaveEditorMap());
  WithdrawQuitRequest();
  if (leave && closing) RequestQuit();
  return leave;
}
