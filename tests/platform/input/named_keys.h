// Every key the controls screen names, the keys the engine's own queries use, and how each is reached:
// its SDL scancode and the Linux input code the X server sends for it (X key code = input code + 8).
#pragma once
#include <SDL_scancode.h>

#include <cstdint>

struct NamedKey {
  uint8_t code;
  const char* name;
  SDL_Scancode sdl;
  int linuxCode;
};

inline constexpr NamedKey kNamedKeys[] = {
    {2, "1", SDL_SCANCODE_1, 2}, {3, "2", SDL_SCANCODE_2, 3}, {4, "3", SDL_SCANCODE_3, 4},
    {5, "4", SDL_SCANCODE_4, 5}, {6, "5", SDL_SCANCODE_5, 6}, {7, "6", SDL_SCANCODE_6, 7},
    {8, "7", SDL_SCANCODE_7, 8}, {9, "8", SDL_SCANCODE_8, 9}, {10, "9", SDL_SCANCODE_9, 10},
    {11, "0", SDL_SCANCODE_0, 11}, {12, "-", SDL_SCANCODE_MINUS, 12}, {13, "+", SDL_SCANCODE_EQUALS, 13},
    {14, "Backspace", SDL_SCANCODE_BACKSPACE, 14}, {15, "Tab", SDL_SCANCODE_TAB, 15},
    {16, "Q", SDL_SCANCODE_Q, 16}, {17, "W", SDL_SCANCODE_W, 17}, {18, "E", SDL_SCANCODE_E, 18},
    {19, "R", SDL_SCANCODE_R, 19}, {20, "T", SDL_SCANCODE_T, 20}, {21, "Y", SDL_SCANCODE_Y, 21},
    {22, "U", SDL_SCANCODE_U, 22}, {23, "I", SDL_SCANCODE_I, 23}, {24, "O", SDL_SCANCODE_O, 24},
    {25, "P", SDL_SCANCODE_P, 25}, {26, "[", SDL_SCANCODE_LEFTBRACKET, 26}, {27, "]", SDL_SCANCODE_RIGHTBRACKET, 27},
    {28, "Return", SDL_SCANCODE_RETURN, 28}, {29, "Left Control", SDL_SCANCODE_LCTRL, 29},
    {30, "A", SDL_SCANCODE_A, 30}, {31, "S", SDL_SCANCODE_S, 31}, {32, "D", SDL_SCANCODE_D, 32},
    {33, "F", SDL_SCANCODE_F, 33}, {34, "G", SDL_SCANCODE_G, 34}, {35, "H", SDL_SCANCODE_H, 35},
    {36, "J", SDL_SCANCODE_J, 36}, {37, "K", SDL_SCANCODE_K, 37}, {38, "L", SDL_SCANCODE_L, 38},
    {39, ";", SDL_SCANCODE_SEMICOLON, 39}, {40, "@", SDL_SCANCODE_APOSTROPHE, 40}, {41, "`", SDL_SCANCODE_GRAVE, 41},
    {42, "Left Shift", SDL_SCANCODE_LSHIFT, 42}, {43, "#", SDL_SCANCODE_BACKSLASH, 43},
    {44, "Z", SDL_SCANCODE_Z, 44}, {45, "X", SDL_SCANCODE_X, 45}, {46, "C", SDL_SCANCODE_C, 46},
    {47, "V", SDL_SCANCODE_V, 47}, {48, "B", SDL_SCANCODE_B, 48}, {49, "N", SDL_SCANCODE_N, 49},
    {50, "M", SDL_SCANCODE_M, 50}, {51, ",", SDL_SCANCODE_COMMA, 51}, {52, ".", SDL_SCANCODE_PERIOD, 52},
    {53, "/", SDL_SCANCODE_SLASH, 53}, {54, "Right Shift", SDL_SCANCODE_RSHIFT, 54},
    {56, "Alt", SDL_SCANCODE_LALT, 56}, {57, "Spacebar", SDL_SCANCODE_SPACE, 57},
    {58, "Caps Lock", SDL_SCANCODE_CAPSLOCK, 58}, {59, "F1", SDL_SCANCODE_F1, 59}, {60, "F2", SDL_SCANCODE_F2, 60},
    {61, "F3", SDL_SCANCODE_F3, 61}, {62, "F4", SDL_SCANCODE_F4, 62}, {63, "F5", SDL_SCANCODE_F5, 63},
    {64, "F6", SDL_SCANCODE_F6, 64}, {65, "F7", SDL_SCANCODE_F7, 65}, {66, "F8", SDL_SCANCODE_F8, 66},
    {67, "F9", SDL_SCANCODE_F9, 67}, {68, "F10", SDL_SCANCODE_F10, 68}, {70, "Scroll Lock", SDL_SCANCODE_SCROLLLOCK, 70},
    {86, "\\", SDL_SCANCODE_NONUSBACKSLASH, 86}, {87, "F11", SDL_SCANCODE_F11, 87}, {88, "F12", SDL_SCANCODE_F12, 88},
    {157, "Right Control", SDL_SCANCODE_RCTRL, 97}, {183, "Print Screen", SDL_SCANCODE_PRINTSCREEN, 99},
    {184, "Alt Gr", SDL_SCANCODE_RALT, 100}, {197, "Pause", SDL_SCANCODE_PAUSE, 119},
    {199, "Home", SDL_SCANCODE_HOME, 102}, {200, "Arrow Up", SDL_SCANCODE_UP, 103},
    {201, "Page Up", SDL_SCANCODE_PAGEUP, 104}, {203, "Arrow Left", SDL_SCANCODE_LEFT, 105},
    {205, "Arrow Right", SDL_SCANCODE_RIGHT, 106}, {207, "end", SDL_SCANCODE_END, 107},
    {208, "Arrow Down", SDL_SCANCODE_DOWN, 108}, {209, "Page Down", SDL_SCANCODE_PAGEDOWN, 109},
    {210, "Insert", SDL_SCANCODE_INSERT, 110}, {211, "Delete", SDL_SCANCODE_DELETE, 111},
    {219, "Left Windows Key", SDL_SCANCODE_LGUI, 125}, {220, "Right Windows Key", SDL_SCANCODE_RGUI, 126},
    // Unnamed on the controls screen but read by the engine or bindable.
    {1, "Escape", SDL_SCANCODE_ESCAPE, 1}, {69, "Num Lock", SDL_SCANCODE_NUMLOCKCLEAR, 69},
    {55, "Keypad *", SDL_SCANCODE_KP_MULTIPLY, 55}, {71, "Keypad 7", SDL_SCANCODE_KP_7, 71},
    {72, "Keypad 8", SDL_SCANCODE_KP_8, 72}, {73, "Keypad 9", SDL_SCANCODE_KP_9, 73},
    {74, "Keypad -", SDL_SCANCODE_KP_MINUS, 74}, {75, "Keypad 4", SDL_SCANCODE_KP_4, 75},
    {76, "Keypad 5", SDL_SCANCODE_KP_5, 76}, {77, "Keypad 6", SDL_SCANCODE_KP_6, 77},
    {78, "Keypad +", SDL_SCANCODE_KP_PLUS, 78}, {79, "Keypad 1", SDL_SCANCODE_KP_1, 79},
    {80, "Keypad 2", SDL_SCANCODE_KP_2, 80}, {81, "Keypad 3", SDL_SCANCODE_KP_3, 81},
    {82, "Keypad 0", SDL_SCANCODE_KP_0, 82}, {83, "Keypad .", SDL_SCANCODE_KP_PERIOD, 83},
    {156, "Keypad Enter", SDL_SCANCODE_KP_ENTER, 96}, {181, "Keypad /", SDL_SCANCODE_KP_DIVIDE, 98},
    {221, "Menu", SDL_SCANCODE_APPLICATION, 127},
};
