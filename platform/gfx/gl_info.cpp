#include "platform/gfx/gl_info.h"

#include <SDL2/SDL.h>
#include <dlfcn.h>
#include <link.h>

#include <cstring>
#include <memory>

#include "platform/gfx/gl.h"

namespace platform::gfx {
namespace {

// Whether the probe holds SDL's video and the GL library (see Probe).
bool g_driverHeld = false;

bool HasExtension(const char* list, const char* name) {
  if (!list) return false;
  size_t n = std::strlen(name);
  for (const char* p = std::strstr(list, name); p; p = std::strstr(p + 1, name))
    if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == 0)) return true;
  return false;
}

std::string GlString(GLenum name) {
  const char* s = reinterpret_cast<const char*>(glGetString(name));
  return s ? s : "";
}

void ReadCurrent(GlInfo* info) {
  info->vendor = GlString(GL_VENDOR);
  info->renderer = GlString(GL_RENDERER);
  info->version = GlString(GL_VERSION);
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &info->maxTextureSize);
  glGetIntegerv(GL_MAX_TEXTURE_UNITS, &info->maxTextureUnits);
  glGetIntegerv(GL_MAX_LIGHTS, &info->maxLights);
  glGetIntegerv(GL_MAX_CLIP_PLANES, &info->maxClipPlanes);
  float range[2] = {1, 64};
  glGetFloatv(GL_ALIASED_POINT_SIZE_RANGE, range);
  info->maxPointSize = range[1];
  const char* ext = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  info->s3tc = HasExtension(ext, "GL_EXT_texture_compression_s3tc");
  info->mirrorClamp = HasExtension(ext, "GL_ARB_texture_mirror_clamp_to_edge") ||
                      HasExtension(ext, "GL_EXT_texture_mirror_clamp");
  info->baseVertex = HasExtension(ext, "GL_ARB_draw_elements_base_vertex");
  info->samplerObjects = HasExtension(ext, "GL_ARB_sampler_objects");
  if (HasExtension(ext, "GL_EXT_texture_filter_anisotropic"))
    glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &info->maxAnisotropy);
}

std::unique_ptr<GlInfo> Probe() {
  auto info = std::make_unique<GlInfo>();
  if (SDL_GL_GetCurrentContext()) {
    ReadCurrent(info.get());
    return info;
  }
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
  // Keeps the GL library loaded after the probe window goes (SDL unloads it with its last GL
  // window): devices made later need it, and reloading the driver each time costs. The hold ends
  // with ReleaseGlDriver.
  if (SDL_GL_LoadLibrary(nullptr) == 0) {
    g_driverHeld = true;
  } else {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
  }
  SetContextAttributes();
  SDL_Window* window = SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
  if (context) ReadCurrent(info.get());
  if (context) {
    PinLoadedLibraries();
    SDL_GL_MakeCurrent(window, nullptr);
    SDL_GL_DeleteContext(context);
  }
  if (window) SDL_DestroyWindow(window);
  if (!context) return nullptr;
  return info;
}

}  // namespace

GlInfo ReadCurrentGlInfo() {
  GlInfo info;
  ReadCurrent(&info);
  return info;
}

const GlInfo* QueryGlInfo() {
  static std::unique_ptr<GlInfo> info = Probe();
  return info.get();
}

namespace {

// Marks a loaded library to stay mapped when it is closed.
int PinLibrary(dl_phdr_info* info, size_t, void*) {
  if (info->dlpi_name && *info->dlpi_name) dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
  return 0;
}

}  // namespace

void PinLoadedLibraries() { dl_iterate_phdr(PinLibrary, nullptr); }

void ReleaseGlDriver() {
  if (!g_driverHeld) return;
  g_driverHeld = false;
  // The driver's libraries stay mapped once it is let go, so a later device does not load them again.
  PinLoadedLibraries();
  SDL_GL_UnloadLibrary();
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void SetContextAttributes() {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

}  // namespace platform::gfx
