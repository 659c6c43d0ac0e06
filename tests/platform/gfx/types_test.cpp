#include "platform/gfx/types.h"

#include <gtest/gtest.h>

namespace gfx = platform::gfx;

// Stored model files and engine logic compare these by number.
TEST(GfxTypes, ValuesThatFilesAndEngineLogicDependOn) {
  EXPECT_EQ(gfx::FMT_DXT1, 0x31545844u);
  EXPECT_EQ(gfx::FMT_DXT5, 0x35545844u);
  EXPECT_EQ(gfx::FVF_XYZRHW | gfx::FVF_DIFFUSE | gfx::FVF_TEX1, 0x144u);
  EXPECT_EQ(gfx::FVF_XYZ | gfx::FVF_NORMAL | gfx::FVF_TEX1, 0x112u);
  EXPECT_EQ(gfx::FvfTexCoordSize3(1), 0x40000u);
  EXPECT_EQ(uint32_t(gfx::kDeviceLost), 0x88760868u);
  EXPECT_EQ(sizeof(gfx::VertexElement), 8u);
  EXPECT_EQ(sizeof(gfx::Matrix), 64u);
}
