// The engine brought up offscreen for the world modules' tests: one 640 x 480 device per suite; the
// image, camera, light, tile-grid, object and tree-world modules constructed in start-up order before
// every test; camera 0 clearing to a known colour; and helpers that draw one camera pass, read pixels
// and find where a point lands on the screen.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/display/display.h"
#include "engine/media2d/image.h"
#include "engine/objects/object_module.h"
#include "engine/objects/object_table.h"
#include "engine/scene/camera.h"
#include "engine/scene/light.h"
#include "engine/scene/light_state.h"
#include "engine/world/tile_grid.h"
#include "engine/world/tile_grid_state.h"
#include "engine/world/tree_world.h"
#include "engine/world/tree_world_state.h"
#include "platform/d3dx/math_matrix.h"
#include "platform/d3dx/math_vector.h"
#include "platform/gfx/device.h"
#include "tests/engine/engine_fixture.h"
#include "tests/engine/objects/render/render_fixture.h"

namespace world_test {

namespace gfx = platform::gfx;
namespace dx = platform::d3dx;

constexpr uint32_t kBackground = 0x000080;

class WorldTest : public engine_test::EngineDisplayTest {
 public:
  void SetUp() override {
    ASSERT_NE(Device(), nullptr);
    CoreTable& t = GetCoreTable();
    ConstructModule(t.ImageModule);
    ConstructModule(t.CameraModule);
    ConstructModule(t.LightModule);
    ConstructModule(t.TileGridModule);
    GetObjectTable().capacity = 0;
    ConstructModule(t.ObjectModule);
    ConstructModule(t.TreeWorldModule);
    EnableCameraClear(0);
    SetCameraClearColor(0, 0xFF000000u | kBackground);
    core_->fogOn = 0;
    core_->stencilMode = 0;
    core_->renderPassIndex = 0;
    core_->renderPassCount = 1;
    core_->polygonsDrawn = 0;
    word_ = 0;
  }

  void TearDown() override {
    TreeWorldModule::Destructor();
    TreeWorld& w = World();
    w.renderSwitch = 0;
    for (int i = 0; i < kWorldCollisionSlots; ++i) {
      w.slotActive[i] = 0;
      w.slots[i] = WorldCollisionSlot{};
    }
    ObjectModule::Destructor();
    TileGridModule::Destructor();
    for (IdListNode* node = Lights().list.records.Head(); node; node = node->next)
      Device()->LightEnable(uint32_t(node->id), 0);
    LightModule::Destructor();
    CameraModule::Destructor();
    ImageModule::Destructor();
  }

  static gfx::Device* Device() { return GetDirect3DDevice(); }

  // One frame of camera 0 with the world modules' per-pass calls in the frame step's order; `passes`
  // picks the tile-grid passes that run (bit 0 first, bit 1 second).
  static void DrawFrame(int passes = 3) {
    core_->polygonsDrawn = 0;
    Device()->BeginScene();
    BeginCameraPasses();
    do {
      for (core_->renderPassIndex = 0; core_->renderPassIndex < core_->renderPassCount; ++core_->renderPassIndex) {
        RenderWorld();
        if (passes & 1) DrawTileGridsFirstPass();
        if (passes & 2) DrawTileGridsSecondPass();
      }
    } while (AdvanceCameraPass() == 0);
    Device()->EndScene();
  }

  static std::vector<uint32_t> BackBuffer() { return engine_test::ReadSurfacePixels(core_->backBufferSurface); }
  static uint32_t PixelAt(const std::vector<uint32_t>& pixels, int x, int y) {
    return pixels[size_t(y) * 640 + size_t(x)] & 0xFFFFFF;
  }
  // Where an engine-unit point lands on the screen through camera 0's current view and projection.
  static void ScreenOf(gfx::Vector3 p, int* x, int* y) {
    CameraRecord* camera = GetCameraData(0);
    const gfx::Vector3 ndc = dx::Vec3TransformCoord(p, dx::MatrixMultiply(camera->view, camera->projection));
    *x = int(320.0f + ndc.x * 320.0f);
    *y = int(240.0f - ndc.y * 240.0f);
  }
  static uint32_t RenderState(uint32_t state) {
    uint32_t value = 0;
    Device()->GetRenderState(state, &value);
    return value;
  }
  // A one-level texture of one colour (one reference, the caller's).
  static gfx::Texture* SolidTexture(uint32_t argb) {
    gfx::Texture* texture = nullptr;
    EXPECT_TRUE(gfx::Succeeded(Device()->CreateTexture(4, 4, 1, 0, gfx::FMT_A8R8G8B8, gfx::POOL_MANAGED, &texture,
                                                        nullptr)));
    gfx::LockedRect locked{};
    if (!texture || gfx::Failed(texture->LockRect(0, &locked, nullptr, 0))) return texture;
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x)
        reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.bits) + y * locked.pitch)[x] = argb;
    texture->UnlockRect(0);
    return texture;
  }
};

// Channels of 0xRRGGBB pixels and their comparison, as the renderer's tests have them.
using render_test::Blue;
using render_test::ExpectColorNear;
using render_test::Green;
using render_test::Red;

}  // namespace world_test
