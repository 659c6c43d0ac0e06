// Checked reads across the world's tables: every face, leaf, patch and texture reference is tested
// against the table it points into before anything is read through it.
#include "engine/world/tree_world_state.h"

namespace gfx = platform::gfx;

namespace {

// first .. first + count - 1 inside a table of `size` entries.
bool RangeInside(int32_t first, int32_t count, size_t size) {
  return first >= 0 && count >= 0 && uint64_t(first) + uint64_t(count) <= size;
}

}  // namespace

const WorldVertex* FaceVertices(const WorldFace& face, int32_t* count) {
  const TreeWorld& w = World();
  if (!RangeInside(face.firstVertex, face.vertexCount, w.vertices.size())) return nullptr;
  *count = face.vertexCount;
  return w.vertices.data() + face.firstVertex;
}

WorldVertex* FaceVertices(WorldFace& face, int32_t* count) {
  return const_cast<WorldVertex*>(FaceVertices(static_cast<const WorldFace&>(face), count));
}

const uint16_t* FaceMeshIndices(const WorldFace& face, int32_t vertexCount, int32_t* count) {
  const TreeWorld& w = World();
  if (!RangeInside(face.firstMeshIndex, face.meshIndexCount, w.meshIndices.size())) return nullptr;
  const uint16_t* indices = w.meshIndices.data() + face.firstMeshIndex;
  for (int32_t i = 0; i < face.meshIndexCount; ++i)
    if (indices[i] >= vertexCount) return nullptr;
  *count = face.meshIndexCount;
  return indices;
}

WorldPatch* FacePatch(const WorldFace& face) {
  TreeWorld& w = World();
  if (face.patch < 0 || size_t(face.patch) >= w.patches.size()) return nullptr;
  WorldPatch& patch = w.patches[size_t(face.patch)];
  if (patch.vertices.empty()) return nullptr;
  for (uint16_t index : patch.indices)
    if (index >= patch.vertices.size()) return nullptr;
  return &patch;
}

const WorldStageSet* FaceStageSet(const WorldFace& face) {
  const TreeWorld& w = World();
  return face.stageSet >= 0 && size_t(face.stageSet) < w.stageSets.size() ? &w.stageSets[size_t(face.stageSet)]
                                                                            : nullptr;
}

const int32_t* LeafFaceNumbers(const WorldLeaf& leaf, int32_t* count) {
  const TreeWorld& w = World();
  if (!RangeInside(leaf.firstLeafFace, leaf.leafFaceCount, w.leafFaces.size())) return nullptr;
  *count = leaf.leafFaceCount;
  return w.leafFaces.data() + leaf.firstLeafFace;
}

bool ValidFace(int32_t face) {
  const TreeWorld& w = World();
  return face >= 0 && size_t(face) < w.faces.size() && size_t(face) < w.sourceFaces.size() &&
         size_t(face) < w.visibleFaces.size();
}

gfx::Texture* WorldTexture(int32_t texture) {
  const WorldTextureEntry* entry = World().textures.At(texture);
  return entry ? entry->texture.Get() : nullptr;
}

gfx::Texture* WorldLightmap(int32_t lightmap) {
  const WorldLightmapEntry* entry = World().lightmaps.At(lightmap);
  return entry ? entry->texture.Get() : nullptr;
}

bool ClusterVisible(int32_t from, int32_t to) {
  const TreeWorld& w = World();
  if (from < 0 || to < 0 || from >= w.clusterCount || to >= w.clusterCount || w.bytesPerRow <= 0) return false;
  const uint64_t byte = uint64_t(from) * uint64_t(w.bytesPerRow) + uint64_t(to >> 3);
  if (uint64_t(to >> 3) >= uint64_t(w.bytesPerRow) || byte >= w.visibility.size()) return false;
  return (w.visibility[byte] >> (to & 7)) & 1;
}
