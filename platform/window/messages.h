// Window message and key values the engine's window procedure understands. They keep the documented
// Win32 values, which the engine's window procedure and the game compare by number.
#pragma once
#include <cstdint>

namespace platform::window {

enum : uint32_t {
  WM_NULL = 0x0000, WM_DESTROY = 0x0002, WM_MOVE = 0x0003, WM_SIZE = 0x0005, WM_ACTIVATE = 0x0006,
  WM_SETFOCUS = 0x0007, WM_KILLFOCUS = 0x0008, WM_PAINT = 0x000F, WM_CLOSE = 0x0010,
  WM_QUIT = 0x0012, WM_ERASEBKGND = 0x0014, WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101,
  WM_CHAR = 0x0102, WM_SYSKEYDOWN = 0x0104, WM_SYSKEYUP = 0x0105, WM_SIZING = 0x0214,
  WM_MOVING = 0x0216, WM_MOUSEMOVE = 0x0200, WM_LBUTTONDOWN = 0x0201, WM_LBUTTONUP = 0x0202,
  WM_RBUTTONDOWN = 0x0204, WM_RBUTTONUP = 0x0205, WM_MBUTTONDOWN = 0x0207, WM_MBUTTONUP = 0x0208,
  WM_MOUSEWHEEL = 0x020A, WM_USER = 0x0400,
};

// WM_SIZE kinds.
enum : uint32_t { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };

// Virtual keys.
enum : uint32_t {
  VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
  VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14, VK_ESCAPE = 0x1B, VK_SPACE = 0x20,
  VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26,
  VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_NUMPAD0 = 0x60,
  VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F,
  VK_F1 = 0x70, VK_NUMLOCK = 0x90, VK_SCROLL = 0x91, VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB,
  VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD, VK_OEM_PERIOD = 0xBE, VK_OEM_2 = 0xBF,
  VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB, VK_OEM_5 = 0xDC, VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE,
};

// Window styles: how the window is framed.
enum : uint32_t {
  WS_POPUP = 0x80000000, WS_VISIBLE = 0x10000000, WS_MINIMIZE = 0x20000000, WS_CAPTION = 0x00C00000,
  WS_BORDER = 0x00800000, WS_SYSMENU = 0x00080000, WS_THICKFRAME = 0x00040000,
  WS_OVERLAPPEDWINDOW = 0x00CF0000,
};

// Message-box kinds: the buttons (low four bits), an icon, the default button; and the answers.
enum : uint32_t {
  MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_ABORTRETRYIGNORE = 0x2, MB_YESNOCANCEL = 0x3, MB_YESNO = 0x4,
  MB_RETRYCANCEL = 0x5, MB_TYPEMASK = 0xF,
  MB_ICONERROR = 0x10, MB_ICONQUESTION = 0x20, MB_ICONWARNING = 0x30, MB_ICONINFORMATION = 0x40, MB_ICONMASK = 0xF0,
  MB_DEFBUTTON1 = 0x000, MB_DEFBUTTON2 = 0x100, MB_DEFBUTTON3 = 0x200, MB_DEFMASK = 0xF00,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

// Packs two 16-bit coordinates the way mouse, move and size messages carry them.
constexpr intptr_t MakeLParam(int low, int high) {
  return intptr_t((uint32_t(uint16_t(low)) | (uint32_t(uint16_t(high)) << 16)));
}
constexpr int LowWord(intptr_t value) { return int(int16_t(uint16_t(uint32_t(value) & 0xFFFF))); }
constexpr int HighWord(intptr_t value) { return int(int16_t(uint16_t((uint32_t(value) >> 16) & 0xFFFF))); }

}  // namespace platform::window
