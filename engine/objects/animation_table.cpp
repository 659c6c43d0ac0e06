// The animation clock of every object in the table (apart from animation.cpp, so that the keyframe
// code stands without the object table).
#include "engine/objects/animation.h"
#include "engine/objects/object_table.h"

void StepObjectAnimations() {
  for (int32_t number : GetObjectTable().usedIds) StepObjectAnimation(FindObjectRecord(number));
}
