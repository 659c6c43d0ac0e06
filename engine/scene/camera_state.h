// The camera module's list and state. Internal to the module and its tests.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"
#include "engine/core/id_list.h"
#include "engine/scene/camera.h"

namespace platform::gfx { class Api; class Device; }

constexpr int32_t kMaxCameraNumber = 22000000;
constexpr float kDefaultFieldOfView = 61.962135f;  // degrees
constexpr uint32_t kCameraAboveZeroBackground = 0xFF008000;

struct CameraState {
  RecordList list;                    // the CameraList
  CameraRecord* current = nullptr;    // the record the last lookup found
  int32_t currentNumber = 0;          // no command changes it
  int32_t drawn = -1;                 // camera being drawn, -1 when none
  bool otherTargetBound = false;      // a render target other than the back buffer was bound
  platform::gfx::Device* device = nullptr;
  platform::gfx::Api* api = nullptr;  // one reference
  uint8_t autoCamera = 1;
  uint8_t firstPlacement = 1;
  CoreData* core = nullptr;
};

CameraState& Cameras();

// The record of a camera number without any error; it becomes the current record (null when missing).
CameraRecord* FindCamera(int32_t id);
// The record of a worker's camera: 7201 outside 0..22000000, 7203 when missing; null then.
CameraRecord* CameraForCommand(int32_t id);
// The number after `id` in the list's order; -1 after the last one or when `id` is not listed.
int32_t NextCamera(int32_t id);

// View from the current record's position and angles, and both transforms onto the device.
void UpdateCameraMatrices();
// Angles (degrees, 0..360) that aim a camera at `from` towards `to`; z angle 0.
void CameraAnglesToPoint(const platform::gfx::Vector3& from, const platform::gfx::Vector3& to,
                         platform::gfx::Vector3* angles);
// Frees every camera record.
void ClearCameras();
