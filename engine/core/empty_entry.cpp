#include "engine/core/empty_entry.h"

void EmptyEntry() {}
