// The renderer's cache of device state: what the start of a pass sets, and the per-mesh states
// (render bytes, material, vertex format, streams, texture stages) sent only when they change.
#include <cstring>

#include "engine/objects/object_manager.h"
#include "engine/objects/render_objects.h"
#include "engine/objects/render_state_key.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;

namespace {

constexpr int kStages = 8;

uint32_t Bits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

gfx::Material ToDeviceMaterial(const MeshMaterial& m) {
  return gfx::Material{m.diffuse, m.ambient, m.specular, m.emissive, m.power};
}

// Blend factors of the translucent modes; false for a mode that leaves them unchanged.
bool TranslucentBlend(uint32_t mode, uint32_t* source, uint32_t* dest) {
  switch (mode) {
    case 0: *source = gfx::BLEND_ONE; *dest = gfx::BLEND_INVSRCCOLOR; return true;
    case 1: *source = gfx::BLEND_DESTCOLOR; *dest = gfx::BLEND_SRCCOLOR; return true;
    case 2: *source = gfx::BLEND_SRCCOLOR; *dest = gfx::BLEND_ONE; return true;
    case 3: *source = gfx::BLEND_SRCALPHA; *dest = gfx::BLEND_SRCALPHA; return true;
    case 4: *source = gfx::BLEND_SRCCOLOR; *dest = gfx::BLEND_DESTCOLOR; return true;
    default: return false;
  }
}

// Stage 0 modulates texture and diffuse colour; the others are off.
void SetDefaultStageOp(gfx::Device* device, uint32_t s) {
  if (s == 0) {
    device->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_MODULATE);
    device->SetTextureStageState(0, gfx::TSS_COLORARG1, gfx::TA_TEXTURE);
    device->SetTextureStageState(0, gfx::TSS_COLORARG2, gfx::TA_DIFFUSE);
  } else {
    device->SetTextureStageState(s, gfx::TSS_COLOROP, gfx::TOP_DISABLE);
  }
}

}  // namespace

bool RepeatableState(const MeshRecord& mesh) {
  if (mesh.stages.size() > 1 || mesh.subsetTextures || mesh.primitiveType == gfx::PT_POINTLIST) return false;
  if (mesh.hasEffect || mesh.effectAttached || mesh.effect) return false;
  return mesh.stages.empty() || (mesh.stages[0].texCoordMode != 1 && mesh.stages[0].texCoordMode != 2);
}

bool SameDrawState(const MeshRecord& a, const MeshRecord& b) {
  if (a.wireframe != b.wireframe || a.lighting != b.lighting || a.culling != b.culling || a.fog != b.fog ||
      a.ambient != b.ambient || a.transparency != b.transparency || a.alphaRef != b.alphaRef ||
      a.translucent != b.translucent || a.translucentMode != b.translucentMode || a.zWrite != b.zWrite ||
      a.zEnable != b.zEnable || a.depthBiasOn != b.depthBiasOn || a.depthBias != b.depthBias ||
      a.slopeScaleDepthBias != b.slopeScaleDepthBias || a.mipLodBias != b.mipLodBias ||
      a.ownMaterial != b.ownMaterial || a.textureFactorAlpha != b.textureFactorAlpha ||
      a.textureFactor != b.textureFactor || a.fvf != b.fvf || a.stages.size() != b.stages.size())
    return false;
  if (a.ownMaterial && std::memcmp(&a.material, &b.material, sizeof a.material) != 0) return false;
  if (a.stages.empty()) return true;
  const TextureStage& s = a.stages[0];
  const TextureStage& t = b.stages[0];
  return s.image == t.image && s.imageTexture == t.imageTexture && s.deviceTexture == t.deviceTexture &&
         s.stage == t.stage && s.colorOp == t.colorOp && s.colorArg1 == t.colorArg1 && s.colorArg2 == t.colorArg2 &&
         s.addressU == t.addressU && s.addressV == t.addressV && s.magFilter == t.magFilter &&
         s.minFilter == t.minFilter && s.mipFilter == t.mipFilter && s.texCoordMode == t.texCoordMode;
}

// A mesh drawn by its effect whose render states a mesh drawn by an effect after it may repeat: the
// effects' End put back what they set, neither sets texture stages, and nothing after its draw calls
// changes a state (point sprites and subset materials would).
static bool EffectStateRepeatable(const MeshRecord& mesh) {
  return mesh.effect && !mesh.subsetTextures && mesh.primitiveType != gfx::PT_POINTLIST;
}

bool ObjectManager::RepeatsStateOf(const MeshRecord& mesh, const MeshRecord& last) {
  if (last.effect) return EffectStateRepeatable(mesh) && SameDrawState(mesh, last);
  return RepeatableState(mesh) && SameDrawState(mesh, last);
}

bool ObjectManager::RepeatsLastState(const MeshRecord* mesh) const {
  if (!repeatStates || !lastStateMesh || textureFactorAlpha) return false;
  return RepeatsStateOf(*mesh, *lastStateMesh);
}

void ObjectManager::NoteStateMesh(const MeshRecord* mesh) {
  lastStateMesh = (!textureFactorAlpha && RepeatableState(*mesh)) ? mesh : nullptr;
}

void ObjectManager::NoteEffectStateMesh(const MeshRecord* mesh) {
  lastStateMesh = (!textureFactorAlpha && EffectStateRepeatable(*mesh)) ? mesh : nullptr;
}

void ObjectManager::ResetStateCache() {
  lastStateMesh = nullptr;
  currentTexture = lastTexture = kNoTextureSet;
  lastStageCount = 0;
  currentVertexShader = lastVertexShader = nullptr;
  currentFvf = lastFvf = 0;
  forceVertexFormat = forceStreams = 1;
  SetCullModeCached();
}

void ObjectManager::SetCullModeCached() {
  lastStateMesh = nullptr;
  currentCull = frameCull;
  if (gfx::Device* device = RendererDevice()) device->SetRenderState(gfx::RS_CULLMODE, currentCull);
  culling = 1;
}

bool ObjectManager::SetDefaultRenderStates() {
  gfx::Device* device = RendererDevice();
  if (!device) return false;
  lastStateMesh = nullptr;
  device->GetRenderState(gfx::RS_AMBIENT, &savedAmbient);
  device->GetRenderState(gfx::RS_FOGCOLOR, &savedFogColor);
  device->SetRenderState(gfx::RS_FILLMODE, gfx::FILL_SOLID);
  device->SetRenderState(gfx::RS_LIGHTING, 1);
  device->SetRenderState(gfx::RS_FOGENABLE, 0);
  device->SetRenderState(gfx::RS_AMBIENT, savedAmbient);
  device->SetRenderState(gfx::RS_ALPHATESTENABLE, 0);
  device->SetRenderState(gfx::RS_ALPHAFUNC, gfx::CMP_ALWAYS);
  device->SetRenderState(gfx::RS_DEPTHBIAS, 0);
  device->SetRenderState(gfx::RS_ZENABLE, 1);
  device->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
  device->SetRenderState(gfx::RS_ALPHABLENDENABLE, 0);
  device->SetRenderState(gfx::RS_SLOPESCALEDEPTHBIAS, 0);
  device->SetRenderState(gfx::RS_COLORVERTEX, 1);
  device->SetRenderState(gfx::RS_DIFFUSEMATERIALSOURCE, gfx::MCS_COLOR1);
  device->SetRenderState(gfx::RS_SPECULARMATERIALSOURCE, gfx::MCS_MATERIAL);
  device->SetRenderState(gfx::RS_AMBIENTMATERIALSOURCE, gfx::MCS_MATERIAL);
  device->SetRenderState(gfx::RS_EMISSIVEMATERIALSOURCE, gfx::MCS_MATERIAL);
  device->SetRenderState(gfx::RS_SPECULARENABLE, 1);
  wireframe = 0;
  lighting = 1;
  fog = 0;
  ambientMode = 1;
  alphaTest = 0;
  translucent = 0;
  depthBias = 0;
  if (gfx::Failed(device->SetMaterial(&defaultMaterial))) return false;
  for (uint32_t s = 0; s < kStages; ++s) {
    device->SetSamplerState(s, gfx::SAMP_ADDRESSU, gfx::TADDRESS_WRAP);
    device->SetSamplerState(s, gfx::SAMP_ADDRESSV, gfx::TADDRESS_WRAP);
    device->SetSamplerState(s, gfx::SAMP_MAGFILTER, gfx::TEXF_LINEAR);
    device->SetSamplerState(s, gfx::SAMP_MINFILTER, gfx::TEXF_LINEAR);
    device->SetSamplerState(s, gfx::SAMP_MIPFILTER, gfx::TEXF_LINEAR);
    addressU[s] = addressV[s] = gfx::TADDRESS_WRAP;
    magFilter[s] = minFilter[s] = mipFilter[s] = gfx::TEXF_LINEAR;
    SetDefaultStageOp(device, s);
    device->SetTextureStageState(s, gfx::TSS_TEXCOORDINDEX, s);
    device->SetTextureStageState(s, gfx::TSS_TEXTURETRANSFORMFLAGS, gfx::TTFF_DISABLE);
  }
  return true;
}

void ObjectManager::RestoreDefaultStages() {
  gfx::Device* device = RendererDevice();
  if (!device) return;
  lastStateMesh = nullptr;
  device->SetPixelShader(nullptr);
  for (uint32_t s = 0; s < 7; ++s) {
    device->SetSamplerState(s, gfx::SAMP_MAGFILTER, gfx::TEXF_LINEAR);
    device->SetSamplerState(s, gfx::SAMP_MINFILTER, gfx::TEXF_LINEAR);
    device->SetSamplerState(s, gfx::SAMP_MIPFILTER, gfx::TEXF_LINEAR);
    device->SetTextureStageState(s, gfx::TSS_TEXCOORDINDEX, s);
    SetDefaultStageOp(device, s);
  }
  device->SetRenderState(gfx::RS_AMBIENT, savedAmbient);
  device->SetRenderState(gfx::RS_FOGCOLOR, savedFogColor);
}

bool ObjectManager::SetVertexFormatCached(const MeshRecord* mesh) {
  if (!mesh) return false;
  return SetVertexFormatCached(mesh->hasEffect ? mesh->vertexShader : nullptr, mesh->fvf, mesh->deviceDeclaration);
}

bool ObjectManager::SetVertexFormatCached(gfx::VertexShader* shader, uint32_t fvf,
                                          gfx::VertexDeclaration* declaration) {
  gfx::Device* device = RendererDevice();
  if (!device) return false;
  bool forced = forceVertexFormat != 0;
  forceVertexFormat = 0;
  currentVertexShader = shader;
  currentFvf = fvf;
  if (forced || currentVertexShader != lastVertexShader) {
    if (gfx::Failed(device->SetVertexShader(currentVertexShader))) return false;
    lastVertexShader = currentVertexShader;
  }
  if (forced || currentFvf != lastFvf || currentFvf == 0) {
    if (currentFvf == 0) {
      if (gfx::Failed(device->SetVertexDeclaration(declaration))) return false;
      if (!currentVertexShader && gfx::Failed(device->SetFVF(0))) return false;
    } else if (gfx::Failed(device->SetFVF(currentFvf))) {
      return false;
    }
    lastFvf = currentFvf;
  }
  return true;
}

bool ObjectManager::SetStreamsCached(const MeshRecord* mesh) {
  if (!mesh || !mesh->bufferPlace) return false;
  return SetStreamsCached(*mesh->bufferPlace);
}

bool ObjectManager::SetStreamsCached(const DrawBufferInfo& place) {
  gfx::Device* device = RendererDevice();
  if (!device) return false;
  currentVertexBuffer = place.vertexBuffer;
  currentIndexBuffer = place.indexBuffer;
  bool forced = forceStreams != 0;
  if (forced || currentVertexBuffer != lastVertexBuffer) {
    if (gfx::Failed(device->SetStreamSource(0, currentVertexBuffer, 0, place.stride))) return false;
    lastVertexBuffer = currentVertexBuffer;
  }
  if (forced || currentIndexBuffer != lastIndexBuffer) {
    lastIndexBuffer = currentIndexBuffer;
    if (currentIndexBuffer && gfx::Failed(device->SetIndices(currentIndexBuffer))) return false;
  }
  forceStreams = 0;
  return true;
}

bool ObjectManager::SetMeshMaterial(const MeshRecord* mesh, const MeshMaterial& material) {
  gfx::Device* device = RendererDevice();
  if (!mesh || !device) return false;
  if (!mesh->ownMaterial) {
    device->SetRenderState(gfx::RS_COLORVERTEX, 1);
    device->SetRenderState(gfx::RS_DIFFUSEMATERIALSOURCE, gfx::MCS_COLOR1);
    return gfx::Succeeded(device->SetMaterial(&defaultMaterial));
  }
  device->SetRenderState(gfx::RS_COLORVERTEX, 0);
  device->SetRenderState(gfx::RS_DIFFUSEMATERIALSOURCE, gfx::MCS_MATERIAL);
  gfx::Material m = ToDeviceMaterial(material);
  return gfx::Succeeded(device->SetMaterial(&m));
}

bool ObjectManager::SetMeshRenderStates(const MeshRecord* mesh) {
  gfx::Device* device = RendererDevice();
  if (!mesh || !device) return false;
  if (mesh->wireframe != wireframe) {
    device->SetRenderState(gfx::RS_FILLMODE, mesh->wireframe ? gfx::FILL_WIREFRAME : gfx::FILL_SOLID);
    wireframe = mesh->wireframe;
  }
  if (mesh->lighting != lighting) {
    device->SetRenderState(gfx::RS_LIGHTING, mesh->lighting ? 1 : 0);
    lighting = mesh->lighting;
  }
  if (mesh->culling != culling) {
    device->SetRenderState(gfx::RS_CULLMODE, mesh->culling ? currentCull : gfx::CULL_NONE);
    culling = mesh->culling;
  }
  CoreData* core = RendererCoreData();
  if (core && core->fogOn == 1) {
    if (mesh->fog != fog) {
      device->SetRenderState(gfx::RS_FOGENABLE, mesh->fog ? 1 : 0);
      fog = mesh->fog;
    }
    if (!mesh->fog || !mesh->translucent) {
      device->SetRenderState(gfx::RS_FOGCOLOR, savedFogColor);
      fogColorBlack = 0;
    } else if (!fogColorBlack) {
      // Translucent meshes add their colour: black fog keeps distant ones from glowing.
      device->SetRenderState(gfx::RS_FOGCOLOR, 0);
      fogColorBlack = 1;
    }
  }
  if (!mesh->ambient) {
    bool textured = !mesh->stages.empty() && mesh->stages[0].image != 0;
    device->SetRenderState(gfx::RS_AMBIENT, textured ? 0xFFFFFFFFu : 0u);
    ambientMode = textured ? 2 : 0;
  } else if (ambientMode != 1) {
    device->SetRenderState(gfx::RS_AMBIENT, savedAmbient);
    ambientMode = 1;
  }

  bool sendTranslucency = true;
  bool sameTransparency = mesh->transparency == alphaTest && mesh->alphaRef == alphaRef;
  if (sameTransparency && !(mesh->transparency && translucent)) {
    sendTranslucency = mesh->translucent != translucent || mesh->translucentMode != translucentMode;
  } else if (!mesh->transparency) {
    device->SetRenderState(gfx::RS_ALPHABLENDENABLE, 0);
    device->SetRenderState(gfx::RS_ALPHATESTENABLE, 0);
    device->SetRenderState(gfx::RS_ALPHAFUNC, gfx::CMP_ALWAYS);
    alphaTest = 0;
  } else {
    device->SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
    device->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    device->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
    device->SetRenderState(gfx::RS_ALPHATESTENABLE, 1);
    if (mesh->alphaRef == 0) {
      device->SetRenderState(gfx::RS_ALPHAFUNC, gfx::CMP_GREATER);
      device->SetRenderState(gfx::RS_ALPHAREF, 0);
    } else {
      device->SetRenderState(gfx::RS_ALPHAFUNC, gfx::CMP_GREATEREQUAL);
      device->SetRenderState(gfx::RS_ALPHAREF, mesh->alphaRef);
    }
    alphaTest = 1;
    alphaRef = mesh->alphaRef;
  }
  if (sendTranslucency) {
    if (!mesh->translucent) {
      if (!mesh->transparency) device->SetRenderState(gfx::RS_ALPHABLENDENABLE, 0);
    } else {
      device->SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
      uint32_t source, dest;
      if (TranslucentBlend(mesh->translucentMode, &source, &dest)) {
        device->SetRenderState(gfx::RS_SRCBLEND, source);
        device->SetRenderState(gfx::RS_DESTBLEND, dest);
      }
    }
    translucent = mesh->translucent;
    translucentMode = mesh->translucentMode;
  }

  device->SetRenderState(gfx::RS_ZWRITEENABLE, mesh->zWrite ? 1 : 0);
  if (mesh->depthBiasOn) {
    device->SetRenderState(gfx::RS_DEPTHBIAS, Bits(mesh->depthBias));
    device->SetRenderState(gfx::RS_SLOPESCALEDEPTHBIAS, Bits(mesh->slopeScaleDepthBias));
    depthBias = 1;
  } else if (depthBias) {
    device->SetRenderState(gfx::RS_DEPTHBIAS, 0);
    device->SetRenderState(gfx::RS_SLOPESCALEDEPTHBIAS, 0);
    depthBias = 0;
  }
  device->SetRenderState(gfx::RS_ZENABLE, mesh->zEnable ? 1 : 0);
  SetMeshMaterial(mesh, mesh->material);
  device->SetSamplerState(0, gfx::SAMP_MIPMAPLODBIAS, Bits(mesh->mipLodBias));
  return true;
}

bool ObjectManager::SetMeshTextureStages(const MeshRecord* mesh) {
  gfx::Device* device = RendererDevice();
  if (!mesh || !device) return false;
  // Stage numbers and counts come from model files: only the device's eight stages are addressed.
  uint32_t count = uint32_t(mesh->stages.size());
  for (uint32_t s = count; s < lastStageCount && s < kStages; ++s)
    device->SetTextureStageState(s, gfx::TSS_COLOROP, gfx::TOP_DISABLE);
  for (uint32_t i = 0; i < count && i < kStages; ++i) {
    const TextureStage& stage = mesh->stages[i];
    uint32_t s = stage.stage;
    if (s >= kStages) continue;
    device->SetSamplerState(s, gfx::SAMP_ADDRESSU, stage.addressU);
    device->SetSamplerState(s, gfx::SAMP_ADDRESSV, stage.addressV);
    device->SetSamplerState(s, gfx::SAMP_MAGFILTER, stage.magFilter);
    device->SetSamplerState(s, gfx::SAMP_MINFILTER, stage.minFilter);
    device->SetSamplerState(s, gfx::SAMP_MIPFILTER, stage.mipFilter);
    addressU[i] = stage.addressU;
    addressV[i] = stage.addressV;
    magFilter[i] = stage.magFilter;
    minFilter[i] = stage.minFilter;
    mipFilter[i] = stage.mipFilter;
    if (mesh->effectAttached) {
      device->SetPixelShader(mesh->pixelShader);
      continue;
    }
    device->SetPixelShader(nullptr);
    device->SetTextureStageState(s, gfx::TSS_COLOROP, stage.colorOp);
    device->SetTextureStageState(s, gfx::TSS_COLORARG1, stage.colorArg1);
    device->SetTextureStageState(s, gfx::TSS_COLORARG2, stage.colorArg2);
    if (!textureFactorAlpha) {
      if (mesh->textureFactorAlpha) {
        if (s == count - 1) {
          device->SetTextureStageState(s, gfx::TSS_ALPHAOP, stage.colorOp);
          device->SetTextureStageState(s, gfx::TSS_ALPHAARG2, stage.colorArg1);
          device->SetTextureStageState(0, gfx::TSS_ALPHAARG1, gfx::TA_TFACTOR);
          device->SetRenderState(gfx::RS_TEXTUREFACTOR, mesh->textureFactor);
        }
      } else {
        device->SetTextureStageState(s, gfx::TSS_ALPHAOP, stage.colorOp);
        device->SetTextureStageState(s, gfx::TSS_ALPHAARG1, stage.colorArg1);
        device->SetTextureStageState(s, gfx::TSS_ALPHAARG2, stage.colorArg2);
      }
    }
    uint32_t mode = stage.texCoordMode;
    if (mode == 0) {
      device->SetTextureStageState(s, gfx::TSS_TEXCOORDINDEX, s);
    } else if (mode == 1 || mode == 2) {
      // Generated coordinates need the stage's own texture transform: stages 0 to 2 only.
      if (s > 2) continue;
      gfx::Matrix transform{};
      if (mode == 1) {
        transform = platform::d3dx::MatrixIdentity();
        transform.m[0][0] = 0.5f;
        transform.m[1][1] = -0.5f;
        transform.m[3][0] = 0.5f;
        transform.m[3][1] = 0.5f;
      } else {
        gfx::Matrix view{};
        device->GetTransform(gfx::TS_VIEW, &view);
        if (!platform::d3dx::MatrixInverse(view, &transform)) transform = platform::d3dx::MatrixIdentity();
        transform.m[3][0] = transform.m[3][1] = transform.m[3][2] = 0.0f;
        transform.m[3][3] = 1.0f;
      }
      device->SetTransform(gfx::TS_TEXTURE0 + s, &transform);
      device->SetTextureStageState(s, gfx::TSS_TEXCOORDINDEX,
                                   mode == 1 ? gfx::TCI_CAMERASPACENORMAL : gfx::TCI_CAMERASPACEREFLECTIONVECTOR);
      device->SetTextureStageState(s, gfx::TSS_TEXTURETRANSFORMFLAGS, mode == 1 ? gfx::TTFF_COUNT2 : gfx::TTFF_COUNT3);
      continue;
    } else if (mode == 3) {
      device->SetTextureStageState(s, gfx::TSS_TEXCOORDINDEX, 0);
    } else if (mode >= 10 && mode <= 17) {
      device->SetTextureStageState(s, gfx::TSS_TEXCOORDINDEX, mode - 10);
    } else {
      continue;  // other modes leave the coordinates alone
    }
    device->SetTextureStageState(s, gfx::TSS_TEXTURETRANSFORMFLAGS, gfx::TTFF_DISABLE);
  }
  lastStageCount = count;
  return true;
}
