// Shader assembly: every version's kinds of instruction translate to GLSL the GL takes, errors name
// the instruction and line, and a vs.1.1 / ps.1.1 pair draws what the API would.
#include <gtest/gtest.h>

#include "platform/d3dx/effects/effect.h"
#include "tests/platform/d3dx/shaders/shader_fixture.h"

namespace shadertest {
namespace {

const char* kValid[] = {
    // Patched effect source: declarations on the version line, no line breaks between them.
    "vs.1.1 dcl_position v0 dcl_normal v3 dcl_color v6 dcl_texcoord v7\n"
    "def c10, 1.0, 0.5, 0, 1\n"
    "m4x4 oPos, v0, c0   ; transform\n"
    "dp3 r0.x, v3, c4\n"
    "max r0.x, r0.x, c10.z\n"
    "lit r1, r0\n"
    "mul oD0, v6, r1.y\n"
    "mov oT0.xy, v7\n"
    "mov a0.x, c11.x\n"
    "add oT1, c[a0.x + 12], -r0_bias\n"
    "rcp r2.w, r0.x\n"
    "expp r3, r0.x\n"
    "logp r3, r0.x\n"
    "m3x3 r4.xyz, v3, c20\n"
    "m4x3 r4.xyz, v0, c20\n"
    "m3x2 r4.xy, v3, c20\n"
    "dst r5, r0, r1\n"
    "frc r5, r0\n"
    "sge r5, r0, r1\n"
    "slt r5, r0, r1\n"
    "mov oFog, r3.z\n"
    "mov oPts, c1.x\n",
    "vs_2_0\n"
    "dcl_position v0\n"
    "dcl_texcoord1 v1\n"
    "defi i0, 3, 0, 1, 0\n"
    "mova a0.x, v1.x\n"
    "mov r0, c[a0.x]\n"
    "sincos r1.xy, r0.x, c10, c11\n"
    "nrm r2, r0\n"
    "crs r3.xyz, r0, r1\n"
    "lrp r4, r0, r1, r2\n"
    "pow r5, r0.x, r1.y\n"
    "sgn r6, r0, r1, r2\n"
    "rep i0\n"
    "  add r0, r0, c1\n"
    "endrep\n"
    "m4x4 oPos, v0, c0\n"
    "mov oT0, r0\n",
    "vs_3_0\n"
    "dcl_position v0\n"
    "dcl_texcoord1 v1\n"
    "dcl_position o0\n"
    "dcl_texcoord0 o1.xy\n"
    "dcl_color o2\n"
    "dcl_2d s0\n"
    "defi i0, 3, 0, 1, 0\n"
    "defb b0, true\n"
    "mov r0, c0\n"
    "loop aL, i0\n"
    "  add r0, r0, c[aL + 4]\n"
    "  break_gt r0.x, c1.x\n"
    "endloop\n"
    "if b0\n"
    "  mul r0, r0, c1\n"
    "else\n"
    "  mov r0, c2\n"
    "endif\n"
    "if_lt r0.x, c2.y\n"
    "  mov r0.w, c2.x\n"
    "endif\n"
    "setp_gt p0, r0, c2\n"
    "(p0) mov r0.xy, c3\n"
    "texldl r1, v1, s0\n"
    "callnz l1, b0\n"
    "mov o0, v0\n"
    "mov o1.xy, r0\n"
    "mov o2, r1\n"
    "ret\n"
    "label l1\n"
    "add r0, r0, v1\n"
    "ret\n",
    "ps.1.1\n"
    "tex t0\n"
    "texcoord t1\n"
    "mul r0, t0, v0\n"
    "+mov r0.a, t1.b\n"
    "mad_sat r0.rgb, r0, c0_bx2, 1-r0\n"
    "cnd r1, r0.a, r0, v1\n"
    "lrp r0, c1, r0, r1\n"
    "dp3_x2 r1, r0_bx2, v1_bias\n",
    "ps.1.3\n"
    "tex t0\n"
    "texm3x3pad t1, t0_bx2\n"
    "texm3x3pad t2, t0_bx2\n"
    "texm3x3vspec t3, t0_bx2\n"
    "texreg2ar t4, t0\n"
    "texkill t5\n"
    "mul r0, t3, t4\n",
    "ps_1_4\n"
    "texld r0, t0\n"
    "texcrd r1.rgb, t1\n"
    "phase\n"
    "texld r2, r1\n"
    "mul r0, r0, r2\n",
    "ps_2_0\n"
    "dcl t0.xy\n"
    "dcl v0\n"
    "dcl_2d s0\n"
    "dcl_cube s1\n"
    "def c1, 0, 0.5, 1, 2\n"
    "texld r0, t0, s0\n"
    "texldp r3, t0, s0\n"
    "texldb r4, t0, s0\n"
    "texld r1, r0, s1\n"
    "cmp r2, -r0, c1.x, c1.z\n"
    "dp2add r3, r0, r1, c1.y\n"
    "mad r0, r0, v0, r2\n"
    "texkill r0\n"
    "mov_pp oC0, r0\n",
    "ps_3_0\n"
    "dcl_texcoord0 v0.xy\n"
    "dcl_color v1\n"
    "dcl vFace\n"
    "dcl_2d s2\n"
    "texld r0, v0, s2\n"
    "dsx r1, v0\n"
    "mul r0, r0, v1\n"
    "mul r0.w, r0.w, vFace\n"
    "mov oC0, r0\n"
    "mov oDepth, r0.z\n",
};

TEST_F(ShaderTest, AssemblyOfEveryVersionRunsOnTheGl) {
  for (const char* source : kValid) {
    SCOPED_TRACE(source);
    std::vector<uint32_t> function = Asm(source);
    ASSERT_FALSE(function.empty());
    EXPECT_EQ(d3dx::GetShaderTokenCount(function.data()), function.size());
    if ((function[0] & 0xFFFF0000u) == 0xFFFE0000u) {
      gfx::VertexShader* s = nullptr;
      EXPECT_EQ(dev->CreateVertexShader(function.data(), &s), gfx::kOk);
      if (s) s->Release();
    } else {
      gfx::PixelShader* s = nullptr;
      EXPECT_EQ(dev->CreatePixelShader(function.data(), &s), gfx::kOk);
      if (s) s->Release();
    }
  }
}

TEST_F(ShaderTest, AssemblyInputsComeFromDeclarationsOrTheOlderRegisterNumbers) {
  struct Case {
    const char* source;
    std::vector<std::pair<uint32_t, uint32_t>> semantics;  // usage, index per input
  } cases[] = {
      {"vs.1.1 dcl_position v0 dcl_normal v3 dcl_color v6 dcl_texcoord v7\nmov oPos, v0\n"
       "add oD0, v6, v3\nmov oT0, v7\n",
       {{gfx::DECLUSAGE_POSITION, 0}, {gfx::DECLUSAGE_NORMAL, 0}, {gfx::DECLUSAGE_COLOR, 0}, {gfx::DECLUSAGE_TEXCOORD, 0}}},
      {"vs.1.1\nmov oPos, v0\nmov oD0, v5\nmov oT0, v7\nmov oT1, v8\n",
       {{gfx::DECLUSAGE_POSITION, 0}, {gfx::DECLUSAGE_COLOR, 0}, {gfx::DECLUSAGE_TEXCOORD, 0}, {gfx::DECLUSAGE_TEXCOORD, 1}}},
      {"vs_2_0\ndcl_texcoord1 v2\ndcl_position v5\nmov oPos, v5\nmov oT0, v2\n",
       {{gfx::DECLUSAGE_TEXCOORD, 1}, {gfx::DECLUSAGE_POSITION, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    std::vector<uint32_t> function = Asm(c.source);
    d3dx::ShaderSemantic semantics[d3dx::kMaxShaderSemantics];
    uint32_t count = 0;
    ASSERT_EQ(d3dx::GetShaderInputSemantics(function.data(), uint32_t(function.size()), semantics, &count), gfx::kOk);
    ASSERT_EQ(count, c.semantics.size());
    for (uint32_t i = 0; i < count; ++i) {
      EXPECT_EQ(semantics[i].usage, c.semantics[i].first);
      EXPECT_EQ(semantics[i].usageIndex, c.semantics[i].second);
    }
  }
}

TEST_F(ShaderTest, AssemblyErrorsNameTheInstructionAndLine) {
  struct Case {
    const char* source;
    const char* expected;
  } cases[] = {
      {"vs.1.1\nmov oPos, v0\nfrob r0, r1\n", "test.vsh(3): unknown instruction 'frob'"},
      {"ps.1.1\ntex t0\nmul r0, t0\n", "test.vsh(3): wrong number of operands for 'mul'"},
      {"ps_2_0\ntexbem t1, t0\n", "test.vsh(2): unknown instruction 'texbem'"},
      {"vs_2_0\nmov oPos, v0\n", "test.vsh(2): vertex shader inputs need dcl_ declarations"},
      {"vs_2_0\ndcl_normal v1\nmov oPos, v0\n", "test.vsh(3): input v0 is read but not declared"},
      {"vs_1_1\nmov oPos, q0\n", "test.vsh(2): bad operand 'q0': unknown register"},
      {"vs_3_0\ndcl_position v0\nif b0\nmov r0, v0\n", "test.vsh(4): flow control not closed"},
      {"vs_2_0\nendif\n", "test.vsh(2): 'endif' without its opening instruction"},
      {"xs_2_0\nmov r0, r1\n", "test.vsh(1): unknown shader version 'xs_2_0'"},
      {"", "test.vsh(1): no shader version"},
      {"vs_1_1\nmov r40, c0\n", "test.vsh(2): temporary register out of range"},
      {"ps_2_0\ntexld r0, t0, s0\nmov oC0, r0_zz\n", "test.vsh(3): bad operand 'r0_zz'"},
      {"vs_1_1\nmov r0, c0\n+mov r1, c1\n", "test.vsh(2): co-issued instructions ('+') exist in ps_1_1 to ps_1_4 only"},
      {"ps.1.1\ntex t0\n+mov r0.a, t0\n", "test.vsh(2): 'tex' cannot be co-issued"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    std::vector<uint32_t> function;
    std::string errors;
    EXPECT_EQ(d3dx::AssembleShader(c.source, "test.vsh", &function, &errors), gfx::kInvalidCall);
    EXPECT_NE(errors.find(c.expected), std::string::npos) << errors;
    EXPECT_TRUE(function.empty());
  }
}

struct TexVertex {
  float x, y, z;
  uint32_t color;
  float u, v;
};

TEST_F(ShaderTest, AssemblyVs11WithoutDeclarationsAndPs11Draw) {
  // A 2 x 2 texture, one colour per texel.
  gfx::Texture* texture = nullptr;
  ASSERT_EQ(dev->CreateTexture(2, 2, 1, 0, gfx::FMT_A8R8G8B8, gfx::POOL_MANAGED, &texture, nullptr), gfx::kOk);
  gfx::LockedRect lr;
  ASSERT_EQ(texture->LockRect(0, &lr, nullptr, 0), gfx::kOk);
  const uint32_t texels[4] = {0xFFFF8040, 0xFFFF8040, 0xFFFF8040, 0xFFFF8040};
  for (int y = 0; y < 2; ++y) std::memcpy(static_cast<uint8_t*>(lr.bits) + y * lr.pitch, texels + 2 * y, 8);
  texture->UnlockRect(0);
  dev->SetTexture(0, texture);

  UseVertexShader(Asm("vs.1.1\nm4x4 oPos, v0, c0\nmul oD0, v5, c4\nmov oT0, v7\n"));
  UsePixelShader(Asm("ps.1.1\ntex t0\nmul r0, t0, v0\nmul r0.rgb, r0, c2\n"));
  // c0..c3: the identity, one register per row of the transposed matrix as m4x4 reads it.
  const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  dev->SetVertexShaderConstantF(0, identity, 4);
  const float halfGreen[4] = {1.0f, 0.5f, 1.0f, 1.0f};
  dev->SetVertexShaderConstantF(4, halfGreen, 1);
  const float blueHalf[4] = {1.0f, 1.0f, 0.5f, 1.0f};
  dev->SetPixelShaderConstantF(2, blueHalf, 1);
  dev->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
  dev->Clear(0, nullptr, gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  TexVertex v[4] = {{-1, 1, 0.5f, 0xFF808080, 0, 0}, {1, 1, 0.5f, 0xFF808080, 1, 0},
                    {-1, -1, 0.5f, 0xFF808080, 0, 1}, {1, -1, 0.5f, 0xFF808080, 1, 1}};
  dev->SetFVF(gfx::FVF_XYZ | gfx::FVF_DIFFUSE | gfx::FVF_TEX1);
  ASSERT_EQ(dev->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, v, sizeof v[0]), gfx::kOk);
  // texel (FF, 80, 40) x diffuse (80, 40, 80) x c2 (1, 1, 0.5)
  const uint32_t expected = 0xFF000000u | (0x80u << 16) | (0x20u << 8) | 0x10u;
  EXPECT_TRUE(gfxtest::Near(Pixel(20, 20), expected, 3)) << std::hex << Pixel(20, 20);
  dev->SetTexture(0, nullptr);
  texture->Release();
}

}  // namespace
}  // namespace shadertest
