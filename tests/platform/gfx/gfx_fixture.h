// A device on an off-screen SDL window for rendering tests, and pixel read-back helpers.
#pragma once
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/gfx/device.h"
#include "platform/gfx/gl.h"
#include "platform/gfx/gl_interop.h"
#include "platform/gfx/test_hooks.h"
#include "platform/gfx/window.h"

namespace gfxtest {

namespace gfx = platform::gfx;

class TestWindow final : public gfx::Window {
 public:
  TestWindow(int w, int h) {
    SDL_InitSubSystem(SDL_INIT_VIDEO);
    window_ = SDL_CreateWindow("gfx test", 0, 0, w, h, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  }
  ~TestWindow() {
    if (window_) SDL_DestroyWindow(window_);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  SDL_Window* SdlWindow() const override { return window_; }

 private:
  SDL_Window* window_ = nullptr;
};

inline gfx::PresentParams WindowedParams(uint32_t w, uint32_t h) {
  gfx::PresentParams p{};
  p.backBufferWidth = w;
  p.backBufferHeight = h;
  p.backBufferFormat = gfx::FMT_X8R8G8B8;
  p.backBufferCount = 1;
  p.swapEffect = gfx::SWAPEFFECT_DISCARD;
  p.windowed = 1;
  p.enableAutoDepthStencil = 1;
  p.autoDepthStencilFormat = gfx::FMT_D24S8;
  p.presentationInterval = gfx::PRESENT_INTERVAL_IMMEDIATE;
  return p;
}

// Vertex of pre-transformed drawing (format 0x144 and 0x44).
struct TlVertex {
  float x, y, z, rhw;
  uint32_t color;
  float u, v;
};
struct TlColorVertex {
  float x, y, z, rhw;
  uint32_t color;
};

class DeviceTest : public ::testing::Test {
 protected:
  static constexpr uint32_t kWidth = 64, kHeight = 48;

  void SetUp() override {
    window_ = new TestWindow(int(kWidth), int(kHeight));
    ASSERT_NE(window_->SdlWindow(), nullptr) << SDL_GetError();
    api_ = gfx::CreateApi(gfx::kSdkVersion);
    ASSERT_NE(api_, nullptr);
    gfx::PresentParams params = WindowedParams(kWidth, kHeight);
    params.deviceWindow = window_;
    ASSERT_EQ(api_->CreateDevice(0, gfx::DEVTYPE_HAL, window_, gfx::CREATE_HARDWARE_VERTEXPROCESSING, &params, &dev),
              gfx::kOk);
    // GL errors fail the test (see TearDown); the driver's message says which call.
    gfx::MakeDeviceContextCurrent(dev);
    glEnable(GL_DEBUG_OUTPUT);
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    glDebugMessageCallback(
        [](GLenum, GLenum type, GLuint, GLenum, GLsizei, const GLchar* message, const void*) {
          if (type == GL_DEBUG_TYPE_ERROR) std::fprintf(stderr, "GL: %s\n", message);
        },
        nullptr);
  }
  void TearDown() override {
    if (dev) {
      // Every GL call the device made in the test was valid.
      gfx::MakeDeviceContextCurrent(dev);
      for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError()) ADD_FAILURE() << "GL error 0x" << std::hex << e;
      for (uint32_t s = 0; s < 8; ++s) dev->SetTexture(s, nullptr);
      dev->SetStreamSource(0, nullptr, 0, 0);
      dev->SetIndices(nullptr);
      dev->SetVertexDeclaration(nullptr);
      EXPECT_EQ(dev->Release(), 0u) << "something still holds the device";
    }
    if (api_) api_->Release();
    delete window_;
  }

  // The current render target as 0xAARRGGBB, rows top to bottom.
  std::vector<uint32_t> ReadTarget(uint32_t* width = nullptr, uint32_t* height = nullptr) {
    gfx::Surface* rt = nullptr;
    EXPECT_EQ(dev->GetRenderTarget(0, &rt), gfx::kOk);
    std::vector<uint32_t> out = ReadSurface(rt, width, height);
    rt->Release();
    return out;
  }

  std::vector<uint32_t> ReadSurface(gfx::Surface* s, uint32_t* width = nullptr, uint32_t* height = nullptr) {
    gfx::SurfaceDesc d;
    s->GetDesc(&d);
    if (width) *width = d.width;
    if (height) *height = d.height;
    std::vector<uint32_t> out(size_t(d.width) * d.height);
    gfx::Surface* copy = s;
    copy->AddRef();
    if (d.pool != gfx::POOL_SYSTEMMEM || d.format != gfx::FMT_A8R8G8B8) {
      copy->Release();
      copy = nullptr;
      EXPECT_EQ(dev->CreateOffscreenPlainSurface(d.width, d.height, gfx::FMT_A8R8G8B8, gfx::POOL_SYSTEMMEM, &copy,
                                                 nullptr),
                gfx::kOk);
      EXPECT_EQ(dev->StretchRect(s, nullptr, copy, nullptr, gfx::TEXF_POINT), gfx::kOk);
    }
    gfx::LockedRect lr;
    EXPECT_EQ(copy->LockRect(&lr, nullptr, gfx::LOCK_READONLY), gfx::kOk);
    for (uint32_t y = 0; y < d.height; ++y)
      std::memcpy(&out[size_t(y) * d.width], static_cast<uint8_t*>(lr.bits) + size_t(y) * lr.pitch, d.width * 4);
    copy->UnlockRect();
    copy->Release();
    return out;
  }

  uint32_t Pixel(int x, int y) { return ReadTarget()[size_t(y) * kWidth + size_t(x)]; }

  // Solid colour rectangle of two pre-transformed triangles covering [x0, x1) x [y0, y1).
  void FillRect(float x0, float y0, float x1, float y1, uint32_t color, float z = 0.5f) {
    TlColorVertex v[4] = {{x0 - 0.5f, y0 - 0.5f, z, 1, color},
                          {x1 - 0.5f, y0 - 0.5f, z, 1, color},
                          {x0 - 0.5f, y1 - 0.5f, z, 1, color},
                          {x1 - 0.5f, y1 - 0.5f, z, 1, color}};
    dev->SetFVF(gfx::FVF_XYZRHW | gfx::FVF_DIFFUSE);
    EXPECT_EQ(dev->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, v, sizeof(TlColorVertex)), gfx::kOk);
  }

  TestWindow* window_ = nullptr;
  gfx::Api* api_ = nullptr;
  gfx::Device* dev = nullptr;
};

// Channels within `tolerance` of each other.
inline bool Near(uint32_t a, uint32_t b, int tolerance = 2) {
  for (int s = 0; s < 32; s += 8) {
    int d = int((a >> s) & 255) - int((b >> s) & 255);
    if (d < -tolerance || d > tolerance) return false;
  }
  return true;
}

}  // namespace gfxtest
