#include "platform/gfx/api_impl.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/gfx/format.h"
#include "platform/gfx/gl_info.h"
#include "platform/gfx/test_hooks.h"

namespace platform::gfx {
namespace {

// Sizes offered besides the ones the display reports, so that windowed modes of the usual sizes
// exist under a virtual display that reports a single mode.
const uint32_t kCommonSizes[][2] = {
    {640, 480},   {800, 600},   {1024, 768},  {1152, 864},  {1280, 720},  {1280, 800},  {1280, 1024},
    {1366, 768},  {1440, 900},  {1600, 900},  {1600, 1200}, {1680, 1050}, {1920, 1080}, {1920, 1200},
    {2560, 1440}, {2560, 1600}, {3840, 2160},
};

uint32_t DisplayFormatOf(uint32_t sdlFormat) {
  return SDL_BITSPERPIXEL(sdlFormat) >= 24 || sdlFormat == 0 ? FMT_X8R8G8B8 : FMT_R5G6B5;
}

uint32_t gTextureCapsAdd = 0, gTextureCapsRemove = 0;

void CopyText(char* dst, size_t size, const std::string& text) {
  std::snprintf(dst, size, "%s", text.c_str());
}

}  // namespace

Api* CreateApi(uint32_t) { return new ApiImpl(); }

ApiImpl::ApiImpl() { videoReady_ = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0; }

ApiImpl::~ApiImpl() {
  if (videoReady_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

uint32_t ApiImpl::GetAdapterCount() {
  if (!videoReady_) return 0;
  int n = SDL_GetNumVideoDisplays();
  return n > 0 ? uint32_t(n) : 0;
}

bool ApiImpl::ValidAdapter(uint32_t adapter, uint32_t deviceType) {
  return adapter < GetAdapterCount() && (deviceType == DEVTYPE_HAL || deviceType == DEVTYPE_REF || deviceType == 0);
}

Result ApiImpl::GetAdapterIdentifier(uint32_t adapter, uint32_t, AdapterIdentifier* id) {
  if (!id || adapter >= GetAdapterCount()) return kInvalidCall;
  std::memset(id, 0, sizeof *id);
  const GlInfo* gl = QueryGlInfo();
  const char* display = SDL_GetDisplayName(int(adapter));
  if (gl) {
    CopyText(id->description, sizeof id->description, gl->renderer);
    CopyText(id->driver, sizeof id->driver, gl->vendor + " " + gl->version);
  } else {
    CopyText(id->description, sizeof id->description, display ? display : "display");
    CopyText(id->driver, sizeof id->driver, SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "");
  }
  CopyText(id->deviceName, sizeof id->deviceName, display ? display : "");
  return kOk;
}

const std::vector<ApiImpl::Size>& ApiImpl::Modes(uint32_t adapter) {
  if (modes_.size() <= adapter) modes_.resize(adapter + 1);
  std::vector<Size>& list = modes_[adapter];
  if (!list.empty()) return list;
  SDL_DisplayMode desktop{};
  if (SDL_GetDesktopDisplayMode(int(adapter), &desktop) != 0) return list;
  uint32_t refresh = desktop.refresh_rate > 0 ? uint32_t(desktop.refresh_rate) : 60;
  int count = SDL_GetNumDisplayModes(int(adapter));
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode m{};
    if (SDL_GetDisplayMode(int(adapter), i, &m) == 0 && m.w > 0 && m.h > 0)
      list.push_back({uint32_t(m.w), uint32_t(m.h), refresh});
  }
  list.push_back({uint32_t(desktop.w), uint32_t(desktop.h), refresh});
  for (const auto& s : kCommonSizes)
    if (s[0] <= uint32_t(desktop.w) && s[1] <= uint32_t(desktop.h)) list.push_back({s[0], s[1], refresh});
  std::sort(list.begin(), list.end(), [](const Size& a, const Size& b) {
    return a.width != b.width ? a.width < b.width : a.height < b.height;
  });
  list.erase(std::unique(list.begin(), list.end(),
                         [](const Size& a, const Size& b) { return a.width == b.width && a.height == b.height; }),
             list.end());
  return list;
}

uint32_t ApiImpl::GetAdapterModeCount(uint32_t adapter, uint32_t fmt) {
  if (adapter >= GetAdapterCount() || !format::IsDisplayFormat(fmt)) return 0;
  return uint32_t(Modes(adapter).size());
}

Result ApiImpl::EnumAdapterModes(uint32_t adapter, uint32_t fmt, uint32_t mode, DisplayMode* out) {
  if (!out || adapter >= GetAdapterCount()) return kInvalidCall;
  if (!format::IsDisplayFormat(fmt)) return kNotAvailable;
  const auto& list = Modes(adapter);
  if (mode >= list.size()) return kInvalidCall;
  *out = {list[mode].width, list[mode].height, list[mode].refresh, fmt};
  return kOk;
}

Result ApiImpl::GetAdapterDisplayMode(uint32_t adapter, DisplayMode* out) {
  if (!out || adapter >= GetAdapterCount()) return kInvalidCall;
  SDL_DisplayMode m{};
  if (SDL_GetDesktopDisplayMode(int(adapter), &m) != 0) return kNotAvailable;
  *out = {uint32_t(m.w), uint32_t(m.h), m.refresh_rate > 0 ? uint32_t(m.refresh_rate) : 60, DisplayFormatOf(m.format)};
  return kOk;
}

Result ApiImpl::CheckDeviceType(uint32_t adapter, uint32_t deviceType, uint32_t adapterFormat,
                                uint32_t backBufferFormat, int32_t) {
  if (!ValidAdapter(adapter, deviceType)) return kInvalidCall;
  if (!format::IsDisplayFormat(adapterFormat)) return kNotAvailable;
  if (backBufferFormat != FMT_UNKNOWN && !format::IsBackBufferFormat(backBufferFormat)) return kNotAvailable;
  return kOk;
}

bool CanCreate(uint32_t usage, uint32_t resourceType, uint32_t fmt) {
  const format::Info* info = format::Find(fmt);
  if (!info) return false;
  if (usage & USAGE_DEPTHSTENCIL) return info->depth && resourceType == RTYPE_SURFACE;
  if (info->depth) return false;
  if (resourceType != RTYPE_SURFACE && resourceType != RTYPE_TEXTURE && resourceType != RTYPE_CUBETEXTURE)
    return false;
  if (usage & USAGE_RENDERTARGET) return info->renderTarget;
  if (usage & USAGE_AUTOGENMIPMAP) return !format::IsCompressed(*info);
  if (format::IsCompressed(*info)) {
    const GlInfo* gl = QueryGlInfo();
    return gl && gl->s3tc;
  }
  return info->texture;
}

Result ApiImpl::CheckDeviceFormat(uint32_t adapter, uint32_t deviceType, uint32_t adapterFormat, uint32_t usage,
                                  uint32_t resourceType, uint32_t checkFormat) {
  if (!ValidAdapter(adapter, deviceType)) return kInvalidCall;
  // What GL can make does not depend on the display's format. Callers pass the format of the
  // surface they draw to, which may be a 24-bit render target: any colour format is taken.
  const format::Info* adapterInfo = format::Find(adapterFormat);
  if (!adapterInfo || adapterInfo->depth) return kNotAvailable;
  return CanCreate(usage, resourceType, checkFormat) ? kOk : kNotAvailable;
}

Result ApiImpl::CheckDeviceMultiSampleType(uint32_t adapter, uint32_t deviceType, uint32_t, int32_t,
                                           uint32_t multiSampleType, uint32_t* qualityLevels) {
  if (!ValidAdapter(adapter, deviceType)) return kInvalidCall;
  if (qualityLevels) *qualityLevels = multiSampleType == MULTISAMPLE_NONE ? 1 : 0;
  return multiSampleType == MULTISAMPLE_NONE ? kOk : kNotAvailable;
}

Result ApiImpl::CheckDepthStencilMatch(uint32_t adapter, uint32_t deviceType, uint32_t adapterFormat,
                                       uint32_t renderTargetFormat, uint32_t depthStencilFormat) {
  if (!ValidAdapter(adapter, deviceType)) return kInvalidCall;
  const format::Info* adapterInfo = format::Find(adapterFormat);
  if (!adapterInfo || adapterInfo->depth) return kNotAvailable;
  const format::Info* rt = format::Find(renderTargetFormat);
  const format::Info* ds = format::Find(depthStencilFormat);
  // Any depth attachment goes with any colour attachment of a framebuffer object.
  return rt && rt->renderTarget && ds && ds->depth ? kOk : kNotAvailable;
}

void FillCaps(uint32_t adapter, Caps* caps) {
  std::memset(caps, 0, sizeof *caps);
  const GlInfo* gl = QueryGlInfo();
  GlInfo fallback;
  if (!gl) gl = &fallback;
  caps->deviceType = DEVTYPE_HAL;
  caps->adapterOrdinal = adapter;
  caps->devCaps = DEVCAPS_HWTRANSFORMANDLIGHT;
  // Full non-power-of-two support: neither POW2 nor NONPOW2CONDITIONAL.
  caps->textureCaps = PTEXTURECAPS_PERSPECTIVE | PTEXTURECAPS_ALPHA | PTEXTURECAPS_MIPMAP | PTEXTURECAPS_CUBEMAP |
                      PTEXTURECAPS_PROJECTED |
                      PTEXTURECAPS_MIPCUBEMAP;
  caps->textureCaps = (caps->textureCaps | gTextureCapsAdd) & ~gTextureCapsRemove;
  caps->maxTextureWidth = caps->maxTextureHeight = uint32_t(gl->maxTextureSize);
  caps->maxTextureAspectRatio = uint32_t(gl->maxTextureSize);
  caps->stencilCaps = STENCILCAPS_KEEP | STENCILCAPS_ZERO | STENCILCAPS_REPLACE | STENCILCAPS_INCRSAT |
                      STENCILCAPS_DECRSAT | STENCILCAPS_INVERT | STENCILCAPS_INCR | STENCILCAPS_DECR |
                      STENCILCAPS_TWOSIDED;
  uint32_t stages = uint32_t(std::min(gl->maxTextureUnits, kMaxTextureStages));
  caps->maxTextureBlendStages = stages;
  caps->maxSimultaneousTextures = stages;
  caps->maxActiveLights = uint32_t(std::min(gl->maxLights, 8));
  caps->maxUserClipPlanes = uint32_t(std::min(gl->maxClipPlanes, kMaxClipPlanes));
  caps->maxPointSize = gl->maxPointSize;
  caps->maxPrimitiveCount = 0xFFFFF;
  caps->maxVertexIndex = 0xFFFFF;
  caps->maxStreams = kMaxStreams;
  caps->numSimultaneousRTs = kMaxSimultaneousRenderTargets;
  // Shaders of the compilers in platform/d3dx, run as GLSL 1.20.
  caps->vertexShaderVersion = ShaderVersionVS(2, 0);
  caps->pixelShaderVersion = ShaderVersionPS(2, 0);
  caps->maxVertexShaderConst = kMaxVertexShaderConstantsF;
}

void SetTextureCapsOverride(uint32_t add, uint32_t remove) {
  gTextureCapsAdd = add;
  gTextureCapsRemove = remove;
}

Result ApiImpl::GetDeviceCaps(uint32_t adapter, uint32_t deviceType, Caps* caps) {
  if (!caps || !ValidAdapter(adapter, deviceType)) return kInvalidCall;
  FillCaps(adapter, caps);
  return kOk;
}

}  // namespace platform::gfx



// The GL driver keeps allocations for the life of the process; leak checks of every program that
// uses the device would report them. Only read when the program is built with a leak checker. Only
// libraries that never call back into our code are named: a pattern matches any frame of a leak's
// stack, so one for SDL (whose threads and event watches run our code) would hide our own leaks.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libLLVM\nleak:_dri.so\nleak:libgallium\nleak:libGLX_mesa\nleak:libEGL_mesa\nleak:libglapi\n"
         "leak:libX11\nleak:libxcb\nleak:libdbus\n";
}
