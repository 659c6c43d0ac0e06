// The 25 collision slots and the sweep behind them: at the start of every frame each active slot
// sweeps its camera or object from where the frame before left it to where it is now, through the
// faces of the leaves near the move, and places it at the slid end point or back at the old point.
#include <algorithm>
#include <cmath>

#include "engine/world/tree_world.h"
#include "engine/world/tree_world_state.h"
#include "engine/world/world_sweep.h"
#include "platform/d3dx/math_intersect.h"
#include "platform/d3dx/math_vector.h"

namespace gfx = platform::gfx;
namespace dx = platform::d3dx;

namespace {

// Polygons of a stage set whose collision word A is set and B clear let spheres pass.
bool PassesThrough(const WorldFace& face) {
  const WorldStageSet* set = face.type == kWorldPolygon ? FaceStageSet(face) : nullptr;
  return set && set->collisionA != 0 && set->collisionB == 0;
}

void MarkLeafFaces(const WorldLeaf& leaf) {
  TreeWorld& w = World();
  int32_t count = 0;
  const int32_t* faces = LeafFaceNumbers(leaf, &count);
  for (int32_t i = 0; faces && i < count; ++i) {
    const int32_t f = faces[i];
    if (f >= 0 && size_t(f) < w.candidateFaces.size() && size_t(f) < w.faces.size() && !PassesThrough(w.faces[f]))
      w.candidateFaces[size_t(f)] = 1;
  }
}

// Marks the faces of every leaf whose box, grown by r, the move's line passes through. The walk visits
// each node and leaf at most once, so a table whose children run in a circle still ends.
void GatherCollisionFaces(const gfx::Vector3& from, const gfx::Vector3& to, float r) {
  const TreeWorld& w = World();
  const gfx::Vector3 forward = dx::Vec3Subtract(to, from);
  const gfx::Vector3 backward = dx::Vec3Subtract(from, to);
  std::vector<int32_t> pending{0};
  size_t visits = w.nodes.size() + w.leaves.size();
  while (!pending.empty() && visits-- > 0) {
    const int32_t n = pending.back();
    pending.pop_back();
    const int32_t leaf = n < 0 ? -(n + 1) : -1;
    if (n >= 0 ? size_t(n) >= w.nodes.size() : size_t(leaf) >= w.leaves.size()) continue;
    const int32_t* boxMin = n >= 0 ? w.nodes[size_t(n)].boxMin : w.leaves[size_t(leaf)].boxMin;
    const int32_t* boxMax = n >= 0 ? w.nodes[size_t(n)].boxMax : w.leaves[size_t(leaf)].boxMax;
    gfx::Vector3 low = WorldIntToEngineUnits(boxMin[0], boxMin[1], boxMin[2]);
    gfx::Vector3 high = WorldIntToEngineUnits(boxMax[0], boxMax[1], boxMax[2]);
    low = {low.x - r, low.y - r, low.z - r};
    high = {high.x + r, high.y + r, high.z + r};
    if (!dx::RayHitsBox(low, high, from, forward) || !dx::RayHitsBox(low, high, to, backward)) continue;
    if (n >= 0) {
      pending.push_back(w.nodes[size_t(n)].back);
      pending.push_back(w.nodes[size_t(n)].front);
    } else {
      MarkLeafFaces(w.leaves[size_t(leaf)]);
    }
  }
}

void CollectCollisionFaces(const gfx::Vector3& from, const gfx::Vector3& to, const gfx::Vector3& radii) {
  TreeWorld& w = World();
  if (w.candidateFaces.size() != w.faces.size()) w.candidateFaces.assign(w.faces.size(), 0);
  std::fill(w.candidateFaces.begin(), w.candidateFaces.end(), 0);
  GatherCollisionFaces(from, to, std::max({radii.x, radii.y, radii.z}));
}

void TestFace(CollisionPacket& packet, const WorldFace& face) {
  CollisionTriangle triangle{};
  if (face.type == kWorldPolygon) {
    int32_t count = 0;
    const WorldVertex* v = FaceVertices(face, &count);
    if (!v || count < 3) return;
    triangle.normal = {v[0].nx, v[0].ny, v[0].nz};
    triangle.corners[0] = {v[0].x, v[0].y, v[0].z};
    for (int32_t i = 0; i + 2 < count; ++i) {
      triangle.corners[1] = {v[i + 1].x, v[i + 1].y, v[i + 1].z};
      triangle.corners[2] = {v[i + 2].x, v[i + 2].y, v[i + 2].z};
      SphereTriangleTest(packet, triangle);
    }
  } else if (face.type == kWorldPatch) {
    const WorldPatch* patch = FacePatch(face);
    for (size_t i = 0; patch && i + 2 < patch->indices.size(); i += 3) {
      for (int c = 0; c < 3; ++c) {
        const WorldVertex& v = patch->vertices[patch->indices[i + size_t(c)]];
        triangle.corners[c] = {v.x, v.y, v.z};
      }
      const gfx::Vector3* c = triangle.corners;
      triangle.normal = dx::Vec3Normalize(TriangleNormal(c[0], c[1], c[2]));
      SphereTriangleTest(packet, triangle);
    }
  }
}

// Finds the nearest contact along the move, stops just short of it, and goes on with what is left of
// the move projected onto the sliding plane, level after level up to the recursion limit.
gfx::Vector3 CollideAndSlide(gfx::Vector3 p, gfx::Vector3 v, const gfx::Vector3& radii) {
  TreeWorld& w = World();
  for (;;) {
    if (++w.recursionDepth > w.recursionLimit) return p;
    const float length = dx::Vec3Length(v);
    if (!(length >= kMinSweepMove)) return p;
    CollisionPacket packet{};
    packet.position = p;
    packet.velocity = v;
    packet.normalizedVelocity = dx::Vec3Scale(v, 1.0f / length);
    packet.length = length;
    packet.radii = radii;
    for (size_t f = 0; f < w.candidateFaces.size() && f < w.faces.size(); ++f)
      if (w.candidateFaces[f]) TestFace(packet, w.faces[f]);
    if (!packet.found) return dx::Vec3Add(p, dx::Vec3Scale(packet.normalizedVelocity, length - kContactGap));

    const gfx::Vector3 nearPoint =
        packet.nearest >= kContactGap
            ? dx::Vec3Add(p, dx::Vec3Scale(packet.normalizedVelocity, packet.nearest - kContactGap))
            : p;
    const gfx::Vector3 destination = dx::Vec3Add(p, v);
    const gfx::Vector3 slideNormal = dx::Vec3Normalize(dx::Vec3Subtract(nearPoint, packet.intersection));
    const float t = RayPlaneDistance(destination, slideNormal, packet.intersection, slideNormal);
    const gfx::Vector3 slid = dx::Vec3Add(destination, dx::Vec3Scale(slideNormal, t));
    w.hitResult = 1;
    p = nearPoint;
    v = dx::Vec3Subtract(slid, packet.intersection);
  }
}

WorldCollisionSlot* Slot(int32_t slot) {
  return slot >= 0 && slot < kWorldCollisionSlots ? &World().slots[slot] : nullptr;
}

// The entity's collision centre: its position (z read first, then y, then x) less the height offset.
gfx::Vector3 ReadEntity(const WorldCollisionSlot& slot) {
  const TreeWorld& w = World();
  const bool camera = slot.kind == 1;
  float (*getX)(int32_t) = camera ? w.getCameraX : w.getObjectX;
  float (*getY)(int32_t) = camera ? w.getCameraY : w.getObjectY;
  float (*getZ)(int32_t) = camera ? w.getCameraZ : w.getObjectZ;
  if (!getX || !getY || !getZ) return slot.newPosition;
  const float z = getZ(slot.number);
  const float y = getY(slot.number);
  const float x = getX(slot.number);
  return {x, y - slot.heightOffset, z};
}

void PlaceEntity(const WorldCollisionSlot& slot, const gfx::Vector3& centre) {
  const TreeWorld& w = World();
  void (*place)(int32_t, float, float, float) = slot.kind == 1 ? w.positionCamera : w.positionObject;
  if (place) place(slot.number, centre.x, centre.y + slot.heightOffset, centre.z);
}

void UpdateCollisionSlot(int i) {
  TreeWorld& w = World();
  if (w.worldCount <= 0 || !w.slotActive[i]) return;
  WorldCollisionSlot& slot = w.slots[i];
  const gfx::Vector3 read = ReadEntity(slot);
  slot.newPosition = read;
  if (!slot.initialised) {
    slot.oldPosition = read;
    slot.initialised = 1;
  }
  const gfx::Vector3 radii = slot.radius == -1.0f ? slot.radii : gfx::Vector3{slot.radius, slot.radius, slot.radius};
  const int32_t hit = TraceWorldMove(slot.oldPosition, read, radii, &slot.newPosition, 5, slot.traceTolerance);
  slot.delta = dx::Vec3Subtract(slot.newPosition, read);
  if (hit != 1) return;
  slot.hit = 1;
  if (slot.response == 0)
    PlaceEntity(slot, slot.newPosition);
  else if (slot.response == 1)
    PlaceEntity(slot, slot.oldPosition);
}

}  // namespace

int32_t TraceWorldMove(const gfx::Vector3& from, const gfx::Vector3& to, const gfx::Vector3& radii,
                       gfx::Vector3* end, int32_t recursionLimit, float tolerance) {
  TreeWorld& w = World();
  w.recursionLimit = recursionLimit;
  w.hitResult = 0;
  w.recursionDepth = 0;
  const bool ellipsoid = radii.x != radii.y || radii.x != radii.z;
  // Ellipsoid space divides by the radii: without three positive radii there is no such space, and
  // the move is not swept.
  if (ellipsoid && !(radii.x > 0.0f && radii.y > 0.0f && radii.z > 0.0f)) {
    if (end) *end = to;
    return 0;
  }
  CollectCollisionFaces(from, to, radii);
  const gfx::Vector3 start = ellipsoid ? DivideComponents(from, radii) : from;
  const gfx::Vector3 target = ellipsoid ? DivideComponents(to, radii) : to;
  gfx::Vector3 result = CollideAndSlide(start, dx::Vec3Subtract(target, start), radii);
  if (ellipsoid) result = MultiplyComponents(result, radii);
  if (end) *end = result;
  return w.hitResult;
}

void UpdateWorldCollisions() {
  for (int i = 0; i < kWorldCollisionSlots; ++i) UpdateCollisionSlot(i);
}

void StoreWorldCollisionPositions() {
  TreeWorld& w = World();
  for (int i = 0; i < kWorldCollisionSlots; ++i)
    if (w.slotActive[i]) w.slots[i].oldPosition = ReadEntity(w.slots[i]);
}

bool SetWorldCollisionSlot(int32_t slot, int32_t kind, int32_t number, float radius, int32_t response,
                           float heightOffset) {
  WorldCollisionSlot* s = Slot(slot);
  if (!s || !(radius == -1.0f || (radius > 0.0f && std::isfinite(radius)))) return false;
  s->kind = kind;
  s->number = number;
  s->radius = radius;
  s->response = response;
  s->heightOffset = heightOffset;
  return true;
}

bool SetWorldCollisionRadii(int32_t slot, float x, float y, float z) {
  WorldCollisionSlot* s = Slot(slot);
  auto positive = [](float r) { return r > 0.0f && std::isfinite(r); };
  if (!s || !positive(x) || !positive(y) || !positive(z)) return false;
  s->radii = {x, y, z};
  return true;
}

bool ActivateWorldCollisionSlot(int32_t slot, bool active) {
  WorldCollisionSlot* s = Slot(slot);
  if (!s) return false;
  World().slotActive[slot] = active ? 1 : 0;
  s->initialised = 0;
  return true;
}

int32_t TakeWorldCollisionHit(int32_t slot) {
  WorldCollisionSlot* s = Slot(slot);
  if (!s) return 0;
  const int32_t hit = s->hit;
  s->hit = 0;
  return hit;
}

gfx::Vector3 GetWorldCollisionDelta(int32_t slot) {
  const WorldCollisionSlot* s = Slot(slot);
  return s ? s->delta : gfx::Vector3{0, 0, 0};
}
