// Grouping each mesh's triangles by material, once the whole tree is read: a mesh whose materials
// name different textures (or none at all) is drawn subset by subset, each with its own texture and
// colours; a mesh whose materials all name one texture keeps one stage.
#include <cstring>

#include "engine/formats/x_converter_state.h"

namespace {

// Whether the mesh wants subsets; collapses stages that all name one texture into one.
bool CheckMaterialTextures(MeshRecord* mesh) {
  if (mesh->stages.size() <= 1) {
    mesh->materials.clear();
    return false;
  }
  const char* first = mesh->stages[0].fileName;
  bool allEqual = true;
  for (const TextureStage& stage : mesh->stages) allEqual = allEqual && std::strcmp(stage.fileName, first) == 0;
  if (!allEqual || first[0] == '\0') return true;
  TextureStage kept = std::move(mesh->stages[0]);
  mesh->stages.clear();
  mesh->stages.push_back(std::move(kept));
  mesh->materials.clear();
  return false;
}

// A mesh of plain vertices (too large for 16-bit indices) has no index list to group, so it is drawn
// whole with its first material's stage.
void KeepFirstStage(MeshRecord* mesh) {
  mesh->stages.resize(1);
  mesh->materials.clear();
}

// Triangles are placed material by material, each in its file order; a triangle whose material the
// mesh does not have falls in no subset, and the index list shrinks by it.
void GroupTrianglesBySubset(MeshRecord* mesh) {
  const size_t count = mesh->stages.size();
  const size_t triangles = mesh->triangleMaterials.size();
  std::vector<uint16_t> grouped;
  grouped.reserve(mesh->indices.size());
  mesh->subsets.assign(count, MaterialSubset{});
  for (size_t i = 0; i < count; ++i) {
    MaterialSubset& subset = mesh->subsets[i];
    subset.firstIndex = uint32_t(grouped.size());
    for (size_t t = 0; t < triangles; ++t) {
      if (mesh->triangleMaterials[t] != i) continue;
      grouped.insert(grouped.end(), mesh->indices.begin() + 3 * t, mesh->indices.begin() + 3 * t + 3);
      ++subset.triangleCount;
    }
    subset.indexCount = 3 * subset.triangleCount;
    CopyRecordName(subset.name, mesh->stages[i].fileName);
    subset.material = mesh->materials[i];
  }
  mesh->indices = std::move(grouped);
  mesh->indexCount = int32_t(mesh->indices.size());
  mesh->drawPrimitiveCount = mesh->indexCount / 3;
  mesh->subsetTextures = 1;
  mesh->materials.clear();
}

}  // namespace

bool BuildMaterialSubsets(ObjectRecord* object) {
  for (MeshRecord* mesh : object->meshList) {
    if (CheckMaterialTextures(mesh)) {
      if (mesh->indexCount > 0 && mesh->triangleMaterials.size() * 3 == mesh->indices.size()) GroupTrianglesBySubset(mesh);
      else KeepFirstStage(mesh);
    }
    mesh->triangleMaterials.clear();
  }
  return true;
}
