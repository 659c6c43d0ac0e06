// The renderer brought up offscreen: one 640 x 480 device per suite, camera 0 at the origin looking
// along +z, light 0 white and shining along +z, the object module's state and table filled by hand, and
// box objects built straight from the records, so that what is drawn depends only on the renderer.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/display/display.h"
#include "engine/objects/device_links.h"
#include "engine/objects/frame_tree.h"
#include "engine/objects/mesh_builders.h"
#include "engine/objects/object_bounds.h"
#include "engine/objects/object_manager.h"
#include "engine/objects/object_table.h"
#include "engine/scene/camera.h"
#include "platform/gfx/device.h"
#include "tests/engine/engine_fixture.h"

namespace render_test {

namespace gfx = platform::gfx;

constexpr uint32_t kBackground = 0xFF000080;
constexpr uint32_t kBoxFvf = gfx::FVF_XYZ | gfx::FVF_NORMAL | gfx::FVF_TEX1;  // 274
constexpr int32_t kTableSize = 64;

class RenderTest : public ::testing::Test {
 public:
  static void SetUpTestSuite() {
    core_ = engine_test::StartEngineDisplay(&word_);
    InstallDeviceRecordLinks(GetDirect3DDevice);
  }
  static void TearDownTestSuite() { engine_test::StopEngineDisplay(core_); }

  void SetUp() override {
    ASSERT_NE(Device(), nullptr);
    CameraModule::Constructor();
    CameraModule::SetErrorHandler(&word_);
    CameraModule::PassCoreData(core_);
    EnableCameraClear(0);
    SetCameraClearColor(0, kBackground);

    ObjectModuleState& state = GetObjectModuleState();
    state.core = core_;
    state.device = Device();
    Device()->GetDeviceCaps(&state.caps);
    state.links.getCameraData = GetCameraData;
    state.links.setCameraFov = static_cast<void (*)(int32_t, float)>(SetCameraFOV);
    ObjectTable& table = GetObjectTable();
    table.slots.resize(kTableSize);
    table.capacity = kTableSize;
    table.usedIds.clear();
    ResetObjectManager();
    ASSERT_TRUE(Manager().SetCapacity(kTableSize));

    core_->fogOn = 0;
    core_->stencilMode = 0;
    core_->renderPassCount = 1;
    core_->shadowCasterCount = core_->mirrorCount = 0;
    SetLight({0, 0, 1});
    Device()->SetRenderState(gfx::RS_AMBIENT, 0);
    word_ = 0;
  }

  void TearDown() override {
    ResetObjectManager();
    ObjectTable& table = GetObjectTable();
    table.usedIds.clear();
    table.slots.clear();
    GetObjectModuleState() = ObjectModuleState{};
    CameraModule::Destructor();
  }

  static gfx::Device* Device() { return GetDirect3DDevice(); }
  static ObjectManager& Manager() { return GetObjectManager(); }

  // Light 0: white, directional.
  static void SetLight(gfx::Vector3 direction) {
    gfx::Light light{};
    light.type = gfx::LIGHT_DIRECTIONAL;
    light.diffuse = {1, 1, 1, 1};
    light.direction = direction;
    Device()->SetLight(0, &light);
    Device()->LightEnable(0, 1);
  }

  // A box object of the given size at a position, with one untextured stage (as the box command
  // makes it), placed in the buffers on the next frame.
  static ObjectRecord* AddBox(int32_t number, gfx::Vector3 size, gfx::Vector3 position) {
    ObjectTable& table = GetObjectTable();
    EXPECT_TRUE(CreateObjectRecord(&table.slots[size_t(number)], "box"));
    ObjectRecord* object = table.slots[size_t(number)].get();
    MeshRecord* mesh = object->root->mesh.get();
    EXPECT_TRUE(MakeBoxMesh(true, mesh, -size.x / 2, -size.y / 2, -size.z / 2, size.x / 2, size.y / 2, size.z / 2,
                            kBoxFvf, 0xFFFFFFFF));
    mesh->stages.clear();
    mesh->stages.emplace_back();
    EXPECT_TRUE(RefreshObjectFrames(object));
    EXPECT_TRUE(CalculateObjectBounds(object));
    object->bounds.cullRadius = object->bounds.radius;
    object->placement.position = position;
    object->refreshBuffers = 1;
    Manager().RequestRefresh();
    table.usedIds.push_back(number);
    return object;
  }

  // One frame of the camera loop as the frame step runs it.
  static void DrawFrame() {
    core_->polygonsDrawn = core_->drawCalls = 0;
    Device()->BeginScene();
    BeginCameraPasses();
    do {
      for (core_->renderPassIndex = 0; core_->renderPassIndex < core_->renderPassCount; ++core_->renderPassIndex) {
        RunBeginStencilEffects();
        RunObjectMainPhase();
        RunEndStencilEffects();
        RunObjectLatePhase();
      }
    } while (AdvanceCameraPass() == 0);
    Device()->EndScene();
  }

  static std::vector<uint32_t> BackBuffer() { return engine_test::ReadSurfacePixels(core_->backBufferSurface); }
  static uint32_t PixelAt(const std::vector<uint32_t>& pixels, int x, int y) {
    return pixels[size_t(y) * 640 + size_t(x)] & 0xFFFFFF;
  }

  static inline CoreData* core_ = nullptr;
  static inline uint32_t word_ = 0;
};

// Channels of a 0xRRGGBB pixel.
inline int Red(uint32_t p) { return int((p >> 16) & 255); }
inline int Green(uint32_t p) { return int((p >> 8) & 255); }
inline int Blue(uint32_t p) { return int(p & 255); }

inline void ExpectColorNear(uint32_t actual, uint32_t expected, int tolerance, const char* what = "") {
  EXPECT_NEAR(Red(actual), Red(expected), tolerance) << what << std::hex << " got " << actual;
  EXPECT_NEAR(Green(actual), Green(expected), tolerance) << what << std::hex << " got " << actual;
  EXPECT_NEAR(Blue(actual), Blue(expected), tolerance) << what << std::hex << " got " << actual;
}

}  // namespace render_test
