#include <gtest/gtest.h>

#include "platform/d3dx/pictures/textures.h"

namespace {

namespace d3dx = platform::d3dx;
namespace gfx = platform::gfx;

TEST(TextureSize, RulesFromTheCaps) {
  constexpr uint32_t kPow2 = gfx::PTEXTURECAPS_POW2, kConditional = gfx::PTEXTURECAPS_NONPOW2CONDITIONAL;
  struct Case {
    const char* what;
    uint32_t textureCaps, maxSide;
    uint32_t width, height, levels;
    gfx::Format format;
    bool cube;
    uint32_t wantWidth, wantHeight, wantLevels;
  };
  const Case cases[] = {
      {"any size", 0, 4096, 100, 60, d3dx::kDefault, gfx::FMT_A8R8G8B8, false, 100, 60, 7},
      {"powers of two", kPow2, 4096, 100, 60, 1, gfx::FMT_A8R8G8B8, false, 128, 64, 1},
      {"conditional, one level", kPow2 | kConditional, 4096, 100, 60, 1, gfx::FMT_A8R8G8B8, false, 100, 60, 1},
      {"conditional, mip chain", kPow2 | kConditional, 4096, 100, 60, 0, gfx::FMT_A8R8G8B8, false, 128, 64, 8},
      {"square only", gfx::PTEXTURECAPS_SQUAREONLY, 4096, 100, 60, 1, gfx::FMT_A8R8G8B8, false, 100, 100, 1},
      {"largest size", kPow2, 64, 100, 60, 1, gfx::FMT_A8R8G8B8, false, 64, 64, 1},
      {"whole blocks", 0, 4096, 5, 3, 1, gfx::FMT_DXT1, false, 8, 4, 1},
      {"both sides unset", 0, 4096, 0, d3dx::kDefault, 1, gfx::FMT_A8R8G8B8, false, 256, 256, 1},
      {"one side unset", 0, 4096, d3dx::kDefault, 32, 1, gfx::FMT_A8R8G8B8, false, 32, 32, 1},
      {"more levels than the chain", 0, 4096, 4, 4, 10, gfx::FMT_A8R8G8B8, false, 4, 4, 3},
      {"cube", gfx::PTEXTURECAPS_CUBEMAP_POW2, 4096, 100, 0, 0, gfx::FMT_A8R8G8B8, true, 128, 128, 8},
  };
  for (const Case& c : cases) {
    gfx::Caps caps{};
    caps.textureCaps = c.textureCaps;
    caps.maxTextureWidth = caps.maxTextureHeight = c.maxSide;
    uint32_t w = c.width, h = c.height, levels = c.levels;
    d3dx::AdjustTextureSize(caps, &w, &h, &levels, c.format, c.cube);
    EXPECT_EQ(w, c.wantWidth) << c.what;
    EXPECT_EQ(h, c.wantHeight) << c.what;
    EXPECT_EQ(levels, c.wantLevels) << c.what;
  }
}

}  // namespace
