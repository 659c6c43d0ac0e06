// The profile screens of the main menu: New Profile (screen 3), where the player types a name and
// creates a profile, and Load Profile (screen 2), where the player picks a profile file of "Profiles".
#pragma once
#include <cstddef>
#include <cstdint>

// Longest profile name: "Profiles\<name>.prf" stays within 255 characters.
constexpr size_t kMaxProfileNameLength = 255 - 9 - 4;

// Screen 3, drawn in the menu column.
void NewProfileScreen();
// Screen 2's list and its buttons at (x, y); MainMenu adds the title and "Back".
void LoadProfileScreen(int32_t x, int32_t y);
