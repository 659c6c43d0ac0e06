#include "platform/gfx/state_block.h"

#include <cstring>

#include "platform/gfx/device_impl.h"

namespace platform::gfx {
StateBlockImpl::StateBlockImpl(DeviceImpl* device, const StateMask& mask) : DeviceChild(device, true), mask_(mask) {
  std::memset(values_.rs, 0, sizeof values_.rs);
  for (BaseTexture*& t : values_.textures) t = nullptr;
  values_.declaration = nullptr;
  values_.indices = nullptr;
  values_.fvf = 0;
}

StateBlockImpl::~StateBlockImpl() {
  for (BaseTexture*& t : values_.textures) Hold(t, static_cast<BaseTexture*>(nullptr));
  for (StreamSlot& s : values_.streams) Hold(s.buffer, static_cast<VertexBuffer*>(nullptr));
  Hold(values_.declaration, static_cast<VertexDeclaration*>(nullptr));
  Hold(values_.indices, static_cast<IndexBuffer*>(nullptr));
}

Result StateBlockImpl::Capture() {
  const DeviceState& d = device_->state();
  for (int i = 0; i < kRenderStateCount; ++i)
    if (mask_.rs[size_t(i)]) values_.rs[i] = d.rs[i];
  for (int s = 0; s < kMaxTextureStages; ++s)
    for (int t = 0; t < kTextureStageStateCount; ++t)
      if (mask_.tss[size_t(s * kTextureStageStateCount + t)]) values_.tss[s][t] = d.tss[s][t];
  for (int s = 0; s < kMaxSamplers; ++s)
    for (int t = 0; t < kSamplerStateCount; ++t)
      if (mask_.samp[size_t(s * kSamplerStateCount + t)]) values_.samp[s][t] = d.samp[s][t];
  for (int s = 0; s < kMaxSamplers; ++s)
    if (mask_.textures[size_t(s)]) Hold(values_.textures[s], d.textures[s]);
  for (int i = 0; i < kTransformSlots; ++i)
    if (mask_.transforms[size_t(i)]) values_.transforms[i] = d.transforms[i];
  if (mask_.material) values_.material = d.material;
  if (mask_.allLights) {
    values_.lights = d.lights;
  } else {
    for (auto& [index, what] : mask_.lights) {
      auto it = d.lights.find(index);
      if (it == d.lights.end()) continue;
      if (what & 1) values_.lights[index].light = it->second.light;
      if (what & 2) values_.lights[index].enabled = it->second.enabled;
    }
  }
  if (mask_.viewport) values_.viewport = d.viewport;
  if (mask_.scissor) values_.scissor = d.scissor;
  for (int i = 0; i < kMaxClipPlanes; ++i)
    if (mask_.clipPlanes[size_t(i)]) std::memcpy(values_.clipPlanes[i], d.clipPlanes[i], sizeof d.clipPlanes[i]);
  if (mask_.fvf) values_.fvf = d.fvf;
  if (mask_.declaration) Hold(values_.declaration, d.declaration);
  for (int i = 0; i < kMaxStreams; ++i)
    if (mask_.streams[size_t(i)]) {
      Hold(values_.streams[i].buffer, d.streams[i].buffer);
      values_.streams[i].offset = d.streams[i].offset;
      values_.streams[i].stride = d.streams[i].stride;
    }
  if (mask_.indices) Hold(values_.indices, d.indices);
  return kOk;
}

Result StateBlockImpl::Apply() {
  Device* d = AsDevice(device_);
  for (int i = 0; i < kRenderStateCount; ++i)
    if (mask_.rs[size_t(i)]) d->SetRenderState(uint32_t(i), values_.rs[i]);
  for (int s = 0; s < kMaxTextureStages; ++s)
    for (int t = 0; t < kTextureStageStateCount; ++t)
      if (mask_.tss[size_t(s * kTextureStageStateCount + t)]) d->SetTextureStageState(uint32_t(s), uint32_t(t), values_.tss[s][t]);
  for (int s = 0; s < kMaxSamplers; ++s)
    for (int t = 0; t < kSamplerStateCount; ++t)
      if (mask_.samp[size_t(s * kSamplerStateCount + t)]) d->SetSamplerState(uint32_t(s), uint32_t(t), values_.samp[s][t]);
  for (int s = 0; s < kMaxSamplers; ++s)
    if (mask_.textures[size_t(s)]) d->SetTexture(uint32_t(s), values_.textures[s]);
  static const uint32_t kSlotStates[kTransformSlots] = {
      TS_VIEW, TS_PROJECTION, TS_TEXTURE0, TS_TEXTURE0 + 1, TS_TEXTURE0 + 2, TS_TEXTURE0 + 3, TS_TEXTURE0 + 4,
      TS_TEXTURE0 + 5, TS_TEXTURE0 + 6, TS_TEXTURE7, TS_WORLD, TS_WORLD + 1, TS_WORLD + 2, TS_WORLD + 3};
  for (int i = 0; i < kTransformSlots; ++i)
    if (mask_.transforms[size_t(i)]) d->SetTransform(kSlotStates[i], &values_.transforms[i]);
  if (mask_.material) d->SetMaterial(&values_.material);
  for (auto& [index, slot] : values_.lights) {
    uint8_t what = mask_.allLights ? 3 : 0;
    auto it = mask_.lights.find(index);
    if (it != mask_.lights.end()) what |= it->second;
    if (what & 1) d->SetLight(index, &slot.light);
    if (what & 2) d->LightEnable(index, slot.enabled);
  }
  if (mask_.viewport) d->SetViewport(&values_.viewport);
  if (mask_.scissor) d->SetScissorRect(&values_.scissor);
  for (int i = 0; i < kMaxClipPlanes; ++i)
    if (mask_.clipPlanes[size_t(i)]) d->SetClipPlane(uint32_t(i), values_.clipPlanes[i]);
  if (mask_.declaration && values_.declaration) d->SetVertexDeclaration(values_.declaration);
  if (mask_.fvf && (values_.fvf || !values_.declaration)) d->SetFVF(values_.fvf);
  for (int i = 0; i < kMaxStreams; ++i)
    if (mask_.streams[size_t(i)])
      d->SetStreamSource(uint32_t(i), values_.streams[i].buffer, values_.streams[i].offset, values_.streams[i].stride);
  if (mask_.indices) d->SetIndices(values_.indices);
  return kOk;
}

void StateBlockImpl::RecordRenderState(uint32_t state, uint32_t value) {
  mask_.rs.set(state);
  values_.rs[state] = value;
}
void StateBlockImpl::RecordStageState(uint32_t stage, uint32_t type, uint32_t value) {
  mask_.tss.set(stage * kTextureStageStateCount + type);
  values_.tss[stage][type] = value;
}
void StateBlockImpl::RecordSamplerState(uint32_t sampler, uint32_t type, uint32_t value) {
  mask_.samp.set(sampler * kSamplerStateCount + type);
  values_.samp[sampler][type] = value;
}
void StateBlockImpl::RecordTexture(uint32_t stage, BaseTexture* texture) {
  mask_.textures.set(stage);
  Hold(values_.textures[stage], texture);
}
void StateBlockImpl::RecordTransform(int slot, const Matrix& matrix) {
  mask_.transforms.set(size_t(slot));
  values_.transforms[slot] = matrix;
}
void StateBlockImpl::RecordMaterial(const Material& material) {
  mask_.material = true;
  values_.material = material;
}
void StateBlockImpl::RecordLight(uint32_t index, const Light& light) {
  mask_.lights[index] |= 1;
  values_.lights[index].light = light;
}
void StateBlockImpl::RecordLightEnable(uint32_t index, bool enable) {
  mask_.lights[index] |= 2;
  LightSlot& slot = values_.lights[index];
  slot.enabled = enable;
}
void StateBlockImpl::RecordViewport(const Viewport& viewport) {
  mask_.viewport = true;
  values_.viewport = viewport;
}
void StateBlockImpl::RecordScissor(const Rect& rect) {
  mask_.scissor = true;
  values_.scissor = rect;
}
void StateBlockImpl::RecordClipPlane(uint32_t index, const float* plane) {
  mask_.clipPlanes.set(index);
  std::memcpy(values_.clipPlanes[index], plane, sizeof values_.clipPlanes[index]);
}
void StateBlockImpl::RecordFvf(uint32_t fvf) {
  mask_.fvf = true;
  values_.fvf = fvf;
}
void StateBlockImpl::RecordDeclaration(VertexDeclaration* declaration) {
  mask_.declaration = true;
  Hold(values_.declaration, declaration);
}
void StateBlockImpl::RecordStream(uint32_t stream, VertexBuffer* buffer, uint32_t offset, uint32_t stride) {
  mask_.streams.set(stream);
  Hold(values_.streams[stream].buffer, buffer);
  values_.streams[stream].offset = offset;
  values_.streams[stream].stride = stride;
}
void StateBlockImpl::RecordIndices(IndexBuffer* indices) {
  mask_.indices = true;
  Hold(values_.indices, indices);
}

}  // namespace platform::gfx
