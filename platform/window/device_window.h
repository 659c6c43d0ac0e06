// What the device layer needs from the window it presents into. The window layer implements it
// (platform/window/window.h); the device holds it as the deviceWindow of its present parameters.
#pragma once

struct SDL_Window;

namespace platform::gfx {

class Window {
 public:
  // The SDL window, created with SDL_WINDOW_OPENGL, for the device's GL context.
  virtual SDL_Window* NativeWindow() const = 0;
  // The size in pixels of the area the device presents into (0 x 0 while minimised).
  virtual void DrawableSize(int& width, int& height) const = 0;

 protected:
  ~Window() = default;
};

}  // namespace platform::gfx
