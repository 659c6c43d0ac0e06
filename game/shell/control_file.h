// Control configuration files (".cfg" in "Profiles\Configs"): the thirty bindings as signed 32-bit
// little-endian integers, 120 bytes with no header. The keyboard column comes first, then the
// alternative column, then the joystick column; inside each column the values follow
// kControlFileSlotOrder, not the slot order.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "game/shell/control_bindings.h"

inline constexpr const char* kControlConfigFolder = "Profiles\\Configs";
constexpr size_t kControlConfigSize = 120;
// The command slot of each value of a column, in file order.
inline constexpr int32_t kControlFileSlotOrder[kGameCommandCount] = {0, 1, 2, 3, 4, 7, 8, 6, 5, 9};

// The file image of the bindings.
std::vector<uint8_t> BuildControlConfig(const ControlBindings& bindings);
// Reads a file image; false, with `bindings` untouched, when it is shorter than 120 bytes. Bytes after
// the 120th are not read.
bool ParseControlConfig(const uint8_t* data, size_t size, ControlBindings& bindings);

// Where a configuration file of that name lives: in "Profiles\Configs", or in the game folder itself
// when that folder is missing.
// Empty for a name that starts at the root, names a drive or holds a ".." part.
std::string ControlConfigPath(std::string_view fileName);

// Writes the current bindings. A name not ending in ".cfg" gains the extension in the caller's buffer
// (of `nameSize` bytes), so the caller holds the stored file name. False (logged) when the name with
// its extension does not fit the buffer or the file could not be written; an existing file of that
// name then keeps its previous contents.
bool SaveControlConfig(char* name, size_t nameSize);
template <size_t N>
bool SaveControlConfig(char (&name)[N]) {
  return SaveControlConfig(name, N);
}
// Reads the bindings from the file of exactly that name. A missing file leaves the bindings as they
// are; so does a damaged one (logged). True when the bindings were read.
bool LoadControlConfig(const char* name);
