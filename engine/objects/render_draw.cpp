// Drawing one mesh from its place in the buffers, and one object frame by frame.
#include <algorithm>
#include <cstring>

#include "engine/objects/effect_object.h"
#include "engine/objects/object_manager.h"
#include "engine/objects/object_matrix.h"
#include "engine/objects/render_objects.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;

namespace {

constexpr uint32_t kChunkPrimitives = 21845;  // 65535 vertices of a triangle list

uint32_t Bits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

void CountDraw(uint32_t primitives) {
  if (CoreData* core = RendererCoreData()) {
    core->polygonsDrawn += primitives;
    core->drawCalls += 1;
  }
}

void SetPointSprites(gfx::Device* device, bool on) {
  if (on) {
    device->SetRenderState(gfx::RS_POINTSPRITEENABLE, 1);
    device->SetRenderState(gfx::RS_POINTSCALEENABLE, 1);
    device->SetRenderState(gfx::RS_POINTSIZE, Bits(10.0f));
    device->SetRenderState(gfx::RS_POINTSIZE_MIN, Bits(0.0f));
    device->SetRenderState(gfx::RS_POINTSIZE_MAX, Bits(10.0f));
    device->SetRenderState(gfx::RS_POINTSCALE_A, Bits(0.2f));
    device->SetRenderState(gfx::RS_POINTSCALE_B, Bits(0.0f));
    device->SetRenderState(gfx::RS_POINTSCALE_C, Bits(0.8f));
  } else {
    device->SetRenderState(gfx::RS_POINTSPRITEENABLE, 0);
    device->SetRenderState(gfx::RS_LIGHTING, 1);
    device->SetRenderState(gfx::RS_COLORVERTEX, 0);
  }
}

}  // namespace

// The draw calls of the whole place: one call, or unindexed triangle-list chunks when one call is
// too much; false when an indexed call failed.
bool ObjectManager::DrawPlacePrimitives(const DrawBufferInfo& place) {
  gfx::Device* device = RendererDevice();
  uint32_t type = place.primitiveType;
  if (!place.indexBuffer) {
    if (gfx::Failed(device->DrawPrimitive(type, place.firstVertex, place.primitiveCount))) {
      // Too much for one call: triangle-list chunks of at most 65535 vertices.
      uint32_t start = place.firstVertex;
      uint32_t remaining = place.primitiveCount;
      for (uint32_t chunk = 0; chunk <= place.primitiveCount / kChunkPrimitives && remaining > 0; ++chunk) {
        uint32_t count = std::min(remaining, kChunkPrimitives);
        if (gfx::Failed(device->DrawPrimitive(type, start, count))) break;
        start += count * 3;
        remaining -= count;
      }
    }
    CountDraw(place.primitiveCount);
    return true;
  }
  if (gfx::Failed(device->DrawIndexedPrimitive(type, int32_t(place.baseVertex), place.firstVertex,
                                               place.vertexCount, place.startIndex, place.primitiveCount)))
    return false;
  CountDraw(place.primitiveCount);
  return true;
}

// The draw calls of one pass over the mesh's place, subset by subset when the subsets name the
// textures; false when a call failed (the mesh's other passes are then skipped).
bool ObjectManager::DrawMeshPrimitives(MeshRecord* mesh, const DrawBufferInfo& place) {
  if (!place.indexBuffer || !mesh->subsetTextures) return DrawPlacePrimitives(place);
  gfx::Device* device = RendererDevice();
  uint32_t type = place.primitiveType;
  bool drawn = true;
  uint32_t indexCount = uint32_t(std::max(mesh->indexCount, 0));
  for (const MaterialSubset& subset : mesh->subsets) {
    device->SetTexture(0, subset.texture);
    SetMeshMaterial(mesh, subset.material);
    // A subset from a model file may claim more triangles than the mesh's indices hold.
    if (subset.firstIndex >= indexCount) continue;
    uint32_t triangles = std::min(subset.triangleCount, (indexCount - subset.firstIndex) / 3);
    if (triangles == 0) continue;
    if (gfx::Failed(device->DrawIndexedPrimitive(type, int32_t(place.baseVertex), place.firstVertex,
                                                 place.vertexCount, place.startIndex + subset.firstIndex,
                                                 triangles))) {
      drawn = false;
      break;
    }
    CountDraw(triangles);
  }
  lastTexture = kTexturesAfterSubsets;
  return drawn;
}

// The mesh's effect draws it pass by pass; false when the effect has no pass to give (it did not
// begin), so the mesh draws through the fixed pipeline instead of not at all.
bool ObjectManager::DrawMeshWithEffect(MeshRecord* mesh, const DrawBufferInfo& place) {
  gfx::Matrix world;
  RendererDevice()->GetTransform(gfx::TS_WORLD, &world);
  const uint32_t passes = mesh->effect->Begin(mesh, world);
  platform::d3dx::Effect* effect = mesh->effect->effect;
  for (uint32_t p = 0; p < passes; ++p) {
    if (gfx::Failed(effect->BeginPass(p))) break;
    const bool drawn = DrawMeshPrimitives(mesh, place);
    effect->EndPass();
    if (!drawn) break;
  }
  mesh->effect->End();
  return passes > 0;
}

// The mesh's texture stages, then its textures (stage 0's only when its image changed).
bool ObjectManager::SetMeshStagesAndTextures(const MeshRecord* mesh) {
  gfx::Device* device = RendererDevice();
  if (!SetMeshTextureStages(mesh)) return false;
  if (mesh->stages.empty()) {
    device->SetTexture(0, nullptr);
    lastTexture = 0;
    return true;
  }
  currentTexture = mesh->stages[0].image;
  if (currentTexture != lastTexture || mesh->stages.size() > 1) {
    for (const TextureStage& stage : mesh->stages) {
      if (stage.stage >= 8) continue;
      gfx::Texture* texture = stage.imageTexture ? stage.imageTexture : stage.deviceTexture;
      if (gfx::Failed(device->SetTexture(stage.stage, texture))) break;
    }
    lastTexture = currentTexture;
  }
  return true;
}

bool ObjectManager::DrawMesh(MeshRecord* mesh) {
  if (!mesh || !mesh->bufferPlace || !RendererDevice()) return true;
  // Meshes of the same states in a row (the draw list groups them) send only their streams.
  return DrawMeshAt(mesh, *mesh->bufferPlace, RepeatsLastState(mesh));
}

bool ObjectManager::DrawMeshAt(MeshRecord* mesh, const DrawBufferInfo& place, bool repeated) {
  gfx::Device* device = RendererDevice();
  if (!repeated && !SetMeshRenderStates(mesh)) return false;
  if (!SetStreamsCached(place) || !SetVertexFormatCached(mesh)) return false;
  bool points = place.primitiveType == gfx::PT_POINTLIST;
  if (points) SetPointSprites(device, true);
  if (mesh->effect && DrawMeshWithEffect(mesh, place)) {
    if (points) SetPointSprites(device, false);
    NoteEffectStateMesh(mesh);
    lastTexture = kTexturesAfterSubsets;  // the effect's passes set textures of their own
    return true;
  }
  // What repeated for a mesh of an effect that gave no pass were its render states, not its stages.
  if (!(repeated && !mesh->effect) && !SetMeshStagesAndTextures(mesh)) return false;
  DrawMeshPrimitives(mesh, place);
  if (points) SetPointSprites(device, false);
  NoteStateMesh(mesh);
  return true;
}

bool ObjectManager::DrawObject(ObjectRecord* object) {
  gfx::Device* device = RendererDevice();
  if (!object || !device) return false;
  RefreshObjectMatrix(object);
  if (!object->visible || !object->areaVisible || object->noMeshes == 1) return true;
  bool worldSpace = object->neverCulled != 0;  // its vertices are already in world space
  gfx::Matrix world = worldSpace ? platform::d3dx::MatrixIdentity() : object->placement.worldMatrix;
  if (gfx::Failed(device->SetTransform(gfx::TS_WORLD, &world))) return false;

  ObjectRecord* source = object->instanceSource ? object->instanceSource : object;
  // drawByteC is the object's texture-factor-alpha byte and drawWord its colour.
  bool factorAlpha = object->instanceSource && object->drawByteC;
  if (factorAlpha) {
    device->SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
    device->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    device->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
    device->SetRenderState(gfx::RS_ALPHATESTENABLE, 1);
    device->SetRenderState(gfx::RS_ALPHAFUNC, gfx::CMP_GREATER);
    device->SetRenderState(gfx::RS_ALPHAREF, 0);
    device->SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_SELECTARG1);
    device->SetTextureStageState(0, gfx::TSS_ALPHAARG1, gfx::TA_TFACTOR);
    device->SetRenderState(gfx::RS_TEXTUREFACTOR, object->drawWord);
    textureFactorAlpha = 1;
    lastStateMesh = nullptr;
  }
  bool result = true;
  const std::vector<uint8_t>& frameShown = object->workBlock;
  for (FrameRecord* frame : source->frameList) {
    if (!frame) continue;
    if (!frameShown.empty() && frame->index < frameShown.size() && frameShown[frame->index] == 0) continue;
    MeshRecord* mesh = frame->mesh.get();
    // An instance computes its world matrices in its source's frames: neither keeps them.
    if (!frame->worldMatrixValid || object->instanceSource) UpdateFrameWorldMatrix(object, frame, mesh);
    if (object->instanceSource) frame->worldMatrixValid = 0;
    if (!mesh) continue;
    if (!mesh->ownTransform && !worldSpace &&
        gfx::Failed(device->SetTransform(gfx::TS_WORLD, &frame->worldMatrix))) {
      result = false;
      break;
    }
    if (!DrawMesh(mesh)) {
      result = false;
      break;
    }
    if (mesh->ownTransform && !worldSpace) device->MultiplyTransform(gfx::TS_WORLD, &frame->combinedMatrix);
  }
  textureFactorAlpha = 0;
  return result;
}
