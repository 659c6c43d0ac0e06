#include "platform/window/window.h"

#include <SDL.h>

#include <vector>

#include "platform/fs/path.h"
#include "platform/gfx/gl_info.h"
#include "platform/gfx/window.h"
#include "platform/window/window_registry.h"

namespace platform::window {

struct Window::DeviceHook final : gfx::Window {
  explicit DeviceHook(SDL_Window* window) : window(window) {}
  SDL_Window* SdlWindow() const override { return window; }
  SDL_Window* window;
};

Window::~Window() { delete hook_; }

gfx::Window* Window::DeviceWindow() const { return hook_; }

namespace {

SDL_Surface* g_classIcon = nullptr;

bool Framed(uint32_t style) { return (style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER)) != 0 && !(style & WS_POPUP); }

}  // namespace

Window* Window::Create(const char* title, uint32_t style, int x, int y, int width, int height,
                       WindowProc procedure, std::string* why) {
  if (!PlatformReady() && !InitPlatform(why)) return nullptr;
  uint32_t flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
  if (!Framed(style)) flags |= SDL_WINDOW_BORDERLESS;
  if (Framed(style) && (style & WS_THICKFRAME)) flags |= SDL_WINDOW_RESIZABLE;
  SDL_Window* native = SDL_CreateWindow(title ? title : "", x, y, width < 1 ? 1 : width,
                                        height < 1 ? 1 : height, flags);
  if (!native) {
    if (why) *why = SDL_GetError();
    return nullptr;
  }
  platform::gfx::PinLoadedLibraries();
  auto* window = new Window();
  window->window_ = native;
  window->hook_ = new DeviceHook(native);
  window->id_ = SDL_GetWindowID(native);
  window->style_ = style & ~WS_VISIBLE;
  window->procedure_ = procedure;
  RegisterWindow(window);
  if (g_classIcon) window->SetIcon(true);
  SDL_StartTextInput();
  return window;
}

bool LoadClassIcon(std::string_view file) {
  if (g_classIcon) SDL_FreeSurface(g_classIcon);
  g_classIcon = nullptr;
  std::vector<uint8_t> bytes;
  if (!fs::ReadWholeFile(file, bytes) || bytes.empty()) return false;
  SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), int(bytes.size()));
  g_classIcon = stream ? SDL_LoadBMP_RW(stream, 1) : nullptr;
  return g_classIcon != nullptr;
}

bool HasClassIcon() { return g_classIcon != nullptr; }

// SDL keeps the last icon it was given when handed none, so "no icon" is one transparent pixel.
void Window::SetIcon(bool shown) {
  iconShown_ = shown && g_classIcon;
  if (iconShown_) {
    SDL_SetWindowIcon(window_, g_classIcon);
  } else if (SDL_Surface* none = SDL_CreateRGBSurfaceWithFormat(0, 1, 1, 32, SDL_PIXELFORMAT_ARGB8888)) {
    SDL_FillRect(none, nullptr, 0);
    SDL_SetWindowIcon(window_, none);
    SDL_FreeSurface(none);
  }
}

void Window::Destroy(Window* window) {
  if (!window) return;
  if (window->procedure_) window->procedure_(window, WM_DESTROY, 0, 0);
  ForgetWindow(window);
  SDL_DestroyWindow(window->window_);
  delete window;
}

void Window::DrawableSize(int& width, int& height) const {
  SDL_GL_GetDrawableSize(window_, &width, &height);
  if (SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED) width = height = 0;
}

void Window::Show(bool visible) {
  if (visible) {
    SDL_ShowWindow(window_);
    style_ |= WS_VISIBLE;
  } else {
    SDL_HideWindow(window_);
    style_ &= ~WS_VISIBLE;
  }
}

bool Window::IsVisible() const { return (SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN) != 0; }

void Window::SetTitle(const char* title) { SDL_SetWindowTitle(window_, title ? title : ""); }

std::string Window::Title() const { return SDL_GetWindowTitle(window_); }

void Window::SetStyle(uint32_t style) {
  style_ = (style & ~WS_VISIBLE) | (style_ & WS_VISIBLE);
  SDL_SetWindowBordered(window_, Framed(style) ? SDL_TRUE : SDL_FALSE);
  SDL_SetWindowResizable(window_, Framed(style) && (style & WS_THICKFRAME) ? SDL_TRUE : SDL_FALSE);
  if (style & WS_VISIBLE) Show(true);
}

void Window::SetPosition(int x, int y) { SDL_SetWindowPosition(window_, x, y); }

void Window::GetPosition(int& x, int& y) const { SDL_GetWindowPosition(window_, &x, &y); }

// The window manager's frame lies outside the window on this platform: the outer size is the client's.
void Window::SetOuterSize(int width, int height) {
  SDL_SetWindowSize(window_, width < 1 ? 1 : width, height < 1 ? 1 : height);
}

void Window::GetOuterSize(int& width, int& height) const { SDL_GetWindowSize(window_, &width, &height); }

void Window::GetClientSize(int& width, int& height) const {
  SDL_GetWindowSize(window_, &width, &height);
  if (SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED) width = height = 0;
}

void Window::SetFullscreen(bool fullscreen) {
  SDL_SetWindowFullscreen(window_, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}

bool Window::IsFullscreen() const { return (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0; }

bool Window::HasFocus() const { return (SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS) != 0; }

void Window::Focus() {
  SDL_RaiseWindow(window_);
  SDL_SetWindowInputFocus(window_);
}

void Window::Invalidate() { paintQueued = true; }

}  // namespace platform::window
