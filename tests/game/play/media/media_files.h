// Media files for the game's tests and the scratch game folder they are written into: box models as
// X text, one-colour pictures, and every file start-up reads; and the engine ended at the end of a
// test program, as the game never ends it (the process ends).
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/core_table.h"
#include "engine/display/display.h"
#include "engine/media2d/image.h"
#include "game/play/level_builder.h"
#include "platform/d3dx/pictures/picture_writers.h"

namespace game_media_test {

namespace fs = std::filesystem;

// A fresh folder under the temporary folder, current from Enter to Leave; Leave makes the folder that
// was current before current again and deletes the scratch one with all it holds.
class ScratchGameFolder {
 public:
  // Makes "<temp>/qel-<name>-test-XXXXXX" and makes it current; false (a test failure) when it cannot.
  bool Enter(const std::string& name) {
    std::string pattern = (fs::temp_directory_path() / ("qel-" + name + "-test-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) {
      ADD_FAILURE() << "cannot make " << pattern;
      return false;
    }
    root_ = pattern;
    previous_ = fs::current_path();
    fs::current_path(root_);
    return true;
  }
  void Leave() {
    if (root_.empty()) return;
    fs::current_path(previous_);
    fs::remove_all(root_);
    root_.clear();
  }
  const fs::path& Root() const { return root_; }

 private:
  fs::path root_, previous_;
};

// X text of a box from (x1, y1, z1) to (x2, y2, z2).
inline std::string BoxModel(float x1, float y1, float z1, float x2, float y2, float z2) {
  std::string text = "xof 0303txt 0032\nFrame root {\n FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n";
  text += " Mesh box {\n  8;\n";
  for (int i = 0; i < 8; ++i) {
    const float x = i & 1 ? x2 : x1, y = i & 2 ? y2 : y1, z = i & 4 ? z2 : z1;
    text += "  " + std::to_string(x) + ";" + std::to_string(y) + ";" + std::to_string(z) + ";" + (i < 7 ? "," : ";") + "\n";
  }
  const int faces[12][3] = {{0, 2, 3}, {0, 3, 1}, {4, 5, 7}, {4, 7, 6}, {0, 1, 5}, {0, 5, 4},
                            {2, 6, 7}, {2, 7, 3}, {0, 4, 6}, {0, 6, 2}, {1, 3, 7}, {1, 7, 5}};
  text += "  12;\n";
  for (int f = 0; f < 12; ++f)
    text += "  3;" + std::to_string(faces[f][0]) + "," + std::to_string(faces[f][1]) + "," +
            std::to_string(faces[f][2]) + ";" + (f < 11 ? "," : ";") + "\n";
  text += " }\n}\n";
  return text;
}

inline void WriteFile(const fs::path& path, const std::string& bytes) {
  if (path.has_parent_path()) fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

inline void WritePicture(const fs::path& path, uint32_t colour, uint32_t size = 8) {
  platform::d3dx::Picture picture(size, size, colour);
  std::vector<uint8_t> bytes;
  platform::d3dx::EncodePicture(platform::d3dx::IFF_BMP, picture, false, bytes);
  WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

// Every model and picture start-up loads, and the pictures play's panels and icons use.
inline void WriteStartUpMedia() {
  WriteFile("Models/Zevo.x", BoxModel(-2, 0, -2, 2, 4, 2));
  for (const char* name : {"GryoExplode", "Explosion", "Heart1", "Heart2", "Heart3", "Heart4", "HeartCenter",
                           "MonsterA", "MonsterB", "PRed", "PGreen", "PBlue", "Plasma", "Warp", "Boost", "BoostV"})
    WriteFile(std::string("Models/") + name + ".x", BoxModel(-2, -2, -2, 2, 2, 2));
  WritePicture("Textures/TexPlain.jpg", 0xFFFFFFFF, 256);
  for (const char* name : {"Textures/Warp.bmp", "Textures/PlayerStart.jpg", "Textures/Message.jpg",
                           "Textures/Platform.jpg", "Textures/Respawn.jpg", "Models/plasmaball-blue.jpg",
                           "Art/Particle1.bmp", "Art/Loading.jpg", "Art/heaven.jpg", "Art/music.jpg",
                           "Art/menubg.bmp", "Art/menubg2.bmp", "Art/menuframe.bmp", "Art/Gui1.bmp", "Art/Gui2.bmp",
                           "Art/Gui3.bmp", "Art/Life1.bmp"})
    WritePicture(name, 0xFF808080);
}

// The level textures and the entity pictures a level draws with, at the numbers start-up gives them
// (every test's scratch game folder holds these files).
inline void LoadLevelImages() {
  LoadImage("Textures\\TexPlain.jpg", kTintedLevelImage);
  LoadImage("Textures\\TexPlain.jpg", kBaseLevelImage);
  LoadImage("Models\\plasmaball-blue.jpg", kSphereMapImage);
  LoadImage("Textures\\Warp.bmp", kWarpImage);
  LoadImage("Textures\\PlayerStart.jpg", kPlayerStartImage);
  LoadImage("Textures\\Message.jpg", kMessageImage);
  LoadImage("Textures\\Platform.jpg", kPlatformImage);
  LoadImage("Textures\\Respawn.jpg", kRespawnImage);
}

// Ends the engine a test started with InitEngine: the process would end here with every module's
// items; a test frees them, last module first, and releases the device before the GL driver's
// threads end.
inline void StopEngine() {
  CoreTable& t = GetCoreTable();
  for (ModuleEntries* module : {&t.ParticleModule, &t.VectorModule, &t.ObjectModule, &t.LightModule, &t.CameraModule,
                                &t.BitmapModule, &t.MemoryBlockModule, &t.FileModule, &t.MusicModule, &t.SoundModule,
                                &t.SpriteModule, &t.ImageModule, &t.TextModule, &t.Basic2DModule})
    if (module->Destructor) module->Destructor();
  DisplayModule::Destructor();
}

}  // namespace game_media_test
