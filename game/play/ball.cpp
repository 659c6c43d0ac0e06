// One physics step of the ball: vertical push, wedge drift, standing on the ground or falling, turning,
// speed, emergency brake, driving with wall stops on each axis, the goal-pad test and friction.
#include "game/play/ball.h"

#include <algorithm>

#include "engine/core/core.h"
#include "engine/core/core_alloc.h"
#include "engine/objects/object_commands.h"
#include "engine/scene/camera.h"
#include "engine/text/string_commands.h"
#include "engine/text/text.h"
#include "game/play/game_state.h"
#include "game/play/level_builder.h"
#include "game/play/level_internal.h"
#include "game/shell/control_bindings.h"

namespace {

constexpr float kGroundRayLength = 10.0f;
constexpr float kRestingFallSpeed = 0.01f;
constexpr float kOutOfBlockStep = 0.1f;
// A ball buried in blocks is pushed forward at most this many steps (100 units) in one physics step:
// blocks beyond the collision distance do not collide, so it is free long before.
constexpr int32_t kMaxOutOfBlockSteps = 1000;

bool IsBlockObject(int32_t object) { return object >= kFirstBlockObject && object <= kLastBlockObject; }
bool IsEntityObject(int32_t object) { return object >= kFirstEntityObject && object <= kLastEntityObject; }

float BallX() { return GetObjectX(kBallObject); }
float BallY() { return GetObjectY(kBallObject); }
float BallZ() { return GetObjectZ(kBallObject); }

void RaiseBall(float by) { PositionObject(kBallObject, BallX(), BallY() + by, BallZ()); }

void DrawDiagnosticFloat(float value) {
  char* text = FloatToString(value);
  DrawTextAt(0, 120, text);
  CoreAllocFree(&text, 0);
}

// Held Accelerate (or Break) first brakes the opposite speed to a stop, then builds its own speed up
// to just past the maximum.
void Accelerate(float& own, float& opposite) {
  if (opposite > 0) opposite = std::max(0.0f, opposite - kAcceleration);
  else if (own <= kMaximumSpeed) own += kAcceleration;
}

// One press of a latched command: true once, when the command goes down while the latch is set.
bool Pressed(int32_t command, uint8_t& latch) {
  if (!IsCommandDown(command)) {
    latch = 1;
    return false;
  }
  return latch != 0;
}

// Moves the ball by `distance` along `angle`, one axis at a time, each undone when the wall probe
// then touches a block: the ball slides along a wall on the free axis.
void Drive(float angle, float distance) {
  const BallMotion& m = Ball();
  const float nx = MoveXByAngle(BallX(), angle, distance);
  const float nz = MoveZByAngle(BallZ(), angle, distance);
  PositionObject(kBallObject, nx, BallY(), BallZ());
  if (ProbeBlockCollision()) PositionObject(kBallObject, m.savedX, m.savedY, m.savedZ);
  PositionObject(kBallObject, BallX(), BallY(), nz);
  if (ProbeBlockCollision()) PositionObject(kBallObject, m.savedX, m.savedY, m.savedZ);
}

}  // namespace

BallMotion& Ball() {
  static BallMotion motion;
  return motion;
}

void UpdatePlayer() {
  GameVariables& game = Game();
  BallMotion& m = Ball();
  const float gravity = game.gravityStep;

  const int32_t below = FindObjectBelowBall();

  if (m.verticalPush > 0) {
    RaiseBall(m.verticalPush);
    const bool hitBlock = IsBlockObject(TestObjectCollision(kBallObject, 0));
    m.verticalPush = (hitBlock ? 0.0f : m.verticalPush) - gravity;
  }

  if (m.slideSpeed > 0)
    PositionObject(kBallObject, MoveXByAngle(BallX(), m.slideAngle, m.slideSpeed), BallY(),
                   MoveZByAngle(BallZ(), m.slideAngle, m.slideSpeed));

  float d = 0;
  if (below > 0 && LevelObjectExists(below)) {
    const float x = BallX(), y = BallY(), z = BallZ();
    d = RayIntersectObject(below, x, y + kGroundRayLength, z, x, y, z);
  }

  if (IsEntityObject(below)) {
    if (d < 11) game.entityUnderBall = FindRecordByEntityObject(below);
    DrawDiagnosticFloat(d);
  }

  if (IsBlockObject(below)) {
    const int32_t index = GetRecordField(below, kFieldIndex);
    if (index >= 0 && index < kMapRecordCapacity) {
      const MapRecord& r = CurrentMap().records[index];
      if (r.shape == SHAPE_WEDGE) {
        m.slideSpeed = std::min(m.slideSpeed + kWedgeSlideGain, 0.5f * kMaximumSpeed);
        m.slideAngle = r.ry;
      } else {
        m.slideSpeed = std::max(0.0f, m.slideSpeed - kSlideDecay);
      }
    }
  }

  game.noGround = 0;
  if (d == 0) {
    game.fallSpeed += gravity;
  } else {
    game.fallSpeed = kRestingFallSpeed;
    RaiseBall(kGroundRayLength - d);  // the centre onto the surface found
  }

  RaiseBall(-game.fallSpeed);
  if (below <= 0) {
    game.noGround = 1;
    for (int32_t step = 0; step < kMaxOutOfBlockSteps && ProbeBlockCollision(); ++step)
      MoveObject(kBallObject, kOutOfBlockStep);
  }

  if (IsCommandDown(kTurnLeft)) SetObjectAngleY(kBallObject, GetObjectYAngle(kBallObject) - kTurnStep);
  if (IsCommandDown(kTurnRight)) SetObjectAngleY(kBallObject, GetObjectYAngle(kBallObject) + kTurnStep);

  if (IsCommandDown(kAccelerate)) Accelerate(game.forwardSpeed, game.backwardSpeed);
  if (IsCommandDown(kBreak)) Accelerate(game.backwardSpeed, game.forwardSpeed);

  if (Pressed(kCameraMode, m.cameraLatch)) {
    m.cameraMode = m.cameraMode >= kCameraChase ? kCameraOverhead : m.cameraMode + 1;
    m.cameraLatch = 0;
  }

  m.savedX = BallX(), m.savedY = BallY(), m.savedZ = BallZ();

  if (Pressed(kEmergencyBreak, m.emergencyLatch) && game.emergencyBrakes >= 1) {
    --game.emergencyBrakes;
    game.forwardSpeed = game.backwardSpeed = 0;
    m.emergencyLatch = 0;
  }

  const float heading = GetObjectYAngle(kBallObject);
  if (game.forwardSpeed > 0) Drive(heading, game.forwardSpeed);
  else if (game.backwardSpeed > 0) Drive(NormalizeAngle(heading + 180.0f), game.backwardSpeed);

  const int32_t touching = TestObjectCollision(kBallObject, 0);
  if (touching < kFirstEntityObject) m.onGoalPad = touching == GoalPadObject() ? 1 : 0;

  if (game.forwardSpeed > 0) game.forwardSpeed = std::max(0.0f, game.forwardSpeed - kRollingFriction);
  if (game.backwardSpeed > 0) game.backwardSpeed = std::max(0.0f, game.backwardSpeed - kRollingFriction);

  PositionCameraForMode(m.cameraMode);
}

void PositionCameraForMode(int32_t mode) {
  const float x = BallX(), y = BallY(), z = BallZ();
  if (mode == kCameraOverhead) {
    PlaceCamera(x, y + 70, z);
    AimCamera(x, y, z);
  } else if (mode == kCameraChase) {
    PlaceCamera(x, y + 30, z);
    SetCameraAngles(GetObjectXAngle(kBallObject), GetObjectYAngle(kBallObject), GetObjectZAngle(kBallObject));
    MoveCamera(-40);
    AimCamera(x, y, z);
  }
}
