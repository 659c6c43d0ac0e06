// The player's ball (object 3000): steered like a vehicle, falling under the map's gravity, standing
// on what lies below it, pushed up by vertical boosts and stopped by blocks; the two probe objects
// that find the ground (600) and walls (601); and the camera that follows it.
//
// Speeds, fall speed, gravity, emergency brakes, the entity under the ball and the no-ground flag are
// the game-state variables (game_state.h); the rest of the ball's motion lives here.
#pragma once
#include <cstdint>

constexpr float kTurnStep = 3.2f;       // degrees per step
constexpr float kMaximumSpeed = 1.0f;   // accelerating stops above this
constexpr float kAcceleration = 0.05f;  // per step while a drive command is held
constexpr float kRollingFriction = 0.01f;
constexpr float kWedgeSlideGain = 0.01f;
constexpr float kSlideDecay = 0.1f;

enum CameraMode : int32_t {
  kCameraOverhead = 0,
  kCameraChase = 1,
};

struct BallMotion {
  float verticalPush = 0.0f;  // upward distance per step from a vertical boost
  float slideSpeed = 0.0f;    // drift per step on wedges
  float slideAngle = 0.0f;    // the Y rotation of the last wedge driven on
  float savedX = 0.0f, savedY = 0.0f, savedZ = 0.0f;  // before the drive moves of the step
  uint8_t onGoalPad = 0;      // the ball touches the goal-pad block
  int32_t cameraMode = kCameraChase;
  uint8_t cameraLatch = 1;     // Camera Mode acts once per press
  uint8_t emergencyLatch = 1;  // Emergency Break acts once per press
};
BallMotion& Ball();

// One physics step of the ball, then the camera.
void UpdatePlayer();
// The first object other than the ball that the ground probe meets lowering from 5 above the ball's
// centre to 15 below it, or -1.
int32_t FindObjectBelowBall();
// Whether the wall probe, held just above the ball's centre, touches a block object.
bool ProbeBlockCollision();
// Camera for mode 0 (overhead) or 1 (chase), aimed at the ball; other modes leave it alone.
void PositionCameraForMode(int32_t mode);
