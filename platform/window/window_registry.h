// The windows the message queue knows, by SDL window id.
#pragma once
#include <cstdint>

namespace platform::window {

class Window;
void RegisterWindow(Window* window);
void ForgetWindow(Window* window);
Window* FindWindow(uint32_t sdlWindowId);
// The first window made and still open (SDL's application quit goes to it).
Window* MainWindow();

}  // namespace platform::window
