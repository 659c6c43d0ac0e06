// The two invisible probes of the ball: a thin upright box lowered under the ball to find the ground,
// and a flat box as wide as the ball held above its centre to find walls.
#include "engine/objects/object_commands.h"
#include "game/play/ball.h"
#include "game/play/level_builder.h"

namespace {

constexpr float kGroundProbeStart = 5.0f;  // above the ball's centre
constexpr int32_t kGroundProbeSteps = 20;  // of 1 unit each: down to 15 below the centre
constexpr float kBlockProbeHeight = 5.5f;

bool IsBlockObject(int32_t object) { return object >= kFirstBlockObject && object <= kLastBlockObject; }

}  // namespace

int32_t FindObjectBelowBall() {
  ShowObject(kGroundProbeObject);
  SetObjectCollisionOff(kBallObject);
  SetObjectCollisionOff(kBlockProbeObject);
  const float x = GetObjectX(kBallObject), z = GetObjectZ(kBallObject);
  float y = GetObjectY(kBallObject) + kGroundProbeStart;
  PositionObject(kGroundProbeObject, x, y, z);
  int32_t found = -1;
  for (int32_t step = 0; step < kGroundProbeSteps; ++step) {
    y -= 1.0f;
    PositionObject(kGroundProbeObject, x, y, z);
    const int32_t hit = TestObjectCollision(kGroundProbeObject, 0);
    if (hit > 0 && hit != kBallObject) {
      found = hit;
      break;
    }
  }
  HideObject(kGroundProbeObject);
  SetObjectCollisionOn(kBallObject);
  SetObjectCollisionOn(kBlockProbeObject);
  return found;
}

bool ProbeBlockCollision() {
  ShowObject(kBlockProbeObject);
  SetObjectCollisionOff(kBallObject);
  SetObjectCollisionOff(kGroundProbeObject);
  PositionObject(kBlockProbeObject, GetObjectX(kBallObject), GetObjectY(kBallObject) + kBlockProbeHeight,
                 GetObjectZ(kBallObject));
  const int32_t hit = TestObjectCollision(kBlockProbeObject, 0);
  SetObjectCollisionOn(kBallObject);
  SetObjectCollisionOn(kGroundProbeObject);
  HideObject(kBlockProbeObject);
  return IsBlockObject(hit);
}
