// The light module's records and state. Internal to the module and its tests.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"
#include "engine/core/id_list.h"
#include "engine/scene/light.h"
#include "platform/gfx/types.h"

namespace platform::gfx { class Device; }

constexpr int32_t kMaxLightNumber = 22000000;

enum LightKind : uint32_t { kDirectionalLight = 1, kPointLight = 2, kSpotLight = 3 };

struct LightRecord {
  platform::gfx::Light description{};  // what the device receives
  uint32_t kind = kDirectionalLight;
  float keptRange = 1000.0f;  // taken by point and spot lights
};

struct LightState {
  RecordList list;  // the LightList
  LightRecord* current = nullptr;
  platform::gfx::Device* (*getDevice)() = nullptr;
  platform::gfx::Device* device = nullptr;
  uint32_t ambientRed = 255, ambientGreen = 255, ambientBlue = 255, ambientPercent = 25;
  float fogStart = 0.0f, fogEnd = 3000.0f;
  uint32_t keptFogColor = 0;  // no command changes it
  CoreData* core = nullptr;
};

LightState& Lights();
// The record without any error; it becomes the current record (null when missing).
LightRecord* FindLight(int32_t light);
// A new record (kind 1, kept range 1000) under the number, replacing one of that number: light 0
// directional along (0.1, -0.5, 0.5), any other a point light at the origin; then enabled.
void AddLight(int32_t light);
