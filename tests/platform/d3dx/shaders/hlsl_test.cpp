// HLSL compiling: constant tables laid out as the older API laid them out, errors with lines, the
// compile cache and limits that keep hostile sources from running away.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/d3dx/effects/effect.h"
#include "tests/platform/d3dx/shaders/shader_fixture.h"

namespace shadertest {
namespace {

TEST_F(ShaderTest, HlslConstantTableGivesEachParameterItsRegisters) {
  const char* source = R"(
float Scale;
float Bias;
float3 Axis;
float4x4 WorldViewProj;
row_major float4x3 RowBones;
float4x3 ColumnBones;
float4 Colors[3];
float4x4 Palette[2];
bool Enabled;
int Count;
float Unused;
sampler2D Diffuse;
sampler2D Detail : register(s3);
float4 main(float4 pos : TEXCOORD1, float2 uv : TEXCOORD0) : COLOR {
  float4 r = mul(pos, WorldViewProj) * Scale + Bias + float4(Axis, 0);
  r.xyz += mul(pos, RowBones) + mul(pos, ColumnBones);
  r += Colors[2] + mul(pos, Palette[1]);
  if (Enabled) r += Count;
  return r * tex2D(Diffuse, uv) * tex2D(Detail, uv);
}
)";
  std::vector<uint32_t> function = Hlsl(source, "main", "ps_3_0");
  auto table = Table(function);
  struct Expected {
    const char* name;
    uint32_t set, index, count, rows, columns, elements;
    bool rowMajor;
  } expected[] = {
      {"Scale", d3dx::RS_FLOAT4, 0, 1, 1, 1, 1, false},
      {"Bias", d3dx::RS_FLOAT4, 1, 1, 1, 1, 1, false},
      {"Axis", d3dx::RS_FLOAT4, 2, 1, 1, 3, 1, false},
      {"WorldViewProj", d3dx::RS_FLOAT4, 3, 4, 4, 4, 1, false},
      {"RowBones", d3dx::RS_FLOAT4, 7, 4, 4, 3, 1, true},
      {"ColumnBones", d3dx::RS_FLOAT4, 11, 3, 4, 3, 1, false},
      {"Colors", d3dx::RS_FLOAT4, 14, 3, 1, 4, 3, false},
      {"Palette", d3dx::RS_FLOAT4, 17, 8, 4, 4, 2, false},
      {"Enabled", d3dx::RS_FLOAT4, 25, 1, 1, 1, 1, false},
      {"Count", d3dx::RS_FLOAT4, 26, 1, 1, 1, 1, false},
      {"Diffuse", d3dx::RS_SAMPLER, 0, 1, 1, 1, 1, false},
      {"Detail", d3dx::RS_SAMPLER, 3, 1, 1, 1, 1, false},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.name);
    const d3dx::ShaderConstant* c = Find(table, e.name);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->registerSet, e.set);
    EXPECT_EQ(c->registerIndex, e.index);
    EXPECT_EQ(c->registerCount, e.count);
    if (e.set == d3dx::RS_FLOAT4) {
      EXPECT_EQ(c->rows, e.rows);
      EXPECT_EQ(c->columns, e.columns);
      EXPECT_EQ(c->elements, e.elements);
      EXPECT_EQ(c->rowMajor, e.rowMajor);
    }
  }
  EXPECT_EQ(Find(table, "Unused"), nullptr);  // unread parameters take no registers
  gfx::PixelShader* shader = nullptr;
  EXPECT_EQ(dev->CreatePixelShader(function.data(), &shader), gfx::kOk);
  if (shader) shader->Release();
}

// Every error names the file and line of what it is about: the front end's own messages, those of
// mapping parameters, samplers, inputs and outputs to the device, those of the wrapper that binds
// compile-time arguments, and lines of included files by their "#line" markers.
TEST_F(ShaderTest, HlslErrorsGiveFileAndLine) {
  struct Case {
    const char* source;
    const char* entry;
    const char* profile;
    std::vector<std::string> arguments;
    const char* expected;
  } cases[] = {
      {"float4 main() : POSITION {\n  return undefinedThing;\n}\n", "main", "vs_2_0", {}, "test.fx(2): "},
      {"float4 main() : POSITION { return 0; }\n", "missing", "vs_2_0", {}, "test.fx(0): entry point 'missing' not found"},
      {"float4 main() : POSITION { return 0; }\n", "main", "vs_9_9", {}, "test.fx(0): unknown profile 'vs_9_9'"},
      {"\nfloat4 main(float4 p\n  : POSITION) : POSITION { return p; }\n", "main", "ps_2_0", {},
       "test.fx(2): input 'p': a pixel shader cannot read POSITION"},
      {"struct S { float a; };\nS s;\nfloat4 main() : COLOR { return s.a; }\n", "main", "ps_2_0", {},
       "test.fx(2): parameter 's': only float"},
      {"cbuffer Lights\n{\n  float4 Colour;\n};\nfloat4 main() : COLOR { return Colour; }\n", "main", "ps_2_0", {},
       "test.fx(1): cbuffer 'Lights'"},
      {"float4 Small;\nfloat4 Big[40];\nfloat4 main() : COLOR { return Small + Big[39]; }\n", "main", "ps_2_0", {},
       "test.fx(2): parameters need 41 constant registers"},
      {"\nsampler2D Maps[2];\nfloat4 main(float2 uv : TEXCOORD0) : COLOR { return tex2D(Maps[1], uv); }\n", "main",
       "ps_2_0", {}, "test.fx(2): sampler array 'Maps'"},
      {"void main(float4 p : POSITION,\n          out float4 o : POSITION,\n          out float4 w : BLENDWEIGHT)\n"
       "{ o = p; w = p; }\n", "main", "vs_2_0", {}, "test.fx(3): output 'w': semantic 'BLENDWEIGHT' is not supported"},
      {"struct VS_OUTPUT { float4 Pos : POSITION; float4 Diffuse : COLOR0; };\n"
       "VS_OUTPUT main(float4 p : POSITION,\n  out float4 c : COLOR0)\n{ VS_OUTPUT o; o.Pos = p; o.Diffuse = p; c = p; return o; }\n",
       "main", "vs_2_0", {}, "test.fx(3): output 'c': semantic 'COLOR0' is written twice"},
      {"\n\nvoid main(float4 p : POSITION, out float4 c : COLOR0) { c = p; }\n", "main", "vs_2_0", {},
       "test.fx(3): the vertex shader writes no POSITION"},
      {"float4 Scale;\n\nfloat4 main(float4 p : POSITION,\n  uniform float4 s) : POSITION { return p * s; }\n", "main",
       "vs_2_0", {"NoSuchParameter"}, "test.fx(3): 'NoSuchParameter'"},
      {"float4 Tint;\n#line 20 \"lights.fxh\"\nfloat4 Shade(float4 c) {\n  return c * undefinedThing;\n}\n"
       "#line 3 \"test.fx\"\nfloat4 main(float4 c : COLOR0) : COLOR { return Shade(c); }\n",
       "main", "ps_2_0", {}, "lights.fxh(21): "},
      {"#line 40 \"io.fxh\"\nstruct PS_IN {\n  float4 Colour : COLOR0;\n  float4 Where : POSITION;\n};\n"
       "#line 2 \"test.fx\"\nfloat4 main(PS_IN i) : COLOR { return i.Where; }\n",
       "main", "ps_2_0", {}, "io.fxh(42): input 'i.Where'"},
      {"texture2D Diffuse;\nsampler2D S;\nfloat4 main(float2 uv : TEXCOORD0) : COLOR\n{\n  return Diffuse.Sample(S, uv);\n}\n",
       "main", "ps_2_0", {}, "test.fx(5): 'Diffuse.Sample': methods of texture objects are not supported"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    std::vector<uint32_t> function;
    std::string errors;
    EXPECT_EQ(d3dx::CompileShaderHLSL(c.source, "test.fx", c.entry, c.profile, c.arguments, &function, &errors),
              gfx::kInvalidCall);
    EXPECT_NE(errors.find(c.expected), std::string::npos) << errors;
    EXPECT_TRUE(function.empty());
  }
}

// In an effect the HLSL text is the whole file with its includes: errors name the included file's
// own lines, and what concerns no line of the source names the compile statement.
TEST_F(ShaderTest, HlslErrorsInAnEffectNameTheFileAndLineOfTheirConstruct) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("qel_hlsl_effect_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  auto effect = [&](const char* shadeFactor, const std::string& pixelShader) {
    std::ofstream(folder / "lights.fxh") << "float4 Ambient;\n"
                                            "float4 Shade(float4 c : COLOR0) : COLOR\n"
                                            "{\n"
                                            "    return c * Ambient * " << shadeFactor << ";\n"
                                            "}\n";
    const std::string path = (folder / "main.fx").string();
    std::ofstream(path) << "#include \"lights.fxh\"\n"
                           "float4x4 WorldViewProj;\n"
                           "float4 VS(float4 p : POSITION, uniform float4x4 M) : POSITION { return mul(p, M); }\n"
                           "technique T\n"
                           "{\n"
                           "    pass P0\n"
                           "    {\n"
                           "        VertexShader = compile vs_2_0 VS(\n"
                           "                           WorldViewProj);\n"
                           "        PixelShader = " << pixelShader << ";\n"
                           "    }\n"
                           "}\n";
    d3dx::Effect* made = nullptr;
    std::string errors;
    d3dx::CreateEffectFromFile(dev, path, &made, &errors);
    if (made) made->Release();
    return std::make_pair(made != nullptr, errors);
  };
  const auto [builds, none] = effect("2", "compile ps_2_0 Shade()");
  EXPECT_TRUE(builds) << none;
  const auto [included, inInclude] = effect("undefinedThing", "compile ps_2_0 Shade()");
  EXPECT_FALSE(included);
  EXPECT_NE(inInclude.find((folder / "lights.fxh").string() + "(4): 'undefinedThing'"), std::string::npos) << inInclude;
  const auto [missing, noEntry] = effect("2", "compile ps_2_0 Missing()");
  EXPECT_FALSE(missing);
  EXPECT_NE(noEntry.find((folder / "main.fx").string() + "(10): entry point 'Missing' not found"), std::string::npos)
      << noEntry;
  std::filesystem::remove_all(folder);
}

TEST_F(ShaderTest, HlslSameSourceCompilesOnce) {
  const std::string source = "float4 Tint;\nfloat4 main(float4 c : COLOR0) : COLOR { return c * Tint; }\n";
  const uint32_t hits = d3dx::HlslCacheHits();
  std::vector<uint32_t> first = Hlsl(source, "main", "ps_2_0");
  std::vector<uint32_t> second = Hlsl(source, "main", "ps_2_0");
  EXPECT_EQ(d3dx::HlslCacheHits(), hits + 1);
  EXPECT_EQ(first, second);
  Hlsl(source, "main", "ps_3_0");  // another profile is another compile
  EXPECT_EQ(d3dx::HlslCacheHits(), hits + 1);
}

TEST_F(ShaderTest, HlslHostileSourcesFailCleanly) {
  std::string deep = "float4 main() : COLOR { return " + std::string(200, '(') + "1" + std::string(200, ')') + "; }";
  std::string bomb;
  for (int i = 0; i < 40; ++i) bomb += "#define M" + std::to_string(i + 1) + " M" + std::to_string(i) + " M" + std::to_string(i) + "\n";
  bomb += "float4 main() : COLOR { return M40; }\n";
  std::string doubling = "#define D(x) x + x\nfloat4 main() : COLOR { return D(D(D(D(D(D(D(D(D(D(D(D(D(D(D(D(D(D(D(D(D(1))))))))))))))))))))); }\n";
  const std::string tooLong(600 * 1024, ' ');
  std::string chain = "float4 main() : COLOR { return 1";
  for (int i = 0; i < 5000; ++i) chain += " + 1";
  chain += "; }";
  struct Case {
    std::string source;
    const char* expected;
  } cases[] = {
      {deep, "nested more than"},
      {bomb, "expands too far"},
      {doubling, "expands too far"},
      {tooLong, "source longer than"},
      {chain, "statement longer than"},
      {std::string("float4 main() : COLOR { return 1; }\0", 37), "NUL"},
      // Crashed the front end library (found by fuzzing): the compile in its own process fails instead.
      {"sampler2D Diffuse;\nfloat4 Scale;\nbool WorldViewProj3loat4 Scale;\nbool Flag;\n"
       "float4 main(float4 c : COLOR0, floatoat4 Scale;\nbool Flag;\nfR {\n  float4 r = tg;\n",
       "test.fx(0): the HLSL compiler failed on this source"},
  };
  for (const Case& c : cases) {
    std::vector<uint32_t> function;
    std::string errors;
    EXPECT_EQ(d3dx::CompileShaderHLSL(c.source, "test.fx", "main", "ps_2_0", {}, &function, &errors),
              gfx::kInvalidCall);
    EXPECT_NE(errors.find(c.expected), std::string::npos) << errors;
  }
}

TEST_F(ShaderTest, ForeignStreamsAreRefused) {
  const uint32_t noPayload[] = {0xFFFE0200, 0x0000FFFF};
  const uint32_t unknownInstruction[] = {0xFFFF0200, 0x02000001, 0x800F0000, 0x80E40000, 0x0000FFFF};
  gfx::VertexShader* vs = nullptr;
  gfx::PixelShader* ps = nullptr;
  EXPECT_EQ(dev->CreateVertexShader(noPayload, &vs), gfx::kInvalidCall);
  EXPECT_EQ(dev->CreatePixelShader(unknownInstruction, &ps), gfx::kInvalidCall);
  EXPECT_EQ(dev->CreateVertexShader(nullptr, &vs), gfx::kInvalidCall);
  // A pixel shader's function is no vertex shader.
  std::vector<uint32_t> pixel = Hlsl("float4 main() : COLOR { return 1; }", "main", "ps_2_0");
  EXPECT_EQ(dev->CreateVertexShader(pixel.data(), &vs), gfx::kInvalidCall);
  EXPECT_EQ(d3dx::GetShaderTokenCount(noPayload), 0u);
  std::vector<d3dx::ShaderConstant> table;
  EXPECT_EQ(d3dx::GetShaderConstants(unknownInstruction, &table), gfx::kInvalidCall);
}

TEST_F(ShaderTest, ConstantRegistersKeepTheirRangeAndValues) {
  const float four[4] = {1, 2, 3, 4};
  float back[4] = {};
  EXPECT_EQ(dev->SetVertexShaderConstantF(255, four, 1), gfx::kOk);
  EXPECT_EQ(dev->GetVertexShaderConstantF(255, back, 1), gfx::kOk);
  EXPECT_EQ(back[3], 4.0f);
  EXPECT_EQ(dev->SetVertexShaderConstantF(255, four, 2), gfx::kInvalidCall);
  EXPECT_EQ(dev->SetPixelShaderConstantF(224, four, 1), gfx::kInvalidCall);
  const int32_t ints[4] = {5, 6, 7, 8};
  int32_t intsBack[4] = {};
  EXPECT_EQ(dev->SetPixelShaderConstantI(15, ints, 1), gfx::kOk);
  EXPECT_EQ(dev->GetPixelShaderConstantI(15, intsBack, 1), gfx::kOk);
  EXPECT_EQ(intsBack[2], 7);
  EXPECT_EQ(dev->SetVertexShaderConstantB(16, ints, 1), gfx::kInvalidCall);
  gfx::Caps caps{};
  dev->GetDeviceCaps(&caps);
  EXPECT_EQ(caps.vertexShaderVersion, gfx::ShaderVersionVS(2, 0));
  EXPECT_EQ(caps.pixelShaderVersion, gfx::ShaderVersionPS(2, 0));
  EXPECT_EQ(caps.maxVertexShaderConst, 256u);
}

}  // namespace
}  // namespace shadertest
