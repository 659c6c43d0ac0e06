#include "engine/core/core_data.h"

namespace {
CoreData g_coreData{};
CoreData* g_core = nullptr;  // the core's own pointer, through which the frame step reaches the block
}  // namespace

CoreData* GetCoreDataPointer() { return &g_coreData; }

void StoreCoreDataPointer() { g_core = GetCoreDataPointer(); }
