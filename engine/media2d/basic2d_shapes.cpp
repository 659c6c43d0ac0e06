// Ink colours, packed colours and the shapes the device draws: boxes, lines, gradient boxes and the
// rectangle copy inside the current render surface.
#include <algorithm>
#include <utility>
#include <cstring>

#include "engine/media2d/basic2d.h"
#include "engine/media2d/basic2d_state.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;

namespace {

struct LineVertex {
  float x, y, z, rhw;
  uint32_t diffuse;
};
static_assert(sizeof(LineVertex) == 20);

struct GradientVertex {
  float x, y, z, rhw;
  uint32_t diffuse;
  float u, v;
};
static_assert(sizeof(GradientVertex) == 28);

constexpr uint32_t kLineFvf = gfx::FVF_XYZRHW | gfx::FVF_DIFFUSE;
constexpr uint32_t kGradientFvf = gfx::FVF_XYZRHW | gfx::FVF_DIFFUSE | gfx::FVF_TEX1;
constexpr float kGradientDepth = 10.0f;

void FillVertexBuffer(gfx::VertexBuffer* buffer, const void* vertices, size_t size, bool& filled) {
  void* data = nullptr;
  filled = gfx::Succeeded(buffer->Lock(0, 0, &data, 0));
  if (!filled) return;
  std::memcpy(data, vertices, size);
  buffer->Unlock();
}

}  // namespace

void SetDrawColors(uint32_t foreground, uint32_t background) {
  CoreData* core = Basic2D().core;
  if (!core) return;
  core->inkForeground = foreground;
  core->inkBackground = background;
}

uint32_t Rgb(int32_t red, int32_t green, int32_t blue) {
  return 0xFF000000u | uint32_t(red & 255) << 16 | uint32_t(green & 255) << 8 | uint32_t(blue & 255);
}

uint32_t Pack565(int32_t red, int32_t green, int32_t blue) {
  return uint32_t((red >> 3) & 31) << 11 | uint32_t((green >> 2) & 63) << 5 | uint32_t((blue >> 3) & 31);
}

void DrawBox(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  const Basic2DState& s = Basic2D();
  if (!s.device || !s.core) return;
  const gfx::Rect rect{x1, y1, x2, y2};
  s.device->Clear(1, &rect, gfx::CLEAR_TARGET, s.core->inkForeground, 0.0f, 0);
}

void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  const Basic2DState& s = Basic2D();
  if (!s.device || !s.core || !s.lineBuffer) return;
  const uint32_t ink = s.core->inkForeground;
  const LineVertex vertices[2] = {{float(x1), float(y1), 0.0f, 1.0f, ink}, {float(x2), float(y2), 0.0f, 1.0f, ink}};
  bool filled = false;
  FillVertexBuffer(s.lineBuffer, vertices, sizeof vertices, filled);
  if (!filled) return;
  gfx::Device* device = s.device;
  device->SetTexture(0, nullptr);
  device->SetTexture(1, nullptr);
  device->SetVertexShader(nullptr);
  device->SetFVF(kLineFvf);
  device->SetStreamSource(0, s.lineBuffer, 0, sizeof(LineVertex));
  // Left as set: later drawing sets what it needs.
  device->SetRenderState(gfx::RS_FOGENABLE, 0);
  device->SetRenderState(gfx::RS_ALPHABLENDENABLE, 0);
  device->SetRenderState(gfx::RS_ALPHATESTENABLE, 0);
  device->DrawPrimitive(gfx::PT_LINELIST, 0, 1);
}

void DrawGradientBox(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t c1, uint32_t c2, uint32_t c3,
                     uint32_t c4) {
  const Basic2DState& s = Basic2D();
  if (!s.device) return;
  gfx::Device* device = s.device;
  gfx::Ref<gfx::VertexBuffer> buffer;
  if (gfx::Failed(device->CreateVertexBuffer(4 * sizeof(GradientVertex), 0, kGradientFvf, gfx::POOL_DEFAULT,
                                             buffer.put(), nullptr))) {
    return;
  }
  const float left = float(x1), top = float(y1), right = float(x2), bottom = float(y2);
  const GradientVertex vertices[4] = {{left, bottom, kGradientDepth, 1.0f, c1, 0.0f, 0.0f},
                                      {left, top, kGradientDepth, 1.0f, c2, 0.0f, 0.0f},
                                      {right, bottom, kGradientDepth, 1.0f, c3, 0.0f, 0.0f},
                                      {right, top, kGradientDepth, 1.0f, c4, 0.0f, 0.0f}};
  bool filled = false;
  FillVertexBuffer(buffer.get(), vertices, sizeof vertices, filled);
  if (!filled) return;

  // None of these is restored afterwards: the other drawing sets its own.
  const std::pair<uint32_t, uint32_t> states[] = {
      {gfx::RS_CULLMODE, gfx::CULL_NONE},         {gfx::RS_FILLMODE, gfx::FILL_SOLID},
      {gfx::RS_ALPHABLENDENABLE, 0},              {gfx::RS_SRCBLEND, gfx::BLEND_ONE},
      {gfx::RS_DESTBLEND, gfx::BLEND_ZERO},       {gfx::RS_ZENABLE, 0},
      {gfx::RS_DITHERENABLE, 0},                  {gfx::RS_LIGHTING, 0},
      {gfx::RS_COLORVERTEX, 1},                   {gfx::RS_DIFFUSEMATERIALSOURCE, gfx::MCS_COLOR1},
      {gfx::RS_SPECULARENABLE, 0},                {gfx::RS_FOGENABLE, 0},
      {gfx::RS_ZWRITEENABLE, 0},                  {gfx::RS_MULTISAMPLEANTIALIAS, 0},
  };
  for (const auto& [state, value] : states) device->SetRenderState(state, value);
  device->SetVertexShader(nullptr);
  device->SetFVF(kGradientFvf);
  device->SetStreamSource(0, buffer.get(), 0, sizeof(GradientVertex));
  device->SetSamplerState(0, gfx::SAMP_ADDRESSU, gfx::TADDRESS_CLAMP);
  device->SetSamplerState(0, gfx::SAMP_MAGFILTER, gfx::TEXF_POINT);
  device->SetSamplerState(0, gfx::SAMP_MINFILTER, gfx::TEXF_POINT);
  device->SetSamplerState(0, gfx::SAMP_MIPFILTER, gfx::TEXF_NONE);
  device->SetTexture(0, nullptr);
  device->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_SELECTARG1);
  device->SetTextureStageState(0, gfx::TSS_COLORARG1, gfx::TA_DIFFUSE);
  device->SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_SELECTARG1);
  device->SetTextureStageState(0, gfx::TSS_ALPHAARG1, gfx::TA_DIFFUSE);
  device->DrawPrimitive(gfx::PT_TRIANGLESTRIP, 0, 2);
}

void CopySurfaceRect(int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t sx, int32_t sy) {
  const Basic2DState& s = Basic2D();
  gfx::Surface* surface = s.core ? s.core->currentRenderSurface : nullptr;
  if (!s.device || !surface) return;
  gfx::SurfaceDesc desc{};
  if (gfx::Failed(surface->GetDesc(&desc))) return;
  const int32_t width = int32_t(desc.width), height = int32_t(desc.height);
  const gfx::Rect source{sx, sy, int32_t(std::min<int64_t>(int64_t(sx) + w, width)),
                         int32_t(std::min<int64_t>(int64_t(sy) + h, height))};
  const gfx::Rect dest{dx, dy, int32_t(int64_t(dx) + source.right - sx), int32_t(int64_t(dy) + source.bottom - sy)};
  // Through a copy of the whole surface: the two rectangles may overlap.
  gfx::Ref<gfx::Surface> copy;
  if (gfx::Failed(s.device->CreateRenderTarget(desc.width, desc.height, desc.format, gfx::MULTISAMPLE_NONE, 0, 1,
                                               copy.put(), nullptr))) {
    return;
  }
  s.device->StretchRect(surface, nullptr, copy.get(), nullptr, gfx::TEXF_NONE);
  s.device->StretchRect(copy.get(), &source, surface, &dest, gfx::TEXF_NONE);
}
