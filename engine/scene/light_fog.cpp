// Device fog: linear vertex fog switched on and off, its colour and its end distance.
#include "engine/scene/light_state.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;

void EnableFog() {
  LightState& s = Lights();
  if (s.core) s.core->fogOn = 1;
  if (!s.device) return;
  s.device->SetRenderState(gfx::RS_FOGENABLE, 1);
  s.device->SetRenderState(gfx::RS_FOGCOLOR, s.keptFogColor);
  s.device->SetRenderState(gfx::RS_FOGVERTEXMODE, gfx::FOG_LINEAR);
  s.device->SetRenderState(gfx::RS_FOGSTART, gfx::FloatBits(s.fogStart));
  s.device->SetRenderState(gfx::RS_FOGEND, gfx::FloatBits(s.fogEnd));
}

void DisableFog() {
  LightState& s = Lights();
  if (s.core) s.core->fogOn = 0;
  if (s.device) s.device->SetRenderState(gfx::RS_FOGENABLE, 0);
}

void SetFogColor(uint32_t color) {
  if (gfx::Device* device = Lights().device) device->SetRenderState(gfx::RS_FOGCOLOR, color);
}

void SetFogDistance(int32_t distance) {
  LightState& s = Lights();
  s.fogEnd = float(distance);
  if (!s.device) return;
  s.device->SetRenderState(gfx::RS_FOGSTART, gfx::FloatBits(s.fogStart));
  s.device->SetRenderState(gfx::RS_FOGEND, gfx::FloatBits(s.fogEnd));
}
