#include "engine/formats/model_loader.h"

#include "engine/objects/object_errors.h"

bool LoadModelFile(const char* fileName, std::unique_ptr<ObjectRecord>* object) {
  uint32_t error = 0;
  if (TryLoadModelFile(fileName, object, &error)) return true;
  RaiseErrorCode(error);
  return false;
}
