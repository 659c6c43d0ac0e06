// Shader-constant states of passes: the value of a parameter, or the literal written, fills as many
// registers as it holds from the state's register on (row k of a matrix in register n + k, an array
// one register per element, a scalar or vector one), the 1 to 4 forms exactly that many; for vertex
// and pixel shaders and the float, int and bool registers. Seen through assembly shaders that read
// registers 4 to 7.
#include <cmath>
#include <string>

#include "tests/platform/d3dx/effects/effect_fixture.h"

namespace {

namespace gfx = platform::gfx;
using fxtest::EffectShaderTest;

// A float register of zeros and ones (x, y, z, w) shows as x/2 + y/4 + z/8 + w/16 in a colour
// channel; an int register as its x/16 (a loop of that many steps); a bool register as 1/2 when set.
// The left half of the target shows registers 4, 5 and 6 in red, green and blue, the right half
// register 7 in red. Registers the state must not reach are set beforehand to all ones (15 for int
// registers, false for bool ones).
constexpr float kUntouched = 0.9375f;
constexpr float kRow[4] = {0.5f, 0.3125f, 0.75f, 0.1875f};  // the rows of kMatrix
constexpr const char* kMatrix = "{1, 0, 0, 0,  0, 1, 0, 1,  1, 1, 0, 0,  0, 0, 1, 1}";

enum class Shader { kVertexFloat, kPixelFloat, kVertexBool, kVertexInt };

// The vertex shader that places pass `side` (-0.5 left, 0.5 right) on its half of the target.
std::string Place(const char* version, float side) {
  return std::string(version) + "\n" + (version[3] == '2' ? "dcl_position v0\n" : "") +
         "def c21, 0.5, 1, 1, 1\ndef c22, " + std::to_string(side) + ", 0, 0, 0\n"
         "mul r0, v0, c21\nadd oPos, r0, c22\n";
}

// Reads `registers` into the colour's channels (rest 0) into `out` ("oD0" or "r0").
std::string ShowFloat(const std::string& registers, const char* out) {
  std::string code = "def c20, 0.5, 0.25, 0.125, 0.0625\ndef c23, 0, 0, 0, 1\nmov r1, c23\nmov r2, c20\n";
  for (size_t k = 0; k < registers.size(); ++k)
    code += std::string("dp4 r1.") + "xyz"[k] + ", c" + registers[k] + ", r2\n";
  return code + "mov " + out + ", r1\n";
}

std::string ShowFlow(const std::string& registers, bool bools) {
  std::string code = "def c20, 0.5, 0.25, 0.125, 0.0625\ndef c23, 0, 0, 0, 1\nmov r1, c23\n";
  for (size_t k = 0; k < registers.size(); ++k) {
    const std::string c = std::string("r1.") + "xyz"[k];
    code += bools ? "if b" + std::string(1, registers[k]) + "\n  mov " + c + ", c20.x\nendif\n"
                  : "rep i" + std::string(1, registers[k]) + "\n  add " + c + ", " + c + ", c20.w\nendrep\n";
  }
  return code + "mov oD0, r1\n";
}

std::string Pass(Shader shader, float side, const std::string& registers) {
  std::string vertex, pixel = "ps.1.1\nmov r0, v0\n";
  switch (shader) {
    case Shader::kVertexFloat: vertex = Place("vs.1.1", side) + ShowFloat(registers, "oD0"); break;
    case Shader::kPixelFloat:
      vertex = Place("vs.1.1", side);
      pixel = "ps_2_0\n" + ShowFloat(registers, "oC0");
      break;
    case Shader::kVertexBool: vertex = Place("vs_2_0", side) + ShowFlow(registers, true); break;
    case Shader::kVertexInt: vertex = Place("vs_2_0", side) + ShowFlow(registers, false); break;
  }
  return "VertexShader = asm {\n" + vertex + "};\nPixelShader = asm {\n" + pixel + "};\n";
}

std::string File(Shader shader, const std::string& declarations, const std::string& states) {
  return declarations + "\ntechnique T {\n  pass Left {\n" + states + "\n" + Pass(shader, -0.5f, "456") +
         "  }\n  pass Right {\n" + Pass(shader, 0.5f, "7") + "  }\n}\n";
}

uint32_t Color(float r, float g, float b) {
  auto c = [](float v) { return uint32_t(std::lround(v * 255.0f)); };
  return 0xFF000000u | c(r) << 16 | c(g) << 8 | c(b);
}

TEST_F(EffectShaderTest, ShaderConstantStatesFillTheRegistersTheirValuesHold) {
  const std::string matrix = std::string("float4x4 M = ") + kMatrix + ";";
  const std::string rows = std::string("float4 Rows[4] = ") + kMatrix + ";";
  const float u = kUntouched;
  const struct Case {
    Shader shader;
    std::string declarations, states;
    float expected[4];  // registers 4 to 7 as shown
  } cases[] = {
      {Shader::kVertexFloat, matrix, "VertexShaderConstant[4] = <M>;", {kRow[0], kRow[1], kRow[2], kRow[3]}},
      {Shader::kVertexFloat, matrix, "VertexShaderConstantF[4] = <M>;", {kRow[0], kRow[1], kRow[2], kRow[3]}},
      {Shader::kVertexFloat, "row_major " + matrix, "VertexShaderConstant[4] = M;", {kRow[0], kRow[1], kRow[2], kRow[3]}},
      {Shader::kVertexFloat, matrix, "VertexShaderConstant4[4] = <M>;", {kRow[0], kRow[1], kRow[2], kRow[3]}},
      {Shader::kVertexFloat, matrix, "VertexShaderConstant1[4] = <M>;", {kRow[0], u, u, u}},
      {Shader::kVertexFloat, matrix, "VertexShaderConstant2[4] = <M>;", {kRow[0], kRow[1], u, u}},
      {Shader::kVertexFloat, matrix, "VertexShaderConstant3[4] = <M>;", {kRow[0], kRow[1], kRow[2], u}},
      {Shader::kVertexFloat, rows, "VertexShaderConstant[4] = <Rows>;", {kRow[0], kRow[1], kRow[2], kRow[3]}},
      // Rows of three numbers, each padded to a register; register 7 is beyond the value.
      {Shader::kVertexFloat, "float3x3 N = {1, 0, 0,  0, 1, 0,  1, 1, 1};", "VertexShaderConstant[4] = <N>;",
       {0.5f, 0.25f, 0.875f, u}},
      {Shader::kVertexFloat, "float S = 1;", "VertexShaderConstant[4] = <S>;", {0.5f, u, u, u}},
      {Shader::kVertexFloat, "float2 Pair[2] = {0, 1,  1, 1};", "VertexShaderConstant[4] = <Pair>;", {0.25f, 0.75f, u, u}},
      // Literal values.
      {Shader::kVertexFloat, "", std::string("VertexShaderConstant[4] = ") + kMatrix + ";",
       {kRow[0], kRow[1], kRow[2], kRow[3]}},
      {Shader::kVertexFloat, "", "VertexShaderConstant[5] = float3x3(1, 0, 0,  0, 1, 0,  1, 1, 1);",
       {u, 0.5f, 0.25f, 0.875f}},
      {Shader::kVertexFloat, "", "VertexShaderConstant2[4] = {1, 0, 0, 0};", {0.5f, 0.0f, u, u}},
      {Shader::kVertexFloat, "", "VertexShaderConstant[6] = float4(0, 0, 1, 1);", {u, u, 0.1875f, u}},
      // Pixel shaders.
      {Shader::kPixelFloat, matrix, "PixelShaderConstant[4] = <M>;", {kRow[0], kRow[1], kRow[2], kRow[3]}},
      {Shader::kPixelFloat, rows, "PixelShaderConstant3[4] = <Rows>;", {kRow[0], kRow[1], kRow[2], u}},
      {Shader::kPixelFloat, "", "PixelShaderConstantF[5] = {0, 1, 0, 1,  1, 1, 0, 0};", {u, kRow[1], kRow[2], u}},
      // Bool registers, one value each; int registers, four numbers each (the loop counts show).
      {Shader::kVertexBool, "bool4 Flags = {true, false, true, true};", "VertexShaderConstantB[4] = <Flags>;",
       {0.5f, 0.0f, 0.5f, 0.5f}},
      {Shader::kVertexBool, "", "VertexShaderConstantB[5] = {true, true};", {0.0f, 0.5f, 0.5f, 0.0f}},
      {Shader::kVertexInt, "int4 Counts[4] = {2, 0, 1, 0,  4, 0, 1, 0,  8, 0, 1, 0,  1, 0, 1, 0};",
       "VertexShaderConstantI[4] = <Counts>;", {0.125f, 0.25f, 0.5f, 0.0625f}},
      {Shader::kVertexInt, "int Count = 5;", "VertexShaderConstantI[4] = <Count>;", {0.3125f, u, u, u}},
      {Shader::kVertexInt, "", "VertexShaderConstantI[5] = int4(3, 0, 1, 0);", {u, 0.1875f, u, u}},
  };
  for (const Case& c : cases) {
    const std::string text = File(c.shader, c.declarations, c.states);
    SCOPED_TRACE(text);
    ASSERT_NE(Make(text), nullptr) << errors_;
    const float ones[16] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    const int32_t fifteen[16] = {15, 0, 1, 0, 15, 0, 1, 0, 15, 0, 1, 0, 15, 0, 1, 0};
    const int32_t unset[4] = {};
    dev->SetVertexShaderConstantF(4, ones, 4);
    dev->SetPixelShaderConstantF(4, ones, 4);
    dev->SetVertexShaderConstantI(4, fifteen, 4);
    dev->SetVertexShaderConstantB(4, unset, 4);
    dev->Clear(0, nullptr, gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1, 0);
    ASSERT_EQ(dev->BeginScene(), gfx::kOk);
    DrawClipQuad();
    dev->EndScene();
    const uint32_t left = Pixel(kWidth / 4, kHeight / 2), right = Pixel(kWidth * 3 / 4, kHeight / 2);
    const uint32_t expectedLeft = Color(c.expected[0], c.expected[1], c.expected[2]);
    EXPECT_TRUE(gfxtest::Near(left, expectedLeft, 3)) << std::hex << left << " for " << expectedLeft;
    EXPECT_TRUE(gfxtest::Near(right, Color(c.expected[3], 0, 0), 3)) << std::hex << right;
  }
}

TEST_F(EffectShaderTest, ShaderConstantStatesStopAtTheEndOfTheirRegisterFile) {
  ASSERT_NE(Make(std::string("float4x4 M = ") + kMatrix + ";\nint Counts[3] = {1, 2, 3};\n" + R"(
technique T { pass {
  VertexShaderConstant[254] = <M>;
  PixelShaderConstant[222] = <M>;
  PixelShaderConstantB[14] = {true, false, true};
  PixelShaderConstantI[1] = <Counts>;
} }
)"), nullptr) << errors_;
  uint32_t passes = 0;
  ASSERT_EQ(effect_->Begin(&passes, 0), gfx::kOk);
  ASSERT_EQ(effect_->BeginPass(0), gfx::kOk);
  float registers[8] = {};
  ASSERT_EQ(dev->GetVertexShaderConstantF(254, registers, 2), gfx::kOk);
  EXPECT_EQ(registers[0], 1.0f);
  EXPECT_EQ(registers[7], 1.0f);  // row 1 is (0, 1, 0, 1)
  ASSERT_EQ(dev->GetPixelShaderConstantF(222, registers, 2), gfx::kOk);
  EXPECT_EQ(registers[5], 1.0f);
  int32_t bools[2] = {7, 7};
  ASSERT_EQ(dev->GetPixelShaderConstantB(14, bools, 2), gfx::kOk);
  EXPECT_EQ(bools[0], 1);
  EXPECT_EQ(bools[1], 0);
  int32_t ints[12] = {};
  ASSERT_EQ(dev->GetPixelShaderConstantI(1, ints, 3), gfx::kOk);
  EXPECT_EQ(ints[0], 1);
  EXPECT_EQ(ints[4], 2);
  EXPECT_EQ(ints[8], 3);
  effect_->EndPass();
  effect_->End();

  // A first register beyond the file is an error of the file.
  for (const char* state : {"VertexShaderConstantB[16] = true;", "PixelShaderConstant[224] = {1, 1, 1, 1};",
                            "VertexShaderConstantI[16] = {1, 1, 1, 1};"}) {
    EXPECT_EQ(Make(std::string("technique T { pass { ") + state + " } }\n"), nullptr) << state;
    EXPECT_NE(errors_.find("test.fx(1): state index out of range"), std::string::npos) << errors_;
  }
}

}  // namespace
