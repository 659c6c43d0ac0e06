// Lights and fog: what reaches the device at start-up and from each command, the colour of a lit quad
// for each kind of light, fog on a quad, and the errors.
#include "tests/engine/scene/scene_fixture.h"

namespace scene_test {
namespace {

using LightTest = SceneTest;

struct LitVertex {
  float x, y, z, nx, ny, nz;
};

// States for a white, untextured, lit quad coloured only by the lighting.
void PrepareLitDraw() {
  gfx::Device* d = SceneTest::Device();
  const gfx::Matrix identity = dx::MatrixIdentity();
  d->SetTransform(gfx::TS_WORLD, &identity);
  gfx::Material material{};
  material.diffuse = material.ambient = {1, 1, 1, 1};
  d->SetMaterial(&material);
  d->SetRenderState(gfx::RS_LIGHTING, 1);
  d->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
  d->SetRenderState(gfx::RS_ZENABLE, 0);
  d->SetRenderState(gfx::RS_SPECULARENABLE, 0);
  d->SetTexture(0, nullptr);
  d->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_SELECTARG1);
  d->SetTextureStageState(0, gfx::TSS_COLORARG1, gfx::TA_DIFFUSE);
  d->SetVertexShader(nullptr);
  d->SetFVF(gfx::FVF_XYZ | gfx::FVF_NORMAL);
}

// A 20 x 20 quad facing the camera at the origin, at depth z.
void DrawFacingQuad(float z) {
  const LitVertex quad[4] = {{-10, 10, z, 0, 0, -1}, {10, 10, z, 0, 0, -1}, {-10, -10, z, 0, 0, -1},
                             {10, -10, z, 0, 0, -1}};
  PrepareLitDraw();
  SceneTest::Device()->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, quad, sizeof(LitVertex));
}

// A 2 x 2 tile of floor at y = 0 facing up, centred on (x, 0, 0).
void DrawFloorTile(float x) {
  const LitVertex quad[4] = {{x - 1, 0, 1, 0, 1, 0}, {x + 1, 0, 1, 0, 1, 0}, {x - 1, 0, -1, 0, 1, 0}, {x + 1, 0, -1, 0, 1, 0}};
  PrepareLitDraw();
  SceneTest::Device()->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, quad, sizeof(LitVertex));
}

void ExpectGrey(uint32_t argb, int level, int tolerance, const char* what) {
  EXPECT_NEAR(int((argb >> 16) & 0xFF), level, tolerance) << what;
  EXPECT_NEAR(int((argb >> 8) & 0xFF), level, tolerance) << what;
  EXPECT_NEAR(int(argb & 0xFF), level, tolerance) << what;
}

gfx::Light DeviceLight(uint32_t index) {
  gfx::Light light{};
  EXPECT_EQ(SceneTest::Device()->GetLight(index, &light), gfx::kOk);
  return light;
}

uint32_t State(uint32_t state) {
  uint32_t value = 0;
  SceneTest::Device()->GetRenderState(state, &value);
  return value;
}

void ClearToBlack() {
  gfx::Device* d = SceneTest::Device();
  const gfx::Viewport whole{0, 0, 640, 480, 0, 1};
  d->SetViewport(&whole);
  d->Clear(0, nullptr, gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
}

TEST_F(LightTest, StartUpHoldsTheDirectionalLightZeroAmbientAndNoFog) {
  const gfx::Light light = DeviceLight(0);
  EXPECT_EQ(light.type, gfx::LIGHT_DIRECTIONAL);
  ExpectVectorNear(light.direction, {0.1f, -0.5f, 0.5f}, 0);
  EXPECT_EQ(light.diffuse.r + light.diffuse.g + light.diffuse.b + light.diffuse.a, 4.0f);
  EXPECT_EQ(light.specular.r + light.specular.g + light.specular.b + light.specular.a, 4.0f);
  int32_t enabled = 0;
  Device()->GetLightEnable(0, &enabled);
  EXPECT_EQ(enabled, 1);
  EXPECT_EQ(State(gfx::RS_AMBIENT), 0xFF3F3F3Fu);
  EXPECT_EQ(State(gfx::RS_FOGENABLE), 0u);
  EXPECT_EQ(core_->fogOn, 0u);

  // The quad facing the camera: ambient 63 plus the diffuse share N.L of the light.
  ClearToBlack();
  DrawFacingQuad(10);
  const float nDotL = 0.5f / std::sqrt(0.01f + 0.25f + 0.25f);
  ExpectGrey(PixelAt(320, 240), int(63 + nDotL * 255), 3, "light 0");
}

TEST_F(LightTest, APointLightLightsTheQuadInItsColour) {
  Device()->LightEnable(0, 0);
  CreateLight(5);
  const gfx::Light light = DeviceLight(5);
  EXPECT_EQ(light.type, gfx::LIGHT_POINT);
  ExpectVectorNear(light.position, {0, 0, 0}, 0);
  EXPECT_FLOAT_EQ(light.range, 1000.0f);
  EXPECT_FLOAT_EQ(light.attenuation0, 1.0f);
  EXPECT_FLOAT_EQ(light.attenuation2, 1.0f / (333.33334f * 333.33334f));
  EXPECT_EQ(light.diffuse.a, 0.0f);

  SetLightColor(5, 0xFF8000);
  const gfx::Light coloured = DeviceLight(5);
  EXPECT_FLOAT_EQ(coloured.diffuse.r, 1.0f);
  EXPECT_FLOAT_EQ(coloured.diffuse.g, 0.5019608f);
  EXPECT_FLOAT_EQ(coloured.diffuse.b, 0.0f);
  EXPECT_FLOAT_EQ(coloured.specular.b, 1.0f);

  // Lit per vertex: each corner, (10, 10, 15) from the light, takes the colour x N.L, faded by
  // 1 / (1 + d^2 / (range / 3)^2).
  SetLightColor(5, 0x404040);
  SetLightPosition(5, 0, 0, -5);
  SetLightRange(5, 30);
  ClearToBlack();
  DrawFacingQuad(10);
  const float d2 = 10 * 10 + 10 * 10 + 15 * 15;
  const float fade = 1.0f / (1.0f + d2 / (10.0f * 10.0f));
  ExpectGrey(PixelAt(320, 240), int(63 + 64 * (15 / std::sqrt(d2)) * fade), 2, "point light");
}

TEST_F(LightTest, ASpotLightLightsOnlyItsCone) {
  Device()->LightEnable(0, 0);
  CreateLight(1);
  SetLightToSpot(1, 20, 40);
  gfx::Light light = DeviceLight(1);
  EXPECT_EQ(light.type, gfx::LIGHT_SPOT);
  ExpectVectorNear(light.direction, {0, -1, 0}, 0);
  EXPECT_FLOAT_EQ(light.theta, 0.34906584f);
  EXPECT_FLOAT_EQ(light.phi, 0.69813168f);
  EXPECT_FLOAT_EQ(light.range, 1000.0f);
  EXPECT_FLOAT_EQ(light.attenuation2, 0.0f);  // no fade until a range is set

  SetLightPosition(1, 0, 5, 0);
  SetLightColor(1, 0x808080);
  PlaceCamera(0, 10, 0);
  AimCamera(0, 0, 0);
  // The cone reaches 5 x tan(20 degrees) = 1.8 units on the floor: the corners of a tile under the
  // light are inside it (lit by N.L = 5 / |(1, 5, 1)|), those of a tile 5 units aside are not.
  ClearToBlack();
  DrawFloorTile(0);
  DrawFloorTile(5);
  ExpectGrey(PixelAt(320, 240), int(63 + 128 * 5 / std::sqrt(27.0f)), 3, "under the light");
  ExpectGrey(PixelAt(320 + 200, 240), 63, 2, "outside the cone");
}

TEST_F(LightTest, FogFadesToItsColourBetweenStartAndEnd) {
  EnableFog();
  EXPECT_EQ(core_->fogOn, 1u);
  EXPECT_EQ(State(gfx::RS_FOGENABLE), 1u);
  EXPECT_EQ(State(gfx::RS_FOGCOLOR), 0u);
  EXPECT_EQ(State(gfx::RS_FOGVERTEXMODE), gfx::FOG_LINEAR);
  EXPECT_EQ(gfx::BitsFloat(State(gfx::RS_FOGSTART)), 0.0f);
  EXPECT_EQ(gfx::BitsFloat(State(gfx::RS_FOGEND)), 3000.0f);
  SetFogColor(0xFFFF0000);
  SetFogDistance(900);
  EXPECT_EQ(State(gfx::RS_FOGCOLOR), 0xFFFF0000u);
  EXPECT_EQ(gfx::BitsFloat(State(gfx::RS_FOGEND)), 900.0f);

  // A white unlit quad halfway to the fog end is half fog colour.
  SetFogDistance(20);
  ClearToBlack();
  Device()->SetRenderState(gfx::RS_FOGTABLEMODE, gfx::FOG_NONE);
  PrepareLitDraw();
  Device()->SetRenderState(gfx::RS_LIGHTING, 0);
  Device()->SetRenderState(gfx::RS_TEXTUREFACTOR, 0xFFFFFFFF);
  Device()->SetTextureStageState(0, gfx::TSS_COLORARG1, gfx::TA_TFACTOR);
  const LitVertex quad[4] = {{-10, 10, 10, 0, 0, -1}, {10, 10, 10, 0, 0, -1}, {-10, -10, 10, 0, 0, -1},
                             {10, -10, 10, 0, 0, -1}};
  Device()->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, quad, sizeof(LitVertex));
  const uint32_t pixel = PixelAt(320, 240);
  EXPECT_NEAR(int((pixel >> 16) & 0xFF), 255, 3);
  EXPECT_NEAR(int((pixel >> 8) & 0xFF), 128, 4);
  EXPECT_NEAR(int(pixel & 0xFF), 128, 4);

  // A colour set before EnableFog does not survive it.
  EnableFog();
  EXPECT_EQ(State(gfx::RS_FOGCOLOR), 0u);
  EXPECT_EQ(gfx::BitsFloat(State(gfx::RS_FOGEND)), 20.0f);
  DisableFog();
  EXPECT_EQ(core_->fogOn, 0u);
  EXPECT_EQ(State(gfx::RS_FOGENABLE), 0u);
  Device()->SetTextureStageState(0, gfx::TSS_COLORARG1, gfx::TA_DIFFUSE);
}

TEST_F(LightTest, ErrorsChangeNothing) {
  CreateLight(5);
  SetLightPosition(5, 1, 2, 3);
  const struct {
    const char* what;
    void (*call)();
    uint32_t code;
  } cases[] = {
      {"create light 0", [] { CreateLight(0); }, 7305},
      {"create an existing light", [] { CreateLight(5); }, 7302},
      {"create -1", [] { CreateLight(-1); }, 7301},
      {"create beyond the range", [] { CreateLight(22000001); }, 7301},
      {"spot of a missing light", [] { SetLightToSpot(6, 10, 20); }, 7303},
      {"range of -1", [] { SetLightRange(-1, 10); }, 7301},
      {"position beyond the range", [] { SetLightPosition(22000001, 0, 0, 0); }, 7301},
      {"colour of a missing light", [] { SetLightColor(22000000, 0); }, 7303},
      {"point of a missing light", [] { SetPointLight(7, 0, 0, 0); }, 7303},
      {"directional of -3", [] { SetDirectionalLight(-3, 0, 0, 1); }, 7301},
  };
  for (const auto& c : cases) {
    word_ = 0;
    c.call();
    EXPECT_EQ(word_, c.code) << c.what;
  }
  EXPECT_EQ(FindLight(6), nullptr);
  // Ranges without a fade are refused quietly.
  word_ = 0;
  SetLightRange(5, 0);
  SetLightRange(5, -4);
  SetLightRange(5, std::nanf(""));
  EXPECT_EQ(word_, 0u);
  const gfx::Light light = DeviceLight(5);
  ExpectVectorNear(light.position, {1, 2, 3}, 0);
  EXPECT_EQ(light.type, gfx::LIGHT_POINT);
  EXPECT_FLOAT_EQ(light.range, 1000.0f);
}

TEST_F(LightTest, ADeviceResetLeavesOnlyAFreshLightZero) {
  CreateLight(3);
  SetDirectionalLight(0, 0, -1, 0);
  EnableFog();
  LightModule::RefreshD3D(0);
  EXPECT_EQ(FindLight(3), nullptr);
  LightModule::RefreshD3D(1);
  EXPECT_EQ(FindLight(3), nullptr);
  ASSERT_NE(FindLight(0), nullptr);
  ExpectVectorNear(DeviceLight(0).direction, {0.1f, -0.5f, 0.5f}, 0);
  EXPECT_EQ(core_->fogOn, 0u);
  EXPECT_EQ(State(gfx::RS_FOGENABLE), 0u);
  Device()->LightEnable(3, 0);
}

}  // namespace
}  // namespace scene_test
