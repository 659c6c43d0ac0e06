// The network-session module: only its module entries and the tear-down of a session exist. No
// command opens a session, so the tear-down finds nothing to free.
#pragma once
#include <cstdint>
#include "engine/core/core_data.h"

constexpr int kNetMessageSlots = 256;

struct NetSession {
  void* transport;        // the session's connection interface (none on this platform)
  int32_t localPlayer;    // 0 when not set
  void* connectionBlock;  // connection data
  char name[64];
  char address[64];
  void* incoming[kNetMessageSlots];
  void* outgoing[kNetMessageSlots];
  void* received[kNetMessageSlots];
  void* pending[kNetMessageSlots];
  uint8_t incomingFlags[kNetMessageSlots];
  uint8_t outgoingFlags[kNetMessageSlots];
  uint8_t receivedFlags[kNetMessageSlots];
  uint8_t pendingFlags[kNetMessageSlots];
};

namespace NetSessionModule {
void Constructor();
void Destructor();
void SetErrorHandler(uint32_t* errorWord);
void PassCoreData(CoreData* coreData);
void RefreshD3D(int mode);
// The module's session (null: none open). For the tear-down and its tests.
NetSession*& Session();
int32_t& SessionState();
void*& ConnectionBuffer();
}  // namespace NetSessionModule

// Frees the messages of the first two tables and closes the session.
void CloseNetSession(NetSession* session);
// Frees every message, closes the session and frees its connection data.
void DestroyNetSession(NetSession* session);
