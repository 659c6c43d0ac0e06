// Process set-up and screen queries.
#include <SDL.h>
#include <malloc.h>

#include "platform/window/window.h"

namespace platform::window {

namespace {
constexpr int kHeapKeep = 64 * 1024 * 1024;
bool g_ready = false;
}  // namespace

bool InitPlatform(std::string* why) {
  static bool heapTuned = false;
  if (!heapTuned) {
    // Setting these switches off glibc's moving mmap threshold, so blocks of 128 KiB and more would
    // each become a fresh mapping (model files, pictures); keep them in the heap as well.
    mallopt(M_TRIM_THRESHOLD, kHeapKeep);
    mallopt(M_TOP_PAD, kHeapKeep);
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    heapTuned = true;
  }
  if (g_ready) return true;
  // The screen saver stays on unless the display module asks otherwise.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    if (why) *why = SDL_GetError();
    return false;
  }
  g_ready = true;
  return true;
}

bool PlatformReady() { return g_ready; }

void GetScreenSize(int& width, int& height) {
  SDL_DisplayMode mode{};
  if (g_ready && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
    width = mode.w;
    height = mode.h;
  } else {
    width = 640;
    height = 480;
  }
}

ScreenRect GetWorkArea() {
  SDL_Rect area{};
  if (g_ready && SDL_GetDisplayUsableBounds(0, &area) == 0 && area.w > 0 && area.h > 0) {
    return {area.x, area.y, area.w, area.h};
  }
  int width, height;
  GetScreenSize(width, height);
  return {0, 0, width, height};
}

int GetDesktopDepth() {
  SDL_DisplayMode mode{};
  if (g_ready && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
    const int bits = SDL_BITSPERPIXEL(mode.format);
    return bits == 24 ? 32 : bits;  // a packed 24-bit desktop is a 32-bit framebuffer to the device
  }
  return 32;
}

void InhibitScreenSaver(bool inhibit) {
  if (!g_ready) return;
  if (inhibit) SDL_DisableScreenSaver();
  else SDL_EnableScreenSaver();
}

}  // namespace platform::window
