// Process set-up and screen queries.
#include <SDL.h>
#include <malloc.h>
#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/gfx/api.h"
#include "platform/window/window.h"

namespace platform::window {

namespace {
constexpr int kHeapKeep = 64 * 1024 * 1024;
bool g_ready = false;

std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Whether SDL_VIDEODRIVER (a name or a comma-separated list of names) asks for the driver.
bool DriverAskedFor(const char* driver) {
  const char* wanted = SDL_GetHint(SDL_HINT_VIDEODRIVER);
  if (!wanted) return false;
  const std::string_view list = wanted;
  for (size_t start = 0; start <= list.size();) {
    const size_t end = std::min(list.find(',', start), list.size());
    const std::string_view name = list.substr(start, end - start);
    if (name.size() == std::strlen(driver) && strncasecmp(name.data(), driver, name.size()) == 0) return true;
    start = end + 1;
  }
  return false;
}

// With no display to reach, SDL falls back to a driver that draws nowhere, and the game would run
// unseen. Such a driver is taken only when SDL_VIDEODRIVER asks for it (the tests); otherwise this
// says why there is no display.
bool DisplayMissing(std::string* why) {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0)) return false;
  if (DriverAskedFor(driver)) return false;
  const std::string x11 = EnvironmentValue("DISPLAY"), wayland = EnvironmentValue("WAYLAND_DISPLAY");
  std::string reason;
  if (x11.empty() && wayland.empty()) {
    reason = "DISPLAY is not set";
  } else {
    if (!x11.empty()) reason = "DISPLAY \"" + x11 + "\"";
    if (!wayland.empty()) reason += (reason.empty() ? "" : " and ") + ("WAYLAND_DISPLAY \"" + wayland + "\"");
    reason += " cannot be reached";
  }
  if (why) *why = reason;
  return true;
}

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
  if (DisplayMissing(why)) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  g_ready = true;
  return true;
}

bool PlatformReady() { return g_ready; }

void QuitPlatform() {
  platform::gfx::ReleaseGlDriver();
  if (g_ready) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  g_ready = false;
  SDL_Quit();
}

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
