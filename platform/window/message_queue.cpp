// SDL events become window messages in one queue, taken in order by PeekMessage. WM_QUIT comes after
// every queued message, so a loop ends only once it has seen what came before it, and WM_PAINT is made
// only when nothing else waits.
#include <SDL.h>

#include <algorithm>
#include <deque>
#include <string_view>
#include <vector>

#include "platform/charset/windows1252.h"
#include "platform/window/keys.h"
#include "platform/window/window.h"
#include "platform/window/window_registry.h"

namespace platform::window {

namespace {

std::deque<Message> g_queue;
std::vector<Window*> g_windows;
bool g_quitPosted = false;
EventHook g_eventHook = nullptr;
int g_quitCode = 0;

enum : uintptr_t { MK_LBUTTON = 0x1, MK_RBUTTON = 0x2, MK_MBUTTON = 0x10 };

void Queue(Window* window, uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0) {
  g_queue.push_back(Message{window, message, wParam, lParam});
}

uintptr_t ButtonFlags(uint32_t sdlState) {
  uintptr_t flags = 0;
  if (sdlState & SDL_BUTTON_LMASK) flags |= MK_LBUTTON;
  if (sdlState & SDL_BUTTON_RMASK) flags |= MK_RBUTTON;
  if (sdlState & SDL_BUTTON_MMASK) flags |= MK_MBUTTON;
  return flags;
}

// Typed text arrives in UTF-8; the engine's text is Windows-1252, one byte a character. A character
// that set cannot hold (or a malformed sequence) becomes the substitute byte, so that what reads the
// typed text can refuse it where the player sees it instead of losing it unseen.
void QueueTypedText(Window* window, std::string_view text) {
  for (size_t pos = 0; pos < text.size();) {
    const char32_t c = charset::NextUtf8Char(text, pos);
    const int32_t byte = c == charset::kNotUtf8 ? -1 : charset::Windows1252FromChar(c);
    Queue(window, WM_CHAR, uint8_t(byte < 0 ? charset::kSubstitute : char(byte)), 1);
  }
}

// Keys that type a control character as well.
uint32_t ControlCharacter(uint32_t virtualKey) {
  switch (virtualKey) {
    case VK_BACK: return 8;
    case VK_TAB: return 9;
    case VK_RETURN: return 13;
    case VK_ESCAPE: return 27;
    default: return 0;
  }
}

void Translate(const SDL_Event& event) {
  switch (event.type) {
    case SDL_QUIT:
      if (Window* main = MainWindow()) Queue(main, WM_CLOSE);
      return;
    case SDL_WINDOWEVENT: {
      Window* window = FindWindow(event.window.windowID);
      if (!window) return;
      const int a = event.window.data1, b = event.window.data2;
      switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE: Queue(window, WM_CLOSE); break;
        case SDL_WINDOWEVENT_MOVED: Queue(window, WM_MOVE, 0, MakeLParam(a, b)); break;
        case SDL_WINDOWEVENT_SIZE_CHANGED: Queue(window, WM_SIZE, SIZE_RESTORED, MakeLParam(a, b)); break;
        case SDL_WINDOWEVENT_MINIMIZED: Queue(window, WM_SIZE, SIZE_MINIMIZED, 0); break;
        case SDL_WINDOWEVENT_MAXIMIZED: {
          int w, h;
          window->GetClientSize(w, h);
          Queue(window, WM_SIZE, SIZE_MAXIMIZED, MakeLParam(w, h));
          break;
        }
        case SDL_WINDOWEVENT_EXPOSED: window->Invalidate(); break;
        case SDL_WINDOWEVENT_FOCUS_GAINED: Queue(window, WM_SETFOCUS); break;
        case SDL_WINDOWEVENT_FOCUS_LOST: Queue(window, WM_KILLFOCUS); break;
        default: break;
      }
      return;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      Window* window = FindWindow(event.key.windowID);
      if (!window) window = MainWindow();
      const uint32_t key = VirtualKeyFromSdl(event.key.keysym.sym);
      if (!window || !key) return;
      const bool down = event.type == SDL_KEYDOWN;
      const bool alt = (event.key.keysym.mod & KMOD_ALT) != 0 || key == VK_MENU;
      intptr_t lParam = 1 | (intptr_t(event.key.keysym.scancode & 0xFF) << 16);
      if (event.key.repeat) lParam |= intptr_t(1) << 30;
      if (!down) lParam |= intptr_t(3) << 30;
      const uint32_t message = down ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
      Queue(window, message, key, lParam);
      if (down && !alt) {
        if (uint32_t c = ControlCharacter(key)) Queue(window, WM_CHAR, c, lParam);
      }
      return;
    }
    case SDL_TEXTINPUT: {
      Window* window = FindWindow(event.text.windowID);
      if (!window) window = MainWindow();
      if (window) QueueTypedText(window, event.text.text);
      return;
    }
    case SDL_MOUSEMOTION: {
      Window* window = FindWindow(event.motion.windowID);
      if (window) Queue(window, WM_MOUSEMOVE, ButtonFlags(event.motion.state), MakeLParam(event.motion.x, event.motion.y));
      return;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      Window* window = FindWindow(event.button.windowID);
      if (!window) return;
      const bool down = event.type == SDL_MOUSEBUTTONDOWN;
      uint32_t message;
      switch (event.button.button) {
        case SDL_BUTTON_LEFT: message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
        case SDL_BUTTON_RIGHT: message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
        case SDL_BUTTON_MIDDLE: message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
        default: return;
      }
      Queue(window, message, ButtonFlags(SDL_GetMouseState(nullptr, nullptr)),
            MakeLParam(event.button.x, event.button.y));
      return;
    }
    case SDL_MOUSEWHEEL: {
      Window* window = FindWindow(event.wheel.windowID);
      if (window) Queue(window, WM_MOUSEWHEEL, uintptr_t(uint16_t(int16_t(event.wheel.y * 120))) << 16, 0);
      return;
    }
    default:
      return;
  }
}

void PumpEvents() {
  if (!PlatformReady()) return;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (!g_eventHook || !g_eventHook(event)) Translate(event);
  }
}

}  // namespace

void RegisterWindow(Window* window) { g_windows.push_back(window); }

void ForgetWindow(Window* window) {
  g_windows.erase(std::remove(g_windows.begin(), g_windows.end(), window), g_windows.end());
  g_queue.erase(std::remove_if(g_queue.begin(), g_queue.end(),
                               [window](const Message& m) { return m.window == window; }),
                g_queue.end());
}

Window* FindWindow(uint32_t sdlWindowId) {
  for (Window* window : g_windows) {
    if (window->Id() == sdlWindowId) return window;
  }
  return nullptr;
}

Window* MainWindow() { return g_windows.empty() ? nullptr : g_windows.front(); }

bool PeekMessage(Message& message) {
  PumpEvents();
  if (!g_queue.empty()) {
    message = g_queue.front();
    g_queue.pop_front();
    return true;
  }
  if (g_quitPosted) {
    g_quitPosted = false;
    message = Message{nullptr, WM_QUIT, uintptr_t(g_quitCode), 0};
    return true;
  }
  for (Window* window : g_windows) {
    if (window->paintQueued) {
      window->paintQueued = false;
      message = Message{window, WM_PAINT, 0, 0};
      return true;
    }
  }
  return false;
}

intptr_t DispatchMessage(const Message& message) {
  if (!message.window || !message.window->Procedure()) return 0;
  return message.window->Procedure()(message.window, message.message, message.wParam, message.lParam);
}

void PostMessage(Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  Queue(window, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
  g_quitPosted = true;
  g_quitCode = exitCode;
}

void WithdrawQuitMessage() { g_quitPosted = false; }

void SetEventHook(EventHook hook) { g_eventHook = hook; }

bool WaitForEvents(uint32_t timeoutMs) {
  if (!g_queue.empty() || g_quitPosted) return true;
  for (const Window* window : g_windows)
    if (window->paintQueued) return true;
  if (!PlatformReady()) {
    SDL_Delay(timeoutMs);  // no window, so no event can come
    return false;
  }
  // A null event leaves what arrived in SDL's queue, for PeekMessage to take through the event hook.
  const bool arrived = SDL_WaitEventTimeout(nullptr, int(timeoutMs)) == 1;
  // The wait ends its pumping with SDL's end-of-poll marker ahead of what arrives later; left there it
  // would end the next poll before the event that woke the wait.
  SDL_FlushEvent(SDL_POLLSENTINEL);
  return arrived;
}

void ClearMessageQueue() {
  PumpEvents();
  g_queue.clear();
  g_quitPosted = false;
  for (Window* window : g_windows) window->paintQueued = false;
}

}  // namespace platform::window
