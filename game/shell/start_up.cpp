#include "game/shell/start_up.h"

#include <string>

#include "engine/core/core_alloc.h"
#include "engine/file/file_module.h"

namespace {
std::string gGameFolder;
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
