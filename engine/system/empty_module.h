// The empty module: takes part in start-up and device resets and only keeps CoreData.
#pragma once
#include <cstdint>
#include "engine/core/core_data.h"

namespace EmptyModule {
void Constructor();
void Destructor();
void SetErrorHandler(uint32_t* errorWord);
void PassCoreData(CoreData* coreData);
}  // namespace EmptyModule
