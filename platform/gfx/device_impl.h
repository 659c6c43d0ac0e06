// The device's implementation (see device.h). Its methods are spread over device_*.cpp by topic:
// creation and presenting, render targets and copies, state setters, GL state flushing, texture
// stages, and drawing.
#pragma once
#include <SDL2/SDL.h>

#include <vector>

#include "platform/gfx/api_impl.h"
#include "platform/gfx/buffer_arena.h"
#include "platform/gfx/device.h"
#include "platform/gfx/device_state.h"
#include "platform/gfx/gl_info.h"
#include "platform/gfx/gl_state.h"
#include "platform/gfx/ref_counted_impl.h"
#include "platform/gfx/shader_state.h"
#include "platform/gfx/surface.h"
#include "platform/gfx/vertex_layout.h"

namespace platform::gfx {

class StateBlockImpl;
class TextureImpl;
class TextureStore;

// Groups of device state that changed since they were last sent to GL.
enum DirtyBits : uint32_t {
  kDirtyRaster = 1 << 0,        // fill, shade, cull, depth bias, colour mask, dither
  kDirtyDepthStencil = 1 << 1,
  kDirtyBlend = 1 << 2,         // blending and alpha test
  kDirtyFog = 1 << 3,
  kDirtyLighting = 1 << 4,      // switches, ambient, material and its colour sources
  kDirtyLights = 1 << 5,        // light descriptions and enables (need the view matrix)
  kDirtyWorld = 1 << 6,
  kDirtyView = 1 << 7,
  kDirtyProjection = 1 << 8,
  kDirtyViewport = 1 << 9,
  kDirtyPoints = 1 << 10,
  kDirtyClipPlanes = 1 << 11,
  kDirtyScissor = 1 << 12,
  kDirtyTextureFactor = 1 << 13,
  kDirtyVertexInput = 1 << 14,
};

class DeviceImpl final : public RefCountedImpl<Device> {
 public:
  static Result Create(ApiImpl* api, uint32_t adapter, Window* window, uint32_t flags, PresentParams* params,
                       Device** device);
  ~DeviceImpl() override;

  // When only the device's own objects still hold it, it lets go of what it keeps bound (textures,
  // buffers, targets): a bound object holds the device too, and the two would keep each other.
  uint32_t Release() override;
  void AddChildRef() {
    ++refs_;
    ++childRefs_;
  }
  void ReleaseChildRef() {
    --childRefs_;
    Release();
  }

  // --- Device
  Result TestCooperativeLevel() override { return kOk; }
  uint32_t GetAvailableTextureMem() override { return 512u << 20; }
  Result EvictManagedResources() override { return kOk; }
  Result GetDirect3D(Api** api) override;
  Result GetDeviceCaps(Caps* caps) override;
  Result GetDisplayMode(uint32_t swapChain, DisplayMode* mode) override;
  Result Reset(PresentParams* params) override;
  Result Present(const Rect* sourceRect, const Rect* destRect, Window* overrideWindow,
                 const void* dirtyRegion) override;
  void FlushCommands() override;
  Result GetBackBuffer(uint32_t swapChain, uint32_t index, uint32_t type, Surface** surface) override;
  void SetGammaRamp(uint32_t swapChain, uint32_t flags, const GammaRamp* ramp) override;
  void GetGammaRamp(uint32_t swapChain, GammaRamp* ramp) override;

  Result CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, uint32_t format,
                       uint32_t pool, Texture** texture, void* sharedHandle) override;
  Result CreateCubeTexture(uint32_t edgeLength, uint32_t levels, uint32_t usage, uint32_t format, uint32_t pool,
                           CubeTexture** texture, void* sharedHandle) override;
  Result CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, uint32_t pool, VertexBuffer** buffer,
                            void* sharedHandle) override;
  Result CreateIndexBuffer(uint32_t length, uint32_t usage, uint32_t format, uint32_t pool, IndexBuffer** buffer,
                           void* sharedHandle) override;
  Result CreateRenderTarget(uint32_t width, uint32_t height, uint32_t format, uint32_t multiSample,
                            uint32_t multiSampleQuality, int32_t lockable, Surface** surface,
                            void* sharedHandle) override;
  Result CreateDepthStencilSurface(uint32_t width, uint32_t height, uint32_t format, uint32_t multiSample,
                                   uint32_t multiSampleQuality, int32_t discard, Surface** surface,
                                   void* sharedHandle) override;
  Result CreateOffscreenPlainSurface(uint32_t width, uint32_t height, uint32_t format, uint32_t pool,
                                     Surface** surface, void* sharedHandle) override;

  Result UpdateSurface(Surface* source, const Rect* sourceRect, Surface* dest, const Point* destPoint) override;
  Result UpdateTexture(BaseTexture* source, BaseTexture* dest) override;
  Result GetRenderTargetData(Surface* renderTarget, Surface* dest) override;
  Result GetFrontBufferData(uint32_t swapChain, Surface* dest) override;
  Result StretchRect(Surface* source, const Rect* sourceRect, Surface* dest, const Rect* destRect,
                     uint32_t filter) override;
  Result ColorFill(Surface* surface, const Rect* rect, uint32_t color) override;

  Result SetRenderTarget(uint32_t index, Surface* surface) override;
  Result GetRenderTarget(uint32_t index, Surface** surface) override;
  Result SetDepthStencilSurface(Surface* surface) override;
  Result GetDepthStencilSurface(Surface** surface) override;
  Result BeginScene() override;
  Result EndScene() override;
  Result Clear(uint32_t count, const Rect* rects, uint32_t flags, uint32_t color, float z,
               uint32_t stencil) override;

  Result SetTransform(uint32_t state, const Matrix* matrix) override;
  Result GetTransform(uint32_t state, Matrix* matrix) override;
  Result MultiplyTransform(uint32_t state, const Matrix* matrix) override;
  Result SetViewport(const Viewport* viewport) override;
  Result GetViewport(Viewport* viewport) override;
  Result SetMaterial(const Material* material) override;
  Result GetMaterial(Material* material) override;
  Result SetLight(uint32_t index, const Light* light) override;
  Result GetLight(uint32_t index, Light* light) override;
  Result LightEnable(uint32_t index, int32_t enable) override;
  Result GetLightEnable(uint32_t index, int32_t* enable) override;
  Result SetClipPlane(uint32_t index, const float* plane) override;
  Result GetClipPlane(uint32_t index, float* plane) override;
  Result SetRenderState(uint32_t state, uint32_t value) override;
  Result GetRenderState(uint32_t state, uint32_t* value) override;
  Result CreateStateBlock(uint32_t type, StateBlock** block) override;
  Result BeginStateBlock() override;
  Result EndStateBlock(StateBlock** block) override;
  Result SetTexture(uint32_t stage, BaseTexture* texture) override;
  Result GetTexture(uint32_t stage, BaseTexture** texture) override;
  Result SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value) override;
  Result GetTextureStageState(uint32_t stage, uint32_t type, uint32_t* value) override;
  Result SetSamplerState(uint32_t sampler, uint32_t type, uint32_t value) override;
  Result GetSamplerState(uint32_t sampler, uint32_t type, uint32_t* value) override;
  Result ValidateDevice(uint32_t* passes) override;
  Result SetScissorRect(const Rect* rect) override;
  Result GetScissorRect(Rect* rect) override;
  Result SetSoftwareVertexProcessing(int32_t software) override;
  int32_t GetSoftwareVertexProcessing() override { return softwareVertexProcessing_; }

  Result CreateVertexDeclaration(const VertexElement* elements, VertexDeclaration** declaration) override;
  Result SetVertexDeclaration(VertexDeclaration* declaration) override;
  Result GetVertexDeclaration(VertexDeclaration** declaration) override;
  Result SetFVF(uint32_t fvf) override;
  Result GetFVF(uint32_t* fvf) override;
  Result SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t offset, uint32_t stride) override;
  Result GetStreamSource(uint32_t stream, VertexBuffer** buffer, uint32_t* offset, uint32_t* stride) override;
  Result SetStreamSourceFreq(uint32_t stream, uint32_t divider) override;
  Result SetIndices(IndexBuffer* indices) override;
  Result GetIndices(IndexBuffer** indices) override;
  Result DrawPrimitive(uint32_t type, uint32_t startVertex, uint32_t primitiveCount) override;
  Result DrawIndexedPrimitive(uint32_t type, int32_t baseVertexIndex, uint32_t minVertexIndex, uint32_t numVertices,
                              uint32_t startIndex, uint32_t primitiveCount) override;
  Result DrawPrimitiveUP(uint32_t type, uint32_t primitiveCount, const void* vertexData,
                         uint32_t vertexStride) override;
  Result DrawIndexedPrimitiveUP(uint32_t type, uint32_t minVertexIndex, uint32_t numVertices,
                                uint32_t primitiveCount, const void* indexData, uint32_t indexFormat,
                                const void* vertexData, uint32_t vertexStride) override;

  Result CreateVertexShader(const uint32_t* function, VertexShader** shader) override;
  Result SetVertexShader(VertexShader* shader) override;
  Result GetVertexShader(VertexShader** shader) override;
  Result CreatePixelShader(const uint32_t* function, PixelShader** shader) override;
  Result SetPixelShader(PixelShader* shader) override;
  Result GetPixelShader(PixelShader** shader) override;
  Result SetVertexShaderConstantF(uint32_t start, const float* data, uint32_t count) override;
  Result GetVertexShaderConstantF(uint32_t start, float* data, uint32_t count) override;
  Result SetVertexShaderConstantI(uint32_t start, const int32_t* data, uint32_t count) override;
  Result GetVertexShaderConstantI(uint32_t start, int32_t* data, uint32_t count) override;
  Result SetVertexShaderConstantB(uint32_t start, const int32_t* data, uint32_t count) override;
  Result GetVertexShaderConstantB(uint32_t start, int32_t* data, uint32_t count) override;
  Result SetPixelShaderConstantF(uint32_t start, const float* data, uint32_t count) override;
  Result GetPixelShaderConstantF(uint32_t start, float* data, uint32_t count) override;
  Result SetPixelShaderConstantI(uint32_t start, const int32_t* data, uint32_t count) override;
  Result GetPixelShaderConstantI(uint32_t start, int32_t* data, uint32_t count) override;
  Result SetPixelShaderConstantB(uint32_t start, const int32_t* data, uint32_t count) override;
  Result GetPixelShaderConstantB(uint32_t start, int32_t* data, uint32_t count) override;

  // --- for the device's own objects
  void MakeCurrent() {
    if (current_ != this) MakeCurrentSlow();
  }
  GlState& gl() { return gl_; }
  const GlInfo& info() const { return info_; }
  // Reads or writes a rectangle of a GL colour image as 0xAARRGGBB, rows top to bottom.
  void ReadColor(const GlImage& image, const Rect& rect, uint32_t* argb);
  void WriteColor(const GlImage& image, const Rect& rect, const uint32_t* argb);
  void TextureDeleted(GLuint name);
  // A texture's own sampling (its level of detail) changed: the stages it is set to send it again.
  void TextureSamplingChanged(const TextureStore* texture);
  void BufferDeleted(GLuint name);
  // The shared GL buffers of small static vertex (GL_ARRAY_BUFFER) or index buffers.
  BufferArena& ArenaFor(GLenum target) { return target == GL_ARRAY_BUFFER ? vertexArena_ : indexArena_; }
  // Forgets the GL state shadow (after GL calls the device did not make, e.g. a UI library's).
  void InvalidateGlState();
  // The state values state blocks read and write.
  const DeviceState& state() const { return state_; }
  uint32_t drawCalls() const { return drawCalls_; }
  // Textures with CPU changes GL has not seen (counted up and down by the textures), and the uploads.
  void TexturesPending(int change) { pendingTextures_ += change; }
  void CountTextureUpload() { ++textureUploads_; }
  uint32_t textureUploads() const { return textureUploads_; }
  // Deletes the linked programs that use the shader (it is going).
  void DropPrograms(uint64_t shaderId);

 private:
  friend class StateBlockImpl;
  DeviceImpl(ApiImpl* api, uint32_t adapter, Window* window);
  void MakeCurrentSlow();
  Result Init(PresentParams* params);
  Result ValidatePresentParams(PresentParams* params);
  Result CreateSwapSurfaces();
  void ApplyWindowMode();
  // GL settings the device never changes after start-up (again after foreign GL code ran).
  void ApplyFixedGlSettings();
  void ResetStates();
  void ReleaseStateResources();

  // Render targets
  void HoldTarget(SurfaceImpl*& slot, SurfaceImpl* surface);
  void BindTargets();
  void ResetViewportToTarget();
  void AttachColor(GLenum fboTarget, const GlImage& image);
  bool BlitColor(SurfaceImpl* src, const Rect& srcRect, SurfaceImpl* dst, const Rect& dstRect, GLenum filter);

  // State flushing (device_flush.cpp, device_stages.cpp)
  void MarkRenderState(uint32_t state);
  void Flush(const VertexLayout& layout, bool points);
  void FlushRaster();
  void FlushDepthStencil();
  void FlushBlend();
  void FlushFog(bool pretransformed);
  void FlushLighting(const VertexLayout& layout, bool pretransformed);
  // Some enabled light and the material (or the vertex colour standing for it) are specular.
  bool SpecularCanShow(bool fromVertexColour) const;
  void FlushLights();
  void FlushTransforms(bool pretransformed);
  void FlushPoints(bool points, bool pretransformed);
  void FlushStages(const VertexLayout& layout, bool pretransformed);
  // Everything a stage's flush reads, as it stands now.
  struct StageInputs;
  void CaptureStage(int stage, bool active, const VertexLayout& layout, StageInputs* in);
  // Units whose GL state is no longer what their last flush sent: they are sent again in full.
  void ForgetStages(uint32_t units) {
    stagesKnown_ &= uint8_t(~units);
    stageDirty_ |= units & 0xFF;
  }
  void UploadBoundTextures();
  // Active units whose texture an earlier active unit also holds (later), and every active unit whose
  // texture another active unit holds (all).
  void SharedTextureUnits(uint8_t active, uint8_t* later, uint8_t* all) const;
  // Points the unit's own sampler object at the stage's sampler states.
  void SetUnitSampler(int stage, bool mipmapped);
  void FlushStage(int stage, bool active, bool pretransformed);
  void FlushTexCoords(int stage, const VertexLayout& layout, bool pretransformed);

  // Drawing (device_draw.cpp)
  // Trivial, so that arrays of them cost nothing until filled; zeroed ({}) where a stream may be unset.
  struct StreamSource {
    const uint8_t* cpu;  // base of the vertex data in CPU memory
    GLuint buffer;       // GL buffer, 0 for caller memory
    uint32_t offset;     // of the stream within the data
    uint32_t stride;
    uint32_t glOffset;   // of the data within the GL buffer
  };
  const VertexLayout& CurrentLayout();
  // The sources as the GL sees them: offsets within the GL buffer, and for a single stream (where the
  // GL has base-vertex draws) the data's whole vertices moved into the draw's vertex numbers (*shift),
  // so that buffers sharing a GL buffer and stride share one set of array pointers.
  void ToGlSources(const StreamSource* sources, bool single, StreamSource* gl, int32_t* shift) const;
  // Sources of the streams a layout reads, checked to hold `count` vertices from `first`.
  bool GatherStreams(const VertexLayout& layout, uint32_t first, uint32_t count, StreamSource* sources);
  // Points the GL's vertex arrays at the sources. Where the GL has base-vertex draws, a single stream
  // in a GL buffer is pointed at from the first whole vertex of the GL buffer, whatever the data's
  // place in it: *shift gets the vertices the draw adds to its vertex numbers to reach the data (0
  // otherwise).
  bool BindVertexInput(const VertexLayout& layout, const StreamSource* sources, uint32_t first, uint32_t count,
                       int32_t* shift);
  Result DrawCommon(uint32_t type, uint32_t primitiveCount, const StreamSource* sources, uint32_t firstVertex,
                    uint32_t vertexCount, const void* indices, GLuint indexBuffer, size_t indexOffset,
                    uint32_t indexSize, int32_t baseVertex);

  // Programmable shaders (shader_draw.cpp). FlushShaders finds or links the program of the shaders
  // set, uses it and uploads the registers that changed; false when the pair does not link.
  bool ShadersActive() const { return shaders_.vertex || shaders_.pixel; }
  bool FlushShaders();
  // Points the vertex shader's generic attributes at the elements of the layout with their usages.
  // *shift as BindVertexInput's.
  bool BindShaderInput(const VertexLayout& layout, const StreamSource* sources, int32_t* shift);
  // Back to the fixed pipeline: no program, no generic attribute arrays.
  void LeaveShaders();
  void DisableGenericArrays();
  void DeletePrograms();
  // After GL calls the device did not make.
  void InvalidateShaderState();

  // State-block recording: setters write here instead of the device while it is set.
  bool Recording() const { return recording_ != nullptr; }

  static DeviceImpl* current_;

  ApiImpl* api_;
  uint32_t adapter_;
  Window* window_;
  SDL_Window* sdlWindow_ = nullptr;
  SDL_GLContext context_ = nullptr;
  GlInfo info_;
  GlState gl_;
  PresentParams params_{};
  GammaRamp gamma_{};
  bool inScene_ = false;
  uint32_t childRefs_ = 0;  // references held by the device's own objects
  bool droppingBindings_ = false;
  uint32_t drawCalls_ = 0;
  int32_t pendingTextures_ = 0;
  uint32_t textureUploads_ = 0;
  int32_t softwareVertexProcessing_ = 0;

  SurfaceImpl* backBuffer_ = nullptr;      // counting forwarded to the device
  SurfaceImpl* autoDepthStencil_ = nullptr;
  SurfaceImpl* presentCopy_ = nullptr;     // part of the back buffer being presented scaled
  std::vector<SurfaceImpl*> retired_;      // swap surfaces of earlier sizes, kept until the device goes
  SurfaceImpl* renderTarget_ = nullptr;    // referenced
  SurfaceImpl* depthStencil_ = nullptr;    // referenced
  GLuint drawFbo_ = 0, readFbo_ = 0, writeFbo_ = 0;
  bool targetsDirty_ = true;
  GLuint whiteTexture_ = 0;                // for stages that combine without a texture
  BufferArena vertexArena_{GL_ARRAY_BUFFER};
  BufferArena indexArena_{GL_ELEMENT_ARRAY_BUFFER};

  DeviceState state_;
  StateBlockImpl* recording_ = nullptr;
  ShaderState shaders_;  // shaders, constant registers and linked programs (device_shaders.cpp)

  // Dirty groups of device state not yet sent to GL.
  uint32_t dirty_ = ~0u;
  uint32_t stageDirty_ = ~0u;  // a bit per stage, and kStagesUnitsChanged
  // The stages flush even with no stage's state changed: which units are active is looked at again.
  static constexpr uint32_t kStagesUnitsChanged = 1u << 8;
  bool lastPretransformed_ = false;
  bool transformsPretransformed_ = true;  // GL holds the identity matrices of pre-transformed draws
  uint32_t lastColorSources_ = ~0u;  // vertex colours present at the last lighting flush
  bool layoutDirty_ = true;
  VertexLayout layout_;
  struct BoundInput {
    const void* pointers[12]{};
    GLuint buffers[12]{};
    uint32_t strides[12]{};
    uint32_t texcoordSets = ~0u;
    // The whole input of the last draw from one stream: a draw with the same sends nothing.
    uint32_t layoutVersion = ~0u;
    StreamSource source{};
    int8_t units[kMaxTextureStages]{};
  } bound_;
  uint32_t layoutVersion_ = 0;
  std::vector<float> scratch_;  // converted positions of pre-transformed vertices
  int8_t unitTexSet_[kMaxTextureStages];  // coordinate set fed to each unit from the vertices, -1 none
  uint8_t activeStages_ = 0xFF;           // bit per stage that takes part (unknown at first)
  bool stagesForShader_ = false;          // the units last followed a pixel shader's samplers
  // What each unit was last flushed from (valid where its bit is set in stagesKnown_): a stage set
  // and put back between draws compares equal and sends nothing.
  struct StageInputs {
    uint64_t texture;  // the texture store
    uint32_t name, levels, lod, samplingSerial;
    uint32_t tss[10];   // the stage states the flush reads
    uint32_t samp[10];  // SAMP_ADDRESSU .. SAMP_MAXANISOTROPY
    uint32_t factor, texcoordSize, active, shader;
    float texMatrix[16];
  } flushedStages_[kMaxTextureStages]{};
  uint8_t stagesKnown_ = 0;
  // A GL texture holds one set of sampling parameters, and a device stage has its own sampler
  // states: a unit whose texture an earlier active unit also holds samples it through a sampler object
  // of its own (where GL has them), made on first use.
  uint8_t laterSharingUnits_ = 0;  // of the flush under way
  GLuint unitSamplers_[kMaxTextureStages]{};
  int8_t pointSprites_ = -1;
  struct UnitState {
    uint32_t combiner[20]{};  // the last combiner sent, see FlushStage
    bool combinerKnown = false;
    uint32_t texEnvColor = 0xDEADBEEF;
    float lodBias = -1000.0f;
    int8_t texgen = -1;
    uint32_t texMatrixKey = ~0u;
    bool ownSampler = false;  // its sampler object is bound
  } units_[kMaxTextureStages];
};

}  // namespace platform::gfx
