// State the collision tests share: the slide vector of the last test and the automatic collision's
// bookkeeping. One thread; lives for the process.
#pragma once
#include <cstdint>
#include <memory>

#include "engine/objects/records.h"

struct CollisionState {
  Vector3 slide{0, 0, 0};      // how far the tested object reaches into the other, per axis
  uint8_t slideAvailable = 0;  // the last pair test left a slide vector
  uint8_t pending = 0;         // prepared at the end of a frame, resolved at the start of the next
  uint8_t enabled = 1;         // the collision switch
  std::unique_ptr<ObjectRecord> cameraObject;  // stands for camera 0 in automatic collision
  Vector3 savedCameraPosition{0, 0, 0};
};

CollisionState& GetCollisionState();
