// The menu's state record.
#include "game/shell/menu_state.h"

#include <cstdarg>
#include <cstdio>

namespace {
MenuState g_menu;
}

MenuState& Menu() { return g_menu; }

void ResetMenuState() { g_menu = MenuState{}; }

void ShowMenuMessage(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(g_menu.message, sizeof g_menu.message, format, arguments);
  va_end(arguments);
}
