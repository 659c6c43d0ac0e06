// HLSL written the ways other people write it, drawn and read back: outputs through `out` and `inout`
// parameters, returned structures, return semantics and mixes of them; signatures broken over lines
// with compile-time arguments; one structure shared by both stages; sampler_state initializers in a
// plain compile.
#include <gtest/gtest.h>

#include "tests/platform/d3dx/shaders/shader_fixture.h"

namespace shadertest {
namespace {

// Every vertex entry moves the quad by WorldViewProj and passes the vertex colour on COLOR0 and
// (0.5, 0.25) on TEXCOORD0; the pixel shader needs both to give the vertex colour back.
const char* kVertexForms = R"(
float4x4 WorldViewProj;

void VS_OutParams(float4 inPos : POSITION, float4 inColor : COLOR0,
                  out float4 outPos : POSITION, out float4 outColor : COLOR0, out float2 outUV : TEXCOORD0)
{
    outPos = mul(inPos, WorldViewProj);
    outColor = inColor;
    outUV = float2(0.5, 0.25);
}

void VS_InOut(inout float4 pos : POSITION, inout float4 color : COLOR0, out float2 uv : TEXCOORD0)
{
    pos = mul(pos, WorldViewProj);
    uv = float2(0.5, 0.25);
}

struct VS_OUTPUT
{
    float4 Pos   : POSITION;
    float4 Color : COLOR0;
    float2 UV    : TEXCOORD0;
};

VS_OUTPUT VS_Struct(float4 Pos : POSITION, float4 Color : COLOR0)
{
    VS_OUTPUT Out = (VS_OUTPUT)0;
    Out.Pos = mul(Pos, WorldViewProj);
    Out.Color = Color;
    Out.UV = float2(0.5, 0.25);
    return Out;
}

void VS_OutStruct(float4 Pos : POSITION, float4 Color : COLOR0, out VS_OUTPUT Out)
{
    Out = VS_Struct(Pos, Color);
}

float4 VS_ReturnSemantic(float4 pos : POSITION, float4 color : COLOR0,
                         out float4 oColor : COLOR0, out float2 oUV : TEXCOORD0) : POSITION
{
    oColor = color;
    oUV = float2(0.5, 0.25);
    return mul(pos, WorldViewProj);
}

struct VS_POSITION { float4 Pos : POSITION; float4 Color : COLOR0; };

VS_POSITION VS_StructAndOut(float4 Pos : POSITION, float4 Color : COLOR0, out float2 UV : TEXCOORD0)
{
    VS_POSITION Out;
    Out.Pos = mul(Pos, WorldViewProj);
    Out.Color = Color;
    UV = float2(0.5, 0.25);
    return Out;
}

struct VS_SHADE { float4 Color : COLOR0; float2 UV : TEXCOORD0; };
struct VS_NESTED { float4 Pos : POSITION; VS_SHADE Shade; };

VS_NESTED VS_Nested(float4 Pos : POSITION, float4 Color : COLOR0)
{
    VS_NESTED Out;
    Out.Pos = mul(Pos, WorldViewProj);
    Out.Shade.Color = Color;
    Out.Shade.UV = float2(0.5, 0.25);
    return Out;
}

float4 PS_ColorAndUV(float4 color : COLOR0, float2 uv : TEXCOORD0) : COLOR
{
    return color * float4(uv.x * 2, uv.y * 4, 1, 1);
}
)";

TEST_F(ShaderTest, VertexOutputsInEveryFormDraw) {
  for (const char* entry : {"VS_OutParams", "VS_InOut", "VS_Struct", "VS_OutStruct", "VS_ReturnSemantic",
                            "VS_StructAndOut", "VS_Nested"}) {
    SCOPED_TRACE(entry);
    UseVertexShader(Hlsl(kVertexForms, entry, "vs_2_0"));
    UsePixelShader(Hlsl(kVertexForms, "PS_ColorAndUV", "ps_2_0"));
    gfx::Matrix right = Identity();
    right.m[3][0] = 1.0f;
    SetMatrix(true, "WorldViewProj", right);
    ClearForShaders();
    ClipQuad(-1.0f, -1.0f, 0.0f, 1.0f, 0xFFC08040);
    EXPECT_TRUE(gfxtest::Near(Pixel(48, 24), 0xFFC08040, 3)) << std::hex << Pixel(48, 24);
    EXPECT_EQ(Pixel(16, 24), 0xFF000000u);
  }
}

// Every pixel entry halves the colour; those that write DEPTH write 0.25 over geometry at 0.9.
const char* kPixelForms = R"(
void PS_OutParam(float4 c : COLOR0, out float4 oColor : COLOR0)
{
    oColor = c * 0.5;
}

void PS_InOut(inout float4 color : COLOR0)
{
    color *= 0.5;
}

void PS_Targets(float4 c : COLOR0, out float4 o0 : COLOR0, out float4 o1 : COLOR1, out float4 o2 : COLOR2,
                out float4 o3 : COLOR3)
{
    o0 = c * 0.5;
    o1 = c;
    o2 = c;
    o3 = c;
}

struct PS_OUTPUT
{
    float4 Color : COLOR0;
    float  Depth : DEPTH;
};

PS_OUTPUT PS_StructDepth(float4 c : COLOR0)
{
    PS_OUTPUT Out;
    Out.Color = c * 0.5;
    Out.Depth = 0.25;
    return Out;
}

float4 PS_ReturnAndDepth(float4 c : COLOR0, out float depth : DEPTH) : COLOR0
{
    depth = 0.25;
    return c * 0.5;
}

void PS_OutDepth(float4 c : COLOR0, out float4 color : COLOR, out float depth : DEPTH)
{
    color = c * 0.5;
    depth = 0.25;
}
)";

TEST_F(ShaderTest, PixelOutputsInEveryFormDraw) {
  const struct {
    const char* entry;
    bool writesDepth;
  } cases[] = {{"PS_OutParam", false},    {"PS_InOut", false},          {"PS_Targets", false},
               {"PS_StructDepth", true}, {"PS_ReturnAndDepth", true}, {"PS_OutDepth", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry);
    UsePixelShader(Hlsl(kPixelForms, c.entry, "ps_2_0"));
    ClearForShaders();
    dev->SetRenderState(gfx::RS_ZENABLE, 1);
    dev->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
    dev->SetRenderState(gfx::RS_ZFUNC, gfx::CMP_LESSEQUAL);
    FillRect(0, 0, float(kWidth), float(kHeight), 0xFF80C0FF, 0.9f);
    auto colour = [&] { return Pixel(30, 20) | 0xFF000000u; };  // the alpha was halved too
    EXPECT_TRUE(gfxtest::Near(colour(), 0xFF406080, 3)) << std::hex << colour();
    // White at depth 0.5 stays behind a written 0.25 and covers the geometry's own 0.9.
    dev->SetPixelShader(nullptr);
    FillRect(0, 0, float(kWidth), float(kHeight), 0xFFFFFFFF, 0.5f);
    EXPECT_EQ(gfxtest::Near(colour(), 0xFF406080, 3), c.writesDepth) << std::hex << colour();
  }
}

// Entry signatures broken over lines and commented as people write them, the matrix bound by the
// compile statement's argument (or, without one, read as a parameter of its own).
TEST_F(ShaderTest, SignaturesOverLinesFindTheirEntryAndArguments) {
  const struct {
    const char* source;
    std::vector<std::string> arguments;
    const char* matrix;  // the parameter the matrix is set into
  } cases[] = {
      {"float4x4 WorldViewProj;\n"
       "void Transform\n(\n    float4 pos : POSITION,\n    uniform float4x4 PVW,\n    out float4 oPos : POSITION\n)\n"
       "{\n    oPos = mul(pos, PVW);\n}\n",
       {"WorldViewProj"}, "WorldViewProj"},
      {"float4x4 WorldViewProj;\n"
       "float4\nTransform(uniform float4x4 PVW, float4 pos : POSITION)\n    : POSITION\n{\n    return mul(pos, PVW);\n}\n",
       {"WorldViewProj"}, "WorldViewProj"},
      {"float4x4 WorldViewProj;\n"
       "static float4 // the clip position\nTransform( // bound by the technique:\n    uniform float4x4 PVW,\n"
       "    float4 pos\n        : POSITION) /* return */\n    :\n    POSITION\n{\n    return mul(pos, PVW);\n}\n",
       {"WorldViewProj"}, "WorldViewProj"},
      {"float4 Transform(float4 pos : POSITION,\n                 uniform float4x4 PVW) : POSITION\n"
       "{\n    return mul(pos, PVW);\n}\n",
       {}, "PVW"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    UseVertexShader(Hlsl(c.source, "Transform", "vs_2_0", c.arguments));
    gfx::Matrix right = Identity();
    right.m[3][0] = 1.0f;
    SetMatrix(true, c.matrix, right);
    ClearForShaders();
    ClipQuad(-1.0f, -1.0f, 0.0f, 1.0f, 0xFFFFFFFF);
    EXPECT_EQ(Pixel(48, 24), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(16, 24), 0xFF000000u);
  }
}

// The vertex shader's output structure, POSITION and all, as the pixel shader's input: what the
// pixel shader does not read is dropped; reading POSITION (or PSIZE) is an error at its declaration.
const char* kShared = R"(float4x4 WorldViewProj;
struct VS_OUTPUT
{
    float4 Position : POSITION;
    float4 Diffuse  : COLOR0;
    float2 Tex      : TEXCOORD0;
    float  Size     : PSIZE;
};
VS_OUTPUT VS(float4 Pos : POSITION, float4 Color : COLOR0)
{
    VS_OUTPUT Out;
    Out.Position = mul(Pos, WorldViewProj);
    Out.Diffuse = Color;
    Out.Tex = float2(0.5, 0.25);
    Out.Size = 1;
    return Out;
}
float4 PS(VS_OUTPUT In) : COLOR
{
    return In.Diffuse * float4(In.Tex.x * 2, In.Tex.y * 4, 1, 1);
}
float4 PS_ReadsPosition(VS_OUTPUT In) : COLOR { return In.Diffuse * In.Position.z; }
float4 PS_ReadsSize(VS_OUTPUT In) : COLOR { return In.Diffuse * In.Size; }
)";

TEST_F(ShaderTest, AStructureSharedByBothStagesDropsWhatThePixelShaderLeavesAlone) {
  UseVertexShader(Hlsl(kShared, "VS", "vs_2_0"));
  Hlsl(kShared, "PS", "ps_3_0");
  UsePixelShader(Hlsl(kShared, "PS", "ps_2_0"));
  SetMatrix(true, "WorldViewProj", Identity());
  ClearForShaders();
  ClipQuad(-1.0f, -1.0f, 1.0f, 1.0f, 0xFF2080C0);
  EXPECT_TRUE(gfxtest::Near(Pixel(30, 20), 0xFF2080C0, 3)) << std::hex << Pixel(30, 20);

  const struct {
    const char* entry;
    const char* profile;
    const char* expected;
  } errors[] = {
      {"PS_ReadsPosition", "ps_2_0", "test.fx(4): input 'In.Position': a pixel shader cannot read POSITION"},
      {"PS_ReadsPosition", "ps_3_0", "test.fx(4): input 'In.Position': a pixel shader cannot read POSITION"},
      {"PS_ReadsSize", "ps_2_0", "test.fx(7): input 'In.Size': semantic 'PSIZE' does not reach a pixel shader"},
  };
  for (const auto& e : errors) {
    std::vector<uint32_t> function;
    std::string messages;
    EXPECT_EQ(d3dx::CompileShaderHLSL(kShared, "test.fx", e.entry, e.profile, {}, &function, &messages),
              gfx::kInvalidCall);
    EXPECT_NE(messages.find(e.expected), std::string::npos) << messages;
  }
}

// An effect file's pixel shader compiled on its own: the texture, its sampler_state and the
// technique are the effect's business, the sampler is the stage's.
TEST_F(ShaderTest, APlainCompileLeavesSamplerStatesAndTechniquesToTheEffect) {
  const char* source = R"(
texture DiffuseTexture < string ResourceName = "stone.png"; >;
sampler DiffuseSampler = sampler_state
{
    Texture   = <DiffuseTexture>;
    MinFilter = LINEAR;
    MagFilter = LINEAR;
    AddressU  = CLAMP;
    AddressV  = CLAMP;
};
float4 main(float2 uv : TEXCOORD0, float4 diffuse : COLOR0) : COLOR
{
    return tex2D(DiffuseSampler, uv) * diffuse;
}
technique Textured
{
    pass P0 { PixelShader = compile ps_2_0 main(); }
}
)";
  UsePixelShader(Hlsl(source, "main", "ps_2_0"));
  const std::vector<d3dx::ShaderConstant> table = Table(psFunction_);
  const d3dx::ShaderConstant* sampler = Find(table, "DiffuseSampler");
  ASSERT_NE(sampler, nullptr);
  EXPECT_EQ(sampler->registerSet, d3dx::RS_SAMPLER);
  gfx::Texture* texture = nullptr;
  ASSERT_EQ(dev->CreateTexture(1, 1, 1, 0, gfx::FMT_A8R8G8B8, gfx::POOL_MANAGED, &texture, nullptr), gfx::kOk);
  gfx::LockedRect lr;
  ASSERT_EQ(texture->LockRect(0, &lr, nullptr, 0), gfx::kOk);
  *static_cast<uint32_t*>(lr.bits) = 0xFF80FF40;
  texture->UnlockRect(0);
  dev->SetTexture(sampler->registerIndex, texture);
  ClearForShaders();
  ClipQuad(-1.0f, -1.0f, 1.0f, 1.0f, 0xFFFF8080);
  EXPECT_TRUE(gfxtest::Near(Pixel(30, 20), 0xFF808020, 3)) << std::hex << Pixel(30, 20);
  dev->SetTexture(sampler->registerIndex, nullptr);
  texture->Release();
}

}  // namespace
}  // namespace shadertest
