// Drawing with HLSL shaders on the real GL device, compared with colours computed here.
#include <gtest/gtest.h>

#include "tests/platform/d3dx/shaders/shader_fixture.h"

namespace shadertest {
namespace {

struct PosColor {
  float x, y, z;
  uint32_t color;
};

// A quad over the clip-space rectangle [x0, x1] x [y0, y1] (y up) at depth 0.5.
void Quad(gfx::Device* dev, float x0, float y0, float x1, float y1, uint32_t color) {
  PosColor v[4] = {{x0, y1, 0.5f, color}, {x1, y1, 0.5f, color}, {x0, y0, 0.5f, color}, {x1, y0, 0.5f, color}};
  dev->SetFVF(gfx::FVF_XYZ | gfx::FVF_DIFFUSE);
  EXPECT_EQ(dev->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, v, sizeof v[0]), gfx::kOk);
}

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
  Quad(dev, -1.0f, -1.0f, 0.0f, 1.0f, 0xFFC08040);
  std::vector<uint32_t> pixels = ReadTarget();
  // 0xC0 * 1 * 0.5, 0x80 * 0.5 * 1, 0x40.
  EXPECT_TRUE(gfxtest::Near(pixels[10 * kWidth + 48], 0xFF604040, 3)) << std::hex << pixels[10 * kWidth + 48];
  EXPECT_EQ(pixels[10 * kWidth + 10], 0xFF000000u);
}

}  // namespace
}  // namespace shadertest
