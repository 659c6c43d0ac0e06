// Runtime errors of the object module, raised through the engine core's error word.
#pragma once
#include <cstdint>

#include "engine/core/errors.h"

enum ObjectError : uint32_t {
  kErrorMeshNumberOutOfRange = 7001,
  kErrorMeshCannotBeMade = 7002,
  kErrorObjectNumberOutOfRange = 7006,
  kErrorObjectNumberInUse = 7007,
  kErrorObjectMissing = 7008,
  kErrorModelLoadFailed = 7018,
};
