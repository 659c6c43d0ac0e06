#include "engine/objects/vertex_animation.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/objects/object_manager.h"
#include "engine/objects/vertex_layout.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/d3dx/math_vector.h"

using namespace platform::d3dx;

namespace {

// The first track of the first set when it is a baked table of per-vertex matrices.
const AnimationRecord* BakedTrack(const ObjectRecord* object) {
  const AnimationSet* set = object->firstSet.get();
  const AnimationRecord* track = set ? set->firstTrack.get() : nullptr;
  return track && track->keyMode == 0 ? track : nullptr;
}

// Vertices both the live and the backup arrays hold.
size_t AnimatableVertices(const MeshRecord& mesh) {
  if (mesh.vertexSize == 0 || mesh.vertexCount <= 0) return 0;
  const size_t held = std::min(mesh.vertices.size(), mesh.backupVertices.size()) / mesh.vertexSize;
  return std::min(size_t(mesh.vertexCount), held);
}

// A whole frame as an index below `count` (0 for negative frames or no entries).
size_t WholeFrame(float frame, size_t count) {
  if (count == 0 || !(frame > 0.0f)) return 0;
  return std::min(size_t(std::min(frame, float(count - 1))), count - 1);
}

}  // namespace

void BackupMeshVertices(MeshRecord* mesh) {
  if (!mesh) return;
  if (mesh->backupVertices.size() != mesh->vertices.size()) mesh->backupVertices = mesh->vertices;
}

bool UpdateObjectAnimation(ObjectRecord* object, FrameRecord* frame) {
  if (!object || !frame || !frame->mesh) return true;
  MeshRecord* mesh = frame->mesh.get();
  if (mesh->bones.empty()) {
    MorphMeshFrames(object, frame);
    return true;
  }
  const bool changed = object->frame != object->previousFrame || object->animationChanged;
  if (object->blending ? (object->blendFactor == object->previousBlendFactor && !changed) : !changed) return true;
  if (BakedTrack(object)) SkinMeshVertices(object, frame);
  else if (mesh->boneStreams != 1) BlendMeshBones(object, frame);
  return true;
}

void UpdateObjectFrames(ObjectRecord* object) {
  if (!object) return;
  if (object->playing || object->animationChanged) {
    object->framesChanged = 1;  // morphing takes frame matrices from the attached frames
    // A baked table skins every mesh of the object in one pass, from the first frame with a mesh.
    const bool baked = BakedTrack(object) != nullptr;
    for (FrameRecord* frame : object->frameList) {
      if (!frame || !frame->mesh) continue;
      UpdateObjectAnimation(object, frame);
      if (baked) break;
    }
  }
  object->previousFrame = object->frame;
  object->previousBlendFactor = object->blendFactor;
  // The refresh is for one update of every mesh, so it is spent only once they all had it.
  object->animationChanged = 0;
}

void SkinMeshVertices(ObjectRecord* object, FrameRecord* /*frame*/) {
  const AnimationRecord* track = object ? BakedTrack(object) : nullptr;
  if (!track || track->matrixTable.empty()) return;
  const std::vector<Matrix>& row = track->matrixTable[WholeFrame(object->frame, track->matrixTable.size())];
  size_t k = 0;  // runs over the vertices of all meshes
  for (MeshRecord* mesh : object->meshList) {
    if (!mesh) continue;
    BackupMeshVertices(mesh);
    FVFLayout layout;
    GetMeshFVFLayout(mesh, &layout);
    const size_t count = AnimatableVertices(*mesh);
    for (size_t v = 0; v < count; ++v, ++k) {
      // A vertex without a column in the table, or a column beyond the row, keeps its position.
      if (layout.z == 0 || k >= track->values.size() || track->values[k] >= row.size()) continue;
      const Vector3 p = ReadVertexPosition(&mesh->backupVertices[v * mesh->vertexSize], layout);
      WriteVertexPosition(&mesh->vertices[v * mesh->vertexSize], layout, Vec3TransformCoord(p, row[track->values[k]]));
    }
    k += size_t(std::max(mesh->vertexCount, 0)) - count;
    MarkMeshVerticesChanged(mesh);
  }
}

void MorphMeshFrames(ObjectRecord* object, FrameRecord* frame) {
  if (!object || !frame || !frame->mesh) return;
  MeshRecord* mesh = frame->mesh.get();
  const auto& attached = mesh->attachedFrames;
  if (attached.size() < 2 || (!object->playing && !object->animationChanged)) return;
  size_t k = 0;
  float t = 0.0f;
  if (object->frame > 0.0f) {
    k = size_t(std::min(object->frame, float(attached.size())));
    t = object->frame - float(k);
  }
  if (k + 1 >= attached.size()) {
    k = 0;
    t = 0.0f;
  }
  mesh->attachedFrameCursor = uint32_t(k);
  const FrameRecord* from = attached[k].get();
  const FrameRecord* to = attached[k + 1].get();
  if (!from || !to) return;
  frame->localMatrix = from->localMatrix;
  const MeshRecord* a = from->mesh.get();
  const MeshRecord* b = to->mesh.get();
  if (!a || !b || a->vertexSize == 0 || b->vertexSize == 0 || mesh->vertexSize == 0) return;
  FVFLayout layout, layoutA, layoutB;
  GetMeshFVFLayout(mesh, &layout);
  GetMeshFVFLayout(a, &layoutA);
  GetMeshFVFLayout(b, &layoutB);
  if (layout.z == 0 || layoutA.z == 0 || layoutB.z == 0) return;
  // Only vertices that all three meshes hold are mixed.
  const size_t count = std::min({size_t(std::max(mesh->vertexCount, 0)), mesh->vertices.size() / mesh->vertexSize,
                                 a->vertices.size() / a->vertexSize, b->vertices.size() / b->vertexSize});
  for (size_t v = 0; v < count; ++v) {
    const Vector3 pa = ReadVertexPosition(&a->vertices[v * a->vertexSize], layoutA);
    const Vector3 pb = ReadVertexPosition(&b->vertices[v * b->vertexSize], layoutB);
    WriteVertexPosition(&mesh->vertices[v * mesh->vertexSize], layout, Vec3Lerp(pa, pb, t));
  }
  MarkMeshVerticesChanged(mesh);
}

void BlendMeshBones(ObjectRecord* /*object*/, FrameRecord* frame) {
  if (!frame || !frame->mesh) return;
  MeshRecord* mesh = frame->mesh.get();
  BackupMeshVertices(mesh);
  FVFLayout layout;
  GetMeshFVFLayout(mesh, &layout);
  if (layout.z == 0) return;
  const bool normals = layout.nz != 0;
  const size_t count = AnimatableVertices(*mesh);
  const size_t stride = mesh->vertexSize;
  std::vector<uint8_t> reached(count, 0);
  for (size_t b = 0; b < mesh->bones.size(); ++b) {
    // A bone whose name matched no frame has no matrix and moves nothing.
    const Matrix* combined = b < mesh->boneMatrices.size() ? mesh->boneMatrices[b] : nullptr;
    if (!combined) continue;
    const BoneRecord& bone = mesh->bones[b];
    const Matrix skin = MatrixMultiply(bone.offsetMatrix, *combined);
    const size_t influences = std::min(bone.vertexIndices.size(), bone.weights.size());
    for (size_t i = 0; i < influences; ++i) {
      const uint32_t v = bone.vertexIndices[i];
      if (v >= count) continue;  // an influence beyond the mesh (a damaged model)
      const float w = bone.weights[i];
      uint8_t* live = &mesh->vertices[v * stride];
      const uint8_t* backup = &mesh->backupVertices[v * stride];
      Vector3 p{0, 0, 0}, n{0, 0, 0};
      if (reached[v]) {
        p = ReadVertexPosition(live, layout);
        if (normals) n = ReadVertexNormal(live, layout);
      }
      reached[v] = 1;
      p = Vec3Add(p, Vec3Scale(Vec3TransformCoord(ReadVertexPosition(backup, layout), skin), w));
      WriteVertexPosition(live, layout, p);
      if (normals) {
        n = Vec3Add(n, Vec3Scale(Vec3TransformNormal(ReadVertexNormal(backup, layout), skin), w));
        WriteVertexNormal(live, layout, n);
      }
    }
  }
  MarkMeshVerticesChanged(mesh);
}
