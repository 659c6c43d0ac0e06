// HLSL compiling: constant tables laid out as the older API laid them out, errors with lines, the
// compile cache and limits that keep hostile sources from running away.
#include <gtest/gtest.h>

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

TEST_F(ShaderTest, HlslErrorsGiveFileAndLine) {
  struct Case {
    const char* source;
    const char* entry;
    const char* profile;
    const char* expected;
  } cases[] = {
      {"float4 main() : POSITION {\n  return undefinedThing;\n}\n", "main", "vs_2_0", "test.fx(2): "},
      {"float4 main() : POSITION { return 0; }\n", "missing", "vs_2_0", "test.fx("},
      {"float4 main() : POSITION { return 0; }\n", "main", "vs_9_9", "unknown profile 'vs_9_9'"},
      {"float4 main(float4 p : POSITION) : POSITION { return p; }\n", "main", "ps_2_0", "test.fx(0): "},
      {"struct S { float a; };\nS s;\nfloat4 main() : COLOR { return s.a; }\n", "main", "ps_2_0", "only float"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    std::vector<uint32_t> function;
    std::string errors;
    EXPECT_EQ(d3dx::CompileShaderHLSL(c.source, "test.fx", c.entry, c.profile, {}, &function, &errors),
              gfx::kInvalidCall);
    EXPECT_NE(errors.find(c.expected), std::string::npos) << errors;
    EXPECT_TRUE(function.empty());
  }
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
