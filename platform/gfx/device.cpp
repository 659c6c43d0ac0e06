// Device creation, the swap surfaces, presenting, reset and gamma.
#include <cstring>

#include "platform/gfx/device_impl.h"
#include "platform/gfx/format.h"
#include "platform/gfx/gl_interop.h"
#include "platform/gfx/state_block.h"
#include "platform/gfx/test_hooks.h"
#include "platform/gfx/window.h"

namespace platform::gfx {

DeviceImpl* DeviceImpl::current_ = nullptr;

namespace {
bool gBaseVertexDrawsDisabled = false;
}  // namespace

Device* AsDevice(DeviceImpl* device) { return device; }
void AddChildRef(DeviceImpl* device) { device->AddChildRef(); }
void ReleaseChildRef(DeviceImpl* device) { device->ReleaseChildRef(); }

uint32_t DeviceImpl::Release() {
  uint32_t left = --refs_;
  if (left == 0) {
    delete this;
    return 0;
  }
  if (left == childRefs_ && !droppingBindings_) {
    droppingBindings_ = true;
    ++refs_;  // alive while the bindings go, whatever they release
    ReleaseStateResources();
    if (recording_) {
      recording_->Release();
      recording_ = nullptr;
    }
    HoldTarget(renderTarget_, backBuffer_);
    HoldTarget(depthStencil_, autoDepthStencil_);
    droppingBindings_ = false;
    left = --refs_;
    if (left == 0) {
      delete this;
      return 0;
    }
  }
  return left;
}

Result ApiImpl::CreateDevice(uint32_t adapter, uint32_t, Window* focusWindow, uint32_t behaviorFlags,
                             PresentParams* params, Device** device) {
  if (!device) return kInvalidCall;
  *device = nullptr;
  if (!params || adapter >= GetAdapterCount()) return kInvalidCall;
  Result r = DeviceImpl::Create(this, adapter, params->deviceWindow ? params->deviceWindow : focusWindow,
                                behaviorFlags, params, device);
  return r;
}

DeviceImpl::DeviceImpl(ApiImpl* api, uint32_t adapter, Window* window)
    : api_(api), adapter_(adapter), window_(window) {
  api_->AddRef();
  for (int i = 0; i < 256; ++i) gamma_.red[i] = gamma_.green[i] = gamma_.blue[i] = uint16_t(i * 257);
}

Result DeviceImpl::Create(ApiImpl* api, uint32_t adapter, Window* window, uint32_t flags, PresentParams* params,
                          Device** device) {
  if (!window || !window->SdlWindow()) return kInvalidCall;
  auto* d = new DeviceImpl(api, adapter, window);
  d->softwareVertexProcessing_ = (flags & CREATE_SOFTWARE_VERTEXPROCESSING) ? 1 : 0;
  Result r = d->Init(params);
  if (Failed(r)) {
    d->Release();
    return r;
  }
  *device = d;
  return kOk;
}

Result DeviceImpl::Init(PresentParams* params) {
  PresentParams wanted = *params;
  wanted.deviceWindow = window_;
  sdlWindow_ = window_->SdlWindow();
  Result r = ValidatePresentParams(&wanted);
  if (Failed(r)) return r;
  SetContextAttributes();
  context_ = SDL_GL_CreateContext(sdlWindow_);
  if (!context_) return kNotAvailable;
  PinLoadedLibraries();
  current_ = nullptr;
  MakeCurrent();
  info_ = ReadCurrentGlInfo();
  if (gBaseVertexDrawsDisabled) info_.baseVertex = false;
  gl_.Invalidate();
  glGenFramebuffers(1, &drawFbo_);
  glGenFramebuffers(1, &readFbo_);
  glGenFramebuffers(1, &writeFbo_);
  ApplyFixedGlSettings();
  glGenTextures(1, &whiteTexture_);
  gl_.BindTexture(GL_TEXTURE_2D, whiteTexture_);
  const uint32_t white = 0xFFFFFFFF;
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, &white);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  params_ = wanted;
  r = CreateSwapSurfaces();
  if (Failed(r)) return r;
  ApplyWindowMode();
  ResetStates();
  *params = params_;
  Clear(0, nullptr, CLEAR_TARGET | (autoDepthStencil_ ? CLEAR_ZBUFFER | CLEAR_STENCIL : 0), 0xFF000000, 1.0f, 0);
  return kOk;
}

DeviceImpl::~DeviceImpl() {
  if (context_) {
    MakeCurrent();
    if (recording_) recording_->Release();
    ReleaseStateResources();
    DeletePrograms();
    HoldTarget(renderTarget_, nullptr);
    HoldTarget(depthStencil_, nullptr);
    if (presentCopy_) presentCopy_->DestroyOwned();
    retired_.push_back(backBuffer_);
    retired_.push_back(autoDepthStencil_);
    for (SurfaceImpl* s : retired_)
      if (s) s->DestroyOwned();
    glDeleteTextures(1, &whiteTexture_);
    if (info_.samplerObjects) glDeleteSamplers(kMaxTextureStages, unitSamplers_);
    vertexArena_.DeleteAll(gl_);
    indexArena_.DeleteAll(gl_);
    GLuint fbos[] = {drawFbo_, readFbo_, writeFbo_};
    glDeleteFramebuffers(3, fbos);
    SDL_GL_MakeCurrent(sdlWindow_, nullptr);
    SDL_GL_DeleteContext(context_);
    if (current_ == this) current_ = nullptr;
  }
  api_->Release();
}

void DeviceImpl::MakeCurrentSlow() {
  SDL_GL_MakeCurrent(sdlWindow_, context_);
  current_ = this;
}

void DeviceImpl::ApplyFixedGlSettings() {
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  // The first vertex gives the colour of a flat-shaded primitive, as the device API defines it.
  glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
  glFrontFace(GL_CCW);
  // Rendering is stored top row first, so the sprite's top is GL's lower edge.
  glPointParameteri(GL_POINT_SPRITE_COORD_ORIGIN, GL_LOWER_LEFT);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
  glFogi(GL_FOG_COORDINATE_SOURCE, GL_FRAGMENT_DEPTH);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  for (int unit = 0; unit < GlState::kUnits; ++unit) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
  }
}

void DeviceImpl::InvalidateGlState() {
  MakeCurrent();
  ApplyFixedGlSettings();
  gl_.Invalidate();
  dirty_ = ~0u;
  stageDirty_ = ~0u;
  targetsDirty_ = true;
  bound_ = BoundInput{};
  for (int unit = 0; unit < kMaxTextureStages; ++unit)
    if (units_[unit].ownSampler) glBindSampler(GLuint(unit), 0);
  for (UnitState& u : units_) u = UnitState{};
  lastColorSources_ = ~0u;
  pointSprites_ = -1;
  transformsPretransformed_ = true;
  activeStages_ = 0xFF;
  stagesKnown_ = 0;
  for (int8_t& set : unitTexSet_) set = -1;
  InvalidateShaderState();
}

Result DeviceImpl::ValidatePresentParams(PresentParams* p) {
  if (p->windowed) {
    if (p->backBufferWidth == 0 || p->backBufferHeight == 0) {
      int w = 0, h = 0;
      SDL_GetWindowSize(sdlWindow_, &w, &h);
      if (p->backBufferWidth == 0) p->backBufferWidth = uint32_t(w > 0 ? w : 1);
      if (p->backBufferHeight == 0) p->backBufferHeight = uint32_t(h > 0 ? h : 1);
    }
    if (p->backBufferFormat == FMT_UNKNOWN) {
      DisplayMode desktop;
      p->backBufferFormat = api_->GetAdapterDisplayMode(adapter_, &desktop) == kOk ? desktop.format : FMT_X8R8G8B8;
    }
  } else if (p->backBufferWidth == 0 || p->backBufferHeight == 0) {
    return kInvalidCall;
  }
  if (p->backBufferWidth > uint32_t(QueryGlInfo() ? QueryGlInfo()->maxTextureSize : 4096) ||
      p->backBufferHeight > uint32_t(QueryGlInfo() ? QueryGlInfo()->maxTextureSize : 4096))
    return kNotAvailable;
  if (!format::IsBackBufferFormat(p->backBufferFormat)) return kNotAvailable;
  if (p->backBufferCount == 0) p->backBufferCount = 1;
  if (p->backBufferCount > 3) return kInvalidCall;
  if (p->multiSampleType != MULTISAMPLE_NONE) return kInvalidCall;
  if (p->swapEffect < SWAPEFFECT_DISCARD || p->swapEffect > SWAPEFFECT_COPY) return kInvalidCall;
  if (p->enableAutoDepthStencil) {
    const format::Info* ds = format::Find(p->autoDepthStencilFormat);
    if (!ds || !ds->depth) return kInvalidCall;
  }
  return kOk;
}

Result DeviceImpl::CreateSwapSurfaces() {
  SurfaceImpl* bb = SurfaceImpl::CreateRenderTarget(this, params_.backBufferWidth, params_.backBufferHeight,
                                                    params_.backBufferFormat, this);
  if (!bb) return kOutOfVideoMemory;
  SurfaceImpl* ds = nullptr;
  if (params_.enableAutoDepthStencil) {
    ds = SurfaceImpl::CreateDepthStencil(this, params_.backBufferWidth, params_.backBufferHeight,
                                         params_.autoDepthStencilFormat, this);
    if (!ds) {
      bb->DestroyOwned();
      return kOutOfVideoMemory;
    }
  }
  // Callers may still hold the previous ones; they stay valid until the device goes.
  if (backBuffer_) retired_.push_back(backBuffer_);
  if (autoDepthStencil_) retired_.push_back(autoDepthStencil_);
  backBuffer_ = bb;
  autoDepthStencil_ = ds;
  return kOk;
}

void DeviceImpl::ApplyWindowMode() {
  // The window layer owns the window's full-screen state; the device only paces its swaps.
  SDL_GL_SetSwapInterval(params_.presentationInterval == PRESENT_INTERVAL_IMMEDIATE ? 0 : 1);
}

void DeviceImpl::ReleaseStateResources() {
  for (BaseTexture*& t : state_.textures)
    if (t) { t->Release(); t = nullptr; }
  for (StreamSlot& s : state_.streams)
    if (s.buffer) { s.buffer->Release(); s = StreamSlot{}; }
  if (state_.declaration) { state_.declaration->Release(); state_.declaration = nullptr; }
  if (state_.indices) { state_.indices->Release(); state_.indices = nullptr; }
  SetVertexShader(nullptr);
  SetPixelShader(nullptr);
}

void DeviceImpl::ResetStates() {
  ReleaseStateResources();
  SetDefaultStates(&state_, autoDepthStencil_ != nullptr, info_.maxPointSize);
  for (BaseTexture*& t : state_.textures) t = nullptr;
  state_.declaration = nullptr;
  state_.indices = nullptr;
  HoldTarget(renderTarget_, backBuffer_);
  HoldTarget(depthStencil_, autoDepthStencil_);
  targetsDirty_ = true;
  ResetViewportToTarget();
  layoutDirty_ = true;
  InvalidateGlState();
}

Result DeviceImpl::Reset(PresentParams* params) {
  if (!params || recording_) return kInvalidCall;
  MakeCurrent();
  PresentParams wanted = *params;
  wanted.deviceWindow = window_;
  Result r = ValidatePresentParams(&wanted);
  if (Failed(r)) return r;
  PresentParams old = params_;
  params_ = wanted;
  r = CreateSwapSurfaces();
  if (Failed(r)) {
    params_ = old;
    return r;
  }
  ApplyWindowMode();
  ResetStates();
  *params = params_;
  inScene_ = false;
  Clear(0, nullptr, CLEAR_TARGET | (autoDepthStencil_ ? CLEAR_ZBUFFER | CLEAR_STENCIL : 0), 0xFF000000, 1.0f, 0);
  return kOk;
}

Result DeviceImpl::Present(const Rect* sourceRect, const Rect* destRect, Window*, const void*) {
  MakeCurrent();
  Rect src;
  if (!ClipRect(sourceRect, backBuffer_->width(), backBuffer_->height(), &src)) return kInvalidCall;
  int cw = 0, ch = 0;
  SDL_GL_GetDrawableSize(sdlWindow_, &cw, &ch);
  Rect dst = destRect ? *destRect : Rect{0, 0, cw, ch};
  bool sameSize = dst.right - dst.left == src.right - src.left && dst.bottom - dst.top == src.bottom - src.top;
  bool whole = src.left == 0 && src.top == 0 && src.right == int32_t(backBuffer_->width()) &&
               src.bottom == int32_t(backBuffer_->height());
  GlImage from = backBuffer_->gl();
  if (!sameSize && !whole) {
    // A filtered stretch of part of the back buffer would read texels beyond the part: copy it
    // out first, so that its own edges clamp.
    int32_t w = src.right - src.left, h = src.bottom - src.top;
    if (!presentCopy_ || presentCopy_->width() != uint32_t(w) || presentCopy_->height() != uint32_t(h)) {
      if (presentCopy_) presentCopy_->DestroyOwned();
      presentCopy_ = SurfaceImpl::CreateRenderTarget(this, uint32_t(w), uint32_t(h), FMT_X8R8G8B8, this);
      if (!presentCopy_) return kOutOfVideoMemory;
    }
    BlitColor(backBuffer_, src, presentCopy_, presentCopy_->WholeRect(), GL_NEAREST);
    from = presentCopy_->gl();
    src = presentCopy_->WholeRect();
  }
  gl_.BindReadFramebuffer(readFbo_);
  AttachColor(GL_READ_FRAMEBUFFER, from);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  gl_.BindDrawFramebuffer(0);
  glDrawBuffer(GL_BACK);
  gl_.Enable(GL_SCISSOR_TEST, false);
  gl_.ColorMask(0xF);
  dirty_ |= kDirtyScissor | kDirtyRaster;
  if (dst.left > 0 || dst.top > 0 || dst.right < cw || dst.bottom < ch) {
    gl_.ClearColor(0xFF000000);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  // The window's rows run bottom to top, the back buffer's top to bottom.
  glBlitFramebuffer(src.left, src.top, src.right, src.bottom, dst.left, ch - dst.top, dst.right, ch - dst.bottom,
                    GL_COLOR_BUFFER_BIT, sameSize ? GL_NEAREST : GL_LINEAR);
  SDL_GL_SwapWindow(sdlWindow_);
  targetsDirty_ = true;
  return kOk;
}

void DeviceImpl::FlushCommands() {
  MakeCurrent();
  glFlush();
}

Result DeviceImpl::GetBackBuffer(uint32_t swapChain, uint32_t index, uint32_t, Surface** surface) {
  if (!surface) return kInvalidCall;
  *surface = nullptr;
  if (swapChain != 0 || index >= params_.backBufferCount) return kInvalidCall;
  *surface = backBuffer_;
  backBuffer_->AddRef();
  return kOk;
}

void DeviceImpl::SetGammaRamp(uint32_t, uint32_t, const GammaRamp* ramp) {
  if (!ramp) return;
  gamma_ = *ramp;
  // Not every display allows it (virtual displays refuse); the ramp is kept either way.
  SDL_SetWindowGammaRamp(sdlWindow_, gamma_.red, gamma_.green, gamma_.blue);
}

void DeviceImpl::GetGammaRamp(uint32_t, GammaRamp* ramp) {
  if (ramp) *ramp = gamma_;
}

Result DeviceImpl::GetDirect3D(Api** api) {
  if (!api) return kInvalidCall;
  *api = api_;
  api_->AddRef();
  return kOk;
}

Result DeviceImpl::GetDeviceCaps(Caps* caps) {
  if (!caps) return kInvalidCall;
  FillCaps(adapter_, caps);
  return kOk;
}

Result DeviceImpl::GetDisplayMode(uint32_t swapChain, DisplayMode* mode) {
  if (!mode || swapChain != 0) return kInvalidCall;
  if (params_.windowed) return api_->GetAdapterDisplayMode(adapter_, mode);
  SDL_DisplayMode m{};
  SDL_GetWindowDisplayMode(sdlWindow_, &m);
  *mode = {uint32_t(m.w), uint32_t(m.h), uint32_t(m.refresh_rate > 0 ? m.refresh_rate : 60), params_.backBufferFormat};
  return kOk;
}

Result DeviceImpl::BeginScene() {
  if (inScene_) return kInvalidCall;
  inScene_ = true;
  return kOk;
}

Result DeviceImpl::EndScene() {
  if (!inScene_) return kInvalidCall;
  inScene_ = false;
  return kOk;
}

Result DeviceImpl::SetSoftwareVertexProcessing(int32_t software) {
  softwareVertexProcessing_ = software ? 1 : 0;
  return kOk;
}

Result DeviceImpl::ValidateDevice(uint32_t* passes) {
  if (passes) *passes = 1;
  return kOk;
}

}  // namespace platform::gfx

namespace platform::gfx {

void MakeDeviceContextCurrent(Device* device) {
  if (device) static_cast<DeviceImpl*>(device)->MakeCurrent();
}

void InvalidateDeviceGlState(Device* device) {
  if (device) static_cast<DeviceImpl*>(device)->InvalidateGlState();
}

uint32_t DrawCallCount(Device* device) { return device ? static_cast<DeviceImpl*>(device)->drawCalls() : 0; }

uint32_t TextureUploadCount(Device* device) {
  return device ? static_cast<DeviceImpl*>(device)->textureUploads() : 0;
}

void SetBaseVertexDrawsDisabled(bool disabled) { gBaseVertexDrawsDisabled = disabled; }

}  // namespace platform::gfx
