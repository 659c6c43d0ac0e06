// Drawing with HLSL shaders on the real GL device, compared with colours computed here.
#include <gtest/gtest.h>

#include "platform/gfx/shader_function.h"
#include "tests/platform/d3dx/shaders/shader_fixture.h"

namespace shadertest {
namespace {

const char* kTransformColor = R"(
float4x4 WorldViewProj;
float4 Tint;
struct VS_OUT { float4 pos : POSITION; float4 color : COLOR0; };
VS_OUT vmain(float4 pos : POSITION, float4 color : COLOR0) {
  VS_OUT o;
  o.pos = mul(pos, WorldViewProj);
  o.color = color * Tint;
  return o;
}
float4 Scale;
float4 pmain(float4 color : COLOR0) : COLOR { return color * Scale; }
)";

TEST_F(ShaderTest, HlslVertexAndPixelShaderDrawWhatTheRegistersSay) {
  UseVertexShader(Hlsl(kTransformColor, "vmain", "vs_2_0"));
  UsePixelShader(Hlsl(kTransformColor, "pmain", "ps_2_0"));
  // Moves the quad [-1, 0] x [-1, 1] to the right half: x' = x + 1.
  gfx::Matrix m = Identity();
  m.m[3][0] = 1.0f;
  SetMatrix(true, "WorldViewProj", m);
  SetVector(true, "Tint", 1.0f, 0.5f, 1.0f, 1.0f);
  SetVector(false, "Scale", 0.5f, 1.0f, 1.0f, 1.0f);
  dev->Clear(0, nullptr, gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  dev->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
  dev->SetRenderState(gfx::RS_LIGHTING, 0);
  ClipQuad(-1.0f, -1.0f, 0.0f, 1.0f, 0xFFC08040);
  std::vector<uint32_t> pixels = ReadTarget();
  // 0xC0 * 1 * 0.5, 0x80 * 0.5 * 1, 0x40.
  EXPECT_TRUE(gfxtest::Near(pixels[10 * kWidth + 48], 0xFF604040, 3)) << std::hex << pixels[10 * kWidth + 48];
  EXPECT_EQ(pixels[10 * kWidth + 10], 0xFF000000u);
}

}  // namespace
}  // namespace shadertest

namespace shadertest {
namespace {

TEST_F(ShaderTest, HlslMatricesInBothMajorsTransformAsRowVectors) {
  const char* source = R"(
float4x4 Move;
row_major float4x4 Squash;
float4 main(float4 pos : POSITION) : POSITION { return mul(mul(pos, Move), Squash); }
)";
  UseVertexShader(Hlsl(source, "main", "vs_2_0"));
  auto table = Table(vsFunction_);
  ASSERT_NE(Find(table, "Squash"), nullptr);
  EXPECT_TRUE(Find(table, "Squash")->rowMajor);
  EXPECT_FALSE(Find(table, "Move")->rowMajor);
  gfx::Matrix move = Identity(), squash = Identity();
  move.m[3][0] = 1.0f;     // x + 1
  squash.m[1][1] = 0.5f;   // y / 2
  squash.m[3][1] = 0.5f;   // then up by a quarter of the height
  SetMatrix(true, "Move", move);
  SetMatrix(true, "Squash", squash);
  dev->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
  dev->SetRenderState(gfx::RS_LIGHTING, 0);
  dev->Clear(0, nullptr, gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  ClipQuad(-1.0f, -1.0f, 0.0f, 1.0f, 0xFFFFFFFF);
  // The quad now covers x in [0, 1] and y in [0, 1] (clip space): the top right quarter.
  std::vector<uint32_t> pixels = ReadTarget();
  EXPECT_EQ(pixels[6 * kWidth + 48] & 0xFFFFFF, 0xFFFFFFu & 0xFFFFFF);
  EXPECT_EQ(pixels[6 * kWidth + 16], 0xFF000000u);
  EXPECT_EQ(pixels[40 * kWidth + 48], 0xFF000000u);
}

TEST_F(ShaderTest, HlslVertexShaderFeedsTheFixedTextureStages) {
  gfx::Texture* texture = nullptr;
  ASSERT_EQ(dev->CreateTexture(1, 1, 1, 0, gfx::FMT_A8R8G8B8, gfx::POOL_MANAGED, &texture, nullptr), gfx::kOk);
  gfx::LockedRect lr;
  ASSERT_EQ(texture->LockRect(0, &lr, nullptr, 0), gfx::kOk);
  *static_cast<uint32_t*>(lr.bits) = 0xFF80FF40;
  texture->UnlockRect(0);
  dev->SetTexture(0, texture);
  const char* source = R"(
struct VS_OUT { float4 pos : POSITION; float4 color : COLOR0; float2 uv : TEXCOORD0; };
VS_OUT main(float4 pos : POSITION) {
  VS_OUT o;
  o.pos = pos;
  o.color = float4(1.0, 0.5, 1.0, 1.0);
  o.uv = float2(0.5, 0.5);
  return o;
}
)";
  UseVertexShader(Hlsl(source, "main", "vs_1_1"));
  // Stage 0 as set by default: texture x diffuse.
  dev->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
  dev->Clear(0, nullptr, gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  ClipQuad(-1.0f, -1.0f, 1.0f, 1.0f, 0xFFFFFFFF);
  EXPECT_TRUE(gfxtest::Near(Pixel(30, 20), 0xFF808040, 3)) << std::hex << Pixel(30, 20);
  dev->SetTexture(0, nullptr);
  texture->Release();
}

TEST_F(ShaderTest, HlslPixelShaderReadsTheFixedVertexOutputs) {
  UsePixelShader(Hlsl("float4 Weight;\nfloat4 main(float4 c : COLOR0) : COLOR { return c * Weight; }\n", "main", "ps_2_0"));
  SetVector(false, "Weight", 0.5f, 1.0f, 0.0f, 1.0f);
  dev->Clear(0, nullptr, gfx::CLEAR_TARGET, 0xFF000000, 1.0f, 0);
  FillRect(0, 0, float(kWidth), float(kHeight), 0xFF80C0FF);
  EXPECT_TRUE(gfxtest::Near(Pixel(30, 20), 0xFF40C000, 3)) << std::hex << Pixel(30, 20);
  // Back to the fixed pipeline on both sides.
  dev->SetPixelShader(nullptr);
  FillRect(0, 0, float(kWidth), float(kHeight), 0xFF80C0FF);
  EXPECT_TRUE(gfxtest::Near(Pixel(30, 20), 0xFF80C0FF, 1)) << std::hex << Pixel(30, 20);
}

TEST_F(ShaderTest, HlslInputsBindToDeclarationElementsByUsageIndex) {
  struct Vertex {
    float x, y, z;
    float uv1[2];
    float uv0[2];
  };
  const gfx::VertexElement elements[] = {
      {0, 0, gfx::DECLTYPE_FLOAT3, gfx::DECLMETHOD_DEFAULT, gfx::DECLUSAGE_POSITION, 0},
      {0, 12, gfx::DECLTYPE_FLOAT2, gfx::DECLMETHOD_DEFAULT, gfx::DECLUSAGE_TEXCOORD, 1},
      {0, 20, gfx::DECLTYPE_FLOAT2, gfx::DECLMETHOD_DEFAULT, gfx::DECLUSAGE_TEXCOORD, 0},
      gfx::kDeclEnd};
  gfx::VertexDeclaration* declaration = nullptr;
  ASSERT_EQ(dev->CreateVertexDeclaration(elements, &declaration), gfx::kOk);
  const char* source = R"(
struct VS_OUT { float4 pos : POSITION; float4 color : COLOR0; };
VS_OUT main(float4 pos : POSITION, float2 first : TEXCOORD0, float2 second : TEXCOORD1) {
  VS_OUT o;
  o.pos = pos;
  o.color = float4(first.x, second.x, first.y, 1.0);
  return o;
}
)";
  UseVertexShader(Hlsl(source, "main", "vs_2_0"));
  dev->SetVertexDeclaration(declaration);
  dev->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
  dev->Clear(0, nullptr, gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  Vertex v[4];
  const float corners[4][2] = {{-1, 1}, {1, 1}, {-1, -1}, {1, -1}};
  for (int i = 0; i < 4; ++i) v[i] = {corners[i][0], corners[i][1], 0.5f, {0.75f, 0.0f}, {0.25f, 0.5f}};
  ASSERT_EQ(dev->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, v, sizeof v[0]), gfx::kOk);
  EXPECT_TRUE(gfxtest::Near(Pixel(30, 20), 0xFF40BF80, 2)) << std::hex << Pixel(30, 20);
  dev->SetVertexDeclaration(nullptr);
  declaration->Release();
}

TEST_F(ShaderTest, HlslUniformArgumentsAreBoundAtCompileTime) {
  const char* source = R"(
float4 main(float4 pos : POSITION, uniform float scale, uniform bool shrink) : POSITION {
  return shrink ? float4(pos.xy * scale, pos.zw) : pos;
}
)";
  UseVertexShader(Hlsl(source, "main", "vs_2_0", {"0.5", "true"}));
  EXPECT_TRUE(Table(vsFunction_).empty());
  dev->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
  dev->Clear(0, nullptr, gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  ClipQuad(-1.0f, -1.0f, 1.0f, 1.0f, 0xFFFFFFFF);
  EXPECT_EQ(Pixel(32, 24) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(Pixel(4, 4), 0xFF000000u);
  // Too many arguments for the entry's uniform parameters.
  std::vector<uint32_t> function;
  std::string errors;
  EXPECT_EQ(d3dx::CompileShaderHLSL(source, "test.fx", "main", "vs_2_0", std::vector<std::string>{"1", "true", "2"},
                                    &function, &errors),
            gfx::kInvalidCall);
  EXPECT_NE(errors.find("takes 2 uniform parameters, 3 given"), std::string::npos) << errors;
}

}  // namespace
}  // namespace shadertest

namespace shadertest {
namespace {

TEST_F(ShaderTest, HlslParametersTheEntryLeavesAloneTakeNoRegisters) {
  // A file shared by several shaders: the pixel shader reads one register of it, and declares no more,
  // however large the parameters it leaves alone (drivers that do not trim arrays refuse 8192).
  const char* source = R"(
float4 Palette[8192];
float4 Tint;
float4x4 Unused;
float4 main() : COLOR { return Tint; }
)";
  UsePixelShader(Hlsl(source, "main", "ps_2_0"));
  const auto table = Table(psFunction_);
  ASSERT_EQ(table.size(), 1u);
  EXPECT_EQ(table[0].name, "Tint");
  EXPECT_EQ(table[0].registerIndex, 0u);
  gfx::ShaderFunction function;
  ASSERT_TRUE(gfx::ReadShaderFunction(psFunction_.data(), &function));
  const std::string* glsl = function.Find(gfx::kShaderTagGlsl);
  ASSERT_NE(glsl, nullptr);
  EXPECT_NE(glsl->find("uniform vec4 qel_pc[1];"), std::string::npos) << *glsl;
  SetVector(false, "Tint", 0.25f, 0.5f, 1.0f, 1.0f);
  ClearForShaders();
  ClipQuad(-1.0f, -1.0f, 1.0f, 1.0f, 0xFFFFFFFF);
  EXPECT_TRUE(gfxtest::Near(Pixel(kWidth / 2, kHeight / 2), 0xFF4080FF, 2)) << std::hex << Pixel(kWidth / 2, kHeight / 2);
}

}  // namespace
}  // namespace shadertest
