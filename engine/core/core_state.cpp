#include "engine/core/core_state.h"

namespace {
CoreState g_state;
}  // namespace

CoreState& Core() { return g_state; }

void ResetCoreState() { g_state = CoreState{}; }
