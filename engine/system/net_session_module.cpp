#include "engine/system/net_session_module.h"

#include <cstdlib>
#include <cstring>

#include "engine/core/empty_entry.h"
#include "engine/core/errors.h"

namespace {

NetSession* g_session = nullptr;
int32_t g_state = 0;
void* g_connectionBuffer = nullptr;
CoreData* g_core = nullptr;
AllocFreeCallback g_allocFree = nullptr;

// Core functions the session code would use.
struct SessionLinks {
  AllocFreeCallback allocFree;
  PumpCallback pumpMessages;
  PrintCallback print;
  void (*raiseError)(uint32_t);
} g_links{};

void FreeTable(void* (&table)[kNetMessageSlots], uint8_t (&flags)[kNetMessageSlots]) {
  for (void*& message : table) {
    std::free(message);
    message = nullptr;
  }
  std::memset(flags, 0, sizeof flags);
}

}  // namespace

namespace NetSessionModule {

void Constructor() { g_connectionBuffer = nullptr; }

void Destructor() {
  if (g_state >= 3) {
    std::free(g_connectionBuffer);
    g_connectionBuffer = nullptr;
  }
  if (g_session) {
    CloseNetSession(g_session);
    DestroyNetSession(g_session);
    std::free(g_session);
    g_session = nullptr;
  }
}

void SetErrorHandler(uint32_t* errorWord) { SetModuleErrorHandler(errorWord); }

void PassCoreData(CoreData* coreData) {
  g_core = coreData;
  g_allocFree = coreData ? coreData->allocFree : nullptr;
  g_links = SessionLinks{g_allocFree, coreData ? coreData->pumpMessages : nullptr,
                         coreData ? coreData->print : nullptr, RaiseErrorCode};
}

void RefreshD3D(int) { EmptyEntry(); }

NetSession*& Session() { return g_session; }
int32_t& SessionState() { return g_state; }
void*& ConnectionBuffer() { return g_connectionBuffer; }

}  // namespace NetSessionModule

void CloseNetSession(NetSession* session) {
  if (!session) return;
  FreeTable(session->incoming, session->incomingFlags);
  FreeTable(session->outgoing, session->outgoingFlags);
  if (session->transport) session->localPlayer = 0;  // no transport exists on this platform
}

void DestroyNetSession(NetSession* session) {
  if (!session) return;
  FreeTable(session->incoming, session->incomingFlags);
  FreeTable(session->outgoing, session->outgoingFlags);
  FreeTable(session->received, session->receivedFlags);
  FreeTable(session->pending, session->pendingFlags);
  session->localPlayer = 0;
  session->transport = nullptr;
  std::free(session->connectionBlock);
  session->connectionBlock = nullptr;
  session->name[0] = 0;
  session->address[0] = 0;
}
