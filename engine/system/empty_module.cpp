#include "engine/system/empty_module.h"

#include "engine/core/empty_entry.h"
#include "engine/core/errors.h"

namespace {
CoreData* g_core = nullptr;
AllocFreeCallback g_allocFree = nullptr;
platform::window::Window* g_window = nullptr;
}  // namespace

namespace EmptyModule {
void Constructor() { EmptyEntry(); }
void Destructor() { EmptyEntry(); }
void SetErrorHandler(uint32_t* errorWord) { SetModuleErrorHandler(errorWord); }
void PassCoreData(CoreData* coreData) {
  g_core = coreData;
  g_allocFree = coreData ? coreData->allocFree : nullptr;
  g_window = coreData ? coreData->window : nullptr;
}
}  // namespace EmptyModule
