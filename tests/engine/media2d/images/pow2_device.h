// A device that forwards every call to the real one but reports textures that must have power-of-two
// sides, as older adapters did; the texture services then make larger textures than asked.
#pragma once
#include <atomic>

#include "platform/gfx/device.h"

namespace media_test::pow2 {

using namespace platform::gfx;

class Pow2CapsDevice final : public Device {
 public:
  explicit Pow2CapsDevice(Device* device) : d_(device) { d_->AddRef(); }
  ~Pow2CapsDevice() override { d_->Release(); }

  uint32_t AddRef() override { return ++refs_; }
  uint32_t Release() override { return --refs_; }  // lives as long as the test holds it
  Result GetDeviceCaps(Caps* caps) override {
    const Result r = d_->GetDeviceCaps(caps);
    if (Succeeded(r)) caps->textureCaps |= PTEXTURECAPS_POW2;
    return r;
  }

  Result TestCooperativeLevel() override { return d_->TestCooperativeLevel(); }
  uint32_t GetAvailableTextureMem() override { return d_->GetAvailableTextureMem(); }
  Result EvictManagedResources() override { return d_->EvictManagedResources(); }
  Result GetDirect3D(Api** api) override { return d_->GetDirect3D(api); }
  Result GetDisplayMode(uint32_t swapChain, DisplayMode* mode) override { return d_->GetDisplayMode(swapChain, mode); }
  Result Reset(PresentParams* params) override { return d_->Reset(params); }
  Result Present(const Rect* sourceRect, const Rect* destRect, Window* overrideWindow, const void* dirtyRegion) override { return d_->Present(sourceRect, destRect, overrideWindow, dirtyRegion); }
  Result GetBackBuffer(uint32_t swapChain, uint32_t index, uint32_t type, Surface** surface) override { return d_->GetBackBuffer(swapChain, index, type, surface); }
  void SetGammaRamp(uint32_t swapChain, uint32_t flags, const GammaRamp* ramp) override { return d_->SetGammaRamp(swapChain, flags, ramp); }
  void GetGammaRamp(uint32_t swapChain, GammaRamp* ramp) override { return d_->GetGammaRamp(swapChain, ramp); }
  Result CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, uint32_t format, uint32_t pool, Texture** texture, void* sharedHandle) override { return d_->CreateTexture(width, height, levels, usage, format, pool, texture, sharedHandle); }
  Result CreateCubeTexture(uint32_t edgeLength, uint32_t levels, uint32_t usage, uint32_t format, uint32_t pool, CubeTexture** texture, void* sharedHandle) override { return d_->CreateCubeTexture(edgeLength, levels, usage, format, pool, texture, sharedHandle); }
  Result CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, uint32_t pool, VertexBuffer** buffer, void* sharedHandle) override { return d_->CreateVertexBuffer(length, usage, fvf, pool, buffer, sharedHandle); }
  Result CreateIndexBuffer(uint32_t length, uint32_t usage, uint32_t format, uint32_t pool, IndexBuffer** buffer, void* sharedHandle) override { return d_->CreateIndexBuffer(length, usage, format, pool, buffer, sharedHandle); }
  Result CreateRenderTarget(uint32_t width, uint32_t height, uint32_t format, uint32_t multiSample, uint32_t multiSampleQuality, int32_t lockable, Surface** surface, void* sharedHandle) override { return d_->CreateRenderTarget(width, height, format, multiSample, multiSampleQuality, lockable, surface, sharedHandle); }
  Result CreateDepthStencilSurface(uint32_t width, uint32_t height, uint32_t format, uint32_t multiSample, uint32_t multiSampleQuality, int32_t discard, Surface** surface, void* sharedHandle) override { return d_->CreateDepthStencilSurface(width, height, format, multiSample, multiSampleQuality, discard, surface, sharedHandle); }
  Result CreateOffscreenPlainSurface(uint32_t width, uint32_t height, uint32_t format, uint32_t pool, Surface** surface, void* sharedHandle) override { return d_->CreateOffscreenPlainSurface(width, height, format, pool, surface, sharedHandle); }
  Result UpdateSurface(Surface* source, const Rect* sourceRect, Surface* dest, const Point* destPoint) override { return d_->UpdateSurface(source, sourceRect, dest, destPoint); }
  Result UpdateTexture(BaseTexture* source, BaseTexture* dest) override { return d_->UpdateTexture(source, dest); }
  Result GetRenderTargetData(Surface* renderTarget, Surface* dest) override { return d_->GetRenderTargetData(renderTarget, dest); }
  Result GetFrontBufferData(uint32_t swapChain, Surface* dest) override { return d_->GetFrontBufferData(swapChain, dest); }
  Result StretchRect(Surface* source, const Rect* sourceRect, Surface* dest, const Rect* destRect, uint32_t filter) override { return d_->StretchRect(source, sourceRect, dest, destRect, filter); }
  Result ColorFill(Surface* surface, const Rect* rect, uint32_t color) override { return d_->ColorFill(surface, rect, color); }
  Result SetRenderTarget(uint32_t index, Surface* surface) override { return d_->SetRenderTarget(index, surface); }
  Result GetRenderTarget(uint32_t index, Surface** surface) override { return d_->GetRenderTarget(index, surface); }
  Result SetDepthStencilSurface(Surface* surface) override { return d_->SetDepthStencilSurface(surface); }
  Result GetDepthStencilSurface(Surface** surface) override { return d_->GetDepthStencilSurface(surface); }
  Result BeginScene() override { return d_->BeginScene(); }
  Result EndScene() override { return d_->EndScene(); }
  Result Clear(uint32_t count, const Rect* rects, uint32_t flags, uint32_t color, float z, uint32_t stencil) override { return d_->Clear(count, rects, flags, color, z, stencil); }
  Result SetTransform(uint32_t state, const Matrix* matrix) override { return d_->SetTransform(state, matrix); }
  Result GetTransform(uint32_t state, Matrix* matrix) override { return d_->GetTransform(state, matrix); }
  Result MultiplyTransform(uint32_t state, const Matrix* matrix) override { return d_->MultiplyTransform(state, matrix); }
  Result SetViewport(const Viewport* viewport) override { return d_->SetViewport(viewport); }
  Result GetViewport(Viewport* viewport) override { return d_->GetViewport(viewport); }
  Result SetMaterial(const Material* material) override { return d_->SetMaterial(material); }
  Result GetMaterial(Material* material) override { return d_->GetMaterial(material); }
  Result SetLight(uint32_t index, const Light* light) override { return d_->SetLight(index, light); }
  Result GetLight(uint32_t index, Light* light) override { return d_->GetLight(index, light); }
  Result LightEnable(uint32_t index, int32_t enable) override { return d_->LightEnable(index, enable); }
  Result GetLightEnable(uint32_t index, int32_t* enable) override { return d_->GetLightEnable(index, enable); }
  Result SetClipPlane(uint32_t index, const float* plane) override { return d_->SetClipPlane(index, plane); }
  Result GetClipPlane(uint32_t index, float* plane) override { return d_->GetClipPlane(index, plane); }
  Result SetRenderState(uint32_t state, uint32_t value) override { return d_->SetRenderState(state, value); }
  Result GetRenderState(uint32_t state, uint32_t* value) override { return d_->GetRenderState(state, value); }
  Result CreateStateBlock(uint32_t type, StateBlock** block) override { return d_->CreateStateBlock(type, block); }
  Result BeginStateBlock() override { return d_->BeginStateBlock(); }
  Result EndStateBlock(StateBlock** block) override { return d_->EndStateBlock(block); }
  Result SetTexture(uint32_t stage, BaseTexture* texture) override { return d_->SetTexture(stage, texture); }
  Result GetTexture(uint32_t stage, BaseTexture** texture) override { return d_->GetTexture(stage, texture); }
  Result SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value) override { return d_->SetTextureStageState(stage, type, value); }
  Result GetTextureStageState(uint32_t stage, uint32_t type, uint32_t* value) override { return d_->GetTextureStageState(stage, type, value); }
  Result SetSamplerState(uint32_t sampler, uint32_t type, uint32_t value) override { return d_->SetSamplerState(sampler, type, value); }
  Result GetSamplerState(uint32_t sampler, uint32_t type, uint32_t* value) override { return d_->GetSamplerState(sampler, type, value); }
  Result ValidateDevice(uint32_t* passes) override { return d_->ValidateDevice(passes); }
  Result SetScissorRect(const Rect* rect) override { return d_->SetScissorRect(rect); }
  Result GetScissorRect(Rect* rect) override { return d_->GetScissorRect(rect); }
  Result SetSoftwareVertexProcessing(int32_t software) override { return d_->SetSoftwareVertexProcessing(software); }
  int32_t GetSoftwareVertexProcessing() override { return d_->GetSoftwareVertexProcessing(); }
  Result CreateVertexDeclaration(const VertexElement* elements, VertexDeclaration** declaration) override { return d_->CreateVertexDeclaration(elements, declaration); }
  Result SetVertexDeclaration(VertexDeclaration* declaration) override { return d_->SetVertexDeclaration(declaration); }
  Result GetVertexDeclaration(VertexDeclaration** declaration) override { return d_->GetVertexDeclaration(declaration); }
  Result SetFVF(uint32_t fvf) override { return d_->SetFVF(fvf); }
  Result GetFVF(uint32_t* fvf) override { return d_->GetFVF(fvf); }
  Result SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t offset, uint32_t stride) override { return d_->SetStreamSource(stream, buffer, offset, stride); }
  Result GetStreamSource(uint32_t stream, VertexBuffer** buffer, uint32_t* offset, uint32_t* stride) override { return d_->GetStreamSource(stream, buffer, offset, stride); }
  Result SetStreamSourceFreq(uint32_t stream, uint32_t divider) override { return d_->SetStreamSourceFreq(stream, divider); }
  Result SetIndices(IndexBuffer* indices) override { return d_->SetIndices(indices); }
  Result GetIndices(IndexBuffer** indices) override { return d_->GetIndices(indices); }
  Result DrawPrimitive(uint32_t type, uint32_t startVertex, uint32_t primitiveCount) override { return d_->DrawPrimitive(type, startVertex, primitiveCount); }
  Result DrawIndexedPrimitive(uint32_t type, int32_t baseVertexIndex, uint32_t minVertexIndex, uint32_t numVertices, uint32_t startIndex, uint32_t primitiveCount) override { return d_->DrawIndexedPrimitive(type, baseVertexIndex, minVertexIndex, numVertices, startIndex, primitiveCount); }
  Result DrawPrimitiveUP(uint32_t type, uint32_t primitiveCount, const void* vertexData, uint32_t vertexStride) override { return d_->DrawPrimitiveUP(type, primitiveCount, vertexData, vertexStride); }
  Result DrawIndexedPrimitiveUP(uint32_t type, uint32_t minVertexIndex, uint32_t numVertices, uint32_t primitiveCount, const void* indexData, uint32_t indexFormat, const void* vertexData, uint32_t vertexStride) override { return d_->DrawIndexedPrimitiveUP(type, minVertexIndex, numVertices, primitiveCount, indexData, indexFormat, vertexData, vertexStride); }
  Result CreateVertexShader(const uint32_t* function, VertexShader** shader) override { return d_->CreateVertexShader(function, shader); }
  Result SetVertexShader(VertexShader* shader) override { return d_->SetVertexShader(shader); }
  Result GetVertexShader(VertexShader** shader) override { return d_->GetVertexShader(shader); }
  Result CreatePixelShader(const uint32_t* function, PixelShader** shader) override { return d_->CreatePixelShader(function, shader); }
  Result SetPixelShader(PixelShader* shader) override { return d_->SetPixelShader(shader); }
  Result GetPixelShader(PixelShader** shader) override { return d_->GetPixelShader(shader); }
  Result SetVertexShaderConstantF(uint32_t start, const float* data, uint32_t vector4fCount) override { return d_->SetVertexShaderConstantF(start, data, vector4fCount); }
  Result SetPixelShaderConstantF(uint32_t start, const float* data, uint32_t vector4fCount) override { return d_->SetPixelShaderConstantF(start, data, vector4fCount); }

 private:
  Device* d_;
  std::atomic<uint32_t> refs_{1};
};

}  // namespace media_test::pow2
