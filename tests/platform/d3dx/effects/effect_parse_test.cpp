// The effect language: the preprocessor (includes, macros, conditions, lines kept, bounded against
// hostile files) and the parser (parameters, annotations, samplers, techniques, passes, shaders, and
// the text handed to the HLSL compiler).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "platform/d3dx/effects/effect.h"
#include "platform/d3dx/effects/effect_parse.h"
#include "platform/d3dx/effects/effect_preprocess.h"
#include "platform/gfx/types.h"

namespace {

namespace dx = platform::d3dx;
namespace gfx = platform::gfx;

// Files in memory.
dx::EffectFileReader Files(std::map<std::string, std::string> files) {
  return [files](const std::string& path, std::string& text) {
    auto found = files.find(path);
    if (found == files.end()) return false;
    text = found->second;
    return true;
  };
}

std::string Preprocess(const std::map<std::string, std::string>& files, std::string* errors = nullptr) {
  std::string out, messages;
  const bool ok = dx::PreprocessEffect("fx/main.fx", Files(files), &out, &messages);
  if (errors) *errors = messages;
  EXPECT_EQ(ok, messages.empty()) << messages;
  return out;
}

dx::EffectFileDecl Parse(const std::string& text, std::string* errors = nullptr) {
  dx::EffectFileDecl effect;
  std::string messages;
  const bool ok = dx::ParseEffect(text, "a.fx", &effect, &messages);
  if (errors) *errors = messages;
  EXPECT_EQ(ok, messages.empty()) << messages;
  return effect;
}

TEST(EffectPreprocess, MacrosConditionsAndIncludesKeepEveryLineInPlace) {
  const std::string out = Preprocess({
      {"fx/main.fx",
       "#define SCALE 2.0\n"
       "#define MUL(a, b) ((a) * (b))\n"
       "/* a comment\n over two lines */ float x = MUL(SCALE, 3); // gone\n"
       "#if defined(SCALE) && SCALE_MISSING == 0\n"
       "float kept;\n"
       "#else\n"
       "float dropped;\n"
       "#endif\n"
       "#include \"common.fxh\"\n"
       "float after;\n"},
      {"fx/common.fxh", "#ifndef COMMON\n#define COMMON\nfloat common;\n#endif\n"},
  });
  EXPECT_EQ(out.find("dropped"), std::string::npos);
  EXPECT_EQ(out.find("gone"), std::string::npos);
  EXPECT_NE(out.find("float x = ((2.0) * (3));"), std::string::npos) << out;
  // Line 4 of the file is still line 4; the included text sits between line markers.
  size_t line = 1;
  for (size_t i = 0; i < out.find("float x"); ++i) line += out[i] == '\n';
  EXPECT_EQ(line, 4u);
  EXPECT_NE(out.find("#line 1 \"fx/common.fxh\"\n"), std::string::npos) << out;
  EXPECT_NE(out.find("#line 11 \"fx/main.fx\"\nfloat after;"), std::string::npos) << out;
}

TEST(EffectPreprocess, HostileFilesEndInAnErrorWithTheirPlace) {
  const struct {
    const char* name;
    std::map<std::string, std::string> files;
    const char* error;
  } cases[] = {
      {"include cycle", {{"fx/main.fx", "#include \"a.fxh\"\n"}, {"fx/a.fxh", "\n#include \"main.fx\"\n"}},
       "): #include nested too deeply"},
      {"missing include", {{"fx/main.fx", "\n\n#include \"none.fxh\"\n"}}, "fx/main.fx(3): cannot open include"},
      // An include stays in the folder of its file: the file it would reach outside is never read.
      {"include climbing out", {{"fx/main.fx", "#include \"../secret.fxh\"\n"}, {"fx/../secret.fxh", "float secret;\n"}},
       "fx/main.fx(1): cannot open include file \"../secret.fxh\": it climbs"},
      {"include from the root", {{"fx/main.fx", "\n#include </secret.fxh>\n"}, {"/secret.fxh", "float secret;\n"}},
       "fx/main.fx(2): cannot open include file \"/secret.fxh\": it starts at the root"},
      {"unbalanced", {{"fx/main.fx", "#if 1\n"}}, "#if without #endif"},
      {"stray endif", {{"fx/main.fx", "#endif\n"}}, "fx/main.fx(1): #endif without #if"},
      {"division by zero", {{"fx/main.fx", "#if 1 / 0\n#endif\n"}}, "fx/main.fx(1): bad #if expression"},
      {"deep parentheses", {{"fx/main.fx", "#if " + std::string(5000, '(') + "1\n#endif\n"}}, "bad #if expression"},
      {"error directive", {{"fx/main.fx", "#error no way\n"}}, "fx/main.fx(1): #error no way"},
  };
  for (const auto& c : cases) {
    std::string out = "untouched", errors;
    EXPECT_FALSE(dx::PreprocessEffect("fx/main.fx", Files(c.files), &out, &errors)) << c.name;
    EXPECT_NE(errors.find(c.error), std::string::npos) << c.name << ": " << errors;
    EXPECT_TRUE(out.empty()) << c.name;
  }
  // A macro that doubles at every level is stopped by the output limit, quickly.
  std::string bomb;
  for (int i = 0; i < 40; ++i) bomb += "#define M" + std::to_string(i + 1) + " M" + std::to_string(i) + " M" + std::to_string(i) + "\n";
  bomb += "M40\n";
  std::string out, errors;
  EXPECT_FALSE(dx::PreprocessEffect("fx/main.fx", Files({{"fx/main.fx", bomb}}), &out, &errors));
  EXPECT_NE(errors.find("fx/main.fx(41): "), std::string::npos) << errors;
}

constexpr const char* kLitEffect = R"(float4x4 WorldViewProj : WORLDVIEWPROJECTION;
row_major float4x3 Bones[26] : BoneMatrixPalette;
float3 LightDir < string Object = "DirectionalLight"; string UIName = "Light"; > = {0.0, -1.0, 0.5};
float Shine <int min = 1;> = 16;
bool Fancy = true;
texture Diffuse < string name = "stone.png"; >;
string XFile = "box.x";
sampler2D DiffuseSampler = sampler_state {
  Texture = <Diffuse>;
  MinFilter = Linear; MagFilter = POINT;
  AddressU = Clamp; AddressV = Mirror;
};
struct VsOut { float4 pos : POSITION; };
VsOut Main(float4 p : POSITION, uniform bool skinned) { VsOut o; o.pos = mul(p, WorldViewProj); return o; }
VertexShader Shared = compile vs_2_0 Main(false);
technique Best < string group = "high"; > {
  pass P0 {
    VertexShader = compile vs_2_0 Main(true);
    PixelShader = NULL;
    ZWriteEnable = false; SrcBlend = SrcAlpha; DestBlend = InvSrcAlpha;
    ColorWriteEnable = Red | Blue;
    FogStart = 2.5;
    Sampler[1] = (DiffuseSampler);
    LightDiffuse[0] = {1, 0.5, 0.25, 1};
    AlphaRef = (Shine);
  }
  pass P1 { VertexShader = (Shared); PixelShader = asm { ps.1.1
    tex t0 ; comments may hold braces: {}
    mov r0, t0 }; }
}
)";

TEST(EffectParse, ParametersAnnotationsSamplersAndPasses) {
  const dx::EffectFileDecl e = Parse(kLitEffect);
  ASSERT_EQ(e.parameters.size(), 9u);
  const dx::EffectParameterDecl& wvp = e.parameters[0];
  EXPECT_EQ(wvp.name, "WorldViewProj");
  EXPECT_EQ(wvp.semantic, "WORLDVIEWPROJECTION");
  EXPECT_EQ(wvp.parameterClass, dx::PC_MATRIX_COLUMNS);
  EXPECT_EQ(wvp.numbers.size(), 16u);
  const dx::EffectParameterDecl& bones = e.parameters[1];
  EXPECT_EQ(bones.parameterClass, dx::PC_MATRIX_ROWS);
  EXPECT_EQ(bones.rows, 4u);
  EXPECT_EQ(bones.columns, 3u);
  EXPECT_EQ(bones.elements, 26u);
  const dx::EffectParameterDecl& light = e.parameters[2];
  EXPECT_EQ(light.numbers, (std::vector<float>{0.0f, -1.0f, 0.5f}));
  ASSERT_EQ(light.annotations.size(), 2u);
  EXPECT_EQ(light.annotations[0].name, "Object");
  EXPECT_EQ(light.annotations[0].text, "DirectionalLight");
  EXPECT_EQ(e.parameters[3].numbers, std::vector<float>{16.0f});
  EXPECT_EQ(e.parameters[3].annotations[0].numbers, std::vector<float>{1.0f});
  EXPECT_EQ(e.parameters[4].type, dx::PT_BOOL);
  EXPECT_EQ(e.parameters[4].numbers, std::vector<float>{1.0f});
  EXPECT_EQ(e.parameters[5].type, dx::PT_TEXTURE);
  EXPECT_EQ(e.parameters[5].annotations[0].text, "stone.png");
  EXPECT_EQ(e.parameters[6].text, "box.x");
  const dx::EffectParameterDecl& sampler = e.parameters[7];
  EXPECT_EQ(sampler.type, dx::PT_SAMPLER2D);
  ASSERT_EQ(sampler.samplerStates.size(), 5u);
  EXPECT_EQ(sampler.samplerStates[0].parameter, 5u);  // Texture = <Diffuse>
  EXPECT_EQ(sampler.samplerStates[1].word, gfx::TEXF_LINEAR);
  EXPECT_EQ(sampler.samplerStates[2].word, gfx::TEXF_POINT);  // value names in any letter case
  EXPECT_EQ(sampler.samplerStates[3].word, gfx::TADDRESS_CLAMP);
  EXPECT_EQ(sampler.samplerStates[4].word, gfx::TADDRESS_MIRROR);
  EXPECT_EQ(e.parameters[8].name, "Shared");
  EXPECT_EQ(e.functions, 1u);

  ASSERT_EQ(e.techniques.size(), 1u);
  const dx::EffectTechniqueDecl& t = e.techniques[0];
  EXPECT_EQ(t.name, "Best");
  EXPECT_EQ(t.annotations[0].text, "high");
  ASSERT_EQ(t.passes.size(), 2u);
  const auto& states = t.passes[0].states;
  ASSERT_EQ(states.size(), 10u);
  EXPECT_EQ(states[0].kind, dx::EffectStateDecl::kShader);
  EXPECT_EQ(e.shaders[states[0].shader].entry, "Main");
  EXPECT_EQ(e.shaders[states[0].shader].arguments, "true");
  EXPECT_EQ(e.shaders[states[0].shader].line, 18u);
  EXPECT_EQ(e.shaders[states[1].shader].kind, dx::EffectShaderDecl::kNull);
  EXPECT_EQ(states[2].word, 0u);
  EXPECT_EQ(states[3].word, gfx::BLEND_SRCALPHA);
  EXPECT_EQ(states[5].word, uint32_t(gfx::COLORWRITE_RED | gfx::COLORWRITE_BLUE));
  EXPECT_EQ(states[6].word, gfx::FloatBits(2.5f));
  EXPECT_EQ(states[7].index, 1u);
  EXPECT_EQ(states[7].parameter, 7u);
  EXPECT_EQ(states[8].numbers, (std::vector<float>{1, 0.5f, 0.25f, 1}));
  EXPECT_EQ(states[9].kind, dx::EffectStateDecl::kParameter);
  const auto& second = t.passes[1].states;
  EXPECT_EQ(second[0].kind, dx::EffectStateDecl::kParameter);  // a shader variable
  const dx::EffectShaderDecl& assembly = e.shaders[second[1].shader];
  EXPECT_EQ(assembly.kind, dx::EffectShaderDecl::kAssembly);
  EXPECT_NE(assembly.assembly.find("mov r0, t0 "), std::string::npos) << assembly.assembly;
  // Preceded by blank lines up to its own line, so the assembler's line numbers are the file's.
  const std::string before = assembly.assembly.substr(0, assembly.assembly.find("ps.1.1"));
  EXPECT_EQ(std::count(before.begin(), before.end(), '\n'), 26);
}

TEST(EffectParse, TheHlslTextKeepsFunctionsAndLinesAndLosesWhatOnlyEffectsRead) {
  const dx::EffectFileDecl e = Parse(kLitEffect);
  const std::string& hlsl = e.hlsl;
  EXPECT_EQ(std::count(hlsl.begin(), hlsl.end(), '\n'), std::count(kLitEffect, kLitEffect + strlen(kLitEffect), '\n'));
  for (const char* gone : {"technique", "sampler_state", "texture", "string", "WORLDVIEWPROJECTION", "Object", "compile",
                           "{0.0, -1.0, 0.5}", "asm"}) {
    EXPECT_EQ(hlsl.find(gone), std::string::npos) << gone << " in\n" << hlsl;
  }
  for (const char* kept : {"float4x4 WorldViewProj", "row_major float4x3 Bones[26]", "sampler2D DiffuseSampler",
                           "VsOut Main(float4 p : POSITION, uniform bool skinned) {", "struct VsOut { float4 pos : POSITION; };"}) {
    EXPECT_NE(hlsl.find(kept), std::string::npos) << kept << " not in\n" << hlsl;
  }
}

TEST(EffectParse, MistakesGiveTheirLineAndNoEffect) {
  const struct {
    std::string text;
    const char* error;
  } cases[] = {
      {"float4 a;\ntechnique T { pass { Blending = 1; } }", "a.fx(2): unknown state 'Blending'"},
      {"technique T { pass {\n SrcBlend = Sideways; } }", "a.fx(2): value of 'SrcBlend' expected"},
      {"float a[0];", "a.fx(1): array size"},
      {"float a[99999999];", "a.fx(1): array size"},
      {"technique T { pass { VertexShader = compile ps_2_0 main(); } }", "does not fit"},
      {"technique T { pass { Texture[0] = <Nothing>; } }", "texture parameter expected"},
      {"technique T { pass { MinFilter[99] = Linear; } }", "state index out of range"},
      {"sampler s = sampler_state { ZEnable = true; };", "not a sampler state"},
      {"technique T { pass { PixelShader = asm { ps.1.1 ", "'}' missing after asm"},
      {"float4 f() {" + std::string(100, '{'), "'}' missing"},
      {"float a = (((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((1;", "nested too deeply"},
      {"#line 7 \"inc.fxh\"\nfloat4 oops", "inc.fxh(7): ';' expected"},
      // Objects of the later effect language are named with their line.
      {"Texture2D Diffuse;\nsampler2D S;\nfloat4 P(float2 uv : TEXCOORD0) : COLOR\n{\n  return Diffuse.Sample(S, uv);\n}",
       "a.fx(5): 'Diffuse.Sample': methods of texture objects are not supported"},
      {"float4 a;\nTexture2D<float4> Diffuse;", "a.fx(2): 'Texture2D<...>': texture types with an element type"},
      {"SamplerState Linear\n{\n  Filter = MIN_MAG_MIP_LINEAR;\n};", "a.fx(1): 'SamplerState Linear { ... }': state objects"},
  };
  for (const auto& c : cases) {
    std::string errors;
    dx::EffectFileDecl e;
    EXPECT_FALSE(dx::ParseEffect(c.text, "a.fx", &e, &errors)) << c.text;
    EXPECT_NE(errors.find(c.error), std::string::npos) << c.text << ": " << errors;
    EXPECT_TRUE(e.parameters.empty() && e.techniques.empty());
  }
}

}  // namespace
