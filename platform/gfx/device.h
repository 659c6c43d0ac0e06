// The rendering device: fixed-function drawing, states, transforms, lights, render targets and
// presenting, on an OpenGL 2.1 compatibility context created on the device window.
//
// Direct3D 9 conventions, which the engine's maths, models and 2D drawing count on: row-vector
// matrices (p x M), left-handed view space, clockwise front faces, pre-transformed (XYZRHW) vertices
// with pixel centres on integer coordinates, colours as packed 0xAARRGGBB, float states as bit
// patterns.
// The back buffer is an off-screen render target of the back-buffer size; Present scales it (or a
// source rectangle of it) to the window's client area. The device is never lost.
#pragma once
#include "platform/gfx/api.h"
#include "platform/gfx/resources.h"

namespace platform::gfx {

class Device : public RefCounted {
 public:
  // --- device and presenting
  virtual Result TestCooperativeLevel() = 0;  // always kOk: a GL device is never lost
  virtual uint32_t GetAvailableTextureMem() = 0;
  virtual Result EvictManagedResources() = 0;
  virtual Result GetDirect3D(Api** api) = 0;
  virtual Result GetDeviceCaps(Caps* caps) = 0;
  virtual Result GetDisplayMode(uint32_t swapChain, DisplayMode* mode) = 0;
  // Re-creates the back buffer and depth-stencil surface for the new parameters and sets every
  // state back to its default.
  virtual Result Reset(PresentParams* params) = 0;
  // sourceRect null: the whole back buffer; destRect null: the whole client area. overrideWindow
  // and dirtyRegion are ignored.
  virtual Result Present(const Rect* sourceRect, const Rect* destRect, Window* overrideWindow,
                         const void* dirtyRegion) = 0;
  // Hands the drawing sent so far to the renderer without waiting for it, so a software renderer
  // draws while the caller sleeps and the next Present only copies; changes nothing drawn.
  virtual void FlushCommands() = 0;
  virtual Result GetBackBuffer(uint32_t swapChain, uint32_t index, uint32_t type, Surface** surface) = 0;
  virtual void SetGammaRamp(uint32_t swapChain, uint32_t flags, const GammaRamp* ramp) = 0;
  virtual void GetGammaRamp(uint32_t swapChain, GammaRamp* ramp) = 0;

  // --- resources (sharedHandle must be null)
  virtual Result CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, uint32_t format,
                               uint32_t pool, Texture** texture, void* sharedHandle) = 0;
  virtual Result CreateCubeTexture(uint32_t edgeLength, uint32_t levels, uint32_t usage, uint32_t format,
                                   uint32_t pool, CubeTexture** texture, void* sharedHandle) = 0;
  virtual Result CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, uint32_t pool,
                                    VertexBuffer** buffer, void* sharedHandle) = 0;
  virtual Result CreateIndexBuffer(uint32_t length, uint32_t usage, uint32_t format, uint32_t pool,
                                   IndexBuffer** buffer, void* sharedHandle) = 0;
  virtual Result CreateRenderTarget(uint32_t width, uint32_t height, uint32_t format, uint32_t multiSample,
                                    uint32_t multiSampleQuality, int32_t lockable, Surface** surface,
                                    void* sharedHandle) = 0;
  virtual Result CreateDepthStencilSurface(uint32_t width, uint32_t height, uint32_t format, uint32_t multiSample,
                                           uint32_t multiSampleQuality, int32_t discard, Surface** surface,
                                           void* sharedHandle) = 0;
  virtual Result CreateOffscreenPlainSurface(uint32_t width, uint32_t height, uint32_t format, uint32_t pool,
                                             Surface** surface, void* sharedHandle) = 0;

  // --- copies between surfaces
  // Copies a rectangle of a system-memory surface into a surface of the same format, unscaled.
  virtual Result UpdateSurface(Surface* source, const Rect* sourceRect, Surface* dest, const Point* destPoint) = 0;
  // Copies every level of a system-memory texture into a texture of the same format and size.
  virtual Result UpdateTexture(BaseTexture* source, BaseTexture* dest) = 0;
  // Reads a render target back into an off-screen plain surface of the same size and format.
  virtual Result GetRenderTargetData(Surface* renderTarget, Surface* dest) = 0;
  virtual Result GetFrontBufferData(uint32_t swapChain, Surface* dest) = 0;
  // Scaled copy; filter TEXF_NONE / TEXF_POINT or TEXF_LINEAR. Null rectangles mean the whole surface.
  virtual Result StretchRect(Surface* source, const Rect* sourceRect, Surface* dest, const Rect* destRect,
                             uint32_t filter) = 0;
  virtual Result ColorFill(Surface* surface, const Rect* rect, uint32_t color) = 0;

  // --- render targets and scenes
  virtual Result SetRenderTarget(uint32_t index, Surface* surface) = 0;  // also resets the viewport
  virtual Result GetRenderTarget(uint32_t index, Surface** surface) = 0;
  virtual Result SetDepthStencilSurface(Surface* surface) = 0;
  virtual Result GetDepthStencilSurface(Surface** surface) = 0;
  virtual Result BeginScene() = 0;
  virtual Result EndScene() = 0;
  // rects null (count 0): the whole viewport; else each rectangle clipped to the viewport.
  virtual Result Clear(uint32_t count, const Rect* rects, uint32_t flags, uint32_t color, float z,
                       uint32_t stencil) = 0;

  // --- fixed-function state
  virtual Result SetTransform(uint32_t state, const Matrix* matrix) = 0;
  virtual Result GetTransform(uint32_t state, Matrix* matrix) = 0;
  virtual Result MultiplyTransform(uint32_t state, const Matrix* matrix) = 0;  // M := matrix x M
  virtual Result SetViewport(const Viewport* viewport) = 0;
  virtual Result GetViewport(Viewport* viewport) = 0;
  virtual Result SetMaterial(const Material* material) = 0;
  virtual Result GetMaterial(Material* material) = 0;
  // Lights are given in world space under any index; at most eight may be enabled at once.
  virtual Result SetLight(uint32_t index, const Light* light) = 0;
  virtual Result GetLight(uint32_t index, Light* light) = 0;
  virtual Result LightEnable(uint32_t index, int32_t enable) = 0;
  virtual Result GetLightEnable(uint32_t index, int32_t* enable) = 0;
  // Plane (a, b, c, d) in world space: points with a x + b y + c z + d >= 0 are kept.
  virtual Result SetClipPlane(uint32_t index, const float* plane) = 0;
  virtual Result GetClipPlane(uint32_t index, float* plane) = 0;
  virtual Result SetRenderState(uint32_t state, uint32_t value) = 0;
  virtual Result GetRenderState(uint32_t state, uint32_t* value) = 0;
  virtual Result CreateStateBlock(uint32_t type, StateBlock** block) = 0;
  // Between Begin and End, state calls are recorded into the new block instead of being applied.
  virtual Result BeginStateBlock() = 0;
  virtual Result EndStateBlock(StateBlock** block) = 0;
  virtual Result SetTexture(uint32_t stage, BaseTexture* texture) = 0;
  virtual Result GetTexture(uint32_t stage, BaseTexture** texture) = 0;
  virtual Result SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value) = 0;
  virtual Result GetTextureStageState(uint32_t stage, uint32_t type, uint32_t* value) = 0;
  virtual Result SetSamplerState(uint32_t sampler, uint32_t type, uint32_t value) = 0;
  virtual Result GetSamplerState(uint32_t sampler, uint32_t type, uint32_t* value) = 0;
  virtual Result ValidateDevice(uint32_t* passes) = 0;
  virtual Result SetScissorRect(const Rect* rect) = 0;
  virtual Result GetScissorRect(Rect* rect) = 0;
  virtual Result SetSoftwareVertexProcessing(int32_t software) = 0;
  virtual int32_t GetSoftwareVertexProcessing() = 0;

  // --- vertex input and drawing
  virtual Result CreateVertexDeclaration(const VertexElement* elements, VertexDeclaration** declaration) = 0;
  virtual Result SetVertexDeclaration(VertexDeclaration* declaration) = 0;
  virtual Result GetVertexDeclaration(VertexDeclaration** declaration) = 0;
  virtual Result SetFVF(uint32_t fvf) = 0;
  virtual Result GetFVF(uint32_t* fvf) = 0;
  virtual Result SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t offset, uint32_t stride) = 0;
  virtual Result GetStreamSource(uint32_t stream, VertexBuffer** buffer, uint32_t* offset, uint32_t* stride) = 0;
  virtual Result SetStreamSourceFreq(uint32_t stream, uint32_t divider) = 0;
  virtual Result SetIndices(IndexBuffer* indices) = 0;
  virtual Result GetIndices(IndexBuffer** indices) = 0;
  virtual Result DrawPrimitive(uint32_t type, uint32_t startVertex, uint32_t primitiveCount) = 0;
  virtual Result DrawIndexedPrimitive(uint32_t type, int32_t baseVertexIndex, uint32_t minVertexIndex,
                                      uint32_t numVertices, uint32_t startIndex, uint32_t primitiveCount) = 0;
  // Draws from caller memory; afterwards stream 0 and the index buffer are unset.
  virtual Result DrawPrimitiveUP(uint32_t type, uint32_t primitiveCount, const void* vertexData,
                                 uint32_t vertexStride) = 0;
  virtual Result DrawIndexedPrimitiveUP(uint32_t type, uint32_t minVertexIndex, uint32_t numVertices,
                                        uint32_t primitiveCount, const void* indexData, uint32_t indexFormat,
                                        const void* vertexData, uint32_t vertexStride) = 0;

  // --- programmable shaders
  // From a function of the shader compilers (platform/d3dx/shaders/shader_compiler.h); kInvalidCall for a
  // stream that is not one of theirs or does not compile on this GL. Setting null returns to the
  // fixed pipeline for that stage: a vertex shader with no pixel shader feeds the fixed texture
  // stages through its COLORn/TEXCOORDn outputs, a pixel shader with no vertex shader reads the fixed
  // pipeline's outputs.
  virtual Result CreateVertexShader(const uint32_t* function, VertexShader** shader) = 0;
  virtual Result SetVertexShader(VertexShader* shader) = 0;
  virtual Result GetVertexShader(VertexShader** shader) = 0;
  virtual Result CreatePixelShader(const uint32_t* function, PixelShader** shader) = 0;
  virtual Result SetPixelShader(PixelShader* shader) = 0;
  virtual Result GetPixelShader(PixelShader** shader) = 0;
  // Constant registers: kMaxVertexShaderConstantsF / kMaxPixelShaderConstantsF float4 registers,
  // kMaxShaderConstantsI int4 and kMaxShaderConstantsB bool registers per stage. Counts are in
  // registers (bool: one int per register); a range past the end is kInvalidCall.
  virtual Result SetVertexShaderConstantF(uint32_t start, const float* data, uint32_t vector4fCount) = 0;
  virtual Result GetVertexShaderConstantF(uint32_t start, float* data, uint32_t vector4fCount) = 0;
  virtual Result SetVertexShaderConstantI(uint32_t start, const int32_t* data, uint32_t vector4iCount) = 0;
  virtual Result GetVertexShaderConstantI(uint32_t start, int32_t* data, uint32_t vector4iCount) = 0;
  virtual Result SetVertexShaderConstantB(uint32_t start, const int32_t* data, uint32_t boolCount) = 0;
  virtual Result GetVertexShaderConstantB(uint32_t start, int32_t* data, uint32_t boolCount) = 0;
  virtual Result SetPixelShaderConstantF(uint32_t start, const float* data, uint32_t vector4fCount) = 0;
  virtual Result GetPixelShaderConstantF(uint32_t start, float* data, uint32_t vector4fCount) = 0;
  virtual Result SetPixelShaderConstantI(uint32_t start, const int32_t* data, uint32_t vector4iCount) = 0;
  virtual Result GetPixelShaderConstantI(uint32_t start, int32_t* data, uint32_t vector4iCount) = 0;
  virtual Result SetPixelShaderConstantB(uint32_t start, const int32_t* data, uint32_t boolCount) = 0;
  virtual Result GetPixelShaderConstantB(uint32_t start, int32_t* data, uint32_t boolCount) = 0;
};

}  // namespace platform::gfx
