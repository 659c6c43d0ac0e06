#include "game/shell/start_up.h"

#include <cstring>
#include <string>
#include <vector>

#include "engine/core/core_alloc.h"
#include "engine/file/file_module.h"
#include "game/play/game_state.h"
#include "platform/fs/command_line.h"

namespace {
std::string gGameFolder;
CommandLineParams gCommandLine;

// Cut to the field, as every text field of the game.
void StoreParam(char (&field)[kCommandLineParamSize], const char* text) {
  std::strncpy(field, text, kCommandLineParamSize - 1);
  field[kCommandLineParamSize - 1] = '\0';
}
}  // namespace

const char* GameFolder() { return gGameFolder.c_str(); }

void StoreGameFolder() {
  char* folder = GetCurrentFolder();
  gGameFolder = folder ? folder : "";
  CoreAllocFree(&folder, 0);
}

void ReturnToGameFolder() {
  if (!gGameFolder.empty()) SetCurrentFolder(gGameFolder.c_str());
}

CommandLineParams& CommandLine() { return gCommandLine; }

void StoreCommandLineParams(int32_t count, const char* const* words) {
  gCommandLine = {};
  if (count <= 1 || !words) return;
  if (words[1]) StoreParam(gCommandLine.param1, words[1]);
  if (count > 2 && words[2]) StoreParam(gCommandLine.param2, words[2]);
}

void ParseCommandLine() {
  const std::vector<std::string> words = platform::fs::SplitCommandLine(platform::fs::ProcessCommandLine());
  std::vector<const char*> pointers;
  for (const std::string& word : words) pointers.push_back(word.c_str());
  StoreCommandLineParams(int32_t(pointers.size()), pointers.data());
}

uint32_t FirstStateFromCommandLine() {
  if (std::strcmp(gCommandLine.param1, "-map") == 0) {
    StoreGamePath(Game().mapPath, gCommandLine.param2);
    return kStatePlayMap;
  }
  if (std::strcmp(gCommandLine.param1, "-edit") == 0) return kStateEditor;
  return kStateMenu;
}
