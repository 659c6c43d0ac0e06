// What the device needs of the window it presents into. Platform-internal: the window service
// implements it, the device uses it; nothing above platform/ includes this header (engine code only
// passes the pointer along in PresentParams::deviceWindow).
#pragma once

struct SDL_Window;

namespace platform::gfx {

class Window {
 public:
  // The SDL window. It must have been created with SDL_WINDOW_OPENGL: the device creates its GL
  // context on it and presents into its drawable.
  virtual SDL_Window* SdlWindow() const = 0;

 protected:
  ~Window() = default;
};

}  // namespace platform::gfx
