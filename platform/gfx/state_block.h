// State blocks: a set of device states (the mask) with values, captured from and applied to the
// device; recorded blocks collect the states set between BeginStateBlock and EndStateBlock.
#pragma once
#include "platform/gfx/device_child.h"
#include "platform/gfx/device_state.h"

namespace platform::gfx {

class StateBlockImpl final : public DeviceChild<StateBlock> {
 public:
  StateBlockImpl(DeviceImpl* device, const StateMask& mask);
  ~StateBlockImpl() override;
  Result Capture() override;
  Result Apply() override;

  // Recording: each call adds the state to the mask and keeps the value.
  void RecordRenderState(uint32_t state, uint32_t value);
  void RecordStageState(uint32_t stage, uint32_t type, uint32_t value);
  void RecordSamplerState(uint32_t sampler, uint32_t type, uint32_t value);
  void RecordTexture(uint32_t stage, BaseTexture* texture);
  void RecordTransform(int slot, const Matrix& matrix);
  void RecordMaterial(const Material& material);
  void RecordLight(uint32_t index, const Light& light);
  void RecordLightEnable(uint32_t index, bool enable);
  void RecordViewport(const Viewport& viewport);
  void RecordScissor(const Rect& rect);
  void RecordClipPlane(uint32_t index, const float* plane);
  void RecordFvf(uint32_t fvf);
  void RecordDeclaration(VertexDeclaration* declaration);
  void RecordStream(uint32_t stream, VertexBuffer* buffer, uint32_t offset, uint32_t stride);
  void RecordIndices(IndexBuffer* indices);

 private:
  StateMask mask_;
  DeviceState values_;
};

}  // namespace platform::gfx
