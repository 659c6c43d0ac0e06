// Vertex access to the mesh of one frame of an object, between a lock and an unlock.
#include "engine/objects/mesh_state.h"
#include "engine/objects/object_commands.h"
#include "engine/objects/object_manager.h"
#include "engine/objects/object_table.h"

namespace {

// The locked mesh. The object table calls ForgetObjectInCommands before a record goes, so the lock
// never outlives the mesh it names.
struct VertexLock {
  ObjectRecord* object = nullptr;
  MeshRecord* mesh = nullptr;
  int32_t mode = 0;  // 1: the mesh's own vertices changed; other modes place the object again
};

VertexLock g_lock;

}  // namespace

void LockFrameVertexData(int32_t object, int32_t frame) {
  if (!CheckObjectAndFrame(object, frame)) return;
  ObjectRecord* record = FindObjectRecord(object);
  // Objects with per-frame visibility bytes skip the frame check: the list bounds still hold.
  if (size_t(frame) >= record->frameList.size()) return;
  const FrameRecord* target = record->frameList[size_t(frame)];
  if (!target || !target->mesh) return;
  g_lock = {record, target->mesh.get(), 1};
}

void EndVertexDataLock() {
  if (!g_lock.mesh) return;
  if (g_lock.mode == 1) {
    MarkMeshVerticesChanged(g_lock.mesh);
  } else {
    g_lock.object->refreshBuffers = 1;
    GetObjectManager().RequestRefresh();
  }
  g_lock = {};
}

void UnlockFrameVertexData() { EndVertexDataLock(); }

void SetLockedVertexPosition(int32_t vertex, float x, float y, float z) {
  if (g_lock.mesh && vertex >= 0 && vertex < g_lock.mesh->vertexCount) SetMeshVertexPosition(g_lock.mesh, vertex, x, y, z);
}

float GetLockedVertexX(int32_t vertex) { return g_lock.mesh ? GetMeshVertexX(g_lock.mesh, vertex) : 0.0f; }
float GetLockedVertexY(int32_t vertex) { return g_lock.mesh ? GetMeshVertexY(g_lock.mesh, vertex) : 0.0f; }
float GetLockedVertexZ(int32_t vertex) { return g_lock.mesh ? GetMeshVertexZ(g_lock.mesh, vertex) : 0.0f; }

void ForgetObjectInCommands(const ObjectRecord* record) {
  if (record && g_lock.object == record) g_lock = {};
}
