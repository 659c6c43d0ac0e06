// Drawing the faces of one group: a texture group with each face's lightmap on stage 1, or a stage
// set drawn stage after stage with its blending, depth and alpha states, animated frames, lightmap
// stages and texture-coordinate changes.
#include <strings.h>

#include "engine/world/tree_world_render.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;

namespace {

void SetStageDefaults(gfx::Device* device, uint32_t stage) {
  device->SetSamplerState(stage, gfx::SAMP_ADDRESSU, gfx::TADDRESS_WRAP);
  device->SetSamplerState(stage, gfx::SAMP_ADDRESSV, gfx::TADDRESS_WRAP);
  device->SetSamplerState(stage, gfx::SAMP_MINFILTER, gfx::TEXF_LINEAR);
  device->SetSamplerState(stage, gfx::SAMP_MAGFILTER, gfx::TEXF_LINEAR);
  device->SetSamplerState(stage, gfx::SAMP_MIPFILTER, gfx::TEXF_LINEAR);
}

void AddPolygons(uint32_t count) {
  if (CoreData* core = World().core) core->polygonsDrawn += count;
}

// A mesh face is its texture times its vertex colours, without a lightmap.
void DrawMeshFace(gfx::Device* device, const WorldFace& face) {
  device->SetTextureStageState(0, gfx::TSS_COLORARG1, gfx::TA_TEXTURE);
  device->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_MODULATE);
  device->SetTextureStageState(0, gfx::TSS_COLORARG2, gfx::TA_DIFFUSE);
  device->SetTextureStageState(0, gfx::TSS_ALPHAARG1, gfx::TA_TEXTURE);
  device->SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_SELECTARG1);
  SetStageDefaults(device, 0);
  for (uint32_t stage : {1u, 2u}) {
    device->SetTextureStageState(stage, gfx::TSS_COLOROP, gfx::TOP_DISABLE);
    device->SetTextureStageState(stage, gfx::TSS_ALPHAOP, gfx::TOP_DISABLE);
  }
  DrawWorldFace(device, face);
  SetWorldStageDefaults(device);
}

void RenderTextureGroup(gfx::Device* device, const WorldFaceGroup& group) {
  TreeWorld& w = World();
  device->SetTexture(0, group.stageCode >= 0 ? WorldTexture(group.stageCode) : nullptr);
  device->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_ONE);
  device->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_ZERO);
  device->SetRenderState(gfx::RS_ZFUNC, gfx::CMP_LESSEQUAL);
  device->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
  device->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
  device->SetRenderState(gfx::RS_ALPHATESTENABLE, 0);
  for (int32_t f : group.faces) {
    if (!ValidFace(f) || !w.visibleFaces[size_t(f)]) continue;
    const WorldFace& face = w.faces[size_t(f)];
    if (face.texture < 0) continue;
    device->SetTexture(1, WorldLightmap(face.lightmap));
    if (face.type == kWorldMesh)
      DrawMeshFace(device, face);
    else
      DrawWorldFace(device, face);
  }
}

void SetStageBlending(gfx::Device* device, const WorldStage& stage) {
  device->SetRenderState(gfx::RS_SRCBLEND, uint32_t(stage.sourceBlend));
  device->SetRenderState(gfx::RS_DESTBLEND, uint32_t(stage.destBlend));
  device->SetRenderState(gfx::RS_ZFUNC, uint32_t(stage.depthFunc));
  device->SetRenderState(gfx::RS_ZWRITEENABLE, uint32_t(stage.depthWrite));
  device->SetRenderState(gfx::RS_ALPHATESTENABLE, uint32_t(stage.alphaTest));
  device->SetRenderState(gfx::RS_ALPHAREF, stage.alphaRef);
  device->SetRenderState(gfx::RS_ALPHAFUNC, uint32_t(stage.alphaFunc));
}

// Binds the stage's current frame on stage 0; true for a lightmap stage, which binds each face's own
// lightmap instead. The plain white image is the device's empty stage, which samples white.
bool BindStageFrame(gfx::Device* device, const WorldStage& stage) {
  const WorldStageFrame& frame = stage.frames[size_t(StageFrame(stage, GetWorldTimeSeconds()))];
  if (frame.texture >= 0) {
    device->SetTexture(0, WorldTexture(frame.texture));
    return false;
  }
  if (strcasecmp(frame.name.c_str(), "$lightmap") == 0) return true;
  if (strcasecmp(frame.name.c_str(), "$whiteimage") == 0) device->SetTexture(0, nullptr);
  return false;
}

void RenderStageSetGroup(gfx::Device* device, const WorldFaceGroup& group) {
  TreeWorld& w = World();
  const int64_t s = -int64_t(group.stageCode) - 2;
  if (s < 0 || uint64_t(s) >= w.stageSets.size()) return;
  const WorldStageSet& set = w.stageSets[size_t(s)];
  device->SetRenderState(gfx::RS_CULLMODE, uint32_t(set.cullMode));
  device->SetTexture(1, nullptr);
  int32_t drawn = 0;
  for (const WorldStage& stage : set.stages) {
    if (stage.frames.empty()) continue;
    const bool lightmapStage = BindStageFrame(device, stage);
    SetStageBlending(device, stage);
    device->SetTextureStageState(0, gfx::TSS_TEXCOORDINDEX, stage.texCoordSource == 1 ? 1 : 0);
    device->SetTextureStageState(1, gfx::TSS_TEXCOORDINDEX, 1);
    for (int32_t f : group.faces) {
      if (!ValidFace(f) || !w.visibleFaces[size_t(f)]) continue;
      WorldFace& face = w.faces[size_t(f)];
      ApplyStageTexCoordMods(face, stage);
      if (lightmapStage) device->SetTexture(0, WorldLightmap(face.lightmap));
      DrawWorldFace(device, face);
      RestoreFaceTexCoords(face);
      ++drawn;
    }
    device->SetTextureStageState(0, gfx::TSS_TEXCOORDINDEX, 0);
    device->SetTextureStageState(1, gfx::TSS_TEXCOORDINDEX, 1);
    if (drawn == 0) break;
  }
}

}  // namespace

void SetWorldStageDefaults(gfx::Device* device) {
  device->SetTextureStageState(0, gfx::TSS_COLORARG1, gfx::TA_TEXTURE);
  device->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_SELECTARG1);
  device->SetTextureStageState(0, gfx::TSS_ALPHAARG1, gfx::TA_TEXTURE);
  device->SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_SELECTARG1);
  SetStageDefaults(device, 0);
  device->SetTextureStageState(1, gfx::TSS_COLORARG1, gfx::TA_TEXTURE);
  device->SetTextureStageState(1, gfx::TSS_COLOROP, gfx::TOP_MODULATE);
  device->SetTextureStageState(1, gfx::TSS_COLORARG2, gfx::TA_CURRENT);
  device->SetTextureStageState(1, gfx::TSS_ALPHAARG1, gfx::TA_CURRENT);
  device->SetTextureStageState(1, gfx::TSS_ALPHAOP, gfx::TOP_SELECTARG1);
  SetStageDefaults(device, 1);
}

void DrawWorldFace(gfx::Device* device, const WorldFace& face) {
  int32_t vertexCount = 0;
  if (face.type == kWorldPolygon) {
    const WorldVertex* vertices = FaceVertices(face, &vertexCount);
    if (!vertices || vertexCount < 3) return;
    device->DrawPrimitiveUP(gfx::PT_TRIANGLEFAN, uint32_t(vertexCount - 2), vertices, kWorldVertexStride);
    AddPolygons(uint32_t(vertexCount - 2));
  } else if (face.type == kWorldPatch) {
    const WorldPatch* patch = FacePatch(face);
    if (!patch || patch->indices.size() < 3) return;
    const uint32_t triangles = uint32_t(patch->indices.size() / 3);
    device->DrawIndexedPrimitiveUP(gfx::PT_TRIANGLELIST, 0, uint32_t(patch->vertices.size()), triangles,
                                   patch->indices.data(), gfx::FMT_INDEX16, patch->vertices.data(),
                                   kWorldVertexStride);
    AddPolygons(triangles);
  } else if (face.type == kWorldMesh) {
    const WorldVertex* vertices = FaceVertices(face, &vertexCount);
    int32_t indexCount = 0;
    const uint16_t* indices = vertices ? FaceMeshIndices(face, vertexCount, &indexCount) : nullptr;
    if (!indices || indexCount < 3) return;
    const uint32_t triangles = uint32_t(indexCount / 3);
    device->DrawIndexedPrimitiveUP(gfx::PT_TRIANGLELIST, 0, uint32_t(vertexCount), triangles, indices,
                                   gfx::FMT_INDEX16, vertices, kWorldVertexStride);
    AddPolygons(triangles);
  }
}

void RenderWorldFaces(gfx::Device* device, const WorldFaceGroup& group) {
  if (group.stageCode >= -1)
    RenderTextureGroup(device, group);
  else
    RenderStageSetGroup(device, group);
}
