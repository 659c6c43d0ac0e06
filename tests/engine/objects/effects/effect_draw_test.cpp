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
#include "engine/objects/frame_tree.h"
#include "platform/d3dx/math_vector.h"
#include "tests/engine/objects/effects/effect_models.h"
#include "tests/engine/objects/frame_fixtures.h"
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
    effect_test::WriteModelFile(Object(1), "box.kvo");
    DeleteObject(1);
    EXPECT_EQ(LoadObject("box.kvo", 2), 1);
    PositionObject(2, 0, 0, 5);
    // Loading placed the automatic camera; this one looks along +z from 13 units before the box.
    PositionCameraById(0, 0, 0, -8);
    SetCameraRotation(0, 0, 0, 0);
    return FirstMesh(2);
  }

  // The back buffer (640 x 480) after one frame of the object passes.
  static std::vector<uint32_t> DrawFrame() { return effect_test::DrawObjectFrame(core_->backBufferSurface); }
  static uint32_t PixelAt(const std::vector<uint32_t>& pixels, int x, int y) {
    return pixels.size() < size_t(640) * 480 ? 0 : pixels[size_t(y) * 640 + size_t(x)] & 0xFFFFFF;
  }
  static uint32_t DrawMiddle() { return PixelAt(DrawFrame(), 320, 240); }

  // Where the device's current view and projection put a point of the world on the back buffer.
  static void Project(const Vector3& point, int* x, int* y) {
    Matrix view, projection;
    GetDirect3DDevice()->GetTransform(gfx::TS_VIEW, &view);
    GetDirect3DDevice()->GetTransform(gfx::TS_PROJECTION, &projection);
    const auto clip = platform::d3dx::Vec3Transform(point, platform::d3dx::MatrixMultiply(view, projection));
    *x = int(std::lround((clip.x / clip.w + 1) * 0.5f * 640));
    *y = int(std::lround((1 - clip.y / clip.w) * 0.5f * 480));
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

// Skinning on the GPU: every vertex takes a quarter of bone 0 ("still", where the model stands) and
// three quarters of bone 1 ("moved"), through the palette the engine uploads (bone offset x bone frame,
// sent transposed, so the shader multiplies it from the left); the vertex shader finds the bone weights
// and numbers in texture sets 1 and 2.
constexpr const char* kSkinned = R"(
float4x4 Wvp : WorldViewProjection;
float4x4 Bones[4] : bonematrixpalette;
float4 Skin(float4 p : POSITION, float4 weights : TEXCOORD1, float4 numbers : TEXCOORD2) : POSITION {
  float4 skinned = 0;
  for (int i = 0; i < 4; ++i) skinned += weights[i] * mul(Bones[(int)numbers[i]], p);
  return mul(float4(skinned.xyz, 1), Wvp);
}
float4 Paint() : COLOR { return float4(0.2, 0.6, 1, 1); }
technique Skinned { pass { VertexShader = compile vs_2_0 Skin(); PixelShader = compile ps_2_0 Paint(); } }
)";

TEST_F(EffectDrawTest, ASkinnedMeshIsPosedByTheBonePalette) {
  std::ofstream("skin.fx", std::ios::binary) << kSkinned;
  CreateBoxObject(1, 2, 2, 2);
  MeshRecord* made = FirstMesh(1);
  ASSERT_NE(made, nullptr);
  ObjectRecord* source = Object(1);
  qel_test::AddChildFrame(source->root.get(), "still");
  qel_test::AddChildFrame(source->root.get(), "moved");
  std::vector<uint32_t> all(size_t(made->vertexCount));
  for (uint32_t v = 0; v < all.size(); ++v) all[v] = v;
  BoneRecord still, moved;
  CopyRecordName(still.name, "still");
  still.vertexIndices = all;
  still.weights.assign(all.size(), 0.25f);
  still.offsetMatrix = platform::d3dx::MatrixIdentity();
  CopyRecordName(moved.name, "moved");
  moved.vertexIndices = all;
  moved.weights.assign(all.size(), 0.75f);
  moved.offsetMatrix = platform::d3dx::MatrixTranslation(0, 2, 0);
  made->bones = {still, moved};
  made->hasEffect = 1;
  CopyRecordName(made->effectFileName, "skin.fx");
  RefreshObjectFrames(source);
  std::vector<uint8_t> image;
  ASSERT_TRUE(SaveModelToMemory(source, &image));
  std::ofstream("skin.kvo", std::ios::binary).write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
  DeleteObject(1);

  ASSERT_EQ(LoadObject("skin.kvo", 2), 1);
  MeshRecord* mesh = FirstMesh(2);
  ASSERT_NE(mesh, nullptr);
  ASSERT_NE(mesh->effect, nullptr);
  ASSERT_EQ(mesh->bones.size(), 2u);
  EXPECT_EQ(mesh->boneStreams, 1);
  PositionObject(2, 0, 0, 5);
  PositionCameraById(0, 0, 0, -8);
  SetCameraRotation(0, 0, 0, 0);
  // Pose bone 1 with a turn, which does not commute with the bone's offset: its frame turns a quarter
  // round z, then moves 4 along x. The palette entry is the offset, then the frame: the lift of 2 turns
  // to -2 along x and the move makes it (2, 0, 0). Taken the other way round (the frame, then the
  // offset) it would be (4, 2, 0). Every vertex takes three quarters of the entry and a quarter of
  // where it stood, so the box's centre goes to 0.75 x the entry, and the box turns and shrinks a
  // little (0.25 + 0.75 x the turn) but keeps 0.79 of its half width of 1.
  namespace dx = platform::d3dx;
  FrameRecord* pose = FindFrameByName("moved", Object(2)->root.get());
  ASSERT_NE(pose, nullptr);
  const dx::Matrix frame = dx::MatrixMultiply(dx::MatrixRotationZ(1.5707964f), dx::MatrixTranslation(4, 0, 0));
  pose->localMatrix = frame;
  RefreshObjectFrames(Object(2));
  const dx::Vector3 origin{0, 0, 0};
  const dx::Vector3 posed = dx::Vec3Scale(dx::Vec3TransformCoord(origin, dx::MatrixMultiply(moved.offsetMatrix, frame)), 0.75f);
  const dx::Vector3 reversed = dx::Vec3Scale(dx::Vec3TransformCoord(origin, dx::MatrixMultiply(frame, moved.offsetMatrix)), 0.75f);
  ASSERT_NEAR(posed.x, 1.5f, 1e-4f);
  ASSERT_NEAR(posed.y, 0.0f, 1e-4f);
  ASSERT_NEAR(reversed.y, 1.5f, 1e-4f);

  const std::vector<uint32_t> pixels = DrawFrame();
  const uint32_t backdrop = PixelAt(pixels, 0, 0);
  struct Probe {
    dx::Vector3 at;
    bool box;
    const char* where;
  } probes[] = {
      {{posed.x, posed.y, 5}, true, "posed centre"},
      {{posed.x, posed.y + 0.7f, 5}, true, "inside its turned top edge"},
      {{posed.x, posed.y + 1.3f, 5}, false, "above it"},
      {{reversed.x, reversed.y, 5}, false, "where a palette of frame x offset would put it"},
      {{0, 0, 5}, false, "where it stood unposed"},
  };
  for (const Probe& p : probes) {
    int x = 0, y = 0;
    Project(p.at, &x, &y);
    ASSERT_TRUE(x > 0 && x < 640 && y > 0 && y < 480) << p.where << ": " << x << "," << y;
    if (p.box) {
      ExpectNear(PixelAt(pixels, x, y), Rgb(0.2f, 0.6f, 1.0f), p.where);
    } else {
      EXPECT_EQ(PixelAt(pixels, x, y), backdrop) << p.where;
    }
  }
  DeleteObject(2);
}

// An effect that adds what it draws to the backdrop through its own shaders. Drawn before a box of
// the fixed pipeline, it must leave that box as it draws alone: End puts back the blend states and
// the shaders the pass set.
constexpr const char* kAdded = R"(
float4x4 Wvp : WorldViewProjection;
float4 Move(float4 p : POSITION) : POSITION { return mul(p, Wvp); }
float4 Solid() : COLOR { return float4(0.25, 0.5, 0, 1); }
technique Added {
  pass {
    AlphaBlendEnable = true; SrcBlend = One; DestBlend = One;
    VertexShader = compile vs_2_0 Move(); PixelShader = compile ps_2_0 Solid();
  }
}
)";

TEST_F(EffectDrawTest, AnEffectsStatesAndShadersDoNotReachTheNextMesh) {
  MeshRecord* mesh = LoadBoxNaming("added.fx", kAdded);
  ASSERT_NE(mesh, nullptr);
  ASSERT_NE(mesh->effect, nullptr);
  PositionObject(2, -2.5f, 0, 5);
  CreateBoxObject(3, 2, 2, 2);  // drawn after the effect's box
  PositionObject(3, 2.5f, 0, 5);
  int effectX = 0, effectY = 0, plainX = 0, plainY = 0;
  Project({-2.5f, 0, 4}, &effectX, &effectY);
  Project({2.5f, 0, 4}, &plainX, &plainY);

  HideObject(2);
  const std::vector<uint32_t> alone = DrawFrame();
  ShowObject(2);
  const std::vector<uint32_t> both = DrawFrame();
  const uint32_t backdrop = PixelAt(alone, 0, 0);
  ASSERT_NE(PixelAt(alone, plainX, plainY), backdrop);
  EXPECT_EQ(PixelAt(both, plainX, plainY), PixelAt(alone, plainX, plainY));
  // The effect's box: its colour added to the backdrop.
  ExpectNear(PixelAt(both, effectX, effectY), (backdrop + 0x408000) & 0xFFFFFF, "added");
  EXPECT_EQ(PixelAt(alone, effectX, effectY), backdrop);
  DeleteObject(3);
  DeleteObject(2);
}

// Two boxes of one effect drawn one after the other: the second is drawn as a wireframe, the first is
// not; the renderer's states for each come through the effect.
TEST_F(EffectDrawTest, MeshesOfOneEffectInARowKeepTheirOwnRenderStates) {
  constexpr const char* kSolid = R"(
float4x4 Wvp : WorldViewProjection;
float4 Move(float4 p : POSITION) : POSITION { return mul(p, Wvp); }
float4 Solid() : COLOR { return float4(0.25, 0.5, 0, 1); }
technique Plain { pass { VertexShader = compile vs_2_0 Move(); PixelShader = compile ps_2_0 Solid(); } }
)";
  ASSERT_NE(LoadBoxNaming("solid.fx", kSolid), nullptr);
  PositionObject(2, -2.5f, 0, 5);
  ASSERT_EQ(LoadObject("box.kvo", 3), 1);
  ASSERT_NE(FirstMesh(3)->effect, nullptr);
  PositionObject(3, 2.5f, 0, 5);
  SetObjectWireframe(3, 1);
  int leftX = 0, leftY = 0, rightX = 0, rightY = 0;
  Project({-2.5f, 0, 4}, &leftX, &leftY);
  Project({3.0f, -0.1f, 4}, &rightX, &rightY);  // inside its front face, off the face's diagonal
  const std::vector<uint32_t> pixels = DrawFrame();
  const uint32_t backdrop = PixelAt(pixels, 0, 0);
  ExpectNear(PixelAt(pixels, leftX, leftY), 0x408000, "opaque");
  EXPECT_EQ(PixelAt(pixels, rightX, rightY), backdrop);
  DeleteObject(3);
  DeleteObject(2);
}

}  // namespace
