// The engine window over SDL2: a window with a window procedure, and a message queue that turns SDL
// events into the messages the procedure expects (messages.h). One thread owns all of it.
#pragma once
#include <cstdint>
#include <string>

#include "platform/window/messages.h"

struct SDL_Window;
union SDL_Event;
namespace platform::gfx { class Window; }

namespace platform::window {

class Window;
using WindowProc = intptr_t (*)(Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam);

struct Message {
  Window* window;
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
};

struct ScreenRect {
  int x, y, width, height;
};

// Process set-up, once before any window: raises glibc's trim threshold and top pad (the GL driver's
// per-frame memory would otherwise be returned and faulted in again every frame) and starts SDL's
// video. False, with the reason in `why`, when no display can be opened; SDL's drivers that draw
// nowhere (offscreen, dummy) count as a display only when SDL_VIDEODRIVER names them.
bool InitPlatform(std::string* why = nullptr);
// True when SDL's video is running.
bool PlatformReady();
// The end of the process's use of the platform, after its devices and windows are released: lets
// go of the GL driver and ends every part of SDL (video, audio, input, timers), so that no thread
// of the driver or of SDL outlives it. A leak checker at exit then stops only the main thread.
// InitPlatform may start it again.
void QuitPlatform();

class Window final {
 public:
  // A window of `style` (WS_*) whose outer size is width x height at x, y, created hidden; null (with
  // the reason in `why`) when it cannot be made.
  static Window* Create(const char* title, uint32_t style, int x, int y, int width, int height,
                        WindowProc procedure, std::string* why = nullptr);
  // Sends WM_DESTROY to the procedure, then closes the window.
  static void Destroy(Window* window);

  SDL_Window* NativeWindow() const { return window_; }
  // What the device presents into (its PresentParams::deviceWindow).
  gfx::Window* DeviceWindow() const;
  // Pixels of the area the device presents into (0 x 0 while minimised).
  void DrawableSize(int& width, int& height) const;

  WindowProc Procedure() const { return procedure_; }

  void Show(bool visible);
  bool IsVisible() const;
  void SetTitle(const char* title);
  std::string Title() const;
  // Decorations follow the style: a caption or thick frame gives a framed (and, with a thick frame,
  // resizable) window; a popup has no frame.
  void SetStyle(uint32_t style);
  uint32_t Style() const { return style_; }
  void SetPosition(int x, int y);
  void GetPosition(int& x, int& y) const;
  // Size as the engine places windows. The window manager's frame lies outside it, so it equals the
  // client size while the window is not minimised.
  void SetOuterSize(int width, int height);
  void GetOuterSize(int& width, int& height) const;
  // Client area in window coordinates (0 x 0 while minimised).
  void GetClientSize(int& width, int& height) const;
  // Desktop full screen on and off.
  void SetFullscreen(bool fullscreen);
  bool IsFullscreen() const;
  bool HasFocus() const;
  void Focus();
  // Queues one WM_PAINT (repeated requests before it is taken are merged).
  void Invalidate();
  // The window's icon: the class icon (LoadClassIcon) when shown, else none. A new window shows it.
  void SetIcon(bool shown);
  bool ShowsIcon() const { return iconShown_; }

  // For the message queue.
  uint32_t Id() const { return id_; }
  bool paintQueued = false;

 private:
  struct DeviceHook;
  Window() = default;
  ~Window();
  SDL_Window* window_ = nullptr;
  DeviceHook* hook_ = nullptr;
  uint32_t id_ = 0;
  uint32_t style_ = 0;
  bool iconShown_ = false;
  WindowProc procedure_ = nullptr;
};

// The icon every window of the program shows (as a window class's icon): a BMP file (32-bit with
// alpha, or 24-bit), found through the path resolver. False, and no class icon, when it is missing or
// cannot be read; windows then show none.
bool LoadClassIcon(std::string_view file);
bool HasClassIcon();

// Message queue. PeekMessage pumps SDL's events into the queue and takes the oldest message; false
// when the queue is empty.
bool PeekMessage(Message& message);
// Sleeps until a message or an SDL event is waiting, or `timeoutMs` have passed (to the millisecond
// clock's precision); what arrived stays queued for PeekMessage. True when something is waiting.
bool WaitForEvents(uint32_t timeoutMs);
// Calls the window procedure of the message's window; 0 for messages without a window.
intptr_t DispatchMessage(const Message& message);
// Typed characters arrive as their own WM_CHAR messages, so translation has nothing to add.
inline void TranslateMessage(const Message&) {}
void PostMessage(Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Queues WM_QUIT.
void PostQuitMessage(int exitCode);
// Takes back a WM_QUIT queued and not yet taken.
void WithdrawQuitMessage();
// Default processing: nothing is left for it to do on this platform.
inline intptr_t DefWindowProc(Window*, uint32_t, uintptr_t, intptr_t) { return 0; }
// Drops every queued message (tests).
void ClearMessageQueue();
// A modal dialog drawn in the window sees every SDL event before it becomes a message; an event the
// hook returns true for is the dialog's own and becomes no message. Null removes the hook.
using EventHook = bool (*)(const SDL_Event& event);
void SetEventHook(EventHook hook);

// Screen.
void GetScreenSize(int& width, int& height);
ScreenRect GetWorkArea();
// The desktop's bits per pixel.
int GetDesktopDepth();

// Keeps the screen saver off while the program runs (this process only), or lets it run again.
void InhibitScreenSaver(bool inhibit);

}  // namespace platform::window
