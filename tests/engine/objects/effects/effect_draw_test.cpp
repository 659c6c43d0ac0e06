// Models whose meshes name an effect file, loaded and drawn through the object commands with the real
// compilers: the colour at the middle of the screen is the one the effect computes (worked out here on
// the CPU), and a mesh whose effect cannot run draws as it would without one.
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/formats/kvo_format.h"
#include "engine/objects/effect_object.h"
#include "tests/engine/objects/table/object_fixture.h"

namespace {

namespace gfx = platform::gfx;

class EffectDrawTest : public objects_test::ObjectModuleTest {
 protected:
  void SetUp() override {
    ObjectModuleTest::SetUp();
    start_ = std::filesystem::current_path();
    folder_ = std::filesystem::temp_directory_path() / ("qel_effect_draw_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    std::filesystem::current_path(folder_);
    gfx::Light light{};
    light.type = gfx::LIGHT_DIRECTIONAL;
    light.diffuse = {1, 1, 1, 1};
    light.direction = {0, -0.6f, 0.8f};
    GetDirect3DDevice()->SetLight(0, &light);
    GetDirect3DDevice()->LightEnable(0, 1);
  }
  void TearDown() override {
    std::filesystem::current_path(start_);
    std::filesystem::remove_all(folder_);
    ObjectModuleTest::TearDown();
  }

  // A 2 x 2 x 2 box saved as a model whose mesh names `effect`, loaded as object 2 at (0, 0, 5).
  static MeshRecord* LoadBoxNaming(const std::string& effectFile, const std::string& text) {
    std::ofstream(effectFile, std::ios::binary) << text;
    CreateBoxObject(1, 2, 2, 2);
    MeshRecord* made = FirstMesh(1);
    EXPECT_NE(made, nullptr);
    made->hasEffect = 1;
    CopyRecordName(made->effectFileName, effectFile.c_str());
    std::vector<uint8_t> image;
    EXPECT_TRUE(SaveModelToMemory(Object(1), &image));
    std::ofstream("box.kvo", std::ios::binary).write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
    DeleteObject(1);
    EXPECT_EQ(LoadObject("box.kvo", 2), 1);
    PositionObject(2, 0, 0, 5);
    // Loading placed the automatic camera; this one looks along +z from 13 units before the box.
    PositionCameraById(0, 0, 0, -8);
    SetCameraRotation(0, 0, 0, 0);
    return FirstMesh(2);
  }

  // The middle of the back buffer after one frame of the object passes.
  static uint32_t DrawMiddle() {
    gfx::Device* device = GetDirect3DDevice();
    device->Clear(0, nullptr, gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1, 0);
    device->BeginScene();
    BeginCameraPasses();
    RunObjectMainPhase();
    RunObjectLatePhase();
    AdvanceCameraPass();
    device->EndScene();
    const std::vector<uint32_t> pixels = engine_test::ReadSurfacePixels(core_->backBufferSurface);
    return pixels.empty() ? 0 : pixels[size_t(240) * 640 + 320] & 0xFFFFFF;
  }

  std::filesystem::path start_, folder_;
};

void ExpectNear(uint32_t actual, uint32_t expected, const char* what) {
  for (int shift : {16, 8, 0})
    EXPECT_NEAR(int((actual >> shift) & 255), int((expected >> shift) & 255), 3) << what << std::hex << " got " << actual;
}

uint32_t Rgb(float r, float g, float b) {
  auto c = [](float v) { return uint32_t(std::lround(std::fmin(std::fmax(v, 0.0f), 1.0f) * 255.0f)); };
  return c(r) << 16 | c(g) << 8 | c(b);
}

// Lit by light 0 through the semantic slots: red is the diffuse term of the front face, green the
// camera's distance from the object's centre over 20, blue whether the effect's clock has started.
constexpr const char* kLit = R"(
float4x4 WorldViewProj : WorldViewProjection;
float4x4 World : World;
float4x4 WorldIT : WorldInverseTranspose;
float4 LightDir < string UIObject = "directionalight"; >;
float4 Camera : CameraPosition;
float Time : time;
struct VsOut { float4 pos : POSITION; float4 color : COLOR0; };
VsOut Lit(float4 p : POSITION, float3 n : NORMAL) {
  VsOut o;
  o.pos = mul(p, WorldViewProj);
  float3 normal = normalize(mul(n, (float3x3)WorldIT));
  float3 centre = mul(float4(0, 0, 0, 1), World).xyz;
  o.color = float4(saturate(dot(normal, -LightDir.xyz)), length(Camera.xyz - centre) / 20, Time > 1 ? 1 : 0, 1);
  return o;
}
float4 Shade(float4 c : COLOR0) : COLOR { return c; }
technique NeedsNewerHardware { pass { VertexShader = compile vs_3_0 Lit(); PixelShader = compile ps_3_0 Shade(); } }
technique Lit { pass { VertexShader = compile vs_2_0 Lit(); PixelShader = compile ps_2_0 Shade(); } }
)";

// Shader assembly: vertex shader 1.1 without declarations (they were implied then), pixel shader 1.1.
constexpr const char* kAssembly = R"(
float4x4 Wvpt : WorldViewProjectionTranspose;
float4 Paint = {0.25, 0.5, 1, 1};
technique Asm {
  pass {
    VertexShaderConstant4[0] = <Wvpt>;
    VertexShaderConstant[4] = <Paint>;
    VertexShader = asm { vs.1.1
      m4x4 oPos, v0, c0
      mov oD0, c4 };
    PixelShader = asm { ps.1.1
      mov r0, v0 };
  }
}
)";

// Two passes: red, then green added over it.
constexpr const char* kTwoPasses = R"(
float4x4 Wvp : WorldViewProjection;
float4 Move(float4 p : POSITION) : POSITION { return mul(p, Wvp); }
float4 Solid(uniform float3 c) : COLOR { return float4(c, 1); }
technique Add {
  pass Red { VertexShader = compile vs_2_0 Move(); PixelShader = compile ps_2_0 Solid(float3(1, 0, 0)); }
  pass Green {
    AlphaBlendEnable = true; SrcBlend = One; DestBlend = One; ZFunc = LessEqual;
    VertexShader = compile vs_2_0 Move(); PixelShader = compile ps_2_0 Solid(float3(0, 1, 0));
  }
}
)";

TEST_F(EffectDrawTest, ModelsDrawWithTheEffectTheirMeshesName) {
  const float distance = 13.0f;  // the camera stands 13 units in front of the box's centre
  const struct {
    const char* file;
    const char* text;
    uint32_t expected;
  } cases[] = {
      {"lit.fx", kLit, Rgb(0.8f, distance / 20, 1.0f)},
      {"asm.fx", kAssembly, Rgb(0.25f, 0.5f, 1.0f)},
      {"add.fx", kTwoPasses, Rgb(1, 1, 0)},
  };
  for (const auto& c : cases) {
    MeshRecord* mesh = LoadBoxNaming(c.file, c.text);
    ASSERT_NE(mesh, nullptr) << c.file;
    ASSERT_NE(mesh->effect, nullptr) << c.file;
    ASSERT_NE(mesh->effect->effect, nullptr) << c.file;
    ExpectNear(DrawMiddle(), c.expected, c.file);

    DeleteObject(2);
  }
}

TEST_F(EffectDrawTest, AMeshWhoseEffectCannotRunDrawsWithoutIt) {
  // Only a vs_3_0 technique: nothing this device runs, so the model loads without the effect and
  // draws lit by the fixed pipeline (white, lit by light 0 at 0.8).
  MeshRecord* mesh = LoadBoxNaming("new.fx", R"(
float4x4 Wvp : WorldViewProjection;
float4 Move(float4 p : POSITION) : POSITION { return mul(p, Wvp); }
technique Only { pass { VertexShader = compile vs_3_0 Move(); } }
)");
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->effect, nullptr);
  const uint32_t fixed = DrawMiddle();
  EXPECT_NE(fixed, 0u);
  // A broken effect file is no different.
  DeleteObject(2);
  mesh = LoadBoxNaming("broken.fx", "technique T { pass { VertexShader = compile vs_2_0 Missing(); } }");
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->effect, nullptr);
  EXPECT_EQ(DrawMiddle(), fixed);
}

}  // namespace
