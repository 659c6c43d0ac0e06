// Attaching and detaching the shader effect of a mesh.
#include "engine/objects/effect_object.h"
#include "engine/objects/mesh_conversion.h"
#include "engine/objects/mesh_state.h"
#include "engine/objects/object_table.h"
#include "engine/objects/record_links.h"

namespace {

// Vertex shader version 1.1 or later (the version word keeps major and minor in its low 16 bits).
bool CanUseVertexShaders() {
  const ObjectModuleState& state = GetObjectModuleState();
  return state.device && (state.caps.vertexShaderVersion & 0xFFFFu) >= 0x0101u;
}

}  // namespace

bool PrepareMeshForEffect(MeshRecord* mesh, int32_t stageCount) {
  if (!mesh) return false;
  DetachMeshEffect(mesh);
  if (!CanUseVertexShaders()) return false;
  if (stageCount > 0) GrowTextureLayers(mesh, stageCount - 1);
  if (mesh->savedFvf == 0) mesh->savedFvf = mesh->fvf;
  return true;
}

bool AttachEffectToMesh(MeshRecord* mesh, int32_t stageCount, EffectObject* effect) {
  if (!PrepareMeshForEffect(mesh, stageCount)) return false;
  mesh->hasEffect = 1;
  mesh->effect = effect;
  if (!effect) return false;
  mesh->effectAttached = 1;
  return true;
}

bool SetMeshEffect(MeshRecord* mesh, EffectObject* effect) {
  if (!mesh) return false;
  if (!effect) {
    DetachMeshEffect(mesh);
    return true;
  }
  if (!AttachEffectToMesh(mesh, int32_t(mesh->stages.size()), effect)) return false;
  effect->inUse = 1;
  // The effect's layout replaces the vertices that skinning would start from.
  mesh->backupVertices.clear();
  effect->generateNormals = 1;
  if (!effect->ConvertMesh(mesh)) {
    mesh->effect = nullptr;
    mesh->hasEffect = mesh->effectAttached = 0;
    return false;
  }
  effect->GenerateTangents(mesh);
  CopyRecordName(mesh->effectFileName, effect->fileName);
  return true;
}

void DetachMeshEffect(MeshRecord* mesh) {
  if (!mesh) return;
  if (mesh->effect && !mesh->effectShared) {
    DeleteRecordEffect(mesh->effect);
    ReleaseRecordDeclaration(mesh->effectDeclaration);
    mesh->effectDeclaration = nullptr;
    mesh->hasEffect = 0;
    mesh->effectAttached = 0;
    // The layout the effect asked for goes back to the one the mesh had before it.
    if (mesh->savedFvf != 0 && mesh->savedFvf != mesh->fvf) RestoreMeshFVF(mesh);
  } else if (mesh->effectShared) {
    mesh->hasEffect = 0;
    mesh->effectAttached = 0;
  }
  mesh->effect = nullptr;
  mesh->effectShared = 0;
  mesh->effectFileName[0] = '\0';
}
