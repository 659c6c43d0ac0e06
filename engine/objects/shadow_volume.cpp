#include "engine/objects/shadow_volume.h"

#include <algorithm>
#include <cstring>

#include "engine/objects/mesh_builders.h"
#include "engine/objects/mesh_storage.h"
#include "engine/objects/object_manager.h"
#include "engine/objects/record_links.h"
#include "engine/objects/vertex_layout.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/d3dx/math_vector.h"
#include "platform/gfx/device.h"

using namespace platform::d3dx;
namespace gfx = platform::gfx;

namespace {

constexpr float kDefaultShadowRange = 2000.0f;
constexpr uint32_t kShadowFvf = gfx::FVF_XYZ;  // 12-byte positions
constexpr uint32_t kBoundMeshFvf = gfx::FVF_XYZ | gfx::FVF_DIFFUSE;
constexpr float kBoundMeshMargin = 1.01f;

// Room for `needed` positions in the shadow mesh, keeping the first `keep` already written. A mesh
// that grows has a new layout, so the manager places it again.
bool ReserveShadowVertices(MeshRecord* shadow, size_t keep, size_t needed) {
  if (needed > size_t(INT32_MAX)) return false;
  if (shadow->fvf == kShadowFvf && shadow->vertexSize == 12 && size_t(std::max(shadow->vertexCount, 0)) >= needed &&
      shadow->vertices.size() >= needed * 12)
    return true;
  std::vector<uint8_t> kept;
  if (shadow->fvf == kShadowFvf && shadow->vertexSize == 12)
    kept.assign(shadow->vertices.begin(), shadow->vertices.begin() + std::min(keep * 12, shadow->vertices.size()));
  if (!SetupMeshStorage(shadow, kShadowFvf, int32_t(needed), 0)) return false;
  if (!kept.empty()) std::memcpy(shadow->vertices.data(), kept.data(), kept.size());
  shadow->primitiveType = gfx::PT_TRIANGLELIST;
  shadow->layoutChanged = 1;
  return true;
}

Vector3 Through(const Vector3& p, const Matrix* matrix) { return matrix ? Vec3TransformCoord(p, *matrix) : p; }

// Away from the light, `range` beyond the point.
Vector3 Extrude(const Vector3& p, const Vector3& light, float range) {
  return Vec3Add(p, Vec3Scale(Vec3Normalize(Vec3Subtract(p, light)), range));
}

}  // namespace

void ToggleSilhouetteEdge(std::vector<ShadowEdge>* edges, uint32_t a, uint32_t b) {
  for (size_t i = 0; i < edges->size(); ++i) {
    const ShadowEdge& e = (*edges)[i];
    if ((e.a == a && e.b == b) || (e.a == b && e.b == a)) {
      (*edges)[i] = edges->back();
      edges->pop_back();
      return;
    }
  }
  edges->push_back({a, b});
}

bool ExtrudeShadowVolume(const Vector3& lightPosition, const MeshRecord* mesh, float range, MeshRecord* shadowMesh,
                         int32_t* vertexCount, const Matrix* vertexMatrix, const Matrix* worldMatrix) {
  if (!mesh || !shadowMesh || !vertexCount) return false;
  if (range == -1.0f) range = kDefaultShadowRange;
  Vector3 light = lightPosition;
  Matrix inverse;
  if (worldMatrix && MatrixInverse(*worldMatrix, &inverse)) light = Vec3TransformCoord(light, inverse);

  FVFLayout layout;
  GetMeshFVFLayout(mesh, &layout);
  const uint32_t vertices = mesh->vertexSize && layout.z
                                ? uint32_t(std::min<size_t>(size_t(std::max(mesh->vertexCount, 0)),
                                                            mesh->vertices.size() / mesh->vertexSize))
                                : 0;
  const auto position = [&](uint32_t v) { return ReadVertexPosition(&mesh->vertices[size_t(v) * mesh->vertexSize], layout); };

  // Faces that look away from the light toggle their edges; what stays is the silhouette. The face
  // normal (p2 - p1) x (p1 - p0) points into the mesh for its front faces.
  std::vector<ShadowEdge> edges;
  const bool indexed = mesh->indexCount > 0;
  const size_t indexCount = std::min(size_t(std::max(mesh->indexCount, 0)),
                                     std::max(mesh->indices.size(), mesh->wideIndices.size()));
  const size_t faces = indexed ? indexCount / 3 : vertices / 3;
  for (size_t f = 0; f < faces; ++f) {
    uint32_t i[3];
    for (int c = 0; c < 3; ++c) i[c] = indexed ? MeshIndexAt(*mesh, 3 * f + c) : uint32_t(3 * f + c);
    if (i[0] >= vertices || i[1] >= vertices || i[2] >= vertices) continue;  // an index beyond the mesh
    const Vector3 p0 = position(i[0]), p1 = position(i[1]), p2 = position(i[2]);
    const Vector3 n = Vec3Cross(Vec3Subtract(p2, p1), Vec3Subtract(p1, p0));
    if (Vec3Dot(n, Vec3Subtract(light, p0)) > 0.0f) {
      ToggleSilhouetteEdge(&edges, i[0], i[1]);
      ToggleSilhouetteEdge(&edges, i[1], i[2]);
      ToggleSilhouetteEdge(&edges, i[2], i[0]);
    }
  }

  const Vector3 capNear = Through(mesh->bounds.worldCentre, vertexMatrix);
  const Vector3 capFar = Extrude(capNear, light, range);
  const size_t start = size_t(std::max(*vertexCount, 0));
  if (!ReserveShadowVertices(shadowMesh, start, start + edges.size() * 12)) return false;
  size_t written = start;
  const auto put = [&](const Vector3& p) { std::memcpy(&shadowMesh->vertices[12 * written++], &p, 12); };
  for (const ShadowEdge& e : edges) {
    const Vector3 va = Through(position(e.a), vertexMatrix);
    const Vector3 vb = Through(position(e.b), vertexMatrix);
    const Vector3 ea = Extrude(va, light, range);
    const Vector3 eb = Extrude(vb, light, range);
    for (const Vector3& p : {va, vb, ea, vb, eb, ea, capNear, vb, va, capFar, ea, eb}) put(p);
  }
  *vertexCount = int32_t(written);
  shadowMesh->drawVertexCount = int32_t(written);
  shadowMesh->drawPrimitiveCount = int32_t(written / 3);
  MarkMeshVerticesChanged(shadowMesh);
  return true;
}

bool BuildShadowVolumeMesh(const Vector3& light, float range, const MeshRecord* mesh, MeshRecord* shadowMesh,
                           const Matrix* vertexMatrix, const Matrix* worldMatrix) {
  if (!mesh || !shadowMesh) return true;
  int32_t count = 0;
  ExtrudeShadowVolume(light, mesh, range, shadowMesh, &count, vertexMatrix, worldMatrix);
  return true;
}

bool UpdateFrameShadow(FrameRecord* frame, const Matrix* vertexMatrix, int32_t light, float x, float y, float z) {
  if (!frame || !frame->mesh || !frame->shadowMesh) return false;
  MeshRecord* shadow = frame->shadowMesh.get();
  if (shadow->bounds.shadowRebuild != -1.0f) return true;
  Vector3 position{x, y, z};
  float range = shadow->bounds.radius;
  if (light != -1) {
    gfx::Device* device = GetRecordDevice();
    gfx::Light description{};
    if (!device || gfx::Failed(device->GetLight(uint32_t(light), &description))) return false;
    position = description.position;
    range = description.range;
  }
  const Matrix* world = frame->mesh->bones.empty() ? &frame->combinedMatrix : nullptr;
  return BuildShadowVolumeMesh(position, range, frame->mesh.get(), shadow, vertexMatrix, world);
}

void BuildBoundBoxMesh(FrameRecord* frame) {
  if (!frame || !frame->mesh || !frame->boundBoxMesh) return;
  const BoundsBlock& b = frame->mesh->bounds;
  const float m = kBoundMeshMargin;
  MeshRecord* box = frame->boundBoxMesh.get();
  if (!MakeBoxMesh(true, box, b.boxMin.x * m, b.boxMin.y * m, b.boxMin.z * m, b.boxMax.x * m, b.boxMax.y * m,
                   b.boxMax.z * m, kBoundMeshFvf, 0xFFFFFFFF))
    return;
  box->wireframe = 1;
  MarkMeshVerticesChanged(box);
}

void BuildBoundSphereMesh(FrameRecord* frame) {
  if (!frame || !frame->mesh || !frame->boundSphereMesh) return;
  const BoundsBlock& b = frame->mesh->bounds;
  MeshRecord* sphere = frame->boundSphereMesh.get();
  if (!MakeSphereMesh(true, sphere, b.centre.x, b.centre.y, b.centre.z, b.radius * kBoundMeshMargin, 5, 8,
                      kBoundMeshFvf))
    return;
  sphere->wireframe = 1;
  MarkMeshVerticesChanged(sphere);
}
