// The Controls screen (screen 6 of the main menu): the ten commands by their keyboard, alternative
// keyboard and joystick bindings in a table whose cells are rebound by a click and the next input,
// the default bindings, and loading and saving named control configurations in "Profiles\Configs".
#pragma once
#include <cstddef>
#include <cstdint>

// Cells of the table: 0..9 keyboard, 10..19 alternative keyboard, 20..29 joystick; the cell number
// less its column's base is the command slot.
constexpr int32_t kBindingColumnCells = 10;
constexpr int32_t kBindingCells = 30;

// Longest configuration name: "Profiles\Configs\<name>.cfg" stays within 255 characters.
constexpr size_t kMaxControlConfigNameLength = 255 - 17 - 4;

// The screen at (x, y), the table's top-left corner, in its current mode; MainMenu adds the title and
// "Back".
void ControlsScreen(int32_t x, int32_t y);
// The binding cell under the mouse, or -1 (grid lines, the command column and outside the table).
int32_t BindingCellUnderMouse(int32_t x, int32_t y);
// Highlights the capture cell and binds the first input that arrives to it.
void CaptureInput(int32_t x, int32_t y);
