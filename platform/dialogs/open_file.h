// The open-file dialog: a modal dialog in the engine window that browses folders through the file
// layer's resolver, lists the sub-folders and the files that match the chosen filter, and hands back
// the path of the file picked. Unlike the dialog it stands in for, it never changes the current
// folder, so relative paths the program uses afterwards keep their meaning.
#pragma once
#include <cstdint>

#include "platform/dialogs/dialogs.h"

namespace platform::dialogs {

enum : uint32_t {
  OFN_PATHMUSTEXIST = 0x0800,  // the folder of a typed name must exist
  OFN_FILEMUSTEXIST = 0x1000,  // the file must exist
};

// Control ids of the dialog's parts (for tests).
enum : int32_t {
  kFileListControl = 0x460,  // sub-folders ("..", then "name\") and matching files
  kFileNameControl = 0x480,  // the file name edit
};

struct OpenFileName {
  // Pairs of description and patterns ("qel Maps", "*.qel"; patterns separated by ';'), each text
  // ending in a terminator and the list in a second one, as "qel Maps\0*.qel\0".
  const char* filter = nullptr;
  uint32_t filterIndex = 1;  // the pair in use, from 1
  // In: the name the file name edit starts with; out: the path chosen, relative names made absolute.
  char* file = nullptr;
  uint32_t fileSize = 0;
  const char* initialFolder = nullptr;  // null or empty: the current folder
  const char* title = nullptr;          // null: "Open"
  uint32_t flags = 0;
};

// True when a file was chosen (its path is in request.file); false when the dialog was cancelled,
// could not be shown, or the path does not fit the buffer.
bool GetOpenFileName(OpenFileName& request, const DialogHost& host);

}  // namespace platform::dialogs
