// Generated meshes of the level: ramps and wedges bent out of the engine's box, and lines made of a
// degenerate triangle drawn as wireframe.
//
// The engine's box has 24 vertices, face by face: front (minimum Z) 0-3, back 4-7, top 8-11, bottom
// 12-15, right 16-19, left 20-23.
#include <iterator>

#include "engine/objects/object_commands.h"
#include "game/play/level_builder.h"
#include "game/play/level_internal.h"

namespace {

constexpr int32_t kScratchMesh = 1;

// The top vertices on the minimum-Z side.
constexpr int32_t kRampVertices[] = {0, 1, 10, 11, 16, 20};
// Every vertex on the minimum-Z side.
constexpr int32_t kWedgeVertices[] = {0, 1, 2, 3, 10, 11, 13, 14, 16, 19, 20, 21};

// A box of the size whose listed vertices get the height `newY(old y)`, rebuilt from its mesh so that
// bounds and collision follow the new shape.
template <size_t N, typename NewY>
void BendBox(int32_t object, float sizeX, float sizeY, float sizeZ, const int32_t (&vertices)[N], NewY newY) {
  DeleteLevelObject(object);
  CreateBoxObject(object, sizeX, sizeY, sizeZ);
  if (!LevelObjectExists(object)) return;
  LockFrameVertexData(object, 0);
  for (int32_t v : vertices)
    SetLockedVertexPosition(v, GetLockedVertexX(v), newY(GetLockedVertexY(v)), GetLockedVertexZ(v));
  EndVertexDataLock();
  CreateMeshFromObject(kScratchMesh, object);
  DeleteObject(object);  // the number is taken again by the rebuilt object
  CreateObjectFromMeshCommand(object, kScratchMesh, 0);
}

}  // namespace

void BuildRampMesh(int32_t object, float sizeX, float sizeY, float sizeZ) {
  // Down to the bottom: the height of front vertex 3, which stays where it is.
  BendBox(object, sizeX, sizeY, sizeZ, kRampVertices, [](float) { return GetLockedVertexY(3); });
}

void BuildWedgeMesh(int32_t object, float sizeX, float sizeY, float sizeZ) {
  BendBox(object, sizeX, sizeY, sizeZ, kWedgeVertices, [sizeY](float y) { return y + sizeY; });
}

void MakeLineObject(int32_t object, float x1, float y1, float z1, float x2, float y2, float z2, uint32_t colour) {
  DeleteLevelObject(object);
  CreateTriangleObject(object, x1, y1, z1, x2, y2, z2, x2, y2, z2);
  if (!LevelObjectExists(object)) return;
  SetObjectColor(object, colour);
  SetObjectWireframe(object, 1);
}
