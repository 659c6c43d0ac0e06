// A device that forwards every call to the real one and counts the draw calls (until the device layer
// offers a counter of its own).
#pragma once
#include "platform/gfx/device.h"

class CountingDevice final : public platform::gfx::Device {
 public:
  using Api = platform::gfx::Api;
  using Result = platform::gfx::Result;
  explicit CountingDevice(platform::gfx::Device* device) : device_(device) {}
  uint32_t drawCalls = 0;
  platform::gfx::Device* Real() const { return device_; }

  // The wrapper lives on the caller's stack; references stay with the real device.
  uint32_t AddRef() override { return 1; }
  uint32_t Release() override { return 1; }

  Result TestCooperativeLevel() override { return device_->TestCooperativeLevel(); }
  uint32_t GetAvailableTextureMem() override { return device_->GetAvailableTextureMem(); }
  Result EvictManagedResources() override { return device_->EvictManagedResources(); }
  Result GetDirect3D(Api** api) override { return device_->GetDirect3D(api); }
  Result GetDeviceCaps(platform::gfx::Caps* caps) override { return device_->GetDeviceCaps(caps); }
  Result GetDisplayMode(uint32_t swapChain, platform::gfx::DisplayMode* mode) override {
    return device_->GetDisplayMode(swapChain, mode);
  }
  Result Reset(platform::gfx::PresentParams* params) override { return device_->Reset(params); }
  Result Present(const platform::gfx::Rect* sourceRect, const platform::gfx::Rect* destRect,
                 platform::gfx::Window* overrideWindow, const void* dirtyRegion) override {
    return device_->Present(sourceRect, destRect, overrideWindow, dirtyRegion);
  }
  Result GetBackBuffer(uint32_t swapChain, uint32_t index, uint32_t type, platform::gfx::Surface** surface) override {
    return device_->GetBackBuffer(swapChain, index, type, surface);
  }
  void SetGammaRamp(uint32_t swapChain, uint32_t flags, const platform::gfx::GammaRamp* ramp) override {
    device_->SetGammaRamp(swapChain, flags, ramp);
  }
  void GetGammaRamp(uint32_t swapChain, platform::gfx::GammaRamp* ramp) override {
    device_->GetGammaRamp(swapChain, ramp);
  }
  Result CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, uint32_t format, uint32_t pool,
                       platform::gfx::Texture** texture, void* sharedHandle) override {
    return device_->CreateTexture(width, height, levels, usage, format, pool, texture, sharedHandle);
  }
  Result CreateCubeTexture(uint32_t edgeLength, uint32_t levels, uint32_t usage, uint32_t format, uint32_t pool,
                           platform::gfx::CubeTexture** texture, void* sharedHandle) override {
    return device_->CreateCubeTexture(edgeLength, levels, usage, format, pool, texture, sharedHandle);
  }
  Result CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, uint32_t pool,
                            platform::gfx::VertexBuffer** buffer, void* sharedHandle) override {
    return device_->CreateVertexBuffer(length, usage, fvf, pool, buffer, sharedHandle);
  }
  Result CreateIndexBuffer(uint32_t length, uint32_t usage, uint32_t format, uint32_t pool,
                           platform::gfx::IndexBuffer** buffer, void* sharedHandle) override {
    return device_->CreateIndexBuffer(length, usage, format, pool, buffer, sharedHandle);
  }
  Result CreateRenderTarget(uint32_t width, uint32_t height, uint32_t format, uint32_t multiSample,
                            uint32_t multiSampleQuality, int32_t lockable, platform::gfx::Surface** surface,
                            void* sharedHandle) override {
    return device_->CreateRenderTarget(width, height, format, multiSample, multiSampleQuality, lockable, surface,
                                       sharedHandle);
  }
  Result CreateDepthStencilSurface(uint32_t width, uint32_t height, uint32_t format, uint32_t multiSample,
                                   uint32_t multiSampleQuality, int32_t discard, platform::gfx::Surface** surface,
                                   void* sharedHandle) override {
    return device_->CreateDepthStencilSurface(width, height, format, multiSample, multiSampleQuality, discard, surface,
                                              sharedHandle);
  }
  Result CreateOffscreenPlainSurface(uint32_t width, uint32_t height, uint32_t format, uint32_t pool,
                                     platform::gfx::Surface** surface, void* sharedHandle) override {
    return device_->CreateOffscreenPlainSurface(width, height, format, pool, surface, sharedHandle);
  }
  Result UpdateSurface(platform::gfx::Surface* source, const platform::gfx::Rect* sourceRect,
                       platform::gfx::Surface* dest, const platform::gfx::Point* destPoint) override {
    return device_->UpdateSurface(source, sourceRect, dest, destPoint);
  }
  Result UpdateTexture(platform::gfx::BaseTexture* source, platform::gfx::BaseTexture* dest) override {
    return device_->UpdateTexture(source, dest);
  }
  Result GetRenderTargetData(platform::gfx::Surface* renderTarget, platform::gfx::Surface* dest) override {
    return device_->GetRenderTargetData(renderTarget, dest);
  }
  Result GetFrontBufferData(uint32_t swapChain, platform::gfx::Surface* dest) override {
    return device_->GetFrontBufferData(swapChain, dest);
  }
  Result StretchRect(platform::gfx::Surface* source, const platform::gfx::Rect* sourceRect,
                     platform::gfx::Surface* dest, const platform::gfx::Rect* destRect, uint32_t filter) override {
    return device_->StretchRect(source, sourceRect, dest, destRect, filter);
  }
  Result ColorFill(platform::gfx::Surface* surface, const platform::gfx::Rect* rect, uint32_t color) override {
    return device_->ColorFill(surface, rect, color);
  }
  Result SetRenderTarget(uint32_t index, platform::gfx::Surface* surface) override {
    return device_->SetRenderTarget(index, surface);
  }
  Result GetRenderTarget(uint32_t index, platform::gfx::Surface** surface) override {
    return device_->GetRenderTarget(index, surface);
  }
  Result SetDepthStencilSurface(platform::gfx::Surface* surface) override {
    return device_->SetDepthStencilSurface(surface);
  }
  Result GetDepthStencilSurface(platform::gfx::Surface** surface) override {
    return device_->GetDepthStencilSurface(surface);
  }
  Result BeginScene() override { return device_->BeginScene(); }
  Result EndScene() override { return device_->EndScene(); }
  Result Clear(uint32_t count, const platform::gfx::Rect* rects, uint32_t flags, uint32_t color, float z,
               uint32_t stencil) override {
    return device_->Clear(count, rects, flags, color, z, stencil);
  }
  Result SetTransform(uint32_t state, const platform::gfx::Matrix* matrix) override {
    return device_->SetTransform(state, matrix);
  }
  Result GetTransform(uint32_t state, platform::gfx::Matrix* matrix) override {
    return device_->GetTransform(state, matrix);
  }
  Result MultiplyTransform(uint32_t state, const platform::gfx::Matrix* matrix) override {
    return device_->MultiplyTransform(state, matrix);
  }
  Result SetViewport(const platform::gfx::Viewport* viewport) override { return device_->SetViewport(viewport); }
  Result GetViewport(platform::gfx::Viewport* viewport) override { return device_->GetViewport(viewport); }
  Result SetMaterial(const platform::gfx::Material* material) override { return device_->SetMaterial(material); }
  Result GetMaterial(platform::gfx::Material* material) override { return device_->GetMaterial(material); }
  Result SetLight(uint32_t index, const platform::gfx::Light* light) override {
    return device_->SetLight(index, light);
  }
  Result GetLight(uint32_t index, platform::gfx::Light* light) override { return device_->GetLight(index, light); }
  Result LightEnable(uint32_t index, int32_t enable) override { return device_->LightEnable(index, enable); }
  Result GetLightEnable(uint32_t index, int32_t* enable) override { return device_->GetLightEnable(index, enable); }
  Result SetClipPlane(uint32_t index, const float* plane) override { return device_->SetClipPlane(index, plane); }
  Result GetClipPlane(uint32_t index, float* plane) override { return device_->GetClipPlane(index, plane); }
  Result SetRenderState(uint32_t state, uint32_t value) override { return device_->SetRenderState(state, value); }
  Result GetRenderState(uint32_t state, uint32_t* value) override { return device_->GetRenderState(state, value); }
  Result CreateStateBlock(uint32_t type, platform::gfx::StateBlock** block) override {
    return device_->CreateStateBlock(type, block);
  }
  Result BeginStateBlock() override { return device_->BeginStateBlock(); }
  Result EndStateBlock(platform::gfx::StateBlock** block) override { return device_->EndStateBlock(block); }
  Result SetTexture(uint32_t stage, platform::gfx::BaseTexture* texture) override {
    return device_->SetTexture(stage, texture);
  }
  Result GetTexture(uint32_t stage, platform::gfx::BaseTexture** texture) override {
    return device_->GetTexture(stage, texture);
  }
  Result SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value) override {
    return device_->SetTextureStageState(stage, type, value);
  }
  Result GetTextureStageState(uint32_t stage, uint32_t type, uint32_t* value) override {
    return device_->GetTextureStageState(stage, type, value);
  }
  Result SetSamplerState(uint32_t sampler, uint32_t type, uint32_t value) override {
    return device_->SetSamplerState(sampler, type, value);
  }
  Result GetSamplerState(uint32_t sampler, uint32_t type, uint32_t* value) override {
    return device_->GetSamplerState(sampler, type, value);
  }
  Result ValidateDevice(uint32_t* passes) override { return device_->ValidateDevice(passes); }
  Result SetScissorRect(const platform::gfx::Rect* rect) override { return device_->SetScissorRect(rect); }
  Result GetScissorRect(platform::gfx::Rect* rect) override { return device_->GetScissorRect(rect); }
  Result SetSoftwareVertexProcessing(int32_t software) override {
    return device_->SetSoftwareVertexProcessing(software);
  }
  int32_t GetSoftwareVertexProcessing() override { return device_->GetSoftwareVertexProcessing(); }
  Result CreateVertexDeclaration(const platform::gfx::VertexElement* elements,
                                 platform::gfx::VertexDeclaration** declaration) override {
    return device_->CreateVertexDeclaration(elements, declaration);
  }
  Result SetVertexDeclaration(platform::gfx::VertexDeclaration* declaration) override {
    return device_->SetVertexDeclaration(declaration);
  }
  Result GetVertexDeclaration(platform::gfx::VertexDeclaration** declaration) override {
    return device_->GetVertexDeclaration(declaration);
  }
  Result SetFVF(uint32_t fvf) override { return device_->SetFVF(fvf); }
  Result GetFVF(uint32_t* fvf) override { return device_->GetFVF(fvf); }
  Result SetStreamSource(uint32_t stream, platform::gfx::VertexBuffer* buffer, uint32_t offset,
                         uint32_t stride) override {
    return device_->SetStreamSource(stream, buffer, offset, stride);
  }
  Result GetStreamSource(uint32_t stream, platform::gfx::VertexBuffer** buffer, uint32_t* offset,
                         uint32_t* stride) override {
    return device_->GetStreamSource(stream, buffer, offset, stride);
  }
  Result SetStreamSourceFreq(uint32_t stream, uint32_t divider) override {
    return device_->SetStreamSourceFreq(stream, divider);
  }
  Result SetIndices(platform::gfx::IndexBuffer* indices) override { return device_->SetIndices(indices); }
  Result GetIndices(platform::gfx::IndexBuffer** indices) override { return device_->GetIndices(indices); }
  Result DrawPrimitive(uint32_t type, uint32_t startVertex, uint32_t primitiveCount) override {
    ++drawCalls;
    return device_->DrawPrimitive(type, startVertex, primitiveCount);
  }
  Result DrawIndexedPrimitive(uint32_t type, int32_t baseVertexIndex, uint32_t minVertexIndex, uint32_t numVertices,
                              uint32_t startIndex, uint32_t primitiveCount) override {
    ++drawCalls;
    return device_->DrawIndexedPrimitive(type, baseVertexIndex, minVertexIndex, numVertices, startIndex,
                                         primitiveCount);
  }
  Result DrawPrimitiveUP(uint32_t type, uint32_t primitiveCount, const void* vertexData,
                         uint32_t vertexStride) override {
    ++drawCalls;
    return device_->DrawPrimitiveUP(type, primitiveCount, vertexData, vertexStride);
  }
  Result DrawIndexedPrimitiveUP(uint32_t type, uint32_t minVertexIndex, uint32_t numVertices, uint32_t primitiveCount,
                                const void* indexData, uint32_t indexFormat, const void* vertexData,
                                uint32_t vertexStride) override {
    ++drawCalls;
    return device_->DrawIndexedPrimitiveUP(type, minVertexIndex, numVertices, primitiveCount, indexData, indexFormat,
                                           vertexData, vertexStride);
  }
  Result CreateVertexShader(const uint32_t* function, platform::gfx::VertexShader** shader) override {
    return device_->CreateVertexShader(function, shader);
  }
  Result SetVertexShader(platform::gfx::VertexShader* shader) override { return device_->SetVertexShader(shader); }
  Result GetVertexShader(platform::gfx::VertexShader** shader) override { return device_->GetVertexShader(shader); }
  Result CreatePixelShader(const uint32_t* function, platform::gfx::PixelShader** shader) override {
    return device_->CreatePixelShader(function, shader);
  }
  Result SetPixelShader(platform::gfx::PixelShader* shader) override { return device_->SetPixelShader(shader); }
  Result GetPixelShader(platform::gfx::PixelShader** shader) override { return device_->GetPixelShader(shader); }
  Result SetVertexShaderConstantF(uint32_t start, const float* data, uint32_t vector4fCount) override {
    return device_->SetVertexShaderConstantF(start, data, vector4fCount);
  }
  Result SetPixelShaderConstantF(uint32_t start, const float* data, uint32_t vector4fCount) override {
    return device_->SetPixelShaderConstantF(start, data, vector4fCount);
  }

 private:
  platform::gfx::Device* device_;
};
