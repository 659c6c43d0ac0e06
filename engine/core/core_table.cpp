#include "engine/core/core_table.h"

#include "engine/system/result_list.h"

namespace {
CoreTable g_coreTable{};
}  // namespace

CoreTable& GetCoreTable() { return g_coreTable; }

void InitCoreTable() {
  CoreData* core = GetCoreDataPointer();
  FreeResultList(core->resultList);
  *core = CoreData{};
  core->inkForeground = 0xFFFFFFFF;
  core->cursorVisible = 1;
  core->inkBackground = 0;
  core->escapeQuits = 1;
  core->renderPassCount = 1;
  core->renderPassIndex = 0;
  g_coreTable = CoreTable{};
  FillCoreTable(g_coreTable);
}
