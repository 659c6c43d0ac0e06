// The tree world's life: links and slot defaults at start-up, the release of the whole world, units
// and the walk down the tree to a leaf.
#include "engine/core/errors.h"
#include "engine/display/display.h"
#include "engine/objects/object_commands.h"
#include "engine/scene/camera.h"
#include "engine/world/tree_world.h"
#include "engine/world/tree_world_state.h"
#include "platform/window/clock.h"

namespace gfx = platform::gfx;

namespace {

// The device getter and the camera and object accessors the module calls.
void KeepLinks(TreeWorld& w) {
  w.getDevice = GetDirect3DDevice;
  w.positionCamera = PositionCameraById;
  w.getCameraX = GetCameraX;
  w.getCameraY = GetCameraY;
  w.getCameraZ = GetCameraZ;
  w.positionObject = PositionObject;
  w.getObjectX = GetObjectX;
  w.getObjectY = GetObjectY;
  w.getObjectZ = GetObjectZ;
}

void SetupTreeWorldModule() {
  TreeWorld& w = World();
  KeepLinks(w);
  w.clock = platform::window::TimeGetTime;
  w.device = w.getDevice();
  for (int i = 0; i < kWorldCollisionSlots; ++i) {
    w.slots[i].traceTolerance = 0.003f;
    w.slots[i].initialised = 0;
  }
}

// The pointer tables go when the process ends.
struct PointerTablesAtExit {
  ~PointerTablesAtExit() { FreeWorldPointerTables(); }
} g_pointerTablesAtExit;

template <class T>
void FreeTable(std::vector<T>& table) {
  std::vector<T>().swap(table);
}

}  // namespace

TreeWorld& World() {
  static TreeWorld* world = new TreeWorld;
  return *world;
}

bool ResizeWorldEntryArray(int32_t n) { return World().entries.Resize(n, kEntryArrayStep); }

void ReleaseWorld() {
  TreeWorld& w = World();
  FreeTable(w.furtherBlock);
  w.entries.Free();  // every entry's blocks, however few
  FreeTable(w.stageSets);
  w.textures.Free();  // every entry's texture reference goes with it
  w.lightmaps.Free();
  FreeTable(w.blocks);
  w.worldCount = 0;
  FreeTable(w.patches);
  FreeTable(w.vertices);
  FreeTable(w.meshIndices);
  FreeTable(w.faces);
  FreeTable(w.sourceFaces);
  FreeTable(w.sourceVertices);
  FreeTable(w.visibleFaces);
  FreeTable(w.groups);
  FreeTable(w.planes);
  FreeTable(w.nodes);
  FreeTable(w.leaves);
  FreeTable(w.leafFaces);
  FreeTable(w.visibility);
  w.visibilityPresent = false;
  w.clusterCount = w.bytesPerRow = 0;
  for (auto& table : w.furtherTables) FreeTable(table);
  FreeTable(w.candidateFaces);
  FreeTable(w.savedU);
  FreeTable(w.savedV);
}

void FreeWorldPointerTables() {
  for (auto& table : World().pointerTables)
    for (auto& entry : table) entry.reset();
}

gfx::Vector3 WorldToEngineUnits(const gfx::Vector3& p) {
  return {kWorldToEngine * p.x, kWorldToEngine * p.z, kWorldToEngine * p.y};
}
gfx::Vector3 WorldIntToEngineUnits(int32_t x, int32_t y, int32_t z) {
  return WorldToEngineUnits({float(x), float(y), float(z)});
}
gfx::Vector3 EngineToWorldUnits(const gfx::Vector3& p) {
  return {kEngineToWorld * p.x, kEngineToWorld * p.z, kEngineToWorld * p.y};
}

int32_t FindWorldLeaf(const gfx::Vector3& p) {
  const TreeWorld& w = World();
  int32_t node = 0;
  // A tree of n nodes is at most n deep; a walk that goes on longer is going round in circles.
  for (size_t steps = 0; steps < w.nodes.size(); ++steps) {
    if (node < 0 || size_t(node) >= w.nodes.size()) return -1;
    const WorldNode& n = w.nodes[size_t(node)];
    if (n.plane < 0 || size_t(n.plane) >= w.planes.size()) return -1;
    const WorldPlane& plane = w.planes[size_t(n.plane)];
    const int32_t child = plane.nx * p.x + plane.ny * p.y + plane.nz * p.z - plane.distance >= 0 ? n.front : n.back;
    if (child < 0) {
      const int32_t leaf = -(child + 1);
      return size_t(leaf) < w.leaves.size() ? leaf : -1;
    }
    node = child;
  }
  return -1;
}

namespace TreeWorldModule {

void Constructor() { SetupTreeWorldModule(); }
void Destructor() { ReleaseWorld(); }
void SetErrorHandler(uint32_t* errorWord) { SetModuleErrorHandler(errorWord); }

void PassCoreData(CoreData* coreData) {
  TreeWorld& w = World();
  w.core = coreData;
  KeepLinks(w);
  if (!w.device) w.device = w.getDevice();
  w.camera = 0;
}

}  // namespace TreeWorldModule
