// Building a world: textures, lightmaps, stage sets, faces with their source and drawing forms, the
// tree and the face groups. No world file format exists; this is what a loader would call.
#include <algorithm>
#include <cmath>

#include "engine/world/tree_world.h"
#include "engine/world/tree_world_state.h"
#include "platform/d3dx/math_vector.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;
namespace dx = platform::d3dx;

namespace {

constexpr int32_t kMaxLightmapSize = 1024;
constexpr int64_t kMaxVisibilityBytes = int64_t(1) << 26;

WorldVertex ToDrawingVertex(const WorldSourceVertex& s) {
  const gfx::Vector3 p = WorldToEngineUnits({s.x, s.y, s.z});
  const gfx::Vector3 n = dx::Vec3Normalize({s.nx, s.nz, s.ny});
  return {p.x, p.y, p.z, n.x, n.y, n.z, s.color, s.u, s.v, s.lu, s.lv};
}

bool IndicesInside(const uint16_t* indices, int32_t indexCount, int32_t vertexCount) {
  if (!indices || indexCount < 3 || indexCount % 3 != 0) return false;
  return std::all_of(indices, indices + indexCount, [vertexCount](uint16_t i) { return i < vertexCount; });
}

// The face's source form and its source vertices; the face's number.
int32_t AddFaceRecords(WorldFace face, const WorldSourceVertex* vertices, int32_t count) {
  TreeWorld& w = World();
  WorldSourceFace source{};
  source.type = face.type;
  source.firstVertex = int32_t(w.sourceVertices.size());
  source.normal[0] = vertices[0].nx;
  source.normal[1] = vertices[0].ny;
  source.normal[2] = vertices[0].nz;
  if (face.type == kWorldPatch) {
    for (int a = 0; a < 3; ++a) source.patchBoxMin[a] = source.patchBoxMax[a] = (&vertices[0].x)[a];
    for (int32_t i = 1; i < count; ++i) {
      for (int a = 0; a < 3; ++a) {
        source.patchBoxMin[a] = std::min(source.patchBoxMin[a], (&vertices[i].x)[a]);
        source.patchBoxMax[a] = std::max(source.patchBoxMax[a], (&vertices[i].x)[a]);
      }
    }
  }
  w.sourceVertices.insert(w.sourceVertices.end(), vertices, vertices + count);
  w.sourceFaces.push_back(source);
  w.faces.push_back(face);
  return int32_t(w.faces.size() - 1);
}

WorldFace NewFace(int32_t type, int32_t texture, int32_t lightmap, int32_t stageSet) {
  WorldFace face{};
  face.type = type;
  face.firstVertex = int32_t(World().vertices.size());
  face.firstMeshIndex = int32_t(World().meshIndices.size());
  face.texture = texture;
  face.lightmap = lightmap;
  face.stageSet = stageSet;
  return face;
}

bool RoomForFace(const WorldSourceVertex* vertices, int32_t count) {
  return vertices && count > 0 && World().faces.size() < size_t(kMaxWorldFaces);
}

void AppendDrawingVertices(const WorldSourceVertex* vertices, int32_t count) {
  for (int32_t i = 0; i < count; ++i) World().vertices.push_back(ToDrawingVertex(vertices[i]));
}

}  // namespace

void ClearWorld() { ReleaseWorld(); }

int32_t AddWorldTexture(const char* name, gfx::Texture* texture) {
  GrowableArray<WorldTextureEntry>& textures = World().textures;
  if (!textures.Resize(textures.count + 1, kTextureArrayStep)) return -1;
  WorldTextureEntry& entry = textures.entries[size_t(textures.count)];
  entry.name = name ? name : "";
  if (texture) texture->AddRef();
  entry.texture = DeviceRef<gfx::Texture>(texture);
  return textures.count++;
}

int32_t AddWorldLightmap(const uint8_t* rgb, int32_t width, int32_t height) {
  TreeWorld& w = World();
  if (!rgb || width < 1 || height < 1 || width > kMaxLightmapSize || height > kMaxLightmapSize || !w.device) return -1;
  gfx::Texture* texture = nullptr;
  if (gfx::Failed(w.device->CreateTexture(uint32_t(width), uint32_t(height), 1, 0, gfx::FMT_X8R8G8B8,
                                          gfx::POOL_MANAGED, &texture, nullptr)))
    return -1;
  DeviceRef<gfx::Texture> held(texture);
  gfx::LockedRect locked{};
  if (gfx::Failed(texture->LockRect(0, &locked, nullptr, 0))) return -1;
  for (int32_t y = 0; y < height; ++y) {
    uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.bits) + ptrdiff_t(y) * locked.pitch);
    for (int32_t x = 0; x < width; ++x) {
      const uint8_t* p = rgb + (size_t(y) * size_t(width) + size_t(x)) * 3;
      row[x] = 0xFF000000u | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
  }
  texture->UnlockRect(0);
  GrowableArray<WorldLightmapEntry>& lightmaps = w.lightmaps;
  if (!lightmaps.Resize(lightmaps.count + 1, kTextureArrayStep)) return -1;
  WorldLightmapEntry& entry = lightmaps.entries[size_t(lightmaps.count)];
  entry.data.assign(rgb, rgb + size_t(width) * size_t(height) * 3);
  entry.texture = std::move(held);
  return lightmaps.count++;
}

int32_t AddWorldStageSet(const WorldStageSet& set) {
  for (const WorldStage& stage : set.stages)
    if (stage.frames.size() > size_t(kMaxStageFrames)) return -1;
  World().stageSets.push_back(set);
  return int32_t(World().stageSets.size() - 1);
}

int32_t AddWorldPolygon(const WorldSourceVertex* vertices, int32_t count, int32_t texture, int32_t lightmap,
                        int32_t stageSet) {
  if (!RoomForFace(vertices, count) || count < 3) return -1;
  WorldFace face = NewFace(kWorldPolygon, texture, lightmap, stageSet);
  face.vertexCount = count;
  AppendDrawingVertices(vertices, count);
  return AddFaceRecords(face, vertices, count);
}

int32_t AddWorldMesh(const WorldSourceVertex* vertices, int32_t count, const uint16_t* indices, int32_t indexCount,
                     int32_t texture, int32_t lightmap, int32_t stageSet) {
  if (!RoomForFace(vertices, count) || !IndicesInside(indices, indexCount, count)) return -1;
  WorldFace face = NewFace(kWorldMesh, texture, lightmap, stageSet);
  face.vertexCount = count;
  face.meshIndexCount = indexCount;
  AppendDrawingVertices(vertices, count);
  World().meshIndices.insert(World().meshIndices.end(), indices, indices + indexCount);
  return AddFaceRecords(face, vertices, count);
}

int32_t AddWorldPatch(const WorldSourceVertex* vertices, int32_t count, const uint16_t* indices, int32_t indexCount,
                      int32_t texture, int32_t lightmap, int32_t stageSet) {
  TreeWorld& w = World();
  if (!RoomForFace(vertices, count) || !IndicesInside(indices, indexCount, count) ||
      w.patches.size() >= size_t(kMaxWorldPatches))
    return -1;
  WorldFace face = NewFace(kWorldPatch, texture, lightmap, stageSet);
  face.vertexCount = count;
  face.patch = int32_t(w.patches.size());
  AppendDrawingVertices(vertices, count);  // keeps the drawing and source vertices number for number
  WorldPatch& patch = w.patches.emplace_back();
  for (int32_t i = 0; i < count; ++i) patch.vertices.push_back(ToDrawingVertex(vertices[i]));
  patch.indices.assign(indices, indices + indexCount);
  return AddFaceRecords(face, vertices, count);
}

void SetWorldTree(const WorldPlane* planes, int32_t planeCount, const WorldNode* nodes, int32_t nodeCount,
                  const WorldLeaf* leaves, int32_t leafCount, const int32_t* leafFaces, int32_t leafFaceCount,
                  const uint8_t* visibilityRows, int32_t clusterCount, int32_t bytesPerRow) {
  TreeWorld& w = World();
  auto copy = [](auto& table, const auto* items, int64_t count) {
    if (items && count > 0)
      table.assign(items, items + count);
    else
      table.clear();
  };
  copy(w.planes, planes, planeCount);
  copy(w.nodes, nodes, nodeCount);
  copy(w.leaves, leaves, leafCount);
  copy(w.leafFaces, leafFaces, leafFaceCount);
  const int64_t visibilityBytes = int64_t(clusterCount) * bytesPerRow;
  w.visibilityPresent =
      visibilityRows && clusterCount > 0 && bytesPerRow > 0 && visibilityBytes <= kMaxVisibilityBytes;
  w.clusterCount = w.visibilityPresent ? clusterCount : 0;
  w.bytesPerRow = w.visibilityPresent ? bytesPerRow : 0;
  copy(w.visibility, visibilityRows, w.visibilityPresent ? visibilityBytes : 0);
}

bool FinishWorld() {
  TreeWorld& w = World();
  if (w.faces.empty()) return false;
  w.groups.clear();
  for (size_t f = 0; f < w.faces.size(); ++f) {
    const WorldFace& face = w.faces[f];
    const bool staged = face.stageSet >= 0 && size_t(face.stageSet) < w.stageSets.size();
    const int32_t code = staged ? -(face.stageSet + 2) : std::max(face.texture, -1);
    auto group = std::find_if(w.groups.begin(), w.groups.end(),
                              [code](const WorldFaceGroup& g) { return g.stageCode == code; });
    if (group == w.groups.end()) group = w.groups.insert(w.groups.end(), WorldFaceGroup{code, {}});
    group->faces.push_back(int32_t(f));
  }
  w.visibleFaces.assign(w.faces.size(), 0);
  w.worldCount = 1;
  return true;
}

void SetWorldRenderSwitch(uint8_t flags) { World().renderSwitch = flags; }
void SetWorldCamera(int32_t camera) { World().camera = camera; }
