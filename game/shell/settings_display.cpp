// Putting the display settings into effect.
#include "engine/display/display.h"
#include "game/shell/settings.h"
#include "platform/window/window.h"

// The camera and fog commands come with the scene modules; until they are part of the build the view
// distance is left as the engine sets it.
#if __has_include("engine/scene/camera.h")
#include "engine/scene/camera.h"
#include "engine/scene/light.h"
#define QEL_GAME_HAS_SCENE 1
#endif

namespace {

// Distance clipping draws to 900 and hides the cut in black fog ending there; without it the view
// reaches 3000 and there is no fog.
void ApplyViewDistance(bool clip) {
#ifdef QEL_GAME_HAS_SCENE
  if (clip) {
    SetCameraRange(1.0f, 900.0f);
    EnableFog();
    SetFogColor(0);
    SetFogDistance(900);
  } else {
    SetCameraRange(1.0f, 3000.0f);
    DisableFog();
  }
#else
  (void)clip;
#endif
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
