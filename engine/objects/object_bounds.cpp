#include "engine/objects/object_bounds.h"

#include <algorithm>
#include <cmath>

#include "engine/objects/frame_tree.h"
#include "engine/objects/object_matrix.h"
#include "engine/objects/record_links.h"
#include "engine/objects/vertex_layout.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/d3dx/math_vector.h"

using namespace platform::d3dx;

namespace {

constexpr Vector3 kEmptyMin{1e6f, 1e6f, 1e6f};
constexpr Vector3 kEmptyMax{-1e6f, -1e6f, -1e6f};

// Calls visit with every stored vertex position of the mesh (none when the layout has no z).
template <typename Visit>
void ForEachPosition(const MeshRecord& mesh, Visit&& visit) {
  FVFLayout layout;
  GetMeshFVFLayout(&mesh, &layout);
  if (layout.z == 0 || mesh.vertexSize == 0) return;
  const size_t count = std::min(size_t(std::max(mesh.vertexCount, 0)), mesh.vertices.size() / mesh.vertexSize);
  for (size_t v = 0; v < count; ++v) visit(ReadVertexPosition(&mesh.vertices[v * mesh.vertexSize], layout));
}

// The matrix that takes a frame's mesh into object space. Skinning already writes a mesh with bones
// in object space (the renderer draws it under the object's world matrix alone), so taking it through
// its frame's matrix as well would place it twice.
Matrix MeshToObject(const FrameRecord& frame) {
  return frame.mesh && !frame.mesh->bones.empty() ? MatrixIdentity() : frame.combinedMatrix;
}

Vector3 BoxCentre(const Vector3& lo, const Vector3& hi) {
  return {lo.x + (hi.x - lo.x) * 0.5f, lo.y + (hi.y - lo.y) * 0.5f, lo.z + (hi.z - lo.z) * 0.5f};
}

// Poses the object for an animation frame: frame matrices, the tree walk, then each mesh's vertex
// animation, through the animation modules' links.
void PoseObject(ObjectRecord* object, float frame) {
  const RecordLinks& links = GetRecordLinks();
  object->framesChanged = 1;  // the renderer combines the frames of its own pose again
  if (links.animateObjectFrame) links.animateObjectFrame(object, frame);
  else CombineFrameMatrices(object->root.get());
  UpdateFrameMatrices(object->root.get(), MatrixIdentity());
  if (links.updateObjectAnimation)
    for (FrameRecord* f : object->frameList)
      if (f->mesh) links.updateObjectAnimation(object, f);
}

// Box, then radius around its centre, of the posed meshes.
void MeasurePose(ObjectRecord* object, Vector3* lo, Vector3* hi, Vector3* centre, float* radius) {
  *lo = kEmptyMin;
  *hi = kEmptyMax;
  for (FrameRecord* f : object->frameList)
    if (f->mesh) AccumulateMeshBounds(lo, hi, *f->mesh, MeshToObject(*f));
  *centre = BoxCentre(*lo, *hi);
  float radiusSq = 0.0f;
  for (FrameRecord* f : object->frameList)
    if (f->mesh) AccumulateMeshRadius(&radiusSq, *centre, lo, hi, *f->mesh, MeshToObject(*f));
  *radius = std::sqrt(radiusSq);
}

}  // namespace

bool CalculateMeshBounds(MeshRecord* mesh) {
  if (!mesh) return false;
  BoundsBlock& b = mesh->bounds;
  b.boxMin = kEmptyMin;
  b.boxMax = kEmptyMax;
  ForEachPosition(*mesh, [&](const Vector3& p) {
    b.boxMin = Vec3Minimize(b.boxMin, p);
    b.boxMax = Vec3Maximize(b.boxMax, p);
  });
  b.centre = BoxCentre(b.boxMin, b.boxMax);
  float radiusSq = 0.0f;
  ForEachPosition(*mesh, [&](const Vector3& p) { radiusSq = std::max(radiusSq, Vec3LengthSq(Vec3Subtract(p, b.centre))); });
  b.radius = std::sqrt(radiusSq);
  return true;
}

void AccumulateMeshBounds(Vector3* boxMin, Vector3* boxMax, const MeshRecord& mesh, const Matrix& matrix) {
  ForEachPosition(mesh, [&](const Vector3& p) {
    Vector3 q;
    TransformPoint(&q, p, matrix);
    *boxMin = Vec3Minimize(*boxMin, q);
    *boxMax = Vec3Maximize(*boxMax, q);
  });
}

void AccumulateMeshRadius(float* radiusSq, const Vector3& centre, Vector3* boxMin, Vector3* boxMax,
                          const MeshRecord& mesh, const Matrix& matrix) {
  ForEachPosition(mesh, [&](const Vector3& p) {
    Vector3 q;
    TransformPoint(&q, p, matrix);
    *boxMin = Vec3Minimize(*boxMin, q);
    *boxMax = Vec3Maximize(*boxMax, q);
    *radiusSq = std::max(*radiusSq, Vec3LengthSq(Vec3Subtract(q, centre)));
  });
}

bool CalculateObjectBounds(ObjectRecord* object) {
  if (!object) return false;
  BoundsBlock& b = object->bounds;
  b.boxMin = kEmptyMin;
  b.boxMax = kEmptyMax;
  b.centre = {0, 0, 0};
  b.radius = 0.0f;
  AnimationSet* set = object->firstSet.get();
  if (set) {
    if (set->length > kMaxAnimationLength) return false;
    set->frameBoxMin.assign(set->length, kEmptyMin);
    set->frameBoxMax.assign(set->length, kEmptyMax);
    set->frameCentre.assign(set->length, Vector3{0, 0, 0});
    set->frameRadius.assign(set->length, 0.0f);
  }

  // Pass 0: the meshes as the frame matrices stand.
  for (FrameRecord* f : object->frameList) {
    if (!f->mesh) continue;
    CalculateMeshBounds(f->mesh.get());
    AccumulateMeshBounds(&b.boxMin, &b.boxMax, *f->mesh, MeshToObject(*f));
  }
  b.centre = BoxCentre(b.boxMin, b.boxMax);

  // Pass 1: the radius over the posed meshes.
  float radiusSq = 0.0f;
  auto raiseRadius = [&] {
    for (FrameRecord* f : object->frameList)
      if (f->mesh) AccumulateMeshRadius(&radiusSq, b.centre, &b.boxMin, &b.boxMax, *f->mesh, MeshToObject(*f));
  };
  if (!set || object->currentPoseBounds) {
    PoseObject(object, object->frame);
    raiseRadius();
  } else {
    const uint8_t playing = object->playing;
    const float current = object->frame;
    object->playing = 1;
    const uint32_t step = std::max(set->length / 1000u, 1u);
    for (uint32_t f = 0; f < set->length; f += step) {
      object->frame = float(f);
      PoseObject(object, object->frame);
      MeasurePose(object, &set->frameBoxMin[f], &set->frameBoxMax[f], &set->frameCentre[f], &set->frameRadius[f]);
      raiseRadius();
    }
    object->playing = 0;
    object->frame = 0.0f;
    PoseObject(object, 0.0f);
    object->playing = playing;
    object->frame = current;
  }
  b.radius = std::sqrt(radiusSq);
  return true;
}
