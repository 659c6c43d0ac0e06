// Runtime errors of the object module, raised through the engine core's error word.
#pragma once
#include <cstdint>

#include "engine/core/errors.h"

enum ObjectError : uint32_t {
  kErrorMeshNumberOutOfRange = 7001,
  kErrorMeshCannotBeMade = 7002,
  kErrorMeshMissing = 7003,
  kErrorObjectNumberOutOfRange = 7006,
  kErrorObjectNumberInUse = 7007,
  kErrorObjectMissing = 7008,
  kErrorModelLoadFailed = 7018,
  kErrorFrameIndexOutOfRange = 7021,
  kErrorFrameMissing = 7023,
  kErrorObjectTableUnusable = 9706,  // the hand-over could not allocate the table or size the renderer
};
