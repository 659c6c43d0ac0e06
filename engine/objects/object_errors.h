// Runtime errors of the object module go through the engine core's error word. The core is built
// elsewhere; this one declaration is where the object records reach it.
#pragma once
#include <cstdint>

void RaiseErrorCode(uint32_t code);

enum ObjectError : uint32_t {
  kErrorMeshNumberOutOfRange = 7001,
  kErrorMeshCannotBeMade = 7002,
  kErrorObjectNumberOutOfRange = 7006,
  kErrorObjectNumberInUse = 7007,
  kErrorObjectMissing = 7008,
  kErrorModelLoadFailed = 7018,
};
