#include "engine/objects/ray_query.h"

#include <algorithm>
#include <cstdio>

#include "engine/core/core_data.h"
#include "engine/objects/mesh_storage.h"
#include "engine/objects/object_manager.h"
#include "engine/objects/object_matrix.h"
#include "engine/objects/vertex_layout.h"
#include "engine/system/result_list.h"
#include "platform/d3dx/math_intersect.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/d3dx/math_vector.h"

using namespace platform::d3dx;

namespace {

constexpr int32_t kDetailEntries = 9;
constexpr uint32_t kDetailTextSize = 256;

IntersectDetails& LastHit() {
  static IntersectDetails details;
  return details;
}

// The frame of the first bone (bone order) whose influences name the vertex; -1 when none does.
int32_t BoneFrameOfVertex(const MeshRecord& mesh, uint32_t vertex) {
  for (size_t b = 0; b < mesh.bones.size(); ++b) {
    const std::vector<uint32_t>& influenced = mesh.bones[b].vertexIndices;
    if (std::find(influenced.begin(), influenced.end(), vertex) == influenced.end()) continue;
    const FrameRecord* frame = b < mesh.boneFrames.size() ? mesh.boneFrames[b] : nullptr;
    return frame ? int32_t(frame->index) : -1;
  }
  return -1;
}

// The nearest hit of one mesh so far.
struct Best {
  float distance = 0.0f;
  int32_t frame = 0;
  const MeshRecord* mesh = nullptr;
  uint32_t indices[3] = {0, 0, 0};
  Vector3 positions[3] = {};
};

// Tests the segment, already in the mesh's space (origin, unit direction, local-to-world ratio),
// against every triangle the mesh draws.
void IntersectMesh(const MeshRecord& mesh, int32_t frameIndex, const Vector3& origin, const Vector3& direction,
                   float ratio, Best* best) {
  FVFLayout layout;
  GetMeshFVFLayout(&mesh, &layout);
  if (mesh.vertices.empty() || mesh.vertexSize == 0 || layout.z == 0) return;
  const size_t vertices = std::min(size_t(std::max(mesh.vertexCount, 0)), mesh.vertices.size() / mesh.vertexSize);
  const bool indexed = mesh.indexCount > 0;
  // Corners the arrays really hold: a draw count or index beyond them is damage, not geometry.
  const size_t corners = indexed ? std::min(size_t(mesh.indexCount), std::max(mesh.indices.size(), mesh.wideIndices.size()))
                                 : vertices;
  const size_t triangles = std::min(size_t(std::max(mesh.drawPrimitiveCount, 0)), corners / 3);
  for (size_t t = 0; t < triangles; ++t) {
    uint32_t index[3];
    Vector3 p[3];
    bool inside = true;
    for (int c = 0; c < 3; ++c) {
      index[c] = indexed ? MeshIndexAt(mesh, 3 * t + c) : uint32_t(3 * t + c);
      if (index[c] >= vertices) {
        inside = false;
        break;
      }
      p[c] = ReadVertexPosition(&mesh.vertices[size_t(index[c]) * mesh.vertexSize], layout);
    }
    if (!inside) continue;
    if (mesh.culling == 1) {
      const Vector3 n = Vec3Normalize(Vec3Cross(Vec3Subtract(p[2], p[1]), Vec3Subtract(p[1], p[0])));
      if (Vec3Dot(direction, n) < 0.0f) continue;  // seen from behind
    }
    float u, v, distance;
    if (!IntersectTriangle(p[0], p[1], p[2], origin, direction, &u, &v, &distance)) continue;
    distance *= ratio;
    if (!(best->distance == 0.0f || (distance > 0.0f && distance < best->distance))) continue;
    best->distance = distance;
    best->frame = frameIndex;
    best->mesh = &mesh;
    std::copy(index, index + 3, best->indices);
    std::copy(p, p + 3, best->positions);
  }
}

// Meshes stored as strips are tested as the lists they become; the renderer places a changed
// mesh again.
void PrepareObjectMeshes(ObjectRecord* geometry) {
  bool changed = false;
  for (FrameRecord* frame : geometry->frameList)
    if (frame && frame->mesh && ConvertStripsToList(frame->mesh.get())) changed = true;
  if (changed) GetObjectManager().CheckObjectMeshLayout(geometry);
}

}  // namespace

uint8_t IntersectObjectTriangles(ObjectRecord* object, float x1, float y1, float z1, float x2, float y2, float z2,
                                 float* distance) {
  if (distance) *distance = 0.0f;
  if (!object) return 0;
  ObjectRecord* geometry = object->instanceSource ? object->instanceSource : object;
  const Vector3 start{x1, y1, z1}, end{x2, y2, z2};
  const float length = Vec3Length(Vec3Subtract(end, start));
  PrepareObjectMeshes(geometry);
  Best best;
  for (size_t f = 0; f < geometry->frameList.size(); ++f) {
    FrameRecord* frame = geometry->frameList[f];
    if (!frame || !frame->mesh) continue;
    if (f < object->workBlock.size() && object->workBlock[f] == 0) continue;  // hidden frame
    MeshRecord* mesh = frame->mesh.get();
    UpdateFrameWorldMatrix(object, frame, mesh);
    Matrix inverse;
    if (!MatrixInverse(frame->worldMatrix, &inverse)) continue;  // flattened: nothing to hit
    const Vector3 origin = Vec3TransformCoord(start, inverse);
    const Vector3 delta = Vec3Subtract(Vec3TransformCoord(end, inverse), origin);
    const float localLength = Vec3Length(delta);
    if (!(localLength > 0.0f)) continue;  // a segment of no length has no direction
    IntersectMesh(*mesh, int32_t(f), origin, Vec3Normalize(delta), length / localLength, &best);
  }
  if (distance) *distance = best.distance;
  if (best.distance <= 0.0f || !best.mesh) return 0;

  IntersectDetails& hit = LastHit();
  hit = IntersectDetails{};
  hit.frame = best.frame;
  hit.boneFrame = BoneFrameOfVertex(*best.mesh, best.indices[0]);
  for (int c = 0; c < 3; ++c) {
    hit.vertexIndices[c] = int32_t(best.indices[c]);
    hit.vertexPositions[c] = best.positions[c];
  }
  hit.hitPoint = Vec3Add(start, Vec3Scale(Vec3Normalize(Vec3Subtract(end, start)), best.distance));
  ListIntersectDetails();
  return 1;
}

float IntersectObjectSegment(ObjectRecord* object, float x1, float y1, float z1, float x2, float y2, float z2) {
  float distance = 0.0f;
  IntersectObjectTriangles(object, x1, y1, z1, x2, y2, z2, &distance);
  return distance;
}

void ListIntersectDetails() {
  const IntersectDetails& hit = LastHit();
  if (!BeginResultList(kDetailEntries, kDetailTextSize, true, true)) return;
  char text[kDetailTextSize];
  std::snprintf(text, sizeof(text), "%d,%d", hit.frame, hit.boneFrame);
  SetResultListEntry(0, text, hit.frame, hit.boneFrame, 0);
  std::snprintf(text, sizeof(text), "%d,%d,%d", hit.vertexIndices[0], hit.vertexIndices[1], hit.vertexIndices[2]);
  SetResultListEntry(1, text, hit.vertexIndices[0], hit.vertexIndices[1], hit.vertexIndices[2]);
  const Vector3 vectors[7] = {hit.vertexPositions[0], hit.vertexPositions[1], hit.vertexPositions[2], hit.hitPoint,
                              hit.spare[0], hit.spare[1], Vector3{0, 0, 0}};
  ResultList& list = GetCoreDataPointer()->resultList;
  for (int i = 0; i < 7; ++i) {
    const Vector3& v = vectors[i];
    std::snprintf(text, sizeof(text), "%f,%f,%f", v.x, v.y, v.z);
    SetResultListEntry(2 + i, text, 0, 0, 0);
    list.entries[2 + i].floatA = v.x;
    list.entries[2 + i].floatB = v.y;
    list.entries[2 + i].floatC = v.z;
  }
  EndResultList(kDetailEntries);
}

const IntersectDetails& GetIntersectDetails() { return LastHit(); }
