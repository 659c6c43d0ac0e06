// One pass of the entity rules over the level's records: pickups, warps, doors, movers and monsters.
#include <algorithm>
#include <cstdlib>

#include "engine/core/core.h"
#include "engine/objects/object_commands.h"
#include "game/play/ball.h"
#include "game/play/death.h"
#include "game/play/entities.h"
#include "game/play/game_particles.h"
#include "game/play/game_state.h"
#include "game/play/level_builder.h"
#include "game/play/level_internal.h"
#include "game/play/sound_effects.h"

namespace {

constexpr uint32_t kMoverPauseMs = 1000;
constexpr uint32_t kPlasmaBurstRate = 24;  // particles a frame for the two frames of a burst

struct Point {
  float x, y, z;
};

Point ObjectPosition(int32_t object) { return {GetObjectX(object), GetObjectY(object), GetObjectZ(object)}; }

float Distance(const Point& a, const Point& b) { return GetDistance3D(a.x, a.y, a.z, b.x, b.y, b.z); }

bool TouchesBall(int32_t object) { return LevelObjectExists(object) && TestObjectCollision(object, kBallObject) != 0; }

void ScaleToPulse(int32_t object) {
  const float scale = float(Game().pulseScale);
  ScaleObject(object, scale, scale, scale);
}

// One leg of a back-and-forth move: the travelled distance grows by the step and the leg flips once
// it reaches the leg length. A negative step counts by its size, so such a mover still turns back.
bool AdvanceLeg(MapRecord& r, float step, float length) {
  r.travelled += std::abs(step);
  if (r.travelled < length) return false;
  r.state = r.state == 0 ? 1 : 0;
  r.travelled = 0;
  return true;
}

void MoveVertically(int32_t object, float by) {
  if (!LevelObjectExists(object)) return;
  PositionObject(object, GetObjectX(object), GetObjectY(object) + by, GetObjectZ(object));
}

void RunMover(MapRecord& r, uint32_t now) {
  if (!LevelObjectExists(r.blockObject)) return;
  const bool firstLeg = r.state == 0;
  if (r.p1 == 0) {
    if (now - r.timeStamp <= kMoverPauseMs) return;
    const bool up = (r.p2 == 0) == firstLeg;
    MoveVertically(r.blockObject, up ? r.p5 : -r.p5);
    if (AdvanceLeg(r, r.p5, float(r.p3))) r.timeStamp = now;
    return;
  }
  const float angle = firstLeg ? float(r.p2) : NormalizeAngle(float(r.p2) + 180.0f);
  const int32_t block = r.blockObject;
  PositionObject(block, MoveXByAngle(GetObjectX(block), angle, r.p5), GetObjectY(block),
                 MoveZByAngle(GetObjectZ(block), angle, r.p5));
  AdvanceLeg(r, r.p5, float(r.p3));
}

void RunMonsterA(MapRecord& r, uint32_t now) {
  const int32_t monster = r.entityObject;
  if (!LevelObjectExists(monster)) return;
  ScaleToPulse(monster);
  if (TouchesBall(monster)) KillPlayer();
  if (r.active == 0) {
    if (int64_t(now - Game().levelStartTime) > int64_t(r.p4)) r.active = 1;  // it moves from the next pass
    return;
  }
  const bool up = (r.p1 == 0) == (r.state == 0);
  MoveVertically(monster, up ? r.p5 : -r.p5);
  AdvanceLeg(r, r.p5, float(r.p2));
}

void RunMonsterB(MapRecord& r) {
  const int32_t monster = r.entityObject;
  if (!LevelObjectExists(monster)) return;
  ScaleToPulse(monster);
  // The path number and the target index come from the map and the run: both are checked.
  if (r.p1 < 0 || r.p1 >= kWaypointPathCount) return;
  const WaypointPath& path = CurrentMap().paths[r.p1];
  const int32_t count = std::clamp(path.pointCount, 0, kWaypointPointsUsed);
  if (r.state < 0 || r.state >= std::max(count, 1)) r.state = 0;
  const WaypointPoint& t = path.points[r.state];
  const Point target{t.x, t.y, t.z};
  // Standing on the target (equal waypoints) there is no direction to turn to: keep the facing.
  if (Distance(ObjectPosition(monster), target) > 0) PointObject(monster, target.x, target.y, target.z);
  MoveObject(monster, r.p5);
  if (TouchesBall(monster)) KillPlayer();
  if (Distance(ObjectPosition(monster), target) < r.p5) {
    ++r.state;
    if (r.state >= count) r.state = 0;
  }
}

}  // namespace

EntityRuleState& EntityRules() {
  static EntityRuleState state;
  return state;
}

void UpdateEntities() {
  GameVariables& game = Game();
  EntityRuleState& rules = EntityRules();
  const Point ball = ObjectPosition(kBallObject);
  rules.paintSpin = NormalizeAngle(rules.paintSpin + 3.0f);
  const uint32_t now = GameNow();

  MapTables& map = CurrentMap();
  const int32_t count = LevelRecordCount();
  Point block{0, 0, 0};
  bool haveBlock = false;
  for (int32_t i = 0; i < count; ++i) {
    MapRecord& r = map.records[i];
    if (LevelObjectExists(r.blockObject)) {
      block = ObjectPosition(r.blockObject);
      haveBlock = true;
    } else if (!haveBlock) {
      block = {r.x, r.y, r.z};  // no earlier block to take the place of
    }
    const int32_t entity = r.entityObject;
    auto touched = [&] { return Distance(ball, block) < kTouchDistance && TouchesBall(entity); };

    if (r.entityType == E_WARP && touched()) {
      PositionObject(kBallObject, float(r.p1), float(r.p2) + 10, float(r.p3));
      PlaySoundEffect(kSoundTeleporter);
      game.forwardSpeed = game.backwardSpeed = 0;
    }
    if (r.entityType == E_PLASMA && LevelObjectExists(entity)) {
      ScaleToPulse(entity);
      SetObjectAngleY(entity, NormalizeAngle(GetObjectYAngle(entity) + 1.5f));
      if (touched()) {
        AddScore(15);
        ++game.plasmaCleared;
        PlaySoundEffect(kSoundPlasma);
        const Point at = ObjectPosition(entity);
        StartParticleBurst(at.x, at.y, at.z, kPlasmaBurstRate);
        RemoveEntity(i);
      }
    }
    if (r.entityType == E_RESPAWN && touched()) {
      game.respawn[0] = r.x, game.respawn[1] = r.y + 10, game.respawn[2] = r.z;
      game.respawn[3] = float(r.p1);
      RemoveEntity(i);
    }
    if (r.entityType == E_TEXT && LevelObjectExists(entity)) {
      HideObject(entity);
      if (touched()) {
        ShowMessage(r.text);
        RemoveEntity(i);
      }
    }
    if ((r.entityType == E_PAINTR || r.entityType == E_PAINTG || r.entityType == E_PAINTB) &&
        LevelObjectExists(entity)) {
      RotateObject(entity, rules.paintSpin, 0, rules.paintSpin);
      if (touched()) {
        int32_t& carried = game.carriedPaint[r.entityType - E_PAINTR];
        carried = int32_t(std::clamp<int64_t>(int64_t(carried) + r.p1, INT32_MIN, INT32_MAX));
        PlaySoundEffect(kSoundPaint);
        RemoveEntity(i);
      }
    }
    if (r.entityType == E_WARP && LevelObjectExists(entity)) ScrollObjectTexture(entity, 0, 0.01f);
    if (r.entityType == E_DOOR && LevelObjectExists(entity)) {
      const int32_t* colour = game.playerColour;
      const bool open = r.p1 == colour[0] && r.p2 == colour[1] && r.p3 == colour[2];
      PositionObject(entity, r.x, r.y + (open ? 30.0f : 17.5f), r.z);
      if (TouchesBall(entity)) {
        const BallMotion& motion = Ball();
        PositionObject(kBallObject, motion.savedX, motion.savedY, motion.savedZ);
        game.forwardSpeed = game.backwardSpeed = 0;
      }
    }
    if (r.entityType == E_MOVER) RunMover(r, now);
    if (r.entityType == E_MONSTERA) RunMonsterA(r, now);
    if (r.entityType == E_MONSTERB) RunMonsterB(r);
  }
}
