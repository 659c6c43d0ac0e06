// The light module's life: light 0 and the ambient level at start-up, the light list, and the release
// and restart around a device reset.
#include <memory>

#include "engine/core/errors.h"
#include "engine/display/display.h"
#include "engine/scene/light_state.h"
#include "engine/scene/scene_records.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;

namespace {

void FreeLights() {
  FreeRecords<LightRecord>(Lights().list);
  Lights().current = nullptr;
}

// Each channel x percentage truncated, packed as an opaque colour.
uint32_t AmbientColor(const LightState& s) {
  const float p = float(s.ambientPercent) * 0.01f;
  auto channel = [p](uint32_t c) { return uint32_t(float(c) * p) & 0xFF; };
  return 0xFF000000u | channel(s.ambientRed) << 16 | channel(s.ambientGreen) << 8 | channel(s.ambientBlue);
}

void InitLightModule() {
  LightState& s = Lights();
  s.getDevice = GetDirect3DDevice;
  s.device = s.getDevice();
  s.ambientRed = s.ambientGreen = s.ambientBlue = 255;
  s.ambientPercent = 25;
  s.fogStart = 0.0f;
  s.fogEnd = 3000.0f;
  s.keptFogColor = 0;
  AddLight(0);
  if (s.device) {
    s.device->SetRenderState(gfx::RS_AMBIENT, AmbientColor(s));
    s.device->SetRenderState(gfx::RS_FOGENABLE, 0);
  }
}

}  // namespace

LightState& Lights() {
  static LightState state;
  return state;
}

LightRecord* FindLight(int32_t light) {
  LightState& s = Lights();
  s.current = s.list.FindAs<LightRecord>(light);
  return s.current;
}

void AddLight(int32_t light) {
  LightState& s = Lights();
  if (!StoreRecord(s.list, light, std::make_unique<LightRecord>(), &s.current)) return;
  if (light == 0)
    SetDirectionalLight(0, 0.1f, -0.5f, 0.5f);
  else
    SetPointLight(light, 0, 0, 0);
  if (s.device) s.device->LightEnable(uint32_t(light), 1);
}

namespace LightModule {

void Constructor() { InitLightModule(); }
void Destructor() { FreeLights(); }
void SetErrorHandler(uint32_t* errorWord) { SetModuleErrorHandler(errorWord); }

void PassCoreData(CoreData* coreData) {
  Lights().core = coreData;
  if (coreData) coreData->fogOn = 0;
}

void RefreshD3D(int mode) {
  if (mode == 0) {
    FreeLights();
  } else if (mode == 1) {
    InitLightModule();
    PassCoreData(Lights().core);
  }
}

}  // namespace LightModule
