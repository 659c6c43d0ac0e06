// Files the game reads at its first start: the settings, and the control configuration they name.
// The game writes both back itself, so these only give a first run its sound defaults: a window of
// 800 x 600 (the menu screens are laid out for it), no profile yet (the menu then asks for one), and
// the default bindings.
#include <cstdint>
#include <vector>

#include "tools/assetgen/generators.h"

namespace {

// Keyboard key, alternative key and joystick input of the ten commands, in command order.
struct Binding {
  int32_t key, alternative, joystick;
};
constexpr Binding kDefaults[10] = {
    {200, 17, 65},   // Accelerate: Arrow Up, W, stick up
    {208, 30, 67},   // Break: Arrow Down, A, stick down
    {203, 31, 64},   // Turn Left: Arrow Left, S, stick left
    {205, 32, 66},   // Turn Right: Arrow Right, D, stick right
    {57, 18, 1},     // Emergency Break: Spacebar, E, button 1
    {25, 25, -1},    // Planning Screen: P
    {197, 197, 4},   // Pause: Pause, button 4
    {46, 46, 2},     // Camera Mode: C, button 2
    {59, 59, 3},     // Menu Screen: F1, button 3
    {19, 88, -1},    // Restart Level: R, F12
};
// The order in which a configuration file keeps the commands within each column.
constexpr int kFileOrder[10] = {0, 1, 2, 3, 4, 7, 8, 6, 5, 9};

void PutInteger(std::vector<uint8_t>& out, int32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(uint32_t(value) >> (8 * i)));
}

}  // namespace

void MakeStartFiles(const Output& out) {
  out.WriteText("Config.ini",
                "\n[GFX]\nWidth=800\nHeight=600\nDepth=32\nWindowed=1\nSphereMapping=1\nClip=0\nShadows=0\n"
                "\n[SOUND]\nMusicVolume=200\nMusicPan=128\nEffectVolume=220\n"
                "\n[GAME]\nLastProfile=null\nControlCfg=Default.cfg\n");
  std::vector<uint8_t> bindings;
  for (int32_t Binding::*column : {&Binding::key, &Binding::alternative, &Binding::joystick})
    for (int slot : kFileOrder) PutInteger(bindings, kDefaults[slot].*column);
  out.WriteBytes("Profiles\\Configs\\Default.cfg", bindings);
}
