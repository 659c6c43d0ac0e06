// The media start-up loads for the whole run, and the menu scene's objects.
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <span>
#include <vector>

#include "engine/core/core.h"
#include "engine/media2d/basic2d.h"
#include "engine/media2d/bitmap.h"
#include "engine/media2d/image.h"
#include "engine/media2d/sprite.h"
#include "engine/file/file_module.h"
#include "engine/objects/object_commands.h"
#include "engine/text/text.h"
#include "game/play/game_font.h"
#include "game/play/game_particles.h"
#include "game/play/hud.h"
#include "game/play/level_builder.h"
#include "game/play/sound_effects.h"
#include "game/shell/start_up.h"

namespace {

constexpr int32_t kBallExplosionObject = 3001;
constexpr int32_t kExplosionObject = 6000;
constexpr int32_t kFirstMenuBox = 2, kLastMenuBox = 21;
constexpr int32_t kMenuMonsterA = 22, kMenuMonsterB = 23, kMenuBall = 24;
constexpr int32_t kMenuBackground = 920, kMenuBackground2 = 921, kMenuFrame = 922;
constexpr int32_t kBlockFrameBorder = 5;

struct ModelFile {
  const char* file;
  int32_t object;
};
constexpr ModelFile kGameModels[] = {
    {"Models\\Zevo.x", kBallObject},
    {"Models\\GryoExplode.x", kBallExplosionObject},
    {"Models\\Heart1.x", kFirstHeartObject},
    {"Models\\Heart2.x", kFirstHeartObject + 1},
    {"Models\\Heart3.x", kFirstHeartObject + 2},
    {"Models\\Heart4.x", kFirstHeartObject + 3},
    {"Models\\HeartCenter.x", kHeartCentreObject},
    {"Models\\Explosion.x", kExplosionObject},
};
constexpr ModelFile kMenuModels[] = {
    {"Models\\MonsterA.x", kMenuMonsterA},
    {"Models\\MonsterB.x", kMenuMonsterB},
    {"Models\\Zevo.x", kMenuBall},
};

struct ImageFile {
  const char* file;
  int32_t image;
  int32_t mode;  // -1: LoadImage
};
constexpr ImageFile kGameImages[] = {
    {"Textures\\TexPlain.jpg", kTintedLevelImage, -1},
    {"Textures\\TexPlain.jpg", kBaseLevelImage, -1},
    {"Textures\\Warp.bmp", kWarpImage, -1},
    {"Art\\Particle1.bmp", kParticleImage, 1},
    {"Models\\plasmaball-blue.jpg", kSphereMapImage, -1},
    {"Textures\\PlayerStart.jpg", kPlayerStartImage, -1},
    {"Textures\\Message.jpg", kMessageImage, -1},
    {"Textures\\Platform.jpg", kPlatformImage, -1},
    {"Textures\\Respawn.jpg", kRespawnImage, -1},
};
constexpr ImageFile kMenuImages[] = {
    {"Art\\menubg.bmp", kMenuBackground, -1},
    {"Art\\menubg2.bmp", kMenuBackground2, -1},
    {"Art\\menuframe.bmp", kMenuFrame, -1},
};
constexpr const char* kSplashFiles[] = {"Art\\heaven.jpg", "Art\\music.jpg"};
constexpr const char* kLoadingFile = "Art\\Loading.jpg";

// The start-up loads take seconds: before each item the window's messages are taken, so a closed
// window or a quit signal stops the load where it is (the game then ends) rather than after it.
bool KeepLoading() {
  ProcessMessages();
  return LoopCheck();
}

// False when a quit request stopped the loading.
bool LoadModels(std::span<const ModelFile> models) {
  for (const ModelFile& model : models) {
    if (!KeepLoading()) return false;
    LoadObject(model.file, model.object);
  }
  return true;
}

bool LoadImages(std::span<const ImageFile> images) {
  for (const ImageFile& image : images) {
    if (!KeepLoading()) return false;
    if (image.mode < 0) LoadImage(image.file, image.image);
    else LoadImageWithMode(image.file, image.image, image.mode);
  }
  return true;
}

// Magenta inside a grey frame, captured as image 3: drawn over a tinted texture only the frame shows.
void MakeBlockFrameImage() {
  SelectBitmap(kLevelBitmap);
  const int32_t size = kLevelTextureSize, border = kBlockFrameBorder;
  SetDrawColors(Rgb(255, 0, 255), 0);
  DrawBox(0, 0, size, size);
  SetDrawColors(Rgb(90, 90, 90), 0);
  DrawBox(0, 0, size, border);
  DrawBox(0, 0, border, size);
  DrawBox(0, size - border, size, size);
  DrawBox(size - border, 0, size, size);
  CaptureImage(kBlockFrameImage, 0, 0, size, size);
  SelectBitmap(0);
}

void SetStartUpText() {
  SetTextFont("Arial");
  SetTextSize(16);
}

}  // namespace

int32_t ReportMissingMedia() {
  ReturnToGameFolder();
  std::vector<const char*> files(std::begin(kSplashFiles), std::end(kSplashFiles));
  files.push_back(kLoadingFile);
  for (const ModelFile& model : kGameModels) files.push_back(model.file);
  for (const ModelFile& model : kMenuModels) files.push_back(model.file);
  for (const ImageFile& image : kGameImages) files.push_back(image.file);
  for (const ImageFile& image : kMenuImages) files.push_back(image.file);
  int32_t missing = 0;
  for (const char* file : files) {
    if (FileExists(file)) continue;
    std::fprintf(stderr, "qel: media file missing: %s\n", file);
    ++missing;
  }
  return missing;
}

void LoadGameMedia() {
  ReturnToGameFolder();
  if (!LoadModels(kGameModels)) return;
  SetObjectTranslucent(kExplosionObject);

  CreateBoxObject(kGroundProbeObject, 0.05f, 1.0f, 0.05f);
  CreateBoxObject(kBlockProbeObject, GetObjectSizeX(kBallObject), 0.5f, GetObjectSizeZ(kBallObject));
  SetObjectCollisionToBoxes(kBallObject);
  for (const ModelFile& model : kGameModels) HideObject(model.object);
  HideObject(kGroundProbeObject);

  NewBitmap(kLevelBitmap, kLevelTextureSize, kLevelTextureSize);
  SelectBitmap(0);
  if (!LoadImages(kGameImages)) return;
  SetSprite(kBaseTextureSprite, 0, 0, kBaseLevelImage);
  HideSprite(kBaseTextureSprite);
  MakeBlockFrameImage();
  SetSprite(kBlockFrameSprite, 0, 0, kBlockFrameImage);
  HideSprite(kBlockFrameSprite);
}

void LoadMenuMedia() {
  for (int32_t box = kFirstMenuBox; box <= kLastMenuBox; ++box) CreateBoxObject(box, 20.0f, 10.0f, 20.0f);
  if (LoadModels(kMenuModels)) LoadImages(kMenuImages);
}

void EnterMenuScene() {
  for (int32_t object = kFirstMenuBox; object <= kMenuBall; ++object) ShowObject(object);
}

void LeaveMenuScene() {
  DeleteSprite(kMenuBackground);
  DeleteSprite(kMenuBackground2);
  DeleteSprite(kMenuFrame);
  for (int32_t object = kFirstMenuBox; object <= kMenuBall; ++object) {
    HideObject(object);
    PositionObject(object, 0.0f, -9000.0f, 0.0f);
  }
}

void LoadStartUpMedia() {
  constexpr void (*kSteps[])() = {StoreDisplayDevice, LoadGameMedia,   LoadPlanningIcons, LoadSounds,
                                  LoadGuiImages,      SetStartUpText,  LoadMenuMedia,     LeaveMenuScene,
                                  SetupGameParticles, CreateStartUpFonts};
  for (auto step : kSteps) {
    if (!KeepLoading()) return;
    step();
  }
}

void CreateStartUpFonts() {
  CreateGameFont(1, "Arial", 12, 0, 0);
  CreateGameFont(2, "Arial", 7, 0, 0);
  CreateGameFont(3, "Arial", 10, 0, 0);
  CreateGameFont(4, "Impact", 22, 0, 1);
  CreateGameFont(5, "Impact", 16, 0, 0);
}
