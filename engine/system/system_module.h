// The system module: library-handle table, the result-list getters (result_list.h) and the switch
// that makes Escape an ordinary key.
#pragma once
#include <cstdint>
#include "engine/core/core_data.h"

namespace SystemModule {
void Constructor();
void Destructor();
void SetErrorHandler(uint32_t* errorWord);
void PassCoreData(CoreData* coreData);
void RefreshD3D(int mode);
// The allocation callback kept from CoreData (the core's own before the hand-over).
AllocFreeCallback AllocFree();
}  // namespace SystemModule

// Escape no longer ends the program.
void TurnOffEscapeQuit();
