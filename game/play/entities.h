// The entity rules of a running level: pickups, warps, doors, movers, monsters, boosts and the goal
// pad, run once per simulation step over the level's records, and the two passes that decide which of
// the level's objects are drawn, collide or show through.
#pragma once
#include <cstdint>

// Entities within this distance of the ball's block position can be touched.
constexpr float kTouchDistance = 20.0f;
// Only objects nearer than this to the ball take part in collision.
constexpr float kCollisionDistance = 40.0f;

// State of the rules that lasts across steps.
struct EntityRuleState {
  float paintSpin = 0.0f;  // degrees, +3 per pass
  uint8_t boostLatch = 0;  // a boost under the ball has fired
  uint8_t verticalBoostLatch = 0;
};
EntityRuleState& EntityRules();

// The records the rules and the passes below walk: every record the map holds. Empty records (shape 6)
// build no block, so the count of blocks built would stop short of the last records.
int32_t LevelRecordCount();

// One pass of the rules over the level's records (the play loop calls it each step after
// ApplyGoalPadAndBoosts and CullLevelObjects; the planning screen too).
void UpdateEntities();
// Delivers carried paint when the ball is on the goal pad, and fires a boost or vertical boost found
// under the ball (once per arrival).
void ApplyGoalPadAndBoosts();
// Shows, hides and switches collision of the records' objects by screen and distance to the ball.
void CullLevelObjects();
// Makes blocks and doors between the camera and the ball translucent; shows on-screen blocks.
void UpdateSeeThroughBlocks();

// The game's distance: Euclidean, square root by FastSqrt.
float GetDistance3D(float x1, float y1, float z1, float x2, float y2, float z2);
// Square root from an inverse-square-root estimate refined four times; 0 for 0.
double FastSqrt(double value);
