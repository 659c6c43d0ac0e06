#include "engine/system/system_module.h"

#include "engine/core/core_alloc.h"
#include "engine/core/empty_entry.h"
#include "engine/core/errors.h"

namespace {
constexpr int kLibrarySlots = 256;
// Handles of separately loaded libraries; nothing in this system loads one.
void* g_libraries[kLibrarySlots];
CoreData* g_core = nullptr;
AllocFreeCallback g_allocFree = nullptr;
}  // namespace

namespace SystemModule {

void Constructor() {
  for (void*& handle : g_libraries) handle = nullptr;
}

void Destructor() {
  for (void*& handle : g_libraries) handle = nullptr;
}

void SetErrorHandler(uint32_t* errorWord) { SetModuleErrorHandler(errorWord); }

void PassCoreData(CoreData* coreData) {
  g_core = coreData;
  g_allocFree = coreData ? coreData->allocFree : nullptr;
}

void RefreshD3D(int) { EmptyEntry(); }

AllocFreeCallback AllocFree() {
  if (g_allocFree) return g_allocFree;
  AllocFreeCallback core = GetCoreDataPointer()->allocFree;
  return core ? core : CoreAllocFree;
}

}  // namespace SystemModule

void TurnOffEscapeQuit() { GetCoreDataPointer()->escapeQuits = 0; }
