// The goal pad's delivery of carried paint and the boosts under the ball.
#include <algorithm>
#include <cstdint>

#include "engine/core/core_alloc.h"
#include "engine/objects/object_commands.h"
#include "engine/text/string_commands.h"
#include "engine/text/text.h"
#include "game/play/ball.h"
#include "game/play/entities.h"
#include "game/play/game_state.h"
#include "game/play/generated_textures.h"
#include "game/play/level_builder.h"
#include "game/play/sound_effects.h"
#include "game/play/visualiser.h"

namespace {

int32_t SaturatedSum(int32_t a, int32_t b) { return int32_t(std::clamp<int64_t>(int64_t(a) + b, INT32_MIN, INT32_MAX)); }

void DeliverCarriedPaint() {
  GameVariables& game = Game();
  int32_t* carried = game.carriedPaint;
  if (carried[0] < 1 && carried[1] < 1 && carried[2] < 1) return;
  for (int c = 0; c < 3; ++c) game.playerColour[c] = SaturatedSum(game.playerColour[c], carried[c]);
  PlaySoundEffect(kSoundDoor);
  carried[0] = carried[1] = carried[2] = 0;
  TintLevelTexture(game.playerColour[0], game.playerColour[1], game.playerColour[2]);
  PickVisualiserColour();
  BuildColourImage();
  TextureGoalHeart();
}

// Sets the ball down over the boost's record with a new heading and forward speed.
void Launch(const MapRecord& r, int32_t speed, int32_t angle) {
  GameVariables& game = Game();
  PositionObject(kBallObject, r.x, r.y + 6, r.z);
  SetObjectAngleY(kBallObject, float(angle));
  game.backwardSpeed = 0;
  game.forwardSpeed = float(speed);
  PlaySoundEffect(kSoundBoost);
}

void DrawDiagnosticNumber(int32_t value) {
  char* text = IntToString(value);
  DrawTextAt(10, 100, text);
  CoreAllocFree(&text, 0);
}

}  // namespace

void ApplyGoalPadAndBoosts() {
  if (Ball().onGoalPad) DeliverCarriedPaint();

  EntityRuleState& rules = EntityRules();
  const int32_t index = Game().entityUnderBall;
  const int32_t built = std::clamp(CurrentMapCounts().blocksBuilt, 0, kMapRecordCapacity);
  if (index < 0 || index >= built) {
    rules.boostLatch = rules.verticalBoostLatch = 0;
    return;
  }
  const MapRecord& r = CurrentMap().records[index];
  switch (r.entityType) {
    case E_BOOST:
      if (!rules.boostLatch) {
        Launch(r, r.p1, r.p2);
        rules.boostLatch = 1;
      }
      break;
    case E_BOOSTV:
      rules.boostLatch = 0;
      if (!rules.verticalBoostLatch) {
        Launch(r, r.p1, r.p3);
        Ball().verticalPush = float(r.p2);
        rules.verticalBoostLatch = 1;
      }
      break;
    default:
      rules.boostLatch = rules.verticalBoostLatch = 0;
      DrawDiagnosticNumber(r.entityType);
      break;
  }
}
