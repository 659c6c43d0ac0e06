// Saving the back buffer as a picture, for tests that run the whole engine.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/core_data.h"
#include "platform/d3dx/pictures/picture_writers.h"
#include "tests/engine/engine_fixture.h"

namespace level_test {

// With QEL_SCREENSHOTS set to a folder, saves the back buffer there as "<name>.png".
inline void SaveScreenshot(const std::string& name) {
  const char* folder = std::getenv("QEL_SCREENSHOTS");
  if (!folder || !*folder) return;
  uint32_t width = 0, height = 0;
  const std::vector<uint32_t> pixels =
      engine_test::ReadSurfacePixels(GetCoreDataPointer()->backBufferSurface, &width, &height);
  platform::d3dx::Picture picture(width, height);
  picture.pixels = pixels;
  std::vector<uint8_t> bytes;
  platform::d3dx::EncodePicture(platform::d3dx::IFF_PNG, picture, false, bytes);
  std::ofstream(std::filesystem::path(folder) / (name + ".png"), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace level_test
