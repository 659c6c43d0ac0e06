// The menu's state record.
#include "game/shell/menu_state.h"

namespace {
MenuState g_menu;
}

MenuState& Menu() { return g_menu; }

void ResetMenuState() { g_menu = MenuState{}; }
