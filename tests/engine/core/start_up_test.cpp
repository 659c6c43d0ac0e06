// The CoreTable as start-up fills it, and the fixed order in which modules are constructed.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/core/core.h"
#include "engine/core/core_data.h"
#include "engine/core/core_state.h"
#include "engine/core/core_table.h"
#include "engine/objects/object_module.h"
#include "engine/scene/camera.h"
#include "engine/system/system_module.h"
#include "engine/world/tile_grid.h"
#include "engine/world/tree_world.h"

namespace {

std::vector<std::string> g_calls;

template <int N>
struct Recorder {
  static inline const char* name = "";
  static void Constructor() { g_calls.push_back(std::string(name) + ".Constructor"); }
  static void Destructor() { g_calls.push_back(std::string(name) + ".Destructor"); }
  static void SetErrorHandler(uint32_t* word) {
    EXPECT_EQ(word, &Core().hostErrorWord);
    g_calls.push_back(std::string(name) + ".SetErrorHandler");
  }
  static void PassCoreData(CoreData* data) {
    EXPECT_EQ(data, GetCoreDataPointer());
    g_calls.push_back(std::string(name) + ".PassCoreData");
  }
  static void RefreshD3D(int) {}
  static ModuleEntries Entries(const char* moduleName) {
    name = moduleName;
    return {Constructor, Destructor, SetErrorHandler, PassCoreData, RefreshD3D};
  }
};

TEST(CoreTable, InitFillsEverySlotCalledWithoutATest) {
  InitCoreTable();
  const CoreTable& t = GetCoreTable();
  const CoreData* data = GetCoreDataPointer();
  EXPECT_EQ(data->inkForeground, 0xFFFFFFFFu);
  EXPECT_EQ(data->inkBackground, 0u);
  EXPECT_EQ(data->cursorVisible, 1);
  EXPECT_EQ(data->escapeQuits, 1);
  EXPECT_EQ(data->renderPassCount, 1u);

  EXPECT_NE(t.DisplayConstructor, nullptr);
  EXPECT_NE(t.DisplayPassCoreData, nullptr);
  EXPECT_NE(t.BeginScene, nullptr);
  EXPECT_NE(t.EndScene, nullptr);
  EXPECT_NE(t.PresentFrame, nullptr);
  EXPECT_NE(t.OverrideHWND, nullptr);
  EXPECT_NE(t.AdvanceCameraPass, nullptr);
  EXPECT_NE(t.SetDisplayModeAll, nullptr);
  EXPECT_NE(t.ClearScreen, nullptr);
  const ModuleEntries* modules[] = {&t.Basic2DModule, &t.TextModule, &t.ImageModule, &t.SpriteModule,
                                    &t.InputModule, &t.SystemModule, &t.SoundModule, &t.MusicModule,
                                    &t.FileModule, &t.EmptyModule, &t.MemoryBlockModule, &t.VideoModule,
                                    &t.BitmapModule, &t.NetSessionModule, &t.CameraModule, &t.LightModule,
                                    &t.TileGridModule, &t.ObjectModule, &t.TreeWorldModule, &t.ParticleModule};
  for (const ModuleEntries* m : modules) {
    EXPECT_NE(m->Constructor, nullptr);
    EXPECT_NE(m->Destructor, nullptr);
  }
  // Every module brings its own entries.
  EXPECT_EQ(t.SystemModule.Constructor, &SystemModule::Constructor);
  EXPECT_EQ(t.ObjectModule.Constructor, &ObjectModule::Constructor);
  EXPECT_EQ(t.TileGridModule.Constructor, &TileGridModule::Constructor);
  EXPECT_EQ(t.TileGridModule.RefreshD3D, &TileGridModule::RefreshD3D);
  EXPECT_EQ(t.TreeWorldModule.Constructor, &TreeWorldModule::Constructor);
  EXPECT_EQ(t.TreeWorldModule.PassCoreData, &TreeWorldModule::PassCoreData);
  EXPECT_EQ(t.TreeWorldModule.RefreshD3D, nullptr);  // the tree world has no part in a device reset
  // The world modules' frame slots.
  EXPECT_EQ(t.DrawTileGridsFirstPass, &DrawTileGridsFirstPass);
  EXPECT_EQ(t.DrawTileGridsSecondPass, &DrawTileGridsSecondPass);
  EXPECT_EQ(t.UpdateWorldCollisions, &UpdateWorldCollisions);
  EXPECT_EQ(t.RenderWorld, &RenderWorld);
  EXPECT_EQ(t.StoreWorldCollisionPositions, &StoreWorldCollisionPositions);
  // The camera module drives the camera loop; with no camera made its end entry ends it at once.
  EXPECT_EQ(t.BeginCameraPasses, &BeginCameraPasses);
  EXPECT_EQ(t.AdvanceCameraPass(), 1u);
}

TEST(StartUp, ModulesAreConstructedInTheirFixedOrder) {
  ResetCoreState();
  InitCoreTable();
  CoreTable& t = GetCoreTable();
  g_calls.clear();
  t.DisplayPassCoreData = [](CoreData*, int stage) { g_calls.push_back("Display.PassCoreData " + std::to_string(stage)); };
  t.Basic2DModule = Recorder<1>::Entries("Basic2D");
  t.TextModule = Recorder<2>::Entries("Text");
  t.ImageModule = Recorder<3>::Entries("Image");
  t.LinkSpriteModule = [] { g_calls.push_back("LinkSpriteModule"); };
  t.SetImageColorKey = [](int32_t r, int32_t g, int32_t b) {
    EXPECT_EQ(r | g | b, 0);
    g_calls.push_back("SetImageColorKey");
  };
  t.SpriteModule = Recorder<4>::Entries("Sprite");
  t.InputModule = Recorder<5>::Entries("Input");
  t.SystemModule = Recorder<6>::Entries("System");
  t.SoundModule = Recorder<7>::Entries("Sound");
  t.MusicModule = Recorder<8>::Entries("Music");
  t.FileModule = Recorder<9>::Entries("File");
  t.EmptyModule = Recorder<10>::Entries("Empty");
  t.MemoryBlockModule = Recorder<11>::Entries("MemoryBlock");
  t.VideoModule = Recorder<12>::Entries("Video");
  t.BitmapModule = Recorder<13>::Entries("Bitmap");
  t.NetSessionModule = Recorder<14>::Entries("NetSession");
  t.CameraModule = Recorder<15>::Entries("Camera");
  t.LightModule = Recorder<16>::Entries("Light");
  t.TileGridModule = Recorder<17>::Entries("TileGrid");
  t.ObjectModule = Recorder<18>::Entries("Object");
  t.TreeWorldModule = Recorder<19>::Entries("TreeWorld");
  t.VectorModule = Recorder<20>::Entries("Vector");
  t.ParticleModule = Recorder<21>::Entries("Particle");
  t.TreeWorldModule.SetErrorHandler = nullptr;  // an empty slot is skipped

  CoreData* data = GetCoreDataPointer();
  ConstructModules(data);
  ConstructRemainingModules(data);

  std::vector<std::string> expected = {"Display.PassCoreData 1"};
  auto full = [&expected](const char* name) {
    for (const char* step : {".Constructor", ".SetErrorHandler", ".PassCoreData"}) expected.push_back(std::string(name) + step);
  };
  full("Basic2D");
  full("Text");
  expected.insert(expected.end(), {"Image.Constructor", "LinkSpriteModule", "Image.SetErrorHandler",
                                   "Image.PassCoreData", "SetImageColorKey"});
  expected.insert(expected.end(), {"Sprite.Constructor", "Sprite.PassCoreData", "Sprite.SetErrorHandler"});
  for (const char* name : {"Input", "System", "Sound", "Music", "File", "Empty", "MemoryBlock", "Video", "Bitmap",
                           "NetSession", "Camera", "Light", "TileGrid", "Object"}) {
    full(name);
  }
  expected.insert(expected.end(), {"TreeWorld.Constructor", "TreeWorld.PassCoreData"});
  full("Vector");
  full("Particle");
  EXPECT_EQ(g_calls, expected);
  for (int i = 0; i < kModuleCount; ++i) EXPECT_EQ(data->modulePresent[i], 1) << i;

  // A text module already present is not constructed again.
  g_calls.clear();
  ConstructModules(data);
  EXPECT_EQ(std::count(g_calls.begin(), g_calls.end(), "Text.Constructor"), 0);
}

}  // namespace
