#include "platform/gfx/api.h"

#include <gtest/gtest.h>

#include <cstring>

namespace gfx = platform::gfx;

namespace {

struct ApiTest : ::testing::Test {
  void SetUp() override {
    api = gfx::Ref<gfx::Api>(gfx::CreateApi(gfx::kSdkVersion));
    ASSERT_TRUE(api);
    ASSERT_GE(api->GetAdapterCount(), 1u);
  }
  gfx::Ref<gfx::Api> api;
};

bool HasMode(gfx::Api* api, uint32_t format, uint32_t w, uint32_t h) {
  gfx::DisplayMode m;
  for (uint32_t i = 0; i < api->GetAdapterModeCount(0, format); ++i)
    if (api->EnumAdapterModes(0, format, i, &m) == gfx::kOk && m.width == w && m.height == h && m.format == format)
      return true;
  return false;
}

}  // namespace

TEST_F(ApiTest, OffersCommonWindowSizesInBothDisplayFormatsUpToTheDesktop) {
  gfx::DisplayMode desktop;
  ASSERT_EQ(api->GetAdapterDisplayMode(0, &desktop), gfx::kOk);
  for (uint32_t format : {uint32_t(gfx::FMT_X8R8G8B8), uint32_t(gfx::FMT_R5G6B5)}) {
    EXPECT_TRUE(HasMode(api.get(), format, 640, 480));
    EXPECT_TRUE(HasMode(api.get(), format, desktop.width, desktop.height));
    // Ascending, so a search for the first larger mode finds the nearest.
    gfx::DisplayMode prev{}, m;
    for (uint32_t i = 0; i < api->GetAdapterModeCount(0, format); ++i) {
      ASSERT_EQ(api->EnumAdapterModes(0, format, i, &m), gfx::kOk);
      EXPECT_LE(m.width, desktop.width);
      EXPECT_TRUE(m.width > prev.width || (m.width == prev.width && m.height > prev.height));
      prev = m;
    }
  }
  EXPECT_EQ(api->GetAdapterModeCount(0, gfx::FMT_A2R10G10B10), 0u);
  gfx::DisplayMode m;
  EXPECT_EQ(api->EnumAdapterModes(0, gfx::FMT_X8R8G8B8, 100000, &m), gfx::kInvalidCall);
}

TEST_F(ApiTest, CapsAndIdentifierComeFromTheContext) {
  gfx::Caps caps;
  ASSERT_EQ(api->GetDeviceCaps(0, gfx::DEVTYPE_HAL, &caps), gfx::kOk);
  EXPECT_GE(caps.maxTextureWidth, 2048u);
  EXPECT_EQ(caps.maxActiveLights, 8u);
  EXPECT_GE(caps.maxSimultaneousTextures, 2u);
  EXPECT_EQ(caps.textureCaps & gfx::PTEXTURECAPS_POW2, 0u);
  EXPECT_NE(caps.stencilCaps & gfx::STENCILCAPS_TWOSIDED, 0u);
  gfx::AdapterIdentifier id;
  ASSERT_EQ(api->GetAdapterIdentifier(0, 0, &id), gfx::kOk);
  EXPECT_GT(std::strlen(id.description), 0u);
  EXPECT_EQ(api->GetDeviceCaps(7, gfx::DEVTYPE_HAL, &caps), gfx::kInvalidCall);
}

TEST_F(ApiTest, FormatChecksAnswerWhatTheDeviceProvides) {
  const uint32_t x8 = gfx::FMT_X8R8G8B8;
  struct Case {
    uint32_t usage, type, format;
    bool ok;
  } cases[] = {
      {gfx::USAGE_DEPTHSTENCIL, gfx::RTYPE_SURFACE, gfx::FMT_D24S8, true},
      {gfx::USAGE_DEPTHSTENCIL, gfx::RTYPE_SURFACE, gfx::FMT_D16, true},
      {gfx::USAGE_DEPTHSTENCIL, gfx::RTYPE_SURFACE, gfx::FMT_D15S1, false},
      {gfx::USAGE_DEPTHSTENCIL, gfx::RTYPE_SURFACE, gfx::FMT_X8R8G8B8, false},
      {0, gfx::RTYPE_TEXTURE, gfx::FMT_A4R4G4B4, true},  // engine text draws from it
      {0, gfx::RTYPE_TEXTURE, gfx::FMT_A8R8G8B8, true},
      {0, gfx::RTYPE_TEXTURE, gfx::FMT_A1R5G5B5, true},
      {0, gfx::RTYPE_TEXTURE, gfx::FMT_L8, true},
      {0, gfx::RTYPE_TEXTURE, gfx::FMT_DXT5, true},
      {0, gfx::RTYPE_TEXTURE, gfx::FMT_P8, false},
      {0, gfx::RTYPE_TEXTURE, gfx::FMT_D24S8, false},
      {gfx::USAGE_RENDERTARGET, gfx::RTYPE_SURFACE, gfx::FMT_R5G6B5, true},
      {gfx::USAGE_RENDERTARGET, gfx::RTYPE_TEXTURE, gfx::FMT_L8, false},
      {0, gfx::RTYPE_VOLUMETEXTURE, gfx::FMT_A8R8G8B8, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(api->CheckDeviceFormat(0, gfx::DEVTYPE_HAL, x8, c.usage, c.type, c.format) == gfx::kOk, c.ok)
        << "format " << c.format << " usage " << c.usage;
  EXPECT_EQ(api->CheckDepthStencilMatch(0, gfx::DEVTYPE_HAL, x8, x8, gfx::FMT_D24S8), gfx::kOk);
  EXPECT_NE(api->CheckDepthStencilMatch(0, gfx::DEVTYPE_HAL, x8, x8, gfx::FMT_R5G6B5), gfx::kOk);
  // The format of whatever surface the caller draws to serves as the adapter format, but a depth
  // format or an unknown one does not.
  EXPECT_EQ(api->CheckDeviceFormat(0, gfx::DEVTYPE_HAL, gfx::FMT_R8G8B8, 0, gfx::RTYPE_TEXTURE, gfx::FMT_A4R4G4B4),
            gfx::kOk);
  EXPECT_NE(api->CheckDeviceFormat(0, gfx::DEVTYPE_HAL, gfx::FMT_D24S8, 0, gfx::RTYPE_TEXTURE, gfx::FMT_A8R8G8B8),
            gfx::kOk);
  EXPECT_EQ(api->CheckDeviceFormat(3, gfx::DEVTYPE_HAL, x8, 0, gfx::RTYPE_TEXTURE, gfx::FMT_A8R8G8B8),
            gfx::kInvalidCall);
}
