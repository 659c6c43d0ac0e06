// File lists: filling a list from a folder's names, and the scrolling list that shows it.
#include <algorithm>
#include <cstring>
#include <string>

#include "engine/core/core_alloc.h"
#include "engine/file/file_module.h"
#include "engine/media2d/basic2d.h"
#include "engine/system/result_list.h"
#include "game/play/game_font.h"
#include "game/shell/menu_text.h"
#include "game/shell/widget.h"
#include "platform/fs/path.h"

namespace {

constexpr int32_t kListWidth = 200;
constexpr int32_t kArrowLeft = 185;  // arrows and scroll bar from x + 185 to x + 200
constexpr int32_t kArrowSize = 15;
constexpr int32_t kListBottom = 320;  // below the screen's anchor
constexpr int32_t kRowPitch = 20;

void ClearList(FileNameList& list) {
  for (auto& name : list.names) name[0] = '\0';
  list.count = 0;
  list.selected = 0;
}

}  // namespace

void ListFolderFiles(FileNameList& list, const char* folder, const char* filter) {
  ClearList(list);
  // A missing folder lists nothing (changing into it would fail and list the game folder instead).
  if (!platform::fs::FolderExists(folder)) return;
  char* previous = GetCurrentFolder();
  SetCurrentFolder(folder);
  ListFolder();
  const int32_t entries = GetResultListCount();
  for (int32_t i = 1; i <= entries && list.count < kFileNameListRoom; ++i) {
    if (GetResultListValueA(i) == 1) continue;  // a sub-folder cannot be loaded
    char* found = GetResultListString(i);
    const std::string name = FileNameInGame(found ? found : "");
    CoreAllocFree(&found, 0);
    if (name.find(filter) != std::string::npos && name.size() < kMenuTextSize)
      std::strcpy(list.names[list.count++], name.c_str());
  }
  SetCurrentFolder(previous);
  CoreAllocFree(&previous, 0);
}

void ListProfileFiles() { ListFolderFiles(Menu().profiles, "Profiles", ".prf"); }

void ListControlConfigFiles() { ListFolderFiles(Menu().configs, "Profiles\\Configs", ".cfg"); }

const char* SelectedFileName(const FileNameList& list) {
  if (list.selected < 0 || list.selected >= kFileNameListRoom) return "";
  return list.names[list.selected];
}

int32_t ScrollingFileList(FileNameList& list, int32_t& scroll, int32_t x, int32_t top, int32_t anchorY,
                          int32_t rows) {
  const int32_t bottom = anchorY + kListBottom;
  DrawRectFrame(x, top, x + kListWidth, bottom, kFramePurple);

  // Arrows, held: one row a pass.
  struct Arrow {
    int32_t y1, y2, step;
  };
  for (const Arrow& arrow : {Arrow{top, top + kArrowSize, -1}, Arrow{bottom - kArrowSize, bottom, +1}}) {
    if (!MouseInside(x + kArrowLeft, arrow.y1, x + kListWidth, arrow.y2)) continue;
    if (LeftButtonHeld()) {
      scroll += arrow.step;
      TakeClick();
      FillRect(x + kArrowLeft, arrow.y1, x + kListWidth, arrow.y2, kPressedPink);
    } else {
      FillRect(x + kArrowLeft, arrow.y1, x + kListWidth, arrow.y2, kFramePurple);
    }
  }
  DrawRectFrame(x + kArrowLeft, top, x + kListWidth, top + kArrowSize, kFramePurple);
  DrawRectFrame(x + kArrowLeft, bottom - kArrowSize, x + kListWidth, bottom, kFramePurple);
  DrawMenuLine(x + kArrowLeft, top + kArrowSize, x + kArrowLeft, bottom - kArrowSize);

  scroll = std::max(std::min(scroll, list.count - kFileListScrollSpan), 0);

  int32_t clicked = -1;
  SetMenuTextColour(kWhite);
  for (int32_t i = 0; i < rows; ++i) {
    const int32_t entry = scroll + i, yy = top + kRowPitch * i;
    if (entry >= kFileNameListRoom) break;  // rows past the list's room show nothing
    if (entry == list.selected) FillSelectedRow(x + 1, yy, x + 184, yy + 16);
    DrawMenuText(kItemFont, x + 2, yy, 0, list.names[entry], {x + 2, x + kArrowLeft - 1});
    if (list.names[entry][0] && MouseInside(x + 2, yy, x + kArrowLeft, yy + kRowPitch) && MenuClick()) {
      list.selected = entry;
      TakeClick();
      clicked = entry;
    }
  }
  return clicked;
}
