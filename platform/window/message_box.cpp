#include "platform/window/message_box.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/window/messages.h"
#include "platform/window/window.h"

namespace platform::window {

bool MessageBoxesSilenced() {
  const char* underTest = std::getenv("QEL_UNDER_TEST");
  if (underTest && std::strcmp(underTest, "0") != 0 && *underTest) return true;
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) return true;
  if (!driver) {  // video not started: a dialog needs an X or Wayland display
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!display || !*display) && (!wayland || !*wayland)) return true;
  }
  return false;
}

int MessageBox(Window* owner, const char* text, const char* caption, uint32_t type) {
  std::fprintf(stderr, "%s: %s\n", caption ? caption : "qel", text ? text : "");
  if (MessageBoxesSilenced()) return IDOK;
  uint32_t flags = SDL_MESSAGEBOX_INFORMATION;
  if ((type & 0xF0) == MB_ICONERROR) flags = SDL_MESSAGEBOX_ERROR;
  else if ((type & 0xF0) == MB_ICONWARNING) flags = SDL_MESSAGEBOX_WARNING;
  SDL_ShowSimpleMessageBox(flags, caption ? caption : "", text ? text : "",
                           owner ? owner->NativeWindow() : nullptr);
  return IDOK;
}

}  // namespace platform::window
