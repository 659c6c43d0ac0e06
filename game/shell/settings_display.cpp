// Putting the display settings into effect.
#include "engine/display/display.h"
#include "engine/scene/camera.h"
#include "engine/scene/light.h"
#include "game/shell/settings.h"
#include "platform/window/window.h"

namespace {

// Distance clipping draws to 900 and hides the cut in black fog ending there; without it the view
// reaches 3000 and there is no fog.
void ApplyViewDistance(bool clip) {
  if (clip) {
    SetCameraRange(1.0f, 900.0f);
    EnableFog();
    SetFogColor(0);
    SetFogDistance(900);
  } else {
    SetCameraRange(1.0f, 3000.0f);
    DisableFog();
  }
}

}  // namespace

void ApplyDisplayMode() {
  GameSettings& s = Settings();
  if (s.ModeChanged) {
    SetDisplayMode(s.width, s.height, s.depth);
    s.ModeChanged = false;
  }
  if (s.windowed) {
    if (!IsWindowed()) SwitchToWindowed();
    int screenWidth = 0, screenHeight = 0;
    platform::window::GetScreenSize(screenWidth, screenHeight);
    SetWindowPosition((screenWidth - GetDisplayWidth()) / 2, (screenHeight - GetDisplayHeight()) / 2);
  } else if (IsWindowed()) {
    SwitchToFullscreen();
  }
  ApplyViewDistance(s.clip);
}
