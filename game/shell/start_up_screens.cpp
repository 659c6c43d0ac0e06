// The splash and loading screens, drawn full-screen through a sprite before the media load.
#include <initializer_list>

#include "engine/core/core.h"
#include "engine/display/display.h"
#include "engine/input/input.h"
#include "engine/media2d/image.h"
#include "engine/media2d/sprite.h"
#include "game/shell/control_bindings.h"
#include "game/shell/start_up.h"

namespace {

constexpr int32_t kSplashImage = 1;  // image and sprite
constexpr uint32_t kSplashMs = 5000;
constexpr int32_t kLoadingImage = 923;  // image and sprite
constexpr int32_t kLoadingFrames = 100;

void FullScreenSprite(int32_t sprite, int32_t image) {
  SetSprite(sprite, 0, 0, image);
  SetSpriteSize(sprite, GetDisplayWidth(), GetDisplayHeight());
}

void ShowSplash(const char* file) {
  const uint32_t start = GetTimer();
  LoadImage(file, kSplashImage);
  FullScreenSprite(kSplashImage, kSplashImage);
  while (GetTimer() - start < kSplashMs) {
    if (!LoopCheck()) break;  // a closed window or a quit signal ends the splash at once
    if (GetPressedScanCode()) {
      IgnoreInputHeldNow();  // Escape that cut the splash short does not also leave the menu
      break;
    }
    SetSprite(kSplashImage, 0, 0, kSplashImage);
    Sync();
  }
  DeleteImage(kSplashImage);
  DeleteSprite(kSplashImage);
}

}  // namespace

void ShowSplashScreens() {
  for (const char* file : {"Art\\heaven.jpg", "Art\\music.jpg"}) {
    if (!LoopCheck()) return;
    ShowSplash(file);
  }
}

void ShowLoadingScreen() {
  if (!LoopCheck()) return;
  LoadImageWithMode("Art\\Loading.jpg", kLoadingImage, 1);
  FullScreenSprite(kLoadingImage, kLoadingImage);
  for (int32_t frame = 0; frame < kLoadingFrames && LoopCheck(); ++frame) {
    DrawSpriteAt(kLoadingImage, 0, 0);
    Sync();
  }
  DeleteSprite(kLoadingImage);
}
