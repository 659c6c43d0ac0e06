// The light commands: the three kinds of light, range, position and colour, each handed to the device
// under the light's own number.
#include <cmath>

#include "engine/core/errors.h"
#include "engine/scene/light_state.h"
#include "platform/d3dx/math_types.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;

namespace {

constexpr float kThird = 0.33333334f;
constexpr float kChannelScale = 0.003921569f;  // 1 / 255

// The light of a command: 7301 outside 0..22000000, 7303 when missing.
LightRecord* CommandLight(int32_t light) {
  if (light < 0 || light > kMaxLightNumber) {
    Lights().current = nullptr;
    RaiseErrorCode(7301);
    return nullptr;
  }
  LightRecord* record = FindLight(light);
  if (!record) RaiseErrorCode(7303);
  return record;
}

void SendLight(int32_t light, const LightRecord& record) {
  if (gfx::Device* device = Lights().device) device->SetLight(uint32_t(light), &record.description);
}

// Point and spot lights fade as 1 / (1 + d^2 / (range / 3)^2): half strength at a third of the range.
float FadeFactor(float range) {
  const float third = range * kThird;
  return 1.0f / (third * third);
}

// The light started over as a fresh description of its kind, white, with white highlights.
gfx::Light& Restart(LightRecord* record, LightKind kind, uint32_t type, float diffuseAlpha) {
  record->kind = kind;
  gfx::Light& d = record->description;
  d = gfx::Light{};
  d.type = type;
  d.diffuse = {1, 1, 1, diffuseAlpha};
  d.specular = {1, 1, 1, 1};
  return d;
}

}  // namespace

void SetPointLight(int32_t light, float x, float y, float z) {
  LightRecord* record = CommandLight(light);
  if (!record) return;
  gfx::Light& d = Restart(record, kPointLight, gfx::LIGHT_POINT, 0.0f);
  d.position = {x, y, z};
  d.range = record->keptRange;
  d.attenuation0 = 1.0f;
  d.attenuation2 = FadeFactor(record->keptRange);
  SendLight(light, *record);
}

void SetDirectionalLight(int32_t light, float x, float y, float z) {
  LightRecord* record = CommandLight(light);
  if (!record) return;
  Restart(record, kDirectionalLight, gfx::LIGHT_DIRECTIONAL, 1.0f).direction = {x, y, z};
  SendLight(light, *record);
}

void CreateLight(int32_t light) {
  if (light < 0 || light > kMaxLightNumber) return RaiseErrorCode(7301);
  if (light == 0) return RaiseErrorCode(7305);
  if (FindLight(light)) return RaiseErrorCode(7302);
  AddLight(light);
}

void SetLightToSpot(int32_t light, float innerDegrees, float outerDegrees) {
  LightRecord* record = CommandLight(light);
  if (!record) return;
  gfx::Light& d = Restart(record, kSpotLight, gfx::LIGHT_SPOT, 0.0f);
  d.direction = {0, -1, 0};
  d.range = record->keptRange;
  d.attenuation0 = 1.0f;
  d.theta = innerDegrees * platform::d3dx::kDegreesToRadians;
  d.phi = outerDegrees * platform::d3dx::kDegreesToRadians;
  SendLight(light, *record);
}

void SetLightRange(int32_t light, float range) {
  LightRecord* record = CommandLight(light);
  // A range of 0 or less (or not a number) has no fade to compute.
  if (!record || !(range > 0.0f) || !std::isfinite(range)) return;
  record->keptRange = range;
  gfx::Light& d = record->description;
  d.range = range;
  d.attenuation0 = 1.0f;
  d.attenuation2 = FadeFactor(range);
  SendLight(light, *record);
}

void SetLightPosition(int32_t light, float x, float y, float z) {
  LightRecord* record = CommandLight(light);
  if (!record) return;
  record->description.position = {x, y, z};
  SendLight(light, *record);
}

void SetLightColor(int32_t light, uint32_t color) {
  LightRecord* record = CommandLight(light);
  if (!record) return;
  gfx::ColorValue& diffuse = record->description.diffuse;
  diffuse.r = float((color >> 16) & 0xFF) * kChannelScale;
  diffuse.g = float((color >> 8) & 0xFF) * kChannelScale;
  diffuse.b = float(color & 0xFF) * kChannelScale;
  SendLight(light, *record);
}
