// Models with effects, drawn the way a frame draws them: a record tree saved as a KVO file for the
// object commands to load, and one frame of the object passes read back from the device.
#pragma once
#include <cstdint>
#include <fstream>
#include <vector>

#include "engine/formats/kvo_format.h"
#include "engine/objects/object_manager.h"
#include "engine/scene/camera.h"
#include "tests/engine/engine_fixture.h"

namespace effect_test {

// Saves `object` as the KVO file `path`, for LoadObject.
inline void WriteModelFile(const ObjectRecord* object, const char* path) {
  std::vector<uint8_t> image;
  EXPECT_TRUE(SaveModelToMemory(object, &image));
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
}

// The back buffer after one frame of the object passes over a black target, as 0xAARRGGBB.
inline std::vector<uint32_t> DrawObjectFrame(platform::gfx::Surface* backBuffer) {
  namespace gfx = platform::gfx;
  gfx::Device* device = GetDirect3DDevice();
  device->Clear(0, nullptr, gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1, 0);
  device->BeginScene();
  BeginCameraPasses();
  RunObjectMainPhase();
  RunObjectLatePhase();
  AdvanceCameraPass();
  device->EndScene();
  return engine_test::ReadSurfacePixels(backBuffer);
}

}  // namespace effect_test
