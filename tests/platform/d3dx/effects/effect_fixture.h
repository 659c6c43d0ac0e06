// Effects made from files on the real device: a scratch folder for the files, and quads drawn through
// every pass of the selected technique.
#pragma once
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/d3dx/effects/effect.h"
#include "platform/d3dx/effects/effect_compile.h"
#include "tests/platform/gfx/gfx_fixture.h"

namespace fxtest {

namespace dx = platform::d3dx;
namespace gfx = platform::gfx;

class EffectObjectTest : public gfxtest::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    folder_ = std::filesystem::temp_directory_path() / ("qel_effect_object_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    if (effect_) effect_->Release();
    std::filesystem::remove_all(folder_);
    DeviceTest::TearDown();
  }

  // Compiles `text` as an effect file; null (with the messages in errors_) when it does not compile.
  dx::Effect* Make(const std::string& text) {
    const std::string path = (folder_ / "test.fx").string();
    std::ofstream(path, std::ios::binary) << text;
    if (effect_) effect_->Release();
    effect_ = nullptr;
    errors_.clear();
    dx::CreateEffectFromFile(dev, path, &effect_, &errors_);
    return effect_;
  }

  // A quad over the whole target with texture coordinates from (u0, 0) to (u1, 1).
  void DrawQuad(float u0 = 0, float u1 = 1, uint32_t color = 0xFFFFFFFF) {
    const float w = float(kWidth) - 0.5f, h = float(kHeight) - 0.5f;
    gfxtest::TlVertex v[4] = {{-0.5f, -0.5f, 0.5f, 1, color, u0, 0}, {w, -0.5f, 0.5f, 1, color, u1, 0},
                              {-0.5f, h, 0.5f, 1, color, u0, 1}, {w, h, 0.5f, 1, color, u1, 1}};
    dev->SetFVF(gfx::FVF_XYZRHW | gfx::FVF_DIFFUSE | gfx::FVF_TEX1);
    ASSERT_EQ(dev->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, v, sizeof v[0]), gfx::kOk);
  }

  // Draws every pass of the selected technique.
  void DrawEffect(float u0 = 0, float u1 = 1) {
    uint32_t passes = 0;
    ASSERT_EQ(effect_->Begin(&passes, 0), gfx::kOk);
    for (uint32_t p = 0; p < passes; ++p) {
      ASSERT_EQ(effect_->BeginPass(p), gfx::kOk);
      DrawQuad(u0, u1);
      effect_->EndPass();
    }
    ASSERT_EQ(effect_->End(), gfx::kOk);
  }

  uint32_t RenderState(uint32_t state) {
    uint32_t value = 0;
    dev->GetRenderState(state, &value);
    return value;
  }

  std::filesystem::path folder_;
  dx::Effect* effect_ = nullptr;
  std::string errors_;
};

// Position and one texture set.
struct MeshVertex {
  float x, y, z, u, v;
};

class EffectShaderTest : public EffectObjectTest {
 protected:
  // A quad over clip space from (-1, -1) to (1, 1) at depth 0.5, drawn by every pass.
  void DrawClipQuad() {
    const MeshVertex v[4] = {{-1, 1, 0.5f, 0, 0}, {1, 1, 0.5f, 1, 0}, {-1, -1, 0.5f, 0, 1}, {1, -1, 0.5f, 1, 1}};
    dev->SetFVF(gfx::FVF_XYZ | gfx::FVF_TEX1);
    uint32_t passes = 0;
    ASSERT_EQ(effect_->Begin(&passes, 0), gfx::kOk);
    for (uint32_t p = 0; p < passes; ++p) {
      ASSERT_EQ(effect_->BeginPass(p), gfx::kOk);
      ASSERT_EQ(dev->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, v, sizeof v[0]), gfx::kOk);
      effect_->EndPass();
    }
    ASSERT_EQ(effect_->End(), gfx::kOk);
  }
};

}  // namespace fxtest
