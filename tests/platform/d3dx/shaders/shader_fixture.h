// A device fixture with helpers to compile shaders, set their constants through the constant
// table, and draw full-viewport quads with them.
#pragma once
#include <string>
#include <vector>

#include "platform/d3dx/shaders/shader_compiler.h"
#include "tests/platform/gfx/gfx_fixture.h"

namespace shadertest {

namespace gfx = platform::gfx;
namespace d3dx = platform::d3dx;

class ShaderTest : public gfxtest::DeviceTest {
 protected:
  void TearDown() override {
    if (dev) {
      dev->SetVertexShader(nullptr);
      dev->SetPixelShader(nullptr);
    }
    for (gfx::VertexShader* s : vertexShaders_) s->Release();
    for (gfx::PixelShader* s : pixelShaders_) s->Release();
    DeviceTest::TearDown();
  }

  std::vector<uint32_t> Hlsl(const std::string& source, const char* entry, const char* profile,
                             std::vector<std::string> arguments = {}) {
    std::vector<uint32_t> function;
    std::string errors;
    EXPECT_EQ(d3dx::CompileShaderHLSL(source, "test.fx", entry, profile, arguments, &function, &errors), gfx::kOk)
        << errors;
    return function;
  }
  std::vector<uint32_t> Asm(const std::string& source) {
    std::vector<uint32_t> function;
    std::string errors;
    EXPECT_EQ(d3dx::AssembleShader(source, "test.vsh", &function, &errors), gfx::kOk) << errors;
    return function;
  }
  // Creates and sets the shader (null function: none).
  void UseVertexShader(const std::vector<uint32_t>& function) {
    gfx::VertexShader* s = nullptr;
    ASSERT_FALSE(function.empty());
    ASSERT_EQ(dev->CreateVertexShader(function.data(), &s), gfx::kOk);
    vertexShaders_.push_back(s);
    ASSERT_EQ(dev->SetVertexShader(s), gfx::kOk);
    vsFunction_ = function;
  }
  void UsePixelShader(const std::vector<uint32_t>& function) {
    gfx::PixelShader* s = nullptr;
    ASSERT_FALSE(function.empty());
    ASSERT_EQ(dev->CreatePixelShader(function.data(), &s), gfx::kOk);
    pixelShaders_.push_back(s);
    ASSERT_EQ(dev->SetPixelShader(s), gfx::kOk);
    psFunction_ = function;
  }

  static const d3dx::ShaderConstant* Find(const std::vector<d3dx::ShaderConstant>& table, const std::string& name) {
    for (const d3dx::ShaderConstant& c : table)
      if (c.name == name) return &c;
    return nullptr;
  }
  static std::vector<d3dx::ShaderConstant> Table(const std::vector<uint32_t>& function) {
    std::vector<d3dx::ShaderConstant> table;
    EXPECT_EQ(d3dx::GetShaderConstants(function.data(), &table), gfx::kOk);
    return table;
  }

  // Writes a row-vector matrix into the registers of a parameter as the effect framework does: one
  // register per column (column_major) or per row (row_major).
  void SetMatrix(bool vertex, const std::string& name, const gfx::Matrix& m) {
    auto table = Table(vertex ? vsFunction_ : psFunction_);
    const d3dx::ShaderConstant* c = Find(table, name);
    ASSERT_NE(c, nullptr) << name;
    float registers[4][4] = {};
    for (uint32_t r = 0; r < c->registerCount && r < 4; ++r)
      for (int k = 0; k < 4; ++k) registers[r][k] = c->rowMajor ? m.m[r][k] : m.m[k][r];
    if (vertex) dev->SetVertexShaderConstantF(c->registerIndex, &registers[0][0], c->registerCount);
    else dev->SetPixelShaderConstantF(c->registerIndex, &registers[0][0], c->registerCount);
  }
  void SetVector(bool vertex, const std::string& name, float x, float y, float z, float w) {
    auto table = Table(vertex ? vsFunction_ : psFunction_);
    const d3dx::ShaderConstant* c = Find(table, name);
    ASSERT_NE(c, nullptr) << name;
    const float v[4] = {x, y, z, w};
    if (vertex) dev->SetVertexShaderConstantF(c->registerIndex, v, 1);
    else dev->SetPixelShaderConstantF(c->registerIndex, v, 1);
  }

  // A quad over the clip-space rectangle [x0, x1] x [y0, y1] (y up) at depth z, with a colour and the
  // texture coordinates (0, 0) to (1, 1).
  void ClipQuad(float x0, float y0, float x1, float y1, uint32_t color, float z = 0.5f) {
    struct Vertex {
      float x, y, z;
      uint32_t color;
      float u, v;
    } v[4] = {{x0, y1, z, color, 0, 0}, {x1, y1, z, color, 1, 0}, {x0, y0, z, color, 0, 1}, {x1, y0, z, color, 1, 1}};
    dev->SetFVF(gfx::FVF_XYZ | gfx::FVF_DIFFUSE | gfx::FVF_TEX1);
    EXPECT_EQ(dev->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, v, sizeof v[0]), gfx::kOk);
  }
  // A black target and depth 1, no culling, no lighting.
  void ClearForShaders() {
    dev->Clear(0, nullptr, gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    dev->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
    dev->SetRenderState(gfx::RS_LIGHTING, 0);
  }

  static gfx::Matrix Identity() {
    gfx::Matrix m{};
    for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
    return m;
  }

  std::vector<uint32_t> vsFunction_, psFunction_;
  std::vector<gfx::VertexShader*> vertexShaders_;
  std::vector<gfx::PixelShader*> pixelShaders_;
};

}  // namespace shadertest
