// Memory hand-over between the engine and its callers, through the CoreData allocation callback.
#pragma once
#include <cstdint>
#include "engine/core/core_data.h"

// The allocation callback: `place` is the address of a pointer variable. Size 0 frees the block it
// holds (a null pointer frees nothing); any other size stores a new block of `size` bytes in it.
void CoreAllocFree(void* place, uint32_t size);

// String results: a new block of strlen(text) + 1 bytes holding `text`, owned by the caller. A null
// text gives an empty string. Null when the callback is missing or the allocation fails.
char* HandOverNewString(AllocFreeCallback allocFree, const char* text);
// As HandOverNewString, after freeing the caller's previous string (when not null).
char* HandOverString(AllocFreeCallback allocFree, char* previous, const char* text);
