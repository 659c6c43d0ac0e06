// State setters and getters: values go into the device state (or into the state block being
// recorded) and mark what must be sent to GL before the next draw.
#include <cstring>

#include "platform/gfx/device_impl.h"
#include "platform/gfx/state_block.h"

namespace platform::gfx {
void DeviceImpl::MarkRenderState(uint32_t state) {
  switch (state) {
    case RS_ZENABLE: case RS_ZWRITEENABLE: case RS_ZFUNC: case RS_STENCILENABLE: case RS_STENCILFAIL:
    case RS_STENCILZFAIL: case RS_STENCILPASS: case RS_STENCILFUNC: case RS_STENCILREF: case RS_STENCILMASK:
    case RS_STENCILWRITEMASK: case RS_TWOSIDEDSTENCILMODE: case RS_CCW_STENCILFAIL: case RS_CCW_STENCILZFAIL:
    case RS_CCW_STENCILPASS: case RS_CCW_STENCILFUNC:
      dirty_ |= kDirtyDepthStencil;
      break;
    case RS_ALPHATESTENABLE: case RS_ALPHAREF: case RS_ALPHAFUNC: case RS_ALPHABLENDENABLE: case RS_SRCBLEND:
    case RS_DESTBLEND: case RS_BLENDOP: case RS_BLENDFACTOR: case RS_SEPARATEALPHABLENDENABLE:
    case RS_SRCBLENDALPHA: case RS_DESTBLENDALPHA: case RS_BLENDOPALPHA:
      dirty_ |= kDirtyBlend;
      break;
    case RS_FOGENABLE: case RS_FOGCOLOR: case RS_FOGTABLEMODE: case RS_FOGSTART: case RS_FOGEND:
    case RS_FOGDENSITY: case RS_FOGVERTEXMODE: case RS_RANGEFOGENABLE:
      dirty_ |= kDirtyFog;
      break;
    case RS_LIGHTING: case RS_AMBIENT: case RS_COLORVERTEX: case RS_LOCALVIEWER: case RS_NORMALIZENORMALS:
    case RS_DIFFUSEMATERIALSOURCE: case RS_SPECULARMATERIALSOURCE: case RS_AMBIENTMATERIALSOURCE:
    case RS_EMISSIVEMATERIALSOURCE: case RS_SPECULARENABLE:
      dirty_ |= kDirtyLighting;
      break;
    case RS_CLIPPLANEENABLE:
      dirty_ |= kDirtyClipPlanes;
      break;
    case RS_POINTSIZE: case RS_POINTSIZE_MIN: case RS_POINTSIZE_MAX: case RS_POINTSPRITEENABLE:
    case RS_POINTSCALEENABLE: case RS_POINTSCALE_A: case RS_POINTSCALE_B: case RS_POINTSCALE_C:
      dirty_ |= kDirtyPoints;
      break;
    case RS_SCISSORTESTENABLE:
      dirty_ |= kDirtyScissor;
      break;
    case RS_TEXTUREFACTOR:
      dirty_ |= kDirtyTextureFactor;
      break;
    case RS_FILLMODE: case RS_SHADEMODE: case RS_CULLMODE: case RS_DITHERENABLE: case RS_COLORWRITEENABLE:
    case RS_DEPTHBIAS: case RS_SLOPESCALEDEPTHBIAS:
      dirty_ |= kDirtyRaster;
      break;
    default:
      break;  // kept for the getters; no effect on drawing
  }
}

Result DeviceImpl::SetRenderState(uint32_t state, uint32_t value) {
  if (state >= uint32_t(kRenderStateCount)) return kInvalidCall;
  if (recording_) {
    recording_->RecordRenderState(state, value);
    return kOk;
  }
  if (state_.rs[state] == value) return kOk;
  state_.rs[state] = value;
  MarkRenderState(state);
  return kOk;
}

Result DeviceImpl::GetRenderState(uint32_t state, uint32_t* value) {
  if (!value || state >= uint32_t(kRenderStateCount)) return kInvalidCall;
  *value = state_.rs[state];
  return kOk;
}

Result DeviceImpl::SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value) {
  if (stage >= uint32_t(kMaxTextureStages) || type >= uint32_t(kTextureStageStateCount)) return kInvalidCall;
  if (recording_) {
    recording_->RecordStageState(stage, type, value);
    return kOk;
  }
  if (state_.tss[stage][type] == value) return kOk;
  state_.tss[stage][type] = value;
  stageDirty_ |= 1u << stage;
  return kOk;
}

Result DeviceImpl::GetTextureStageState(uint32_t stage, uint32_t type, uint32_t* value) {
  if (!value || stage >= uint32_t(kMaxTextureStages) || type >= uint32_t(kTextureStageStateCount)) return kInvalidCall;
  *value = state_.tss[stage][type];
  return kOk;
}

Result DeviceImpl::SetSamplerState(uint32_t sampler, uint32_t type, uint32_t value) {
  if (sampler >= uint32_t(kMaxSamplers) || type >= uint32_t(kSamplerStateCount)) return kInvalidCall;
  if (recording_) {
    recording_->RecordSamplerState(sampler, type, value);
    return kOk;
  }
  if (state_.samp[sampler][type] == value) return kOk;
  state_.samp[sampler][type] = value;
  if (sampler < uint32_t(kMaxTextureStages)) stageDirty_ |= 1u << sampler;
  return kOk;
}

Result DeviceImpl::GetSamplerState(uint32_t sampler, uint32_t type, uint32_t* value) {
  if (!value || sampler >= uint32_t(kMaxSamplers) || type >= uint32_t(kSamplerStateCount)) return kInvalidCall;
  *value = state_.samp[sampler][type];
  return kOk;
}

Result DeviceImpl::SetTexture(uint32_t stage, BaseTexture* texture) {
  if (stage >= uint32_t(kMaxSamplers)) return kInvalidCall;
  if (texture && texture->GetType() != RTYPE_TEXTURE && texture->GetType() != RTYPE_CUBETEXTURE) return kInvalidCall;
  if (recording_) {
    recording_->RecordTexture(stage, texture);
    return kOk;
  }
  if (state_.textures[stage] == texture) return kOk;
  Hold(state_.textures[stage], texture);
  if (stage < uint32_t(kMaxTextureStages)) stageDirty_ |= 1u << stage;
  return kOk;
}

Result DeviceImpl::GetTexture(uint32_t stage, BaseTexture** texture) {
  if (!texture || stage >= uint32_t(kMaxSamplers)) return kInvalidCall;
  *texture = state_.textures[stage];
  if (*texture) (*texture)->AddRef();
  return kOk;
}

Result DeviceImpl::SetTransform(uint32_t state, const Matrix* matrix) {
  if (!matrix) return kInvalidCall;
  int slot = TransformSlot(state);
  if (slot < 0) return kOk;  // further blend matrices: not used by the fixed pipeline here
  if (recording_) {
    recording_->RecordTransform(slot, *matrix);
    return kOk;
  }
  if (std::memcmp(&state_.transforms[slot], matrix, sizeof *matrix) == 0) return kOk;
  state_.transforms[slot] = *matrix;
  if (state == TS_VIEW) dirty_ |= kDirtyView | kDirtyWorld | kDirtyLights | kDirtyClipPlanes;
  else if (state == TS_PROJECTION) dirty_ |= kDirtyProjection;
  else if (state == TS_WORLD) dirty_ |= kDirtyWorld;
  else if (state >= TS_TEXTURE0 && state <= TS_TEXTURE7) stageDirty_ |= 1u << (state - TS_TEXTURE0);
  return kOk;
}

Result DeviceImpl::GetTransform(uint32_t state, Matrix* matrix) {
  if (!matrix) return kInvalidCall;
  int slot = TransformSlot(state);
  *matrix = slot < 0 ? IdentityMatrix() : state_.transforms[slot];
  return kOk;
}

Result DeviceImpl::MultiplyTransform(uint32_t state, const Matrix* matrix) {
  if (!matrix) return kInvalidCall;
  Matrix current;
  GetTransform(state, &current);
  Matrix product = MultiplyMatrix(*matrix, current);
  return SetTransform(state, &product);
}

Result DeviceImpl::SetViewport(const Viewport* v) {
  if (!v || v->width == 0 || v->height == 0 || v->x + v->width > renderTarget_->width() ||
      v->y + v->height > renderTarget_->height())
    return kInvalidCall;
  if (recording_) {
    recording_->RecordViewport(*v);
    return kOk;
  }
  state_.viewport = *v;
  dirty_ |= kDirtyViewport | kDirtyProjection | kDirtyPoints;
  return kOk;
}

Result DeviceImpl::GetViewport(Viewport* v) {
  if (!v) return kInvalidCall;
  *v = state_.viewport;
  return kOk;
}

Result DeviceImpl::SetMaterial(const Material* material) {
  if (!material) return kInvalidCall;
  if (recording_) {
    recording_->RecordMaterial(*material);
    return kOk;
  }
  if (std::memcmp(&state_.material, material, sizeof *material) == 0) return kOk;
  state_.material = *material;
  dirty_ |= kDirtyLighting;
  return kOk;
}

Result DeviceImpl::GetMaterial(Material* material) {
  if (!material) return kInvalidCall;
  *material = state_.material;
  return kOk;
}

Result DeviceImpl::SetLight(uint32_t index, const Light* light) {
  if (!light || light->type < LIGHT_POINT || light->type > LIGHT_DIRECTIONAL) return kInvalidCall;
  if (recording_) {
    recording_->RecordLight(index, *light);
    return kOk;
  }
  LightSlot& slot = state_.lights[index];
  slot.light = *light;
  if (slot.enabled) dirty_ |= kDirtyLights | kDirtyLighting;  // whether any highlight can show
  return kOk;
}

Result DeviceImpl::GetLight(uint32_t index, Light* light) {
  auto it = state_.lights.find(index);
  if (!light || it == state_.lights.end()) return kInvalidCall;
  *light = it->second.light;
  return kOk;
}

Result DeviceImpl::LightEnable(uint32_t index, int32_t enable) {
  if (recording_) {
    recording_->RecordLightEnable(index, enable != 0);
    return kOk;
  }
  auto it = state_.lights.find(index);
  if (it == state_.lights.end()) {
    // Enabling a light never set gives the default light: white, directional, along +z.
    LightSlot slot;
    slot.light = {};
    slot.light.type = LIGHT_DIRECTIONAL;
    slot.light.diffuse = {1, 1, 1, 0};
    slot.light.direction = {0, 0, 1};
    it = state_.lights.emplace(index, slot).first;
  }
  if (it->second.enabled == (enable != 0)) return kOk;
  it->second.enabled = enable != 0;
  dirty_ |= kDirtyLights | kDirtyLighting;
  return kOk;
}

Result DeviceImpl::GetLightEnable(uint32_t index, int32_t* enable) {
  auto it = state_.lights.find(index);
  if (!enable || it == state_.lights.end()) return kInvalidCall;
  *enable = it->second.enabled ? 1 : 0;
  return kOk;
}

Result DeviceImpl::SetClipPlane(uint32_t index, const float* plane) {
  if (!plane || index >= uint32_t(kMaxClipPlanes)) return kInvalidCall;
  if (recording_) {
    recording_->RecordClipPlane(index, plane);
    return kOk;
  }
  std::memcpy(state_.clipPlanes[index], plane, sizeof state_.clipPlanes[index]);
  dirty_ |= kDirtyClipPlanes;
  return kOk;
}

Result DeviceImpl::GetClipPlane(uint32_t index, float* plane) {
  if (!plane || index >= uint32_t(kMaxClipPlanes)) return kInvalidCall;
  std::memcpy(plane, state_.clipPlanes[index], sizeof state_.clipPlanes[index]);
  return kOk;
}

Result DeviceImpl::SetScissorRect(const Rect* rect) {
  if (!rect) return kInvalidCall;
  if (recording_) {
    recording_->RecordScissor(*rect);
    return kOk;
  }
  state_.scissor = *rect;
  dirty_ |= kDirtyScissor;
  return kOk;
}

Result DeviceImpl::GetScissorRect(Rect* rect) {
  if (!rect) return kInvalidCall;
  *rect = state_.scissor;
  return kOk;
}

Result DeviceImpl::SetFVF(uint32_t fvf) {
  if (recording_) {
    recording_->RecordFvf(fvf);
    return kOk;
  }
  // A code replaces the declaration; 0 leaves a declaration in force (set it, then SetFVF(0), works).
  if (fvf && state_.declaration) {
    Hold(state_.declaration, static_cast<VertexDeclaration*>(nullptr));
    layoutDirty_ = true;
  }
  if (state_.fvf == fvf) return kOk;
  state_.fvf = fvf;
  layoutDirty_ = true;
  return kOk;
}

Result DeviceImpl::GetFVF(uint32_t* fvf) {
  if (!fvf) return kInvalidCall;
  *fvf = state_.fvf;
  return kOk;
}

Result DeviceImpl::SetVertexDeclaration(VertexDeclaration* declaration) {
  if (recording_) {
    recording_->RecordDeclaration(declaration);
    return kOk;
  }
  if (state_.declaration == declaration && (!declaration || state_.fvf == 0)) return kOk;
  Hold(state_.declaration, declaration);
  if (declaration) state_.fvf = 0;
  layoutDirty_ = true;
  return kOk;
}

Result DeviceImpl::GetVertexDeclaration(VertexDeclaration** declaration) {
  if (!declaration) return kInvalidCall;
  *declaration = state_.declaration;
  if (*declaration) (*declaration)->AddRef();
  return kOk;
}

Result DeviceImpl::SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t offset, uint32_t stride) {
  if (stream >= uint32_t(kMaxStreams)) return kInvalidCall;
  if (recording_) {
    recording_->RecordStream(stream, buffer, offset, stride);
    return kOk;
  }
  StreamSlot& s = state_.streams[stream];
  if (s.buffer != buffer) Hold(s.buffer, buffer);  // a new place in the same buffer holds nothing new
  s.offset = offset;
  s.stride = stride;
  return kOk;
}

Result DeviceImpl::GetStreamSource(uint32_t stream, VertexBuffer** buffer, uint32_t* offset, uint32_t* stride) {
  if (stream >= uint32_t(kMaxStreams) || !buffer || !offset || !stride) return kInvalidCall;
  const StreamSlot& s = state_.streams[stream];
  *buffer = s.buffer;
  if (s.buffer) s.buffer->AddRef();
  *offset = s.offset;
  *stride = s.stride;
  return kOk;
}

Result DeviceImpl::SetStreamSourceFreq(uint32_t stream, uint32_t divider) {
  if (stream >= uint32_t(kMaxStreams)) return kInvalidCall;
  return divider == 1 ? kOk : kNotAvailable;  // no instancing in the fixed pipeline
}

Result DeviceImpl::SetIndices(IndexBuffer* indices) {
  if (recording_) {
    recording_->RecordIndices(indices);
    return kOk;
  }
  if (state_.indices != indices) Hold(state_.indices, indices);
  return kOk;
}

Result DeviceImpl::GetIndices(IndexBuffer** indices) {
  if (!indices) return kInvalidCall;
  *indices = state_.indices;
  if (*indices) (*indices)->AddRef();
  return kOk;
}

Result DeviceImpl::CreateStateBlock(uint32_t type, StateBlock** block) {
  if (!block) return kInvalidCall;
  *block = nullptr;
  if (type < SBT_ALL || type > SBT_VERTEXSTATE || recording_) return kInvalidCall;
  StateMask mask;
  MaskForType(type, &mask);
  auto* b = new StateBlockImpl(this, mask);
  b->Capture();
  *block = b;
  return kOk;
}

Result DeviceImpl::BeginStateBlock() {
  if (recording_) return kInvalidCall;
  recording_ = new StateBlockImpl(this, StateMask{});
  return kOk;
}

Result DeviceImpl::EndStateBlock(StateBlock** block) {
  if (!block || !recording_) return kInvalidCall;
  *block = recording_;
  recording_ = nullptr;
  return kOk;
}

}  // namespace platform::gfx
