// The file module's entries and the helpers its commands share.
#include <cstring>

#include "engine/core/core_alloc.h"
#include "engine/core/empty_entry.h"
#include "engine/core/errors.h"
#include "engine/file/file_module.h"
#include "engine/file/file_state.h"
#include "platform/fs/files.h"

namespace {
FileModuleState g_files;

void CloseAll() {
  for (FileSlot& slot : g_files.slots) {
    if (slot.file) std::fclose(slot.file);
    slot = FileSlot{};
  }
}
}  // namespace

FileModuleState& FileState() { return g_files; }

namespace FileModule {

void Constructor() { CloseAll(); }

// Stored names go without the encrypt callback: the process is ending.
void Destructor() {
  CloseAll();
  EndWaitedForProcesses();
}

void SetErrorHandler(uint32_t* errorWord) { SetModuleErrorHandler(errorWord); }

void PassCoreData(CoreData* coreData) {
  g_files.core = coreData;
  g_files.allocFree = coreData ? coreData->allocFree : nullptr;
}

void RefreshD3D(int) { EmptyEntry(); }

}  // namespace FileModule

void FileModuleUpdate() {}

FileSlot* OpenSlot(int32_t number) {
  if (number < 1 || number > kFileSlotCount) return nullptr;
  FileSlot& slot = g_files.slots[number];
  return slot.file ? &slot : nullptr;
}

bool ResolveMediaName(const char* name, bool decrypt, std::string& resolved) {
  if (!name) return false;
  const size_t length = std::strlen(name);
  if (length >= kFileNameSize) return false;
  char buffer[kFileNameSize];
  std::memcpy(buffer, name, length + 1);
  const CoreData* core = g_files.core;
  if (core && core->resolveMediaPath) core->resolveMediaPath(buffer);
  buffer[kFileNameSize - 1] = 0;
  if (decrypt && core && core->decryptFile) core->decryptFile(buffer);
  resolved = buffer;
  return true;
}

bool MediaFileExists(const char* name) {
  std::string resolved;
  if (!ResolveMediaName(name, false, resolved)) return false;
  FILE* file = platform::fs::OpenFile(resolved, platform::fs::OpenMode::kReadExisting);
  if (!file) return false;
  std::fclose(file);
  return true;
}

char* NewEngineString(const char* text) {
  return HandOverNewString(g_files.allocFree ? g_files.allocFree : CoreAllocFree, text);
}
