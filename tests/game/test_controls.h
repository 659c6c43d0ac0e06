// The game's commands held down by a test in place of the keyboard: a command counts as down when its
// bound key is asked for; the joystick is never pressed.
#pragma once
#include <cstdint>
#include <set>

#include "game/shell/control_bindings.h"

namespace game_test {

inline std::set<int32_t> g_commandsDown;

inline int32_t TestKeyDown(int32_t scanCode) {
  for (int32_t command : g_commandsDown)
    if (Bindings().keyboard[command] == scanCode) return 1;
  return 0;
}
inline int32_t NoButton(int32_t) { return 0; }
inline uint32_t NoDirection() { return 0; }
inline int32_t NoAxis() { return 0; }
inline const ControlInput kTestControls{TestKeyDown, NoButton,    NoDirection, NoDirection,
                                        NoDirection, NoDirection, NoAxis,      NoAxis};

}  // namespace game_test
