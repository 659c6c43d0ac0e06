#include "engine/objects/collision_state.h"

CollisionState& GetCollisionState() {
  static CollisionState state;
  return state;
}
