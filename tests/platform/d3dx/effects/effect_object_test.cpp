// Effects made from files on the real device: passes that set states and blend, sampler_state blocks
// that filter and address, the device's states put back at End, parameter values and handles, and the
// technique search.
#include <cstring>
#include <string>

#include "tests/platform/d3dx/effects/effect_fixture.h"

namespace {

namespace dx = platform::d3dx;
namespace gfx = platform::gfx;
using fxtest::EffectObjectTest;
using fxtest::EffectShaderTest;

TEST_F(EffectObjectTest, TwoPassesBlendAndTheDeviceComesBackAsItWas) {
  ASSERT_NE(Make(R"(
// The first pass lays blue, the second adds green over it.
technique Cyan {
  pass Blue {
    Lighting = false; ZEnable = false;
    TextureFactor = 0xFF0000FF;
    ColorOp[0] = SelectArg1; ColorArg1[0] = TFactor;
  }
  pass Green {
    AlphaBlendEnable = true; SrcBlend = One; DestBlend = One;
    TextureFactor = 0xFF00FF00;
  }
}
)"), nullptr) << errors_;
  dev->Clear(0, nullptr, gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1, 0);
  dev->SetRenderState(gfx::RS_TEXTUREFACTOR, 0x12345678);
  uint32_t op = 0;
  dev->GetTextureStageState(0, gfx::TSS_COLOROP, &op);
  ASSERT_EQ(dev->BeginScene(), gfx::kOk);
  DrawEffect();
  dev->EndScene();
  EXPECT_TRUE(gfxtest::Near(Pixel(10, 10), 0xFF00FFFF)) << std::hex << Pixel(10, 10);
  EXPECT_EQ(RenderState(gfx::RS_ALPHABLENDENABLE), 0u);
  EXPECT_EQ(RenderState(gfx::RS_LIGHTING), 1u);
  EXPECT_EQ(RenderState(gfx::RS_ZENABLE), 1u);
  EXPECT_EQ(RenderState(gfx::RS_TEXTUREFACTOR), 0x12345678u);
  EXPECT_EQ(RenderState(gfx::RS_SRCBLEND), uint32_t(gfx::BLEND_ONE));
  EXPECT_EQ(RenderState(gfx::RS_DESTBLEND), uint32_t(gfx::BLEND_ZERO));
  uint32_t after = 0;
  dev->GetTextureStageState(0, gfx::TSS_COLOROP, &after);
  EXPECT_EQ(after, op);
}

TEST_F(EffectObjectTest, ASamplerStateFiltersAndAddressesItsTexture) {
  ASSERT_NE(Make(R"(
texture Stripes;
sampler2D Sharp = sampler_state {
  Texture = <Stripes>;
  MinFilter = Point; MagFilter = Point; MipFilter = None;
  AddressU = Clamp; AddressV = Clamp;
};
technique T {
  pass P {
    Lighting = false;
    Sampler[0] = (Sharp);
    ColorOp[0] = SelectArg1; ColorArg1[0] = Texture;
  }
}
)"), nullptr) << errors_;
  // Two texels, red and blue.
  gfx::Texture* texture = nullptr;
  ASSERT_EQ(dev->CreateTexture(2, 1, 1, 0, gfx::FMT_A8R8G8B8, gfx::POOL_MANAGED, &texture, nullptr), gfx::kOk);
  gfx::LockedRect lr;
  ASSERT_EQ(texture->LockRect(0, &lr, nullptr, 0), gfx::kOk);
  static_cast<uint32_t*>(lr.bits)[0] = 0xFFFF0000;
  static_cast<uint32_t*>(lr.bits)[1] = 0xFF0000FF;
  texture->UnlockRect(0);
  ASSERT_EQ(effect_->SetTexture(effect_->GetParameterByName(0, "Stripes"), texture), gfx::kOk);
  texture->Release();  // the effect holds its own reference

  dev->SetSamplerState(0, gfx::SAMP_MAGFILTER, gfx::TEXF_LINEAR);
  ASSERT_EQ(dev->BeginScene(), gfx::kOk);
  DrawEffect(-1, 2);  // u from -1 to 2: clamped red on the left third, clamped blue on the right
  dev->EndScene();
  const std::vector<uint32_t> pixels = ReadTarget();
  auto at = [&](int x) { return pixels[size_t(kHeight / 2) * kWidth + size_t(x)]; };
  EXPECT_TRUE(gfxtest::Near(at(2), 0xFFFF0000)) << std::hex << at(2);
  EXPECT_TRUE(gfxtest::Near(at(kWidth / 2 - 2), 0xFFFF0000)) << std::hex << at(kWidth / 2 - 2);  // point: no blend
  EXPECT_TRUE(gfxtest::Near(at(kWidth / 2 + 2), 0xFF0000FF)) << std::hex << at(kWidth / 2 + 2);
  EXPECT_TRUE(gfxtest::Near(at(kWidth - 2), 0xFF0000FF)) << std::hex << at(kWidth - 2);
  uint32_t address = 0, filter = 0;
  dev->GetSamplerState(0, gfx::SAMP_ADDRESSU, &address);
  dev->GetSamplerState(0, gfx::SAMP_MAGFILTER, &filter);
  EXPECT_EQ(address, uint32_t(gfx::TADDRESS_WRAP));
  EXPECT_EQ(filter, uint32_t(gfx::TEXF_LINEAR));
  gfx::BaseTexture* bound = reinterpret_cast<gfx::BaseTexture*>(1);
  dev->GetTexture(0, &bound);
  EXPECT_EQ(bound, nullptr);
}

TEST_F(EffectObjectTest, ParametersByNameSemanticAndIndexWithTheirValues) {
  ASSERT_NE(Make(R"(
float4x4 Wvp : WorldViewProjection;
row_major float4x3 Palette[2] : BoneMatrixPalette;
float3 LightDir < string Object = "DirectionalLight"; int Order = 3; > = {0, -1, 0};
int Count = 7;
string XFile = "model.x";
technique A { pass { } }
)"), nullptr) << errors_;
  dx::EffectDesc desc;
  ASSERT_EQ(effect_->GetDesc(&desc), gfx::kOk);
  EXPECT_EQ(desc.parameters, 5u);
  EXPECT_EQ(desc.techniques, 1u);
  const dx::EffectHandle wvp = effect_->GetParameterBySemantic(0, "worldviewprojection");
  EXPECT_EQ(wvp, effect_->GetParameter(0, 0));
  dx::ParameterDesc p;
  ASSERT_EQ(effect_->GetParameterDesc(wvp, &p), gfx::kOk);
  EXPECT_STREQ(p.name, "Wvp");
  EXPECT_EQ(p.parameterClass, dx::PC_MATRIX_COLUMNS);

  gfx::Matrix m;
  for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = float(i);
  ASSERT_EQ(effect_->SetMatrix(wvp, &m), gfx::kOk);
  float values[32] = {};
  ASSERT_EQ(effect_->GetValue(wvp, values, sizeof values), gfx::kOk);
  EXPECT_EQ(std::memcmp(values, m.m, sizeof m.m), 0);
  // The palette takes the transposes, 4 x 3 of each.
  gfx::Matrix two[2] = {m, m};
  ASSERT_EQ(effect_->SetMatrixTransposeArray(effect_->GetParameterByName(0, "Palette"), two, 2), gfx::kOk);
  ASSERT_EQ(effect_->GetValue(effect_->GetParameterByName(0, "Palette"), values, sizeof values), gfx::kOk);
  EXPECT_EQ(values[1], m.m[1][0]);
  EXPECT_EQ(values[12 + 3], m.m[0][1]);

  const dx::EffectHandle light = effect_->GetParameterByName(0, "LightDir");
  ASSERT_EQ(effect_->GetValue(light, values, 12), gfx::kOk);
  EXPECT_EQ(values[1], -1.0f);
  const char* text = nullptr;
  ASSERT_EQ(effect_->GetString(effect_->GetAnnotationByName(light, "object"), &text), gfx::kOk);
  EXPECT_STREQ(text, "DirectionalLight");
  int32_t order = 0;
  ASSERT_EQ(effect_->GetInt(effect_->GetAnnotation(light, 1), &order), gfx::kOk);
  EXPECT_EQ(order, 3);
  ASSERT_EQ(effect_->GetString(effect_->GetParameterByName(0, "XFile"), &text), gfx::kOk);
  EXPECT_STREQ(text, "model.x");
  // Handles of other kinds or of nothing are refused, never followed.
  EXPECT_EQ(effect_->GetParameterDesc(effect_->GetTechnique(0), &p), gfx::kInvalidCall);
  EXPECT_EQ(effect_->SetFloat(0x1FFFFFFF, 1.0f), gfx::kInvalidCall);
  EXPECT_EQ(effect_->SetMatrix(effect_->GetParameterByName(0, "XFile"), &m), gfx::kInvalidCall);
}

}  // namespace

namespace {

constexpr const char* kTinted = R"(
float4x4 WorldViewProj : WorldViewProjection;
row_major float4x4 Shift;
float4 Tint = {1, 0.5, 0, 1};
struct VsOut { float4 pos : POSITION; float2 uv : TEXCOORD0; };
VsOut Transform(float4 p : POSITION, float2 uv : TEXCOORD0, uniform bool shifted) {
  VsOut o;
  o.pos = mul(p, shifted ? Shift : WorldViewProj);
  o.uv = uv;
  return o;
}
float4 Paint(float2 uv : TEXCOORD0) : COLOR { return Tint; }
technique Columns { pass { ZEnable = false; VertexShader = compile vs_2_0 Transform(false); PixelShader = compile ps_2_0 Paint(); } }
technique Rows { pass { ZEnable = false; VertexShader = compile vs_2_0 Transform(true); PixelShader = compile ps_2_0 Paint(); } }
technique TooNew { pass { VertexShader = compile vs_3_0 Transform(false); PixelShader = compile ps_3_0 Paint(); } }
)";

TEST_F(EffectShaderTest, MatricesReachTheShaderAsTheEngineWritesThem) {
  ASSERT_NE(Make(kTinted), nullptr) << errors_;
  // Half size, moved right by a half: the quad covers x from 0 to 1 of clip space, the right half.
  gfx::Matrix m = {{{0.5f, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0.5f, 0, 0, 1}}};
  for (const char* technique : {"Columns", "Rows"}) {
    ASSERT_EQ(effect_->SetTechnique(effect_->GetTechniqueByName(technique)), gfx::kOk);
    ASSERT_EQ(effect_->SetMatrix(effect_->GetParameterBySemantic(0, "WORLDVIEWPROJECTION"), &m), gfx::kOk);
    ASSERT_EQ(effect_->SetMatrix(effect_->GetParameterByName(0, "Shift"), &m), gfx::kOk);
    dev->Clear(0, nullptr, gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1, 0);
    ASSERT_EQ(dev->BeginScene(), gfx::kOk);
    DrawClipQuad();
    dev->EndScene();
    const std::vector<uint32_t> pixels = ReadTarget();
    auto at = [&](uint32_t x) { return pixels[size_t(kHeight / 2) * kWidth + x]; };
    EXPECT_EQ(at(kWidth / 2 - 2), 0xFF000000u) << technique << std::hex << " " << at(kWidth / 2 - 2);
    EXPECT_TRUE(gfxtest::Near(at(kWidth / 2 + 2), 0xFFFF8000)) << technique << std::hex << " " << at(kWidth / 2 + 2);
    EXPECT_TRUE(gfxtest::Near(at(kWidth - 2), 0xFFFF8000)) << technique;
  }
  // After End the device draws with the fixed pipeline again.
  gfx::VertexShader* shader = reinterpret_cast<gfx::VertexShader*>(1);
  dev->GetVertexShader(&shader);
  EXPECT_EQ(shader, nullptr);
}

TEST_F(EffectShaderTest, ATechniqueBeyondTheDeviceIsPassedOverAndABrokenShaderFailsTheEffect) {
  ASSERT_NE(Make(kTinted), nullptr) << errors_;
  dx::EffectHandle t = 0;
  ASSERT_EQ(effect_->FindNextValidTechnique(0, &t), gfx::kOk);
  EXPECT_EQ(t, effect_->GetTechniqueByName("Columns"));
  ASSERT_EQ(effect_->FindNextValidTechnique(t, &t), gfx::kOk);
  EXPECT_EQ(t, effect_->GetTechniqueByName("Rows"));
  EXPECT_EQ(effect_->FindNextValidTechnique(t, &t), gfx::kNotFound);  // vs_3_0 does not run here
  EXPECT_EQ(t, 0u);
  ASSERT_EQ(effect_->SetTechnique(effect_->GetTechniqueByName("TooNew")), gfx::kOk);
  uint32_t passes = 7;
  EXPECT_EQ(effect_->Begin(&passes, 0), gfx::kInvalidCall);

  EXPECT_EQ(Make("float4 Broken() : COLOR { return undefinedThing; }\n"
                 "technique T { pass { PixelShader = compile ps_2_0 Broken(); } }\n"),
            nullptr);
  EXPECT_NE(errors_.find("test.fx(1)"), std::string::npos) << errors_;
  EXPECT_EQ(Make("technique T { pass { VertexShader = asm {\n vs.1.1\n bogus r0, v0\n }; } }\n"), nullptr);
  EXPECT_NE(errors_.find("test.fx(3)"), std::string::npos) << errors_;
}

}  // namespace
